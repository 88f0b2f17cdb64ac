// The printer of the process and the choice it carries.
#include "printers/QvPrinters.h"

#include <QCoreApplication>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace qv {

namespace {

QPrinter* g_printer = nullptr;

} // namespace

QPrinter& ProcessPrinter() {
    if (!g_printer) {
        g_printer = new QPrinter(QPrinter::HighResolution);
        // Released with the application, while the print system it talks to is still there.
        static const bool registered = [] {
            qAddPostRoutine(ResetProcessPrinter);
            return true;
        }();
        (void)registered;
    }
    return *g_printer;
}

void ResetProcessPrinter() {
    delete g_printer;
    g_printer = nullptr;
}

bool PrinterUsable(const QPrinter& printer) {
    return printer.outputFormat() == QPrinter::PdfFormat ? !printer.outputFileName().isEmpty()
                                                         : !QPrinterInfo(printer).isNull();
}

bool EnsureProcessPrinter(QWidget* parent, const QString& title) {
    QPrinter& printer = ProcessPrinter();
    if (PrinterUsable(printer))
        return true;
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(title);
    return dialog.exec() == QDialog::Accepted;
}

QString PrintTarget(const QPrinter& printer) {
    return printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName()
                                                         : printer.printerName();
}

void CopyPrinterChoice(const QPrinter& from, QPrinter& to) {
    to.setOutputFormat(from.outputFormat());
    if (from.outputFormat() == QPrinter::NativeFormat)
        to.setPrinterName(from.printerName());
    else if (!from.outputFileName().isEmpty())
        to.setOutputFileName(from.outputFileName());
    to.setPageLayout(from.pageLayout());
    to.setColorMode(from.colorMode());
    to.setDuplex(from.duplex());
    to.setCollateCopies(from.collateCopies());
    to.setPageOrder(from.pageOrder());
}

} // namespace qv
