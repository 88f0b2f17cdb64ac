// The numeric field under the user's fingers: values in units, typing, Escape, leaving the
// field, the range check with its beeps and the link to a units label.
#include "units/QvFmtEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <memory>

#include "tests/testsupport/UiTestFixture.h"

namespace qv {
namespace {

double Number(const std::variant<double, QString>& v) {
    EXPECT_TRUE(std::holds_alternative<double>(v));
    return std::holds_alternative<double>(v) ? std::get<double>(v) : -1;
}

// A window with the field under test and a second control to move the focus to.
class FmtEditTest : public test::UiTestFixture {
  protected:
    void SetUp() override {
        UiTestFixture::SetUp();
        QvCustomEdit::Beep = [this] { ++beeps; };
        window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(window.get());
        field = new TFmtEdit(window.get());
        other = new QLineEdit(window.get());
        layout->addWidget(field);
        layout->addWidget(other);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        // Each test enters the field itself.
        other->setFocus(Qt::TabFocusReason);
    }
    void TearDown() override {
        window.reset();
        QvCustomEdit::Beep = [] { QApplication::beep(); };
        UiTestFixture::TearDown();
    }
    // A "%0.3f" field without units, as the tests of typing use it.
    void MakeFixed3() {
        field->setFormatStr("%0.3f");
        field->setFormatType(ft_Fixed);
        field->SetValue(5.5);
    }
    void Enter() {
        field->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(field->hasFocus());
    }
    void Leave() { other->setFocus(Qt::TabFocusReason); }

    int beeps = 0;
    std::unique_ptr<QWidget> window;
    TFmtEdit* field = nullptr;
    QLineEdit* other = nullptr;
};

TEST_F(FmtEditTest, StartsAsAnEmptyOneDecimalField) {
    TFmtEdit fresh;
    EXPECT_EQ(fresh.text(), "0.0");
    EXPECT_EQ(fresh.formatStr(), "%0.1f");
    EXPECT_EQ(fresh.formatType(), ft_Fixed);
    EXPECT_EQ(fresh.sigDigs(), 5);
    EXPECT_EQ(fresh.unitsType(), utNone);
    EXPECT_EQ(fresh.unitsFactor(), 1);
    EXPECT_EQ(fresh.unitsOffset(), 0);
    EXPECT_EQ(fresh.unitsLabel(), nullptr);
    EXPECT_DOUBLE_EQ(Number(fresh.GetValue()), 0);
}

TEST_F(FmtEditTest, PowerFieldFollowsItsUnit) {
    field->setUnitsType(utPower);
    field->SetValue(5.5);
    EXPECT_EQ(field->text(), "5.500");
    field->setUnitsValue(1);
    EXPECT_EQ(field->text(), "5500");
    field->setUnitsValue(2);
    EXPECT_EQ(field->text(), "7.38");
    // The value carries only the precision of the text it shows.
    EXPECT_DOUBLE_EQ(Number(field->GetValue()), 7.38 / 1.341021858656296);
    field->setUnitsValue(0);
    EXPECT_EQ(field->text(), "5.503");
    // Out-of-range indices are clamped.
    field->setUnitsValue(7);
    EXPECT_EQ(field->unitsValue(), 2);
    field->setUnitsValue(-1);
    EXPECT_EQ(field->unitsValue(), 0);
}

TEST_F(FmtEditTest, AreaFieldInAutomaticFormat) {
    field->setFormatType(ft_Auto);
    field->setSigDigs(5);
    field->setUnitsType(utArea);
    field->setUnitsBase(2);
    field->setUnitsValue(2);
    field->SetValue(2.5);
    EXPECT_EQ(field->text(), "2.500");
    field->setUnitsValue(0);
    EXPECT_EQ(field->text(), "0.00000250");
    EXPECT_DOUBLE_EQ(Number(field->GetValue()), 2.5);
}

TEST_F(FmtEditTest, CurrentFieldSwitchesFormatAtTen) {
    field->setFormatType(ft_AutoOverride);
    field->setFormatStr("%0.1f");
    field->setUnitsType(utNone);
    const struct {
        double value;
        const char* text;
    } rows[] = {{5.234, "5.234"}, {9.99, "9.990"}, {12.34, "12.3"}};
    for (const auto& r : rows) {
        field->SetValue(r.value);
        EXPECT_EQ(field->text(), r.text) << r.value;
    }
}

TEST_F(FmtEditTest, UnitsTypeClampsIndicesAndConverts) {
    field->setUnitsType(utArea);
    field->setUnitsValue(4);
    field->setUnitsBase(4);
    field->setUnitsType(utPower);
    EXPECT_EQ(field->unitsValue(), 2);
    EXPECT_EQ(field->unitsBase(), 2);
    EXPECT_EQ(field->formatStr(), "%0.2f");
}

TEST_F(FmtEditTest, TextThatIsNoNumberOnlyStoresTheUnit) {
    field->setUnitsType(utPower);
    field->setText("abc");
    field->setUnitsValue(1);
    EXPECT_EQ(field->unitsValue(), 1);
    EXPECT_EQ(field->unitsFactor(), 1);
    EXPECT_EQ(field->text(), "abc");
    EXPECT_EQ(std::get<QString>(field->GetValue()), "abc");
    EXPECT_EQ(field->valueOr(-2), -2);
}

TEST_F(FmtEditTest, EnterReformatsTypedText) {
    MakeFixed3();
    Enter();
    field->selectAll();
    QTest::keyClicks(field, "1.2.3");
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(field->text(), "1.230");
    EXPECT_EQ(beeps, 0);
}

TEST_F(FmtEditTest, LeavingWithMinusAloneShowsZero) {
    MakeFixed3();
    int exits = 0;
    QObject::connect(field, &QvCustomEdit::OnExit, [&](QvCustomEdit* sender) {
        EXPECT_EQ(sender, field);
        // The handler sees the committed text and can tell the user changed it.
        EXPECT_EQ(field->text(), "0.000");
        EXPECT_TRUE(field->isModified());
        ++exits;
    });
    Enter();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Minus);
    EXPECT_EQ(field->text(), "-");
    Leave();
    EXPECT_EQ(field->text(), "0.000");
    EXPECT_EQ(exits, 1);
    EXPECT_TRUE(field->isModified());
}

TEST_F(FmtEditTest, TypingOverASelection) {
    field->setText("12345");
    Enter();
    field->setSelection(2, 2);
    QTest::keyClick(field, Qt::Key_9);
    EXPECT_EQ(field->text(), "1295");
    EXPECT_EQ(field->cursorPosition(), 3);

    // A refused key still removes a selection of two or more, but not one of one character.
    field->setSelection(0, 2);
    QTest::keyClick(field, Qt::Key_X);
    EXPECT_EQ(field->text(), "95");
    EXPECT_EQ(field->cursorPosition(), 0);
    field->setSelection(0, 1);
    QTest::keyClick(field, Qt::Key_X);
    EXPECT_EQ(field->text(), "95");
    EXPECT_EQ(beeps, 2);
}

TEST_F(FmtEditTest, EscapeRestoresTheEnteredText) {
    MakeFixed3();
    Enter();
    EXPECT_EQ(field->enteredText(), "5.500");
    field->selectAll();
    QTest::keyClicks(field, "42");
    EXPECT_TRUE(field->isModified());
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_EQ(field->text(), "5.500");
    EXPECT_FALSE(field->isModified());
}

TEST_F(FmtEditTest, EscapeUndoesInADialogBeforeItCancels) {
    QDialog dialog;
    auto* inDialog = new TFmtEdit(&dialog);
    new QVBoxLayout(&dialog);
    dialog.layout()->addWidget(inDialog);
    inDialog->setText("1.0");
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    inDialog->setFocus(Qt::TabFocusReason);
    inDialog->selectAll();
    QTest::keyClick(inDialog, Qt::Key_7);
    QTest::keyClick(inDialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible()) << "the field claims Escape while modified";
    EXPECT_EQ(inDialog->text(), "1.0");
    QTest::keyClick(inDialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible()) << "with nothing to undo Escape reaches the dialog";
}

TEST_F(FmtEditTest, RefusedLetterBeepsButMarksModified) {
    MakeFixed3();
    field->setText("5.5");
    Enter();
    field->end(false);
    QTest::keyClick(field, Qt::Key_A);
    EXPECT_EQ(field->text(), "5.5");
    EXPECT_EQ(beeps, 1);
    EXPECT_TRUE(field->isModified());
    Leave();
    EXPECT_EQ(field->text(), "5.500");
}

TEST_F(FmtEditTest, ExponentOnlyInGeneralFormats) {
    field->setText("");
    Enter();
    QTest::keyClicks(field, "1e3");
    EXPECT_EQ(field->text(), "13");
    EXPECT_EQ(beeps, 1);
    field->setFormatStr("%0.4g");
    field->setText("");
    QTest::keyClicks(field, "1e3");
    EXPECT_EQ(field->text(), "1e3");
    EXPECT_EQ(beeps, 1);
}

TEST_F(FmtEditTest, RangeHoldsTheValue) {
    MakeFixed3();
    field->setRangeLo(10);
    field->setRangeHi(100);
    struct Row {
        const char* name;
        const char* typed;
        bool byEnter;
        const char* shown;
        int beeps;
    };
    const Row rows[] = {
        {"0.4 % below the bound is accepted", "9.96", false, "9.960", 0},
        {"1 % below takes the bound and keeps the focus", "9.9", false, "10.000", 1},
        {"above takes the high bound", "120", true, "100.000", 1},
    };
    for (const Row& r : rows) {
        beeps = 0;
        Enter();
        field->selectAll();
        QTest::keyClicks(field, r.typed);
        if (r.byEnter)
            QTest::keyClick(field, Qt::Key_Return);
        else
            Leave();
        EXPECT_EQ(field->text(), r.shown) << r.name;
        EXPECT_EQ(beeps, r.beeps) << r.name;
        if (r.beeps) {
            EXPECT_TRUE(field->hasFocus()) << r.name;
            EXPECT_TRUE(field->isModified()) << r.name;
        } else {
            EXPECT_FALSE(field->hasFocus()) << r.name;
        }
        Leave();
    }
}

TEST_F(FmtEditTest, BackspaceRemovesOneCharacterBeforeTheSelection) {
    field->setText("12345");
    Enter();
    field->setCursorPosition(0);
    QTest::keyClick(field, Qt::Key_Backspace);
    EXPECT_EQ(field->text(), "12345");
    field->setSelection(2, 2);
    QTest::keyClick(field, Qt::Key_Backspace);
    EXPECT_EQ(field->text(), "1345");
    EXPECT_EQ(field->cursorPosition(), 1);
    EXPECT_TRUE(field->isModified());
    field->setReadOnly(true);
    field->setCursorPosition(2);
    QTest::keyClick(field, Qt::Key_Backspace);
    EXPECT_EQ(field->text(), "1345") << "a read-only field keeps its text";
    EXPECT_EQ(beeps, 0);
}

TEST_F(FmtEditTest, KeyDownHandlerMayConsumeTheKey) {
    field->OnKeyDown = [](QvCustomEdit*, int& key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_Backspace)
            key = 0;
    };
    field->setText("123");
    Enter();
    field->end(false);
    QTest::keyClick(field, Qt::Key_Backspace);
    EXPECT_EQ(field->text(), "123");
    EXPECT_FALSE(field->isModified());
}

TEST_F(FmtEditTest, AnotherWindowIsNoExitAndNoNewEntry) {
    MakeFixed3();
    int enters = 0, exits = 0;
    QObject::connect(field, &QvCustomEdit::OnEnter, [&] { ++enters; });
    QObject::connect(field, &QvCustomEdit::OnExit, [&] { ++exits; });
    Enter();
    field->selectAll();
    QTest::keyClicks(field, "42");
    {
        QWidget popupLike;
        popupLike.show();
        popupLike.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&popupLike));
    }
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    ASSERT_TRUE(field->hasFocus());
    EXPECT_EQ(enters, 1);
    EXPECT_EQ(exits, 0);
    EXPECT_EQ(field->text(), "42") << "nothing committed";
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_EQ(field->text(), "5.500") << "the entry still began before the other window";
}

TEST_F(FmtEditTest, PastedLettersStayWithoutBeep) {
    MakeFixed3();
    Enter();
    QApplication::clipboard()->setText("five");
    field->selectAll();
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(field->text(), "five");
    QTest::keyClick(field, Qt::Key_Return);
    Leave();
    EXPECT_EQ(field->text(), "five");
    EXPECT_EQ(beeps, 0);
    EXPECT_EQ(std::get<QString>(field->GetValue()), "five");
}

TEST_F(FmtEditTest, KeyPressHandlerMayChangeOrDropTheCharacter) {
    field->OnKeyPress = [](QvCustomEdit*, QChar& c) {
        if (c == QLatin1Char(','))
            c = QLatin1Char('.');
        else if (c == QLatin1Char('x'))
            c = QChar();
    };
    field->setText("");
    Enter();
    QTest::keyClicks(field, "1,5x");
    EXPECT_EQ(field->text(), "1.5");
    EXPECT_EQ(beeps, 0);
}

TEST_F(FmtEditTest, FinishEntryCommitsAndClearsModified) {
    MakeFixed3();
    int exits = 0;
    QObject::connect(field, &QvCustomEdit::OnExit, [&] { ++exits; });
    Enter();
    field->selectAll();
    QTest::keyClicks(field, "2.25");
    field->FinishEntry();
    EXPECT_EQ(field->text(), "2.250");
    EXPECT_FALSE(field->isModified());
    EXPECT_EQ(exits, 1);
}

TEST_F(FmtEditTest, UnitsLabelLinkAndDestructionInEitherOrder) {
    auto label = std::make_unique<TFmtEditLabel>("kW");
    field->setUnitsType(utPower);
    field->setUnitsValue(2);
    field->setUnitsLabel(label.get());
    EXPECT_EQ(label->text(), "HP");
    field->setUnitsLabel(label.get());
    EXPECT_EQ(label->LinkedEdits().size(), 1);
    TFmtEdit sibling;
    sibling.setUnitsLabel(label.get());
    label.reset();
    EXPECT_EQ(field->unitsLabel(), nullptr);
    EXPECT_EQ(sibling.unitsLabel(), nullptr);

    auto label2 = std::make_unique<TFmtEditLabel>();
    auto second = std::make_unique<TFmtEdit>();
    second->setUnitsLabel(label2.get());
    field->setUnitsLabel(label2.get());
    EXPECT_EQ(label2->LinkedEdits(), (QList<QvCustomEdit*>{second.get(), field}));
    second.reset();
    EXPECT_EQ(label2->LinkedEdits(), QList<QvCustomEdit*>{field});
    field->setUnitsLabel(nullptr);
    EXPECT_TRUE(label2->LinkedEdits().isEmpty());

    // A plain label gets its caption from ApplyUnits and may go away on its own.
    auto plain = std::make_unique<QLabel>();
    field->setUnitsLabel(plain.get());
    field->setUnitsValue(1);
    EXPECT_EQ(plain->text(), "W");
    plain.reset();
    EXPECT_EQ(field->unitsLabel(), nullptr);
    field->setUnitsValue(0);
}

} // namespace
} // namespace qv
