// The coloured rows of the Cable Sizes and Cable Schedule tables stand out from their ground by
// a contrast of 4.5 at least, in a light and a dark palette alike.
#include "schedulewindow/QvScheduleModel.h"
#include "sizes/QvSizesForm.h"
#include "tests/testsupport/Palettes.h"
#include "tests/testsupport/UiTestFixture.h"
#include "widgets/QvAccessibility.h"

#include <QBrush>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

namespace qv {
namespace {

const std::vector<double> kSizes = {0.4, 0.5, 0.75, 1,  1.5, 2.5, 4,   6,   10,  16,
                                    25,  35,  50,   70, 95,  120, 150, 185, 240, 300};

QColor ColourOf(const QVariant& v, const QColor& otherwise) {
    const QBrush brush = v.value<QBrush>();
    return brush.style() != Qt::NoBrush ? brush.color() : otherwise;
}

// The least contrast in the row of its ink (or the view's text) on its ground (or the view's).
double RowContrast(const QAbstractItemModel& model, int row, const QPalette& view) {
    double least = 21;
    for (int c = 0; c < model.columnCount(); ++c) {
        const QModelIndex i = model.index(row, c);
        least = std::min(least,
                         ContrastRatio(ColourOf(i.data(Qt::ForegroundRole), view.text().color()),
                                       ColourOf(i.data(Qt::BackgroundRole), view.base().color())));
    }
    return least;
}

class RowColours : public test::UiTestFixture {};

TEST_F(RowColours, EveryColouredRowIsReadableInLightAndDark) {
    // 5.5 kW over 40 m within 5.5 V: 4 mm² (row 6) is chosen, the sizes below it are greyed.
    TSizesCircuit circuit{"Copper", 56, 0, 0, 5.5, 40, 5.5, LineCurrent(0, 0, 5.5, {})};
    TElecData data;
    data.Sizes = {1.5, 2.5, 4, 6, 10, 16, 25, 35, 50, 70, 95, 120, 150, 185, 240, 300};
    data.Materials = {{"Copper", 56}};
    TScheduleModel schedule;
    schedule.SetSizer(std::make_shared<const TScheduleSizer>(data, 5.5));
    // Solved, not solved (too far for any size), and in error.
    schedule.InsertRows(0, {{{"C1", "Copper", "Resistive", "Single", "5.5", "40"}, {}},
                            {{"C2", "Copper", "Resistive", "Single", "5.5", "20000"}, {}},
                            {{"C3", "Gold", "Resistive", "Single", "5.5", "40"}, {}}});
    ASSERT_EQ(schedule.NotSolvedCount(), 1);
    ASSERT_EQ(schedule.ErrorCount(), 1);

    for (const QPalette& palette : {test::LightPalette(), test::DarkPalette()}) {
        const char* const theme = palette.base().color().lightness() > 128 ? "light" : "dark";
        TSizesForm sizes(kSizes);
        sizes.setPalette(palette);
        sizes.ShowCalculation(circuit, {});
        sizes.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&sizes));
        ASSERT_EQ(sizes.View().Chosen, 6);
        const QAbstractItemModel& grid = *sizes.SizesGrid->model();
        const QPalette shown = sizes.SizesGrid->palette();
        const struct {
            const char* role;
            const QAbstractItemModel& model;
            int row;
            const QPalette& view;
        } rows[] = {
            {"sizes chosen", grid, 6, shown},
            {"sizes greyed", grid, 0, shown},
            {"sizes fitting", grid, 9, shown},
            {"schedule solved", schedule, 0, palette},
            {"schedule not solved", schedule, 1, palette},
            {"schedule error", schedule, 2, palette},
        };
        for (const auto& r : rows)
            EXPECT_GE(RowContrast(r.model, r.row, r.view), 4.5) << theme << ": " << r.role;
        // Greyed still reads as greyed: paler than the sizes that fit.
        EXPECT_LT(RowContrast(grid, 0, shown), RowContrast(grid, 9, shown)) << theme;
    }
}

} // namespace
} // namespace qv
