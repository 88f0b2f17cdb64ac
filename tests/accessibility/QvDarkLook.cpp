// Not a check but a way to look: the Cable Sizes and Cable Schedule windows drawn offscreen in
// Fusion with a dark palette, to PNG files in the build folder (dark-look/), as a desktop's dark
// theme would show them.
#include "core/QvAmpwise.h"
#include "schedulewindow/QvScheduleForm.h"
#include "sizes/QvSizesForm.h"
#include "tests/testsupport/Palettes.h"
#include "tests/testsupport/UiTestFixture.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QStyleFactory>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

namespace qv {
namespace {

class DarkLook : public test::UiTestFixture {
  protected:
    void SetUp() override {
        UiTestFixture::SetUp();
        QApplication::setStyle(QStyleFactory::create("Fusion"));
        QApplication::setPalette(test::DarkPalette());
        ASSERT_TRUE(QDir().mkpath(folder));
    }
    void TearDown() override {
        QApplication::setPalette(test::LightPalette());
        UiTestFixture::TearDown();
    }

    void Save(QWidget& window, const char* name) {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QApplication::processEvents();
        const QPixmap picture = window.grab();
        ASSERT_FALSE(picture.isNull());
        EXPECT_TRUE(picture.save(folder + "/" + name));
    }

    const QString folder = QStringLiteral(AMPWISE_LOOK_DIR);
};

TEST_F(DarkLook, CableSizes) {
    // Copper, resistive, single phase, 5.5 kW over 40 m within 5.5 V.
    TSizesCircuit c;
    c.Material = "Copper";
    c.Conductivity = 56;
    c.Power = 5.5;
    c.Length = 40;
    c.MaxVoltDrop = 5.5;
    c.Current = LineCurrent(0, 0, 5.5, {});
    TSizesForm form({1, 1.5, 2.5, 4, 6, 10, 16, 25, 35, 50, 70, 95, 120, 150, 185, 240, 300});
    form.resize(1180, 620);
    form.ShowCalculation(c, {});
    Save(form, "sizes-dark.png");
}

TEST_F(DarkLook, CableSchedule) {
    StandardSizes = {1.5, 2.5, 4, 6, 10, 16, 25, 35, 50, 70, 95, 120, 150, 185, 240, 300};
    Materials = {{"Copper", 56}, {"Aluminium", 35}};
    MaxVoltDrop = 5.5;
    TScheduleForm form;
    form.resize(1400, 300);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    // Solved rows, one that nothing fits, and one in error.
    form.PasteText("Kitchen\tCopper\tResistive\tSingle\t5.5\t40\n"
                   "Pump\tAluminium\tResistive\tThree\t30\t120\n"
                   "Far shed\tCopper\tResistive\tSingle\t5.5\t20000\n"
                   "Lights\tGold\tResistive\tSingle\t1.2\t25\n"
                   "Workshop\tCopper\tResistive\tThree\t15\t60\n");
    form.Table->clearSelection();
    Save(form, "schedule-dark.png");
}

} // namespace
} // namespace qv
