// A schedule answered to the installation standard: every answer of a run equals the standard
// library's for the same inputs, cells that do not read give an Error or Not Solved answer that
// says why, and a schedule without a Method column is written exactly as before.
#include "iec/QvIecNames.h"
#include "schedule/QvScheduleRun.h"
#include "schedule/QvScheduleSheet.h"
#include "scheduleiec/QvScheduleIec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace qv {
namespace {

using namespace iec;

TElecData TestData() {
    TElecData d;
    // Unsorted, with sizes the tables do not rate at both ends.
    d.Sizes = {1.5, 0.75, 2.5, 4, 6, 10, 16, 25, 35, 50, 70, 95, 120, 150, 185, 240, 300, 400, 625};
    d.Ratings = {{0.37, 0.70, 72.7}, {5.5, 0.84, 87.7}, {22, 0.86, 91.0}, {110, 0.88, 94.5}};
    d.Materials = {{"Copper", 56}, {"Aluminium", 35}, {"Gold", 45}};
    return d;
}

std::vector<double> SortedSizes() {
    std::vector<double> sizes = TestData().Sizes;
    std::sort(sizes.begin(), sizes.end());
    return sizes;
}

const TScheduleSizer& Sizer() {
    static const TScheduleSizer sizer(TestData(), 5.5, std::make_shared<TIecScheduleSizer>());
    return sizer;
}

std::string Num(double x) {
    std::string s;
    AppendNumber(s, x);
    return s;
}

struct TRun {
    std::string Out;
    int Status = -1;
    TScheduleTally Tally;
};

TRun Sized(const std::string& input, const TScheduleSizer& sizer,
           TOutputFormat format = TOutputFormat::Csv, unsigned threads = 1,
           std::size_t chunk = 512 * 1024) {
    TCsvReader reader(TextSource(input));
    TRun run;
    TScheduleRunOptions options;
    options.Threads = threads;
    options.ChunkBytes = chunk;
    run.Status = RunSchedule(
        reader, sizer, format, [&](std::string_view s) { run.Out += s; }, options, &run.Tally);
    return run;
}

std::vector<std::vector<std::string>> Records(const std::string& csv) {
    TCsvReader reader(TextSource(csv));
    std::vector<std::vector<std::string>> records;
    std::vector<std::string_view> record;
    while (reader.Next(record))
        records.emplace_back(record.begin(), record.end());
    return records;
}

const std::string kHeader = "Circuit,Material,Load Type,Phase,Power,Length,Method,Insulation,"
                            "Ambient,Soil Resistivity,Grouped Circuits,Arrangement,Device,"
                            "Device Rating,Voltage,Power Factor,Max Drop,Fault Current,Fault Time";

// Random circuits with random installations, written as cells; each row's expected IEC cells
// come from the standard's library given the same values directly.
TEST(ScheduleIec, EveryAnswerIsTheLibrarysForTheSameInputs) {
    std::mt19937 rng(30);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    auto real = [&](double lo, double hi, double step) {
        return lo + step * pick(static_cast<int>((hi - lo) / step) + 1);
    };
    const TElecData data = TestData();
    const std::vector<double> sizes = SortedSizes();
    const char* const insulations[] = {"", "PVC", "XLPE", "EPR", "xlpe"};
    const double ratings[] = {6, 10, 16, 20, 25, 32, 40, 50, 63, 80, 100, 125, 160, 200, 250};
    const double times[] = {0.05, 0.1, 0.2, 0.4, 1, 5, 6};
    const double voltages[] = {230, 240, 400, 415};

    std::string input = kHeader + "\n";
    std::vector<std::array<std::string, kIecResultColumnCount>> expected;
    std::size_t notSolved = 0;
    for (int row = 0; row < 3000; ++row) {
        std::vector<std::string> cells(19);
        TIecInputs in;
        const bool aluminium = pick(2) == 1;
        in.Material = aluminium ? TMaterial::Aluminium : TMaterial::Copper;
        const auto loadType = static_cast<std::uint8_t>(pick(2));
        const auto phase = static_cast<std::uint8_t>(pick(2));
        const double power = real(0, PowerLimit(loadType, phase), 0.001);
        const double length = real(1, 400, 0.5);
        cells[0] = "C" + std::to_string(row);
        cells[1] = aluminium ? "Aluminium" : "Copper";
        cells[2] = LoadTypeNames[loadType];
        cells[3] = PhaseNames[phase];
        cells[4] = Num(power);
        cells[5] = Num(length);
        in.LoadedConductors = phase == 0 ? 2 : 3;
        in.DesignCurrent = LineCurrent(loadType, phase, power, data.Ratings);
        in.Length = length;
        in.PowerFactor = LoadPowerFactor(loadType, phase, power, data.Ratings);

        const bool answered = pick(20) != 0;
        in.Method = kMethods[pick(8)];
        const bool ground = in.Method == TMethod::D1 || in.Method == TMethod::D2;
        cells[6] = answered ? MethodName(in.Method) : "";
        cells[7] = insulations[pick(5)];
        if (cells[7] == "XLPE" || cells[7] == "EPR" || cells[7] == "xlpe")
            in.Insulation = TInsulation::XLPE;
        if (pick(2)) {
            const double t = real(0, 85, 1);
            cells[8] = Num(t);
            (ground ? in.GroundTemperature : in.AirTemperature) = t;
        }
        if (pick(3) == 0) {
            in.SoilResistivity = real(0.5, 3.5, 0.25);
            cells[9] = Num(in.SoilResistivity);
        }
        if (pick(2)) {
            in.Circuits = 1 + pick(20);
            cells[10] = std::to_string(in.Circuits);
        }
        if (pick(2)) {
            std::vector<TArrangement> fit;
            for (const char* name : kArrangementNames)
                if (ArrangementFits(in.Method, *ParseArrangement(name)))
                    fit.push_back(*ParseArrangement(name));
            in.Arrangement = fit[static_cast<std::size_t>(pick(static_cast<int>(fit.size())))];
            cells[11] = ArrangementName(*in.Arrangement);
        }
        if (pick(3) == 0) {
            in.Device = pick(2) ? TDevice::CircuitBreaker : TDevice::FuseGG;
            in.DeviceRating = ratings[pick(15)];
            cells[12] = DeviceName(in.Device);
            cells[13] = Num(in.DeviceRating);
        }
        if (pick(3) == 0) {
            in.NominalVoltage = voltages[pick(4)];
            cells[14] = Num(in.NominalVoltage);
        }
        if (pick(3) == 0) {
            in.PowerFactor = real(0.5, 1, 0.01);
            cells[15] = Num(in.PowerFactor);
        }
        if (pick(3) == 0) {
            in.AllowedDrop = real(0.5, 8, 0.5);
            cells[16] = Num(in.AllowedDrop);
        }
        if (pick(3) == 0) {
            in.FaultCurrent = real(0.5, 25, 0.5);
            in.FaultTime = times[pick(7)];
            cells[17] = Num(*in.FaultCurrent);
            cells[18] = Num(in.FaultTime);
        }
        for (std::size_t i = 0; i < cells.size(); ++i)
            input += (i ? "," : "") + cells[i];
        input += "\n";

        std::array<std::string, kIecResultColumnCount> e;
        if (answered) {
            const TIecAnswer a = SizeToStandard(in, sizes);
            if (a.Chosen) {
                const TIecRow& r = a.Rows[*a.Chosen];
                e = {Num(r.Area), Num(r.Iz), Num(r.DropPercent), "", "Solved"};
                for (TCheck check : kChecks)
                    if (Has(a.Governing, check))
                        e[3] += (e[3].empty() ? "" : " and ") + std::string(CheckName(check));
            } else {
                ++notSolved;
                e[4] = a.Reason; // compared as the reason the status gives, within it
            }
        }
        expected.push_back(e);
    }
    // Not a run where every circuit has the same answer.
    ASSERT_GT(notSolved, 100u);
    ASSERT_LT(notSolved, 2000u);

    // On one thread, and on several in pieces small enough to cut the file many times.
    for (const auto& [threads, chunk] : {std::pair<unsigned, std::size_t>{1, 512 * 1024},
                                         std::pair<unsigned, std::size_t>{3, 4096}}) {
        const TRun run = Sized(input, Sizer(), TOutputFormat::Csv, threads, chunk);
        const auto records = Records(run.Out);
        ASSERT_EQ(records.size(), expected.size() + 1);
        EXPECT_EQ(records[0].size(), 19 + kResultColumnCount + kIecResultColumnCount);
        for (std::size_t i = 0; i < expected.size(); ++i) {
            const std::vector<std::string>& got = records[i + 1];
            ASSERT_EQ(got.size(), records[0].size()) << "row " << i;
            const std::size_t at = got.size() - kIecResultColumnCount;
            const auto& e = expected[i];
            if (e[4].rfind("IEC 60364-5-52: ", 0) == 0) {
                EXPECT_EQ(got[at + 4].rfind("Not Solved: ", 0), 0u) << "row " << i;
                EXPECT_NE(e[4].find(got[at + 4].substr(12)), std::string::npos)
                    << "row " << i << ": " << got[at + 4] << " / " << e[4];
                for (std::size_t k = 0; k < 4; ++k)
                    EXPECT_EQ(got[at + k], "") << "row " << i;
                continue;
            }
            for (std::size_t k = 0; k < kIecResultColumnCount; ++k)
                EXPECT_EQ(got[at + k], e[k]) << "row " << i << " column " << k;
        }
        EXPECT_EQ(run.Tally.IecNotSolved, notSolved);
        EXPECT_EQ(run.Tally.IecErrors, 0u);
        EXPECT_EQ(run.Status, 1);
    }
}

// One circuit with a good installation, then each case changes some cells.
TEST(ScheduleIec, HostileCellsSayWhy) {
    const std::vector<std::string> header = Records(kHeader + "\n")[0];
    const TScheduleLayout layout = MatchHeader(header);
    // 5.5 kW resistive single phase over 40 m: Ib 23.9 A.
    const std::vector<std::string> base = {"H", "Copper", "Resistive", "Single", "5.5", "40", "C",
                                           "",  "",       "",          "",       "",    "",   "",
                                           "",  "",       "",          "",       ""};
    const std::string longText(300, 'x');
    struct Case {
        std::vector<std::pair<std::size_t, std::string>> cells;
        std::optional<TRowStatus> status; // none: no answer to the standard
        std::string says;
    } cases[] = {
        {{}, TRowStatus::Solved, ""},
        {{{6, ""}}, std::nullopt, ""},
        {{{6, "  "}}, std::nullopt, ""},
        {{{6, "F1"}}, TRowStatus::Error, "Method \"F1\" is not a method (A1, A2, B1, B2, C"},
        {{{6, "\x01"
              "B"}},
         TRowStatus::Error,
         "Method \"?B\" is not a method"},
        {{{6, longText}},
         TRowStatus::Error,
         "Method \"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx…\""},
        {{{7, "rubber"}}, TRowStatus::Error, "Insulation \"rubber\" is not one of PVC, XLPE, EPR"},
        {{{8, "65"}}, TRowStatus::NotSolved, "air temperature of 65 °C: the PVC table stops at 60"},
        {{{8, "60"}}, TRowStatus::Solved, ""},
        {{{7, "XLPE"}, {8, "85"}}, TRowStatus::NotSolved, "the XLPE table stops at 80 °C"},
        {{{7, "EPR"}, {8, "80"}}, TRowStatus::Solved, ""},
        {{{8, "150 °F"}}, TRowStatus::NotSolved, "air temperature of 65.5"},
        {{{8, "-300"}}, TRowStatus::Solved, ""},
        {{{8, "NaN"}}, TRowStatus::Error, "Ambient \"NaN\" is not a number"},
        {{{8, "inf"}}, TRowStatus::Error, "Ambient \"inf\" is not a number"},
        {{{8, "1e999"}}, TRowStatus::Error, "Ambient \"1e999\" is out of range"},
        {{{8, "1e300 °F"}}, TRowStatus::NotSolved, "may not be used at an air temperature"},
        {{{8, "35 bar"}}, TRowStatus::Error, "Ambient \"35 bar\" has an unknown unit \"bar\""},
        {{{8, "35-40"}}, TRowStatus::Error, "Ambient \"35-40\" is not a number"},
        {{{6, "D1"}, {9, "3.5"}}, TRowStatus::NotSolved, "soil of 3.5 K·m/W"},
        {{{6, "D1"}, {9, "3 K·m/W"}}, TRowStatus::Solved, ""},
        {{{6, "D1"}, {9, "0"}}, TRowStatus::Error, "Soil Resistivity must be greater than 0"},
        {{{6, "D1"}, {9, "2 K/W"}}, TRowStatus::Error, "unknown unit \"K/W\" (known: K·m/W)"},
        {{{10, "21"}}, TRowStatus::Error, "Grouped Circuits \"21\" is more than 20"},
        {{{10, "20"}}, TRowStatus::Solved, ""},
        {{{10, "1e30"}}, TRowStatus::Error, "is more than 20"},
        {{{10, "0"}}, TRowStatus::Error, "Grouped Circuits \"0\" is below 1"},
        {{{10, "-3"}}, TRowStatus::Error, "is below 1"},
        {{{10, "2.5"}}, TRowStatus::Error, "Grouped Circuits \"2.5\" is not a whole number"},
        {{{10, "three"}}, TRowStatus::Error, "Grouped Circuits \"three\" is not a number"},
        {{{6, "D1"}, {10, "13"}}, TRowStatus::NotSolved, "no confirmed grouping factor for 13"},
        {{{11, "ladder"}, {6, "D1"}},
         TRowStatus::Error,
         "Arrangement \"ladder\" does not go with method D1, which takes ducts touching"},
        {{{11, "direct touching"}, {6, "D1"}}, TRowStatus::Error, "which takes ducts touching"},
        {{{11, "direct touching"}},
         TRowStatus::Error,
         "does not go with method C, which takes bunched, single layer, under ceiling, "
         "perforated tray or ladder"},
        {{{11, "spiral"}}, TRowStatus::Error, "Arrangement \"spiral\" is not one of bunched"},
        {{{12, "gG"}, {13, "16"}},
         TRowStatus::NotSolved,
         "device rating In 16 A is below Ib 23.9 A"},
        {{{12, "breaker"}, {13, "32 A"}}, TRowStatus::Solved, ""},
        {{{12, "fuse"}, {13, "32"}},
         TRowStatus::Error,
         "Device \"fuse\" is not one of breaker, gG"},
        {{{12, "breaker"}},
         TRowStatus::Error,
         "Device Rating is empty: a breaker needs its rating"},
        {{{13, "32"}}, TRowStatus::Error, "Device Rating is given without a Device"},
        {{{12, "gG"}, {13, "-32"}}, TRowStatus::Error, "Device Rating must be greater than 0"},
        {{{12, "gG"}, {13, "1e308"}}, TRowStatus::NotSolved, "fails the device check"},
        {{{14, "400 kV"}}, TRowStatus::Error, "Voltage \"400 kV\" has an unknown unit \"kV\""},
        {{{14, "0"}}, TRowStatus::Error, "Voltage must be greater than 0"},
        {{{14, "1 V"}}, TRowStatus::NotSolved, "fails the voltage drop check"},
        {{{15, "1.2"}}, TRowStatus::Error, "Power Factor \"1.2\" is not above 0 and at most 1"},
        {{{15, "0"}}, TRowStatus::Error, "is not above 0 and at most 1"},
        {{{15, "0.8 pu"}}, TRowStatus::Error, "Power Factor \"0.8 pu\" is not a number"},
        {{{16, "0"}}, TRowStatus::Error, "Max Drop must be greater than 0"},
        {{{16, "0.01 %"}}, TRowStatus::NotSolved, "fails the voltage drop check"},
        {{{17, "5"}, {18, "-0.1"}}, TRowStatus::Error, "Fault Time must be greater than 0"},
        {{{17, "5"}}, TRowStatus::Error, "Fault Time is empty: a fault current needs"},
        {{{18, "0.1"}}, TRowStatus::Error, "Fault Time is given without a Fault Current"},
        {{{17, "-5"}, {18, "0.1"}}, TRowStatus::Error, "Fault Current must not be negative"},
        {{{17, "5 kA"}, {18, "0.1 s"}}, TRowStatus::Solved, ""},
        {{{17, "1e300"}, {18, "1"}}, TRowStatus::NotSolved, "fails the short circuit check"},
        {{{17, "5 A"}, {18, "0.1"}}, TRowStatus::Error, "has an unknown unit \"A\" (known: kA)"},
        {{{1, "Gold"}},
         TRowStatus::Error,
         "Material \"Gold\" is not in the standard's tables, which hold copper and aluminium"},
        // The circuit's own error leaves no current to size to: its message, naming the cell.
        {{{4, "abc"}}, TRowStatus::Error, "Power \"abc\" is not a number"},
        {{{5, "0"}}, TRowStatus::Error, "Length must be greater than 0"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> fields = base;
        std::string name;
        for (const auto& [i, text] : c.cells) {
            fields[i] = text;
            name += header[i] + "=" + text.substr(0, 20) + " ";
        }
        const TRowResult r = SizeFields(Sizer(), layout, fields);
        ASSERT_EQ(r.Iec.has_value(), c.status.has_value()) << name;
        if (!r.Iec)
            continue;
        EXPECT_EQ(r.Iec->Status, *c.status) << name << r.Iec->StatusText();
        EXPECT_NE(r.Iec->StatusText().find(c.says), std::string::npos)
            << name << ": " << r.Iec->StatusText();
        if (r.Iec->Status != TRowStatus::Solved) {
            EXPECT_FALSE(r.Iec->Size || r.Iec->Iz || r.Iec->DropPercent) << name;
            EXPECT_EQ(r.Iec->LimitedBy, "") << name;
        }
    }
}

// The worked circuit: the inputs the row gives the library, and its answer in full.
TEST(ScheduleIec, RowInputsAndAnswer) {
    const std::vector<std::string> header = Records(kHeader + "\n")[0];
    const TScheduleLayout layout = MatchHeader(header);
    const std::vector<std::string> fields = {
        "H", "Copper",       "Resistive", "Single", "5.5", "40", "c", "pvc", "35", "",
        "3", "Single Layer", "Breaker",   "32",     "",    "",   "",  "",    ""};
    const std::vector<std::string_view> views(fields.begin(), fields.end());
    const TIecInputs in = IecInputsOf(Sizer(), CircuitOf(views, layout));
    EXPECT_EQ(in.Method, TMethod::C);
    EXPECT_EQ(in.AirTemperature, 35);
    EXPECT_EQ(in.Circuits, 3);
    EXPECT_EQ(in.Arrangement, TArrangement::SingleLayerWall);
    EXPECT_EQ(in.Device, TDevice::CircuitBreaker);
    EXPECT_EQ(in.DeviceRating, 32);
    EXPECT_EQ(in.DesignCurrent, 5.5e3 / 230);
    EXPECT_EQ(in.PowerFactor, 1);
    EXPECT_EQ(SizeToStandard(in, SortedSizes()).Reason,
              "IEC 60364-5-52: 6 mm² — Iz 34.2 A ≥ In 32 A ≥ Ib 23.9 A, drop 3.1 % ≤ 5 %; 4 mm² "
              "fails the device check, Iz 26.7 A < In 32 A");
    const TRowResult r = SizeFields(Sizer(), layout, fields);
    ASSERT_TRUE(r.Iec);
    EXPECT_EQ(r.Iec->StatusText(), "Solved");
    EXPECT_EQ(r.Iec->Size, 6);
    EXPECT_EQ(r.Iec->LimitedBy, "device");

    // An inductive load's power factor is its motor row's; the Ambient of a ground method is the
    // ground's; an Ambient header's unit reads the cells that carry none.
    const std::vector<std::string> motor = {
        "M", "Aluminium", "Inductive", "Three", "20", "30", "D2", "", "25", "",
        "",  "",          "",          "",      "",   "",   "",   "", ""};
    const std::vector<std::string_view> motorViews(motor.begin(), motor.end());
    const TIecInputs m = IecInputsOf(Sizer(), CircuitOf(motorViews, layout));
    EXPECT_EQ(m.PowerFactor, 0.86);
    EXPECT_EQ(m.GroundTemperature, 25);
    EXPECT_EQ(m.AirTemperature, 30);
    std::vector<std::string> fahrenheit = header;
    fahrenheit[8] = "Ambient (°F)";
    const TIecInputs f = IecInputsOf(Sizer(), CircuitOf(views, MatchHeader(fahrenheit)));
    EXPECT_NEAR(f.AirTemperature, (35 - 32) / 1.8, 1e-12);
}

TEST(ScheduleIec, HeaderMatching) {
    struct Case {
        std::string header;
        std::string error;    // empty: matches
        int ambientUnit = 0;  // with a Method column
        std::size_t kept = 0; // fields copied to the output
        bool iec = true;
    } cases[] = {
        {"Method,Ambient (°F)", "", 1, 2},
        {"Method,Ambient [K]", "", 2, 2},
        {"Method,AMBIENT (degF)", "", 1, 2},
        {"Method,Ambient (°R)",
         "the unit \"°R\", which is not a unit of Ambient (known: °C, °F, K)"},
        {"Method,Voltage (V),Device Rating [A],Max Drop (%),Fault Current (kA),Fault Time (s)", "",
         0, 6},
        {"Method,Soil Resistivity (K.m/W),soil_resistivity",
         "names the column \"Soil Resistivity\" twice"},
        {"Method,Soil Resistivity (K m/W)", "", 0, 2},
        {"Method,Voltage (kV)", "which is not a unit of Voltage (known: V)"},
        {"Method,Fault Current (A)", "(known: kA)"},
        {"Method,method", "names the column \"Method\" twice (fields 7 and 8)"},
        // Answers of an earlier run are worked out afresh, not copied.
        {"Method,IEC Status,Iz (A),IEC Size (mm2)", "", 0, 1},
        // Without a Method column every such name is a column to keep, unread.
        {"Voltage (kV),Voltage,IEC Status,Ambient (°R)", "", 0, 4, false},
    };
    for (const Case& c : cases) {
        const std::vector<std::string> header =
            Records("Circuit,Material,Load Type,Phase,Power,Length," + c.header + "\n")[0];
        try {
            const TScheduleLayout l = MatchHeader(header);
            EXPECT_EQ(c.error, "") << c.header;
            EXPECT_EQ(l.HasIec(), c.iec) << c.header;
            EXPECT_EQ(l.AmbientUnit, c.ambientUnit) << c.header;
            EXPECT_EQ(l.Kept.size(), 6 + c.kept) << c.header;
            if (!c.iec) {
                for (std::size_t k = 0; k < kIecInputColumnCount; ++k)
                    EXPECT_EQ(l.IecInput[k], -1) << c.header;
            }
        } catch (const EScheduleError& e) {
            EXPECT_NE(c.error, "") << c.header << ": " << e.what();
            EXPECT_NE(std::string(e.what()).find(c.error), std::string::npos) << e.what();
        }
    }
}

// Schedules without a Method column, as the sizer without the standard writes them, and the
// program's own example as its README shows it.
TEST(ScheduleIec, WithoutMethodColumnUnchanged) {
    const TScheduleSizer plain(TestData(), 5.5);
    const std::string readme = "Circuit,Material,Load Type,Phase,Power,Length\n"
                               "Pump 1,Copper,Inductive,Three,7.5 kW,120 ft\n"
                               "Heater,Copper,Resistive,Single,5.5,40\n";
    const TScheduleSizer shipped(ReadElecData(AMPWISE_SOURCE_DATA_DIR "/ElecData.ini"), 5.5,
                                 std::make_shared<TIecScheduleSizer>());
    EXPECT_EQ(Sized(readme, shipped).Out,
              "Circuit,Material,Load Type,Phase,Power,Length,Current (A),Size (mm²),Voltage Drop "
              "(V),Limited By,Status\n"
              "Pump 1,Copper,Inductive,Three,7.5 kW,120 ft,14.358137207107191,2.5,"
              "3.7511659034796616,voltage drop,Solved\n"
              "Heater,Copper,Resistive,Single,5.5,40,23.91304347826087,4,4.270186335403727,"
              "carrying capacity,Solved\n");
    const std::string inputs[] = {
        readme,
        "Circuit,Material,Load Type,Phase,Power,Length,Voltage (kV),Ambient,IEC Status,Iz (A)\n"
        "A,Copper,Resistive,Single,5.5,40,0.4,35,Solved,3\n"
        "B,Gold,Resistive,Single,5.5,40,,,,\n",
        "Material;Load Type;Phase;Power;Length;Insulation\nCopper;Resistive;Three;12,5;2000;XLPE\n",
    };
    for (const std::string& input : inputs)
        for (TOutputFormat format : {TOutputFormat::Csv, TOutputFormat::Jsonl}) {
            const TRun a = Sized(input, Sizer(), format), b = Sized(input, plain, format);
            EXPECT_EQ(a.Out, b.Out);
            EXPECT_EQ(a.Out.find("IEC Size"), std::string::npos);
            EXPECT_EQ(a.Status, b.Status);
            EXPECT_EQ(a.Tally.Summary(), b.Tally.Summary());
        }
}

TEST(ScheduleIec, JsonLinesAndSummary) {
    const std::string input = "Circuit,Material,Load Type,Phase,Power,Length,Method,Device,"
                              "Device Rating,Ambient\n"
                              "H,Copper,Resistive,Single,5.5,40,C,breaker,32,35\n"
                              "N,Copper,Resistive,Single,5.5,40,,,,\n"
                              "L,Copper,Resistive,Single,5.5,40,C,gG,16,\n"
                              "E,Copper,Resistive,Single,5.5,40,Z,,,\n"
                              "O,Gold,Resistive,Single,5.5,0,C,,,\n";
    const TRun json = Sized(input, Sizer(), TOutputFormat::Jsonl);
    const auto lines = [&] {
        std::vector<std::string> l;
        for (std::size_t at = 0, next; (next = json.Out.find('\n', at)) != std::string::npos;
             at = next + 1)
            l.push_back(json.Out.substr(at, next - at));
        return l;
    }();
    ASSERT_EQ(lines.size(), 5u);
    // The same figures as the CSV's, as JSON numbers; 4 mm² (Iz 36 A × 0.94 at 35 °C) carries a
    // 32 A breaker, 2.5 mm² does not, and drops 7.5 %.
    const TRun csv = Sized(input, Sizer());
    const auto records = Records(csv.Out);
    const std::vector<std::string>& h = records[1];
    const std::size_t at = h.size() - kIecResultColumnCount;
    EXPECT_EQ(h[at], "4");
    EXPECT_EQ(h[at + 1], Num(36 * 0.94));
    EXPECT_EQ(h[at + 3], "device and voltage drop");
    EXPECT_EQ(h[at + 4], "Solved");
    EXPECT_NE(
        lines[0].find("\"Status\":\"Solved\",\"IEC Size (mm²)\":4,\"Iz (A)\":" + h[at + 1] +
                      ",\"IEC Voltage Drop (%)\":" + h[at + 2] +
                      ",\"IEC Limited By\":\"device and voltage drop\",\"IEC Status\":\"Solved\"}"),
        std::string::npos)
        << lines[0];
    EXPECT_NE(lines[1].find("\"IEC Size (mm²)\":null,\"Iz (A)\":null,\"IEC Voltage Drop (%)\":null,"
                            "\"IEC Limited By\":null,\"IEC Status\":null}"),
              std::string::npos)
        << lines[1];
    EXPECT_NE(lines[2].find("\"IEC Limited By\":null,\"IEC Status\":\"Not Solved: no size: the "
                            "device rating In 16 A is below Ib 23.9 A"),
              std::string::npos)
        << lines[2];
    EXPECT_NE(lines[3].find("\"IEC Status\":\"Error: Method \\\"Z\\\" is not a method"),
              std::string::npos)
        << lines[3];
    EXPECT_EQ(json.Status, 1);
    EXPECT_EQ(json.Tally.Summary(), "5 circuits: 1 in error (on line 6); IEC: 1 not solved (on "
                                    "line 4), 2 in error (the first on line 5)");
    EXPECT_EQ(csv.Tally.Summary(), json.Tally.Summary());
    // An all-solved schedule exits 0.
    EXPECT_EQ(Sized(input.substr(0, input.find("L,")), Sizer()).Status, 0);
}

// The window's schedule in memory gives the program's bytes with the installation too, and its
// cells as the CSV writes them.
TEST(ScheduleIec, HeldScheduleWrittenAsTheProgramWritesIt) {
    const std::string input = "Circuit,Material,Load Type,Phase,Power,Length,Method,Insulation,"
                              "Fault Current,Fault Time\n"
                              "A,Copper,Inductive,Three,15,60,B2,XLPE,6,0.4\n"
                              "B,Copper,Inductive,Three,15,60,,,,\n"
                              "C,Copper,Inductive,Three,15,60,X,,,\n"
                              "D,Copper,Inductive,Three,15,60,C,,,,extra\n";
    TScheduleReader reader(TextSource(input));
    std::vector<TScheduleRow> rows;
    while (reader.ReadRows(rows, 1, Sizer())) {
    }
    std::string out;
    WriteScheduleCsv(reader.Header(), reader.Layout(), rows, [&](std::string_view s) { out += s; });
    EXPECT_EQ(out, Sized(input, Sizer()).Out);
    const auto records = Records(out);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto cells = IecResultCells(rows[i].Result);
        EXPECT_TRUE(std::equal(cells.begin(), cells.end(),
                               records[i + 1].begin() + 10 + kResultColumnCount))
            << i;
    }
    EXPECT_EQ(IecResultCells(rows[1].Result)[4], "");
    // A row wider than the header is in error to the standard too, before its extra fields.
    EXPECT_EQ(records[4][19], "Error: the row has 11 fields; the header has 10");
    EXPECT_EQ(records[4][20], "extra");
    // A row made by a window fills the installation columns the header has.
    const auto made =
        MakeFields(reader.Layout(), {{TColumn::Method, "E"}, {TColumn::Ambient, "4"}});
    EXPECT_EQ(made[6], "E");
    EXPECT_EQ(made.size(), 10u);
}

} // namespace
} // namespace qv
