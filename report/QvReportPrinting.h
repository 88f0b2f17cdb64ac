// Printing a report: where it goes on a page and the pages themselves. Part of the program loaded
// on first use (see ondemand/QvOnDemand.h).
#pragma once

#include <QRectF>
#include <QString>

class QColor;
class QFont;
class QPrinter;
class QTextDocument;

namespace qv {

// Ten "X" widths from the left and six "X" heights from the top of the printable area, to its
// right and bottom, in printer pixels.
QRectF ReportPageRect(const QFont& font, QPrinter& printer);

// Prints `document` as one job named `title`, page by page within ReportPageRect, its text in
// `textColor`. The document's tab stops are taken as set for 96 dpi. The empty text, or what
// failed.
QString PrintReportDocument(QTextDocument& document, const QFont& font, const QColor& textColor,
                            const QString& title, QPrinter& printer);

} // namespace qv
