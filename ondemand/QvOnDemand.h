// The part of the program loaded on first use: printing, the INI editor's text area, the Cable
// Sizes window (with its chart) and the Cable Schedule window. The print system's library, the
// editing component and the chart library cost milliseconds of every start if the program links
// them, and a start needs none of them. The part is a Qt plugin (libampwise_ondemand.so, beside
// the program) whose interface carries the program's version; it and the program both link
// libampwise_common.so, so they run on the same settings, data and paths.
#pragma once

#include <QString>
#include <QtPlugin>

#include <functional>
#include <string>
#include <vector>

class QColor;
class QFont;
class QPrinter;
class QTextDocument;
class QWidget;

namespace qv {

class TIniTextArea;
class TSizesWindow;
struct TCircuitInputs;

class TOnDemand {
  public:
    // The printer of the process (see QvPrinters.h), and whether printing can go anywhere.
    virtual QPrinter& ProcessPrinter() = 0;
    virtual bool PrinterUsable(const QPrinter& printer) = 0;
    // True when the process's printer can print; otherwise the print dialog, titled `title`,
    // offers a choice, and the answer is whether the user took one.
    virtual bool EnsureProcessPrinter(QWidget* parent, const QString& title) = 0;
    // Runs the print dialog on `printer`, modal over `parent`; true when accepted.
    virtual bool ExecPrintDialog(QPrinter& printer, QWidget* parent, const QString& title) = 0;
    // The print dialog as a printer setup: it keeps the choice for later prints rather than
    // printing, and its accepting button says so. True when accepted.
    virtual bool ExecPrinterSetup(QPrinter& printer, QWidget* parent, const QString& title) = 0;

    // Prints `document` (its default font and tab stops at 96 dpi set) as one job named `title`,
    // page by page within the report's page area (see report/QvReportPrinting.h), its text in
    // `textColor`. The empty text, or what failed.
    virtual QString PrintReport(QTextDocument& document, const QFont& font, const QColor& textColor,
                                const QString& title, QPrinter& printer) = 0;
    // The same pages in a PDF file at `path`, on the paper chosen for the process's printer.
    virtual QString PrintReportPdf(QTextDocument& document, const QFont& font,
                                   const QColor& textColor, const QString& title,
                                   const QString& path) = 0;

    // The INI editor's text area, a child of `parent`.
    virtual TIniTextArea* MakeIniTextArea(QWidget* parent) = 0;

    // The Cable Sizes window over the standard `sizes`, a window of its own owned by `parent`.
    virtual TSizesWindow* MakeSizesWindow(const std::vector<double>& sizes, QWidget* parent) = 0;
    // The Cable Schedule window, owned by the caller; it asks `mainInputs` for the main window's
    // circuit and gives a circuit to load to `loadIntoMain`.
    virtual QWidget*
    MakeScheduleWindow(std::function<TCircuitInputs()> mainInputs,
                       std::function<void(const TCircuitInputs&)> loadIntoMain) = 0;

    virtual ~TOnDemand() = default;
};

// The part beside the program, loaded on the first call. A part that can't be loaded raises an
// error "Cannot load <file>: <reason>" and is tried again on the next call.
TOnDemand& OnDemand();

// Loads the part from `file` after checking that the file can be mapped without faults (see
// QvPartFile.h) and that it is the part of this very version. Raises the error OnDemand raises.
TOnDemand& LoadPart(const std::string& file);

} // namespace qv

// The interface's name carries the program's version (AMPWISE_ONDEMAND_IID, set by the build),
// so a part left from another version is refused before any of its code runs.
Q_DECLARE_INTERFACE(qv::TOnDemand, AMPWISE_ONDEMAND_IID)
