// Laying out and printing the schedule table (see QvSchedulePrint.h).
#include "schedulewindow/QvSchedulePrint.h"

#include "printers/QvPrinters.h"

#include <QAbstractItemModel>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QTextOption>

#include <algorithm>
#include <vector>

namespace qv {

namespace {

struct TPage {
    int First; // rows [First, End)
    int End;
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

void PrintScheduleTable(QPrinter& printer, const QAbstractItemModel& model,
                        const TSchedulePrintHeading& heading) {
    printer.setDocName(heading.Title);
    QPainter p;
    if (!p.begin(&printer)) {
        throw ESchedulePrintError(QStringLiteral("Unable to print the schedule on \"%1\".")
                                      .arg(PrintTarget(printer))
                                      .toStdString());
    }

    const QFont body(QStringLiteral("Arial"), 8);
    QFont bold = body;
    bold.setBold(true);
    QFont titleFont(QStringLiteral("Arial"), 14);
    titleFont.setBold(true);
    const QFontMetricsF fm(body, &printer);
    const QFontMetricsF fmBold(bold, &printer);
    const QFontMetricsF fmTitle(titleFont, &printer);
    const qreal padX = fm.averageCharWidth() * 0.6;
    const qreal padY = fm.height() * 0.2;
    const qreal line = fm.height();
    const QRectF page(0, 0, printer.width(), printer.height());
    const qreal bodyBottom = page.height() - 2 * line; // the page number goes below

    const int rows = model.rowCount();
    const int cols = model.columnCount();
    auto text = [&](int r, int c) { return model.data(model.index(r, c)).toString(); };
    QStringList headers;
    for (int c = 0; c < cols; ++c)
        headers << model.headerData(c, Qt::Horizontal).toString();

    std::vector<qreal> natural(static_cast<std::size_t>(cols));
    for (int c = 0; c < cols; ++c) {
        qreal w = fmBold.horizontalAdvance(headers[c]);
        for (int r = 0; r < rows; ++r)
            w = std::max(w, fm.horizontalAdvance(text(r, c)));
        // A character's width to spare: the text layout may need a little more than the
        // advance measured here.
        natural[static_cast<std::size_t>(c)] = w + 2 * padX + fm.averageCharWidth();
    }
    const std::vector<qreal> widths = FitWidths(natural, page.width());

    QTextOption wrap;
    wrap.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    auto rowHeight = [&](const QStringList& cells, const QFont& font, const QFontMetricsF& m) {
        qreal h = line;
        p.setFont(font);
        for (int c = 0; c < cols; ++c) {
            // Only a column narrower than its text's widest line wraps.
            const auto i = static_cast<std::size_t>(c);
            const qreal inner = widths[i] - 2 * padX;
            if (widths[i] < natural[i] && m.horizontalAdvance(cells[c]) > inner - padX)
                h = std::max(h, p.boundingRect(QRectF(0, 0, inner, 1e9), cells[c], wrap).height());
        }
        return h + 2 * padY;
    };
    auto rowCells = [&](int r) {
        QStringList cells;
        for (int c = 0; c < cols; ++c)
            cells << text(r, c);
        return cells;
    };

    const qreal headerHeight = rowHeight(headers, bold, fmBold);
    const qreal headingHeight =
        fmTitle.height() + line * static_cast<qreal>(heading.Lines.size()) + line;
    std::vector<qreal> heights(static_cast<std::size_t>(rows));
    std::vector<TPage> pages;
    qreal y = headingHeight + headerHeight;
    int first = 0;
    for (int r = 0; r < rows; ++r) {
        const qreal h = rowHeight(rowCells(r), body, fm);
        heights[static_cast<std::size_t>(r)] = h;
        // A page takes at least one row, however tall.
        if (r > first && y + h > bodyBottom) {
            pages.push_back({first, r});
            first = r;
            y = headerHeight;
        }
        y += h;
    }
    pages.push_back({first, rows});

    const QPen grid(QColor(0x80, 0x80, 0x80), 0);
    auto drawRow = [&](qreal top, qreal h, const QStringList& cells, const QFont& font,
                       const QBrush& back, int r) {
        p.setFont(font);
        qreal x = 0;
        for (int c = 0; c < cols; ++c) {
            const qreal w = widths[static_cast<std::size_t>(c)];
            const QRectF cell(x, top, w, h);
            if (back.style() != Qt::NoBrush)
                p.fillRect(cell, back);
            p.setPen(grid);
            p.drawRect(cell);
            p.setPen(Qt::black);
            QTextOption o = wrap;
            o.setAlignment(r < 0
                               ? Qt::AlignLeft | Qt::AlignVCenter
                               : AlignmentOf(model.data(model.index(r, c), Qt::TextAlignmentRole)));
            p.drawText(cell.adjusted(padX, padY, -padX, -padY), cells[c], o);
            x += w;
        }
    };

    const int pageCount = static_cast<int>(pages.size());
    for (int i = 0; i < pageCount; ++i) {
        if (i > 0 && !printer.newPage())
            throw ESchedulePrintError("Unable to start a new page of the schedule.");
        qreal top = 0;
        if (i == 0) {
            p.setFont(titleFont);
            p.setPen(Qt::black);
            p.drawText(QRectF(0, 0, page.width(), fmTitle.height()), Qt::AlignLeft, heading.Title);
            top = fmTitle.height();
            p.setFont(body);
            for (const QString& l : heading.Lines) {
                p.drawText(QRectF(0, top, page.width(), line), Qt::AlignLeft, l);
                top += line;
            }
            top += line;
        }
        drawRow(top, headerHeight, headers, bold, QBrush(QColor(0xe4, 0xe4, 0xe4)), -1);
        top += headerHeight;
        for (int r = pages[i].First; r < pages[i].End; ++r) {
            const qreal h = heights[static_cast<std::size_t>(r)];
            const QVariant back = model.data(model.index(r, 0), Qt::BackgroundRole);
            drawRow(top, h, rowCells(r), body, back.value<QBrush>(), r);
            top += h;
        }
        p.setFont(body);
        p.setPen(Qt::black);
        p.drawText(QRectF(0, page.height() - line, page.width(), line), Qt::AlignHCenter,
                   QStringLiteral("Page %1 of %2").arg(i + 1).arg(pageCount));
    }
    if (!p.end())
        throw ESchedulePrintError("Unable to finish printing the schedule.");
}

} // namespace qv
