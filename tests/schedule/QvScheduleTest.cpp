// The schedule: header matching, numbers with units, every status of a row, the CSV and JSON
// lines written, and rows sized from their text agreeing with the engine bit for bit.
#include "schedule/QvSchedule.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace qv {
namespace {

TElecData TestData() {
    TElecData d;
    d.Sizes = {0.4, 0.5, 0.75, 1, 1.5, 2.5, 4, 6, 10, 16, 25, 35, 50, 70, 95, 120, 150, 185, 240};
    d.Ratings = {{0.37, 0.70, 72.7}, {1.1, 0.78, 81.4}, {5.5, 0.84, 87.7}, {110, 0.88, 94.5}};
    d.Materials = {{"Copper", 56}, {"Aluminium", 35}};
    return d;
}

TEST(ScheduleHeader, ColumnsMatchedLooselyAndInAnyOrder) {
    const TScheduleLayout l = MatchHeader(
        {"LENGTH", "note", "load_type", "Phase", "max-volt drop", "POWER", "material", "Status"});
    EXPECT_EQ(l.Position(TColumn::Length), 0);
    EXPECT_EQ(l.Position(TColumn::LoadType), 2);
    EXPECT_EQ(l.Position(TColumn::MaxVoltDrop), 4);
    EXPECT_EQ(l.Position(TColumn::Material), 6);
    EXPECT_EQ(l.Position(TColumn::Circuit), -1);
    // A result column of an earlier run is worked out afresh, so it is not kept.
    EXPECT_EQ(l.Kept, (std::vector<std::size_t>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(ColumnOf("Size (mm2)"), TColumn::Size);
    EXPECT_EQ(ColumnOf("Current"), TColumn::Other);
}

TEST(ScheduleHeader, Unusable) {
    struct Case {
        std::vector<std::string> header;
        const char* message;
    } cases[] = {
        {{"Circuit", "Material", "Phase", "Length"},
         "the header lacks the column(s) Load Type, Power; it needs Material, Load Type, Phase, "
         "Power and Length"},
        {{"Material", "LoadType", "Phase", "Power", "Length", "load type"},
         "the header names the column \"Load Type\" twice (fields 2 and 6)"},
        {{"Material", "Load Type", "Phase", "Power (kVA)", "Length"},
         "the header gives the column \"Power (kVA)\" the unit \"kVA\", which is not a unit of "
         "Power (known: kW, W, HP)"},
        {{"Material", "Load Type", "Phase", "Power", "Length [V]"},
         "the header gives the column \"Length [V]\" the unit \"V\", which is not a unit of "
         "Length (known: m, cm, mm, inch, ft)"},
        {{"Material", "Load Type", "Phase", "Power", "Length", "Max Volt Drop (%)"},
         "the header gives the column \"Max Volt Drop (%)\" the unit \"%\", which is not a unit "
         "of Max Volt Drop (known: V)"},
        {{"Material", "Load Type", "Phase", "Power ()", "Length"},
         "the header gives the column \"Power ()\" the unit \"\", which is not a unit of Power "
         "(known: kW, W, HP)"},
    };
    for (const Case& c : cases) {
        try {
            MatchHeader(c.header);
            ADD_FAILURE() << c.message;
        } catch (const EScheduleError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
}

// A unit in a header is the unit of that column's cells that carry none; a cell's own unit wins.
TEST(ScheduleHeader, UnitsOfColumns) {
    const TScheduleSizer sizer(TestData(), 5.5);
    struct Case {
        std::vector<std::string> header;
        std::vector<std::string_view> record; // Material, Load Type, Phase, Power, Length, Drop
        std::vector<std::string_view> same;   // the same circuit with units in its cells
    } cases[] = {
        {{"Material", "Load Type", "Phase", "Power (kW)", "Length [ft]", "Max Volt Drop"},
         {"Copper", "Inductive", "Three", "7.5", "120", ""},
         {"Copper", "Inductive", "Three", "7.5 kW", "120 ft", ""}},
        {{"Material", "Load Type", "Phase", "power [W]", "LENGTH (Inch)", "Max Volt Drop (V)"},
         {"Copper", "Resistive", "Single", "5500", "4800", "3"},
         {"Copper", "Resistive", "Single", "5.5", "4800 inch", "3 V"}},
        {{"Material", "Load Type", "Phase", "Power ( hp )", "Length [ft]", "Max Volt Drop"},
         {"Copper", "Inductive", "Three", "10", "100 m", ""},
         {"Copper", "Inductive", "Three", "10 HP", "100", ""}},
    };
    const std::vector<std::string> plain = {"Material", "Load Type", "Phase",
                                            "Power",    "Length",    "Max Volt Drop"};
    for (const Case& c : cases) {
        const TRowResult a = sizer.SizeRecord(c.record, MatchHeader(c.header));
        const TRowResult b = sizer.SizeRecord(c.same, MatchHeader(plain));
        ASSERT_EQ(a.StatusText(), "Solved") << c.header[4];
        EXPECT_EQ(a.Current, b.Current) << c.header[4];
        EXPECT_EQ(a.Size, b.Size) << c.header[4];
        EXPECT_EQ(a.VoltDrop, b.VoltDrop) << c.header[4];
    }
    // Result columns keep their own names; a bracket after another name is another column.
    EXPECT_EQ(ColumnOf("Voltage Drop (V)"), TColumn::VoltageDrop);
    EXPECT_EQ(ColumnOf("Circuit (name)"), TColumn::Other);
    EXPECT_EQ(HeaderUnitText("Length [ ft ]"), "ft");
    EXPECT_EQ(CellWithUnit(" 120 ", utLengthPrim, 4), "120 ft");
    EXPECT_EQ(CellWithUnit("120 m", utLengthPrim, 4), "120 m");
}

TEST(ScheduleQuantity, NumbersAndUnits) {
    struct Case {
        const char* text;
        TUnitsType type;
        double base; // NaN: an error whose message starts with `error`
        const char* error;
    } cases[] = {
        {"5.5", utPower, 5.5, ""},
        {" 7.5 kW ", utPower, 7.5, ""},
        {"2200W", utPower, 2.2, ""},
        {"10 hp", utPower, 10 / 1.341021858656296, ""},
        {"1e3 w", utPower, 1, ""},
        {"120 ft", utLengthPrim, 120 / 3.2808398950131235, ""},
        {"1500 mm", utLengthPrim, 1.5, ""},
        {"3 feet", utLengthPrim, 3 / 3.2808398950131235, ""},
        {"7.5\xC2\xA0kW", utPower, 7.5, ""}, // a no-break space before the unit
        {"1e308", utPower, 1e308, ""},
        // Typing slips the main window's cleaning would turn into some other number.
        {"1 2.5", utLengthPrim, NAN, "Power \"1 2.5\" is not a number"},
        {"40-50", utLengthPrim, NAN, "Power \"40-50\" is not a number"},
        {"7.5.1", utPower, NAN, "Power \"7.5.1\" is not a number"},
        {"1e400", utLengthPrim, NAN, "Power \"1e400\" is out of range"},
        {"1e308 kW", utPower, 1e308, ""},
        {"", utPower, NAN, "Power is empty"},
        {"-", utPower, NAN, "Power \"-\" is not a number"},
        {"1,5", utPower, NAN, "Power \"1,5\" is not a number"},
        {"5 kVA", utPower, NAN, "Power \"5 kVA\" has an unknown unit \"kVA\" (known: kW, W, HP)"},
        {"5e", utPower, NAN, "Power \"5e\" has an unknown unit \"e\""},
        {"5 W2", utPower, NAN, "Power \"5 W2\" is not a number"},
    };
    for (const Case& c : cases) {
        if (std::isnan(c.base)) {
            try {
                ParseQuantity(c.text, c.type, "Power");
                ADD_FAILURE() << c.text;
            } catch (const EScheduleError& e) {
                EXPECT_EQ(std::string(e.what()).rfind(c.error, 0), 0u) << e.what();
            }
        } else {
            EXPECT_DOUBLE_EQ(ParseQuantity(c.text, c.type, "Power"), c.base) << c.text;
        }
    }
}

TEST(ScheduleRow, EveryStatus) {
    const TScheduleSizer sizer(TestData(), 5.5);
    const std::string longName = "M" + std::string(100, 'x');
    struct Case {
        const char* name;
        TCircuitText in;
        const char* status;
        double size; // 0: none
        const char* limit;
    } cases[] = {
        {"Defaults",
         {"Copper", "Resistive", "Single", "5.5", "40", ""},
         "Solved",
         4,
         "carrying capacity"},
        {"AnyCase",
         {" copper ", "RESISTIVE", "single", "5.5kw", "40 m", ""},
         "Solved",
         4,
         "carrying capacity"},
        {"LongRunDropGoverns",
         {"Copper", "Resistive", "Single", "5.5", "400", ""},
         "Solved",
         35,
         "voltage drop"},
        {"OwnMaxVoltDrop",
         {"Copper", "Resistive", "Single", "5.5", "400", "11 V"},
         "Solved",
         16,
         "voltage drop"},
        {"NothingFits",
         {"Aluminium", "Resistive", "Three", "84", "2000", ""},
         "Not Solved: 240 mm² carries 336 A and over 2000 m allows 23.1 A within 5.5 V; 121.2 A is "
         "needed",
         0,
         ""},
        {"AtTheLimit",
         {"Copper", "Inductive", "Three", "110", "10", ""},
         "Solved",
         95,
         "carrying capacity"},
        {"AboveTheLimit",
         {"Copper", "Inductive", "Single", "6", "10", ""},
         "Error: Power 6 kW is above the 5.5 kW limit for a single-phase inductive load",
         0,
         ""},
        {"UnknownMaterial",
         {"Gold", "Resistive", "Single", "1", "1", ""},
         "Error: unknown material \"Gold\"; the data file has Copper, Aluminium",
         0,
         ""},
        {"BadLoadType",
         {"Copper", "Capacitive", "Single", "1", "1", ""},
         "Error: Load Type \"Capacitive\" is neither Resistive nor Inductive",
         0,
         ""},
        {"BadPhase",
         {"Copper", "Resistive", "Two", "1", "1", ""},
         "Error: Phase \"Two\" is neither Single nor Three",
         0,
         ""},
        {"ZeroLength",
         {"Copper", "Resistive", "Single", "1", "0 ft", ""},
         "Error: Length must be greater than 0",
         0,
         ""},
        {"NegativePower",
         {"Copper", "Resistive", "Single", "-1", "1", ""},
         "Error: Power must not be negative",
         0,
         ""},
        {"BadMaxVoltDrop",
         {"Copper", "Resistive", "Single", "1", "1", "lots"},
         "Error: Max Volt Drop \"lots\" is not a number",
         0,
         ""},
        {"LongTextShortened", {longName, "Resistive", "Single", "1", "1", ""}, "", 0, ""},
        {"TypoInLength",
         {"Copper", "Resistive", "Single", "5", "40-50", ""},
         "Error: Length \"40-50\" is not a number",
         0,
         ""},
        {"TypoInMaxVoltDrop",
         {"Copper", "Resistive", "Single", "5.5", "400", "4-5"},
         "Error: Max Volt Drop \"4-5\" is not a number",
         0,
         ""},
        {"LowerCaseVolts",
         {"Copper", "Resistive", "Single", "5.5", "400", "11v"},
         "Solved",
         16,
         "voltage drop"},
        {"VoltsOfAnotherUnit",
         {"Copper", "Resistive", "Single", "5.5", "400", "5 kV"},
         "Error: Max Volt Drop \"5 kV\" has an unknown unit \"kV\" (known: V)",
         0,
         ""},
        {"HugePowerWrittenWhole",
         {"Copper", "Resistive", "Single", "1e308", "40", ""},
         "Error: Power 1e+308 kW is above the 84 kW limit for a resistive load",
         0,
         ""},
        {"LengthOutOfRange",
         {"Copper", "Resistive", "Single", "5", "1e400", ""},
         "Error: Length \"1e400\" is out of range",
         0,
         ""},
        {"MinusZeroPowerHasNoLimit",
         {"Copper", "Resistive", "Single", "-0", "40", ""},
         "Solved",
         0.4,
         ""},
        {"NoDropAllowed",
         {"Copper", "Resistive", "Single", "5.5", "40", "0"},
         "Not Solved: 240 mm² carries 336 A and over 40 m allows 0 A within 0 V; 23.91 A is needed",
         0,
         ""},
        {"CapacityStops",
         {"Copper", "Resistive", "Single", "84", "1", ""},
         "Not Solved: 240 mm² carries 335.8 A and over 1 m allows 73920 A within 5.5 V; 365.2 A is "
         "needed",
         0,
         ""},
    };
    for (const Case& c : cases) {
        const TRowResult r = sizer.Size(c.in);
        if (!*c.status) {
            EXPECT_LT(r.StatusText().size(), 120u) << c.name;
            continue;
        }
        EXPECT_EQ(r.StatusText(), c.status) << c.name;
        EXPECT_EQ(r.Size.value_or(0), c.size) << c.name;
        EXPECT_STREQ(r.LimitedBy ? LimitName(*r.LimitedBy) : "", c.limit) << c.name;
        EXPECT_EQ(r.Current.has_value(), r.Status != TRowStatus::Error) << c.name;
        EXPECT_EQ(r.VoltDrop.has_value(), r.Status == TRowStatus::Solved) << c.name;
        EXPECT_FALSE(std::signbit(r.Current.value_or(0))) << c.name;
        EXPECT_FALSE(std::signbit(r.VoltDrop.value_or(0))) << c.name;
    }
}

// A name written exactly as in the data file still means the first material it names without
// regard to case, and blanks around a name in the data file never match.
TEST(ScheduleRow, MaterialNamedAsTheFirstMatchWithoutRegardToCase) {
    TElecData d = TestData();
    d.Materials = {{"COPPER", 56}, {"Copper", 35}, {" Tin", 8}};
    const TScheduleSizer sizer(d, 5.5);
    struct Case {
        const char* material;
        const char* status;
        double size;
    } cases[] = {
        {"Copper", "Solved", 6}, // 56: 6 mm²; the second material's 35 would need 10
        {"copper", "Solved", 6},
        {" Tin", "Error: unknown material \"Tin\"; the data file has COPPER, Copper,  Tin", 0},
    };
    for (const Case& c : cases) {
        const TRowResult r = sizer.Size({c.material, "Resistive", "Single", "5.5", "60", ""});
        EXPECT_EQ(r.StatusText(), c.status) << c.material;
        EXPECT_EQ(r.Size.value_or(0), c.size) << c.material;
    }
}

TEST(ScheduleOutput, CsvAndJsonLines) {
    const std::vector<std::string> header = {"Circuit", "Note",  "Material", "Load Type",
                                             "Phase",   "Power", "Length",   "Status"};
    const TScheduleLayout layout = MatchHeader(header);
    TRowResult solved;
    solved.Status = TRowStatus::Solved;
    solved.Current = 23.913043478260871;
    solved.Size = 4;
    solved.VoltDrop = 0.1;
    solved.LimitedBy = TLimit::CarryingCapacity;
    TRowResult error;
    error.Error = "unknown material \"Gold\"";
    const std::vector<std::string_view> record = {"C1", "a, \"b\"", "Cu", "R",
                                                  "S",  "1",        "2",  "old"};
    const std::string bad = "\xFF\x01";
    const std::vector<std::string_view> short_ = {"C2", bad};

    std::string csv;
    const TScheduleFormatter c(TOutputFormat::Csv, header, layout);
    c.AppendHeader(csv);
    c.AppendRow(csv, record, solved);
    c.AppendRow(csv, short_, error);
    EXPECT_EQ(csv, "Circuit,Note,Material,Load Type,Phase,Power,Length,Current (A),Size (mm²),"
                   "Voltage Drop (V),Limited By,Status\n"
                   "C1,\"a, \"\"b\"\"\",Cu,R,S,1,2,23.91304347826087,4,0.1,carrying capacity,"
                   "Solved\n"
                   "C2,\xFF\x01,,,,,,,,,,\"Error: unknown material \"\"Gold\"\"\"\n");

    std::string json;
    const TScheduleFormatter j(TOutputFormat::Jsonl, header, layout);
    j.AppendHeader(json);
    j.AppendRow(json, short_, error);
    EXPECT_EQ(json, "{\"Circuit\":\"C2\",\"Note\":\"\xEF\xBF\xBD\\u0001\",\"Material\":\"\","
                    "\"Load Type\":\"\",\"Phase\":\"\",\"Power\":\"\",\"Length\":\"\","
                    "\"Current (A)\":null,\"Size (mm²)\":null,\"Voltage Drop (V)\":null,"
                    "\"Limited By\":null,\"Status\":\"Error: unknown material \\\"Gold\\\"\"}\n");

    // The record's own text stands in for its fields only where every field is kept.
    std::string plain;
    const std::vector<std::string> h2 = {"Material", "Load Type", "Phase", "Power", "Length"};
    const TScheduleFormatter p(TOutputFormat::Csv, h2, MatchHeader(h2));
    p.AppendRow(plain, {"Cu", "R", "S", "1", "2"}, error, "Cu,R,S,1,2");
    EXPECT_EQ(plain.rfind("Cu,R,S,1,2,,,,,", 0), 0u);
    csv.clear();
    c.AppendRow(csv, record, solved, "IGNORED");
    EXPECT_EQ(csv.find("IGNORED"), std::string::npos);
}

TEST(JsonString, Utf8KeptAndBrokenBytesReplaced) {
    struct Case {
        std::string in, out;
    } cases[] = {
        {"mm\xC2\xB2 \xE2\x82\xAC \xF0\x9F\x94\x8C",
         "\"mm\xC2\xB2 \xE2\x82\xAC \xF0\x9F\x94\x8C\""},
        {"\xC0\xAF", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},                 // overlong
        {"\xED\xA0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""}, // surrogate
        {"\xE2\x82", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},                 // cut short
        {"a\\b\"\n", "\"a\\\\b\\\"\\u000a\""},
    };
    for (const Case& c : cases) {
        std::string out;
        AppendJsonString(out, c.in);
        EXPECT_EQ(out, c.out);
    }
}

// Random circuits written as text the way a spreadsheet would hold them, sized by the schedule,
// against the engine given the numbers those texts stand for.
TEST(ScheduleRow, AgreesWithTheEngineBitForBit) {
    const TElecData data = TestData();
    const TScheduleSizer sizer(data, 5.5);
    TAmpwiser engine;
    StandardSizes = data.Sizes;
    MotorRatings = data.Ratings;
    Materials = data.Materials;
    MaxVoltDrop = 5.5;

    std::mt19937_64 rng(1818);
    std::uniform_real_distribution<double> unit(0, 1);
    const char* units[] = {"", " kW", "W", " HP"};
    const double perKw[] = {1, 1, 1000, 1.341021858656296};
    for (int n = 0; n < 20000; ++n) {
        const auto m = static_cast<std::int32_t>(rng() % 2);
        const auto lt = static_cast<std::uint8_t>(rng() % 2);
        const auto ph = static_cast<std::uint8_t>(rng() % 2);
        const std::size_t u = rng() % 4;
        const double shown = unit(rng) * PowerLimit(lt, ph) * perKw[u];
        const double length = 0.5 + unit(rng) * 500;
        std::string powerText, lengthText;
        AppendNumber(powerText, shown);
        AppendNumber(lengthText, length);
        powerText += units[u];
        const TRowResult r = sizer.Size(
            {data.Materials[m].Name, LoadTypeNames[lt], PhaseNames[ph], powerText, lengthText, ""});
        const double power = ParseQuantity(powerText, utPower, "Power");
        if (power > PowerLimit(lt, ph)) { // a unit conversion may round just past the limit
            EXPECT_EQ(r.Status, TRowStatus::Error);
            continue;
        }
        engine.SetMaterial(m);
        const bool solved = engine.Calculate(lt, ph, length, power);
        ASSERT_EQ(r.Status, solved ? TRowStatus::Solved : TRowStatus::NotSolved) << n;
        ASSERT_EQ(std::memcmp(&*r.Current, &engine.Current, sizeof(double)), 0) << n;
        if (solved) {
            const double drop = engine.VoltDrop();
            ASSERT_EQ(std::memcmp(&*r.Size, &engine.XArea, sizeof(double)), 0) << n;
            ASSERT_EQ(std::memcmp(&*r.VoltDrop, &drop, sizeof(double)), 0) << n;
        }
    }
}

} // namespace
} // namespace qv
