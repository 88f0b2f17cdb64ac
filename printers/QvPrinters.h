// The printer of the process: every window prints on it, and a printer setup made in any window
// applies to all later printing, whichever window prints.
#pragma once

class QPrinter;
class QString;
class QWidget;

namespace qv {

// Made on first use: setting up a printer asks the print system for its printers, which the
// program's start needn't wait for.
QPrinter& ProcessPrinter();
// Forgets the choice made so far; the next use makes a fresh printer. Tests start from it.
void ResetProcessPrinter();

// Whether printing can go anywhere: a printer the print system knows, or a named PDF file.
bool PrinterUsable(const QPrinter& printer);
// True when the process printer can print; otherwise the print dialog, titled `title`, offers a
// choice (with no printer installed, a PDF file), and the answer is whether the user took one.
bool EnsureProcessPrinter(QWidget* parent, const QString& title);
// Where a job on `printer` goes, as a failure names it: the PDF file or the printer's name.
QString PrintTarget(const QPrinter& printer);
// Carries the choice of a printer setup (printer or file, paper, orientation, colour, duplex)
// over to a printer of another kind, such as the text editor's own.
void CopyPrinterChoice(const QPrinter& from, QPrinter& to);

} // namespace qv
