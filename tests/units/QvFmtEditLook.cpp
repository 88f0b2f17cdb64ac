// Not a check of pixels but a way to look: renders a power field with its units label, and the
// open unit list, to PNG files in the build folder (fmtedit-look/), so anyone can see how they
// draw.
#include <QDir>
#include <QGridLayout>
#include <QPixmap>
#include <QTest>
#include <gtest/gtest.h>

#include "tests/testsupport/UiTestFixture.h"
#include "units/QvFmtEdit.h"
#include "units/QvUnitsForm.h"

namespace qv {
namespace {

class FmtEditLook : public test::UiTestFixture {};

TEST_F(FmtEditLook, RendersFieldLabelAndPopup) {
    const QString folder = QStringLiteral(AMPWISE_LOOK_DIR);
    ASSERT_TRUE(QDir().mkpath(folder));

    QWidget window;
    auto* grid = new QGridLayout(&window);
    const struct {
        const char* caption;
        TUnitsType type;
        int base;
        double value;
    } rows[] = {
        {"Power", utPower, 0, 5.5}, {"Length", utLengthPrim, 0, 120}, {"Area", utArea, 2, 2.5}};
    TFmtEditLabel* powerLabel = nullptr;
    int row = 0;
    for (const auto& r : rows) {
        auto* field = new TFmtEdit(&window);
        auto* units = new TFmtEditLabel(&window);
        field->setFormatType(r.type == utArea ? ft_Auto : ft_Fixed);
        field->setUnitsType(r.type);
        field->setUnitsBase(r.base);
        field->setUnitsLabel(units);
        field->setUnitsValue(r.base);
        field->SetValue(r.value);
        grid->addWidget(new QLabel(r.caption, &window), row, 0);
        grid->addWidget(field, row, 1);
        grid->addWidget(units, row, 2);
        if (!powerLabel)
            powerLabel = units;
        ++row;
    }
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QPixmap fields = window.grab();
    ASSERT_FALSE(fields.isNull());
    EXPECT_TRUE(fields.save(folder + "/fmtedit-fields.png"));

    QPixmap list;
    onNextModal([&](QWidget* modal) {
        auto* form = qobject_cast<TUnitsForm*>(modal);
        ASSERT_NE(form, nullptr);
        QTest::keyClick(form->ListBox1, Qt::Key_Down);
        list = form->grab();
        QTest::keyClick(form->ListBox1, Qt::Key_Escape);
    });
    powerLabel->Click();
    ASSERT_FALSE(list.isNull());
    EXPECT_EQ(list.height(), 46);
    EXPECT_TRUE(list.save(folder + "/fmtedit-unit-list.png"));
    EXPECT_TRUE(window.grab().save(folder + "/fmtedit-fields-in-watts.png"));
}

} // namespace
} // namespace qv
