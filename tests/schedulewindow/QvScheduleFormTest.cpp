// The Cable Schedule window driven as a user would: edits sized at once, undo and redo, files that
// read back the same and match ampwise-schedule, spreadsheet paste, the printed schedule, the
// unsaved-changes question, damaged and large files, a dropped file, and its kept placement.
#include "schedulewindow/QvScheduleForm.h"

#include "core/QvAmpwise.h"
#include "schedulewindow/QvScheduleDelegate.h"
#include "schedulewindow/QvScheduleModel.h"
#include "schedulewindow/QvWatchedFile.h"
#include "settings/QvApplicationPath.h"
#include "settings/QvRegistry.h"
#include "printers/QvPrinters.h"
#include "tests/testsupport/AccessLetters.h"
#include "tests/testsupport/AccessibleWalk.h"
#include "tests/testsupport/PdfTools.h"
#include "tests/testsupport/TestElecData.h"
#include "tests/testsupport/UiTestFixture.h"
#include "iec/QvIec.h"
#include "units/QvFmtEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QProgressBar>
#include <QProgressDialog>
#include <QScreen>
#include <QScrollBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUndoStack>
#include <QUrl>

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qv {
namespace {

using test::kElecData;
const char* const kHeader = "Circuit,Material,Load Type,Phase,Power,Length\n";

// Every row as tab-separated text, results included: what the table holds.
QString Contents(const TScheduleForm& form) {
    std::vector<int> all(static_cast<std::size_t>(form.Model()->rowCount()));
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<int>(i);
    return QString::fromStdString(form.Model()->TabText(all));
}

// Answers a message box with `button`, keeping its text.
std::function<void(QWidget*)> Answer(QMessageBox::StandardButton button, QString* text) {
    return [button, text](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        if (text)
            *text = box->text();
        box->button(button)->click();
    };
}

class ScheduleForm : public test::UiTestFixture {
  protected:
    void SetUp() override {
        UiTestFixture::SetUp();
        const QString data = tempDir() + "/Common Files";
        QDir().mkpath(data);
        dataFile = data + "/ElecData.ini";
        Write(dataFile, kElecData);
        SharedDataPath = data.toStdString() + "/";
        const TElecData d = ReadElecData(dataFile.toStdString());
        StandardSizes = d.Sizes;
        MotorRatings = d.Ratings;
        Materials = d.Materials;
        MaxVoltDrop = 5.5;
        ResetProcessPrinter();
    }

    static void Write(const QString& path, const QByteArray& text) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }
    static QByteArray Read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }

    // Opens a file and waits until it is in; false when it failed or was cancelled.
    static bool Open(TScheduleForm& form, const QString& path) {
        QSignalSpy finished(&form, &TScheduleForm::LoadFinished);
        if (!form.OpenFile(path))
            return false;
        if (finished.isEmpty() && !finished.wait(60000))
            return false;
        return finished.first().first().toBool();
    }

    QString WriteInput(const QString& name, const QByteArray& text) {
        const QString path = tempDir() + "/" + name;
        Write(path, text);
        return path;
    }

    // What ampwise-schedule writes for the file, with the same data and allowed drop.
    QByteArray Program(const QString& input) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("AMPWISE_MACHINE_REG", tempDir() + "/none.reg");
        p.setProcessEnvironment(env);
        p.start(AMPWISE_SCHEDULE_PROGRAM, {"--data", dataFile, "--max-volt-drop", "5.5", input});
        EXPECT_TRUE(p.waitForFinished(60000));
        return p.readAllStandardOutput();
    }

    // Shows the window, active, with one circuit "C1" whose cell of `column` is the current one.
    static QModelIndex ShowAndChoose(TScheduleForm& form, TColumn column) {
        form.show();
        form.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
        form.PasteText("C1\tCopper\tResistive\tSingle\t5.5\t40\n");
        const QModelIndex cell = form.Model()->index(0, form.Model()->ColumnOfKind(column));
        form.Table->setCurrentIndex(cell);
        form.Table->setFocus();
        return cell;
    }

    // Keys typed as a user types them: through the window, to whatever has the focus.
    static void TypeInto(TScheduleForm& form, const QString& text) {
        for (QChar ch : text)
            QTest::keyClick(form.windowHandle(), ch.toLatin1());
    }

    // Another copy of the program saving `path` with one circuit named `circuit`.
    void OtherCopySaves(const QString& path, const QByteArray& circuit) {
        const QString input = WriteInput("other-input.csv", QByteArray(kHeader) + circuit +
                                                                ",Copper,Resistive,Single,5,40\n");
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("AMPWISE_MACHINE_REG", tempDir() + "/none.reg");
        p.setProcessEnvironment(env);
        p.start(AMPWISE_SCHEDULE_PROGRAM, {"--data", dataFile, "-o", path, input});
        ASSERT_TRUE(p.waitForFinished(60000));
        ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    }

    QString dataFile;
};

// Clicks the button of a message box that has the given object name.
std::function<void(QWidget*)> Click(const char* button) {
    return [button](QWidget* w) {
        auto* target = w->findChild<QAbstractButton*>(button);
        ASSERT_NE(target, nullptr) << button;
        target->click();
    };
}

TEST_F(ScheduleForm, EditingARowSizesItAgain) {
    const char* const solved = "C1\tCopper\tResistive\tSingle\t5.5\t40\n";
    const char* const inError = "C1\tGold\tResistive\tSingle\t5.5\t40\n";
    const char* const notSolved = "C1\tCopper\tResistive\tSingle\t5.5\t20000\n";
    const char* tooFar = "Not Solved: 300 mm² carries 384 A and over 20000 m allows 4.62 A within "
                         "5.5 V; 23.91 A is needed";
    struct Case {
        const char* name;
        TColumn column;
        const char* text;
        const char* status;
        const char* size;
        const char* counts;
        const char* start = "C1\tCopper\tResistive\tSingle\t5.5\t40\n"; // the row edited
    } cases[] = {
        {"Power", TColumn::Power, "30 kW", "Solved", "70", "1 circuit, 0 not solved, 0 in error"},
        {"LengthDropGoverns", TColumn::Length, "400 m", "Solved", "35",
         "1 circuit, 0 not solved, 0 in error"},
        {"NothingFits", TColumn::Length, "20000", tooFar, "",
         "1 circuit, 1 not solved, 0 in error"},
        {"UnknownMaterial", TColumn::Material, "Gold",
         "Error: unknown material \"Gold\"; the data file has Copper, Aluminium", "",
         "1 circuit, 0 not solved, 1 in error"},
        {"NoNumber", TColumn::Power, "abc", "Error: Power \"abc\" is not a number", "",
         "1 circuit, 0 not solved, 1 in error"},
        {"LoadType", TColumn::LoadType, "Inductive", "Solved", "6",
         "1 circuit, 0 not solved, 0 in error"},
        // A row leaves the count it was in.
        {"ErrorMadeSolved", TColumn::Material, "Copper", "Solved", "4",
         "1 circuit, 0 not solved, 0 in error", inError},
        {"ErrorMadeNotSolved", TColumn::Material, "Copper", tooFar, "",
         "1 circuit, 1 not solved, 0 in error", "C1\tGold\tResistive\tSingle\t5.5\t20000\n"},
        {"NotSolvedMadeError", TColumn::Material, "Gold",
         "Error: unknown material \"Gold\"; the data file has Copper, Aluminium", "",
         "1 circuit, 0 not solved, 1 in error", notSolved},
    };
    for (const Case& c : cases) {
        TScheduleForm form;
        TScheduleModel& m = *form.Model();
        form.PasteText(c.start);
        ASSERT_EQ(m.rowCount(), 1);
        if (QByteArray(c.start) == solved) {
            ASSERT_EQ(m.index(0, m.ColumnOfKind(TColumn::Size)).data().toString(), "4");
        }
        EXPECT_TRUE(m.setData(m.index(0, m.ColumnOfKind(c.column)), c.text)) << c.name;
        EXPECT_EQ(m.index(0, m.ColumnOfKind(TColumn::Status)).data().toString(), c.status)
            << c.name;
        EXPECT_EQ(m.index(0, m.ColumnOfKind(TColumn::Size)).data().toString(), c.size) << c.name;
        EXPECT_EQ(form.StatusText(), c.counts) << c.name;
        EXPECT_TRUE(form.IsModified()) << c.name;
    }
}

TEST_F(ScheduleForm, PowerTypedAsInTheMainWindowWithItsUnit) {
    TScheduleForm form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    TScheduleModel& m = *form.Model();
    form.PasteText("C1\tCopper\tResistive\tSingle\t5.5\t40\n");
    const QModelIndex power = m.index(0, m.ColumnOfKind(TColumn::Power));
    form.Table->setCurrentIndex(power);
    form.Table->edit(power);
    auto* editor = form.Table->findChild<TQuantityEditor*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->Number->text(), "5.500");
    editor->Number->selectAll();
    // The field refuses what it refuses in the main window: the comma goes, 75 stays.
    QTest::keyClicks(editor->Number, "7,5");
    // The unit picked after typing is the typed number's unit.
    editor->Unit->setCurrentIndex(1);
    emit editor->Unit->activated(1);
    EXPECT_EQ(editor->Number->text(), "75");
    QTest::keyClick(editor->Number, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(power.data().toString(), "75 W");
    EXPECT_EQ(m.index(0, m.ColumnOfKind(TColumn::Status)).data().toString(), "Solved");

    // Opening and leaving the editor without a change keeps the file's own text.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // the closed editor
    m.setData(power, "5.5");
    form.UndoStack->setClean();
    form.Table->edit(power);
    editor = form.Table->findChild<TQuantityEditor*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->Number->text(), "5.500");
    QTest::keyClick(editor->Number, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(power.data().toString(), "5.5");
    EXPECT_FALSE(form.IsModified());
}

// A unit picked for the cell's own value converts it, and the value is kept whole: 20 kW shown
// in HP is not stored as the field's rounded 26.82 HP, and back in kW it is 20 kW again.
TEST_F(ScheduleForm, EveryCellEditorIsNamedAfterItsColumn) {
    TScheduleForm form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    TScheduleModel& m = *form.Model();
    form.PasteText("C1\tCopper\tResistive\tSingle\t5.5\t40\n");
    const struct {
        TColumn column;
        const char* name;
        const char* unit = nullptr; // the number's list of units, for a quantity
        const char* number = nullptr;
    } cases[] = {
        {TColumn::Circuit, "Circuit"},
        {TColumn::Material, "Material"},
        {TColumn::LoadType, "Load Type"},
        {TColumn::Phase, "Phase"},
        {TColumn::Power, "Power", "Power unit", "Power, kW"},
        {TColumn::Length, "Length", "Length unit", "Length, m"},
    };
    for (const auto& c : cases) {
        const QModelIndex cell = m.index(0, m.ColumnOfKind(c.column));
        form.Table->setCurrentIndex(cell);
        form.Table->edit(cell);
        QWidget* editor = form.Table->indexWidget(cell);
        ASSERT_NE(editor, nullptr) << c.name;
        if (auto* quantity = qobject_cast<TQuantityEditor*>(editor)) {
            ASSERT_NE(c.unit, nullptr) << c.name;
            EXPECT_EQ(test::AccessibleName(quantity->Unit), c.unit);
            EXPECT_EQ(test::AccessibleName(quantity->Number), c.number);
            // The name follows the unit picked, as the main window's fields' do.
            quantity->Unit->setCurrentIndex(1);
            emit quantity->Unit->activated(1);
            EXPECT_EQ(test::AccessibleName(quantity->Number),
                      QString(c.name) + ", " + quantity->Unit->currentText());
            EXPECT_NE(quantity->Unit->currentText(), QString(c.number).section(", ", 1));
        } else {
            EXPECT_EQ(test::AccessibleName(editor->focusProxy() ? editor->focusProxy() : editor),
                      c.name);
        }
        // Nothing else in the window goes nameless or shares a name with the open editor.
        EXPECT_EQ(test::AccessibilityProblems(&form), QStringList()) << c.name;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(ScheduleForm, UnitPickedForTheCellsValueKeepsItWhole) {
    const struct {
        std::vector<const char*> units;
        const char* unit;
    } cases[] = {{{"HP"}, "HP"}, {{"HP", "W", "kW"}, "kW"}};
    for (const auto& c : cases) {
        TScheduleForm form;
        form.show();
        TScheduleModel& m = *form.Model();
        form.PasteText("C1\tCopper\tResistive\tSingle\t20 kW\t40\n");
        const QModelIndex power = m.index(0, m.ColumnOfKind(TColumn::Power));
        form.Table->edit(power);
        auto* editor = form.Table->findChild<TQuantityEditor*>();
        ASSERT_NE(editor, nullptr);
        for (const char* unit : c.units) {
            editor->Unit->setCurrentIndex(editor->Unit->findText(unit));
            emit editor->Unit->activated(editor->Unit->currentIndex());
        }
        QTest::keyClick(editor->Number, Qt::Key_Return);
        const std::string stored = power.data().toString().toStdString();
        EXPECT_EQ(UnitLabel(utPower, QuantityUnit(stored, utPower)), c.unit) << stored;
        EXPECT_DOUBLE_EQ(ParseQuantity(stored, utPower, ""), 20.0) << stored;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// The unit list is reached from the keyboard alone: the number typed, the list opened with a
// key, a unit chosen with the arrows and Enter, and Enter again to keep it.
TEST_F(ScheduleForm, UnitChosenWithTheKeyboardAlone) {
    const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {
        {Qt::Key_F4, Qt::NoModifier}, {Qt::Key_Down, Qt::AltModifier}, {Qt::Key_Menu, {}}};
    for (const auto& [key, modifiers] : keys) {
        TScheduleForm form;
        const QModelIndex length = ShowAndChoose(form, TColumn::Length);
        TypeInto(form, "120");
        auto* editor = form.Table->findChild<TQuantityEditor*>();
        ASSERT_NE(editor, nullptr) << key;
        QTest::keyClick(form.windowHandle(), key, modifiers);
        QWidget* list = editor->Unit->view();
        ASSERT_TRUE(QTest::qWaitFor([&] { return list->isVisible(); })) << key;
        for (int i = 0; i < editor->Unit->findText("ft"); ++i)
            QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Return);
        QTest::keyClick(form.windowHandle(), Qt::Key_Return);
        const std::string stored = length.data().toString().toStdString();
        EXPECT_EQ(UnitLabel(utLengthPrim, QuantityUnit(stored, utLengthPrim)), "ft") << stored;
        EXPECT_DOUBLE_EQ(ParseQuantity(stored, utLengthPrim, ""), 36.576) << stored;
    }
}

// A click on a cell of the chosen row opens its editor a moment later (a double click may
// follow); keys typed in that moment start the edit themselves, and every one of them counts.
TEST_F(ScheduleForm, KeysTypedAfterAClickAllReachTheCell) {
    const struct {
        const char* name;
        bool waitForEditor; // type once the click has opened the editor
        bool doubleClick;   // the row goes to the main window; nothing is edited
    } cases[] = {{"TypedAtOnce", false, false},
                 {"TypedIntoTheOpenedEditor", true, false},
                 {"DoubleClicked", false, true}};
    for (const auto& c : cases) {
        TScheduleForm form;
        int loaded = 0;
        form.LoadIntoMain = [&](const TCircuitInputs&) { ++loaded; };
        const QModelIndex cell = ShowAndChoose(form, TColumn::Circuit);
        const QPoint at = form.Table->visualRect(cell).center();
        QTest::mouseClick(form.Table->viewport(), Qt::LeftButton, {}, at);
        if (c.doubleClick) {
            QTest::mouseDClick(form.Table->viewport(), Qt::LeftButton, {}, at);
        } else {
            if (c.waitForEditor) {
                EXPECT_TRUE(QTest::qWaitFor([&] { return form.Table->findChild<QLineEdit*>(); }));
            }
            TypeInto(form, "Heater Z");
        }
        // Past the moment a double click could come in.
        QTest::qWait(QApplication::doubleClickInterval() + 100);
        QTest::keyClick(form.windowHandle(), Qt::Key_Return);
        EXPECT_EQ(cell.data().toString(), c.doubleClick ? "C1" : "Heater Z") << c.name;
        EXPECT_EQ(loaded, c.doubleClick ? 1 : 0) << c.name;
    }
}

// Save As has a key everywhere, each answer of the unsaved-changes question has a letter, and
// the tool bar's buttons are of one kind: every one with a picture, or none.
TEST_F(ScheduleForm, CommandsHaveKeysLettersAndOneLook) {
    TScheduleForm form;
    ShowAndChoose(form, TColumn::Circuit);
    EXPECT_FALSE(form.findChild<QAction*>("FileSaveAs")->shortcut().isEmpty());
    QStringList answers;
    onNextModal([&](QWidget* w) {
        for (QAbstractButton* b : qobject_cast<QMessageBox*>(w)->buttons())
            answers << b->text();
        qobject_cast<QMessageBox*>(w)->button(QMessageBox::Cancel)->click();
    });
    form.PasteText("A\tCopper\tResistive\tSingle\t5.5\t40\n");
    EXPECT_FALSE(form.ConfirmSave());
    for (const QString& a : answers)
        EXPECT_NE(test::AccessLetter(a), "") << a.toStdString();
    EXPECT_EQ(test::SharedLetters(answers), QStringList());
    QStringList pictured, bare;
    for (const QToolButton* b : form.findChild<QToolBar*>("ToolBar1")->findChildren<QToolButton*>())
        if (b->defaultAction())
            (b->toolButtonStyle() != Qt::ToolButtonTextOnly && !b->icon().isNull() ? pictured
                                                                                   : bare)
                << b->text();
    EXPECT_TRUE(pictured.isEmpty() || bare.isEmpty())
        << pictured.join(", ").toStdString() << " / " << bare.join(", ").toStdString();
}

TEST_F(ScheduleForm, UndoAndRedoEveryEdit) {
    TScheduleForm form;
    TScheduleModel& m = *form.Model();
    std::vector<QString> states{Contents(form)};
    const std::vector<std::function<void()>> edits = {
        [&] {
            form.PasteText("A\tCopper\tResistive\tSingle\t5.5\t40\nB\tCopper\tResistive\t"
                           "Three\t20\t60\n");
        },
        [&] { m.setData(m.index(1, m.ColumnOfKind(TColumn::Power)), "40"); },
        [&] { form.AddRow(); },
        [&] {
            // Rows apart from each other come back each in its own place.
            form.Table->clearSelection();
            form.Table->selectionModel()->select(m.index(0, 0), QItemSelectionModel::Select |
                                                                    QItemSelectionModel::Rows);
            form.Table->selectionModel()->select(m.index(2, 0), QItemSelectionModel::Select |
                                                                    QItemSelectionModel::Rows);
            form.DeleteRows();
            ASSERT_EQ(m.rowCount(), 1);
        },
        [&] { m.setData(m.index(0, m.ColumnOfKind(TColumn::Circuit)), "Renamed"); },
    };
    for (const auto& edit : edits) {
        edit();
        states.push_back(Contents(form));
        ASSERT_NE(states.back(), states[states.size() - 2]);
    }
    EXPECT_TRUE(form.IsModified());
    for (std::size_t i = states.size() - 1; i > 0; --i) {
        form.UndoStack->undo();
        EXPECT_EQ(Contents(form), states[i - 1]) << "undo to state " << i - 1;
    }
    EXPECT_FALSE(form.IsModified());
    EXPECT_EQ(form.StatusText(), "0 circuits, 0 not solved, 0 in error");
    for (std::size_t i = 1; i < states.size(); ++i) {
        form.UndoStack->redo();
        EXPECT_EQ(Contents(form), states[i]) << "redo to state " << i;
    }
}

TEST_F(ScheduleForm, SavedFileReadsBackAndMatchesTheProgram) {
    const QString input =
        WriteInput("in.csv", "\xEF\xBB\xBF"
                             "Panel,Circuit,Material,Load Type,Phase,Power,Length,Max Volt "
                             "Drop\r\n"
                             "DB-1,\"Pump, north\",Copper,Inductive,Three,7.5 kW,120 ft,\r\n"
                             "\r\n"
                             "DB-1,\"Say \"\"hi\"\"\",copper,resistive,single,5.5,400,11\r\n"
                             "DB-2,Bad,Tin,Resistive,Single,1,1,\r\n"
                             "DB-2,Far,Aluminium,Resistive,Three,84,2000,\r\n");
    TScheduleForm form;
    ASSERT_TRUE(Open(form, input));
    EXPECT_EQ(form.Model()->rowCount(), 4);
    const QString saved = tempDir() + "/saved.csv";
    ASSERT_TRUE(form.SaveFile(saved));
    const QByteArray program = Program(input);
    ASSERT_FALSE(program.isEmpty());
    EXPECT_EQ(Read(saved), program);
    EXPECT_EQ(form.windowTitle(), "Cable Schedule - saved.csv[*]");

    // Edited, saved, and read again: the program finds every result as written, and the window
    // writes the same file again.
    TScheduleModel& m = *form.Model();
    m.setData(m.index(0, m.ColumnOfKind(TColumn::Power)), "11 kW");
    form.AddRow();
    ASSERT_TRUE(form.SaveFile(saved));
    EXPECT_FALSE(form.IsModified());
    EXPECT_EQ(Program(saved), Read(saved));
    TScheduleForm again;
    ASSERT_TRUE(Open(again, saved));
    EXPECT_EQ(Contents(again), Contents(form));
    const QString resaved = tempDir() + "/resaved.csv";
    ASSERT_TRUE(again.SaveFile(resaved));
    EXPECT_EQ(Read(resaved), Read(saved));
}

// A file whose header gives units, with ";" and decimal commas: its bare numbers are in those
// units in the window's editor, in what goes to the main window and in what is saved; a slip in
// a number is an error row.
TEST_F(ScheduleForm, UnitsInTheHeaderGoWithTheirCells) {
    const QString input = WriteInput("units.csv", "Circuit;Material;Load Type;Phase;Power [W];"
                                                  "Length (ft)\n"
                                                  "P;Copper;Inductive;Three;7500;120,5\n"
                                                  "Q;Copper;Inductive;Three;7,5 kW;120 m\n"
                                                  "R;Copper;Inductive;Three;7.5.1;120\n");
    TScheduleForm form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    ASSERT_TRUE(Open(form, input));
    TScheduleModel& m = *form.Model();
    ASSERT_EQ(m.rowCount(), 3);
    std::vector<TCircuitInputs> loaded;
    form.LoadIntoMain = [&](const TCircuitInputs& in) { loaded.push_back(in); };
    form.LoadRow(0);
    form.LoadRow(1);
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(loaded[0].Power, "7500 W");
    EXPECT_EQ(loaded[0].Length, "120.5 ft");
    EXPECT_EQ(loaded[1].Power, "7.5 kW");
    EXPECT_EQ(loaded[1].Length, "120 m");
    EXPECT_EQ(m.index(2, m.ColumnOfKind(TColumn::Status)).data().toString(),
              "Error: Power \"7.5.1\" is not a number");

    const QModelIndex length = m.index(0, m.ColumnOfKind(TColumn::Length));
    form.Table->setCurrentIndex(length);
    form.Table->edit(length);
    auto* editor = form.Table->findChild<TQuantityEditor*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->Unit->currentText(), "ft");
    EXPECT_EQ(editor->Number->text(), "120.500");

    const QString saved = tempDir() + "/units-saved.csv";
    ASSERT_TRUE(form.SaveFile(saved));
    EXPECT_EQ(Read(saved), Program(input));
}

TEST_F(ScheduleForm, PastedSpreadsheetRowsBecomeCircuits) {
    struct Case {
        const char* name;
        const char* text;
        const char* circuits; // the Circuit column afterwards, one a line
        const char* statuses;
    } cases[] = {
        {"ShownOrder",
         "P1\tCopper\tInductive\tThree\t7.5 kW\t120 ft\nP2\tCopper\tResistive\t"
         "Single\t5.5\t40\t23.9\t4\n",
         "Keep|P1|P2", "Solved|Solved|Solved"},
        {"ByHeaderNames",
         "Length\tPower\tmaterial\tPHASE\tLoad Type\tCircuit\r\n"
         "40\t5.5\tCopper\tSingle\tResistive\tH1\r\n",
         "Keep|H1", "Solved|Solved"},
        {"QuotedCell", "\"Line\none\"\tCopper\tResistive\tSingle\t5.5\t40\n", "Keep|Line\none",
         "Solved|Solved"},
        {"BadRowsStillCircuits", "X\tTin\tResistive\tSingle\t1\t1\n", "Keep|X",
         "Solved|Error: unknown material \"Tin\"; the data file has Copper, Aluminium"},
        {"Nothing", "\n\t\n", "Keep", "Solved"},
    };
    for (const Case& c : cases) {
        TScheduleForm form;
        TScheduleModel& m = *form.Model();
        form.PasteText("Keep\tCopper\tResistive\tSingle\t5.5\t40\n");
        form.Table->setCurrentIndex(m.index(0, 0));
        form.PasteText(c.text);
        QStringList circuits, statuses;
        for (int r = 0; r < m.rowCount(); ++r) {
            circuits << m.index(r, m.ColumnOfKind(TColumn::Circuit)).data().toString();
            statuses << m.index(r, m.ColumnOfKind(TColumn::Status)).data().toString();
        }
        EXPECT_EQ(circuits.join('|'), c.circuits) << c.name;
        EXPECT_EQ(statuses.join('|'), c.statuses) << c.name;
    }

    // Copied rows paste back as the same circuits.
    TScheduleForm form;
    form.PasteText("A\tCopper\tInductive\tThree\t7.5 kW\t120 ft\nB\tAluminium\tResistive\tSingle"
                   "\t3\t90\n");
    form.Table->selectAll();
    form.CopyRows();
    const QString copied = QGuiApplication::clipboard()->text();
    TScheduleForm other;
    other.PasteRows();
    EXPECT_EQ(Contents(other), Contents(form));
    EXPECT_EQ(copied, Contents(form));

    // With the titles first: they name the columns, so the rows paste back the same.
    form.CopyRowsWithHeader();
    const QString titled = QGuiApplication::clipboard()->text();
    QStringList titles;
    for (int c = 0; c < form.Model()->columnCount(); ++c)
        titles << form.Model()->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(titled.section('\n', 0, 0).remove('\r'), titles.join('\t'));
    EXPECT_EQ(titled.section('\n', 1), copied);
    TScheduleForm titledPaste;
    titledPaste.PasteRows();
    EXPECT_EQ(Contents(titledPaste), Contents(form));
}

TEST_F(ScheduleForm, PrintedScheduleHasEveryRowAndTheHeaderOnEachPage) {
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    // Long texts make the table wider than the page, so the widest columns wrap their text.
    QByteArray csv = QByteArray(kHeader) + "Chilled water pump number one,Tin,Resistive,Single,5,"
                                           "40\nChilled water pump number two,Copper,Inductive,"
                                           "Three,22 kW,60 m\n";
    const int rows = 150;
    for (int i = 1; i <= rows; ++i)
        csv += QString("Feeder-%1,Copper,Resistive,Single,%2,40\n")
                   .arg(i, 3, 10, QChar('0'))
                   .arg(i % 90)
                   .toUtf8();
    TScheduleForm form;
    ASSERT_TRUE(Open(form, WriteInput("long.csv", csv)));
    const QString pdf = tempDir() + "/schedule.pdf";
    form.ExportPdf(pdf);

    QProcess p;
    p.start("pdftotext", {"-layout", pdf, "-"});
    ASSERT_TRUE(p.waitForFinished(60000));
    QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split('\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    ASSERT_GE(pages.size(), 2);
    EXPECT_TRUE(pages[0].contains("Cable Schedule - long.csv"));
    EXPECT_TRUE(pages[0].contains("Data file: " + dataFile));
    EXPECT_TRUE(pages[0].contains("MaxVoltDrop: 5.5 V"));
    EXPECT_TRUE(pages[0].contains("Date: " + QDate::currentDate().toString(Qt::ISODate)));
    int found = 0;
    for (int i = 0; i < pages.size(); ++i) {
        const QString& page = pages[i];
        for (const char* title : {"Circuit", "Material", "Load Type", "Current (A)", "Status"})
            EXPECT_TRUE(page.contains(title)) << title << " on page " << i + 1;
        EXPECT_TRUE(page.contains(QString("Page %1 of %2").arg(i + 1).arg(pages.size())));
        found += static_cast<int>(page.count("Feeder-"));
    }
    EXPECT_EQ(found, rows);
    // Wrapped text is there whole, none of its lines cut off; in drawing order a cell's lines
    // follow each other.
    QProcess raw;
    raw.start("pdftotext", {"-raw", pdf, "-"});
    ASSERT_TRUE(raw.waitForFinished(60000));
    const QString drawn = QString::fromUtf8(raw.readAllStandardOutput()).simplified();
    for (const char* text : {"Chilled water pump number one", "Chilled water pump number two",
                             "Error: unknown material \"Tin\"; the data file has Copper, "
                             "Aluminium"})
        EXPECT_TRUE(drawn.contains(text)) << text;
    EXPECT_EQ(drawn.count("carrying capacity"), drawn.count("carrying"));
    for (int i = 1; i <= rows; ++i)
        EXPECT_TRUE(pages.join("").contains(QString("Feeder-%1").arg(i, 3, 10, QChar('0')))) << i;
}

// An export is made in steps behind a progress dialog: the windows handle their events between
// steps, the cursor says the program is busy, Cancel stops it, and a long one is asked about
// first. Stopped, it leaves no file and an older file as it was.
TEST_F(ScheduleForm, ExportInStepsWithProgressCancelAndPageCount) {
    if (!test::HavePoppler())
        GTEST_SKIP() << "pdfinfo (poppler-utils) is not installed";
    QByteArray csv = kHeader;
    for (int i = 0; i < 3000; ++i)
        csv += "Feeder " + QByteArray::number(i) + ",Copper,Resistive,Single,5,40\n";
    const QString input = WriteInput("long.csv", csv);
    const struct {
        const char* name;
        int manyPages;
        QMessageBox::StandardButton answer; // to the page count; NoButton: not asked
        bool cancel;                        // while pages are drawn
    } cases[] = {{"Whole", 100000, QMessageBox::NoButton, false},
                 {"Cancelled", 100000, QMessageBox::NoButton, true},
                 {"ManyPagesDeclined", 10, QMessageBox::Cancel, false},
                 {"ManyPagesAccepted", 10, QMessageBox::Ok, false}};
    for (const auto& c : cases) {
        const QString folder = tempDir() + "/" + c.name;
        QDir().mkpath(folder);
        const QString pdf = folder + "/schedule.pdf";
        Write(pdf, "older");
        TScheduleForm form;
        ASSERT_TRUE(Open(form, input));
        form.ManyPages = c.manyPages;
        bool busy = false, handled = false, handledAfterOneStep = false;
        int steps = 0;
        QTimer::singleShot(0, &form, [&] { handled = true; });
        QObject::connect(&form, &TScheduleForm::OutputStep, &form, [&](int progress) {
            // Events wait no longer than a step, before the dialog shows as well as after.
            if (++steps == 2)
                handledAfterOneStep = handled;
            const QCursor* cursor = QApplication::overrideCursor();
            busy |= cursor && cursor->shape() == Qt::BusyCursor;
            if (c.cancel && progress > 200)
                form.findChild<QProgressDialog*>()->cancel();
        });
        QString question;
        // The progress dialog may be showing when the question comes.
        std::function<void(QWidget*)> answer = [&](QWidget* w) {
            if (qobject_cast<QMessageBox*>(w))
                Answer(c.answer, &question)(w);
            else
                onNextModal(answer);
        };
        if (c.answer != QMessageBox::NoButton)
            onNextModal(answer);
        const bool written = form.ExportPdf(pdf);
        EXPECT_EQ(written, !c.cancel && c.answer != QMessageBox::Cancel) << c.name;
        EXPECT_TRUE(handledAfterOneStep && busy) << c.name;
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << c.name;
        // No half file, and no file beside it either.
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"schedule.pdf"});
        const int pages = written ? test::PdfPages(pdf) : 0;
        EXPECT_TRUE(written ? pages > 10 : Read(pdf) == "older") << c.name;
        EXPECT_EQ(question.isEmpty(), c.answer == QMessageBox::NoButton) << c.name;
        if (written && !question.isEmpty()) {
            EXPECT_EQ(question, QString("The cable schedule takes %1 pages.\nGo on?").arg(pages));
        }
    }
}

TEST_F(ScheduleForm, UnsavedChangesAreAskedAboutOnClose) {
    struct Case {
        const char* name;
        QMessageBox::StandardButton answer;
        bool saveFails;
        bool closes;
        bool modifiedAfter;
        const char* onDisk; // the file's Circuit of row 1 afterwards
    } cases[] = {
        {"Save", QMessageBox::Save, false, true, false, "Edited"},
        {"Discard", QMessageBox::Discard, false, true, false, "First"},
        {"Cancel", QMessageBox::Cancel, false, false, true, "First"},
        {"SaveFails", QMessageBox::Save, true, false, true, "First"},
    };
    for (const Case& c : cases) {
        const QString folder = tempDir() + "/" + c.name;
        QDir().mkpath(folder);
        const QString path = folder + "/close.csv";
        Write(path, QByteArray(kHeader) + "First,Copper,Resistive,Single,5,40\n");
        TScheduleForm form;
        ASSERT_TRUE(Open(form, path));
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        TScheduleModel& m = *form.Model();
        m.setData(m.index(0, m.ColumnOfKind(TColumn::Circuit)), "Edited");
        if (c.saveFails) {
            // Below a regular file nothing can be created, whoever runs the test.
            QDir(folder).removeRecursively();
            Write(folder, "x");
        }
        QString question, error;
        onNextModal([&](QWidget* w) {
            if (c.saveFails)
                onNextModal(Answer(QMessageBox::Ok, &error));
            Answer(c.answer, &question)(w);
        });
        EXPECT_EQ(form.close(), c.closes) << c.name;
        EXPECT_EQ(question, "The cable schedule \"close.csv\" has unsaved changes.\nSave them?")
            << c.name;
        EXPECT_EQ(form.isVisible(), !c.closes) << c.name;
        EXPECT_EQ(form.IsModified(), c.modifiedAfter) << c.name;
        const QString circuit = m.index(0, m.ColumnOfKind(TColumn::Circuit)).data().toString();
        if (c.saveFails) {
            EXPECT_TRUE(error.startsWith("Unable to save the cable schedule\n" + path + "\n"))
                << error.toStdString();
            EXPECT_EQ(circuit, "Edited");
        } else {
            EXPECT_TRUE(Read(path).contains(QByteArray("\n") + c.onDisk + ",")) << c.name;
            // Changes let go are gone when the window comes back.
            EXPECT_EQ(circuit, c.answer == QMessageBox::Discard ? "First" : "Edited") << c.name;
        }
    }
}

TEST_F(ScheduleForm, DamagedFileGivesAMessageAndLeavesTheScheduleAsItWas) {
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.append(static_cast<char>((i * 7919) % 256));
    struct Case {
        const char* name;
        QByteArray text; // empty name: no file at all
        const char* reason;
    } cases[] = {
        {"Empty", "", "the input is empty: it needs a header row naming the columns"},
        {"Binary", garbage, "line 1: the header lacks the column(s)"},
        {"MissingColumns", "Circuit,Material,Power\nA,Copper,5\n",
         "line 1: the header lacks the column(s) Load Type, Phase, Length"},
        {"UnterminatedQuote",
         QByteArray(kHeader) + "A,Copper,Resistive,Single,5,40\n\"B,Copper,Resistive,Single,5,40\n",
         "line 3:"},
    };
    const QString good =
        WriteInput("good.csv", QByteArray(kHeader) + "Good,Copper,Resistive,Single,5,40\n");
    for (const Case& c : cases) {
        TScheduleForm form;
        ASSERT_TRUE(Open(form, good));
        const QString before = Contents(form);
        const QString bad = WriteInput(QString("%1.csv").arg(c.name), c.text);
        QString message;
        onNextModal(Answer(QMessageBox::Ok, &message));
        EXPECT_FALSE(Open(form, bad)) << c.name;
        EXPECT_TRUE(
            message.startsWith("Unable to open the cable schedule\n" + bad + "\n" + c.reason))
            << c.name << ": " << message.toStdString();
        EXPECT_EQ(Contents(form), before) << c.name;
        EXPECT_EQ(form.FileName(), good) << c.name;
        EXPECT_EQ(form.windowTitle(), "Cable Schedule - good.csv[*]") << c.name;
        EXPECT_FALSE(form.Loading()) << c.name;
    }
    // Not a file at all.
    TScheduleForm form;
    QString message;
    onNextModal(Answer(QMessageBox::Ok, &message));
    EXPECT_FALSE(Open(form, tempDir()));
    EXPECT_EQ(message, "Unable to open the cable schedule\n" + tempDir() + "\nIt is a folder.");
    EXPECT_EQ(form.Model()->rowCount(), 0);
    EXPECT_EQ(form.windowTitle(), "Cable Schedule[*]");
}

TEST_F(ScheduleForm, LargeFileOpensInStepsWithProgressAndCancel) {
    QByteArray csv = kHeader;
    const int rows = 30000;
    for (int i = 0; i < rows; ++i)
        csv += QByteArray("C") + QByteArray::number(i) + ",Copper,Inductive,Three," +
               QByteArray::number(1 + i % 100) + " kW," + QByteArray::number(10 + i % 300) + " m\n";
    const QString big = WriteInput("big.csv", csv);
    TScheduleForm form;
    form.show();
    ASSERT_TRUE(Open(form, WriteInput("small.csv", QByteArray(kHeader) +
                                                       "Small,Copper,Resistive,Single,5,40\n")));

    // Between two steps of reading the window handles other events: here, after the first
    // step, a Cancel as the user would click it.
    QSignalSpy finished(&form, &TScheduleForm::LoadFinished);
    ASSERT_TRUE(form.OpenFile(big));
    bool handledWhileLoading = false;
    bool progressShown = false;
    int progress = -1;
    QMetaObject::Connection step =
        QObject::connect(form.Progress, &QProgressBar::valueChanged, &form, [&](int value) {
            if (value == 0)
                return;
            QObject::disconnect(step);
            QTimer::singleShot(0, &form, [&] {
                handledWhileLoading = form.Loading();
                progressShown = form.Progress->isVisible() && form.CancelButton->isVisible();
                progress = form.Progress->value();
                form.CancelButton->click();
            });
        });
    ASSERT_TRUE(finished.wait(60000));
    EXPECT_TRUE(handledWhileLoading);
    EXPECT_TRUE(progressShown);
    EXPECT_GT(progress, 0);
    EXPECT_LT(progress, 1000);
    EXPECT_FALSE(finished.first().first().toBool());
    EXPECT_EQ(form.Model()->rowCount(), 1);
    EXPECT_TRUE(form.FileName().endsWith("small.csv"));
    // The message of the file opened before is not left to read as this one's.
    EXPECT_EQ(form.statusBar()->currentMessage(), "Did not open big.csv");
    EXPECT_FALSE(form.Progress->isVisible());

    ASSERT_TRUE(Open(form, big));
    EXPECT_EQ(form.Model()->rowCount(), rows);
    EXPECT_EQ(form.FileName(), big);
    EXPECT_FALSE(form.Progress->isVisible());
    EXPECT_TRUE(form.Table->isEnabled());
}

TEST_F(ScheduleForm, DroppedCsvOpens) {
    const QString path =
        WriteInput("dropped.csv", QByteArray(kHeader) + "D1,Copper,Resistive,Single,5,40\n");
    TScheduleForm form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    const QPoint at = form.rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QSignalSpy finished(&form, &TScheduleForm::LoadFinished);
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &drop);
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(form.FileName(), path);
    EXPECT_EQ(form.Model()->rowCount(), 1);
}

// The first time, the window opens beside the window it is opened from when the screen has room
// for it, and it is wide enough for every column whether it has or not; its own placement wins
// once it has one.
TEST_F(ScheduleForm, FirstOpenedBesideTheWindowItComesFrom) {
    // Columns narrow enough for the test screen to have room for all of them beside a small
    // window, and not beside a big one.
    QStringList widths;
    for (int i = 0; i < 20; ++i)
        widths << "45";
    TRegistryIniFile(AppRegistryKey())
        .WriteText("ScheduleForm", "ColumnWidths", widths.join(',').toStdString());
    const struct {
        const char* name;
        int mainWidth, mainHeight;
        bool beside;
    } cases[] = {{"RoomBeside", 200, 300, true}, {"NoRoomBeside", 450, 700, false}};
    for (const auto& c : cases) {
        QWidget main;
        main.setGeometry(10, 10, c.mainWidth, c.mainHeight);
        main.show();
        main.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
        TScheduleForm form;
        EXPECT_EQ(form.geometry().intersects(main.frameGeometry()), !c.beside)
            << c.name << ": " << form.x() << " " << form.width();
        EXPECT_TRUE(main.screen()->availableGeometry().contains(form.geometry())) << c.name;
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        EXPECT_EQ(form.Table->horizontalScrollBar()->maximum(), 0) << c.name;
    }
    {
        TScheduleForm form;
        form.show();
        form.move(500, 60);
        form.close();
    }
    QWidget main;
    main.setGeometry(10, 10, 200, 300);
    main.show();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    TScheduleForm again;
    EXPECT_EQ(again.pos(), QPoint(500, 60));
}

TEST_F(ScheduleForm, PlacementAndColumnWidthsKeptUnderItsOwnKey) {
    int powerColumn = -1;
    {
        TScheduleForm form;
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        form.move(40, 50);
        form.resize(700, 300);
        powerColumn = form.Model()->ColumnOfKind(TColumn::Power);
        form.Table->horizontalHeader()->resizeSection(powerColumn, 211);
        form.close();
    }
    EXPECT_EQ(TRegistryIniFile(AppRegistryKey()).ReadInt("ScheduleForm", "Width", 0), 700);
    {
        TScheduleForm form;
        EXPECT_EQ(form.size(), QSize(700, 300));
        EXPECT_EQ(form.Table->horizontalHeader()->sectionSize(powerColumn), 211);
    }
    // Values of the wrong kind keep the design, and the next close writes them sound.
    {
        TRegistryIniFile reg(AppRegistryKey());
        reg.WriteInt("ScheduleForm", "ColumnWidths", 5);
        reg.WriteReal("ScheduleForm", "Width", 700);
    }
    {
        TScheduleForm form;
        EXPECT_EQ(form.size(), QSize(960, 480));
        EXPECT_NE(form.Table->horizontalHeader()->sectionSize(powerColumn), 211);
        form.show();
        form.close();
    }
    TRegistryIniFile reg(AppRegistryKey());
    EXPECT_EQ(reg.ReadInt("ScheduleForm", "Width", 0), 960);
    EXPECT_FALSE(reg.ReadText("ScheduleForm", "ColumnWidths", "").empty());
}

TEST_F(ScheduleForm, OpenRefusesWhatIsNotARegularFileWithoutWaiting) {
    const QString fifo = tempDir() + "/pipe.csv";
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    int writer = -1; // a program at the FIFO's other end, for the cases that have one
    struct Case {
        const char* name;
        QString path;
        bool withWriter;
        bool dropped;
    } cases[] = {
        {"FifoNobodyWrites", fifo, false, false},
        {"FifoAProgramWrites", fifo, true, false},
        {"DroppedFifo", fifo, false, true},
        {"Device", "/dev/null", false, false},
    };
    const QString good =
        WriteInput("good.csv", QByteArray(kHeader) + "Good,Copper,Resistive,Single,5,40\n");
    for (const Case& c : cases) {
        if (c.withWriter) // read and write: opens without waiting for a reader
            writer = ::open(QFile::encodeName(fifo).constData(), O_RDWR | O_CLOEXEC);
        TScheduleForm form;
        form.show();
        ASSERT_TRUE(Open(form, good));
        QString message;
        onNextModal(Answer(QMessageBox::Ok, &message));
        if (c.dropped) {
            QMimeData mime;
            mime.setUrls({QUrl::fromLocalFile(c.path)});
            QDragEnterEvent enter(form.rect().center(), Qt::CopyAction, &mime, Qt::LeftButton,
                                  Qt::NoModifier);
            QApplication::sendEvent(&form, &enter);
            QDropEvent drop(form.rect().center(), Qt::CopyAction, &mime, Qt::LeftButton,
                            Qt::NoModifier);
            QApplication::sendEvent(&form, &drop);
            for (int i = 0; i < 100 && message.isEmpty(); ++i)
                QTest::qWait(20);
        } else {
            EXPECT_FALSE(form.OpenFile(c.path)) << c.name;
        }
        EXPECT_EQ(message,
                  "Unable to open the cable schedule\n" + c.path + "\nIt is not a regular file.")
            << c.name;
        EXPECT_EQ(form.FileName(), good) << c.name;
        EXPECT_EQ(form.Model()->rowCount(), 1) << c.name;
        if (writer >= 0)
            ::close(writer);
        writer = -1;
    }
}

TEST_F(ScheduleForm, SaveKeepsALinkAndRefusesAReadOnlyFileWhileSaveAsStillWorks) {
    QDir().mkpath(tempDir() + "/elsewhere");
    const QByteArray first = QByteArray(kHeader) + "First,Copper,Resistive,Single,5,40\n";
    const QString target = WriteInput("elsewhere/target.csv", first);
    const QString link = tempDir() + "/s.csv";
    ASSERT_TRUE(QFile::link("elsewhere/target.csv", link));
    const QString locked = WriteInput("locked.csv", first);
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0444), 0);
    for (const QString& path : {link, locked}) {
        TScheduleForm form;
        ASSERT_TRUE(Open(form, path));
        form.AddRow();
        QString message;
        if (path == locked)
            onNextModal(Answer(QMessageBox::Ok, &message));
        EXPECT_EQ(form.SaveFile(path), path == link);
        if (path == link) {
            EXPECT_TRUE(QFileInfo(link).isSymLink());
            EXPECT_EQ(Read(target), Program(link));
            EXPECT_EQ(QDir(tempDir() + "/elsewhere").entryList(QDir::Files),
                      QStringList{"target.csv"});
            continue;
        }
        EXPECT_EQ(message, "Unable to save the cable schedule\n" + path + "\ncannot write " + path +
                               ": it is read-only");
        EXPECT_EQ(Read(path), first);
        EXPECT_TRUE(form.IsModified());
        ASSERT_TRUE(form.SaveFile(tempDir() + "/copy.csv"));
        EXPECT_EQ(Read(tempDir() + "/copy.csv").count("\n"), 3);
    }
}

TEST_F(ScheduleForm, AnotherCopysSaveIsNeverLostUnasked) {
    struct Case {
        const char* name;
        const char* button; // in the question about the other copy's save
        bool saved;
        const char* onDisk; // the circuit in the file afterwards
    } cases[] = {
        {"Cancel", nullptr, false, "Theirs"},
        {"Overwrite", "Overwrite", true, "Mine"},
        {"SaveElsewhere", "SaveAs", false, "Theirs"}, // its dialog is left with Cancel
    };
    for (const Case& c : cases) {
        const QString path =
            WriteInput(QString("%1.csv").arg(c.name),
                       QByteArray(kHeader) + "First,Copper,Resistive,Single,5,40\n");
        TScheduleForm form;
        ASSERT_TRUE(Open(form, path));
        TScheduleModel& m = *form.Model();
        m.setData(m.index(0, m.ColumnOfKind(TColumn::Circuit)), "Mine");
        OtherCopySaves(path, "Theirs");
        QString question, dialogShown;
        onNextModal([&](QWidget* w) {
            question = qobject_cast<QMessageBox*>(w)->text();
            if (!c.button) {
                Answer(QMessageBox::Cancel, nullptr)(w);
                return;
            }
            if (QByteArray(c.button) == "SaveAs")
                onNextModal([&](QWidget* dialog) {
                    dialogShown = dialog->objectName();
                    static_cast<QDialog*>(dialog)->reject();
                });
            Click(c.button)(w);
        });
        EXPECT_EQ(form.FileSave(), c.saved) << c.name;
        EXPECT_EQ(question, "The cable schedule \"" + QFileInfo(path).fileName() +
                                "\" was changed by another program since it was opened or saved "
                                "here.\nOverwrite it, or save this schedule elsewhere?")
            << c.name;
        EXPECT_TRUE(Read(path).contains("\n" + QByteArray(c.onDisk) + ",")) << c.name;
        EXPECT_EQ(form.IsModified(), !c.saved) << c.name;
        EXPECT_EQ(dialogShown, QByteArray(c.name) == "SaveElsewhere" ? "SaveDialog" : "") << c.name;
    }
}

TEST_F(ScheduleForm, AnotherProgramsSaveIsOfferedForReadingAgain) {
    struct Case {
        const char* name;
        bool edited;
        bool savedHere; // the edit saved before the other program writes
        bool inPlace;   // the other program writes into the file rather than replacing it
        QMessageBox::StandardButton answer; // NoButton: not asked
        const char* shown;                  // the circuit shown afterwards
    } cases[] = {
        {"ReadAgain", false, false, false, QMessageBox::Yes, "Theirs"},
        {"Kept", false, false, false, QMessageBox::No, "First"},
        {"UnsavedEditsNotAsked", true, false, false, QMessageBox::NoButton, "Mine"},
        {"WrittenIntoAfterASaveHere", true, true, true, QMessageBox::Yes, "Theirs"},
    };
    for (const Case& c : cases) {
        const QString path =
            WriteInput(QString("%1.csv").arg(c.name),
                       QByteArray(kHeader) + "First,Copper,Resistive,Single,5,40\n");
        TScheduleForm form;
        ASSERT_TRUE(Open(form, path));
        TScheduleModel& m = *form.Model();
        if (c.edited)
            m.setData(m.index(0, m.ColumnOfKind(TColumn::Circuit)), "Mine");
        if (c.savedHere) {
            ASSERT_TRUE(form.SaveFile(path)) << c.name;
        }
        QString question;
        if (c.answer != QMessageBox::NoButton)
            onNextModal(Answer(c.answer, &question));
        QSignalSpy changed(form.File(), &TWatchedFile::Changed);
        QSignalSpy loaded(&form, &TScheduleForm::LoadFinished);
        if (c.inPlace)
            Write(path, QByteArray(kHeader) + "Theirs,Copper,Resistive,Single,5,40\n");
        else
            OtherCopySaves(path, "Theirs");
        ASSERT_TRUE(changed.wait(10000)) << c.name;
        if (c.answer == QMessageBox::Yes) {
            ASSERT_TRUE(loaded.count() > 0 || loaded.wait(10000)) << c.name;
        }
        EXPECT_EQ(m.index(0, m.ColumnOfKind(TColumn::Circuit)).data().toString(), c.shown)
            << c.name;
        if (c.answer != QMessageBox::NoButton) {
            EXPECT_EQ(question, "The cable schedule \"" + QFileInfo(path).fileName() +
                                    "\" was changed by another program.\nRead it again?")
                << c.name;
        }
        // The same version is not offered twice.
        form.File()->Check();
        EXPECT_EQ(changed.count(), 1) << c.name;
    }
}

// --- The installation's columns -------------------------------------------------------------

const char* const kInstalledHeader =
    "Circuit,Material,Load Type,Phase,Power,Length,Method,Insulation,Ambient (°F),Grouped "
    "Circuits,Arrangement,Device,Device Rating,Power Factor,Fault Current,Fault Time\n";

// Rows answered to the installation standard, hostile cells among them.
const char* const kInstalledRows =
    "P1,Copper,Resistive,Single,5.5,40,C,PVC,95,3,single layer,breaker,32,,,\n"
    "P2,Copper,Inductive,Three,7.5 kW,120 ft,e,xlpe,,,,gG fuse,25,,6,0.4\n"
    "Own only,Copper,Resistive,Single,5.5,40,,,,,,,,,,\n"
    "Unknown,Copper,Resistive,Single,5.5,40,Z9,,,,,,,,,\n"
    "Crowded,Copper,Resistive,Single,5.5,40,C,PVC,,21,,,,,,\n"
    "Small device,Copper,Resistive,Single,5.5,40,C,PVC,,,,breaker,10,,,\n"
    "Backwards,Copper,Resistive,Single,5.5,40,C,,,,,,,,6,-1\n"
    "Hot,Copper,Resistive,Single,5.5,40,B2,PVC,150,,,,,0.9,,\n";

// Column titles as the table shows them, hidden ones left out.
QStringList ShownTitles(const TScheduleForm& form) {
    QStringList titles;
    for (int c = 0; c < form.Model()->columnCount(); ++c)
        if (!form.Table->isColumnHidden(c))
            titles << form.Model()->headerData(c, Qt::Horizontal).toString();
    return titles;
}

// The window saves what ampwise-schedule writes for the same file, the standard's answers and
// hostile cells included; the status line counts them, and the print carries them.
TEST_F(ScheduleForm, InstallationAnswersSavedAsTheProgramWritesThem) {
    const QString input =
        WriteInput("installed.csv", QByteArray(kInstalledHeader) + kInstalledRows);
    TScheduleForm form;
    ASSERT_TRUE(Open(form, input));
    TScheduleModel& m = *form.Model();
    ASSERT_EQ(m.rowCount(), 8);
    const QString saved = tempDir() + "/installed-saved.csv";
    ASSERT_TRUE(form.SaveFile(saved));
    const QByteArray program = Program(input);
    ASSERT_TRUE(program.contains("IEC Status")) << program.toStdString();
    EXPECT_EQ(Read(saved), program);
    // Copied with its titles, a row holds the saved line's cells.
    form.Table->selectRow(0);
    form.CopyRowsWithHeader();
    EXPECT_EQ(QGuiApplication::clipboard()->text().remove('\r').replace('\t', ','),
              QString::fromUtf8(program).section('\n', 0, 1) + '\n');

    // Each hostile cell gives an answer that says why beside the circuit's own, and its row
    // stands out as one whose own answer needs a look.
    const char* const answers[] = {"Solved",
                                   "Not Solved: no size: the device rating In 25 A",
                                   "",
                                   "Error: Method \"Z9\" is not a method",
                                   "Error: Grouped Circuits \"21\" is more than 20",
                                   "Not Solved: no size: the device rating In 10 A",
                                   "Error: Fault Time must be greater than 0",
                                   "Not Solved: the cable may not be used at an air temperature"};
    for (int r = 0; r < 8; ++r) {
        const QString status = m.index(r, m.ColumnOfKind(TColumn::IecStatus)).data().toString();
        EXPECT_TRUE(*answers[r] ? status.startsWith(answers[r]) : status.isEmpty())
            << status.toStdString();
        EXPECT_EQ(m.index(r, m.ColumnOfKind(TColumn::Status)).data().toString(), "Solved");
        EXPECT_EQ(m.index(r, 0).data(Qt::BackgroundRole).isValid(), r != 0 && r != 2) << r;
    }
    EXPECT_EQ(form.StatusText(), "8 circuits, 0 not solved, 0 in error; IEC: 3 not solved, 3 in "
                                 "error");

    if (!test::HavePoppler())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    // Hidden or shown, the print carries the installation's columns.
    form.ShowInstallationColumns(false);
    const QString pdf = tempDir() + "/installed.pdf";
    ASSERT_TRUE(form.ExportPdf(pdf));
    QProcess p;
    p.start("pdftotext", {"-raw", pdf, "-"});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString drawn = QString::fromUtf8(p.readAllStandardOutput()).simplified();
    for (const char* text : {"Method", "Grouped", "IEC Size", "Iz (A)", "IEC Status",
                             "Grouped Circuits \"21\" is more than 20"})
        EXPECT_TRUE(drawn.contains(QString::fromUtf8(text))) << text;
}

// The View menu's toggle: shown with a Method column, hidden (not there) without; shown on a
// schedule without them it adds the input columns as one edit, which undoes to the file as it
// was, byte for byte, short and long rows too.
TEST_F(ScheduleForm, InstallationColumnsToggledFromTheViewMenu) {
    const QString plain = WriteInput("plain.csv", "Circuit,Material,Load Type,Phase,Power,"
                                                  "Length,Insulation\n"
                                                  "A,Copper,Resistive,Single,5.5,40,kept\n"
                                                  "Short,Copper,Resistive,Single,5.5\n"
                                                  "Long,Copper,Resistive,Single,5.5,40,x,y\n");
    const QString installed =
        WriteInput("installed.csv", QByteArray(kInstalledHeader) + kInstalledRows);
    const int ownColumns = 7 + 5;
    const struct {
        const char* name;
        QString file;
        bool shown;    // on opening
        int columns;   // the model's columns on opening
        int afterShow; // its columns once shown
        bool addsColumns;
    } cases[] = {
        {"WithMethod", installed, true, 16 + 10, 16 + 10, false},
        {"WithoutMethod", plain, false, ownColumns, ownColumns + 12 + 5, true},
    };
    for (const auto& c : cases) {
        TScheduleForm form;
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form)) << c.name;
        ASSERT_TRUE(Open(form, c.file)) << c.name;
        TScheduleModel& m = *form.Model();
        auto* toggle = form.findChild<QAction*>("ViewInstallationColumns");
        ASSERT_NE(toggle, nullptr);
        EXPECT_EQ(toggle->isChecked(), c.shown) << c.name;
        EXPECT_EQ(form.InstallationColumnsShown(), c.shown) << c.name;
        EXPECT_EQ(m.columnCount(), c.columns) << c.name;
        EXPECT_EQ(ShownTitles(form).contains("IEC Status"), c.shown) << c.name;
        // A column named like an installation's, in a file without a Method column, is the
        // file's own and stays in sight.
        if (!c.shown) {
            EXPECT_TRUE(ShownTitles(form).contains("Insulation")) << c.name;
        }

        // From the keyboard alone: the menu's key (hidden first, when shown).
        if (c.shown) {
            QTest::keySequence(&form, toggle->shortcut());
            EXPECT_FALSE(form.InstallationColumnsShown()) << c.name;
            EXPECT_FALSE(toggle->isChecked()) << c.name;
            EXPECT_FALSE(ShownTitles(form).contains("Method")) << c.name;
            EXPECT_FALSE(ShownTitles(form).contains("IEC Status")) << c.name;
            EXPECT_TRUE(ShownTitles(form).contains("Status")) << c.name;
        }
        QTest::keySequence(&form, toggle->shortcut());
        EXPECT_TRUE(form.InstallationColumnsShown()) << c.name;
        EXPECT_TRUE(toggle->isChecked()) << c.name;
        EXPECT_EQ(m.columnCount(), c.afterShow) << c.name;
        for (const char* title : {"Method", "Fault Time", "IEC Size (mm²)", "IEC Status"})
            EXPECT_TRUE(ShownTitles(form).contains(QString::fromUtf8(title))) << c.name << title;
        EXPECT_EQ(form.IsModified(), c.addsColumns) << c.name;
        const QString saved = tempDir() + "/toggled.csv";
        if (c.addsColumns) {
            // The file's own Insulation column is now the installation's, not a second one.
            EXPECT_EQ(std::count(m.Header().begin(), m.Header().end(), "Insulation"), 1);
            // The added columns read back as written, and the program answers them the same.
            m.setData(m.index(0, m.ColumnOfKind(TColumn::Method)), "C");
            EXPECT_EQ(m.index(0, m.ColumnOfKind(TColumn::IecStatus)).data().toString(),
                      "Error: Insulation \"kept\" is not one of PVC, XLPE, EPR");
            ASSERT_TRUE(form.SaveFile(saved));
            // Read again, a row longer than its header counts the results written after it too.
            const auto withoutLong = [](const QByteArray& csv) {
                QStringList lines = QString::fromUtf8(csv).split('\n');
                lines.removeIf([](const QString& l) { return l.startsWith("Long,"); });
                return lines;
            };
            EXPECT_EQ(withoutLong(Read(saved)), withoutLong(Program(saved))) << c.name;
            form.UndoStack->undo();
            form.UndoStack->undo();
            EXPECT_FALSE(form.InstallationColumnsShown()) << c.name;
            EXPECT_FALSE(toggle->isChecked()) << c.name;
            EXPECT_EQ(m.columnCount(), c.columns) << c.name;
            ASSERT_TRUE(form.SaveFile(saved));
            EXPECT_EQ(QString(Read(saved)), QString(Program(c.file))) << c.name;
            continue;
        }
        // Hidden and shown again, nothing was added or changed.
        ASSERT_TRUE(form.SaveFile(saved));
        EXPECT_EQ(QString(Read(saved)), QString(Program(c.file))) << c.name;
    }
}

// Every installation cell has its editor: a list of the named values that writes their names,
// or the main window's number field; each named after its column. An editor opened and left
// rewrites no cell that says the same in other words.
TEST_F(ScheduleForm, InstallationCellsEditedWithListsAndNumberFields) {
    const struct {
        TColumn column;
        const char* name;   // the editor's accessible name
        const char* before; // the cell
        const char* pick;   // a list's item, by the cell it writes; or the number typed
        const char* after;  // the cell written
    } cases[] = {
        {TColumn::Method, "Method", "c", "D2", "D2"},
        {TColumn::Method, "Method", "C", "", ""},
        {TColumn::Insulation, "Insulation", "pvc", "EPR", "EPR"},
        {TColumn::Arrangement, "Arrangement", "", "perforated tray", "perforated tray"},
        {TColumn::Device, "Device", "circuit breaker", "gG", "gG"},
        {TColumn::Ambient, "Ambient (°F), °F", "95", "104", "104.0 °F"},
        {TColumn::GroupedCircuits, "Grouped Circuits", "", "4", "4"},
        {TColumn::DeviceRating, "Device Rating, A", "32", "40", "40.00"},
        {TColumn::PowerFactor, "Power Factor", "", "0.85", "0.85"},
        {TColumn::FaultTime, "Fault Time, s", "", "0.4", "0.40"},
    };
    for (const auto& c : cases) {
        const QString input = WriteInput("edit.csv", QByteArray(kInstalledHeader) + kInstalledRows);
        TScheduleForm form;
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        ASSERT_TRUE(Open(form, input));
        TScheduleModel& m = *form.Model();
        const QModelIndex cell = m.index(0, m.ColumnOfKind(c.column));
        m.setData(cell, QString::fromUtf8(c.before));
        form.UndoStack->setClean();

        // Opened and left unchanged: the cell stays as written.
        form.Table->setCurrentIndex(cell);
        form.Table->edit(cell);
        QWidget* editor = form.Table->indexWidget(cell);
        ASSERT_NE(editor, nullptr) << c.name;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(cell.data().toString(), QString::fromUtf8(c.before)) << c.name;
        EXPECT_FALSE(form.IsModified()) << c.name;

        form.Table->edit(cell);
        editor = form.Table->indexWidget(cell);
        ASSERT_NE(editor, nullptr) << c.name;
        EXPECT_EQ(test::AccessibilityProblems(&form), QStringList()) << c.name;
        if (auto* list = qobject_cast<QComboBox*>(editor)) {
            EXPECT_EQ(test::AccessibleName(list), c.name);
            const int item = list->findData(QString::fromUtf8(c.pick));
            ASSERT_GE(item, 0) << c.name;
            list->setCurrentIndex(item);
            emit list->activated(item);
        } else {
            auto* number = qobject_cast<TQuantityEditor*>(editor);
            ASSERT_NE(number, nullptr) << c.name;
            EXPECT_EQ(test::AccessibleName(number->Number), QString::fromUtf8(c.name));
            number->Number->selectAll();
            QTest::keyClicks(number->Number, c.pick);
            QTest::keyClick(number->Number, Qt::Key_Return);
        }
        QApplication::processEvents();
        EXPECT_EQ(cell.data().toString(), QString::fromUtf8(c.after)) << c.name;
        EXPECT_TRUE(form.IsModified()) << c.name;
        // What the editor wrote reads as the program reads it.
        const QString saved = tempDir() + "/edited.csv";
        ASSERT_TRUE(form.SaveFile(saved));
        EXPECT_EQ(QString(Read(saved)), QString(Program(saved))) << c.name;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// A row loaded into the main window carries its installation when it names a method: the
// cells as read, an empty power factor left to the load. A row whose standard's answer is in
// error is not loaded.
TEST_F(ScheduleForm, LoadedRowCarriesItsInstallation) {
    const QString input = WriteInput("load.csv", QByteArray(kInstalledHeader) + kInstalledRows);
    TScheduleForm form;
    ASSERT_TRUE(Open(form, input));
    std::vector<TCircuitInputs> loaded;
    form.LoadIntoMain = [&](const TCircuitInputs& in) { loaded.push_back(in); };
    const struct {
        int row;
        int loads;          // circuits loaded: 0 for a row in error
        const char* method; // none: loaded without an installation
        double air = 30;
        int circuits = 1;
        double rating = 0;
        double powerFactor = 0;
    } cases[] = {
        {0, 1, "C", 35, 3, 32, 0},
        {1, 1, "E", 30, 1, 25, 0},
        {2, 1, nullptr},
        {3, 0, nullptr},
        {7, 1, "B2", (150 - 32) / 1.8, 1, 0, 0.9},
    };
    for (const auto& c : cases) {
        loaded.clear();
        QString message;
        if (!c.loads)
            onNextModal(Answer(QMessageBox::Ok, &message));
        form.LoadRow(c.row);
        ASSERT_EQ(loaded.size(), std::size_t(c.loads)) << c.row;
        EXPECT_EQ(message.startsWith("Row 4 is not loaded into the main window: Method \"Z9\""),
                  !c.loads)
            << message.toStdString();
        if (!c.loads)
            continue;
        ASSERT_EQ(loaded[0].Installation.has_value(), c.method != nullptr) << c.row;
        if (!c.method)
            continue;
        const iec::TIecInputs& in = *loaded[0].Installation;
        EXPECT_STREQ(iec::MethodName(in.Method), c.method);
        EXPECT_NEAR(in.AirTemperature, c.air, 1e-9) << c.row;
        EXPECT_EQ(in.Circuits, c.circuits) << c.row;
        EXPECT_EQ(in.DeviceRating, c.rating) << c.row;
        EXPECT_EQ(in.PowerFactor, c.powerFactor) << c.row;
    }
}

} // namespace
} // namespace qv
