// The Cable Sizes window's Installation panel: typing and picking change the standard's columns and
// verdict, every field is reached by its mnemonic, bad numbers are said and kept, the inputs are
// kept in the settings and read back (whatever the store holds), and the Iz curve.
#include "sizes/QvSizesForm.h"

#include "settings/QvRegistry.h"
#include "tests/testsupport/Palettes.h"
#include "tests/testsupport/TempFolder.h"
#include "tests/testsupport/UiTestFixture.h"
#include "widgets/QvAccessibility.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QChart>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace qv {
namespace {

using namespace iec;

const std::vector<double> kSizes = {0.4, 0.5, 0.75, 1,   1.5, 2.5, 4,   6,   10,  16,  25, 35,
                                    50,  70,  95,   120, 150, 185, 240, 300, 400, 500, 625};
constexpr int kSix = 7; // the row of 6 mm²

// Copper, resistive, single phase, 5.5 kW within 5.5 V over 40 m: 23.9 A, Ampwise's 4 mm².
TSizesCircuit Circuit(const std::string& material = "Copper") {
    TSizesCircuit c;
    c.Material = material;
    c.Conductivity = 56;
    c.Power = 5.5;
    c.Length = 40;
    c.MaxVoltDrop = 5.5;
    c.Current = LineCurrent(0, 0, 5.5, {});
    return c;
}

class SizesPanelTest : public test::UiTestFixture {
  protected:
    std::unique_ptr<TSizesForm> Shown(const TSizesCircuit& circuit = Circuit()) {
        auto form = std::make_unique<TSizesForm>(kSizes);
        form->ShowCalculation(circuit, {});
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        return form;
    }
    static QString Cell(TSizesForm& form, int row, int iecColumn) {
        QAbstractItemModel* m = form.SizesGrid->model();
        return m->data(m->index(row, SizesColumnCount + iecColumn)).toString();
    }
    static void Type(QLineEdit* edit, const QString& text) {
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    static void Pick(QComboBox* combo, const QString& starting) {
        for (int i = 0; i < combo->count(); ++i)
            if (combo->itemText(i).startsWith(starting)) {
                combo->setCurrentIndex(i);
                return;
            }
        ADD_FAILURE() << "no item " << starting.toStdString();
    }
};

// The example circuit with method C, PVC, 35 °C, three circuits in a single layer and a 32 A
// breaker, entered as a user does, one step after another.
TEST_F(SizesPanelTest, TypingAndPickingChangeTheColumnsAndVerdict) {
    auto form = Shown();
    const struct {
        const char* step;
        std::function<void(TSizesForm&)> act;
        const char* iz6;     // Iz of 6 mm²
        const char* verdict; // the start of the standard's verdict
    } steps[] = {
        // B.52.2 C 46 A at 30 °C, alone.
        {"the defaults", [](TSizesForm&) {}, "46", "IEC 60364-5-52: 4 mm² — Iz 36.0 A ≥ Ib 23.9 A"},
        // · 0.94 at 35 °C.
        {"35 °C", [](TSizesForm& f) { Type(f.EditAirTemperature, "35"); }, "43.2",
         "IEC 60364-5-52: 4 mm² — Iz 33.8 A"},
        // · 0.79 for three in a single layer.
        {"three circuits", [](TSizesForm& f) { f.SpinCircuits->setValue(3); }, "34.2",
         "IEC 60364-5-52: 4 mm² — Iz 26.7 A ≥ Ib 23.9 A"},
        // No rating yet: no answer, and no figures.
        {"a breaker", [](TSizesForm& f) { Pick(f.ComboDevice, "Circuit breaker"); }, "-",
         "IEC 60364-5-52: no answer: The device rating In must be above 0."},
        {"of 32 A", [](TSizesForm& f) { Type(f.EditDeviceRating, "32"); }, "34.2",
         "IEC 60364-5-52: 6 mm² — Iz 34.2 A ≥ In 32 A ≥ Ib 23.9 A, drop 3.1 % ≤ 5 %; 4 mm² fails "
         "the device check, Iz 26.7 A < In 32 A"},
        // XLPE: B.52.3 C 6 mm² 58 A · 0.96 · 0.79; 4 mm² 45 A gives 34.1 A, above In.
        {"XLPE", [](TSizesForm& f) { Pick(f.ComboInsulation, "XLPE"); }, "44",
         "IEC 60364-5-52: 4 mm² — Iz 34.1 A"},
        // E, perforated tray (its default), three circuits: B.52.12 two-core 6 mm² 63 A · 0.96 ·
        // 0.82; 4 mm² 49 A.
        {"method E", [](TSizesForm& f) { Pick(f.ComboMethod, "E "); }, "49.6",
         "IEC 60364-5-52: 4 mm² — Iz 38.6 A"},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.step);
        s.act(*form);
        EXPECT_EQ(Cell(*form, kSix, icIz), s.iz6);
        EXPECT_TRUE(form->IecVerdictText().startsWith(QString::fromUtf8(s.verdict)))
            << form->IecVerdictText().toStdString();
        EXPECT_TRUE(form->IecVerdictLabel->text().startsWith(form->IecVerdictText()));
    }
    // The example reads as the standard's whole answer and says how it stands to Ampwise's.
    Pick(form->ComboInsulation, "PVC");
    Pick(form->ComboMethod, "C ");
    EXPECT_EQ(form->IecVerdictText(),
              QString::fromUtf8("IEC 60364-5-52: 6 mm² — Iz 34.2 A ≥ In 32 A ≥ Ib 23.9 A, drop "
                                "3.1 % ≤ 5 %; 4 mm² fails the device check, Iz 26.7 A < In 32 A"));
    EXPECT_EQ(form->ComparisonText(),
              QString::fromUtf8("Ampwise's own size, 4 mm², is smaller than the standard allows "
                                "for this installation: use 6 mm² or larger."));
    EXPECT_EQ(form->IecVerdictLabel->text(),
              form->IecVerdictText() + "\n" + form->ComparisonText());
    // The present columns are as they were.
    EXPECT_EQ(form->SizesGrid->model()->data(form->SizesGrid->model()->index(6, 1)).toString(),
              "28.4");
    EXPECT_EQ(Cell(*form, 2, icTabulated), kNotRated);
}

TEST_F(SizesPanelTest, WhatAppliesFollowsTheMethodAndDevice) {
    auto form = Shown();
    const struct {
        const char* method;
        bool air;
        const char* arrangement; // the picker's choice after the change
        int arrangements;        // how many it offers
    } cases[] = {
        {"D1", false, "Ducts in the ground, touching", 1},
        {"A1", true, "Bunched", 5},
        {"D2", false, "Direct in the ground, touching", 1},
        {"C ", true, "Single layer on a wall", 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.method);
        Pick(form->ComboMethod, c.method);
        EXPECT_EQ(form->EditAirTemperature->isEnabled(), c.air);
        EXPECT_EQ(form->EditGroundTemperature->isEnabled(), !c.air);
        EXPECT_EQ(form->EditSoilResistivity->isEnabled(), !c.air);
        EXPECT_TRUE(form->ComboArrangement->currentText().startsWith(c.arrangement));
        EXPECT_EQ(form->ComboArrangement->count(), c.arrangements);
    }
    // A chosen arrangement that fits the next method stays.
    Pick(form->ComboArrangement, "Single layer on a ladder");
    Pick(form->ComboMethod, "E ");
    EXPECT_EQ(form->Installation().Arrangement, TArrangement::Ladder);
    EXPECT_FALSE(form->EditDeviceRating->isEnabled());
    Pick(form->ComboDevice, "gG fuse");
    EXPECT_TRUE(form->EditDeviceRating->isEnabled());
    EXPECT_EQ(form->Installation().Device, TDevice::FuseGG);
}

TEST_F(SizesPanelTest, EveryFieldIsReachedByItsMnemonicAndNamed) {
    auto form = Shown();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    std::set<QChar> keys;
    for (QToolButton* b : {form->ButtonCopy, form->ButtonCsv, form->ButtonPdf, form->ButtonPrint,
                           form->ButtonClose}) {
        const qsizetype at = b->text().indexOf('&');
        ASSERT_GE(at, 0);
        EXPECT_TRUE(keys.insert(b->text().at(at + 1).toUpper()).second) << b->text().toStdString();
    }
    int fields = 0;
    for (QLabel* label : form->InstallationBox->findChildren<QLabel*>()) {
        QWidget* field = label->buddy();
        if (!field)
            continue;
        ++fields;
        SCOPED_TRACE(label->text().toStdString());
        const qsizetype at = label->text().indexOf('&');
        ASSERT_GE(at, 0);
        const QChar key = label->text().at(at + 1).toUpper();
        EXPECT_TRUE(keys.insert(key).second) << "the key is taken";
        EXPECT_FALSE(field->accessibleName().isEmpty());
        // A field that does not apply is skipped by its key: make every one apply.
        Pick(form->ComboMethod,
             field == form->EditGroundTemperature || field == form->EditSoilResistivity ? "D1"
                                                                                        : "C ");
        Pick(form->ComboDevice, "Circuit breaker");
        form->SizesGrid->setFocus();
        QTest::keyClick(form.get(), Qt::Key(key.unicode()), Qt::AltModifier);
        EXPECT_EQ(QApplication::focusWidget(), field);
    }
    EXPECT_EQ(fields, 14);
}

TEST_F(SizesPanelTest, BadNumbersAreSaidAndNothingIsLost) {
    auto form = Shown();
    Type(form->EditAirTemperature, "35");
    const QString before = form->IecVerdictText();
    Type(form->EditAirTemperature, "35,5");
    EXPECT_EQ(form->EditAirTemperature->text(), "35,5");
    EXPECT_EQ(form->InstallationMessageText(),
              QString::fromUtf8("Ambient air temperature (°C): \"35,5\" is not a number; 35 is "
                                "used until it is corrected."));
    EXPECT_TRUE(form->InstallationMessage->isVisibleTo(form.get()));
    EXPECT_EQ(form->IecVerdictText(), before);
    Type(form->EditAirTemperature, "35.5");
    EXPECT_EQ(form->InstallationMessageText(), "");
    // A material the tables do not hold: the panel says so, and no size is given.
    form->ShowCalculation(Circuit("Gold"), {});
    EXPECT_EQ(form->InstallationMessageText(),
              "The standard's tables hold copper and aluminium only: there is no IEC answer for "
              "Gold.");
    EXPECT_TRUE(form->IecVerdictText().startsWith("IEC 60364-5-52: no answer"));
    EXPECT_EQ(Cell(*form, kSix, icIz), "-");
    form->ShowCalculation(Circuit("ALUMINIUM"), {});
    EXPECT_EQ(form->InstallationMessageText(), "");
}

TEST_F(SizesPanelTest, KeptAndReadBack) {
    std::vector<std::pair<std::string, std::string>> kept;
    {
        auto form = Shown();
        // Written a moment after the last change, in one commit, not once a field.
        test::CommitCounter commits(configDir().toStdString() + "/Brannoworks", "user.reg");
        Type(form->EditAllowedDrop, "4");
        Type(form->EditAllowedDrop, "3");
        EXPECT_EQ(commits.Take(), 0);
        int written = 0;
        EXPECT_TRUE(QTest::qWaitFor([&] { return (written += commits.Take()) > 0; }, 5000));
        EXPECT_EQ(written, 1);
        EXPECT_EQ(TRegistryIniFile(AppRegistryKey()).ReadText("SizesForm", "IecAllowedDrop", ""),
                  "3");
        // The rest goes as the window does.
        Pick(form->ComboInsulation, "XLPE");
        Pick(form->ComboMethod, "D1");
        Type(form->EditGroundTemperature, "25");
        Type(form->EditSoilResistivity, "1.5");
        form->SpinCircuits->setValue(4);
        Pick(form->ComboDevice, "gG fuse");
        Type(form->EditDeviceRating, "25");
        Type(form->EditPowerFactor, "0.9");
        Type(form->EditFaultCurrent, "3");
        Type(form->EditFaultTime, "0.4");
        kept = IecStoredFields(IecFieldsOf(form->Installation()));
    }
    TSizesForm form(kSizes);
    EXPECT_EQ(IecStoredFields(IecFieldsOf(form.Installation())), kept);
    EXPECT_EQ(kept[1].second, "D1");
    EXPECT_EQ(kept[10].second, "0.9");
    EXPECT_EQ(form.EditFaultTime->text(), "0.4");
    EXPECT_EQ(form.ComboDevice->currentText(), "gG fuse");
}

// Values of another kind than the panel writes, and huge ones, in the real store: the defaults.
// (Which texts each field takes is the text library's test.)
TEST_F(SizesPanelTest, StoredValuesOfAnyKindAreReadWithoutHarm) {
    {
        TRegistryIniFile reg(AppRegistryKey());
        reg.WriteInt("SizesForm", "IecMethod", 3);
        reg.WriteReal("SizesForm", "IecAllowedDrop", 2.5);
        reg.WriteText("SizesForm", "IecAirTemperature", std::string(200000, '7'));
        reg.WriteText("SizesForm", "IecCircuits", "");
    }
    TSizesForm form(kSizes);
    form.ShowCalculation(Circuit(), {});
    form.show();
    EXPECT_TRUE(form.ComboMethod->currentText().startsWith("C "));
    EXPECT_EQ(form.EditAllowedDrop->text(), "5");
    EXPECT_EQ(form.EditAirTemperature->text(), "30");
    EXPECT_EQ(form.SpinCircuits->value(), 1);
    EXPECT_TRUE(form.IecVerdictText().startsWith("IEC 60364-5-52: 4 mm²"));
}

TEST_F(SizesPanelTest, SetInstallationSetsThePanelAndIsKept) {
    TIecInputs in;
    in.Method = TMethod::B2;
    in.AirTemperature = 40;
    in.Circuits = 2;
    in.Device = TDevice::CircuitBreaker;
    in.DeviceRating = 25;
    in.PowerFactor = 0; // the load's
    in.FaultCurrent = 6;
    in.FaultTime = 0.1;
    {
        TSizesForm form(kSizes);
        form.ShowCalculation(Circuit(), {});
        form.show();
        form.hide();
        form.SetInstallation(in);
        EXPECT_TRUE(form.ComboMethod->currentText().startsWith("B2 — "));
        EXPECT_EQ(form.EditAirTemperature->text(), "40");
        EXPECT_EQ(form.EditPowerFactor->text(), "");
        form.show();
        // Hidden when set: worked out when shown. B.52.2 B2 6 mm² 38 A · 0.87 · 0.80.
        EXPECT_EQ(Cell(form, kSix, icIz), "26.4");
        EXPECT_EQ(Cell(form, kSix, icShortCircuit), "fails");
    }
    TSizesForm again(kSizes);
    EXPECT_EQ(again.Installation().Method, TMethod::B2);
    EXPECT_EQ(again.Installation().DeviceRating, 25);
    EXPECT_EQ(again.Installation().FaultCurrent, 6);
    EXPECT_EQ(again.Installation().PowerFactor, 0);
}

TEST_F(SizesPanelTest, IzCurveAndReadableMessageInTheDark) {
    auto form = Shown();
    QLineSeries* iz = nullptr;
    for (QAbstractSeries* s : form->Chart()->series())
        if (s->name() == "Iz")
            iz = qobject_cast<QLineSeries*>(s);
    ASSERT_NE(iz, nullptr);
    // Copper PVC two loaded in C: rated from 1.5 to 300 mm², 16 sizes of the list.
    EXPECT_EQ(iz->count(), 16);
    EXPECT_EQ(iz->at(0), QPointF(1.5, 19.5));
    Type(form->EditAirTemperature, "61"); // too hot: no Iz at all
    EXPECT_EQ(iz->count(), 0);

    form->setPalette(test::DarkPalette());
    Type(form->EditAllowedDrop, "five");
    const QPalette p = form->InstallationMessage->palette();
    EXPECT_GE(ContrastRatio(p.color(QPalette::WindowText), p.color(QPalette::Window)), 4.5);
}

// The help page's section on the standard's answer names each field of the panel, each method and
// each new column.
TEST_F(SizesPanelTest, HelpNamesEveryFieldMethodAndColumn) {
    QFile file(AMPWISE_SOURCE_HELP);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString page = QString::fromUtf8(file.readAll());
    const qsizetype from = page.indexOf("<h2>Sizing to the installation standard</h2>");
    ASSERT_GE(from, 0);
    const QString section = page.mid(from, page.indexOf("<h2>", from + 4) - from);
    TSizesForm form(kSizes);
    QStringList names;
    for (QLabel* label : form.InstallationBox->findChildren<QLabel*>())
        if (label->buddy()) {
            QString name = label->text().remove('&').remove(':');
            names << name.left(name.indexOf(" (")).trimmed();
        }
    EXPECT_EQ(names.size(), 14);
    for (TMethod m : kMethods)
        names << MethodName(m);
    for (int c = 0; c < IecColumnCount; ++c)
        names << QString::fromStdString(IecHeader(c));
    for (const QString& name : names)
        EXPECT_TRUE(section.contains("<td>" + name + "</td>")) << name.toStdString();
}

} // namespace
} // namespace qv
