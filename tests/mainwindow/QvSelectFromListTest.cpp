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

TEST_F(SelectFromListTest, KeysAndButtonsEndingTheChoice) {
    struct Row {
        const char* how;
        int result;
        const char* selection;
    };
    const Row rows[] = {{"Cancel", QDialog::Rejected, ""},
                        {"Escape", QDialog::Rejected, ""},
                        {"close box", QDialog::Rejected, ""},
                        {"Return", QDialog::Accepted, "0.55"},
                        {"Enter", QDialog::Accepted, "0.55"}};
    for (const Row& r : rows) {
        const QString how = r.how;
        TSelectFromList picker;
        picker.LoadValues(SinglePhaseMotorList);
        picker.show();
        picker.ListBox1->setCurrentRow(2);
        ASSERT_EQ(picker.GetSelection(), "0.55") << r.how;
        if (how == "Cancel")
            QTest::mouseClick(picker.ToolButton2, Qt::LeftButton);
        else if (how == "close box")
            picker.close();
        else
            QTest::keyClick(picker.ListBox1, how == "Escape"  ? Qt::Key_Escape
                                             : how == "Enter" ? Qt::Key_Enter
                                                              : Qt::Key_Return);
        EXPECT_FALSE(picker.isVisible()) << r.how;
        EXPECT_EQ(picker.result(), r.result) << r.how;
        EXPECT_EQ(picker.GetSelection(), r.selection) << r.how;
    }
}

} // namespace
} // namespace qv
