// The part of the program loaded on first use, as a Qt plugin: what ondemand/QvOnDemand.h asks of
// it.
#include "inieditor/QvIniEdit.h"
#include "report/QvReportPrinting.h"
#include "schedulewindow/QvScheduleForm.h"
#include "sizes/QvSizesForm.h"
#include "ondemand/QvOnDemand.h"
#include "printers/QvPrinters.h"

#include <QDialogButtonBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

namespace qv {

namespace {

class TOnDemandModule final : public QObject, public TOnDemand {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID AMPWISE_ONDEMAND_IID)
    Q_INTERFACES(qv::TOnDemand)

  public:
    QPrinter& ProcessPrinter() override { return qv::ProcessPrinter(); }

    bool PrinterUsable(const QPrinter& printer) override { return qv::PrinterUsable(printer); }

    bool EnsureProcessPrinter(QWidget* parent, const QString& title) override {
        return qv::EnsureProcessPrinter(parent, title);
    }

    bool ExecPrintDialog(QPrinter& printer, QWidget* parent, const QString& title) override {
        QPrintDialog dialog(&printer, parent);
        dialog.setWindowTitle(title);
        return dialog.exec() == QDialog::Accepted;
    }

    bool ExecPrinterSetup(QPrinter& printer, QWidget* parent, const QString& title) override {
        QPrintDialog dialog(&printer, parent);
        dialog.setWindowTitle(title);
        // The dialog's own "Print" would promise a job that a setup does not start.
        if (auto* buttons = dialog.findChild<QDialogButtonBox*>())
            if (QPushButton* accept = buttons->button(QDialogButtonBox::Ok))
                accept->setText(QStringLiteral("&Use Printer"));
        return dialog.exec() == QDialog::Accepted;
    }

    QString PrintReport(QTextDocument& document, const QFont& font, const QColor& textColor,
                        const QString& title, QPrinter& printer) override {
        return PrintReportDocument(document, font, textColor, title, printer);
    }

    QString PrintReportPdf(QTextDocument& document, const QFont& font, const QColor& textColor,
                           const QString& title, const QString& path) override {
        QPrinter printer(QPrinter::HighResolution);
        CopyPrinterChoice(qv::ProcessPrinter(), printer);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        return PrintReportDocument(document, font, textColor, title, printer);
    }

    TIniTextArea* MakeIniTextArea(QWidget* parent) override { return new TIniEdit(parent); }

    TSizesWindow* MakeSizesWindow(const std::vector<double>& sizes, QWidget* parent) override {
        return new TSizesForm(sizes, parent);
    }

    QWidget* MakeScheduleWindow(std::function<TCircuitInputs()> mainInputs,
                                std::function<void(const TCircuitInputs&)> loadIntoMain) override {
        auto* window = new TScheduleForm;
        window->MainInputs = std::move(mainInputs);
        window->LoadIntoMain = std::move(loadIntoMain);
        return window;
    }
};

} // namespace

} // namespace qv

#include "QvOnDemandModule.moc"
