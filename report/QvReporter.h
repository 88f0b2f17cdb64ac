// TReportForm: the window that shows the calculation report and prints, copies and mails it.
// Its owner fills it line by line (Clear, AddLine, SetTabs) and is asked through OnRefresh to
// fill it again when the window's size or report font changes.
#pragma once

#include <QDialog>
#include <QFont>
#include <QList>
#include <QRectF>
#include <QString>
#include <QTextOption>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>

class QComboBox;
class QPrinter;
class QFontDialog;
class QLabel;
class QStatusBar;
class QTextDocument;
class QTextEdit;
class QToolBar;
class QToolButton;

namespace qv {

class TMapiControl;

// A print job that could not be started or finished.
class EReportPrintError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Colour values as they are stored: 0x00BBGGRR, or 0x80000000 plus a system colour index.
inline constexpr std::uint32_t clWindowText = 0x80000008;
QColor ColorFromValue(std::uint32_t value);
std::uint32_t ValueFromColor(const QColor& color);

// The font dialog of the report: typeface, style and size, plus the text colour (the toolkit's
// font dialog has no colour choice).
class TReportFontDialog : public QDialog {
    Q_OBJECT
  public:
    explicit TReportFontDialog(QWidget* parent = nullptr);
    void setCurrentFont(const QFont& font);
    QFont selectedFont() const;
    // Colour values as stored; one that is not in the list is offered as "Custom".
    void setColor(std::uint32_t value);
    std::uint32_t color() const;

  private:
    QFontDialog* m_fonts;
    QComboBox* m_colors;
};

class TReportForm : public QWidget {
    Q_OBJECT
  public:
    explicit TReportForm(QWidget* parent = nullptr);
    ~TReportForm() override;

    // Filling the report.
    void Clear();
    void AddLine(const QString& text);
    // Tab stops in points, kept to whole twentieths of a point.
    void SetTabs(const QList<double>& points);
    QList<double> Tabs() const { return m_tabs; }

    std::function<void()> OnRefresh;
    QString ReportTitle;

    // The report font: face, size and style, plus the stored colour value and character set.
    QFont ReportFont() const { return m_font; }
    std::uint32_t ReportFontColor() const { return m_fontColor; }
    int ReportFontCharSet() const { return m_fontCharSet; }
    void SetReportFont(const QFont& font, std::uint32_t color, int charSet);

    // The report as plain text, every line followed by CR LF.
    QString PlainText() const;
    QString StatusText() const;

    // Prints the whole report as one job named ReportTitle; throws EReportPrintError.
    void PrintReport(QPrinter& printer);
    // The same pages in a PDF file; throws EReportPrintError.
    void SavePdf(const QString& path);
    // The printer of the process: printer setup changes it for every later print, in any window.
    QPrinter& Printer();

    // Asks for the name of a file to save; an empty answer cancels. Tests replace it.
    static std::function<QString(QWidget* parent, const QString& caption, const QString& suggested,
                                 const QString& filter)>
        AskSaveFileName;

    // Tool bar commands.
    void ButtonPrintClick();
    // The report as it prints, into a PDF file: a report reaches a file without a printer.
    void ButtonPdfClick();
    void ButtonCopyClick();
    void ButtonEMailClick();
    void ButtonSetupClick();
    void ButtonFontClick();
    void ButtonCloseClick();

    // Window events.
    void FormActivate();
    void FormDeactivate();
    void FormResize();

    QToolBar* ToolBar1 = nullptr;
    QToolButton* ButtonPrint = nullptr;
    QToolButton* ButtonPdf = nullptr;
    QToolButton* ButtonCopy = nullptr;
    QToolButton* ButtonEMail = nullptr;
    QToolButton* ButtonSetup = nullptr;
    QToolButton* ButtonFont = nullptr;
    QToolButton* ButtonClose = nullptr;
    QWidget* TabPanel = nullptr;
    QTextEdit* RichEdit1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    // Made when the font is first chosen: building it reads the whole font list.
    TReportFontDialog* FontDialog1 = nullptr;
    TMapiControl* MapiControl1 = nullptr;

  protected:
    bool event(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

  private:
    void FormCreate();
    void SetStatus(const QString& text);
    int FontPointSize() const;
    void ApplyTabs(QTextDocument* doc, double dpi) const;
    // A copy of the report to lay out on pages, in the report font with its tab stops.
    std::unique_ptr<QTextDocument> PageDocument() const;
    QList<QTextOption::Tab> TabStops(double dpi) const;

    QFont m_font;
    std::uint32_t m_fontColor = clWindowText;
    int m_fontCharSet = 1;
    QList<double> m_tabs;
    int m_linesAdded = 0;
    // Where the last PDF went: the next is suggested beside it.
    QString m_pdfFolder;
    QLabel* m_statusPanel = nullptr;
};

} // namespace qv
