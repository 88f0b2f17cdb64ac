// The printed cable schedule: a heading (title, date, data file, allowed voltage drop), then the
// table (or its bands of columns one after the other), its header repeated at the top of every
// page, and the page numbers; printed in steps.
#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <stdexcept>
#include <vector>

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

// Sets of the model's columns printed together, each a table of its own after the one before,
// so that a wide schedule stays readable; none: every column in one table.
using TPrintBands = std::vector<std::vector<int>>;

// A print of the model's shown text, one table row a row, wrapping cells that do not fit the
// page's width, made a step at a time so that the window running it stays live: the columns are
// measured and the rows laid out on pages, then the pages are drawn, each step a few dozen
// milliseconds of work. The model must not change while the job runs.
class TSchedulePrintJob {
  public:
    // Starts the job on `printer`. Raises ESchedulePrintError.
    TSchedulePrintJob(QPrinter& printer, const QAbstractItemModel& model,
                      TSchedulePrintHeading heading, TPrintBands bands = {});
    // A job not run to its end is aborted.
    ~TSchedulePrintJob();
    TSchedulePrintJob(const TSchedulePrintJob&) = delete;
    TSchedulePrintJob& operator=(const TSchedulePrintJob&) = delete;

    // Does the next part of the job; false once every page is drawn and the job finished.
    // Raises ESchedulePrintError.
    bool Step();
    // Whether the rows are laid out on pages, so that PageCount is known.
    bool LaidOut() const;
    int PageCount() const;
    // How far the job is, from 0 to 1000.
    int Progress() const;
    // Stops the job unfinished; a printer is told to drop it.
    void Abort();

  private:
    struct TState;
    std::unique_ptr<TState> m;
};

// The whole job at once. Raises ESchedulePrintError.
void PrintScheduleTable(QPrinter& printer, const QAbstractItemModel& model,
                        const TSchedulePrintHeading& heading);

} // namespace qv
