// The Cable Sizes page: inputs at the head, the verdict, the table (cut around the chosen size
// when too long to read) and a chart of its own at the foot.
#include "sizes/QvSizesPrint_p.h"

#include "sizes/QvSizesChart_p.h"
#include "sizes/QvSizesModel_p.h"
#include "printers/QvPrinters.h"

#include <QChart>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QGraphicsScene>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include <algorithm>
#include <stdexcept>

namespace qv {

namespace {

const QColor kHeaderRow(0xee, 0xee, 0xee);
const QColor kRule(0xd0, 0xd0, 0xd0);

void PaintPage(QPainter& p, const TSizesPage& sheet, const QRectF& page) {
    const TIecView none;
    const TIecView& iec = sheet.Iec ? *sheet.Iec : none;
    QPaintDevice* device = p.device();
    const qreal dpi = device->logicalDpiY();
    const auto pt = [dpi](qreal points) { return points * dpi / 72.0; };
    const auto sized = [&sheet](qreal points, bool bold) {
        QFont f = sheet.Font;
        f.setPointSizeF(points);
        f.setBold(bold);
        return f;
    };
    const QFont title = sized(14, true), caption = sized(9, true), plain = sized(9, false),
                verdict = sized(10, false), cell = sized(8.5, false), head = sized(8.5, true);
    qreal y = page.top();
    const auto line = [&](const QFont& f, qreal x, const QString& text) {
        p.setFont(f);
        p.drawText(QPointF(x, y + QFontMetricsF(f, device).ascent()), text);
    };

    p.setPen(kSizesText);
    line(title, page.left(), sheet.Title);
    y += QFontMetricsF(title, device).height() + pt(6);

    std::vector<std::pair<std::string, std::string>> inputs = SizesInputs(sheet.View);
    if (iec.Shown)
        for (auto& input : IecInputsText(iec))
            inputs.push_back(std::move(input));
    qreal captionWidth = 0;
    for (const auto& [name, value] : inputs)
        captionWidth = std::max(
            captionWidth,
            QFontMetricsF(caption, device).horizontalAdvance(QString::fromStdString(name)));
    for (const auto& [name, value] : inputs) {
        line(caption, page.left(), QString::fromStdString(name));
        line(plain, page.left() + captionWidth + pt(12), QString::fromStdString(value));
        y += QFontMetricsF(plain, device).height();
    }
    y += pt(8);

    p.setFont(verdict);
    QRectF box(page.left(), y, page.width(), page.bottom() - y);
    y = p.boundingRect(box, Qt::TextWordWrap, sheet.Verdict).bottom();
    p.drawText(box, Qt::TextWordWrap, sheet.Verdict);
    if (!sheet.IecVerdict.isEmpty()) {
        box.setTop(y + pt(4));
        y = p.boundingRect(box, Qt::TextWordWrap, sheet.IecVerdict).bottom();
        p.drawText(box, Qt::TextWordWrap, sheet.IecVerdict);
    }
    if (!sheet.Note.isEmpty()) {
        p.setPen(kSizesNote);
        box.setTop(y + pt(4));
        y = p.boundingRect(box, Qt::TextWordWrap, sheet.Note).bottom();
        p.drawText(box, Qt::TextWordWrap, sheet.Note);
        p.setPen(kSizesText);
    }
    y += pt(10);

    // The chart takes the foot of the page; the table, shrunk if it must, the room between.
    const qreal chartHeight = std::min(page.height() * 0.4, page.width() * 0.62);
    const QRectF chartBox(page.left(), page.bottom() - chartHeight, page.width(), chartHeight);

    // Measured in bold, the chosen row's font, so that no figure is cut short.
    const QFontMetricsF metrics(head, device);
    const qreal pad = pt(4);
    const std::size_t rows = sheet.View.Rows.size();
    const qreal rowHeight = metrics.height() + pad;
    const qreal room = chartBox.top() - pt(10) - y;
    // A list too long to read on one page is cut to the rows around the chosen size, and says so.
    constexpr qreal kSmallestScale = 0.7;
    std::size_t first = 0, shown = rows;
    QString cut;
    if (room / (rowHeight * static_cast<qreal>(rows + 1)) < kSmallestScale) {
        // Less the heading and the line that says what was left out.
        shown = static_cast<std::size_t>(std::max(1.0, room / kSmallestScale / rowHeight - 2));
        const std::size_t centre =
            sheet.View.Chosen >= 0 ? static_cast<std::size_t>(sheet.View.Chosen) : rows - 1;
        first = std::min(centre - std::min(centre, shown / 2), rows - shown);
        cut = QStringLiteral("Sizes %1 to %2 of %3 shown; Save as CSV gives every size.")
                  .arg(first + 1)
                  .arg(first + shown)
                  .arg(rows);
    }

    std::vector<qreal> widths(kSizesAllColumns);
    for (int c = 0; c < kSizesAllColumns; ++c) {
        widths[c] =
            metrics.horizontalAdvance(QString::fromStdString(SizesAnyHeader(sheet.View, c)));
        for (std::size_t r = first; r < first + shown; ++r)
            widths[c] = std::max(widths[c], metrics.horizontalAdvance(QString::fromStdString(
                                                SizesAnyCell(sheet.View, iec, r, c))));
        widths[c] += 2 * pad;
    }
    qreal tableWidth = 0;
    for (qreal w : widths)
        tableWidth += w;
    const qreal tableHeight = rowHeight * static_cast<qreal>(shown + 1 + (cut.isEmpty() ? 0 : 1));
    const qreal scale = std::min({1.0, page.width() / tableWidth, room / tableHeight});

    p.save();
    p.translate(page.left(), y);
    p.scale(scale, scale);
    // Each cell stands by its own part's answer: the chosen size's ground and ink, or greyed.
    const auto rowAt = [&](qreal top, const auto& styleOf, const auto& textOf) {
        qreal x = 0;
        for (int c = 0; c < kSizesAllColumns; ++c) {
            const auto [fill, ink, font] = styleOf(c);
            if (fill.isValid())
                p.fillRect(QRectF(x, top, widths[c], rowHeight), fill);
            p.setPen(ink);
            p.setFont(font);
            const QRectF cellBox(x + pad, top, widths[c] - 2 * pad, rowHeight);
            const Qt::Alignment align =
                (c == scGoverns || c == SizesColumnCount + icShortCircuit ? Qt::AlignLeft
                                                                          : Qt::AlignRight) |
                Qt::AlignVCenter;
            p.drawText(cellBox, int(align), textOf(c));
            x += widths[c];
        }
        p.setPen(QPen(kRule, 0));
        p.drawLine(QPointF(0, top + rowHeight), QPointF(tableWidth, top + rowHeight));
    };
    struct TStyle {
        QColor Fill, Ink;
        QFont Font;
    };
    rowAt(
        0,
        [&](int) {
            return TStyle{kHeaderRow, kSizesText, head};
        },
        [&](int c) { return QString::fromStdString(SizesAnyHeader(sheet.View, c)); });
    for (std::size_t r = first; r < first + shown; ++r) {
        rowAt(
            rowHeight * static_cast<qreal>(r - first + 1),
            [&](int c) {
                const bool chosen = SizesCellChosen(sheet.View, iec, r, c);
                return TStyle{chosen ? kSizesChosenRow : QColor(),
                              SizesCellFits(sheet.View, iec, r, c) ? kSizesText : kSizesGreyText,
                              chosen ? head : cell};
            },
            [&](int c) { return QString::fromStdString(SizesAnyCell(sheet.View, iec, r, c)); });
    }
    if (!cut.isEmpty()) {
        p.setPen(kSizesGreyText);
        p.setFont(cell);
        p.drawText(QRectF(0, rowHeight * static_cast<qreal>(shown + 1), tableWidth, rowHeight),
                   int(Qt::AlignLeft | Qt::AlignVCenter), cut);
    }
    p.restore();

    // A chart of its own, laid out for the page's proportions rather than the window's.
    QGraphicsScene scene;
    auto* chart = new QChart;
    scene.addItem(chart);
    const QSizeF chartSize(720, 720 * chartBox.height() / chartBox.width());
    chart->resize(chartSize);
    TSizesChart(chart).Update(sheet.View, iec);
    // The chart lays itself out on posted events, which a page cannot wait for.
    QCoreApplication::sendPostedEvents();
    scene.render(&p, chartBox, QRectF(QPointF(0, 0), chartSize));
}

} // namespace

void PrintSizesPage(QPagedPaintDevice& device, const TSizesPage& page, const QString& jobName) {
    if (auto* printer = dynamic_cast<QPrinter*>(&device))
        printer->setDocName(jobName);
    else if (auto* pdf = dynamic_cast<QPdfWriter*>(&device))
        pdf->setTitle(jobName);
    QPainter painter;
    if (!painter.begin(&device)) {
        QString where;
        if (auto* printer = dynamic_cast<QPrinter*>(&device))
            where = PrintTarget(*printer);
        throw std::runtime_error(
            QStringLiteral("Unable to print the cable sizes on \"%1\".").arg(where).toStdString());
    }
    PaintPage(painter, page, QRectF(0, 0, device.width(), device.height()));
    if (!painter.end())
        throw std::runtime_error("Unable to finish printing the cable sizes.");
}

} // namespace qv
