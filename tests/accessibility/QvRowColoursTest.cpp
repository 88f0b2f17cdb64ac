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

// Copper, resistive, single phase, 5.5 kW over 40 m within 5.5 V: 4 mm² (row 6) is chosen, the
// six sizes below it are greyed.
TSizesCircuit Circuit() {
    TSizesCircuit c;
    c.Material = "Copper";
    c.Conductivity = 56;
    c.Power = 5.5;
    c.Length = 40;
    c.MaxVoltDrop = 5.5;
    c.Current = LineCurrent(0, 0, 5.5, {});
    return c;
}

const std::vector<double> kSizes = {0.4, 0.5, 0.75, 1,  1.5, 2.5, 4,   6,   10,  16,
                                    25,  35,  50,   70, 95,  120, 150, 185, 240, 300};

// A schedule of a solved row, one that nothing fits and one in error.
std::unique_ptr<TScheduleModel> Schedule() {
    TElecData data;
    data.Sizes = {1.5, 2.5, 4, 6, 10, 16, 25, 35, 50, 70, 95, 120, 150, 185, 240, 300};
    data.Materials = {{"Copper", 56}};
    data.MaterialList = "Copper";
    auto model = std::make_unique<TScheduleModel>();
    model->SetSizer(std::make_shared<const TScheduleSizer>(data, 5.5));
    std::vector<TScheduleRow> rows;
    for (const char* length : {"40", "20000"})
        rows.push_back({{"C1", "Copper", "Resistive", "Single", "5.5", length}, {}});
    rows.push_back({{"C2", "Gold", "Resistive", "Single", "5.5", "40"}, {}});
    model->InsertRows(0, std::move(rows));
    return model;
}

QColor ColourOf(const QVariant& v, const QColor& otherwise) {
    if (v.canConvert<QBrush>() && v.value<QBrush>().style() != Qt::NoBrush)
        return v.value<QBrush>().color();
    return v.canConvert<QColor>() && v.value<QColor>().isValid() ? v.value<QColor>() : otherwise;
}

// The least contrast of any cell of the row: its ink, or the view's text, on its ground, or the
// view's.
double RowContrast(const QAbstractItemModel& model, int row, const QPalette& view) {
    double least = 21;
    for (int c = 0; c < model.columnCount(); ++c) {
        const QModelIndex i = model.index(row, c);
        const QColor ink = ColourOf(model.data(i, Qt::ForegroundRole), view.color(QPalette::Text));
        const QColor ground =
            ColourOf(model.data(i, Qt::BackgroundRole), view.color(QPalette::Base));
        least = std::min(least, ContrastRatio(ink, ground));
    }
    return least;
}

class RowColours : public test::UiTestFixture {};

TEST_F(RowColours, EveryColouredRowIsReadableInLightAndDark) {
    const struct {
        const char* name;
        QPalette palette;
    } palettes[] = {{"light", test::LightPalette()}, {"dark", test::DarkPalette()}};
    for (const auto& p : palettes) {
        TSizesForm sizes(kSizes);
        sizes.setPalette(p.palette);
        sizes.ShowCalculation(Circuit(), {});
        sizes.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&sizes));
        const QAbstractItemModel& sizesModel = *sizes.SizesGrid->model();
        const QPalette grid = sizes.SizesGrid->palette();
        ASSERT_EQ(sizes.View().Chosen, 6);
        auto schedule = Schedule();
        ASSERT_EQ(schedule->NotSolvedCount(), 1);
        ASSERT_EQ(schedule->ErrorCount(), 1);

        const struct {
            const char* role;
            const QAbstractItemModel& model;
            int row;
            const QPalette& view;
        } rows[] = {
            {"sizes chosen", sizesModel, 6, grid},
            {"sizes greyed", sizesModel, 0, grid},
            {"sizes fitting", sizesModel, 9, grid},
            {"schedule solved", *schedule, 0, p.palette},
            {"schedule not solved", *schedule, 1, p.palette},
            {"schedule error", *schedule, 2, p.palette},
        };
        for (const auto& r : rows)
            EXPECT_GE(RowContrast(r.model, r.row, r.view), 4.5) << p.name << ": " << r.role;
        // Greyed still reads as greyed: paler than the sizes that fit.
        EXPECT_LT(RowContrast(sizesModel, 0, grid), RowContrast(sizesModel, 9, grid)) << p.name;
    }
}

} // namespace
} // namespace qv
