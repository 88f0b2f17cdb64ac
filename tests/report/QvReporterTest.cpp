// The report window: filling and tab stops, copying, refresh requests, the stored report font,
// printing to PDF files (read back with poppler's tools) and the mail hand-off.
#include "report/QvReportPrinting.h"
#include "report/QvReporter.h"

#include "report/MapiControl.h"
#include "settings/QvRegistry.h"
#include "printers/QvPrinters.h"
#include "tests/testsupport/PdfTools.h"
#include "tests/testsupport/UiTestFixture.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

#include <memory>

using namespace qv;
using qv::test::HavePoppler;
using qv::test::PdfPages;
using qv::test::RunTool;

namespace {

class ReportFormTest : public qv::test::UiTestFixture {
  protected:
    void SetUp() override {
        UiTestFixture::SetUp();
        ResetProcessPrinter(); // no printer choice of an earlier case
    }
    std::unique_ptr<TReportForm> NewForm() { return std::make_unique<TReportForm>(); }

    // x of the character at `pos` of line `line`, from the start of the line, in pixels.
    static qreal CharX(TReportForm& form, int line, int pos) {
        form.show();
        const QTextBlock block = form.RichEdit1->document()->findBlockByNumber(line);
        form.RichEdit1->document()->documentLayout()->documentSize(); // lays it out
        const QTextLine l = block.layout()->lineForTextPosition(pos);
        if (!l.isValid())
            return -1;
        return l.cursorToX(pos) - block.layout()->lineAt(0).cursorToX(0);
    }
    static qreal Pixels(TReportForm& form, double points) {
        return points * form.RichEdit1->logicalDpiX() / 72.0;
    }
};

QStringList PageLines(const QString& pdf, int page) {
    const QString p = QString::number(page);
    QStringList lines = RunTool("pdftotext", {"-layout", "-f", p, "-l", p, pdf, "-"})
                            .split(QRegularExpression("[\r\n\f]+"), Qt::SkipEmptyParts);
    for (QString& l : lines)
        l = l.simplified();
    lines.removeAll(QString());
    return lines;
}

// Boxes of the words on page 1, in points.
QList<QRectF> WordBoxes(const QString& pdf) {
    static const QRegularExpression word(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)")re");
    QList<QRectF> boxes;
    const QString xhtml = RunTool("pdftotext", {"-bbox", "-f", "1", "-l", "1", pdf, "-"});
    for (auto it = word.globalMatch(xhtml); it.hasNext();) {
        const auto m = it.next();
        boxes.append(QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                            QPointF(m.captured(3).toDouble(), m.captured(4).toDouble())));
    }
    return boxes;
}

// A family the font dialog lists (it offers installed families only, not aliases).
// A monospaced family that has an italic face, so a chosen italic font stays italic whatever
// fonts the machine has.
QString MonoFamily() {
    for (const QString& f : QFontDatabase::families()) {
        if (!f.contains("Mono"))
            continue;
        for (const QString& style : QFontDatabase::styles(f))
            if (style.contains("Italic") || style.contains("Oblique"))
                return f;
    }
    return QFontDatabase::families().value(0);
}

void PdfPrinter(QPrinter& printer, const QString& file) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
}

} // namespace

TEST_F(ReportFormTest, CreatedWithItsDesignLayoutAndDefaults) {
    auto form = NewForm();
    EXPECT_EQ(form->objectName(), "ReportForm");
    EXPECT_EQ(form->windowTitle(), "Report");
    EXPECT_TRUE(form->windowFlags().testFlag(Qt::Tool));
    EXPECT_EQ(form->geometry(), QRect(501, 220, 397, 437));
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->TabPanel->width(), 12);
    EXPECT_FALSE(form->RichEdit1->isReadOnly());
    EXPECT_EQ(form->RichEdit1->lineWrapMode(), QTextEdit::WidgetWidth);
    EXPECT_EQ(form->StatusText(), "Ready");
    EXPECT_EQ(form->ReportTitle, "Ampwise");
    EXPECT_FALSE(form->OnRefresh);
    EXPECT_EQ(form->Tabs(), (QList<double>{90, 155}));
    EXPECT_EQ(form->ReportFont().family(), "Verdana");
    EXPECT_EQ(form->ReportFont().pointSize(), 8);
    EXPECT_EQ(form->ReportFontColor(), clWindowText);
    EXPECT_EQ(form->ReportFontCharSet(), 1);
    // Built when the font is first chosen, not at start-up (it reads the whole font list).
    EXPECT_EQ(form->FontDialog1, nullptr);

    const std::pair<QToolButton*, QStringList> buttons[] = {
        {form->ButtonPrint, {"&Print", "Send report to printer"}},
        {form->ButtonCopy, {"C&opy", "Copy report to  Windows clipboard"}},
        {form->ButtonEMail, {"&Email", "Send as EMail"}},
        {form->ButtonSetup, {"&Setup", "Printer setup"}},
        {form->ButtonFont, {"&Font", "Set report font"}},
        {form->ButtonClose, {"&Close", ""}},
    };
    for (const auto& [button, texts] : buttons) {
        EXPECT_EQ(button->text(), texts[0]);
        EXPECT_EQ(button->toolTip(), texts[1]);
    }
}

TEST_F(ReportFormTest, TabsAdvanceToTheStopsGivenInPoints) {
    struct Row {
        const char* name;
        QList<double> stops;
    };
    const Row rows[] = {{"creation stops", {90, 155}},
                        {"main window stops", {90, 150}},
                        {"one close stop", {20}},
                        {"twentieths of a point", {72.25, 144.55}}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        auto form = NewForm();
        form->SetTabs(r.stops);
        EXPECT_EQ(form->Tabs(), r.stops);
        form->AddLine("Size");
        form->AddLine("i\tW\tm");
        EXPECT_NEAR(CharX(*form, 1, 2), Pixels(*form, r.stops[0]), 1.0);
        if (r.stops.size() > 1) {
            EXPECT_NEAR(CharX(*form, 1, 4), Pixels(*form, r.stops[1]), 1.0);
        }
    }
}

TEST_F(ReportFormTest, ClearEmptiesButKeepsFontAndTabsForNewLines) {
    auto form = NewForm();
    QFont font("Courier New", 24);
    font.setBold(true);
    form->SetReportFont(font, 0x000000FF, 0);
    form->SetTabs({50});
    form->AddLine("old");
    form->Clear();
    EXPECT_EQ(form->PlainText(), "");

    form->AddLine("x\ty");
    EXPECT_NEAR(CharX(*form, 0, 2), Pixels(*form, 50), 1.0);
    form->AddLine("MMMMWW");
    EXPECT_EQ(form->PlainText(), "x\ty\r\nMMMMWW\r\n");
    // Shown in the report font: the line is as wide as that font makes it.
    const QFontMetricsF metrics(font, form->RichEdit1);
    EXPECT_NEAR(CharX(*form, 1, 6), metrics.horizontalAdvance("MMMMWW"), 1.0);
    EXPECT_GT(metrics.horizontalAdvance("MMMMWW"),
              QFontMetricsF(QFont("Verdana", 8), form->RichEdit1).horizontalAdvance("MMMMWW") + 20);
}

TEST_F(ReportFormTest, CopyPutsEveryLineWithCrLfIncludingUserEdits) {
    auto form = NewForm();
    form->AddLine("Cable sizing");
    form->AddLine("");
    form->AddLine("Current\t12.5 A");
    QTextCursor c(form->RichEdit1->document());
    c.movePosition(QTextCursor::End);
    form->RichEdit1->setTextCursor(c);
    QTest::keyClicks(form->RichEdit1, " typed");

    form->ButtonCopyClick();
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              "Cable sizing\r\n\r\nCurrent\t12.5 A typed\r\n");
    EXPECT_EQ(form->StatusText(), "Copied to Clipboard...");

    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(form.get(), &activate);
    EXPECT_EQ(form->StatusText(), "Ready");

    // Rebuilding replaces the user's change.
    form->Clear();
    form->AddLine("Cable sizing");
    form->ButtonCopyClick();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "Cable sizing\r\n");
}

TEST_F(ReportFormTest, RefreshIsAskedOnResizeAndFontChangeOnlyWhenBound) {
    struct Row {
        const char* name;
        bool bound;
        bool acceptFont;
        bool newFace; // false: only the colour is changed in the dialog
        int refreshes;
    };
    const Row rows[] = {{"bound, new face chosen", true, true, true, 2},
                        {"bound, only colour chosen", true, true, false, 2},
                        {"bound, font dialog cancelled", true, false, true, 1},
                        {"unbound, new face chosen", false, true, true, 0}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        auto form = NewForm();
        form->show();
        QCoreApplication::processEvents(); // the window's own activation comes first
        int refreshes = 0;
        if (r.bound)
            form->OnRefresh = [&] { ++refreshes; };
        form->AddLine("kept");
        form->resize(form->width() + 40, form->height() + 30);

        QFont chosen(MonoFamily(), 12);
        chosen.setItalic(true);
        QString statusDuring;
        onNextModal([&](QWidget* w) {
            statusDuring = form->StatusText();
            auto* dialog = qobject_cast<TReportFontDialog*>(w);
            ASSERT_NE(dialog, nullptr);
            // It offers the face actually shown for "Verdana", which it can list.
            EXPECT_EQ(dialog->selectedFont().family(), QFontInfo(form->ReportFont()).family());
            EXPECT_EQ(dialog->selectedFont().pointSize(), 8);
            EXPECT_EQ(dialog->color(), clWindowText);
            if (r.newFace)
                dialog->setCurrentFont(chosen);
            dialog->setColor(0x00008000);
            r.acceptFont ? dialog->accept() : dialog->reject();
        });
        form->ButtonFontClick();
        EXPECT_EQ(statusDuring, "Select suitable font for report");
        EXPECT_EQ(form->StatusText(), "Ready");
        EXPECT_EQ(refreshes, r.refreshes);
        const bool changed = r.acceptFont && r.newFace;
        EXPECT_EQ(form->ReportFont().family(), changed ? MonoFamily() : "Verdana");
        EXPECT_EQ(form->ReportFont().pointSize(), changed ? 12 : 8);
        EXPECT_EQ(form->ReportFont().italic(), changed);
        EXPECT_EQ(form->ReportFontColor(), r.acceptFont ? 0x00008000u : clWindowText);
        EXPECT_EQ(form->RichEdit1->palette().color(QPalette::Text),
                  r.acceptFont ? QColor(0, 0x80, 0) : ColorFromValue(clWindowText));
        EXPECT_EQ(form->PlainText(), "kept\r\n");
    }
}

TEST_F(ReportFormTest, FontAndPlacementComeBackInTheNextWindowWithoutStyle) {
    {
        auto first = NewForm();
        QFont font("Courier New", 13);
        font.setBold(true);
        font.setItalic(true);
        first->SetReportFont(font, 0x00336699, 204);
        first->show();
        first->setGeometry(40, 50, 450, 320);
        QEvent deactivate(QEvent::WindowDeactivate);
        QApplication::sendEvent(first.get(), &deactivate);
    }
    TRegistryIniFile reg(AppRegistryKey());
    EXPECT_EQ(reg.ReadInt("ReportForm", "FontCharSet", -1), 204);
    EXPECT_EQ(reg.ReadInt("ReportForm", "FontColor", -1), 0x00336699);
    EXPECT_EQ(reg.ReadInt("ReportForm", "FontSize", -1), 13);
    EXPECT_EQ(reg.ReadText("ReportForm", "FontName", ""), "Courier New");

    auto second = NewForm();
    EXPECT_EQ(second->ReportFont().family(), "Courier New");
    EXPECT_EQ(second->ReportFont().pointSize(), 13);
    EXPECT_FALSE(second->ReportFont().bold());
    EXPECT_FALSE(second->ReportFont().italic());
    EXPECT_EQ(second->ReportFontColor(), 0x00336699u);
    EXPECT_EQ(second->ReportFontCharSet(), 204);
    EXPECT_EQ(second->size(), QSize(450, 320));
    EXPECT_FALSE(second->isVisible());
    EXPECT_EQ(second->RichEdit1->palette().color(QPalette::Text), QColor(0x99, 0x66, 0x33));
}

TEST_F(ReportFormTest, WindowTextColourIsStoredAsItsSystemValue) {
    NewForm()->FormDeactivate();
    TRegistryIniFile reg(AppRegistryKey());
    EXPECT_EQ(reg.ReadInt("ReportForm", "FontColor", 0), -2147483640);
    EXPECT_EQ(NewForm()->ReportFontColor(), clWindowText);
}

TEST_F(ReportFormTest, UnusableStoredFontValuesLeaveTheDefaults) {
    struct Row {
        const char* name;
        const char* key;
        bool asText;
        std::string text;
        std::int32_t number;
    };
    const Row rows[] = {
        {"size zero", "FontSize", false, "", 0},
        {"size negative", "FontSize", false, "", -12},
        {"size huge", "FontSize", false, "", 1000000},
        {"size not a number", "FontSize", true, "big", 0},
        {"character set above a byte", "FontCharset", false, "", 256},
        {"character set negative", "FontCharset", false, "", -1},
        {"empty face name", "FontName", true, "", 0},
        {"size of another kind", "FontSize", false, "binary", 0},
        {"face name of another kind", "FontName", false, "", 7},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        {
            TRegistryIniFile reg(AppRegistryKey());
            reg.EraseSection("ReportForm");
            if (r.text == "binary")
                reg.WriteReal("ReportForm", r.key, 12.0);
            else if (r.asText)
                reg.WriteText("ReportForm", r.key, r.text);
            else
                reg.WriteInt("ReportForm", r.key, r.number);
        }
        auto form = NewForm();
        EXPECT_EQ(form->ReportFont().family(), "Verdana");
        EXPECT_EQ(form->ReportFont().pointSize(), 8);
        EXPECT_EQ(form->ReportFontCharSet(), 1);
        // The next save puts a sound value back.
        form->FormDeactivate();
        EXPECT_EQ(NewForm()->ReportFont().pointSize(), 8);
    }
}

TEST_F(ReportFormTest, PlacementValueOfAnotherKindKeepsTheDesignPlacement) {
    for (const char* key : {"Left", "Height", "WinState"}) {
        SCOPED_TRACE(key);
        {
            TRegistryIniFile reg(AppRegistryKey());
            reg.EraseSection("ReportForm");
            reg.WriteInt("ReportForm", "Top", 60);
            reg.WriteReal("ReportForm", key, 12.0);
            reg.WriteInt("ReportForm", "FontSize", 11);
        }
        std::unique_ptr<TReportForm> form;
        ASSERT_NO_THROW(form = NewForm());
        EXPECT_EQ(form->geometry(), QRect(501, 220, 397, 437));
        // The rest of the creation still ran.
        EXPECT_EQ(form->ReportFont().pointSize(), 11);
        EXPECT_EQ(form->Tabs(), (QList<double>{90, 155}));
        EXPECT_EQ(form->ReportTitle, "Ampwise");
        // The next save repairs the value.
        form->FormDeactivate();
        EXPECT_EQ(TRegistryIniFile(AppRegistryKey()).ReadInt("ReportForm", key, -1),
                  std::string(key) == "Left"     ? 501
                  : std::string(key) == "Height" ? 437
                                                 : 0);
    }
}

TEST_F(ReportFormTest, PrintsTheWholeReportOnPagesToAPdfFile) {
    if (!HavePoppler())
        GTEST_SKIP() << "poppler-utils not installed";
    auto form = NewForm();
    QStringList expected;
    for (int i = 1; i <= 150; ++i) {
        expected << QString("Line %1 Value %2").arg(i).arg(i * 3);
        form->AddLine(QString("Line %1\tValue %2").arg(i).arg(i * 3));
    }
    const QString pdf = tempDir() + "/report.pdf";
    PdfPrinter(form->Printer(), pdf);
    form->ButtonPrintClick();
    EXPECT_EQ(form->StatusText(), "Ready");

    const int pages = PdfPages(pdf);
    ASSERT_GE(pages, 2);
    QStringList printed;
    for (int p = 1; p <= pages; ++p)
        printed += PageLines(pdf, p);
    // Every line once, in order, none cut at a page end.
    EXPECT_EQ(printed.size(), expected.size());
    for (qsizetype i = 0; i < std::min(printed.size(), expected.size()); ++i)
        ASSERT_EQ(printed[i], expected[i]) << "line " << i + 1 << " of " << pages << " pages";
    EXPECT_EQ(PageLines(pdf, 1).first(), "Line 1 Value 3");
    EXPECT_TRUE(RunTool("pdfinfo", {pdf}).contains(QRegularExpression(R"(Title:\s+Ampwise\n)")));
}

TEST_F(ReportFormTest, MarginsGrowWithTheReportFontAndTabsKeepTheirPoints) {
    if (!HavePoppler())
        GTEST_SKIP() << "poppler-utils not installed";
    QRectF boxes[2];
    QRectF rects[2];
    const int sizes[2] = {8, 20};
    for (int i = 0; i < 2; ++i) {
        auto form = NewForm();
        form->SetReportFont(QFont("Verdana", sizes[i]), clWindowText, 1);
        form->AddLine("Report\tTabbed");
        QPrinter printer(QPrinter::HighResolution);
        const QString pdf = tempDir() + QString("/m%1.pdf").arg(i);
        PdfPrinter(printer, pdf);
        form->PrintReport(printer);
        const qreal toPoints = 72.0 / printer.resolution();
        const QRectF paper = printer.pageLayout().paintRect(QPageLayout::Point);
        const QRectF page = ReportPageRect(form->ReportFont(), printer);
        const QFontMetricsF metrics(form->ReportFont(), &printer);
        EXPECT_NEAR(page.left(), metrics.horizontalAdvance("XXXXXXXXXX"), 0.01);
        EXPECT_NEAR(page.top(), 6 * metrics.height(), 0.01);
        EXPECT_EQ(page.right(), printer.width());
        rects[i] = QRectF(paper.left() + page.left() * toPoints,
                          paper.top() + page.top() * toPoints, 0, 0);
        const QList<QRectF> words = WordBoxes(pdf);
        ASSERT_EQ(words.size(), 2);
        boxes[i] = words[0];
        // The tab stop is 90 points from the text's left edge on paper too.
        EXPECT_NEAR(words[1].left() - words[0].left(), 90, 1.5);
        // The text starts at the left margin and on the first line below the top margin.
        EXPECT_NEAR(boxes[i].left(), rects[i].left(), 1.5);
        EXPECT_GE(boxes[i].top(), rects[i].top() - 0.5);
        EXPECT_LE(boxes[i].top(), rects[i].top() + sizes[i]);
    }
    EXPECT_GT(boxes[1].left() - boxes[0].left(), 20);
    EXPECT_GT(boxes[1].top() - boxes[0].top(), 30);
}

TEST_F(ReportFormTest, FailedPrintIsReportedToTheUser) {
    auto form = NewForm();
    form->AddLine("x");
    // A name that looks like markup is shown as it is.
    PdfPrinter(form->Printer(), tempDir() + "/no/such/<b>folder</b>/report.pdf");
    QString message;
    onNextModal([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        message = box->text();
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        box->close();
    });
    form->ButtonPrintClick();
    EXPECT_TRUE(message.contains("no/such/<b>folder</b>/report.pdf")) << message.toStdString();
    EXPECT_EQ(form->StatusText(), "Ready");
}

// Save as PDF gives the pages Print gives, without a printer dialog; it stands beside Print and
// leaves the order of the other commands as it was.
TEST_F(ReportFormTest, SaveAsPdfGivesThePrintedPages) {
    if (!HavePoppler())
        GTEST_SKIP() << "poppler-utils not installed";
    auto form = NewForm();
    QStringList captions;
    for (QAction* a : form->ToolBar1->actions())
        captions << qobject_cast<QToolButton*>(form->ToolBar1->widgetForAction(a))->text();
    EXPECT_EQ(captions, (QStringList{"&Print", "Save as P&DF...", "C&opy", "&Email", "&Setup",
                                     "&Font", "&Close"}));
    for (int i = 0; i < 120; ++i)
        form->AddLine(QString("Line %1\tof the report").arg(i));
    const QString printed = tempDir() + "/printed.pdf";
    // On the paper chosen for printing.
    PdfPrinter(form->Printer(), printed);
    form->Printer().setPageSize(QPageSize(QPageSize::A6));
    form->PrintReport(form->Printer());
    ASSERT_GE(PdfPages(printed), 2);

    const auto saved =
        std::function<QString(QWidget*, const QString&, const QString&, const QString&)>(
            TReportForm::AskSaveFileName);
    const struct {
        const char* why;
        QString answer;
        bool written;
        QString status;
    } cases[] = {
        {"cancelled", "", false, "Ready"},
        {"saved", tempDir() + "/saved.pdf", true, "Saved saved.pdf"},
        {"into a folder that is not there", tempDir() + "/no/such/saved.pdf", false, "Ready"},
    };
    for (const auto& c : cases) {
        QString suggested, message;
        TReportForm::AskSaveFileName = [&](QWidget*, const QString&, const QString& s,
                                           const QString&) {
            suggested = s;
            return c.answer;
        };
        if (!c.written && !c.answer.isEmpty()) {
            onNextModal([&](QWidget* w) {
                message = qobject_cast<QMessageBox*>(w)->text();
                qobject_cast<QMessageBox*>(w)->close();
            });
        }
        form->ButtonPdfClick();
        EXPECT_TRUE(suggested.endsWith("/Ampwise.pdf")) << c.why << suggested.toStdString();
        EXPECT_EQ(QFile::exists(c.answer), c.written) << c.why;
        EXPECT_EQ(form->StatusText(), c.status) << c.why;
        if (!c.written && !c.answer.isEmpty()) {
            EXPECT_TRUE(message.contains(c.answer)) << c.why << message.toStdString();
        }
        if (!c.written)
            continue;
        ASSERT_EQ(PdfPages(c.answer), PdfPages(printed)) << c.why;
        for (int page = 1; page <= PdfPages(printed); ++page)
            EXPECT_EQ(PageLines(c.answer, page), PageLines(printed, page)) << c.why << page;
        EXPECT_TRUE(
            RunTool("pdfinfo", {c.answer}).contains(QRegularExpression(R"(Title:\s+Ampwise\n)")));
    }
    TReportForm::AskSaveFileName = saved;
}

TEST_F(ReportFormTest, WithoutAPrinterThePrintDialogIsOffered) {
    if (!QPrinterInfo::availablePrinters().isEmpty())
        GTEST_SKIP() << "a printer is installed";
    auto form = NewForm();
    form->AddLine("x");
    bool offered = false;
    onNextModal([&](QWidget* w) {
        offered = qobject_cast<QPrintDialog*>(w) != nullptr;
        qobject_cast<QDialog*>(w)->reject();
    });
    form->ButtonPrintClick();
    EXPECT_TRUE(offered);
    EXPECT_EQ(form->StatusText(), "Ready");
}

TEST_F(ReportFormTest, SetupDialogWorksOnThePrinterOfLaterPrints) {
    auto form = NewForm();
    QString statusDuring, accept;
    onNextModal([&](QWidget* w) {
        statusDuring = form->StatusText();
        auto* dialog = qobject_cast<QPrintDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->printer(), &form->Printer());
        // A setup prints nothing, and its accepting button does not say it does.
        auto* buttons = dialog->findChild<QDialogButtonBox*>();
        ASSERT_NE(buttons, nullptr);
        ASSERT_NE(buttons->button(QDialogButtonBox::Ok), nullptr);
        accept = buttons->button(QDialogButtonBox::Ok)->text();
        dialog->reject();
    });
    form->ButtonSetupClick();
    EXPECT_EQ(accept, "&Use Printer");
    EXPECT_EQ(statusDuring, "Set up printer");
    EXPECT_EQ(form->StatusText(), "Ready");
}

TEST_F(ReportFormTest, EmailWithoutAMailProgramSaysSoInTheStatusBar) {
    struct Row {
        const char* name;
        int runnerResult;
        const char* status;
    };
    const Row rows[] = {
        {"no composer installed", MailProgramMissing, "No mail program found"},
        {"composer finds no mail program", 3, "No mail program found"},
        {"handed over", 0, "Ready"},
    };
    for (const Row& r : rows) {
        auto form = NewForm();
        form->AddLine("x");
        form->MapiControl1->SetMailRunner([&](const TMailCommand&) { return r.runnerResult; });
        form->ButtonEMailClick();
        EXPECT_EQ(form->StatusText(), r.status) << r.name;
    }
}

TEST_F(ReportFormTest, EmailHandsTitleAndTextToTheComposer) {
    auto form = NewForm();
    form->AddLine("Cable sizing & results?");
    form->AddLine("Area\t2.5 mm²");
    std::optional<TMailCommand> sent;
    form->MapiControl1->SetMailRunner([&](const TMailCommand& c) {
        sent = c;
        return 0;
    });
    form->MapiControl1->Recipients = {"old@x.org"};
    form->MapiControl1->AttachedFiles = {"/nonexistent/old.txt"};
    form->ButtonEMailClick();

    ASSERT_TRUE(sent);
    EXPECT_TRUE(form->MapiControl1->ShowDialog);
    EXPECT_EQ(sent->Program, "xdg-email");
    ASSERT_EQ(sent->Arguments.size(), 1);
    const QString url = sent->Arguments[0];
    const QByteArray subject = "subject=" + QUrl::toPercentEncoding("Ampwise");
    const QByteArray body =
        "body=" +
        QUrl::toPercentEncoding(QString::fromUtf8("Cable sizing & results?\r\nArea\t2.5 mm²\r\n"));
    EXPECT_EQ(url, "mailto:?" + subject + "&" + body);
}
