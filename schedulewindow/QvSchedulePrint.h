// The printed cable schedule: a heading (title, date, data file, allowed voltage drop), then the
// table, its header repeated at the top of every page, and the page numbers.
#pragma once

#include <QString>
#include <QStringList>

#include <stdexcept>

class QAbstractItemModel;
class QPrinter;

namespace qv {

// A print job that could not be started or finished.
class ESchedulePrintError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct TSchedulePrintHeading {
    QString Title;
    // Lines under the title ("Date: ...", "Data file: ...").
    QStringList Lines;
};

// Prints the model's shown text, one table row a row, wrapping cells that do not fit the page's
// width. Raises ESchedulePrintError.
void PrintScheduleTable(QPrinter& printer, const QAbstractItemModel& model,
                        const TSchedulePrintHeading& heading);

} // namespace qv
