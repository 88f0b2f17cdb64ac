// The Cable Sizes window: its rows, highlight and greyed rows, the chart's series and hover, the
// "inputs changed" note, copy, CSV, PDF and print (read back with poppler's tools), and the kept
// placement and column widths.
#include "sizes/QvSizesForm.h"

#include "settings/QvRegistry.h"
#include "support/QvPrinters.h"
#include "tests/testsupport/PdfTools.h"
#include "tests/testsupport/TempFolder.h"
#include "tests/testsupport/UiTestFixture.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QFile>
#include <QHeaderView>
#include <QHelpEvent>
#include <QImage>
#include <QLabel>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QMessageBox>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QScatterSeries>
#include <QStandardPaths>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QToolTip>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace qv {
namespace {

const std::vector<double> kSizes = {0.4, 0.5, 0.75, 1,   1.5, 2.5, 4,   6,   10,  16,  25, 35,
                                    50,  70,  95,   120, 150, 185, 240, 300, 400, 500, 625};

// Copper, resistive, single phase, 5.5 kW over 40 m within 5.5 V: 23.9 A, 4 mm² (row 6).
TSizesCircuit DefaultCircuit(double length = 40) {
    TSizesCircuit c;
    c.Material = "Copper";
    c.Conductivity = 56;
    c.Power = 5.5;
    c.Length = length;
    c.MaxVoltDrop = 5.5;
    c.Current = LineCurrent(0, 0, 5.5, {});
    return c;
}

using test::HavePoppler;
using test::PdfPages;
using test::RunTool;

// The page's text with every run of blanks and line breaks as one blank.
QString PdfText(const QString& pdf) {
    return RunTool("pdftotext", {"-layout", pdf, "-"}).simplified();
}

QImage PdfImage(const QString& pdf, const QString& stem) {
    RunTool("pdftoppm", {"-r", "60", "-png", "-singlefile", pdf, stem});
    return QImage(stem + ".png");
}

// How many pixels are the colour, give or take anti-aliasing.
int PixelsOf(const QImage& image, const QColor& colour) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    int n = 0;
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x) {
            const QColor p = rgb.pixelColor(x, y);
            n += std::abs(p.red() - colour.red()) < 14 &&
                 std::abs(p.green() - colour.green()) < 14 &&
                 std::abs(p.blue() - colour.blue()) < 14;
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

    // The window shown with the default circuit.
    std::unique_ptr<TSizesForm> Shown(const std::vector<double>& sizes = kSizes,
                                      const TSizesCircuit& circuit = DefaultCircuit(),
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

    static QList<QPointF> Points(QAbstractSeries* s) {
        return static_cast<QXYSeries*>(s)->points();
    }

    QString StoreText() const {
        QFile f(configDir() + "/Brannoworks/user.reg");
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

    QString answer;
    QStringList suggestions;
    std::function<QString(QWidget*, const QString&, const QString&, const QString&)> savedAsk;
};

TEST_F(SizesFormTest, RowsHighlightAndGreyedRows) {
    auto form = Shown();
    EXPECT_EQ(form->windowTitle(), "Cable Sizes");
    EXPECT_EQ(form->VerdictText(),
              QString::fromUtf8("4 mm² chosen, limited by its carrying capacity (28.4 A). 2.5 mm² "
                                "fails: it carries 21.3 A and, over 40 m, allows 19.3 A within "
                                "5.5 V; 23.9 A is needed."));
    EXPECT_EQ(form->VerdictLabel->text(), form->VerdictText());
    QAbstractItemModel* model = form->SizesGrid->model();
    ASSERT_EQ(model->rowCount(), 23);
    ASSERT_EQ(model->columnCount(), 7);
    const QStringList headers = {
        "Size (mm²)", "Carrying capacity (A)", "Drop limit (A)", "Permitted (A)",
        "Governs",    "Voltage drop (V)",      "Longest run (m)"};
    // The unit goes on a line of its own.
    for (int c = 0; c < 7; ++c)
        EXPECT_EQ(model->headerData(c, Qt::Horizontal).toString().replace('\n', ' '), headers[c]);
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), "Carrying capacity\n(A)");
    const QStringList row4 = {"4", "28.4", "30.8", "28.4", "carrying capacity", "4.27", "51.5"};
    for (int c = 0; c < 7; ++c)
        EXPECT_EQ(Cell(*form, 6, c).toString(), row4[c]) << c;

    // Only the chosen row is highlighted; the sizes below it do not fit and are greyed.
    const QColor highlight = Cell(*form, 6, 0, Qt::BackgroundRole).value<QColor>();
    EXPECT_TRUE(highlight.isValid());
    const QColor ink = Cell(*form, 6, 0, Qt::ForegroundRole).value<QColor>();
    const QColor grey = Cell(*form, 0, 0, Qt::ForegroundRole).value<QColor>();
    EXPECT_NE(grey, ink);
    for (int r = 0; r < 23; ++r) {
        EXPECT_EQ(Cell(*form, r, 0, Qt::BackgroundRole).isValid(), r == 6) << r;
        EXPECT_EQ(Cell(*form, r, 3, Qt::ForegroundRole).value<QColor>(), r < 6 ? grey : ink) << r;
    }
    EXPECT_TRUE(Cell(*form, 6, 2, Qt::FontRole).value<QFont>().bold());
}

TEST_F(SizesFormTest, ChartSeriesAndHover) {
    auto form = Shown();
    const QList<QAbstractSeries*> series = form->Chart()->series();
    ASSERT_EQ(series.size(), 4);
    EXPECT_EQ(series[0]->name(), "Carrying capacity");
    EXPECT_EQ(series[1]->name(), "Drop limit");
    EXPECT_EQ(series[2]->name(), "Line current");
    EXPECT_EQ(series[3]->name(), "Chosen size");
    EXPECT_EQ(form->Chart()->title(),
              QString::fromUtf8("23.9 A over 40 m within 5.5 V: 4 mm² chosen"));

    const QList<QPointF> capacity = Points(series[0]), drop = Points(series[1]);
    ASSERT_EQ(capacity.size(), 23);
    ASSERT_EQ(drop.size(), 23);
    EXPECT_EQ(capacity[6].x(), 4);
    EXPECT_NEAR(capacity[6].y(), 28.3525, 1e-4);
    EXPECT_DOUBLE_EQ(drop[6].y(), 30.8);
    const double current = LineCurrent(0, 0, 5.5, {});
    EXPECT_EQ(Points(series[2]), (QList<QPointF>{{0.4, current}, {625, current}}));
    ASSERT_EQ(Points(series[3]).size(), 1);
    EXPECT_EQ(Points(series[3])[0].x(), 4);
    EXPECT_NEAR(Points(series[3])[0].y(), 28.3525, 1e-4);
    // Both axes logarithmic, in whole decades around every point.
    for (Qt::Orientation o : {Qt::Horizontal, Qt::Vertical}) {
        const QList<QAbstractAxis*> axes = form->Chart()->axes(o);
        ASSERT_EQ(axes.size(), 1);
        ASSERT_EQ(axes[0]->type(), QAbstractAxis::AxisTypeLogValue);
    }
    const auto* x = static_cast<QLogValueAxis*>(form->Chart()->axes(Qt::Horizontal)[0]);
    const auto* y = static_cast<QLogValueAxis*>(form->Chart()->axes(Qt::Vertical)[0]);
    EXPECT_DOUBLE_EQ(x->min(), 0.1);
    EXPECT_DOUBLE_EQ(x->max(), 1000);
    EXPECT_DOUBLE_EQ(y->min(), 1); // 0.4 mm² allows 3.08 A
    EXPECT_DOUBLE_EQ(y->max(), 10000);

    // Hovering near a size gives that size's figures; near the current line, the current.
    struct Hover {
        int series;
        QPointF at;
        const char* text;
    } hovers[] = {
        {0,
         {4.2, 28},
         "4 mm²: carrying capacity 28.4 A, drop limit 30.8 A, permitted 28.4 A "
         "(carrying capacity), chosen"},
        {1,
         {2.4, 19},
         "2.5 mm²: carrying capacity 21.3 A, drop limit 19.3 A, permitted 19.3 A "
         "(voltage drop), too small"},
        {3,
         {4, 28.35},
         "4 mm²: carrying capacity 28.4 A, drop limit 30.8 A, permitted 28.4 A "
         "(carrying capacity), chosen"},
        {0,
         {600, 590},
         "625 mm²: carrying capacity 598 A, drop limit 4813 A, permitted 598 A "
         "(carrying capacity)"},
        {2, {30, 23.9}, "Line current 23.9 A"},
    };
    for (const Hover& h : hovers) {
        emit static_cast<QXYSeries*>(series[h.series])->hovered(h.at, true);
        EXPECT_EQ(form->HoverText(), QString::fromUtf8(h.text));
    }
    // Where two lines cross, leaving one may come after entering the other.
    emit static_cast<QXYSeries*>(series[1])->hovered({2.4, 19}, true);
    emit static_cast<QXYSeries*>(series[0])->hovered({2.4, 19}, false);
    EXPECT_TRUE(form->HoverText().startsWith(QString::fromUtf8("2.5 mm²")));
    // The chart's own tool-tip event, which comes after the mouse rests, keeps the figures up.
    QWidget* viewport = form->ChartView->viewport();
    QHelpEvent rest(QEvent::ToolTip, QPoint(20, 20), viewport->mapToGlobal(QPoint(20, 20)));
    QApplication::sendEvent(viewport, &rest);
    QTest::qWait(500); // a tip asked to hide goes after 300 ms
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), form->HoverText());
    emit static_cast<QXYSeries*>(series[1])->hovered({4, 28}, false);
    EXPECT_EQ(form->HoverText(), "");
}

TEST_F(SizesFormTest, ChartInTheUnitsShown) {
    // cm² and ft: 4 mm² is 0.04 cm².
    auto form = Shown(kSizes, DefaultCircuit(), {1, 4, 0});
    const QList<QAbstractSeries*> series = form->Chart()->series();
    EXPECT_DOUBLE_EQ(Points(series[0])[6].x(), 0.04);
    EXPECT_EQ(form->Chart()->title(),
              QString::fromUtf8("23.9 A over 131.234 ft within 5.5 V: 0.04 cm² chosen"));
    EXPECT_EQ(form->Chart()->axes(Qt::Horizontal)[0]->titleText(), QString::fromUtf8("Size (cm²)"));
    EXPECT_EQ(form->SizesGrid->model()->headerData(6, Qt::Horizontal).toString(),
              "Longest run\n(ft)");
}

// A long list is drawn through some of its sizes, from the smallest to the largest, each point
// a real one.
TEST_F(SizesFormTest, LongListsAreDrawnEndToEnd) {
    std::vector<double> many;
    for (int i = 0; i < 1000; ++i)
        many.push_back(0.4 + i * 0.625);
    auto form = Shown(many);
    const QList<QPointF> capacity = Points(form->Chart()->series()[0]);
    ASSERT_GE(capacity.size(), 100);
    ASSERT_LE(capacity.size(), 200);
    EXPECT_EQ(capacity.front().x(), 0.4);
    EXPECT_EQ(capacity.back().x(), many.back());
    for (const QPointF& p : capacity)
        EXPECT_EQ(p.y(), CarryingCapacity(p.x())) << p.x();
    EXPECT_EQ(form->SizesGrid->model()->rowCount(), 1000);
}

TEST_F(SizesFormTest, FollowsCalculationsAndSaysWhenInputsChanged) {
    auto form = Shown();
    EXPECT_EQ(form->NoteText(), "");
    form->SetInputsChanged(true);
    EXPECT_FALSE(form->NoteText().isEmpty());
    // 5 m: only the capacity fails below; the note goes with the new calculation.
    form->ShowCalculation(DefaultCircuit(5), {});
    EXPECT_EQ(form->NoteText(), "");
    EXPECT_TRUE(form->VerdictText().endsWith("2.5 mm² fails: it carries only 21.3 A; 23.9 A is "
                                             "needed."))
        << form->VerdictText().toStdString();
    EXPECT_EQ(Cell(*form, 5, 4).toString(), "carrying capacity");

    // While hidden the window waits, and catches up when shown again.
    form->hide();
    form->ShowCalculation(DefaultCircuit(10000), {});
    EXPECT_TRUE(form->VerdictText().startsWith("4 mm²"));
    form->show();
    EXPECT_TRUE(form->VerdictText().startsWith("No size fits"))
        << form->VerdictText().toStdString();
    for (int r = 0; r < 23; ++r)
        EXPECT_FALSE(Cell(*form, r, 0, Qt::BackgroundRole).isValid()) << r;
    EXPECT_TRUE(form->Chart()->title().endsWith(": no size fits"))
        << form->Chart()->title().toStdString();
    EXPECT_TRUE(static_cast<QXYSeries*>(form->Chart()->series()[3])->points().isEmpty());
}

TEST_F(SizesFormTest, NoFiguresBeforeACalculationOrWhenTheyCannotBeFormed) {
    TSizesForm fresh(kSizes);
    fresh.show();
    EXPECT_EQ(fresh.VerdictText(), "No calculation yet.");
    EXPECT_FALSE(fresh.ButtonCsv->isEnabled());
    fresh.SetInputsChanged(true);
    EXPECT_EQ(fresh.NoteText(), ""); // nothing shown that could be out of date

    auto form = Shown(kSizes, DefaultCircuit(0));
    EXPECT_EQ(form->VerdictText(),
              "The sizes cannot be worked out: Floating point division by zero");
    EXPECT_EQ(form->SizesGrid->model()->rowCount(), 0);
    for (QToolButton* b : {form->ButtonCopy, form->ButtonCsv, form->ButtonPdf, form->ButtonPrint})
        EXPECT_FALSE(b->isEnabled());
}

TEST_F(SizesFormTest, CopyAndCsv) {
    auto form = Shown({2.5, 4});
    form->ButtonCopyClick();
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QString::fromUtf8("Size (mm²)\tCarrying capacity (A)\tDrop limit (A)\tPermitted "
                                "(A)\tGoverns\tVoltage drop (V)\tLongest run (m)\n"
                                "2.5\t21.3\t19.3\t19.3\tvoltage drop\t6.83\t32.2\n"
                                "4\t28.4\t30.8\t28.4\tcarrying capacity\t4.27\t51.5\n"));
    EXPECT_EQ(form->StatusText(), "Copied to Clipboard...");

    answer = tempDir() + "/sizes.csv";
    form->ButtonCsvClick();
    EXPECT_TRUE(suggestions.value(0).endsWith("/Cable sizes.csv"));
    EXPECT_EQ(QString::fromStdString(test::ReadFile(answer.toStdString())),
              QString::fromStdString(SizesCsv(form->View())));
    EXPECT_TRUE(test::ReadFile(answer.toStdString()).starts_with("Size (mm²),Carrying"));
    EXPECT_EQ(form->StatusText(), "Saved sizes.csv");
    // The next save starts in the folder of the last.
    answer.clear();
    form->ButtonCsvClick();
    EXPECT_EQ(suggestions.value(1), tempDir() + "/Cable sizes.csv");

    // A folder that does not exist: the message names the file, and nothing is written.
    answer = tempDir() + "/missing/sizes.csv";
    QString shown;
    onNextModal([&](QWidget* w) {
        shown = qobject_cast<QMessageBox*>(w)->text();
        qobject_cast<QMessageBox*>(w)->accept();
    });
    form->ButtonCsvClick();
    EXPECT_TRUE(shown.contains(answer)) << shown.toStdString();
    EXPECT_FALSE(QFile::exists(answer));
    EXPECT_EQ(form->StatusText(), "Ready");
}

TEST_F(SizesFormTest, PdfHoldsInputsVerdictTableAndChartOnOnePage) {
    if (!HavePoppler())
        GTEST_SKIP() << "poppler-utils not installed";
    // The shipped list, and one of 1000 sizes that must still fit its page.
    std::vector<double> many;
    for (int i = 0; i < 1000; ++i)
        many.push_back(std::round(0.5 * std::pow(1.01, i) * 1000) / 1000);
    for (const auto& sizes : {kSizes, many}) {
        auto form = Shown(sizes);
        form->SetInputsChanged(true);
        answer = tempDir() + QString("/sizes-%1.pdf").arg(sizes.size());
        form->ButtonPdfClick();
        ASSERT_TRUE(QFile::exists(answer));
        EXPECT_EQ(PdfPages(answer), 1) << sizes.size();
        const QString text = PdfText(answer);
        for (const QString& expected :
             {QString("Cable Sizes"), QString::fromUtf8("Material Copper, 56 m/(Ω·mm²)"),
              QString("Load Type Resistive"), QString("Phase Single"), QString("Power 5.5 kW"),
              QString("Cable Length 40 m"), QString("MaxVoltDrop 5.5 V"),
              QString("Line Current 23.9 A"), form->VerdictText(), form->NoteText(),
              QString::fromUtf8("Size (mm²)"), QString("Longest run (m)"),
              QString("Carrying capacity"), form->Chart()->title()})
            EXPECT_TRUE(text.contains(expected.simplified()))
                << sizes.size() << ": " << expected.toStdString();
        if (sizes.size() == many.size()) {
            // Too many to read on one page: the rows around the chosen one, and a word on the
            // rest.
            const std::size_t chosen = static_cast<std::size_t>(form->View().Chosen);
            EXPECT_TRUE(text.contains(Cell(*form, int(chosen), 0).toString() + " " +
                                      Cell(*form, int(chosen), 1).toString()))
                << text.toStdString();
            EXPECT_TRUE(text.contains(QRegularExpression(
                R"(Sizes (\d+) to (\d+) of 1000 shown; Save as CSV gives every size\.)")))
                << text.toStdString();
        } else {
            // Every row, in list order.
            EXPECT_TRUE(text.contains(QString::fromUtf8(
                "2.5 21.3 19.3 19.3 voltage drop 6.83 32.2 4 28.4 30.8 28.4 carrying capacity "
                "4.27 51.5 6")))
                << text.toStdString();
        }
    }
}

TEST_F(SizesFormTest, PrintGoesToTheProcessPrinterInTheColoursOnScreen) {
    if (!HavePoppler())
        GTEST_SKIP() << "poppler-utils not installed";
    auto form = Shown();
    const QString pdf = tempDir() + "/printed.pdf";
    ProcessPrinter().setOutputFormat(QPrinter::PdfFormat);
    ProcessPrinter().setOutputFileName(pdf);
    form->ButtonPrintClick();
    EXPECT_EQ(form->StatusText(), "Ready");
    ASSERT_EQ(PdfPages(pdf), 1);
    EXPECT_TRUE(
        RunTool("pdfinfo", {pdf}).contains(QRegularExpression(R"(Title:\s+Cable Sizes\n)")));

    // The highlight, the greyed text and both curves, on the page as on the screen.
    const QImage page = PdfImage(pdf, tempDir() + "/printed");
    const QImage screen = form->grab().toImage();
    ASSERT_FALSE(page.isNull());
    const QColor highlight = Cell(*form, 6, 0, Qt::BackgroundRole).value<QColor>();
    const QColor grey = Cell(*form, 0, 0, Qt::ForegroundRole).value<QColor>();
    const auto* capacity = static_cast<QXYSeries*>(form->Chart()->series()[0]);
    const auto* drop = static_cast<QXYSeries*>(form->Chart()->series()[1]);
    for (const QColor& c : {highlight, grey, capacity->pen().color(), drop->pen().color()}) {
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
        form->SizesGrid->setColumnWidth(4, 140);
        test::CommitCounter commits(configDir().toStdString() + "/Brannoworks", "user.reg");
        QTest::keyClick(form.get(), Qt::Key_Escape);
        EXPECT_FALSE(form->isVisible());
        EXPECT_EQ(commits.Take(), 1);
    }
    const QString store = StoreText();
    EXPECT_TRUE(store.contains("[HKEY_CURRENT_USER\\Software\\Brannoworks\\"));
    EXPECT_TRUE(store.contains("\\SizesForm]")) << store.toStdString();

    struct Case {
        const char* name;
        const char* key;
        int kind; // 0 a number, 1 text, 2 a floating-point value
        std::int32_t number;
        int column0, column4; // the widths the window then has; -1: as designed
    } cases[] = {
        {"as saved", nullptr, 0, 0, 55, 140},
        {"a width out of range is not taken", "ColWidth0", 0, 5, -1, 140},
        {"text that is no number is not taken", "ColWidth4", 1, 0, 55, -1},
        {"a value of the wrong kind keeps every designed width", "ColWidth2", 2, 0, -1, -1},
    };
    for (const Case& c : cases) {
        {
            // The widths saved above, then the case's own value.
            TRegistryIniFile reg(AppRegistryKey());
            reg.WriteInt("SizesForm", "ColWidth0", 55);
            reg.WriteInt("SizesForm", "ColWidth4", 140);
            if (c.key && c.kind == 0)
                reg.WriteInt("SizesForm", c.key, c.number);
            else if (c.key && c.kind == 1)
                reg.WriteText("SizesForm", c.key, "wide");
            else if (c.key)
                reg.WriteReal("SizesForm", c.key, 1.5);
        }
        TSizesForm form(kSizes);
        EXPECT_EQ(form.size(), QSize(900, 500)) << c.name;
        EXPECT_EQ(form.pos(), QPoint(40, 60)) << c.name;
        EXPECT_EQ(form.SizesGrid->columnWidth(0), c.column0 < 0 ? designed0 : c.column0) << c.name;
        EXPECT_EQ(form.SizesGrid->columnWidth(4), c.column4 < 0 ? designed4 : c.column4) << c.name;
    }
}

} // namespace
} // namespace qv
