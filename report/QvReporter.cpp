// TReportForm: layout, filling, printing, copying, mailing and the stored report font.
#include "report/QvReporter.h"

#include "report/MapiControl.h"
#include "settings/QvFormPlacement.h"
#include "settings/QvRegistry.h"
#include "widgets/QvMessageBox.h"
#include "ondemand/QvOnDemand.h"
#include "widgets/QvTextToolBar.h"

#include <QApplication>
#include <QBoxLayout>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QLabel>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextOption>
#include <QToolBar>
#include <QToolButton>

#include <cmath>
#include <memory>

namespace qv {

std::function<QString(QWidget*, const QString&, const QString&, const QString&)>
    TReportForm::AskSaveFileName = [](QWidget* parent, const QString& caption,
                                      const QString& suggested, const QString& filter) {
        return QFileDialog::getSaveFileName(parent, caption, suggested, filter);
    };

namespace {

const std::string Section = "ReportForm";

// The face's own name for the font's weight and slant. The dialog looks styles up by name and
// takes the first one listed when the generic name ("Normal") is not among them.
QString MatchingStyle(const QString& family, const QFont& font) {
    QString best;
    int bestScore = 0;
    for (const QString& style : QFontDatabase::styles(family)) {
        if (QFontDatabase::italic(family, style) != font.italic())
            continue;
        // Closest weight first, then the plainest name ("Book" before "Condensed").
        const int score = std::abs(QFontDatabase::weight(family, style) - font.weight()) * 100 +
                          static_cast<int>(style.size());
        if (best.isEmpty() || score < bestScore) {
            best = style;
            bestScore = score;
        }
    }
    return best;
}

} // namespace

QColor ColorFromValue(std::uint32_t value) {
    if ((value & 0xFF000000u) != 0x80000000u)
        return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
    const QPalette palette = QApplication::palette();
    switch (value & 0xFF) {
    case 5: // window
        return palette.color(QPalette::Base);
    case 13:
        return palette.color(QPalette::Highlight);
    case 14:
        return palette.color(QPalette::HighlightedText);
    case 15:
        return palette.color(QPalette::Button);
    case 17:
        return palette.color(QPalette::Disabled, QPalette::Text);
    case 18:
        return palette.color(QPalette::ButtonText);
    case 23:
        return palette.color(QPalette::ToolTipText);
    case 24:
        return palette.color(QPalette::ToolTipBase);
    default: // window text, and any index we have no counterpart for
        return palette.color(QPalette::Text);
    }
}

std::uint32_t ValueFromColor(const QColor& color) {
    const QColor rgb = color.toRgb();
    return static_cast<std::uint32_t>(rgb.red()) | static_cast<std::uint32_t>(rgb.green()) << 8 |
           static_cast<std::uint32_t>(rgb.blue()) << 16;
}

TReportFontDialog::TReportFontDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Font"));
    auto* layout = new QVBoxLayout(this);
    m_fonts = new QFontDialog(this);
    m_fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    m_fonts->setWindowFlags(Qt::Widget);
    layout->addWidget(m_fonts);

    auto* row = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("&Colour:"), this);
    m_colors = new QComboBox(this);
    label->setBuddy(m_colors);
    m_colors->addItem(QStringLiteral("Window text"), clWindowText);
    // The sixteen colours of the classic font dialog, as 0x00BBGGRR.
    const std::pair<const char*, std::uint32_t> named[] = {
        {"Black", 0x000000},  {"Maroon", 0x000080},  {"Green", 0x008000}, {"Olive", 0x008080},
        {"Navy", 0x800000},   {"Purple", 0x800080},  {"Teal", 0x808000},  {"Grey", 0x808080},
        {"Silver", 0xC0C0C0}, {"Red", 0x0000FF},     {"Lime", 0x00FF00},  {"Yellow", 0x00FFFF},
        {"Blue", 0xFF0000},   {"Fuchsia", 0xFF00FF}, {"Aqua", 0xFFFF00},  {"White", 0xFFFFFF}};
    for (const auto& [name, value] : named)
        m_colors->addItem(QString::fromLatin1(name), value);
    row->addWidget(label);
    row->addWidget(m_colors, 1);
    layout->addLayout(row);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void TReportFontDialog::setCurrentFont(const QFont& font) {
    m_fonts->setCurrentFont(font);
}

QFont TReportFontDialog::selectedFont() const {
    return m_fonts->currentFont();
}

void TReportFontDialog::setColor(std::uint32_t value) {
    int index = m_colors->findData(value);
    if (index < 0) {
        // Keep a colour the list doesn't name, so confirming the dialog doesn't change it.
        const int custom = m_colors->findText(QStringLiteral("Custom"));
        if (custom >= 0)
            m_colors->removeItem(custom);
        m_colors->addItem(QStringLiteral("Custom"), value);
        index = m_colors->count() - 1;
    }
    m_colors->setCurrentIndex(index);
}

std::uint32_t TReportFontDialog::color() const {
    return m_colors->currentData().value<std::uint32_t>();
}

TReportForm::TReportForm(QWidget* parent) : QWidget(parent, Qt::Tool) {
    setObjectName(QStringLiteral("ReportForm"));
    setWindowTitle(QStringLiteral("Report"));
    setGeometry(501, 220, 397, 437);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    ToolBar1 = TextToolBar(this);
    const auto button = [this](const char* name, const char* caption, const char* hint,
                               auto handler) {
        return AddTextButton(ToolBar1, name, caption, hint, this, handler);
    };
    ButtonPrint =
        button("ButtonPrint", "&Print", "Send report to printer", &TReportForm::ButtonPrintClick);
    ButtonPdf = button("ButtonPdf", "Save as P&DF...", "Save report as a PDF file",
                       &TReportForm::ButtonPdfClick);
    ButtonCopy = button("ButtonCopy", "C&opy", "Copy report to  Windows clipboard",
                        &TReportForm::ButtonCopyClick);
    ButtonEMail = button("ButtonEMail", "&Email", "Send as EMail", &TReportForm::ButtonEMailClick);
    ButtonSetup = button("ButtonSetup", "&Setup", "Printer setup", &TReportForm::ButtonSetupClick);
    ButtonFont = button("ButtonFont", "&Font", "Set report font", &TReportForm::ButtonFontClick);
    ButtonClose = button("ButtonClose", "&Close", "", &TReportForm::ButtonCloseClick);
    outer->addWidget(ToolBar1);

    auto* middle = new QHBoxLayout;
    middle->setContentsMargins(0, 0, 0, 0);
    middle->setSpacing(0);
    TabPanel = new QWidget(this);
    TabPanel->setObjectName(QStringLiteral("TabPanel"));
    TabPanel->setFixedWidth(12);
    TabPanel->setAutoFillBackground(true);
    TabPanel->setBackgroundRole(QPalette::Base);
    middle->addWidget(TabPanel);

    RichEdit1 = new QTextEdit(this);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setAccessibleName(QStringLiteral("Report text"));
    RichEdit1->setFrameShape(QFrame::NoFrame);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    RichEdit1->setLineWrapMode(QTextEdit::WidgetWidth);
    RichEdit1->setAcceptRichText(false);
    middle->addWidget(RichEdit1, 1);
    outer->addLayout(middle, 1);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(true);
    m_statusPanel = new QLabel(StatusBar1);
    StatusBar1->addWidget(m_statusPanel, 1);
    outer->addWidget(StatusBar1);
    SetStatus(QStringLiteral("Ready"));

    MapiControl1 = new TMapiControl(this);
    MapiControl1->setObjectName(QStringLiteral("MapiControl1"));
    // The composer can't report a cancel, so an abort means no mail program was there to take
    // the report; silence would leave the user waiting for a window that never comes.
    MapiControl1->OnUserAbort = [this](QObject*) {
        SetStatus(QStringLiteral("No mail program found"));
    };

    m_font = QFont(QStringLiteral("Verdana"), 8);
    SetReportFont(m_font, clWindowText, 1);
    FormCreate();
}

TReportForm::~TReportForm() = default;

void TReportForm::FormCreate() {
    {
        TRegistryIniFile reg(AppRegistryKey());
        RestoreDesignedFormPlacement(this, reg, false, true);
        // A value of the wrong kind keeps the current property: one stray value must not stop
        // the window from being created at start-up.
        const auto readInt = [&reg](const char* key, std::int32_t def) {
            try {
                return reg.ReadInt(Section, key, def);
            } catch (const ERegistryException&) {
                return def;
            }
        };
        QFont font = m_font;
        const std::int32_t size = readInt("FontSize", FontPointSize());
        // A size or character set no font can have leaves the current one.
        if (size >= 1 && size <= 1638)
            font.setPointSize(size);
        const auto color = static_cast<std::uint32_t>(
            readInt("FontColor", static_cast<std::int32_t>(m_fontColor)));
        std::int32_t charSet = readInt("FontCharset", m_fontCharSet);
        if (charSet < 0 || charSet > 255)
            charSet = m_fontCharSet;
        std::string name = m_font.family().toStdString();
        try {
            name = reg.ReadText(Section, "FontName", name);
        } catch (const ERegistryException&) {
        }
        if (!name.empty())
            font.setFamily(QString::fromStdString(name));
        SetReportFont(font, color, charSet);
    }
    SetTabs({90, 155});
    ReportTitle = ApplicationTitle();
    OnRefresh = nullptr;
}

int TReportForm::FontPointSize() const {
    return m_font.pointSize() > 0 ? m_font.pointSize() : qRound(m_font.pointSizeF());
}

void TReportForm::SetReportFont(const QFont& font, std::uint32_t color, int charSet) {
    m_font = font;
    m_fontColor = color;
    m_fontCharSet = charSet;
    RichEdit1->setFont(m_font);
    RichEdit1->document()->setDefaultFont(m_font);
    QPalette palette = RichEdit1->palette();
    palette.setColor(QPalette::Text, ColorFromValue(m_fontColor));
    RichEdit1->setPalette(palette);
    // Tab stops are held in pixels, which do not depend on the font; nothing else to redo.
}

void TReportForm::SetTabs(const QList<double>& points) {
    m_tabs.clear();
    for (double p : points)
        m_tabs.append(std::round(p * 20) / 20);
    ApplyTabs(RichEdit1->document(), RichEdit1->logicalDpiX());
}

void TReportForm::ApplyTabs(QTextDocument* doc, double dpi) const {
    // The layout takes tab stops from each paragraph's format, so every paragraph carries them.
    QTextBlockFormat format;
    format.setTabPositions(TabStops(dpi));
    QTextCursor cursor(doc);
    cursor.select(QTextCursor::Document);
    cursor.mergeBlockFormat(format);
}

QList<QTextOption::Tab> TReportForm::TabStops(double dpi) const {
    QList<QTextOption::Tab> tabs;
    for (double p : m_tabs)
        tabs.append(QTextOption::Tab(p * dpi / 72.0, QTextOption::LeftTab));
    return tabs;
}

void TReportForm::Clear() {
    // The document keeps its default font across clear(); the paragraph keeps the tab stops.
    RichEdit1->document()->clear();
    QTextBlockFormat format;
    format.setTabPositions(TabStops(RichEdit1->logicalDpiX()));
    QTextCursor(RichEdit1->document()).setBlockFormat(format);
    m_linesAdded = 0;
}

void TReportForm::AddLine(const QString& text) {
    QTextDocument* doc = RichEdit1->document();
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::End);
    QTextBlockFormat format;
    format.setTabPositions(TabStops(RichEdit1->logicalDpiX()));
    // The first line goes into the empty paragraph an empty document always has.
    if (m_linesAdded > 0 || !doc->isEmpty())
        cursor.insertBlock(format, QTextCharFormat());
    else
        cursor.setBlockFormat(format);
    cursor.insertText(text, QTextCharFormat());
    ++m_linesAdded;
}

QString TReportForm::PlainText() const {
    const QTextDocument* doc = RichEdit1->document();
    if (doc->isEmpty() && m_linesAdded == 0)
        return {};
    QString out;
    for (const QString& line : doc->toPlainText().split(QLatin1Char('\n')))
        out += line + QStringLiteral("\r\n");
    return out;
}

QString TReportForm::StatusText() const {
    return m_statusPanel->text();
}

void TReportForm::SetStatus(const QString& text) {
    m_statusPanel->setText(text);
    m_statusPanel->repaint();
}

std::unique_ptr<QTextDocument> TReportForm::PageDocument() const {
    std::unique_ptr<QTextDocument> doc(RichEdit1->document()->clone());
    doc->setDefaultFont(m_font);
    ApplyTabs(doc.get(), 96);
    return doc;
}

void TReportForm::PrintReport(QPrinter& printer) {
    const QString failure = OnDemand().PrintReport(
        *PageDocument(), m_font, ColorFromValue(m_fontColor), ReportTitle, printer);
    if (!failure.isEmpty())
        throw EReportPrintError(failure.toStdString());
}

QPrinter& TReportForm::Printer() {
    return OnDemand().ProcessPrinter();
}

void TReportForm::ButtonPrintClick() {
    SetStatus(QStringLiteral("Printing report"));
    try {
        if (OnDemand().EnsureProcessPrinter(this, QStringLiteral("Print report")))
            PrintReport(Printer());
    } catch (const EReportPrintError& e) {
        SetStatus(QStringLiteral("Ready"));
        ShowPlainError(this, QString::fromStdString(e.what()));
        return;
    }
    SetStatus(QStringLiteral("Ready"));
}

void TReportForm::SavePdf(const QString& path) {
    const QString failure = OnDemand().PrintReportPdf(
        *PageDocument(), m_font, ColorFromValue(m_fontColor), ReportTitle, path);
    if (!failure.isEmpty())
        throw EReportPrintError(failure.toStdString());
}

void TReportForm::ButtonPdfClick() {
    const QString folder = m_pdfFolder.isEmpty() ? QDir::homePath() : m_pdfFolder;
    const QString path = AskSaveFileName(this, QStringLiteral("Save report as PDF"),
                                         QDir(folder).filePath(ReportTitle + ".pdf"),
                                         QStringLiteral("PDF files (*.pdf);;All files (*)"));
    if (path.isEmpty())
        return;
    SetStatus(QStringLiteral("Saving report as PDF"));
    try {
        SavePdf(path);
    } catch (const EReportPrintError& e) {
        SetStatus(QStringLiteral("Ready"));
        ShowPlainError(this, QString::fromStdString(e.what()));
        return;
    }
    m_pdfFolder = QFileInfo(path).absolutePath();
    SetStatus(QStringLiteral("Saved ") + QFileInfo(path).fileName());
}

void TReportForm::ButtonCopyClick() {
    QGuiApplication::clipboard()->setText(PlainText());
    SetStatus(QStringLiteral("Copied to Clipboard..."));
}

void TReportForm::ButtonEMailClick() {
    MapiControl1->ShowDialog = true;
    MapiControl1->Recipients.clear();
    MapiControl1->Subject = ReportTitle;
    MapiControl1->Body = PlainText();
    MapiControl1->AttachedFiles.clear();
    MapiControl1->Send();
}

void TReportForm::ButtonSetupClick() {
    SetStatus(QStringLiteral("Set up printer"));
    OnDemand().ExecPrinterSetup(Printer(), this, QStringLiteral("Printer setup"));
    SetStatus(QStringLiteral("Ready"));
}

void TReportForm::ButtonFontClick() {
    SetStatus(QStringLiteral("Select suitable font for report"));
    if (!FontDialog1) {
        FontDialog1 = new TReportFontDialog(this);
        FontDialog1->setObjectName(QStringLiteral("FontDialog1"));
    }
    // The dialog lists installed faces only; a name that fontconfig substitutes ("Verdana") is
    // offered as the face shown for it, and kept by name when the user leaves that face alone.
    const QString shown = QFontInfo(m_font).family();
    QFont offered = m_font;
    offered.setFamily(shown);
    offered.setStyleName(MatchingStyle(shown, m_font));
    FontDialog1->setCurrentFont(offered);
    FontDialog1->setColor(m_fontColor);
    if (FontDialog1->exec() == QDialog::Accepted) {
        QFont chosen = FontDialog1->selectedFont();
        chosen.setStyleName(QString()); // weight and slant carry the style to any face
        if (chosen.family() == shown)
            chosen.setFamily(m_font.family());
        SetReportFont(chosen, FontDialog1->color(), m_fontCharSet);
        if (OnRefresh)
            OnRefresh();
    }
    SetStatus(QStringLiteral("Ready"));
}

void TReportForm::ButtonCloseClick() {
    close();
}

void TReportForm::FormActivate() {
    SetStatus(QStringLiteral("Ready"));
}

void TReportForm::FormDeactivate() {
    // One commit for the whole window: each commit flushes the file to disk.
    TRegistryIniFile reg(AppRegistryKey());
    reg.BeginUpdate();
    SaveFormPlacement(this, reg);
    reg.WriteInt(Section, "FontSize", FontPointSize());
    reg.WriteInt(Section, "FontColor", static_cast<std::int32_t>(m_fontColor));
    reg.WriteInt(Section, "FontCharSet", m_fontCharSet);
    reg.WriteText(Section, "FontName", m_font.family().toStdString());
    reg.EndUpdate();
}

void TReportForm::FormResize() {
    if (OnRefresh)
        OnRefresh();
}

bool TReportForm::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate)
        FormActivate();
    else if (e->type() == QEvent::WindowDeactivate)
        FormDeactivate();
    return QWidget::event(e);
}

void TReportForm::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    FormResize();
}

} // namespace qv
