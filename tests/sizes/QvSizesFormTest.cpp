// The Cable Sizes window: rows, highlight and greyed rows, the chart's series and hover, the
// "inputs changed" note, copy, CSV, PDF and print (read back with poppler's tools), and the kept
// placement and column widths.
#include "sizes/QvSizesForm.h"

#include "settings/QvRegistry.h"
#include "printers/QvPrinters.h"
#include "tests/testsupport/PdfTools.h"
#include "tests/testsupport/TempFolder.h"
#include "tests/testsupport/UiTestFixture.h"

#include <QAbstractItemModel>
#include <QAccessible>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QFile>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QHelpEvent>
#include <QImage>
#include <QLabel>
#include <QLogValueAxis>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QSplitter>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QXYSeries>
#include <gtest/gtest.h>

#include <memory>

namespace qv {
namespace {

using test::PdfPages;
using test::RunTool;

const std::vector<double> kSizes = {0.4, 0.5, 0.75, 1,   1.5, 2.5, 4,   6,   10,  16,  25, 35,
                                    50,  70,  95,   120, 150, 185, 240, 300, 400, 500, 625};

// Copper, resistive, single phase, 5.5 kW within 5.5 V: 23.9 A; over 40 m, 4 mm² (row 6).
TSizesCircuit Circuit(double length = 40) {
    TSizesCircuit c;
    c.Material = "Copper";
    c.Conductivity = 56;
    c.Power = 5.5;
    c.Length = length;
    c.MaxVoltDrop = 5.5;
    c.Current = LineCurrent(0, 0, 5.5, {});
    return c;
}

// How many pixels of a picture are the colour, give or take anti-aliasing.
int PixelsOf(const QImage& image, const QColor& c) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            n += std::abs(qRed(p) - c.red()) + std::abs(qGreen(p) - c.green()) +
                     std::abs(qBlue(p) - c.blue()) <
                 30;
        }
    return n;
}

class SizesFormTest : public test::UiTestFixture {
  protected:
    void SetUp() override {
        UiTestFixture::SetUp();
        ResetProcessPrinter();
        savedAsk = TSizesForm::AskSaveFileName;
        TSizesForm::AskSaveFileName = [this](QWidget*, const QString&, const QString& suggested,
                                             const QString&) {
            suggestions << suggested;
            return answer;
        };
    }
    void TearDown() override {
        TSizesForm::AskSaveFileName = savedAsk;
        UiTestFixture::TearDown();
    }

    std::unique_ptr<TSizesForm> Shown(const std::vector<double>& sizes = kSizes,
                                      const TSizesCircuit& circuit = Circuit(),
                                      TSizesUnits units = {}) {
        auto form = std::make_unique<TSizesForm>(sizes);
        form->ShowCalculation(circuit, units);
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        return form;
    }
    static QVariant Cell(TSizesForm& form, int row, int column, int role = Qt::DisplayRole) {
        QAbstractItemModel* m = form.SizesGrid->model();
        return m->data(m->index(row, column), role);
    }
    static QXYSeries* Series(TSizesForm& form, int i) {
        return static_cast<QXYSeries*>(form.Chart()->series().at(i));
    }

    QString answer;
    QStringList suggestions;
    std::function<QString(QWidget*, const QString&, const QString&, const QString&)> savedAsk;
};

TEST_F(SizesFormTest, RowsHighlightGreyedRowsAndChart) {
    auto form = Shown();
    EXPECT_EQ(form->windowTitle(), "Cable Sizes");
    EXPECT_EQ(form->VerdictLabel->text(), QString::fromStdString(SizesVerdict(form->View())));
    QAbstractItemModel* model = form->SizesGrid->model();
    ASSERT_EQ(model->rowCount(), 23);
    // The unit goes on a line of its own.
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), "Carrying capacity\n(A)");
    // A longer name is broken in two instead.
    EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(), "Current at\ndrop limit (A)");
    EXPECT_EQ(Cell(*form, 6, 4).toString(), "carrying capacity");
    // Only the chosen row is highlighted, in bold; the sizes below it do not fit and are greyed.
    const QColor ink = Cell(*form, 6, 0, Qt::ForegroundRole).value<QColor>();
    const QColor grey = Cell(*form, 0, 0, Qt::ForegroundRole).value<QColor>();
    EXPECT_NE(grey, ink);
    // The sizes that fit are in the table's own text colour; greyed ones stand paler on its ground.
    const QPalette palette = form->SizesGrid->palette();
    EXPECT_EQ(ink, palette.color(QPalette::Text));
    const auto contrast = [&](const QColor& c) {
        return std::abs(qGray(c.rgb()) - qGray(palette.color(QPalette::Base).rgb()));
    };
    EXPECT_LT(contrast(grey), contrast(ink));
    for (int r = 0; r < 23; ++r) {
        EXPECT_EQ(Cell(*form, r, 0, Qt::BackgroundRole).isValid(), r == 6) << r;
        EXPECT_EQ(Cell(*form, r, 3, Qt::ForegroundRole).value<QColor>(), r < 6 ? grey : ink) << r;
    }
    EXPECT_TRUE(Cell(*form, 6, 2, Qt::FontRole).value<QFont>().bold());

    // Both limits against size, the current as a line across, the chosen size on its limit.
    EXPECT_EQ(form->Chart()->title(),
              QString::fromUtf8("23.9 A over 40 m within 5.5 V: 4 mm² chosen"));
    const double amps = LineCurrent(0, 0, 5.5, {});
    EXPECT_EQ(Series(*form, 1)->name(), "Drop limit");
    EXPECT_EQ(Series(*form, 0)->points().size(), 23);
    EXPECT_EQ(Series(*form, 0)->points()[6], QPointF(4, CarryingCapacity(4)));
    EXPECT_EQ(Series(*form, 1)->points()[6], QPointF(4, 30.8));
    EXPECT_EQ(Series(*form, 2)->points(), (QList<QPointF>{{0.4, amps}, {625, amps}}));
    EXPECT_EQ(Series(*form, 3)->points(), QList<QPointF>{QPointF(4, CarryingCapacity(4))});
    // Logarithmic, in whole decades around every point: 0.4 mm² allows 3.08 A.
    const auto* x = qobject_cast<QLogValueAxis*>(form->Chart()->axes(Qt::Horizontal).value(0));
    const auto* y = qobject_cast<QLogValueAxis*>(form->Chart()->axes(Qt::Vertical).value(0));
    ASSERT_TRUE(x && y);
    EXPECT_EQ(QPointF(x->min(), x->max()), QPointF(0.1, 1000));
    EXPECT_EQ(QPointF(y->min(), y->max()), QPointF(1, 10000));
}

TEST_F(SizesFormTest, HoverShowsAPointsFigures) {
    auto form = Shown();
    const struct {
        int series;
        QPointF at;
        const char* text;
    } hovers[] = {
        {0,
         {4.2, 28},
         "4 mm²: carrying capacity 28.4 A, drop limit 30.8 A, permitted 28.4 A "
         "(carrying capacity), chosen"},
        {3,
         {4, 28.35},
         "4 mm²: carrying capacity 28.4 A, drop limit 30.8 A, permitted 28.4 A "
         "(carrying capacity), chosen"},
        {0,
         {600, 590},
         "625 mm²: carrying capacity 598 A, drop limit 4813 A, permitted 598 A "
         "(carrying capacity)"},
        {2, {30, 23.9}, "Line current 23.9 A"},
        {1,
         {2.4, 19},
         "2.5 mm²: carrying capacity 21.3 A, drop limit 19.3 A, permitted 19.3 A "
         "(voltage drop), too small"},
    };
    for (const auto& h : hovers) {
        emit Series(*form, h.series)->hovered(h.at, true);
        EXPECT_EQ(form->HoverText(), QString::fromUtf8(h.text));
    }
    // Where two lines cross, leaving one may come after entering the other.
    emit Series(*form, 0)->hovered({2.4, 19}, false);
    EXPECT_TRUE(form->HoverText().startsWith(QString::fromUtf8("2.5 mm²")));
    // The chart's own tool-tip event, which comes once the mouse rests, keeps the figures up.
    QWidget* viewport = form->ChartView->viewport();
    QHelpEvent rest(QEvent::ToolTip, QPoint(20, 20), viewport->mapToGlobal(QPoint(20, 20)));
    QApplication::sendEvent(viewport, &rest);
    QTest::qWait(500); // a tip asked to hide goes after 300 ms
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), form->HoverText());
    emit Series(*form, 1)->hovered({2.4, 19}, false);
    EXPECT_EQ(form->HoverText(), "");
}

TEST_F(SizesFormTest, UnitsShownAndLongLists) {
    // cm² and ft: 4 mm² is 0.04 cm², 40 m is 131.234 ft.
    auto form = Shown(kSizes, Circuit(), {1, 4, 0});
    EXPECT_DOUBLE_EQ(Series(*form, 0)->points()[6].x(), 0.04);
    EXPECT_EQ(form->Chart()->title(),
              QString::fromUtf8("23.9 A over 131.234 ft within 5.5 V: 0.04 cm² chosen"));

    // A long list is drawn through some of its sizes, from the smallest to the largest.
    std::vector<double> many;
    for (int i = 0; i < 1000; ++i)
        many.push_back(0.4 + i * 0.625);
    form = Shown(many);
    const QList<QPointF> capacity = Series(*form, 0)->points();
    ASSERT_GE(capacity.size(), 100);
    ASSERT_LE(capacity.size(), 200);
    EXPECT_EQ(capacity.front().x(), 0.4);
    EXPECT_EQ(capacity.back().x(), many.back());
    for (const QPointF& p : capacity)
        EXPECT_EQ(p.y(), CarryingCapacity(p.x())) << p.x();
    EXPECT_EQ(form->SizesGrid->model()->rowCount(), 1000);
}

TEST_F(SizesFormTest, FollowsCalculationsAndSaysWhenInputsChanged) {
    TSizesForm fresh(kSizes);
    fresh.show();
    EXPECT_EQ(fresh.VerdictText(), "No calculation yet.");
    fresh.SetInputsChanged(true);
    EXPECT_EQ(fresh.NoteText(), ""); // nothing is shown that could be out of date

    auto form = Shown();
    form->SetInputsChanged(true);
    EXPECT_FALSE(form->NoteText().isEmpty());
    form->ShowCalculation(Circuit(5), {});
    EXPECT_EQ(form->NoteText(), "");
    EXPECT_EQ(Cell(*form, 5, 4).toString(), "carrying capacity"); // 2.5 mm² over 5 m

    // While hidden the window waits, and catches up when shown again.
    form->hide();
    form->ShowCalculation(Circuit(10000), {});
    EXPECT_TRUE(form->VerdictText().startsWith("4 mm²"));
    form->show();
    EXPECT_TRUE(form->VerdictText().startsWith("No size fits"))
        << form->VerdictText().toStdString();
    EXPECT_TRUE(form->Chart()->title().endsWith(": no size fits"));
    EXPECT_TRUE(Series(*form, 3)->points().isEmpty());

    form->ShowCalculation(Circuit(0), {});
    EXPECT_EQ(form->VerdictText(),
              "The sizes cannot be worked out: Floating point division by zero");
    EXPECT_EQ(form->SizesGrid->model()->rowCount(), 0);
    for (QToolButton* b : {form->ButtonCopy, form->ButtonCsv, form->ButtonPdf, form->ButtonPrint})
        EXPECT_FALSE(b->isEnabled());
}

TEST_F(SizesFormTest, ChartIsDescribedInWordsForEachCalculation) {
    auto form = Shown();
    QAccessibleInterface* chart = QAccessible::queryAccessibleInterface(form->ChartView);
    ASSERT_NE(chart, nullptr);
    EXPECT_EQ(chart->text(QAccessible::Name), "Chart of current against size");
    const struct {
        double length;
        const char* description; // a pattern
    } cases[] = {
        {40, "4 mm² chosen: carrying capacity 28\\.4 A, current at drop limit 30\\.8 A; 23\\.9 A "
             "needed"},
        {5,
         "4 mm² chosen: carrying capacity 28\\.4 A, current at drop limit 246 A; 23\\.9 A needed"},
        {10000, "No size fits; at 625 mm², the largest, carrying capacity \\d+ A, current at drop "
                "limit [\\d.]+ A; 23\\.9 A needed"},
        {0, "No sizes to show\\."},
    };
    for (const auto& c : cases) {
        form->ShowCalculation(Circuit(c.length), {});
        const QString said = chart->text(QAccessible::Description);
        EXPECT_TRUE(QRegularExpression(
                        QRegularExpression::anchoredPattern(QString::fromUtf8(c.description)))
                        .match(said)
                        .hasMatch())
            << c.length << ": " << said.toStdString();
    }
}

TEST_F(SizesFormTest, CopyAndCsv) {
    auto form = Shown({2.5, 4});
    form->ButtonCopyClick();
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QString::fromStdString(IecTabText(form->View(), form->Iec())));
    EXPECT_EQ(form->StatusText(), "Copied to Clipboard...");

    answer = tempDir() + "/sizes.csv";
    form->ButtonCsvClick();
    EXPECT_TRUE(suggestions.value(0).endsWith("/Cable sizes.csv"));
    EXPECT_EQ(test::ReadFile(answer.toStdString()), IecCsv(form->View(), form->Iec()));
    EXPECT_EQ(form->StatusText(), "Saved sizes.csv");
    // The next save starts in the folder of the last; a folder that does not exist is named in
    // the message, and nothing is written.
    answer = tempDir() + "/missing/sizes.csv";
    QString shown;
    onNextModal([&](QWidget* w) {
        shown = qobject_cast<QMessageBox*>(w)->text();
        qobject_cast<QMessageBox*>(w)->accept();
    });
    form->ButtonCsvClick();
    EXPECT_EQ(suggestions.value(1), tempDir() + "/Cable sizes.csv");
    EXPECT_TRUE(shown.contains(answer)) << shown.toStdString();
    EXPECT_FALSE(QFile::exists(answer));
    EXPECT_EQ(form->StatusText(), "Ready");
}

// The answer to a command goes after a while, or at once with the next calculation, so that it
// never stands beside figures it was not about.
TEST_F(SizesFormTest, StatusOfACommandPasses) {
    auto form = Shown({2.5, 4});
    answer = tempDir() + "/sizes.csv";
    const struct {
        const char* command;
        std::function<void()> run;
        QString status;
    } commands[] = {
        {"copy", [&] { form->ButtonCopyClick(); }, "Copied to Clipboard..."},
        {"save", [&] { form->ButtonCsvClick(); }, "Saved sizes.csv"},
    };
    auto* timer = form->findChild<QTimer*>("StatusTimer");
    ASSERT_NE(timer, nullptr);
    for (const auto& c : commands) {
        for (int next = 0; next < 2; ++next) {
            c.run();
            EXPECT_EQ(form->StatusText(), c.status) << c.command;
            EXPECT_TRUE(timer->isActive()) << c.command;
            EXPECT_GE(timer->interval(), 2000) << c.command;
            if (next == 0)
                QMetaObject::invokeMethod(timer, "timeout");
            else
                form->ShowCalculation(Circuit(30), {});
            EXPECT_EQ(form->StatusText(), "Ready") << c.command << next;
        }
    }
}

TEST_F(SizesFormTest, PrintAsksEachTimeAndSaysWhereTheJobWent) {
    auto form = Shown();
    const QString pdf = tempDir() + "/asked.pdf";
    ProcessPrinter().setOutputFormat(QPrinter::PdfFormat);
    ProcessPrinter().setOutputFileName(pdf);
    const struct {
        const char* press;
        bool accept;
        QString status;
    } presses[] = {
        {"cancelled", false, "Ready"},
        {"accepted", true, "Printed to " + QDir::toNativeSeparators(pdf)},
        {"pressed again", true, "Printed to " + QDir::toNativeSeparators(pdf)},
    };
    for (const auto& p : presses) {
        QFile::remove(pdf);
        QString asked;
        onNextModal([&](QWidget* w) {
            auto* dialog = qobject_cast<QPrintDialog*>(w);
            ASSERT_NE(dialog, nullptr);
            asked = dialog->windowTitle();
            if (p.accept)
                dialog->accept();
            else
                dialog->reject();
        });
        form->ButtonPrintClick();
        EXPECT_EQ(asked, "Print Cable Sizes") << p.press;
        EXPECT_EQ(QFile::exists(pdf), p.accept) << p.press;
        EXPECT_EQ(form->StatusText(), p.status) << p.press;
    }
}

// However narrow the chart, its words are whole and its numbers plain.
TEST_F(SizesFormTest, ChartWordsWholeAndNumbersPlain) {
    const struct {
        const char* why;
        double length;
        TSizesUnits units;
        const char* label; // one of the axes' labels
    } cases[] = {
        {"a million amps over a metre", 1, {}, "1000000"},
        {"areas in m²", 40, {0, 0, 0}, "0.0000001"},
        {"areas in inch²", 40, {3, 0, 0}, "0.001"},
    };
    for (const auto& c : cases) {
        auto form = Shown(kSizes, Circuit(c.length), c.units);
        form->Splitter1->setSizes({form->Splitter1->width(), 0});
        QCoreApplication::sendPostedEvents();
        QStringList texts;
        for (QGraphicsItem* item : form->ChartView->scene()->items())
            if (auto* text = dynamic_cast<QGraphicsTextItem*>(item))
                texts << text->toPlainText();
        EXPECT_TRUE(texts.contains("Carrying capacity")) << c.why;
        EXPECT_TRUE(texts.contains(c.label)) << c.why << ": " << texts.join(" | ").toStdString();
        for (const QString& t : texts) {
            EXPECT_FALSE(t.endsWith("...")) << c.why << ": " << t.toStdString();
            EXPECT_FALSE(t.contains(QRegularExpression(R"(\de[-+]?\d)")))
                << c.why << ": " << t.toStdString();
        }
    }
}

TEST_F(SizesFormTest, PdfAndPrintHoldEverythingOnOnePageInTheColoursOnScreen) {
    if (!test::HavePoppler())
        GTEST_SKIP() << "poppler-utils not installed";
    std::vector<double> many; // too many to read on one page
    for (int i = 0; i < 1000; ++i)
        many.push_back(std::round(0.5 * std::pow(1.01, i) * 1000) / 1000);
    for (const auto& sizes : {kSizes, many}) {
        auto form = Shown(sizes);
        form->SetInputsChanged(true);
        answer = tempDir() + QString("/sizes-%1.pdf").arg(sizes.size());
        form->ButtonPdfClick();
        EXPECT_EQ(PdfPages(answer), 1) << sizes.size();
        const QString text = RunTool("pdftotext", {"-layout", answer, "-"}).simplified();
        for (const QString& expected :
             {QString::fromUtf8("Cable Sizes Material Copper, 56 m/(Ω·mm²) Load Type Resistive "
                                "Phase Single Power 5.5 kW Cable Length 40 m MaxVoltDrop 5.5 V "
                                "Line Current 23.9 A"),
              QString::fromUtf8("Insulation PVC 70 °C Installation method C — Single-core or "
                                "multi-core cable on a wooden or masonry wall Ambient air "
                                "temperature 30 °C"),
              form->VerdictText(), form->IecVerdictText(), form->NoteText(), form->Chart()->title(),
              Cell(*form, int(form->View().Chosen), 0).toString() + " " +
                  Cell(*form, int(form->View().Chosen), 1).toString()})
            EXPECT_TRUE(text.contains(expected.simplified()))
                << sizes.size() << ": " << expected.toStdString() << "\n"
                << text.toStdString();
        if (sizes.size() == kSizes.size())
            EXPECT_TRUE(text.contains("2.5 21.3 19.3 19.3 voltage drop 6.83 - 27 27 7.49 - 4 28.4 "
                                      "30.8 28.4 carrying capacity 4.27 51.5 36 36 4.68 -"));
        else
            EXPECT_TRUE(text.contains(QRegularExpression(
                R"(Sizes \d+ to \d+ of 1000 shown; Save as CSV gives every size\.)")));
    }

    auto form = Shown();
    const QString pdf = tempDir() + "/printed.pdf";
    ProcessPrinter().setOutputFormat(QPrinter::PdfFormat);
    ProcessPrinter().setOutputFileName(pdf);
    onNextModal([](QWidget* w) { qobject_cast<QDialog*>(w)->accept(); });
    form->ButtonPrintClick();
    ASSERT_EQ(PdfPages(pdf), 1);
    EXPECT_TRUE(
        RunTool("pdfinfo", {pdf}).contains(QRegularExpression(R"(Title:\s+Cable Sizes\n)")));
    // The highlight, the greyed text and both curves, on the page as on the screen.
    RunTool("pdftoppm", {"-r", "60", "-png", "-singlefile", pdf, tempDir() + "/printed"});
    const QImage page(tempDir() + "/printed.png"), screen = form->grab().toImage();
    ASSERT_FALSE(page.isNull());
    for (const QColor& c : {Cell(*form, 6, 0, Qt::BackgroundRole).value<QColor>(),
                            Cell(*form, 0, 0, Qt::ForegroundRole).value<QColor>(),
                            Series(*form, 0)->pen().color(), Series(*form, 1)->pen().color()}) {
        EXPECT_GT(PixelsOf(screen, c), 10) << c.name().toStdString();
        EXPECT_GT(PixelsOf(page, c), 10) << c.name().toStdString();
    }
}

TEST_F(SizesFormTest, PlacementAndColumnWidthsAreKeptInOneCommit) {
    const int designed0 = TSizesForm(kSizes).SizesGrid->columnWidth(0);
    const int designed4 = TSizesForm(kSizes).SizesGrid->columnWidth(4);
    {
        auto form = Shown();
        form->move(40, 60);
        form->resize(900, 500);
        form->SizesGrid->setColumnWidth(0, 55);
        form->Splitter1->setSizes({333, form->Splitter1->width() - 333});
        test::CommitCounter commits(configDir().toStdString() + "/Brannoworks", "user.reg");
        QTest::keyClick(form.get(), Qt::Key_Escape);
        EXPECT_FALSE(form->isVisible());
        EXPECT_EQ(commits.Take(), 1);
    }
    const struct {
        const char* name;
        const char* key;
        int kind;             // 0 a number, 1 text, 2 a floating-point value
        int column0, column4; // the widths then; 0: as designed
    } cases[] = {
        {"as saved", nullptr, 0, 55, 140},
        {"a width out of range is not taken", "ColWidth0", 0, 0, 140},
        {"a value of the wrong kind keeps every designed width", "ColWidth2", 2, 0, 0},
    };
    for (const auto& c : cases) {
        {
            TRegistryIniFile reg(AppRegistryKey());
            reg.WriteInt("SizesForm", "ColWidth0", 55);
            reg.WriteInt("SizesForm", "ColWidth4", 140);
            if (c.key && c.kind == 0)
                reg.WriteInt("SizesForm", c.key, 5);
            else if (c.key && c.kind == 1)
                reg.WriteText("SizesForm", c.key, "wide");
            else if (c.key)
                reg.WriteReal("SizesForm", c.key, 1.5);
        }
        TSizesForm form(kSizes);
        EXPECT_EQ(form.pos(), QPoint(40, 60)) << c.name;
        EXPECT_EQ(form.size(), QSize(900, 500)) << c.name;
        EXPECT_EQ(form.SizesGrid->columnWidth(0), c.column0 ? c.column0 : designed0) << c.name;
        EXPECT_EQ(form.SizesGrid->columnWidth(4), c.column4 ? c.column4 : designed4) << c.name;
    }
    // The table keeps its side of the splitter as closed.
    EXPECT_EQ(Shown()->Splitter1->sizes().value(0), 333);
}

// The help page's section on the window names each column and each command with its key.
TEST_F(SizesFormTest, HelpNamesEveryColumnAndCommand) {
    QFile file(AMPWISE_SOURCE_HELP);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString page = QString::fromUtf8(file.readAll());
    const qsizetype from = page.indexOf("<h2>Cable Sizes</h2>");
    ASSERT_GE(from, 0);
    const QString section = page.mid(from, page.indexOf("<h2>", from + 4) - from);
    auto form = Shown();
    for (int c = 0; c < SizesColumnCount; ++c) {
        // Areas and lengths are named without the unit, which follows the main window's.
        QString header = QString::fromStdString(SizesHeader(form->View(), c));
        if (c == scSize || c == scLongestRun)
            header = header.left(header.indexOf(" ("));
        EXPECT_TRUE(section.contains("<td>" + header + "</td>")) << header.toStdString();
    }
    for (QToolButton* b : {form->ButtonCopy, form->ButtonCsv, form->ButtonPdf, form->ButtonPrint,
                           form->ButtonClose}) {
        const QString caption = b->text().remove('&').remove("...");
        const QChar key = b->text().at(b->text().indexOf('&') + 1).toUpper();
        EXPECT_TRUE(section.contains(
            QString("<kbd>Alt</kbd>+<kbd>%1</kbd></td><td><b>%2</b>").arg(key).arg(caption)))
            << caption.toStdString();
    }
}

} // namespace
} // namespace qv
