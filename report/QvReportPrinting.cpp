// The report's pages on a printer.
#include "report/QvReportPrinting.h"

#include "printers/QvPrinters.h"

#include <QAbstractTextDocumentLayout>
#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QTextDocument>

namespace qv {

QRectF ReportPageRect(const QFont& font, QPrinter& printer) {
    const QFontMetricsF metrics(font, &printer);
    const qreal left = metrics.horizontalAdvance(QStringLiteral("XXXXXXXXXX"));
    const qreal top = 6 * metrics.height();
    return QRectF(QPointF(left, top), QPointF(printer.width(), printer.height()));
}

QString PrintReportDocument(QTextDocument& document, const QFont& font, const QColor& textColor,
                            const QString& title, QPrinter& printer) {
    printer.setDocName(title);
    QPainter painter;
    if (!painter.begin(&printer)) {
        return QStringLiteral("Unable to print the report on \"%1\".").arg(PrintTarget(printer));
    }
    const QRectF page = ReportPageRect(font, printer);
    // With a paint device set, the layout scales format lengths (the tab stops) from 96 dpi to
    // the device.
    document.documentLayout()->setPaintDevice(&printer);
    document.setDocumentMargin(0);
    document.setPageSize(page.size());

    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, textColor);
    const int pages = document.pageCount();
    for (int i = 0; i < pages; ++i) {
        if (i > 0 && !printer.newPage())
            return QStringLiteral("Unable to start a new page of the report.");
        painter.save();
        painter.translate(page.left(), page.top() - i * page.height());
        const QRectF view(0, i * page.height(), page.width(), page.height());
        painter.setClipRect(view);
        // Lines that merely touch the page edge belong to the neighbouring page; drawing them
        // clipped would still leave their text in the output (PDF text search, copy).
        context.clip = view.adjusted(0, 0.5, 0, -0.5);
        document.documentLayout()->draw(&painter, context);
        painter.restore();
    }
    if (!painter.end())
        return QStringLiteral("Unable to finish printing the report.");
    return {};
}

} // namespace qv
