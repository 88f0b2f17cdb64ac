// Laying out and printing the schedule table (see QvSchedulePrint.h).
#include "schedulewindow/QvSchedulePrint.h"

#include "printers/QvPrinters.h"

#include <QAbstractItemModel>
#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QTextOption>

#include <algorithm>
#include <utility>
#include <vector>

namespace qv {

namespace {

struct TPage {
    int First; // rows [First, End)
    int End;
    int Band; // the columns printed (TPrintBands)
};

// Column widths within `total`: columns narrower than an even share keep their width, the rest
// share what is left, so only the widest columns wrap.
std::vector<qreal> FitWidths(const std::vector<qreal>& natural, qreal total) {
    std::vector<qreal> widths = natural;
    qreal sum = 0;
    for (qreal w : natural)
        sum += w;
    if (sum <= total || natural.empty())
        return widths;
    std::vector<bool> fixed(natural.size(), false);
    qreal left = total;
    std::size_t open = natural.size();
    for (bool changed = true; changed && open > 0;) {
        changed = false;
        const qreal share = left / static_cast<qreal>(open);
        for (std::size_t i = 0; i < natural.size(); ++i) {
            if (!fixed[i] && natural[i] <= share) {
                fixed[i] = true;
                left -= natural[i];
                --open;
                changed = true;
            }
        }
    }
    for (std::size_t i = 0; i < natural.size(); ++i)
        if (!fixed[i])
            widths[i] = left / static_cast<qreal>(open);
    return widths;
}

Qt::Alignment AlignmentOf(const QVariant& v) {
    return v.isValid() ? Qt::Alignment(v.toInt()) : Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter);
}

} // namespace

struct TSchedulePrintJob::TState {
    enum class TPhase { Measure, LayOut, Draw, Done };

    TState(QPrinter& printer, const QAbstractItemModel& model, TSchedulePrintHeading heading,
           TPrintBands bands)
        : Printer(printer), Model(model), Heading(std::move(heading)), Bands(std::move(bands)),
          Body(QStringLiteral("Arial"), 8), Bold(Body), TitleFont(QStringLiteral("Arial"), 14),
          Fm(Body, &printer), FmBold(QFont(), &printer), FmTitle(QFont(), &printer) {
        Bold.setBold(true);
        TitleFont.setBold(true);
        FmBold = QFontMetricsF(Bold, &printer);
        FmTitle = QFontMetricsF(TitleFont, &printer);
        PadX = Fm.averageCharWidth() * 0.6;
        PadY = Fm.height() * 0.2;
        Line = Fm.height();
        Page = QRectF(0, 0, printer.width(), printer.height());
        BodyBottom = Page.height() - 2 * Line; // the page number goes below
        Rows = model.rowCount();
        Cols = model.columnCount();
        std::erase_if(Bands, [this](std::vector<int>& band) {
            std::erase_if(band, [this](int c) { return c < 0 || c >= Cols; });
            return band.empty();
        });
        if (Bands.empty()) {
            Bands.emplace_back();
            for (int c = 0; c < Cols; ++c)
                Bands.back().push_back(c);
        }
        for (int c = 0; c < Cols; ++c)
            Headers << model.headerData(c, Qt::Horizontal).toString();
        Natural.resize(static_cast<std::size_t>(Cols));
        for (int c = 0; c < Cols; ++c)
            Natural[static_cast<std::size_t>(c)] = FmBold.horizontalAdvance(Headers[c]);
        Heights.assign(Bands.size(), std::vector<qreal>(static_cast<std::size_t>(Rows)));
        Wrap.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    }

    const std::vector<int>& Columns(int band) const {
        return Bands[static_cast<std::size_t>(band)];
    }
    QString Text(int r, int c) const { return Model.data(Model.index(r, c)).toString(); }
    QStringList RowCells(int r, int band) const {
        QStringList cells;
        for (int c : Columns(band))
            cells << (r < 0 ? Headers[c] : Text(r, c));
        return cells;
    }

    qreal RowHeight(const QStringList& cells, int band, const QFont& font, const QFontMetricsF& m) {
        qreal h = Line;
        P.setFont(font);
        const std::vector<qreal>& widths = Widths[static_cast<std::size_t>(band)];
        for (std::size_t k = 0; k < widths.size(); ++k) {
            // Only a column narrower than its text's widest line wraps.
            const auto i = static_cast<std::size_t>(Columns(band)[k]);
            const auto cell = static_cast<qsizetype>(k);
            const qreal inner = widths[k] - 2 * PadX;
            if (widths[k] < Natural[i] && m.horizontalAdvance(cells[cell]) > inner - PadX)
                h = std::max(h,
                             P.boundingRect(QRectF(0, 0, inner, 1e9), cells[cell], Wrap).height());
        }
        return h + 2 * PadY;
    }

    void DrawRow(qreal top, qreal h, const QStringList& cells, const QFont& font,
                 const QBrush& back, int r, int band) {
        const QPen grid(QColor(0x80, 0x80, 0x80), 0);
        P.setFont(font);
        qreal x = 0;
        const std::vector<qreal>& widths = Widths[static_cast<std::size_t>(band)];
        for (std::size_t k = 0; k < widths.size(); ++k) {
            const int c = Columns(band)[k];
            const qreal w = widths[k];
            const QRectF cell(x, top, w, h);
            if (back.style() != Qt::NoBrush)
                P.fillRect(cell, back);
            P.setPen(grid);
            P.drawRect(cell);
            P.setPen(Qt::black);
            QTextOption o = Wrap;
            o.setAlignment(r < 0
                               ? Qt::AlignLeft | Qt::AlignVCenter
                               : AlignmentOf(Model.data(Model.index(r, c), Qt::TextAlignmentRole)));
            P.drawText(cell.adjusted(PadX, PadY, -PadX, -PadY), cells[static_cast<qsizetype>(k)],
                       o);
            x += w;
        }
    }

    // Measures the next rows' widths; true when all are measured.
    bool MeasureRow() {
        for (int c = 0; c < Cols; ++c) {
            auto& w = Natural[static_cast<std::size_t>(c)];
            w = std::max(w, Fm.horizontalAdvance(Text(Next, c)));
        }
        return ++Next >= Rows;
    }

    void EndMeasure() {
        // A character's width to spare: the text layout may need a little more than the advance
        // measured here.
        for (qreal& w : Natural)
            w += 2 * PadX + Fm.averageCharWidth();
        Widths.clear();
        HeaderHeights.clear();
        for (int b = 0; b < static_cast<int>(Bands.size()); ++b) {
            std::vector<qreal> natural;
            for (int c : Columns(b))
                natural.push_back(Natural[static_cast<std::size_t>(c)]);
            Widths.push_back(FitWidths(natural, Page.width()));
            HeaderHeights.push_back(RowHeight(RowCells(-1, b), b, Bold, FmBold));
        }
        const qreal headingHeight =
            FmTitle.height() + Line * static_cast<qreal>(Heading.Lines.size()) + Line;
        Y = headingHeight + HeaderHeights[0];
        First = 0;
        Next = 0;
        Band = 0;
    }

    // Lays out the next row; true when every band's rows are on pages.
    bool LayOutRow() {
        const int r = Next;
        if (r < Rows) {
            const qreal h = RowHeight(RowCells(r, Band), Band, Body, Fm);
            Heights[static_cast<std::size_t>(Band)][static_cast<std::size_t>(r)] = h;
            // A page takes at least one row, however tall.
            if (r > First && Y + h > BodyBottom) {
                Pages.push_back({First, r, Band});
                First = r;
                Y = HeaderHeights[static_cast<std::size_t>(Band)];
            }
            Y += h;
            if (++Next < Rows)
                return false;
        }
        // The band's last page; the next band starts a page of its own.
        Pages.push_back({First, Rows, Band});
        if (++Band >= static_cast<int>(Bands.size()))
            return true;
        First = 0;
        Next = 0;
        Y = HeaderHeights[static_cast<std::size_t>(Band)];
        return false;
    }

    void DrawPage(int i) {
        const int pageCount = static_cast<int>(Pages.size());
        if (i > 0 && !Printer.newPage())
            throw ESchedulePrintError("Unable to start a new page of the schedule.");
        qreal top = 0;
        if (i == 0) {
            P.setFont(TitleFont);
            P.setPen(Qt::black);
            P.drawText(QRectF(0, 0, Page.width(), FmTitle.height()), Qt::AlignLeft, Heading.Title);
            top = FmTitle.height();
            P.setFont(Body);
            for (const QString& l : Heading.Lines) {
                P.drawText(QRectF(0, top, Page.width(), Line), Qt::AlignLeft, l);
                top += Line;
            }
            top += Line;
        }
        const auto& page = Pages[static_cast<std::size_t>(i)];
        const auto band = static_cast<std::size_t>(page.Band);
        DrawRow(top, HeaderHeights[band], RowCells(-1, page.Band), Bold,
                QBrush(QColor(0xe4, 0xe4, 0xe4)), -1, page.Band);
        top += HeaderHeights[band];
        for (int r = page.First; r < page.End; ++r) {
            const qreal h = Heights[band][static_cast<std::size_t>(r)];
            const QVariant back = Model.data(Model.index(r, 0), Qt::BackgroundRole);
            DrawRow(top, h, RowCells(r, page.Band), Body, back.value<QBrush>(), r, page.Band);
            top += h;
        }
        P.setFont(Body);
        P.setPen(Qt::black);
        P.drawText(QRectF(0, Page.height() - Line, Page.width(), Line), Qt::AlignHCenter,
                   QStringLiteral("Page %1 of %2").arg(i + 1).arg(pageCount));
    }

    QPrinter& Printer;
    const QAbstractItemModel& Model;
    TSchedulePrintHeading Heading;
    TPrintBands Bands; // the model's columns of each band
    QPainter P;
    QFont Body, Bold, TitleFont;
    QFontMetricsF Fm, FmBold, FmTitle;
    qreal PadX = 0, PadY = 0, Line = 0, BodyBottom = 0, Y = 0;
    QRectF Page;
    int Rows = 0, Cols = 0;
    QStringList Headers;
    // Each band's widths and row heights; every column is measured.
    std::vector<qreal> Natural, HeaderHeights;
    std::vector<std::vector<qreal>> Widths, Heights;
    int Band = 0; // the band being laid out
    QTextOption Wrap;
    std::vector<TPage> Pages;
    TPhase Phase = TPhase::Measure;
    int Next = 0;  // the next row to measure or lay out, or page to draw
    int First = 0; // the first row of the page being laid out
};

TSchedulePrintJob::TSchedulePrintJob(QPrinter& printer, const QAbstractItemModel& model,
                                     TSchedulePrintHeading heading, TPrintBands bands) {
    printer.setDocName(heading.Title);
    m = std::make_unique<TState>(printer, model, std::move(heading), std::move(bands));
    if (!m->P.begin(&printer)) {
        throw ESchedulePrintError(QStringLiteral("Unable to print the schedule on \"%1\".")
                                      .arg(PrintTarget(printer))
                                      .toStdString());
    }
}

TSchedulePrintJob::~TSchedulePrintJob() {
    if (m->Phase != TState::TPhase::Done)
        Abort();
}

bool TSchedulePrintJob::Step() {
    using TPhase = TState::TPhase;
    // Work is handed out by time, not by count: a row of long texts takes far longer than a row
    // of short ones, and a page of many rows longer than a page of few.
    constexpr qint64 kStepNs = 40'000'000;
    QElapsedTimer clock;
    clock.start();
    do {
        switch (m->Phase) {
        case TPhase::Measure:
            if (m->Rows == 0 || m->MeasureRow()) {
                m->EndMeasure();
                m->Phase = TPhase::LayOut;
            }
            break;
        case TPhase::LayOut:
            if (m->LayOutRow()) {
                m->Next = 0;
                m->Phase = TPhase::Draw;
                // The page count is known: the caller may ask about it before any page is drawn.
                return true;
            }
            break;
        case TPhase::Draw:
            m->DrawPage(m->Next);
            if (++m->Next >= PageCount()) {
                m->Phase = TPhase::Done;
                if (!m->P.end())
                    throw ESchedulePrintError("Unable to finish printing the schedule.");
                return false;
            }
            break;
        case TPhase::Done:
            return false;
        }
    } while (clock.nsecsElapsed() < kStepNs);
    return true;
}

bool TSchedulePrintJob::LaidOut() const {
    return m->Phase == TState::TPhase::Draw || m->Phase == TState::TPhase::Done;
}

int TSchedulePrintJob::PageCount() const {
    return LaidOut() ? static_cast<int>(m->Pages.size()) : 0;
}

int TSchedulePrintJob::Progress() const {
    // Measuring and laying out take about a tenth of the time each, drawing the rest.
    const auto share = [](int done, int of) {
        return of > 0 ? static_cast<int>(static_cast<qint64>(done) * 1000 / of) : 1000;
    };
    switch (m->Phase) {
    case TState::TPhase::Measure:
        return share(m->Next, m->Rows) / 10;
    case TState::TPhase::LayOut:
        return 100 +
               share(m->Band * m->Rows + m->Next, static_cast<int>(m->Bands.size()) * m->Rows) / 10;
    case TState::TPhase::Draw:
        return 200 + share(m->Next, PageCount()) * 8 / 10;
    case TState::TPhase::Done:
        break;
    }
    return 1000;
}

void TSchedulePrintJob::Abort() {
    if (m->Phase == TState::TPhase::Done)
        return;
    m->Phase = TState::TPhase::Done;
    m->Printer.abort();
    if (m->P.isActive())
        m->P.end();
}

void PrintScheduleTable(QPrinter& printer, const QAbstractItemModel& model,
                        const TSchedulePrintHeading& heading) {
    TSchedulePrintJob job(printer, model, heading);
    while (job.Step()) {
    }
}

} // namespace qv
