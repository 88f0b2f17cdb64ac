// The motor rating picker on its own: its rows, and what Accept, Cancel and double-click hand over.
#include "mainwindow/QvSelectFromList.h"

#include "tests/testsupport/UiTestFixture.h"

#include <QListWidget>
#include <QTest>
#include <QToolButton>

namespace qv {
namespace {

class SelectFromListTest : public test::UiTestFixture {};

QStringList Rows(const QListWidget& list) {
    QStringList rows;
    for (int i = 0; i < list.count(); ++i)
        rows << list.item(i)->text();
    return rows;
}

TEST_F(SelectFromListTest, BuiltInListsInDisplayOrder) {
    TSelectFromList picker;
    EXPECT_EQ(picker.windowTitle(), "Select...");
    picker.LoadValues(SinglePhaseMotorList);
    EXPECT_EQ(Rows(*picker.ListBox1), QStringList({"0.25", "0.37", "0.55", "0.75", "1.1", "1.5",
                                                   "2.2", "3", "4", "5.5", "7.5"}));
    picker.LoadValues(ThreePhaseMotorList);
    const QStringList three = Rows(*picker.ListBox1);
    ASSERT_EQ(three.size(), 21);
    EXPECT_EQ(three.first(), "0.37");
    EXPECT_EQ(three[12], "18.5");
    EXPECT_EQ(three.last(), "110");
}

TEST_F(SelectFromListTest, AcceptWaitsForARow) {
    TSelectFromList picker;
    picker.LoadValues(SinglePhaseMotorList);
    picker.show();
    // Focus alone makes a row current but chooses nothing.
    picker.ListBox1->setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(picker.ToolButton1->isEnabled());
    picker.ToolButton1Click();
    EXPECT_EQ(picker.result(), QDialog::Rejected);
    EXPECT_TRUE(picker.isVisible());

    picker.ListBox1->setCurrentRow(9);
    EXPECT_EQ(picker.GetSelection(), "5.5");
    EXPECT_TRUE(picker.ToolButton1->isEnabled());
    QTest::mouseClick(picker.ToolButton1, Qt::LeftButton);
    EXPECT_EQ(picker.result(), QDialog::Accepted);
    EXPECT_EQ(picker.GetSelection(), "5.5");
}

TEST_F(SelectFromListTest, DoubleClickAcceptsTheRow) {
    TSelectFromList picker;
    picker.LoadValues(ThreePhaseMotorList);
    picker.show();
    QApplication::processEvents();
    QListWidgetItem* item = picker.ListBox1->item(20);
    const QRect r = picker.ListBox1->visualItemRect(item);
    picker.ListBox1->scrollToItem(item);
    QApplication::processEvents();
    const QPoint at = picker.ListBox1->visualItemRect(item).center();
    ASSERT_TRUE(r.isValid());
    QTest::mouseClick(picker.ListBox1->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(picker.ListBox1->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(picker.result(), QDialog::Accepted);
    EXPECT_FALSE(picker.isVisible());
    EXPECT_EQ(picker.GetSelection(), "110");
}

TEST_F(SelectFromListTest, EnterAcceptsTheChosenRowAndEscapeCancels) {
    struct Row {
        const char* name;
        int row; // -1: none chosen
        Qt::Key key;
        bool open;
        int result;
        const char* selection;
    };
    const Row rows[] = {
        {"Return accepts", 9, Qt::Key_Return, false, QDialog::Accepted, "5.5"},
        {"keypad Enter accepts", 0, Qt::Key_Enter, false, QDialog::Accepted, "0.25"},
        {"Escape cancels", 9, Qt::Key_Escape, false, QDialog::Rejected, ""},
        {"Return with no row chosen waits", -1, Qt::Key_Return, true, QDialog::Rejected, ""},
    };
    for (const Row& r : rows) {
        TSelectFromList picker;
        picker.LoadValues(SinglePhaseMotorList);
        picker.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&picker)) << r.name;
        picker.ListBox1->setFocus();
        QApplication::processEvents();
        if (r.row >= 0)
            picker.ListBox1->setCurrentRow(r.row);
        QTest::keyClick(picker.ListBox1, r.key);
        EXPECT_EQ(picker.isVisible(), r.open) << r.name;
        EXPECT_EQ(picker.result(), r.result) << r.name;
        EXPECT_EQ(picker.GetSelection(), r.selection) << r.name;
    }
}

TEST_F(SelectFromListTest, CancelAndCloseBoxEmptyTheSelection) {
    for (const char* how : {"Cancel", "Escape", "close box"}) {
        TSelectFromList picker;
        picker.LoadValues(SinglePhaseMotorList);
        picker.show();
        picker.ListBox1->setCurrentRow(2);
        ASSERT_EQ(picker.GetSelection(), "0.55") << how;
        if (QString(how) == "Cancel")
            QTest::mouseClick(picker.ToolButton2, Qt::LeftButton);
        else if (QString(how) == "Escape")
            QTest::keyClick(picker.ListBox1, Qt::Key_Escape);
        else
            picker.close();
        EXPECT_EQ(picker.result(), QDialog::Rejected) << how;
        EXPECT_EQ(picker.GetSelection(), "") << how;
    }
}

} // namespace
} // namespace qv
