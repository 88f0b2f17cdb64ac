// The Cable Sizes window's words and figures: verdicts worked by hand, verdicts read back on many
// random circuits (each size, limit and current they give is the real one), the cells, and the
// tab-separated and CSV text.
#include "sizestext/QvSizesText.h"

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
// 5.5 kW, resistive, single phase: 23.913 A; 84 kW three phase: 121.2 A.
const double kDefaultAmps = LineCurrent(0, 0, 5.5, {});
const double kThreePhaseAmps = LineCurrent(0, 1, 84, {});

TSizesView View(const std::vector<double>& sizes, double amps, double length, double volts = 5.5,
                double conductivity = 56, TSizesUnits units = {}) {
    TSizesCircuit c;
    c.Material = "Copper";
    c.Conductivity = conductivity;
    c.Power = 5.5;
    c.Length = length;
    c.MaxVoltDrop = volts;
    c.Current = amps;
    return MakeSizesView(TSizeTable(sizes), c, units);
}

TEST(SizesText, VerdictsWorkedByHand) {
    const std::vector<double> toSixteen = {1.5, 2.5, 4, 6, 10, 16};
    const struct {
        const char* why;
        TSizesView view;
        const char* verdict;
    } cases[] = {
        // 4 mm² carries 28.35 A (allows 30.8 A); 2.5 mm² carries 21.35 A, allows
        // 56 · 2.5 · 5.5 / 40 = 19.25 A.
        {"the defaults", View(kSizes, kDefaultAmps, 40),
         "4 mm² chosen, limited by its carrying capacity (28.4 A). 2.5 mm² fails: it carries "
         "21.3 A and, over 40 m, allows 19.3 A within 5.5 V; 23.9 A is needed."},
        // Aluminium: 6 mm² allows 35 · 6 · 5.5 / 40 = 28.875 A; 4 mm² carries 28.35 A,
        // allows 19.25.
        {"the drop governs", View(kSizes, kDefaultAmps, 40, 5.5, 35),
         "6 mm² chosen, limited by the voltage drop: over 40 m it allows 28.9 A within 5.5 V. "
         "4 mm² fails: over 40 m it allows only 19.3 A within 5.5 V; 23.9 A is needed."},
        // 0.1 kW: 0.435 A; 0.4 mm² allows 56 · 0.4 · 5.5 / 40 = 3.08 A under its 7.06 A.
        {"the smallest size", View(kSizes, LineCurrent(0, 0, 0.1, {}), 40),
         "0.4 mm² chosen, limited by the voltage drop: over 40 m it allows 3.08 A within 5.5 V. "
         "0.435 A is needed and it is the smallest size listed."},
        // 625 mm² allows 19.25 A over 10 km and reaches 56 · 625 · 5.5 / 23.913 = 8050 m.
        {"nothing fits: the drop", View(kSizes, kDefaultAmps, 10000),
         "No size fits: over 10000 m the largest, 625 mm², allows only 19.3 A within 5.5 V; "
         "23.9 A is needed. It would carry that up to 8050 m."},
        // 16 mm² carries 65.5 A and over 100 m allows 49.3 A; over 40 m, 123.2 A.
        {"nothing fits: both limits", View(toSixteen, kThreePhaseAmps, 100),
         "No size fits: the largest, 16 mm², carries 65.5 A and, over 100 m, allows 49.3 A "
         "within 5.5 V; 121 A is needed. It cannot carry that at any length."},
        {"a smaller fit comes later in the list", View({10, 4}, kDefaultAmps, 40),
         "10 mm² chosen, limited by its carrying capacity (49.3 A). 4 mm² would carry 23.9 A too, "
         "but comes after it in the size list."},
        // 6.82857 V makes 2.5 mm² allow 23.9 A, a shade under 23.913 A: four digits tell them
        // apart.
        {"digits widen", View(kSizes, kDefaultAmps, 40, 6.82857),
         "4 mm² chosen, limited by its carrying capacity (28.35 A). 2.5 mm² fails: it carries "
         "21.35 A and, over 40 m, allows 23.9 A within 6.82857 V; 23.91 A is needed."},
        // 10 km = 32808.4 ft, 8050 m = 26410.8 ft, 625 mm² = 6.25 cm².
        {"the units shown", View(kSizes, kDefaultAmps, 10000, 5.5, 56, {1, 4, 0}),
         "No size fits: over 32808.4 ft the largest, 6.25 cm², allows only 19.3 A within 5.5 V; "
         "23.9 A is needed. It would carry that up to 26411 ft."},
        {"no sizes", View({}, kDefaultAmps, 40), "The data file lists no sizes."},
        // No load fits a size of 0, which the engine does not count as a size.
        {"a size of 0 first", View({0, 4}, 0, 40),
         "No size chosen: the first size listed that carries 0 A is 0 mm², which is no "
         "conductor."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SizesVerdict(c.view), c.verdict) << c.why;
}

// Reads a verdict back and holds each claim against the rows: the sizes it names, and each
// current it gives, which must be the named limit's to its last digit and compare with the
// current needed as the real ones do.
void CheckVerdict(const TSizesView& v) {
    const std::string text = SizesVerdict(v);
    SCOPED_TRACE(text);
    static const std::regex size(R"(([-0-9.E]+) mm²)"),
        needed(R"(([-0-9.E]+) A (?:is needed|too))"),
        capacity(R"((?:carrying capacity \(|carries (?:only )?)([-0-9.E]+) A)"),
        drop(R"(allows (?:only )?([-0-9.E]+) A)"), run(R"(up to ([-0-9.E]+) m\.)"),
        over(R"(over ([-0-9.E]+) m)");
    const auto all = [](const std::string& s, const std::regex& re) {
        std::vector<double> out;
        for (std::sregex_iterator i(s.begin(), s.end(), re), end; i != end; ++i)
            out.push_back(StrToFloat((*i)[1].str()));
        return out;
    };
    const auto near = [](double shown, double real) {
        EXPECT_NEAR(shown, real, std::fabs(real) * 5e-3);
    };
    // The first sentence gives the chosen size, or the largest; the rest the size below it.
    const std::size_t cut = text.find(". ");
    const std::string first = text.substr(0, cut);
    const std::string rest = cut == std::string::npos ? "" : text.substr(cut + 2);
    const double current = v.Circuit.Current;
    const std::vector<double> need = all(text, needed);
    ASSERT_EQ(need.size(), 1u);
    near(need[0], current);
    // Each limit given for a size that fails is below the current needed, and given exactly
    // when it fails.
    const auto failing = [&](const std::string& s, const TSizeRow& r) {
        const std::vector<double> caps = all(s, capacity), drops = all(s, drop);
        EXPECT_EQ(caps.size(), current > r.Capacity ? 1u : 0u);
        EXPECT_EQ(drops.size(), current > r.DropLimit ? 1u : 0u);
        for (double c : caps) {
            EXPECT_LT(c, need[0]);
            near(c, r.Capacity);
        }
        for (double d : drops) {
            EXPECT_LT(d, need[0]);
            near(d, r.DropLimit);
        }
    };

    if (v.Chosen < 0) {
        ASSERT_LT(v.FirstFit, 0);
        const TSizeRow& big =
            *std::max_element(v.Rows.begin(), v.Rows.end(),
                              [](const TSizeRow& a, const TSizeRow& b) { return a.Area < b.Area; });
        EXPECT_EQ(all(first, size), std::vector<double>{big.Area});
        failing(first, big);
        EXPECT_EQ(rest == "It cannot carry that at any length.", current > big.Capacity);
        if (const std::vector<double> r = all(rest, run); !r.empty()) {
            EXPECT_LT(r[0], all(first, over).at(0));
            near(r[0], *big.LongestRun);
        }
        return;
    }
    const TSizeRow& c = v.Rows[static_cast<std::size_t>(v.Chosen)];
    EXPECT_EQ(all(first, size), std::vector<double>{c.Area});
    const std::vector<double> caps = all(first, capacity), drops = all(first, drop);
    ASSERT_EQ(caps.size() + drops.size(), 1u);
    EXPECT_EQ(caps.size() == 1, c.Governs == TLimit::CarryingCapacity);
    const double permitted = caps.empty() ? drops[0] : caps[0];
    near(permitted, c.Permitted);
    EXPECT_GE(permitted, need[0]);

    const TSizeRow* below = nullptr;
    for (const TSizeRow& r : v.Rows)
        if (r.Fault.empty() && r.Area < c.Area && (!below || r.Area > below->Area))
            below = &r;
    if (!below) {
        EXPECT_NE(rest.find("it is the smallest size listed"), std::string::npos);
        return;
    }
    EXPECT_EQ(all(rest, size).at(0), below->Area);
    if (below->Fits)
        EXPECT_NE(rest.find("comes after it in the size list"), std::string::npos);
    else
        failing(rest, *below);
}

// Lists in order and shuffled, random circuits, a quarter of them with the current on a limit
// give or take a hair: whatever the case, what the verdict says is what the figures show.
TEST(SizesText, VerdictIsTrueOnRandomCircuits) {
    std::mt19937_64 rng(17);
    std::uniform_real_distribution<double> unit(0, 1);
    const auto logUniform = [&](double lo, double hi) { return lo * std::pow(hi / lo, unit(rng)); };
    int chosen = 0, none = 0;
    for (int n = 0; n < 4000 && !HasFailure(); ++n) {
        std::vector<double> sizes = kSizes;
        if (n % 3 == 1) {
            sizes.resize(1 + rng() % kSizes.size());
            std::shuffle(sizes.begin(), sizes.end(), rng);
        } else if (n % 3 == 2) {
            sizes.assign(1 + rng() % 8, 0);
            for (double& s : sizes)
                s = std::round(logUniform(0.3, 1000) * 100) / 100;
        }
        const double length = logUniform(0.5, 20000), volts = logUniform(0.5, 40);
        const double conductivity = logUniform(10, 60);
        double amps = logUniform(0.01, 2000);
        if (n % 4 == 0) {
            const TSizesView probe = View(sizes, amps, length, volts, conductivity);
            const TSizeRow& r = probe.Rows[rng() % sizes.size()];
            amps = (rng() % 2 ? r.Capacity : r.DropLimit) * (1 + (unit(rng) - 0.5) * 1e-6);
        }
        const TSizesView v = View(sizes, amps, length, volts, conductivity);
        (v.Chosen >= 0 ? chosen : none)++;
        SCOPED_TRACE("case " + std::to_string(n));
        CheckVerdict(v);
    }
    EXPECT_GT(chosen, 1000);
    EXPECT_GT(none, 500);
}

TEST(SizesText, CellsOfTheDefaultCircuitByHand) {
    const struct {
        TSizesUnits units;
        std::size_t row;
        std::vector<std::string> cells;
    } cases[] = {
        // 2.5 mm²: 23.913 A · 40 m / (56 · 2.5) = 6.832 V; it carries only 21.3 A, so no run.
        {{}, 5, {"2.5", "21.3", "19.3", "19.3", "voltage drop", "6.83", "-"}},
        {{}, 6, {"4", "28.4", "30.8", "28.4", "carrying capacity", "4.27", "51.5"}},
        // In cm² and ft: 0.04 cm², 51.52 m = 169.03 ft.
        {{1, 4, 0}, 6, {"0.04", "28.4", "30.8", "28.4", "carrying capacity", "4.27", "169"}},
    };
    for (const auto& c : cases) {
        const TSizesView v = View(kSizes, kDefaultAmps, 40, 5.5, 56, c.units);
        EXPECT_EQ(v.Chosen, 6);
        for (int col = 0; col < SizesColumnCount; ++col)
            EXPECT_EQ(SizesCell(v, c.row, col), c.cells[std::size_t(col)]) << c.row << "/" << col;
    }
    const TSizesView feet = View(kSizes, kDefaultAmps, 40, 5.5, 56, {1, 4, 0});
    EXPECT_EQ(SizesHeader(feet, scSize), "Size (cm²)");
    EXPECT_EQ(SizesHeader(feet, scLongestRun), "Longest run (ft)");

    // No current reaches any length; a fault past the chosen size is shown, not raised; a zero
    // length raises as the engine does.
    EXPECT_EQ(SizesCell(View({4}, 0, 40), 0, scLongestRun), "-");
    EXPECT_EQ(SizesCell(View({4, -1}, kDefaultAmps, 40), 1, scGoverns),
              "Invalid floating point operation");
    EXPECT_THROW(View(kSizes, kDefaultAmps, 0), EZeroDivide);
}

TEST(SizesText, SignificantText) {
    const struct {
        double value;
        int digits;
        const char* text;
    } cases[] = {{28.3525, 3, "28.4"}, {8050, 3, "8050"},    {0.000123456, 3, "0.000123"},
                 {9.996, 3, "10"},     {-19.25, 3, "-19.3"}, {23.9, 4, "23.9"}};
    // A point, whatever the locale says.
    const char* old = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    for (const auto& c : cases)
        EXPECT_EQ(SignificantText(c.value, c.digits), c.text) << c.value;
    std::setlocale(LC_NUMERIC, old ? old : "C");
    EXPECT_EQ(ExactText(23.91304347826087), "23.91304347826087");
}

// Figures exact in binary, so every byte can be written down: 50 m/(Ω·mm²), 100 m, 4 V, 20 A.
// 2 mm² carries 18.7 A and allows 4 A (20 V; no run, since it cannot carry 20 A); 8 mm²
// carries 43.1 A and allows 16 A; 64 mm² carries 151 A and allows 128 A, the first fit; 1000 mm²
// fits too; -1 is a fault.
TEST(SizesText, TabAndCsvText) {
    const TSizesView v = View({2, 8, 64, 1000, -1}, 20, 100, 4, 50);
    ASSERT_EQ(v.Chosen, 2);
    const auto exact = [](double area) { return ExactText(CarryingCapacity(area)); };
    EXPECT_EQ(SizesCsv(v), "Size (mm²),Carrying capacity (A),Drop limit (A),Permitted (A),Governs,"
                           "Voltage drop (V),Longest run (m),Fits\n"
                           "2," +
                               exact(2) +
                               ",4,4,voltage drop,20,,no\n"
                               "8," +
                               exact(8) +
                               ",16,16,voltage drop,5,80,no\n"
                               "64," +
                               exact(64) +
                               ",128,128,voltage drop,0.625,640,chosen\n"
                               "1000," +
                               exact(1000) + ",2000," + exact(1000) +
                               ",carrying capacity,0.04,10000,yes\n"
                               "-1,,,,Invalid floating point operation,,,no\n");
    EXPECT_EQ(SizesTabText(v), "Size (mm²)\tCarrying capacity (A)\tDrop limit (A)\tPermitted (A)\t"
                               "Governs\tVoltage drop (V)\tLongest run (m)\n"
                               "2\t18.7\t4\t4\tvoltage drop\t20\t-\n"
                               "8\t43.1\t16\t16\tvoltage drop\t5\t80\n"
                               "64\t151\t128\t128\tvoltage drop\t0.625\t640\n"
                               "1000\t795\t2000\t795\tcarrying capacity\t0.04\t10000\n"
                               "-1\t-\t-\t-\tInvalid floating point operation\t-\t-\n");
}

} // namespace
} // namespace qv
