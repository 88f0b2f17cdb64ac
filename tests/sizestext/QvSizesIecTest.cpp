// The installation standard's answer beside the engine's: the verdict and comparison for known
// circuits, the cells of sizes the tables do not rate, the panel's fields typed badly, stored
// and read back (hostile texts among them), and the exports' new columns after the present ones.
#include "sizestext/QvSizesIec.h"

#include "text/QvCsv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

namespace qv {
namespace {

using namespace iec;

const std::vector<double> kSizes = {0.4, 0.5, 0.75, 1,   1.5, 2.5, 4,   6,   10,  16,  25, 35,
                                    50,  70,  95,   120, 150, 185, 240, 300, 400, 500, 625};

// Copper, 5.5 kW resistive single phase (23.9 A) within 5.5 V: Ampwise's own size is 4 mm² over
// 20 m and 40 m.
TSizesView View(double length, const std::string& material = "Copper", double volts = 5.5) {
    TSizesCircuit c;
    c.Material = material;
    c.Conductivity = 56;
    c.Power = 5.5;
    c.Length = length;
    c.MaxVoltDrop = volts;
    c.Current = LineCurrent(0, 0, 5.5, {});
    return MakeSizesView(TSizeTable(kSizes), c, {});
}

// Method C, PVC, 35 °C, three circuits in a single layer, a 32 A breaker.
TIecInputs Example() {
    TIecInputs in;
    in.Method = TMethod::C;
    in.AirTemperature = 35;
    in.Circuits = 3;
    in.Device = TDevice::CircuitBreaker;
    in.DeviceRating = 32;
    in.PowerFactor = 0;
    return in;
}

std::vector<std::vector<std::string>> ReadCsvRows(const std::string& csv) {
    std::vector<std::vector<std::string>> rows;
    TCsvReader reader(TextSource(csv));
    std::vector<std::string_view> fields;
    while (reader.Next(fields))
        rows.emplace_back(fields.begin(), fields.end());
    return rows;
}

std::size_t RowOfArea(const TSizesView& view, double area) {
    for (std::size_t i = 0; i < view.Rows.size(); ++i)
        if (view.Rows[i].Area == area)
            return i;
    return view.Rows.size();
}

TEST(SizesIec, VerdictAndComparison) {
    TIecInputs plain;
    plain.PowerFactor = 0;
    TIecInputs tinyDrop = plain;
    tinyDrop.AllowedDrop = 100;
    TIecInputs hot = plain;
    hot.AirTemperature = 61; // past the PVC table's last row
    const struct {
        const char* why;
        TSizesView view;
        TIecInputs installation;
        const char* verdict;
        const char* comparison;
    } cases[] = {
        // B.52.2 C 6 mm² 46 A · 0.94 (35 °C) · 0.79 (3 circuits, single layer) = 34.2 A; 4 mm²
        // 36 A gives 26.7 A, under the breaker's 32 A. Drop 2 · 0.0225 · 40 · 23.9 / 6 / 230.
        {"the example", View(40), Example(),
         "IEC 60364-5-52: 6 mm² — Iz 34.2 A ≥ In 32 A ≥ Ib 23.9 A, drop 3.1 % ≤ 5 %; 4 mm² fails "
         "the device check, Iz 26.7 A < In 32 A",
         "Ampwise's own size, 4 mm², is smaller than the standard allows for this installation: "
         "use 6 mm² or larger."},
        // 4 mm²: 36 A, drop 2 · 0.0225 · 40 · 23.9 / 4 = 10.8 V, 4.7 %; 2.5 mm² drops 7.5 %.
        {"both 4 mm²", View(40), plain, nullptr, "Both answers agree: 4 mm²."},
        // Over 20 m 2.5 mm² (27 A) drops 3.7 %; Ampwise's formula gives it 21.3 A.
        {"the standard's smaller", View(20), plain, nullptr,
         "Ampwise's own size, 4 mm², is larger than the standard needs (2.5 mm²)."},
        // Within 0.01 V no size of Ampwise's fits; the standard's 100 % drop lets 2.5 mm² carry.
        {"Ampwise none", View(40, "Copper", 0.01), tinyDrop, nullptr,
         "Ampwise finds no size; the standard allows 2.5 mm²."},
        {"too hot", View(40), hot,
         "IEC 60364-5-52: the cable may not be used at an air temperature of 61 °C: the PVC table "
         "stops at 60 °C.",
         "Ampwise's own size is 4 mm²; the standard allows no size of the list for this "
         "installation."},
        {"a material the tables do not hold", View(40, "Silver"), plain,
         "IEC 60364-5-52: no answer: the standard's tables hold copper and aluminium only, not "
         "\"Silver\".",
         "Ampwise's own size is 4 mm²; the standard allows no size of the list for this "
         "installation."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        const TIecView iec = MakeIecView(c.view, c.installation);
        if (c.verdict) {
            EXPECT_EQ(iec.Verdict, c.verdict);
        }
        EXPECT_EQ(iec.Comparison, c.comparison);
    }
}

TEST(SizesIec, MaterialByNameInAnyCase) {
    const struct {
        const char* name;
        std::optional<TMaterial> material;
    } cases[] = {
        {"copper", TMaterial::Copper},       {"COPPER", TMaterial::Copper},
        {"Aluminium", TMaterial::Aluminium}, {"aLuMiNiUm", TMaterial::Aluminium},
        {"Aluminum", std::nullopt},          {"", std::nullopt},
        {"Copper ", std::nullopt},           {"Silver", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IecMaterial(c.name), c.material);
    }
}

TEST(SizesIec, CircuitInputs) {
    TSizesCircuit motor;
    motor.Material = "aluminium";
    motor.LoadType = 1;
    motor.Phase = 1;
    motor.Power = 5.5;
    motor.Length = 12;
    motor.Current = 11;
    TSizesCircuit heater = motor;
    heater.LoadType = 0;
    TIecInputs typed;
    typed.PowerFactor = 0.9;
    TIecInputs load;
    load.PowerFactor = 0;
    TIecInputs notANumber;
    notANumber.PowerFactor = std::nan("");
    const std::vector<MotorRatingRec> rows = {
        {4, 0.83, 86.6}, {5.5, 0.84, 87.7}, {7.5, 0.85, 88.7}};
    const struct {
        const char* why;
        TSizesCircuit circuit;
        std::vector<MotorRatingRec> ratings;
        TIecInputs installation;
        double powerFactor;
    } cases[] = {
        {"typed", motor, rows, typed, 0.9},
        {"the motor row the current used", motor, rows, load, 0.84},
        {"left blank as not a number", motor, rows, notANumber, 0.84},
        {"no motor rows: the built-in data", motor, {}, load, 0.7},
        {"a resistive load", heater, rows, load, 1},
    };
    const std::vector<MotorRatingRec> kept = MotorRatings;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        MotorRatings = c.ratings;
        const TIecInputs in = IecCircuitInputs(c.circuit, c.installation);
        EXPECT_EQ(in.Material, TMaterial::Aluminium);
        EXPECT_EQ(in.LoadedConductors, 3);
        EXPECT_EQ(in.DesignCurrent, 11);
        EXPECT_EQ(in.Length, 12);
        EXPECT_EQ(in.PowerFactor, c.powerFactor);
    }
    MotorRatings = kept;
    motor.Phase = 0;
    EXPECT_EQ(IecCircuitInputs(motor, typed).LoadedConductors, 2);
}

TEST(SizesIec, CellsOfSizesTheTablesDoNotRate) {
    const TSizesView view = View(40);
    TIecInputs in = Example();
    in.FaultCurrent = 6;
    in.FaultTime = 0.1;
    const TIecView iec = MakeIecView(view, in);
    // Withstand area 6000 · √0.1 / 115 = 16.5 mm².
    const struct {
        double area;
        const char* it;
        const char* iz;
        const char* shortCircuit;
        const char* fits;
    } cases[] = {
        {0.75, kNotRated, kNotRated, "fails", kNotRated},
        {1.5, "19.5", "14.5", "fails", "no"},
        {6, "46", "34.2", "fails", "no"},
        {10, "63", "46.8", "fails", "no"},
        {16, "85", "63.1", "fails", "no"},
        {25, "112", "83.2", "withstands", "chosen"},
        {35, "138", "102", "withstands", "yes"},
        {625, kNotRated, kNotRated, "withstands", kNotRated},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.area);
        const std::size_t row = RowOfArea(view, c.area);
        EXPECT_EQ(IecCell(iec, row, icTabulated), c.it);
        EXPECT_EQ(IecCell(iec, row, icIz), c.iz);
        EXPECT_EQ(IecCell(iec, row, icShortCircuit), c.shortCircuit);
        EXPECT_EQ(IecFits(iec, row), c.fits);
    }
    // Without the factors (too hot) no size passes, and no Iz or drop is given.
    TIecInputs hot = in;
    hot.AirTemperature = 70;
    const TIecView refused = MakeIecView(view, hot);
    const std::size_t six = RowOfArea(view, 6);
    EXPECT_EQ(IecCell(refused, six, icTabulated), "46");
    EXPECT_EQ(IecCell(refused, six, icIz), "-");
    EXPECT_EQ(IecCell(refused, six, icDrop), "-");
    EXPECT_EQ(IecFits(refused, six), "no");
}

TEST(SizesIec, SizesOutOfOrderOrNotAboveZero) {
    // The data file's list as given, unsorted and with a 0: each row still finds its figures.
    TSizesCircuit c;
    c.Material = "Copper";
    c.Conductivity = 56;
    c.Length = 40;
    c.MaxVoltDrop = 5.5;
    c.Current = LineCurrent(0, 0, 5.5, {});
    const TSizesView view = MakeSizesView(TSizeTable({10, 0, 4, 6, 4}), c, {});
    TIecInputs in;
    in.PowerFactor = 0;
    const TIecView iec = MakeIecView(view, in);
    ASSERT_TRUE(iec.Answer);
    EXPECT_EQ(IecCell(iec, 0, icTabulated), "63");
    EXPECT_EQ(IecCell(iec, 1, icTabulated), "-");
    EXPECT_EQ(IecFits(iec, 2), "chosen");
    EXPECT_EQ(IecFits(iec, 4), "chosen");
    EXPECT_EQ(IecCell(iec, 3, icTabulated), "46");
}

TEST(SizesIec, TypedNumbers) {
    TIecInputs previous;
    previous.AirTemperature = 35;
    previous.DeviceRating = 0;
    previous.FaultCurrent = 6;
    const struct {
        const char* text;
        double air; // the air temperature taken
        bool error; // said to be no number
    } cases[] = {
        {"40", 40, false},   {" 45 ", 45, false}, {"", 30, false},     {"-5", -5, false},
        {"1e2", 100, false}, {"abc", 35, true},   {"1,5", 35, true},   {"35 °C", 35, true},
        {"nan", 35, true},   {"inf", 35, true},   {"1e400", 35, true}, {"0x20", 35, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        TIecFields f = IecFieldsOf(previous);
        f.AirTemperature = c.text;
        const TIecParsed parsed = ParseIecFields(f, previous);
        EXPECT_EQ(parsed.Inputs.AirTemperature, c.air);
        ASSERT_EQ(parsed.Errors.size(), c.error ? 1U : 0U);
        if (c.error) {
            EXPECT_EQ(parsed.Errors[0], "Ambient air temperature (°C): \"" + std::string(c.text) +
                                            "\" is not a number; 35 is used until it is "
                                            "corrected.");
        }
    }
    // The fault current keeps its value on bad text, goes with a blank one; a bad rating where
    // none was held says the field stays blank.
    TIecFields f = IecFieldsOf(previous);
    f.FaultCurrent = "six";
    f.DeviceRating = "3O";
    TIecParsed parsed = ParseIecFields(f, previous);
    EXPECT_EQ(parsed.Inputs.FaultCurrent, 6);
    ASSERT_EQ(parsed.Errors.size(), 2U);
    EXPECT_EQ(parsed.Errors[0], "Rating In (A): \"3O\" is not a number; blank is used until it is "
                                "corrected.");
    f.FaultCurrent = " ";
    EXPECT_FALSE(ParseIecFields(f, previous).Inputs.FaultCurrent);
    // A blank power factor is the load's.
    f.PowerFactor = "";
    EXPECT_EQ(ParseIecFields(f, previous).Inputs.PowerFactor, 0);
}

TEST(SizesIec, ArrangementFollowsTheMethod) {
    const struct {
        TMethod from, to;
        TArrangement arrangement, after;
    } cases[] = {
        // Left at the default: the new method's default.
        {TMethod::C, TMethod::E, TArrangement::SingleLayerWall, TArrangement::PerforatedTray},
        {TMethod::E, TMethod::D1, TArrangement::PerforatedTray, TArrangement::DuctsTouching},
        // Chosen, and it fits: kept.
        {TMethod::C, TMethod::E, TArrangement::Ladder, TArrangement::Ladder},
        {TMethod::E, TMethod::A1, TArrangement::SingleLayerCeiling,
         TArrangement::SingleLayerCeiling},
        // Chosen, and it does not fit: the default.
        {TMethod::E, TMethod::D2, TArrangement::Ladder, TArrangement::DirectTouching},
        {TMethod::D1, TMethod::D2, TArrangement::DirectTouching, TArrangement::DirectTouching},
        {TMethod::D2, TMethod::B1, TArrangement::DuctsTouching, TArrangement::Bunched},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(MethodName(c.from)) + " to " + MethodName(c.to));
        EXPECT_EQ(ArrangementAfter(c.from, c.to, c.arrangement), c.after);
    }
    for (TMethod m : kMethods) {
        const std::vector<TArrangement> offered = Arrangements(m);
        EXPECT_EQ(offered.front(), DefaultArrangement(m));
        for (TArrangement a : offered)
            EXPECT_TRUE(ArrangementFits(m, a));
    }
}

TEST(SizesIec, StoredAndReadBack) {
    TIecInputs in = Example();
    in.Insulation = TInsulation::XLPE;
    in.Method = TMethod::E;
    in.Arrangement = TArrangement::Ladder;
    in.Device = TDevice::FuseGG;
    in.DeviceRating = 25;
    in.NominalVoltage = 240;
    in.PowerFactor = 0.85;
    in.AllowedDrop = 3;
    in.FaultCurrent = 4.5;
    in.FaultTime = 0.4;
    const auto stored = IecStoredFields(IecFieldsOf(in));
    const TIecFields back = IecFieldsFromStored([&](const std::string& key) {
        for (const auto& [k, v] : stored)
            if (k == key)
                return std::optional<std::string>(v);
        return std::optional<std::string>();
    });
    const TIecInputs read = ParseIecFields(back, TIecInputs{}).Inputs;
    EXPECT_EQ(read.Insulation, in.Insulation);
    EXPECT_EQ(read.Method, in.Method);
    EXPECT_EQ(read.AirTemperature, in.AirTemperature);
    EXPECT_EQ(read.Circuits, in.Circuits);
    EXPECT_EQ(read.Arrangement, in.Arrangement);
    EXPECT_EQ(read.Device, in.Device);
    EXPECT_EQ(read.DeviceRating, in.DeviceRating);
    EXPECT_EQ(read.NominalVoltage, in.NominalVoltage);
    EXPECT_EQ(read.PowerFactor, in.PowerFactor);
    EXPECT_EQ(read.AllowedDrop, in.AllowedDrop);
    EXPECT_EQ(read.FaultCurrent, in.FaultCurrent);
    EXPECT_EQ(read.FaultTime, in.FaultTime);
}

TEST(SizesIec, HostileStoredValues) {
    const std::string huge(100000, '9');
    const TIecFields defaults;
    const struct {
        const char* key;
        std::string text;
        // What the field holds after reading, as the stored text would give it.
        std::function<bool(const TIecFields&)> holds;
    } cases[] = {
        {"IecInsulation", "", [](const TIecFields& f) { return f.Insulation == TInsulation::PVC; }},
        {"IecInsulation", "xlpe",
         [](const TIecFields& f) { return f.Insulation == TInsulation::PVC; }},
        {"IecInsulation", "XLPE",
         [](const TIecFields& f) { return f.Insulation == TInsulation::XLPE; }},
        {"IecMethod", "F", [](const TIecFields& f) { return f.Method == TMethod::C; }},
        {"IecMethod", huge, [](const TIecFields& f) { return f.Method == TMethod::C; }},
        {"IecMethod", "D2",
         [](const TIecFields& f) {
             return f.Method == TMethod::D2 && f.Arrangement == TArrangement::DirectTouching;
         }},
        {"IecArrangement", "DuctsTouching",
         [](const TIecFields& f) { return f.Arrangement == TArrangement::SingleLayerWall; }},
        {"IecArrangement", "7",
         [](const TIecFields& f) { return f.Arrangement == TArrangement::SingleLayerWall; }},
        {"IecDevice", "Fuse", [](const TIecFields& f) { return f.Device == TDevice::None; }},
        {"IecAirTemperature", "", [](const TIecFields& f) { return f.AirTemperature == "30"; }},
        {"IecAirTemperature", huge, [](const TIecFields& f) { return f.AirTemperature == "30"; }},
        {"IecAirTemperature", "warm", [](const TIecFields& f) { return f.AirTemperature == "30"; }},
        {"IecAirTemperature", " 41 ", [](const TIecFields& f) { return f.AirTemperature == "41"; }},
        {"IecSoilResistivity", "1e999",
         [](const TIecFields& f) { return f.SoilResistivity == "2.5"; }},
        {"IecAllowedDrop",
         std::string("4\0"
                     "5",
                     3),
         [](const TIecFields& f) { return f.AllowedDrop == "5"; }},
        {"IecFaultCurrent", "", [](const TIecFields& f) { return f.FaultCurrent.empty(); }},
        {"IecFaultCurrent", "10", [](const TIecFields& f) { return f.FaultCurrent == "10"; }},
        {"IecPowerFactor", "cos", [](const TIecFields& f) { return f.PowerFactor.empty(); }},
        {"IecCircuits", "0", [](const TIecFields& f) { return f.Circuits == 1; }},
        {"IecCircuits", "-3", [](const TIecFields& f) { return f.Circuits == 1; }},
        {"IecCircuits", "2.5", [](const TIecFields& f) { return f.Circuits == 1; }},
        {"IecCircuits", "99999999999", [](const TIecFields& f) { return f.Circuits == 1; }},
        {"IecCircuits", huge, [](const TIecFields& f) { return f.Circuits == 1; }},
        {"IecCircuits", "21", [](const TIecFields& f) { return f.Circuits == 21; }},
        {"IecCircuits", "100", [](const TIecFields& f) { return f.Circuits == 1; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " = " + c.text.substr(0, 20));
        const TIecFields f = IecFieldsFromStored([&](const std::string& key) {
            return key == c.key ? std::optional<std::string>(c.text) : std::nullopt;
        });
        EXPECT_TRUE(c.holds(f));
    }
    // Nothing stored: the defaults.
    const TIecFields none =
        IecFieldsFromStored([](const std::string&) { return std::optional<std::string>(); });
    EXPECT_EQ(IecStoredFields(none), IecStoredFields(defaults));
}

TEST(SizesIec, ExportsKeepThePresentColumnsFirst) {
    const TSizesView view = View(40);
    const TIecView iec = MakeIecView(view, Example());
    const std::string tab = IecTabText(view, iec);
    const std::string present = SizesTabText(view);
    // Each line of the present text starts a line of the new one, the table's rows in order.
    std::size_t at = 0, from = 0;
    for (std::size_t end; (end = present.find('\n', from)) != std::string::npos; from = end + 1) {
        const std::string line = present.substr(from, end - from);
        const std::size_t next = tab.find('\n', at);
        ASSERT_NE(next, std::string::npos);
        EXPECT_EQ(tab.substr(at, line.size()), line);
        at = next + 1;
    }
    EXPECT_EQ(tab.substr(0, tab.find('\n')), present.substr(0, present.find('\n')) +
                                                 "\tIt (A)\tIz (A)\tDrop (%)\tShort circuit\tIEC "
                                                 "fits");
    const std::size_t six = RowOfArea(view, 6);
    EXPECT_NE(tab.find("\t46\t34.2\t3.12\t-\tchosen\n"), std::string::npos) << six;
    EXPECT_NE(tab.find("\nAmbient air temperature\t35 °C\n"), std::string::npos);
    EXPECT_NE(tab.find("\nCircuits grouped\t3, single layer on a wall, floor or unperforated "
                       "tray\n"),
              std::string::npos);
    EXPECT_NE(tab.find("\nProtective device\tCircuit breaker, In 32 A\n"), std::string::npos);
    EXPECT_NE(tab.find("\nPower factor\t1 (the load's)\n"), std::string::npos);
    EXPECT_NE(tab.find("\n" + iec.Verdict + "\n" + iec.Comparison + "\n"), std::string::npos);

    const std::string csv = IecCsv(view, iec);
    const std::vector<std::vector<std::string>> rows = ReadCsvRows(csv);
    const std::vector<std::vector<std::string>> old = ReadCsvRows(SizesCsv(view));
    ASSERT_EQ(rows.size(), old.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        ASSERT_EQ(rows[r].size(), old[r].size() + 20);
        EXPECT_TRUE(std::equal(old[r].begin(), old[r].end(), rows[r].begin()));
    }
    const std::vector<std::string>& chosen = rows[six + 1];
    const std::size_t n = old[0].size();
    EXPECT_EQ(chosen[n], "46");
    EXPECT_DOUBLE_EQ(std::stod(chosen[n + 1]), 46 * 0.94 * 0.79);
    EXPECT_EQ(chosen[n + 5], "chosen");
    EXPECT_EQ(chosen[n + 8], "35");
    EXPECT_EQ(chosen[n + 9], "");
    EXPECT_EQ(chosen[n + 13], "Circuit breaker");
    EXPECT_EQ(chosen[n + 14], "32");
    EXPECT_EQ(chosen[n + 15], "230");
    EXPECT_EQ(rows[RowOfArea(view, 0.75) + 1][n], kNotRated);
}

} // namespace
} // namespace qv
