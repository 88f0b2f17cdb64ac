// The units label's pop-up list: its contents and size, the keys and clicks that close it, and
// how the choice reaches every linked field.
#include "units/QvUnitsForm.h"

#include <QApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "tests/testsupport/UiTestFixture.h"
#include "units/QvFmtEdit.h"

namespace qv {
namespace {

QStringList Items(const QListWidget* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
}

class UnitsFormTest : public test::UiTestFixture {
  protected:
    void SetUp() override {
        UiTestFixture::SetUp();
        label = std::make_unique<TFmtEditLabel>("kW");
        power = std::make_unique<TFmtEdit>();
        power->setFormatStr("%0.3f");
        power->setUnitsType(utPower);
        power->SetValue(5.5);
        power->setUnitsLabel(label.get());
    }
    void TearDown() override {
        power.reset();
        label.reset();
        UiTestFixture::TearDown();
    }
    // Clicks the label and runs `answer` on the pop-up while it is open.
    void ClickWith(std::function<void(TUnitsForm*)> answer) {
        bool answered = false;
        onNextModal([&](QWidget* modal) {
            auto* form = qobject_cast<TUnitsForm*>(modal);
            ASSERT_NE(form, nullptr);
            popup = form;
            answered = true;
            answer(form);
        });
        label->Click();
        EXPECT_TRUE(answered);
    }

    std::unique_ptr<TFmtEditLabel> label;
    std::unique_ptr<TFmtEdit> power;
    QPointer<TUnitsForm> popup;
};

TEST_F(UnitsFormTest, PowerListPicksHorsepower) {
    int clicks = 0;
    QObject::connect(label.get(), &TFmtEditLabel::OnClick, [&] {
        // The label's own click comes after the unit was applied.
        EXPECT_EQ(power->unitsValue(), 2);
        ++clicks;
    });
    const QPoint cursor = QCursor::pos();
    ClickWith([&](TUnitsForm* form) {
        EXPECT_EQ(form->objectName(), "UnitsForm");
        EXPECT_EQ(form->windowTitle(), "Units");
        EXPECT_TRUE(form->windowFlags() & Qt::FramelessWindowHint);
        EXPECT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint);
        EXPECT_EQ(Items(form->ListBox1), (QStringList{"kW", "W", "HP"}));
        EXPECT_EQ(form->ListBox1->currentRow(), 0);
        EXPECT_EQ(form->height(), 46);
        EXPECT_EQ(form->pos(), cursor + QPoint(5, 5));
        EXPECT_EQ(form->focusWidget(), form->ListBox1);
        QTest::keyClick(form->ListBox1, Qt::Key_Down);
        QTest::keyClick(form->ListBox1, Qt::Key_Down);
        QTest::keyClick(form->ListBox1, Qt::Key_Return);
    });
    EXPECT_EQ(popup, nullptr) << "the pop-up is freed";
    EXPECT_EQ(power->unitsValue(), 2);
    EXPECT_EQ(power->text(), "7.38");
    EXPECT_EQ(label->text(), "HP");
    EXPECT_EQ(clicks, 1);
}

TEST_F(UnitsFormTest, AreaListSize) {
    TUnitsForm form;
    TFmtEdit area;
    area.setUnitsType(utArea);
    area.setUnitsValue(2);
    form.ClientEdit = &area;
    form.FillList();
    EXPECT_EQ(Items(form.ListBox1), (QStringList{"m²", "cm²", "mm²", "inch²", "ft²"}));
    EXPECT_EQ(form.ListBox1->currentRow(), 2);
    EXPECT_EQ(form.height(), 72);
    int widest = 0;
    for (const QString& item : Items(form.ListBox1))
        widest = std::max(widest, QFontMetrics(form.ListBox1->font()).horizontalAdvance(item));
    EXPECT_EQ(form.width(), 10 + std::max(50, widest));
    // Every row is one item height, so all five rows fit the form.
    EXPECT_EQ(form.ListBox1->visualItemRect(form.ListBox1->item(4)).bottom() + 1, 5 * 13);
}

TEST_F(UnitsFormTest, EscapeAfterMovingAppliesTheNewUnit) {
    int edited = 0;
    QObject::connect(power.get(), &QvCustomEdit::OnUnitsEdited, [&] { ++edited; });
    ClickWith([](TUnitsForm* form) {
        QTest::keyClick(form->ListBox1, Qt::Key_Down);
        QTest::keyClick(form->ListBox1, Qt::Key_Escape);
    });
    EXPECT_EQ(power->unitsValue(), 1);
    EXPECT_EQ(power->text(), "5500");
    EXPECT_EQ(edited, 1);
}

TEST_F(UnitsFormTest, MousePressesCloseTheList) {
    // The left button picks the item under the pointer.
    ClickWith([](TUnitsForm* form) {
        QRect item = form->ListBox1->visualItemRect(form->ListBox1->item(1));
        QTest::mousePress(form->ListBox1->viewport(), Qt::LeftButton, {}, item.center());
    });
    EXPECT_EQ(power->unitsValue(), 1);
    // Another button closes the list with the selection as it was.
    ClickWith([](TUnitsForm* form) {
        QRect item = form->ListBox1->visualItemRect(form->ListBox1->item(2));
        QTest::mousePress(form->ListBox1->viewport(), Qt::RightButton, {}, item.center());
    });
    EXPECT_EQ(power->unitsValue(), 1);
}

TEST_F(UnitsFormTest, TwoLinkedFieldsInLinkOrderWithClampedIndex) {
    auto area = std::make_unique<TFmtEdit>();
    area->setFormatType(ft_Auto);
    area->setUnitsType(utArea);
    area->setUnitsBase(2);
    area->setUnitsValue(2);
    area->SetValue(2.5);
    // Relink so the area field comes first and its list is shown.
    power->setUnitsLabel(nullptr);
    area->setUnitsLabel(label.get());
    power->setUnitsLabel(label.get());

    QStringList order;
    auto record = [&](QvCustomEdit* sender) {
        order << (sender == area.get() ? QString("area %1").arg(sender->unitsValue())
                                       : QString("power %1").arg(sender->unitsValue()));
        if (sender == area.get()) {
            EXPECT_EQ(power->unitsValue(), 0) << "power not yet changed";
        }
    };
    QObject::connect(area.get(), &QvCustomEdit::OnUnitsEdited, record);
    QObject::connect(power.get(), &QvCustomEdit::OnUnitsEdited, record);
    ClickWith([](TUnitsForm* form) {
        EXPECT_EQ(form->ListBox1->count(), 5);
        form->ListBox1->setCurrentRow(4);
        QTest::keyClick(form->ListBox1, Qt::Key_Return);
    });
    EXPECT_EQ(order, (QStringList{"area 4", "power 2"}));
    EXPECT_EQ(area->text(), "0.0000269");
    EXPECT_EQ(label->text(), "HP") << "the last field to apply writes the caption";
}

TEST_F(UnitsFormTest, MouseClickOnTheLabelPopsUpTheList) {
    label->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(label.get()));
    bool shown = false;
    onNextModal([&](QWidget* modal) {
        shown = true;
        QTest::keyClick(static_cast<TUnitsForm*>(modal)->ListBox1, Qt::Key_Up);
        QTest::keyClick(static_cast<TUnitsForm*>(modal)->ListBox1, Qt::Key_Return);
    });
    power->setUnitsValue(1);
    QTest::mouseClick(label.get(), Qt::LeftButton);
    EXPECT_TRUE(shown);
    EXPECT_EQ(power->unitsValue(), 0);
}

TEST_F(UnitsFormTest, LabelWithoutFieldsShowsNoList) {
    TFmtEditLabel lonely("x");
    int clicks = 0;
    QObject::connect(&lonely, &TFmtEditLabel::OnClick, [&] { ++clicks; });
    lonely.Click();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(UnitsFormTest, NarrowItemsGiveMinimumWidth) {
    TUnitsForm form;
    form.ClientEdit = power.get();
    form.FillList();
    ASSERT_LT(QFontMetrics(form.ListBox1->font()).horizontalAdvance("kW"), 50);
    EXPECT_EQ(form.width(), 60);
    EXPECT_EQ(form.height(), 46);
}

} // namespace
} // namespace qv
