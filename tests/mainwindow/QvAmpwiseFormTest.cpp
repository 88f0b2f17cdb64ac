// The main window driven as a user would: first run, power limits, load type and material
// changes, Reset, keys, saved inputs, the report, the motor picker and failures. Every case runs
// with its own data file, settings file and settings store.
#include "mainwindow/QvAmpwiseForm.h"

#include "core/QvAmpwise.h"
#include "inieditor/QvIniEdit.h"
#include "inieditor/QvIniPad.h"
#include "mainwindow/QvErrorDisplay.h"
#include "mainwindow/QvSelectFromList.h"
#include "widgets/QvMessageBox.h"
#include "report/QvReporter.h"
#include "schedulewindow/QvScheduleForm.h"
#include "schedulewindow/QvScheduleModel.h"
#include "settings/QvApplicationPath.h"
#include "settings/QvIniFiles.h"
#include "settings/QvRegistry.h"
#include "sizes/QvSizesForm.h"
#include "printers/QvPrinters.h"
#include "verinfo/QvQuickAbout.h"
#include "toolsmenu/QvToolPrograms.h"
#include "tests/testsupport/AccessibleWalk.h"
#include "tests/testsupport/AccessLetters.h"
#include "tests/testsupport/TestElecData.h"
#include "tests/testsupport/UiTestFixture.h"
#include "units/QvConv.h"
#include "units/QvFmtEdit.h"
#include "units/QvUnitsForm.h"

#include <QAccessible>
#include <QComboBox>
#include <QStatusBar>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QTableView>
#include <QToolBar>
#include <QMenu>
#include <QMessageBox>
#include <QAbstractItemModel>
#include <QScreen>
#include <QSet>
#include <QPrintDialog>
#include <QPrinter>
#include <QTest>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include <filesystem>
#include <sys/stat.h>

namespace qv {
namespace {

using test::kElecData;

// The windows made on first use, as the part of the program loaded then makes them.
TSizesForm* SizesOf(const TAmpwiseForm& form) {
    return dynamic_cast<TSizesForm*>(form.SizesWindow());
}
TScheduleForm* ScheduleOf(const TAmpwiseForm& form) {
    return qobject_cast<TScheduleForm*>(form.ScheduleWindow());
}

int UnitIndex(TUnitsType type, const char* label) {
    for (int i = 0; i < UnitCount(type); ++i)
        if (UnitLabel(type, i) == label)
            return i;
    ADD_FAILURE() << "no unit " << label;
    return 0;
}

class AmpwiseFormTest : public test::UiTestFixture {
  protected:
    void SetUp() override {
        UiTestFixture::SetUp();
        const QString root = tempDir() + "/Brannoworks";
        appDir = root + "/Ampwise";
        dataDir = root + "/Common Files";
        QDir().mkpath(appDir);
        QDir().mkpath(dataDir);
        // The program pretends to run from the maker's folder; a link keeps the version block.
        exePath = appDir + "/Ampwise";
        std::filesystem::create_symlink(std::filesystem::read_symlink("/proc/self/exe"),
                                        exePath.toStdString());
        // Beside it, the part it loads on first use, as installed.
        std::filesystem::create_symlink(AMPWISE_ONDEMAND_FILE,
                                        appDir.toStdString() + "/libampwise_ondemand.so");
        SetExecutablePath(exePath.toStdString());
        AppPath = appDir.toStdString() + "/";
        SharedDataPath = dataDir.toStdString() + "/";
        WriteData(kElecData);
        ResetProcessPrinter();
        MaxVoltDrop = 5.5;
        messages.clear();
        savedDisplay = ErrorDisplay;
        savedOpenHelp = TAmpwiseForm::OpenHelp;
        savedExecPicker = TAmpwiseForm::ExecPicker;
        ErrorDisplay = [this](const QString& m) { messages << m; };
        opened.clear();
        TAmpwiseForm::OpenHelp = [this](const QUrl& url) { opened << url; };
        TAmpwiseForm::ExecPicker = [](QDialog&) {
            ADD_FAILURE() << "motor picker opened";
            return int(QDialog::Rejected);
        };
        beeps = 0;
        savedBeep = QvCustomEdit::Beep;
        QvCustomEdit::Beep = [this] { ++beeps; };
    }
    void TearDown() override {
        // The hooks outlive this fixture; leave none pointing into it.
        ErrorDisplay = savedDisplay;
        TAmpwiseForm::OpenHelp = savedOpenHelp;
        TAmpwiseForm::ExecPicker = savedExecPicker;
        QvCustomEdit::Beep = savedBeep;
        SetExecutablePath("");
        UiTestFixture::TearDown();
    }

    void WriteData(const char* text) {
        QFile f(dataDir + "/ElecData.ini");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }

    // A window with its report window, shown and past its first activation.
    std::unique_ptr<TAmpwiseForm> Start() {
        auto form = std::make_unique<TAmpwiseForm>();
        report = std::make_unique<TReportForm>();
        form->SetReportForm(report.get());
        form->show();
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        form->FormActivate();
        EXPECT_FALSE(form->FirstActivationPending());
        return form;
    }

    QStringList ReportLines() const {
        QStringList lines = report->PlainText().split("\r\n");
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }

    // Types into a field as the user does and, unless told not to, leaves it with Tab.
    static void Type(TFmtEdit* field, const QString& text, bool leave = true) {
        field->setFocus();
        QApplication::processEvents();
        field->selectAll();
        QTest::keyClicks(field, text);
        if (!leave)
            return;
        QTest::keyClick(field, Qt::Key_Tab);
        QApplication::processEvents();
    }

    // Picks a position in a drop-down list with the keyboard, which is a user's change.
    static void Choose(QComboBox* box, int position) {
        box->setFocus();
        QApplication::processEvents();
        while (box->currentIndex() < position)
            QTest::keyClick(box, Qt::Key_Down);
        while (box->currentIndex() > position)
            QTest::keyClick(box, Qt::Key_Up);
    }

    QString StoreText() const {
        QFile f(configDir() + "/Brannoworks/user.reg");
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

    QString appDir, dataDir, exePath;
    QStringList messages;
    QList<QUrl> opened;
    std::unique_ptr<TReportForm> report;
    std::function<void(const QString&)> savedDisplay;
    std::function<void(const QUrl&)> savedOpenHelp;
    std::function<int(QDialog&)> savedExecPicker;
    std::function<void()> savedBeep;
    int beeps = 0;
};

TEST_F(AmpwiseFormTest, FirstRunWithoutSettingsComputesAtOnce) {
    TAmpwiseForm form;
    EXPECT_EQ(form.windowTitle(), "Ampwise 1.0.1.0");
    EXPECT_EQ(form.edMaterial->currentText(), "Copper");
    EXPECT_EQ(form.edLoadType->currentText(), "Resistive");
    EXPECT_EQ(form.edPhase->currentText(), "Single");
    EXPECT_EQ(form.edPower->text(), "5.500");
    EXPECT_EQ(form.edLength->text(), "40.000");
    EXPECT_EQ(form.FmtEditLabel3->text(), QString::fromUtf8("mm\u00B2"));
    EXPECT_EQ(form.StatusText(), "Ready...");
    EXPECT_EQ(form.Label9->text(), "");

    auto shown = Start();
    // 5.5 kW / 0.23 = 23.9 A; copper at 40 m: 2.5 mm² allows 19.25 A by the drop, 4 mm² carries
    // 28.35 A.
    EXPECT_EQ(shown->StatusText(), "Solved...");
    EXPECT_EQ(shown->edAmps->text(), "23.9");
    EXPECT_DOUBLE_EQ(shown->edXArea->valueOr(0), 4);
    EXPECT_TRUE(messages.isEmpty()) << messages.join("\n").toStdString();
}

TEST_F(AmpwiseFormTest, PowerIsCappedForLoadTypeAndPhase) {
    struct Row {
        const char* name;
        int loadType, phase;
        const char* typed;
        double expectedKW;
    };
    const Row rows[] = {
        {"resistive above the limit", 0, 0, "100", 84},
        {"resistive three phase above", 0, 1, "85", 84},
        {"resistive limit itself stays", 0, 0, "84", 84},
        {"inductive single above", 1, 0, "6", 5.5},
        {"inductive single limit stays", 1, 0, "5.5", 5.5},
        {"inductive three above", 1, 1, "120", 110},
        {"inductive three limit stays", 1, 1, "110", 110},
        {"below the limit stays", 1, 1, "37", 37},
    };
    auto form = Start();
    for (const Row& r : rows) {
        form->edLoadType->setCurrentIndex(r.loadType);
        form->edPhase->setCurrentIndex(r.phase);
        form->SetSolved(true);
        Type(form->edPower, r.typed);
        EXPECT_EQ(QApplication::focusWidget(), form->edLength) << r.name;
        EXPECT_DOUBLE_EQ(form->edPower->valueOr(-1), r.expectedKW) << r.name;
        EXPECT_EQ(form->StatusText(), "Not Solved...") << r.name;
    }
}

TEST_F(AmpwiseFormTest, PowerAndLengthAreMagnitudes) {
    struct Row {
        const char* name;
        TFmtEdit* TAmpwiseForm::*field;
        const char* typed;
        const char* shown;
        int beeps;
    };
    const Row rows[] = {
        {"negative power becomes 0", &TAmpwiseForm::edPower, "-2.5", "0.000", 1},
        {"negative length becomes 0", &TAmpwiseForm::edLength, "-40", "0.000", 1},
        {"zero power stays", &TAmpwiseForm::edPower, "0", "0.000", 0},
        {"beyond any cable meets the bound", &TAmpwiseForm::edLength, "5000000", "1000000.000", 1},
    };
    auto form = Start();
    for (const Row& r : rows) {
        beeps = 0;
        Type((*form).*r.field, r.typed);
        EXPECT_EQ(((*form).*r.field)->text(), r.shown) << r.name;
        EXPECT_EQ(beeps, r.beeps) << r.name;
    }
    // Still being typed when Calculate is pressed: no negative current is solved.
    Type(form->edPower, "-2.5", false);
    form->CalcButtonClick();
    EXPECT_GE(form->edAmps->valueOr(-1), 0);
}
TEST_F(AmpwiseFormTest, PowerLimitIsComparedInKilowattsWhateverTheUnit) {
    auto form = Start();
    form->edPower->setUnitsValue(UnitIndex(utPower, "W"));
    Type(form->edPower, "90000");
    EXPECT_EQ(form->FmtEditLabel1->text(), "W");
    EXPECT_DOUBLE_EQ(form->edPower->valueOr(-1), 84);
    Type(form->edPower, "84000");
    EXPECT_DOUBLE_EQ(form->edPower->valueOr(-1), 84);
}

TEST_F(AmpwiseFormTest, SwitchingToInductiveCutsPowerWithoutRecalculating) {
    auto form = Start();
    form->edPower->SetValue(50);
    form->CalcButtonClick();
    ASSERT_EQ(form->StatusText(), "Solved...");
    const QString amps = form->edAmps->text();
    Choose(form->edLoadType, 1);
    EXPECT_EQ(form->edLoadType->currentText(), "Inductive");
    EXPECT_EQ(form->edPower->text(), "5.500");
    EXPECT_EQ(form->StatusText(), "Not Solved...");
    EXPECT_EQ(form->edAmps->text(), amps);
}

TEST_F(AmpwiseFormTest, MaterialChangeRecalculatesAndShowsConductivity) {
    auto form = Start();
    form->SetSolved(false);
    Choose(form->edMaterial, 1);
    EXPECT_EQ(form->Label9->text(), QString::fromUtf8("35 m/o\u00B7mm\u00B2"));
    EXPECT_EQ(form->StatusText(), "Solved...");
    // Aluminium at 40 m: 4 mm² allows only 19.25 A by the drop, 6 mm² allows 28.9 A.
    EXPECT_DOUBLE_EQ(form->edXArea->valueOr(0), 6);
    EXPECT_EQ(ReportLines().value(4), "Material\tAluminium");
    EXPECT_EQ(ReportLines().value(5), QString::fromUtf8("Conductivity\t35\tm/o\u00B7mm\u00B2"));
}

TEST_F(AmpwiseFormTest, ConductivityTextMovesNoOtherControl) {
    // A third material of another magnitude gives the widest text.
    WriteData("[Conductivity]\nCopper=56\nAluminium=35\nSilver=0.000061\n");
    auto form = Start();
    const auto places = [&] {
        QApplication::processEvents();
        QList<QRect> at;
        for (QWidget* w : form->centralWidget()->findChildren<QWidget*>())
            at << (w == form->Label9 ? QRect() : w->geometry());
        return at;
    };
    const QList<QRect> before = places();
    for (int material : {1, 2, 0}) {
        Choose(form->edMaterial, material);
        EXPECT_EQ(places(), before) << form->Label9->text().toStdString();
    }
}
TEST_F(AmpwiseFormTest, ResetStoresCopperDefaultsAndVoltDrop) {
    // Copper second and in capitals: Reset finds it without regard to case.
    WriteData("[Conductivity]\nAluminium=35\nCOPPER=56\n");
    {
        TIniFile ini(SettingsIniPath());
        ini.WriteReal("Settings", "MaxVoltDrop", 2);
    }
    auto form = Start();
    EXPECT_DOUBLE_EQ(MaxVoltDrop, 2);
    form->edLoadType->setCurrentIndex(1);
    form->edPhase->setCurrentIndex(1);
    form->edPower->SetValue(30);
    form->edLength->setUnitsValue(UnitIndex(utLengthPrim, "ft"));
    form->edXArea->setUnitsValue(0);

    form->ResetButtonClick();
    EXPECT_EQ(form->edMaterial->currentText(), "COPPER");
    EXPECT_EQ(form->edLoadType->currentIndex(), 0);
    EXPECT_EQ(form->edPhase->currentIndex(), 0);
    EXPECT_EQ(form->edPower->text(), "5.500");
    EXPECT_EQ(form->edLength->text(), "40.000");
    EXPECT_EQ(form->FmtEditLabel3->text(), QString::fromUtf8("mm\u00B2"));
    EXPECT_EQ(form->StatusText(), "Solved...");
    EXPECT_DOUBLE_EQ(MaxVoltDrop, 5.5);

    QFile ini(QString::fromStdString(SettingsIniPath()));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().contains("MaxVoltDrop=5.5"));
    TRegistryIniFile reg(form->RegistryKey().toStdString());
    EXPECT_EQ(reg.ReadInt("Settings", "Material", -1), 1);
    EXPECT_EQ(reg.ReadInt("Settings", "LoadType", -1), 0);
    EXPECT_DOUBLE_EQ(reg.ReadReal("Settings", "Power", -1), 5.5);
    EXPECT_DOUBLE_EQ(reg.ReadReal("Settings", "Length", -1), 40);
    EXPECT_EQ(reg.ReadInt("Settings", "LengthUnits", -1), 0);
    EXPECT_EQ(reg.ReadInt("Settings", "AreaUnits", -1), 2);
}

TEST_F(AmpwiseFormTest, EnterAndArrowsMoveThroughSingleLineFieldsOnly) {
    auto form = Start();
    form->edPower->setFocus();
    QApplication::processEvents();
    QTest::keyClick(form->edPower, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), form->edLength);
    QTest::keyClick(form->edLength, Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), form->edAmps);
    QTest::keyClick(form->edAmps, Qt::Key_Up);
    EXPECT_EQ(QApplication::focusWidget(), form->edLength);

    form->edLoadType->setFocus();
    QApplication::processEvents();
    QTest::keyClick(form->edLoadType, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), form->edLoadType);
    EXPECT_EQ(form->edLoadType->currentIndex(), 0);
}

TEST_F(AmpwiseFormTest, TabGoesThroughTheControlsInTheirOrder) {
    auto form = Start();
    const QList<QWidget*> order = {form->edMaterial, form->edLoadType, form->edPhase,
                                   form->edPower,    form->edLength,   form->edAmps,
                                   form->edXArea,    form->edMaterial};
    form->edMaterial->setFocus();
    QApplication::processEvents();
    for (qsizetype i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), order[i]) << "step " << i;
    }
    for (qsizetype i = order.size() - 2; i >= 0; --i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        EXPECT_EQ(QApplication::focusWidget(), order[i]) << "back to " << i;
    }
}

TEST_F(AmpwiseFormTest, InputsAreSavedOnCloseAndRestoredInTheirUnits) {
    const int watts = UnitIndex(utPower, "W");
    const int feet = UnitIndex(utLengthPrim, "ft");
    {
        auto form = Start();
        form->edMaterial->setCurrentIndex(1);
        form->edLoadType->setCurrentIndex(1);
        form->edPhase->setCurrentIndex(1);
        form->edPower->SetValue(7.5);
        form->edLength->SetValue(120);
        form->edPower->setUnitsValue(watts);
        form->edLength->setUnitsValue(feet);
        form->edXArea->setUnitsValue(1);
        form->close();
    }
    const QString store = StoreText();
    for (const char* line : {"\"Material\"=dword:00000001", "\"LoadType\"=dword:00000001",
                             "\"Phase\"=dword:00000001", "\"Power\"=hex:00,00,00,00,00,00,1e,40",
                             "\"Length\"=hex:", "\"AreaUnits\"=dword:00000001"})
        EXPECT_TRUE(store.contains(line, Qt::CaseInsensitive)) << line;
    // The eight keys in their order.
    QStringList order;
    for (const char* key : {"Material", "LoadType", "Phase", "Power", "Length", "PowerUnits",
                            "LengthUnits", "AreaUnits"})
        order << QString::number(store.indexOf(QString("\"%1\"=").arg(key)));
    QStringList sorted = order;
    std::sort(sorted.begin(), sorted.end(),
              [](const QString& a, const QString& b) { return a.toInt() < b.toInt(); });
    EXPECT_EQ(order, sorted);

    TAmpwiseForm again;
    EXPECT_EQ(again.edMaterial->currentText(), "Aluminium");
    EXPECT_EQ(again.edLoadType->currentText(), "Inductive");
    EXPECT_EQ(again.edPhase->currentText(), "Three");
    EXPECT_EQ(again.FmtEditLabel1->text(), "W");
    EXPECT_EQ(again.edPower->text(), "7500");
    EXPECT_EQ(again.FmtEditLabel2->text(), "ft");
    // The field keeps no hidden number: 120 m went to the store as the 393.701 ft it showed.
    EXPECT_EQ(again.edLength->text(), "393.701");
    EXPECT_EQ(again.edXArea->unitsValue(), 1);
}

TEST_F(AmpwiseFormTest, ValueStillBeingTypedIsFinishedBeforeItIsStoredOnClose) {
    struct Row {
        const char* name;
        TFmtEdit* TAmpwiseForm::*field;
        const char* entered;
        bool pasted; // keys can't enter every text, a paste can
        const char* key;
        double stored;
    };
    const Row rows[] = {
        {"power above the resistive limit", &TAmpwiseForm::edPower, "100", false, "Power", 84},
        {"negative length", &TAmpwiseForm::edLength, "-5", false, "Length", 0},
        // Text that is no number keeps what was stored before, never a default.
        {"power that is no number", &TAmpwiseForm::edPower, "abc", true, "Power", 7.25},
    };
    for (const Row& r : rows) {
        TRegistryIniFile(AppRegistryKey()).WriteReal("Settings", "Power", 7.25);
        auto form = Start();
        TFmtEdit* field = (*form).*r.field;
        if (r.pasted) {
            field->setFocus();
            QApplication::processEvents();
            field->selectAll();
            field->insert(r.entered);
        } else {
            Type(field, r.entered, false);
        }
        form->close(); // as Alt+F4 does, without leaving the field
        EXPECT_DOUBLE_EQ(TRegistryIniFile(AppRegistryKey()).ReadReal("Settings", r.key, -1),
                         r.stored)
            << r.name;
    }
}

TEST_F(AmpwiseFormTest, OpeningTheFieldsMenuLeavesTheEntryToUndo) {
    auto form = Start();
    Type(form->edPower, "7", false);
    // The field's own menu opens and is closed again, as a right-click and Escape do.
    QTimer::singleShot(0, [] {
        if (QWidget* menu = QApplication::activePopupWidget())
            menu->close();
    });
    QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(2, 2),
                           form->edPower->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(form->edPower, &menu);
    QApplication::processEvents();
    EXPECT_TRUE(form->edPower->isModified()) << "opening the menu committed the entry";
    QTest::keyClick(form->edPower, Qt::Key_Escape);
    EXPECT_EQ(form->edPower->text(), "5.500");
}

TEST_F(AmpwiseFormTest, StoredValuesOutsideTheirRange) {
    {
        TRegistryIniFile reg(AppRegistryKey());
        reg.WriteInt("Settings", "Material", 7);
        reg.WriteInt("Settings", "LoadType", 2);
        reg.WriteInt("Settings", "PowerUnits", 99);
        reg.WriteInt("Settings", "AreaUnits", -3);
    }
    auto form = Start();
    EXPECT_EQ(form->edMaterial->currentIndex(), -1);
    EXPECT_EQ(form->edLoadType->currentIndex(), -1);
    EXPECT_EQ(form->edPower->unitsValue(), UnitCount(utPower) - 1);
    EXPECT_EQ(form->edXArea->unitsValue(), 0);
    EXPECT_EQ(form->StatusText(), "Not Solved...");
    EXPECT_TRUE(messages.isEmpty()) << messages.join("\n").toStdString();
    // Reset brings a defined state back.
    form->ResetButtonClick();
    EXPECT_EQ(form->StatusText(), "Solved...");
}

TEST_F(AmpwiseFormTest, FailingFirstCalculationStillBindsTheReportWindow) {
    {
        TRegistryIniFile reg(AppRegistryKey());
        reg.WriteReal("Settings", "Length", 0);
    }
    auto form = Start();
    EXPECT_EQ(messages, QStringList({"Floating point division by zero"}));
    EXPECT_EQ(form->StatusText(), "Ready...");
    // Bound and given its stops although the first calculation failed.
    ASSERT_TRUE(report->OnRefresh);
    EXPECT_EQ(report->Tabs(), (QList<double>{90, 150}));
    form->edLength->SetValue(40);
    form->CalcButtonClick();
    report->Clear();
    report->OnRefresh();
    EXPECT_EQ(ReportLines().size(), 18);
    EXPECT_EQ(ReportLines().value(9), "Cable Length\t40.000\tm");
}

TEST_F(AmpwiseFormTest, ValueOfTheWrongKindFallsBackOnceAndIsRepaired) {
    {
        TRegistryIniFile reg(AppRegistryKey());
        reg.WriteText("Settings", "Power", "lots");
        reg.WriteText("Settings", "Phase", "three");
    }
    {
        auto form = Start();
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages[0].contains("Power")) << messages[0].toStdString();
        EXPECT_EQ(form->edPower->text(), "5.500");
        EXPECT_EQ(form->edPhase->currentIndex(), 0);
        form->close();
    }
    EXPECT_TRUE(StoreText().contains("\"Power\"=hex:00,00,00,00,00,00,16,40", Qt::CaseInsensitive))
        << StoreText().toStdString();
    messages.clear();
    TAmpwiseForm again;
    EXPECT_TRUE(messages.isEmpty()) << messages.join("\n").toStdString();
}

TEST_F(AmpwiseFormTest, AStoreThatIsNoRegularFileIsToldOnceFromStartToClose) {
    const QString store = configDir() + "/Brannoworks/user.reg";
    QDir().mkpath(configDir() + "/Brannoworks");
    ASSERT_EQ(::mkfifo(QFile::encodeName(store).constData(), 0600), 0);
    {
        auto form = Start();
        form->close();
    }
    ASSERT_EQ(messages.size(), 1) << messages.join("\n").toStdString();
    EXPECT_TRUE(messages[0].contains("not a regular file")) << messages[0].toStdString();
    EXPECT_TRUE(QFileInfo(store).isFile() == false && QFileInfo::exists(store));
}

TEST_F(AmpwiseFormTest, StoredMagnitudesOutsideTheFieldsRangesFallBackAndAreNamed) {
    const struct {
        const char* key;
        double stored;
        const char* shown;
    } rows[] = {
        {"Power", -2.5, "5.500"},
        {"Length", -40, "40.000"},
        {"Power", 2e6, "5.500"},
    };
    for (const auto& r : rows) {
        {
            TRegistryIniFile reg(AppRegistryKey());
            reg.EraseSection("Settings");
            reg.WriteReal("Settings", r.key, r.stored);
        }
        messages.clear();
        auto form = Start();
        const TFmtEdit* field = QString(r.key) == "Power" ? form->edPower : form->edLength;
        EXPECT_EQ(field->text(), r.shown) << r.key << " " << r.stored;
        ASSERT_EQ(messages.size(), 1) << r.key << " " << r.stored;
        EXPECT_TRUE(messages[0].contains(r.key)) << messages[0].toStdString();
        EXPECT_EQ(form->StatusText(), "Solved...") << r.key << " " << r.stored;
        EXPECT_GT(form->edAmps->valueOr(-1), 0) << r.key << " " << r.stored;
    }
}

TEST_F(AmpwiseFormTest, ReportAfterTheDefaultCalculation) {
    auto form = Start();
    const QStringList lines = ReportLines();
    ASSERT_EQ(lines.size(), 18) << lines.join("|").toStdString();
    EXPECT_EQ(lines[0], "");
    EXPECT_EQ(lines[1], "Ampwise 1.0.1.0");
    EXPECT_EQ(lines[2], "Report");
    EXPECT_EQ(lines[3], "");
    EXPECT_EQ(lines[4], "Material\tCopper");
    EXPECT_EQ(lines[7], "Power\t5.500\tkW");
    EXPECT_EQ(lines[8], "Phase\tSingle");
    EXPECT_EQ(lines[9], "Cable Length\t40.000\tm");
    EXPECT_EQ(lines[10], "MaxVoltDrop\t5.5\tVolts");
    EXPECT_EQ(lines[12], "Line Current\t23.9\tAmps");
    // 23.9 A x 40 m / (56 x 4 mm²) = 4.27 V.
    EXPECT_EQ(lines[13], "Voltage Drop\t4\tVolts");
    EXPECT_EQ(lines[14],
              "Cable X Area\t" + form->edXArea->text() + QString::fromUtf8("\tmm\u00B2"));
}

TEST_F(AmpwiseFormTest, PowerUnitSwitchChangesValueAndUnitTogether) {
    auto form = Start();
    form->edPower->setUnitsValue(UnitIndex(utPower, "W"));
    form->CalcButtonClick();
    EXPECT_EQ(ReportLines().value(7), "Power\t5500\tW");
}

TEST_F(AmpwiseFormTest, NoSizeFitsStillGivesTheFullReport) {
    auto form = Start();
    form->edPower->SetValue(84);
    form->edLength->SetValue(5000);
    form->CalcButtonClick();
    EXPECT_EQ(form->StatusText(), "Not Solved...");
    EXPECT_DOUBLE_EQ(form->edXArea->valueOr(0), -1);
    const QStringList lines = ReportLines();
    ASSERT_EQ(lines.size(), 18);
    EXPECT_EQ(lines[13], "Voltage Drop\t-1\tVolts");
    EXPECT_EQ(lines[14],
              "Cable X Area\t" + form->edXArea->text() + QString::fromUtf8("\tmm\u00B2"));
}

TEST_F(AmpwiseFormTest, FailedCalculationLeavesStatusResultsAndReport) {
    struct Row {
        const char* name;
        const char* lengthText;
        const char* message;
    };
    const Row rows[] = {
        {"zero length", "0", "Floating point division by zero"},
        {"not a number", "abc", "'abc' is not a valid floating point value"},
    };
    auto form = Start();
    for (const Row& r : rows) {
        form->CalcButtonClick();
        const QString status = form->StatusText();
        const QString amps = form->edAmps->text(), area = form->edXArea->text();
        const QString before = report->PlainText();
        messages.clear();
        form->edLength->setText(r.lengthText);
        QTest::mouseClick(form->CalcButton, Qt::LeftButton);
        EXPECT_EQ(messages, QStringList({r.message})) << r.name;
        EXPECT_EQ(form->StatusText(), status) << r.name;
        EXPECT_EQ(form->edAmps->text(), amps) << r.name;
        EXPECT_EQ(form->edXArea->text(), area) << r.name;
        // A refresh from the report window recomposes from the last good results.
        report->OnRefresh();
        EXPECT_EQ(report->PlainText().section("\r\n", 11), before.section("\r\n", 11)) << r.name;
        form->edLength->SetValue(40);
    }
}

TEST_F(AmpwiseFormTest, ErrorBoxShowsTheMessageAsWritten) {
    ErrorDisplay = savedDisplay; // the program's own box
    auto form = Start();
    form->edLength->setText("<b>5</b>");
    QString shown;
    onNextModal([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle(), QApplication::applicationName());
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        shown = box->text();
        box->close();
    });
    QTest::mouseClick(form->CalcButton, Qt::LeftButton);
    EXPECT_EQ(shown, "'<b>5</b>' is not a valid floating point value");
}

TEST_F(AmpwiseFormTest, ErrorBoxKeepsEveryLineWhole) {
    ErrorDisplay = savedDisplay; // the program's own box
    // A path line wider than a message box grows by itself (half the screen).
    const QString path = "/tmp" + QString("/settings").repeated(5) + "/Ampwise.ini";
    const QString message = "Cannot create file \"" + path + "\".\nPermission denied";
    ASSERT_GT(QFontMetrics(QApplication::font()).horizontalAdvance(message.section('\n', 0, 0)),
              QGuiApplication::primaryScreen()->availableGeometry().width() / 2);
    QStringList broken;
    onNextModal([&](QWidget* box) {
        auto* label = box->findChild<QLabel*>("qt_msgbox_label");
        ASSERT_NE(label, nullptr);
        for (const QString& line : message.split('\n'))
            if (label->fontMetrics().horizontalAdvance(line) > label->contentsRect().width())
                broken << line;
        box->close();
    });
    ShowErrorMessage(message);
    EXPECT_TRUE(broken.isEmpty()) << broken.join('\n').toStdString();
}
TEST_F(AmpwiseFormTest, ACommandCommitsTheFieldBeingTyped) {
    auto form = Start();
    Type(form->edPower, "200", false);
    // Still in the field: Calculate takes the typed value, with its limit applied.
    form->CalcButtonClick();
    EXPECT_EQ(form->edPower->text(), "84.000");
    EXPECT_FALSE(form->edPower->isModified());
    EXPECT_EQ(ReportLines().value(7), "Power\t84.000\tkW");
}

TEST_F(AmpwiseFormTest, DataFileThatFailsToLoad) {
    WriteData("[Cable]\nSize=1,,2\n");
    auto form = Start();
    EXPECT_EQ(form->Engine(), nullptr);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], "'' is not a valid floating point value");
    EXPECT_FALSE(form->CalcButton->isEnabled());
    EXPECT_EQ(form->StatusText(), "Not Solved...");
    form->ResetButtonClick();
    EXPECT_EQ(form->StatusText(), "Not Solved...");
}

TEST_F(AmpwiseFormTest, MotorPicker) {
    struct Row {
        const char* name;
        int loadType, phase;
        const char* pick; // nullptr: cancel
        const char* power;
    };
    const Row rows[] = {
        {"three phase resistive meets 84 kW", 0, 1, "110", "84.000"},
        {"three phase inductive keeps 110", 1, 1, "110", "110"},
        {"single phase resistive keeps 7.5", 0, 0, "7.5", "7.5"},
        {"single phase inductive cuts to 5.5", 1, 0, "7.5", "5.500"},
        {"cancel changes nothing", 0, 0, nullptr, "5.500"},
    };
    for (const Row& r : rows) {
        auto form = Start();
        form->edLoadType->setCurrentIndex(r.loadType);
        form->edPhase->setCurrentIndex(r.phase);
        int rowsShown = 0;
        TAmpwiseForm::ExecPicker = [&](QDialog& d) {
            auto& picker = static_cast<TSelectFromList&>(d);
            rowsShown = picker.ListBox1->count();
            if (!r.pick)
                return int(QDialog::Rejected);
            picker.ListBox1->setCurrentItem(
                picker.ListBox1->findItems(r.pick, Qt::MatchExactly)[0]);
            picker.ToolButton1Click();
            return picker.result();
        };
        QTest::mouseClick(form->Label3, Qt::LeftButton);
        EXPECT_EQ(rowsShown, r.phase == 0 ? 11 : 21) << r.name;
        EXPECT_EQ(form->edPower->text(), r.power) << r.name;
        EXPECT_EQ(form->edLoadType->currentIndex(), r.pick ? 1 : r.loadType) << r.name;
        EXPECT_EQ(form->StatusText(), r.pick ? "Not Solved..." : "Solved...") << r.name;
    }
}

TEST_F(AmpwiseFormTest, MotorPickerFromTheKeyboard) {
    auto form = Start();
    int opened = 0;
    TAmpwiseForm::ExecPicker = [&](QDialog&) {
        ++opened;
        return int(QDialog::Rejected);
    };
    for (QWidget* from :
         {static_cast<QWidget*>(form->edPower), static_cast<QWidget*>(form->edMaterial)}) {
        from->setFocus();
        QTest::keyClick(from, Qt::Key_M, Qt::ControlModifier);
    }
    EXPECT_EQ(opened, 2);
}

// The unit list opens from the field with the keys that open a drop-down list, and a unit is
// chosen there with the keyboard alone.
TEST_F(AmpwiseFormTest, UnitListFromTheKeyboard) {
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        const char* unit;
    } cases[] = {{Qt::Key_F4, Qt::NoModifier, "ft"}, {Qt::Key_Down, Qt::AltModifier, "cm"}};
    for (const auto& c : cases) {
        auto form = Start();
        bool listed = false;
        onNextModal([&](QWidget* w) {
            auto* units = qobject_cast<TUnitsForm*>(w);
            ASSERT_NE(units, nullptr);
            listed = true;
            while (units->ListBox1->currentItem()->text() != c.unit)
                QTest::keyClick(units->ListBox1, Qt::Key_Down);
            QTest::keyClick(units->ListBox1, Qt::Key_Return);
        });
        form->edLength->setFocus();
        QTest::keyClick(form->edLength, c.key, c.mods);
        EXPECT_TRUE(listed) << c.unit;
        EXPECT_EQ(form->FmtEditLabel2->text(), c.unit);
        EXPECT_EQ(test::AccessibleName(form->edLength), QString("Cable Length, ") + c.unit);
    }
}

TEST_F(AmpwiseFormTest, PickedRatingIsTakenInTheShownUnit) {
    auto form = Start();
    form->edPower->setUnitsValue(UnitIndex(utPower, "W"));
    TAmpwiseForm::ExecPicker = [](QDialog& d) {
        auto& picker = static_cast<TSelectFromList&>(d);
        picker.ListBox1->setCurrentRow(9);
        picker.ToolButton1Click();
        return picker.result();
    };
    QTest::mouseClick(form->MotorButton, Qt::LeftButton);
    EXPECT_EQ(form->edPower->text(), "5.5");
    EXPECT_DOUBLE_EQ(form->edPower->valueOr(0), 0.0055);
}

TEST_F(AmpwiseFormTest, HelpOpensThePageBesideTheProgram) {
    auto form = Start();
    form->HelpButtonClick();
    EXPECT_TRUE(opened.isEmpty());
    QDir().mkpath(appDir + "/Help");
    QFile page(appDir + "/Help/Index.htm");
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.close();
    QTest::mouseClick(form->HelpButton, Qt::LeftButton);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(appDir + "/Help/Index.htm"));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(AmpwiseFormTest, SettingsEditorChangesTheVoltDropWithoutRecalculating) {
    auto form = Start();
    TIniPadForm pad;
    form->SetIniPadForm(&pad);
    const QString amps = form->edAmps->text();
    QString loaded;
    onNextModal([&](QWidget* w) {
        ASSERT_EQ(w, &pad);
        loaded = pad.FileName();
        pad.SynEdit1()->setText("[Settings]\nMaxVoltDrop=2.5\n");
        pad.SaveFile();
        pad.close();
    });
    QTest::mouseClick(form->OptionsButton, Qt::LeftButton);
    EXPECT_EQ(loaded, QString::fromStdString(SettingsIniPath()));
    EXPECT_DOUBLE_EQ(MaxVoltDrop, 2.5);
    EXPECT_EQ(form->StatusText(), "Not Solved...");
    EXPECT_EQ(form->edAmps->text(), amps);
    form->CalcButtonClick();
    EXPECT_EQ(ReportLines().value(10), "MaxVoltDrop\t2.5\tVolts");
}

// A printer chosen in the report window's setup is where the INI editor prints, and the editor's
// Print Setup works on that same printer.
TEST_F(AmpwiseFormTest, OnePrinterChoiceServesEveryWindow) {
    TReportForm reportForm;
    TIniPadForm pad;
    pad.SynEdit1()->setText("[Settings]\n");
    const QString pdf = tempDir() + "/editor.pdf";
    QPrinter* setUp = nullptr;
    // The choice is made on the printer the dialog was given (its widgets differ by platform).
    const auto choose = [&](QWidget* w) {
        setUp = qobject_cast<QPrintDialog*>(w)->printer();
        setUp->setOutputFileName(pdf);
        qobject_cast<QDialog*>(w)->reject();
    };
    onNextModal(choose);
    reportForm.ButtonSetupClick();
    pad.FilePrint1Execute();
    EXPECT_GT(QFileInfo(pdf).size(), 0);
    onNextModal(choose);
    pad.FilePrintSetup1Execute();
    EXPECT_EQ(setUp, &reportForm.Printer());
}
TEST_F(AmpwiseFormTest, AboutCommandsShowTheAboutBoxModally) {
    auto form = Start();
    TAboutForm about(nullptr, exePath);
    form->SetAboutForm(&about);
    int shown = 0;
    auto answer = [&](QWidget* w) {
        EXPECT_EQ(w, &about);
        ++shown;
        about.FormClick();
    };
    onNextModal(answer);
    form->AboutButton->click();
    onNextModal(answer);
    form->PopupMenu2->actions().last()->trigger();
    onNextModal(answer);
    for (QAction* item : form->PopupMenu1->actions())
        if (item->text() == "About")
            item->trigger();
    EXPECT_EQ(shown, 3);
    EXPECT_FALSE(about.isVisible());
}

TEST_F(AmpwiseFormTest, ToolsMenuListsTheOtherPrograms) {
    MakerPath = tempDir().toStdString() + "/Brannoworks/";
    FillToolPrograms();
    TAmpwiseForm form;
    const QString own = QString::fromStdString(ToolPrograms[AmpwiseToolRow].Caption);
    ASSERT_FALSE(own.isEmpty());
    int programs = 0;
    for (const QAction* item : form.ToolsMenu->actions()) {
        EXPECT_NE(item->text().compare(own, Qt::CaseInsensitive), 0);
        programs += item->isSeparator() ? 0 : 1;
    }
    EXPECT_GT(programs, 0);
    EXPECT_EQ(form.PopupMenu1->actions().last()->menu(), form.ToolsMenu);
}

// The entry and the button sit right after Report's; the window is not made at start.
TEST_F(AmpwiseFormTest, SizesCommandsComeRightAfterReport) {
    TAmpwiseForm form;
    QStringList items;
    for (const QAction* item : form.PopupMenu1->actions())
        items << item->text();
    ASSERT_TRUE(items.contains("Si&zes")) << items.join("|").toStdString();
    EXPECT_EQ(items.indexOf("Si&zes"), items.indexOf("&Report") + 1);
    QStringList buttons;
    for (QAction* a : form.ToolBar1->actions())
        buttons << (a->isSeparator() ? "-" : form.ToolBar1->widgetForAction(a)->objectName());
    EXPECT_EQ(buttons.indexOf("SizesButton"), buttons.indexOf("ReportButton") + 1);
    EXPECT_EQ(form.SizesButton->toolTip(), "Sizes");
    EXPECT_EQ(form.SizesButton->icon().pixmap(24, 24).size(), QSize(24, 24));
    EXPECT_EQ(SizesOf(form), nullptr);
}

// Whatever the inputs, the window's chosen row is the size the main window shows, and an input
// changed since is noted until the next calculation.
TEST_F(AmpwiseFormTest, SizesWindowFollowsEveryCalculation) {
    const struct {
        int material;
        const char *length, *power;
    } rows[] = {{0, "40", "5.5"}, {1, "40", "5.5"}, {1, "900", "2"}, {0, "5000", "84"}};
    auto form = Start();
    form->SizesButton->click();
    TSizesForm* sizes = SizesOf(*form);
    ASSERT_NE(sizes, nullptr);
    EXPECT_TRUE(sizes->isVisible());
    for (const auto& r : rows) {
        // The user goes back to the main window to change the inputs.
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        Choose(form->edMaterial, r.material);
        Type(form->edLength, r.length);
        Type(form->edPower, r.power);
        EXPECT_FALSE(sizes->NoteText().isEmpty()) << r.length;
        form->CalcButtonClick();
        EXPECT_EQ(sizes->NoteText(), "") << r.length;
        const std::ptrdiff_t chosen = sizes->View().Chosen;
        EXPECT_EQ(chosen < 0 ? -1 : sizes->View().Rows[std::size_t(chosen)].Area,
                  form->edXArea->valueOr(0))
            << r.length;
    }
    // Whole on the main window's screen; closed and opened again, the same window.
    EXPECT_TRUE(form->screen()->availableGeometry().contains(sizes->geometry()));
    sizes->close();
    form->SizesButton->click();
    EXPECT_EQ(SizesOf(*form), sizes);
}

TEST_F(AmpwiseFormTest, SizesWindowShowsTheLastCalculationInTheUnitsShown) {
    auto form = Start();
    // The allowed drop changes without a new calculation: the window, opened now, shows the
    // figures of the calculation on screen and says that the inputs have changed.
    MaxVoltDrop = 2.5;
    form->SetSolved(false);
    form->SizesButtonClick();
    TSizesForm* sizes = SizesOf(*form);
    EXPECT_TRUE(sizes->VerdictText().contains("(5.5 V allowed)"))
        << sizes->VerdictText().toStdString();
    EXPECT_FALSE(sizes->NoteText().isEmpty());

    // A unit picked for a field is a unit of the window's too; it changes no input.
    form->edXArea->setUnitsValue(UnitIndex(utArea, "cm²"));
    emit form->edXArea->OnUnitsEdited(form->edXArea);
    EXPECT_EQ(sizes->SizesGrid->model()->headerData(0, Qt::Horizontal).toString(),
              QString::fromUtf8("Size\n(cm²)"));
    EXPECT_FALSE(sizes->NoteText().isEmpty());
    form->CalcButtonClick();
    EXPECT_TRUE(sizes->VerdictText().contains("(2.5 V allowed)"))
        << sizes->VerdictText().toStdString();
    EXPECT_EQ(sizes->NoteText(), "");
}

TEST_F(AmpwiseFormTest, ScheduleWindowIsMadeOnFirstUseAfterSizes) {
    auto form = Start();
    EXPECT_EQ(ScheduleOf(*form), nullptr);
    QStringList items;
    for (const QAction* item : form->PopupMenu1->actions())
        items << item->text();
    EXPECT_EQ(items.indexOf("Sch&edule"), items.indexOf("Si&zes") + 1);
    QList<QWidget*> buttons;
    for (QAction* a : form->ToolBar1->actions())
        buttons << form->ToolBar1->widgetForAction(a);
    EXPECT_EQ(buttons.indexOf(form->ScheduleButton), buttons.indexOf(form->SizesButton) + 1);
    EXPECT_EQ(form->ScheduleButton->toolTip(), "Schedule");

    form->ScheduleButton->click();
    TScheduleForm* schedule = ScheduleOf(*form);
    ASSERT_NE(schedule, nullptr);
    EXPECT_TRUE(schedule->isVisible());
    schedule->hide();
    // Its letter in the context menu opens it, which it can only when no other item there has
    // the same letter (the menu would then move between them instead).
    EXPECT_EQ(test::SharedLetters(items), QStringList()) << items.join(' ').toStdString();
    form->PopupMenu1->popup(form->mapToGlobal(QPoint(10, 10)));
    QTest::keyClick(form->PopupMenu1, 'e');
    EXPECT_EQ(ScheduleOf(*form), schedule);
    EXPECT_TRUE(schedule->isVisible());
}

// A letter that two items of one menu, or two controls of one window, share moves between them
// instead of choosing one: in every window, each menu and the window's own letters differ.
TEST_F(AmpwiseFormTest, EveryWindowsMenusHaveALetterForEachItem) {
    auto form = Start();
    TIniPadForm pad;
    form->SizesButton->click();
    form->ScheduleButton->click();
    const struct {
        const char* name;
        QWidget* window;
        // A menu whose captions are the program's established ones, shared letter and all.
        const char* keptGroup = "";
        const char* keptLetters = "";
    } windows[] = {{"main window", form.get()},
                   {"report", report.get()},
                   {"INI editor", &pad, "IniPadForm/&Help", "b"},
                   {"Cable Sizes", SizesOf(*form)},
                   {"Cable Schedule", ScheduleOf(*form)}};
    for (const auto& w : windows) {
        ASSERT_NE(w.window, nullptr) << w.name;
        int lettered = 0;
        for (const auto& [group, texts] : test::LetterGroups(w.window)) {
            const QStringList kept =
                group == w.keptGroup ? QString(w.keptLetters).split(' ') : QStringList();
            EXPECT_EQ(test::SharedLetters(texts), kept)
                << w.name << ": " << group.toStdString() << ": " << texts.join(" | ").toStdString();
            for (const QString& t : texts)
                lettered += !test::AccessLetter(t).isEmpty();
        }
        // Each window has lettered items, so the check saw what it checks.
        EXPECT_GT(lettered, 2) << w.name;
    }
    SizesOf(*form)->close();
    ScheduleOf(*form)->close();
}

TEST_F(AmpwiseFormTest, CircuitsTradedWithTheScheduleWindow) {
    auto form = Start();
    form->ScheduleButton->click();
    TScheduleForm& schedule = *ScheduleOf(*form);
    TScheduleModel& model = *schedule.Model();
    auto field = [&](int row, TColumn column) {
        return model.index(row, model.ColumnOfKind(column)).data().toString();
    };

    // The present inputs, a value still being typed finished as leaving its field would.
    Choose(form->edMaterial, 1);
    form->edLength->setUnitsValue(UnitIndex(utLengthPrim, "ft"));
    Type(form->edPower, "7.5", false);
    schedule.AddFromMainWindow();
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_EQ(field(0, TColumn::Material), "Aluminium");
    EXPECT_EQ(field(0, TColumn::LoadType), "Resistive");
    EXPECT_EQ(field(0, TColumn::Phase), "Single");
    EXPECT_EQ(field(0, TColumn::Power), "7.500 kW");
    EXPECT_EQ(field(0, TColumn::Length), "131.234 ft");
    EXPECT_EQ(field(0, TColumn::Status), "Solved");

    // A row loaded back is calculated here, in the row's own units.
    schedule.PasteText("Pump\tcopper\tinductive\tthree\t2200 W\t120 ft\n");
    schedule.LoadRow(1);
    EXPECT_EQ(form->edMaterial->currentText(), "Copper");
    EXPECT_EQ(form->edLoadType->currentText(), "Inductive");
    EXPECT_EQ(form->edPhase->currentText(), "Three");
    EXPECT_EQ(form->edPower->text(), "2200");
    EXPECT_EQ(form->FmtEditLabel1->text(), "W");
    EXPECT_EQ(form->edLength->text(), "120.000");
    EXPECT_EQ(form->FmtEditLabel2->text(), "ft");
    EXPECT_EQ(form->StatusText(), "Solved...");
    // The same figures, bit for bit, as the window and the schedule share the arithmetic.
    EXPECT_EQ(form->Engine()->XArea, model.Rows()[1].Result.Size.value_or(-1));
    EXPECT_EQ(form->Engine()->Current, model.Rows()[1].Result.Current.value_or(-1));

    // A row in error changes nothing here, and the schedule says why.
    schedule.PasteText("Bad\tTin\tResistive\tSingle\t1\t1\n");
    const QString amps = form->edAmps->text();
    QString message;
    onNextModal([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        message = box->text();
        box->accept();
    });
    schedule.LoadRow(2);
    EXPECT_EQ(message, "Row 3 is not loaded into the main window: unknown material \"Tin\"; the "
                       "data file has Copper, Aluminium");
    EXPECT_EQ(form->edMaterial->currentText(), "Copper");
    EXPECT_EQ(form->edAmps->text(), amps);
}

// A circuit loaded with its installation sets the Cable Sizes window's panel, making the window
// unshown when it is not made yet; one without leaves the window alone, and one that cannot be
// loaded changes nothing, there either.
TEST_F(AmpwiseFormTest, LoadedInstallationGoesToTheSizesPanel) {
    iec::TIecInputs buried;
    buried.Method = iec::TMethod::D2;
    const struct {
        bool sizesOpen; // the Sizes window made (and shown) before
        const char* material;
        bool installed; // the circuit carries the installation
        bool made;      // the Sizes window exists afterwards
    } cases[] = {{false, "Copper", true, true},
                 {true, "Copper", true, true},
                 {false, "Copper", false, false},
                 {true, "Copper", false, true},
                 {false, "Tin", true, false}};
    for (const auto& c : cases) {
        auto form = Start();
        // The panel keeps what it was given last: each case gives another.
        ++buried.Circuits;
        if (c.sizesOpen)
            form->SizesButtonClick();
        const iec::TIecInputs before =
            c.sizesOpen ? SizesOf(*form)->Installation() : iec::TIecInputs{};
        TCircuitInputs circuit{c.material, "Resistive", "Three", "7.500 kW", "60.000 m", {}};
        if (c.installed)
            circuit.Installation = buried;
        bool raised = false;
        try {
            form->LoadCircuit(circuit);
        } catch (const std::exception&) {
            raised = true;
        }
        EXPECT_EQ(raised, QByteArray(c.material) == "Tin");
        TSizesForm* sizes = SizesOf(*form);
        ASSERT_EQ(sizes != nullptr, c.made) << c.material << c.sizesOpen;
        if (!sizes)
            continue;
        EXPECT_EQ(sizes->isVisible(), c.sizesOpen);
        const iec::TIecInputs& held = sizes->Installation();
        const iec::TIecInputs& want = c.installed ? buried : before;
        EXPECT_TRUE(held.Method == want.Method && held.Circuits == want.Circuits)
            << c.material << c.sizesOpen;
        // The main window's circuit reached it too: shown, its chosen size is this window's.
        sizes->show();
        ASSERT_TRUE(sizes->HasView());
        const std::ptrdiff_t chosen = sizes->View().Chosen;
        EXPECT_EQ(chosen < 0 ? -1 : sizes->View().Rows[std::size_t(chosen)].Area,
                  form->edXArea->valueOr(0));
    }
}

TEST_F(AmpwiseFormTest, ClosingAsksAboutTheUnsavedSchedule) {
    auto form = Start();
    form->ScheduleButton->click();
    ScheduleOf(*form)->AddFromMainWindow();
    for (QMessageBox::StandardButton answer : {QMessageBox::Cancel, QMessageBox::Discard}) {
        QString question;
        onNextModal([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            question = box->text();
            box->button(answer)->click();
        });
        const bool closed = form->close();
        EXPECT_EQ(question, "The cable schedule has unsaved changes.\nSave them?");
        EXPECT_EQ(closed, answer == QMessageBox::Discard);
        EXPECT_EQ(form->isVisible(), answer != QMessageBox::Discard);
    }
}

// A screen reader walking each window hears a name for every control it can reach, and no two
// controls that do different things under one name.
TEST_F(AmpwiseFormTest, EveryControlOfEveryWindowHasItsOwnName) {
    auto form = Start();
    TIniPadForm pad;
    pad.SynEdit1()->setText("[Settings]\nMaxVoltDrop=5.5\n");
    TAboutForm about(nullptr, exePath);
    TSelectFromList picker;
    TUnitsForm units;
    units.ClientEdit = form->edPower;
    units.FillList();
    QMessageBox box(QMessageBox::Question, ApplicationTitle(), "Save changes?",
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    pad.FindDialog1();
    pad.ReplaceDialog1();
    form->SizesButtonClick();
    form->ScheduleButtonClick();
    const struct {
        const char* window;
        QWidget* widget;
    } windows[] = {
        {"main window", form.get()},
        {"report", report.get()},
        {"settings editor", &pad},
        {"find", pad.findChild<QDialog*>("FindDialog1")},
        {"replace", pad.findChild<QDialog*>("ReplaceDialog1")},
        {"about", &about},
        {"motor picker", &picker},
        {"unit list", &units},
        {"message box", &box},
        {"cable sizes", dynamic_cast<QWidget*>(form->SizesWindow())},
        {"cable schedule", form->ScheduleWindow()},
    };
    for (const auto& w : windows) {
        ASSERT_NE(w.widget, nullptr) << w.window;
        w.widget->show();
        QApplication::processEvents();
        EXPECT_EQ(test::AccessibilityProblems(w.widget), QStringList()) << w.window;
        w.widget->hide();
    }
}

// The fields are named for their quantity and the unit they show, and the name follows a unit
// picked from the list; the units label reads as a button that opens that list.
TEST_F(AmpwiseFormTest, FieldsAreNamedForTheirQuantityAndUnit) {
    auto form = Start();
    const struct {
        QWidget* control;
        const char* name;
    } cases[] = {
        {form->edMaterial, "Material"},
        {form->edLoadType, "Load Type"},
        {form->edPhase, "Phase"},
        {form->edPower, "Power, kW"},
        {form->edLength, "Cable Length, m"},
        {form->edAmps, "Line Current, A"},
        {form->edXArea, "Cable X Area, mm\u00B2"},
        {form->MotorButton, "Select motor power from list"},
        {form->FmtEditLabel1, "Power unit"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(test::AccessibleName(c.control), QString::fromUtf8(c.name))
            << c.control->objectName().toStdString();
    QAccessibleInterface* units = QAccessible::queryAccessibleInterface(form->FmtEditLabel1);
    EXPECT_EQ(units->role(), QAccessible::ButtonMenu);
    EXPECT_EQ(units->text(QAccessible::Value), "kW");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(form->edPower)->text(QAccessible::Value),
              form->edPower->text());

    form->edLength->setUnitsValue(UnitIndex(utLengthPrim, "ft"));
    EXPECT_EQ(test::AccessibleName(form->edLength), "Cable Length, ft");
}

// What the status line says reaches assistive technology as the status bar's name, which raises
// the name-change event a screen reader listens for (offscreen, Qt raises none to observe).
TEST_F(AmpwiseFormTest, StatusChangesAreAnnounced) {
    auto form = Start();
    const auto heard = [&] { return test::AccessibleName(form->statusBar()); };
    EXPECT_EQ(heard(), "Solved...");
    Type(form->edPower, "1000");
    EXPECT_EQ(heard(), "Not Solved...");
    form->CalcButtonClick();
    EXPECT_EQ(heard(), form->StatusText());
    Type(form->edPower, "5.5");
    form->CalcButtonClick();
    EXPECT_EQ(heard(), "Solved...");
}

} // namespace
} // namespace qv
