// The installation standard's answer beside the engine's: the verdict and comparison for known
// circuits, the cells of sizes the tables do not rate, the panel's fields typed badly, stored
// and read back (hostile texts among them), and the exports' new columns after the present ones.
#include "sizesiec/QvSizesIec.h"

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

// Read as the schedule reads it, so a data file's material gets the same answer in both.
TEST(SizesIec, MaterialByNameInAnyCase) {
    EXPECT_EQ(IecMaterial("COPPER"), TMaterial::Copper);
    EXPECT_EQ(IecMaterial(" Copper "), TMaterial::Copper);
    EXPECT_EQ(IecMaterial("aLuMiNiUm"), TMaterial::Aluminium);
    EXPECT_EQ(IecMaterial("Aluminum"), TMaterial::Aluminium);
    for (const char* other : {"", "Silver", "Copper-nickel", "Copper clad aluminium"})
        EXPECT_FALSE(IecMaterial(other)) << other;
}

// The power factor left to the load is the one the line current assumed.
TEST(SizesIec, CircuitInputs) {
    TSizesCircuit motor{"aluminium", 35, 1, 1, 5.5, 12, 5.5, 11};
    const std::vector<MotorRatingRec> rows = {{4, 0.83, 86.6}, {5.5, 0.84, 87.7}};
    const struct {
        const char* why;
        std::uint8_t loadType;
        std::vector<MotorRatingRec> ratings;
        double typed, powerFactor;
    } cases[] = {
        {"typed", 1, rows, 0.9, 0.9},
        {"the motor row the current used", 1, rows, 0, 0.84},
        {"not a number is blank", 1, rows, std::nan(""), 0.84},
        {"no motor rows: the built-in data", 1, {}, 0, 0.7},
        {"a resistive load", 0, rows, 0, 1},
    };
    const std::vector<MotorRatingRec> kept = MotorRatings;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        MotorRatings = c.ratings;
        motor.LoadType = c.loadType;
        TIecInputs installation;
        installation.PowerFactor = c.typed;
        const TIecInputs in = IecCircuitInputs(motor, installation);
        EXPECT_EQ(in.Material, TMaterial::Aluminium);
        EXPECT_EQ(in.LoadedConductors, 3);
        EXPECT_EQ(in.DesignCurrent, 11);
        EXPECT_EQ(in.Length, 12);
        EXPECT_EQ(in.PowerFactor, c.powerFactor);
    }
    MotorRatings = kept;
    motor.Phase = 0;
    EXPECT_EQ(IecCircuitInputs(motor, {}).LoadedConductors, 2);
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
    // Aluminium in conduit, two loaded: the standard lists 10 mm², but the library holds no
    // agreed current for it, which is not the same as a size the table leaves out.
    TIecInputs conduit = Example();
    conduit.Method = TMethod::A1;
    const TSizesView aluminium = View(40, "Aluminium");
    const TIecView al = MakeIecView(aluminium, conduit);
    EXPECT_EQ(IecCell(al, RowOfArea(aluminium, 10), icTabulated), kUnconfirmed);
    EXPECT_EQ(IecFits(al, RowOfArea(aluminium, 10)), kUnconfirmed);
    EXPECT_EQ(IecCell(al, RowOfArea(aluminium, 0.75), icIz), kNotRated);
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
        {" 45 ", 45, false}, {"", 30, false},   {"-5", -5, false},   {"1,5", 35, true},
        {"35 °C", 35, true}, {"nan", 35, true}, {"1e400", 35, true}, {"0x20", 35, true},
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

// What the store holds may be anything: each field takes only what the panel writes.
TEST(SizesIec, HostileStoredValues) {
    const std::string huge(100000, '9');
    const struct {
        const char* key;
        std::string text;
        const char* field; // the field read back, as it is stored again
        const char* holds;
    } cases[] = {
        {"IecInsulation", "xlpe", "IecInsulation", "PVC"},
        {"IecInsulation", "XLPE", "IecInsulation", "XLPE"},
        {"IecMethod", huge, "IecMethod", "C"},
        {"IecMethod", "D2", "IecArrangement", "DirectTouching"},
        {"IecArrangement", "DuctsTouching", "IecArrangement", "SingleLayerWall"},
        {"IecDevice", "Fuse", "IecDevice", "None"},
        {"IecAirTemperature", "", "IecAirTemperature", "30"},
        {"IecAirTemperature", huge, "IecAirTemperature", "30"},
        {"IecAirTemperature", " 41 ", "IecAirTemperature", "41"},
        {"IecSoilResistivity", "1e999", "IecSoilResistivity", "2.5"},
        {"IecAllowedDrop",
         std::string("4\0"
                     "5",
                     3),
         "IecAllowedDrop", "5"},
        {"IecFaultCurrent", "10", "IecFaultCurrent", "10"},
        {"IecPowerFactor", "cos", "IecPowerFactor", ""},
        {"IecCircuits", "0", "IecCircuits", "1"},
        {"IecCircuits", "2.5", "IecCircuits", "1"},
        {"IecCircuits", "99999999999", "IecCircuits", "1"},
        {"IecCircuits", "21", "IecCircuits", "21"},
        {"IecCircuits", "100", "IecCircuits", "1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " = " + c.text.substr(0, 20));
        const TIecFields f = IecFieldsFromStored([&](const std::string& key) {
            return key == c.key ? std::optional<std::string>(c.text) : std::nullopt;
        });
        for (const auto& [key, value] : IecStoredFields(f)) {
            if (key == c.field) {
                EXPECT_EQ(value, c.holds);
            }
        }
    }
    // Nothing stored: the defaults.
    const TIecFields none =
        IecFieldsFromStored([](const std::string&) { return std::optional<std::string>(); });
    EXPECT_EQ(IecStoredFields(none), IecStoredFields(TIecFields{}));
}

TEST(SizesIec, ExportsKeepThePresentColumnsFirst) {
    const TSizesView view = View(40);
    const TIecView iec = MakeIecView(view, Example());
    const std::string tab = IecTabText(view, iec);
    const std::string present = SizesTabText(view);
    // Each line of the present text starts a line of the new one, in order.
    std::size_t at = 0;
    for (std::size_t from = 0, end; (end = present.find('\n', from)) != std::string::npos;
         from = end + 1) {
        EXPECT_EQ(tab.substr(at, end - from), present.substr(from, end - from));
        at = tab.find('\n', at) + 1;
    }
    EXPECT_EQ(tab.substr(0, tab.find('\n')),
              present.substr(0, present.find('\n')) +
                  "\tIt (A)\tIz (A)\tDrop (%)\tShort circuit\tIEC fits");
    for (const std::string& line : std::vector<std::string>{
             "\t46\t34.2\t3.12\t-\tchosen", "Ambient air temperature\t35 °C",
             "Circuits grouped\t3, single layer on a wall, floor or unperforated tray",
             "Protective device\tCircuit breaker, In 32 A", "Power factor\t1 (the load's)",
             iec.Verdict + "\n" + iec.Comparison})
        EXPECT_NE(tab.find(line + "\n"), std::string::npos) << line;

    const std::vector<std::vector<std::string>> rows = ReadCsvRows(IecCsv(view, iec));
    const std::vector<std::vector<std::string>> old = ReadCsvRows(SizesCsv(view));
    ASSERT_EQ(rows.size(), old.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        ASSERT_EQ(rows[r].size(), old[r].size() + 20);
        EXPECT_TRUE(std::equal(old[r].begin(), old[r].end(), rows[r].begin()));
    }
    // It, Iz unrounded, fits; air and ground temperature; device, rating and voltage.
    const std::vector<std::string>& six = rows[RowOfArea(view, 6) + 1];
    const std::size_t n = old[0].size();
    EXPECT_EQ(six[n], "46");
    EXPECT_DOUBLE_EQ(std::stod(six[n + 1]), 46 * 0.94 * 0.79);
    EXPECT_EQ(std::vector<std::string>(six.begin() + n + 5, six.begin() + n + 16),
              (std::vector<std::string>{"chosen", "PVC 70 °C", "C", "35", "", "", "3",
                                        "Single layer on a wall, floor or unperforated tray",
                                        "Circuit breaker", "32", "230"}));
    EXPECT_EQ(rows[RowOfArea(view, 0.75) + 1][n], kNotRated);
}

} // namespace
} // namespace qv
