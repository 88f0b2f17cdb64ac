// The Cable Sizes window's words and figures: verdicts worked by hand, the verdict's truth on
// many random circuits (the numbers it shows compare as the real ones do, and the limit it names
// is the one that acts), the cells, and the tab-separated and CSV text.
#include "sizes/QvSizesText.h"

#include "settings/QvSysUtils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <random>
#include <regex>

namespace qv {
namespace {

const std::vector<double> kSizes = {0.4, 0.5, 0.75, 1,   1.5, 2.5, 4,   6,   10,  16,  25, 35,
                                    50,  70,  95,   120, 150, 185, 240, 300, 400, 500, 625};

constexpr int kFeet = 4;       // length unit index
constexpr int kSquareCm = 1;   // area unit index
constexpr double kCopper = 56; // m/(Ω·mm²)
constexpr double kAluminium = 35;

// A resistive single-phase load: the current is the power over 0.23.
TSizesCircuit Circuit(double conductivity, double powerKW, double length, double volts = 5.5) {
    TSizesCircuit c;
    c.Material = conductivity == kCopper ? "Copper" : "Aluminium";
    c.Conductivity = conductivity;
    c.Power = powerKW;
    c.Length = length;
    c.MaxVoltDrop = volts;
    c.Current = LineCurrent(0, 0, powerKW, {});
    return c;
}

TSizesView View(const std::vector<double>& sizes, const TSizesCircuit& c, TSizesUnits units = {}) {
    return MakeSizesView(TSizeTable(sizes), c, units);
}

TEST(SizesText, VerdictsWorkedByHand) {
    struct Case {
        const char* name;
        std::vector<double> sizes;
        TSizesCircuit circuit;
        TSizesUnits units;
        const char* verdict;
    };
    TSizesCircuit threePhase = Circuit(kCopper, 84, 100);
    threePhase.Phase = 1;
    threePhase.Current = LineCurrent(0, 1, 84, {}); // 121.2 A
    TSizesCircuit noLoad = Circuit(kCopper, 0, 40);
    const std::vector<double> toSixteen = {1.5, 2.5, 4, 6, 10, 16};
    const Case cases[] = {
        // 23.9 A; 4 mm² carries 28.35 A (drop limit 30.8 A); 2.5 mm² carries 21.35 A and allows
        // 56 · 2.5 · 5.5 / 40 = 19.25 A.
        {"the defaults: capacity governs, both limits fail below",
         kSizes,
         Circuit(kCopper, 5.5, 40),
         {},
         "4 mm² chosen, limited by its carrying capacity (28.4 A). 2.5 mm² fails: it carries "
         "21.3 A and, over 40 m, allows 19.3 A within 5.5 V; 23.9 A is needed."},
        // Aluminium: 6 mm² allows 35 · 6 · 5.5 / 40 = 28.875 A under 36.2 A; 4 mm² carries 28.35 A
        // but allows 19.25 A.
        {"the drop governs, only the drop fails below",
         kSizes,
         Circuit(kAluminium, 5.5, 40),
         {},
         "6 mm² chosen, limited by the voltage drop: over 40 m it allows 28.9 A within 5.5 V. "
         "4 mm² fails: over 40 m it allows only 19.3 A within 5.5 V; 23.9 A is needed."},
        // 5 m: 2.5 mm² allows 154 A, so only its capacity fails.
        {"only the capacity fails below",
         kSizes,
         Circuit(kCopper, 5.5, 5),
         {},
         "4 mm² chosen, limited by its carrying capacity (28.4 A). 2.5 mm² fails: it carries "
         "only 21.3 A; 23.9 A is needed."},
        // 0.1 kW: 0.435 A; 0.4 mm² allows 56 · 0.4 · 5.5 / 40 = 3.08 A under its 7.06 A.
        {"the smallest size",
         kSizes,
         Circuit(kCopper, 0.1, 40),
         {},
         "0.4 mm² chosen, limited by the voltage drop: over 40 m it allows 3.08 A within 5.5 V. "
         "0.435 A is needed and it is the smallest size listed."},
        // 10 km: 625 mm² allows 19.25 A; it reaches 56 · 625 · 5.5 / 23.913 = 8050 m.
        {"nothing fits, the drop stops the largest",
         kSizes,
         Circuit(kCopper, 5.5, 10000),
         {},
         "No size fits: over 10000 m the largest, 625 mm², allows only 19.3 A within 5.5 V; "
         "23.9 A is needed. It would carry that up to 8050 m."},
        // 84 kW three phase: 121.2 A; 16 mm² carries 65.5 A and over 100 m allows 49.3 A.
        {"nothing fits, both limits stop the largest",
         toSixteen,
         threePhase,
         {},
         "No size fits: the largest, 16 mm², carries 65.5 A and, over 100 m, allows 49.3 A "
         "within 5.5 V; 121 A is needed. It cannot carry that at any length."},
        // Over 40 m 16 mm² allows 123.2 A, so only its capacity stops it.
        {"nothing fits, the capacity stops the largest",
         toSixteen,
         [&] {
             TSizesCircuit c = threePhase;
             c.Length = 40;
             return c;
         }(),
         {},
         "No size fits: the largest, 16 mm², carries only 65.5 A; 121 A is needed. It cannot "
         "carry that at any length."},
        // Out of order: 10 mm² comes first and fits, so it is chosen although 4 mm² would do.
        {"a smaller size that fits comes later",
         {10, 4},
         Circuit(kCopper, 5.5, 40),
         {},
         "10 mm² chosen, limited by its carrying capacity (49.3 A). 4 mm² would carry 23.9 A too, "
         "but comes after it in the size list."},
        // 6.82857 V makes the drop limit of 2.5 mm² 23.9 A, a shade under the 23.913 A needed:
        // three digits would show them equal, so four are shown.
        {"digits widen until the numbers compare truly",
         kSizes,
         Circuit(kCopper, 5.5, 40, 6.82857),
         {},
         "4 mm² chosen, limited by its carrying capacity (28.35 A). 2.5 mm² fails: it carries "
         "21.35 A and, over 40 m, allows 23.9 A within 6.82857 V; 23.91 A is needed."},
        // 10 km is 32808.4 ft; the run of 625 mm² is 8050 m = 26410.8 ft; 625 mm² is 6.25 cm².
        {"lengths and sizes in the units the fields show",
         kSizes,
         Circuit(kCopper, 5.5, 10000),
         {kSquareCm, kFeet, 0},
         "No size fits: over 32808.4 ft the largest, 6.25 cm², allows only 19.3 A within 5.5 V; "
         "23.9 A is needed. It would carry that up to 26411 ft."},
        {"no sizes listed", {}, Circuit(kCopper, 5.5, 40), {}, "The data file lists no sizes."},
        // No load: 0 A fits a size of 0, which the engine does not count as a size.
        {"a size of 0 first",
         {0, 4},
         noLoad,
         {},
         "No size chosen: the first size listed that carries 0 A is 0 mm², which is no "
         "conductor."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SizesVerdict(View(c.sizes, c.circuit, c.units)), c.verdict) << c.name;
}

// A number as the verdict writes it.
const std::string num = R"(([-0-9.E]+))";

double Read(const std::string& text) {
    return StrToFloat(text);
}

// The shown figure is the real one to its digits: within half a unit of the third significant
// digit at least.
void ExpectShows(const std::string& text, double real, const std::string& what) {
    EXPECT_NEAR(Read(text), real, std::fabs(real) * 5e-3) << what;
}

// Reads a verdict back and checks each claim against the rows.
void CheckVerdict(const TSizesView& v, const std::string& what) {
    const std::string text = SizesVerdict(v);
    const double current = v.Circuit.Current;
    std::smatch m;
    if (v.Chosen >= 0) {
        const TSizeRow& c = v.Rows[static_cast<std::size_t>(v.Chosen)];
        static const std::regex capacity("^" + num +
                                         " mm² chosen, limited by its carrying capacity \\(" + num +
                                         " A\\)\\. (.*)$");
        static const std::regex drop("^" + num + " mm² chosen, limited by the voltage drop: over " +
                                     num + " m it allows " + num + " A within " + num +
                                     " V\\. (.*)$");
        std::string rest;
        if (std::regex_match(text, m, capacity)) {
            EXPECT_EQ(c.Governs, TLimit::CarryingCapacity) << what << text;
            ExpectShows(m[2], c.Capacity, what + text);
            rest = m[3];
        } else if (std::regex_match(text, m, drop)) {
            EXPECT_EQ(c.Governs, TLimit::VoltageDrop) << what << text;
            ExpectShows(m[3], c.DropLimit, what + text);
            rest = m[5];
        } else {
            ADD_FAILURE() << what << "unexpected verdict: " << text;
            return;
        }
        EXPECT_EQ(Read(m[1]), c.Area) << what << text;
        const double permitted = Read(m[2 + (c.Governs == TLimit::VoltageDrop)]);

        const TSizeRow* below = nullptr;
        for (const TSizeRow& r : v.Rows)
            if (r.Fault.empty() && r.Area < c.Area && (!below || r.Area > below->Area))
                below = &r;
        static const std::regex both("^" + num + " mm² fails: it carries " + num + " A and, over " +
                                     num + " m, allows " + num + " A within " + num + " V; " + num +
                                     " A is needed\\.$");
        static const std::regex capOnly("^" + num + " mm² fails: it carries only " + num + " A; " +
                                        num + " A is needed\\.$");
        static const std::regex dropOnly("^" + num + " mm² fails: over " + num +
                                         " m it allows only " + num + " A within " + num + " V; " +
                                         num + " A is needed\\.$");
        static const std::regex smallest("^" + num +
                                         " A is needed and it is the smallest size listed\\.$");
        static const std::regex later("^" + num + " mm² would carry " + num +
                                      " A too, but comes after it in the size list\\.$");
        double needed = 0;
        if (std::regex_match(rest, m, both)) {
            ASSERT_TRUE(below) << what << text;
            EXPECT_TRUE(current > below->Capacity && current > below->DropLimit) << what << text;
            needed = Read(m[6]);
            EXPECT_LT(Read(m[2]), needed) << what << text;
            EXPECT_LT(Read(m[4]), needed) << what << text;
            ExpectShows(m[2], below->Capacity, what + text);
            ExpectShows(m[4], below->DropLimit, what + text);
        } else if (std::regex_match(rest, m, capOnly)) {
            ASSERT_TRUE(below) << what << text;
            EXPECT_TRUE(current > below->Capacity && current <= below->DropLimit) << what << text;
            needed = Read(m[3]);
            EXPECT_LT(Read(m[2]), needed) << what << text;
            ExpectShows(m[2], below->Capacity, what + text);
        } else if (std::regex_match(rest, m, dropOnly)) {
            ASSERT_TRUE(below) << what << text;
            EXPECT_TRUE(current <= below->Capacity && current > below->DropLimit) << what << text;
            needed = Read(m[5]);
            EXPECT_LT(Read(m[3]), needed) << what << text;
            ExpectShows(m[3], below->DropLimit, what + text);
        } else if (std::regex_match(rest, m, smallest)) {
            EXPECT_FALSE(below) << what << text;
            needed = Read(m[1]);
        } else if (std::regex_match(rest, m, later)) {
            ASSERT_TRUE(below) << what << text;
            EXPECT_TRUE(below->Fits) << what << text;
            needed = Read(m[2]);
        } else {
            ADD_FAILURE() << what << "unexpected second sentence: " << rest;
            return;
        }
        if (below) {
            EXPECT_EQ(Read(rest.substr(0, rest.find(' '))), below->Area) << what << text;
        }
        EXPECT_NEAR(needed, current, current * 5e-3) << what << text;
        EXPECT_GE(permitted, needed) << what << text;
        return;
    }

    ASSERT_LT(v.FirstFit, 0) << what << text;
    const TSizeRow& big =
        *std::max_element(v.Rows.begin(), v.Rows.end(),
                          [](const TSizeRow& a, const TSizeRow& b) { return a.Area < b.Area; });
    static const std::regex both("^No size fits: the largest, " + num + " mm², carries " + num +
                                 " A and, over " + num + " m, allows " + num + " A within " + num +
                                 " V; " + num +
                                 " A is needed\\. It cannot carry that at any length\\.$");
    static const std::regex capOnly("^No size fits: the largest, " + num + " mm², carries only " +
                                    num + " A; " + num +
                                    " A is needed\\. It cannot carry that at any length\\.$");
    static const std::regex dropOnly("^No size fits: over " + num + " m the largest, " + num +
                                     " mm², allows only " + num + " A within " + num + " V; " +
                                     num + " A is needed\\.(?: It would carry that up to " + num +
                                     " m\\.)?$");
    if (std::regex_match(text, m, both)) {
        EXPECT_TRUE(current > big.Capacity && current > big.DropLimit) << what << text;
        EXPECT_EQ(Read(m[1]), big.Area) << what << text;
        EXPECT_LT(Read(m[2]), Read(m[6])) << what << text;
        EXPECT_LT(Read(m[4]), Read(m[6])) << what << text;
        ExpectShows(m[2], big.Capacity, what + text);
    } else if (std::regex_match(text, m, capOnly)) {
        EXPECT_TRUE(current > big.Capacity && current <= big.DropLimit) << what << text;
        EXPECT_LT(Read(m[2]), Read(m[3])) << what << text;
    } else if (std::regex_match(text, m, dropOnly)) {
        EXPECT_TRUE(current <= big.Capacity && current > big.DropLimit) << what << text;
        EXPECT_EQ(Read(m[2]), big.Area) << what << text;
        EXPECT_LT(Read(m[3]), Read(m[5])) << what << text;
        ExpectShows(m[3], big.DropLimit, what + text);
        if (m[6].matched) {
            // The run reads shorter than the length, and is the real run to its digits.
            EXPECT_LT(Read(m[6]), Read(m[1])) << what << text;
            ExpectShows(m[6], *big.LongestRun, what + text);
        }
    } else {
        ADD_FAILURE() << what << "unexpected verdict: " << text;
    }
}

// Random lists, in order and shuffled, and random circuits, many near a boundary: whatever the
// case, what the verdict says is what the figures show.
TEST(SizesText, VerdictIsTrueOnRandomCircuits) {
    std::mt19937_64 rng(17);
    std::uniform_real_distribution<double> unit(0, 1);
    const auto logUniform = [&](double lo, double hi) { return lo * std::pow(hi / lo, unit(rng)); };
    int chosen = 0, none = 0;
    for (int n = 0; n < 4000; ++n) {
        std::vector<double> sizes = kSizes;
        if (n % 3 == 1) {
            sizes.resize(1 + rng() % kSizes.size());
            std::shuffle(sizes.begin(), sizes.end(), rng);
        } else if (n % 3 == 2) {
            sizes.clear();
            for (std::size_t k = 1 + rng() % 8; k > 0; --k)
                sizes.push_back(std::round(logUniform(0.3, 1000) * 100) / 100);
        }
        TSizesCircuit c;
        c.Conductivity = logUniform(10, 60);
        c.Length = logUniform(0.5, 20000);
        c.MaxVoltDrop = logUniform(0.5, 40);
        c.Current = logUniform(0.01, 2000);
        // Sit the current on a limit of some size, give or take a hair.
        if (n % 4 == 0) {
            const TSizeTable t(sizes);
            const auto rows = t.Rows(c.Current, c.Conductivity, c.Length, c.MaxVoltDrop);
            const TSizeRow& r = rows[rng() % rows.size()];
            c.Current = (rng() % 2 ? r.Capacity : r.DropLimit) * (1 + (unit(rng) - 0.5) * 1e-6);
        }
        const TSizesView v = View(sizes, c);
        (v.Chosen >= 0 ? chosen : none)++;
        CheckVerdict(v, "case " + std::to_string(n) + ": ");
        if (HasFailure())
            return;
    }
    // Both branches were exercised well.
    EXPECT_GT(chosen, 1000);
    EXPECT_GT(none, 500);
}

TEST(SizesText, CellsOfTheDefaultCircuitByHand) {
    struct Case {
        const char* name;
        TSizesUnits units;
        std::size_t row;
        std::vector<std::string> cells;
    };
    const Case cases[] = {
        // 2.5 mm²: 21.35 A, 19.25 A governs; 23.913 · 40 / (56 · 2.5) = 6.832 V; the run is
        // 56 · 2.5 · 5.5 / 23.913 = 32.2 m.
        {"2.5 mm²", {}, 5, {"2.5", "21.3", "19.3", "19.3", "voltage drop", "6.83", "32.2"}},
        {"4 mm²", {}, 6, {"4", "28.4", "30.8", "28.4", "carrying capacity", "4.27", "51.5"}},
        {"0.4 mm²", {}, 0, {"0.4", "7.06", "3.08", "3.08", "voltage drop", "42.7", "5.15"}},
        // 51.52 m = 169.03 ft; 4 mm² = 0.04 cm².
        {"in cm² and ft",
         {kSquareCm, kFeet, 0},
         6,
         {"0.04", "28.4", "30.8", "28.4", "carrying capacity", "4.27", "169"}},
    };
    for (const Case& c : cases) {
        const TSizesView v = View(kSizes, Circuit(kCopper, 5.5, 40), c.units);
        ASSERT_EQ(v.Rows.size(), kSizes.size());
        EXPECT_EQ(v.Chosen, 6) << c.name;
        for (int col = 0; col < SizesColumnCount; ++col)
            EXPECT_EQ(SizesCell(v, c.row, col), c.cells[static_cast<std::size_t>(col)])
                << c.name << " column " << col;
    }
    const TSizesView feet = View(kSizes, Circuit(kCopper, 5.5, 40), {kSquareCm, kFeet, 0});
    EXPECT_EQ(SizesHeader(feet, scSize), "Size (cm²)");
    EXPECT_EQ(SizesHeader(feet, scLongestRun), "Longest run (ft)");
}

TEST(SizesText, FiguresThatDoNotExistAndFaults) {
    // No current: any length is within reach.
    TSizesView idle = View({4}, Circuit(kCopper, 0, 40));
    EXPECT_EQ(SizesCell(idle, 0, scLongestRun), "-");
    EXPECT_EQ(SizesCell(idle, 0, scVoltDrop), "0");
    // A fault past the chosen size is shown in its row, not raised.
    const TSizesView faulty = View({4, -1}, Circuit(kCopper, 5.5, 40));
    EXPECT_EQ(SizesCell(faulty, 1, scCapacity), "-");
    EXPECT_EQ(SizesCell(faulty, 1, scGoverns), "Invalid floating point operation");
    // A zero length raises as the engine does.
    EXPECT_THROW(View(kSizes, Circuit(kCopper, 5.5, 0)), EZeroDivide);
}

TEST(SizesText, InputsAsTheFieldsShowThem) {
    TSizesCircuit c = Circuit(kCopper, 5.5, 40);
    c.LoadType = 1;
    c.Phase = 1;
    const auto inputs = SizesInputs(View(kSizes, c, {2, kFeet, 1}));
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Material", "Copper, 56 m/(Ω·mm²)"},
        {"Load Type", "Inductive"},
        {"Phase", "Three"},
        {"Power", "5500 W"},
        {"Cable Length", "131.234 ft"},
        {"MaxVoltDrop", "5.5 V"},
        {"Line Current", "23.9 A"},
    };
    EXPECT_EQ(inputs, expected);
}

TEST(SizesText, SignificantText) {
    struct Case {
        double value;
        int digits;
        const char* text;
    } cases[] = {
        {28.3525, 3, "28.4"},         {4.27019, 3, "4.27"}, {625, 3, "625"},      {8050, 3, "8050"},
        {0.000123456, 3, "0.000123"}, {9.996, 3, "10"},     {99.96, 3, "100"},    {0.5, 3, "0.5"},
        {23.913043478, 4, "23.91"},   {0, 3, "0"},          {-19.25, 3, "-19.3"}, {23.9, 4, "23.9"},
    };
    // Whatever the locale says, a point.
    const char* old = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    for (const Case& c : cases)
        EXPECT_EQ(SignificantText(c.value, c.digits), c.text) << c.value;
    std::setlocale(LC_NUMERIC, old ? old : "C");
    EXPECT_EQ(ExactText(0.1), "0.1");
    EXPECT_EQ(ExactText(23.91304347826087), "23.91304347826087");
}

// A current and limits whose figures are exact in binary, so every byte can be written down.
TEST(SizesText, TabAndCsvText) {
    TSizesCircuit c;
    c.Material = "Copper";
    c.Conductivity = 50;
    c.Length = 100;
    c.MaxVoltDrop = 4;
    c.Current = 20;
    // 2 mm²: drop limit 50 · 2 · 4 / 100 = 4 A, 20 A · 100 m / (50 · 2) = 20 V, run 20 m.
    // 8 mm² carries 43.1 A, allows 16 A: too small. 64 mm² carries 151 A and allows 128 A: the
    // first fit. 1000 mm² fits too; -1 is a fault.
    const TSizesView v = View({2, 8, 64, 1000, -1}, c);
    ASSERT_EQ(v.Chosen, 2);
    const std::string cap2 = ExactText(CarryingCapacity(2));
    const std::string cap8 = ExactText(CarryingCapacity(8));
    const std::string cap64 = ExactText(CarryingCapacity(64));
    const std::string cap1000 = ExactText(CarryingCapacity(1000));
    EXPECT_EQ(SizesCsv(v), "Size (mm²),Carrying capacity (A),Drop limit (A),Permitted (A),Governs,"
                           "Voltage drop (V),Longest run (m),Fits\n"
                           "2," +
                               cap2 +
                               ",4,4,voltage drop,20,20,no\n"
                               "8," +
                               cap8 +
                               ",16,16,voltage drop,5,80,no\n"
                               "64," +
                               cap64 +
                               ",128,128,voltage drop,0.625,640,chosen\n"
                               "1000," +
                               cap1000 + ",2000," + cap1000 +
                               ",carrying capacity,0.04,10000,yes\n"
                               "-1,,,,Invalid floating point operation,,,no\n");
    EXPECT_EQ(SizesTabText(v),
              "Size (mm²)\tCarrying capacity (A)\tDrop limit (A)\tPermitted (A)\tGoverns\t"
              "Voltage drop (V)\tLongest run (m)\n"
              "2\t" +
                  SignificantText(CarryingCapacity(2), 3) +
                  "\t4\t4\tvoltage drop\t20\t20\n"
                  "8\t43.1\t16\t16\tvoltage drop\t5\t80\n"
                  "64\t151\t128\t128\tvoltage drop\t0.625\t640\n"
                  "1000\t" +
                  SignificantText(CarryingCapacity(1000), 3) + "\t2000\t" +
                  SignificantText(CarryingCapacity(1000), 3) +
                  "\tcarrying capacity\t0.04\t10000\n"
                  "-1\t-\t-\t-\tInvalid floating point operation\t-\t-\n");
}

} // namespace
} // namespace qv
