// The Cable Sizes window's words and figures: verdicts worked by hand, verdicts read back on many
// random circuits (each size, limit and current they give is the real one), the cells, and the
// tab-separated and CSV text.
#include "sizestext/QvSizesText.h"

#include "text/QvCsv.h"
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
        // 4 mm² carries 28.35 A; 2.5 mm² carries 21.35 A and over 40 m drops
        // 23.913 · 40 / (56 · 2.5) = 6.832 V.
        {"the defaults", View(kSizes, kDefaultAmps, 40),
         "4 mm² chosen, limited by its carrying capacity: it carries 28.4 A (23.9 A needed). "
         "2.5 mm² fails: it carries only 21.3 A (23.9 A needed), and over 40 m it would drop "
         "6.83 V (5.5 V allowed)."},
        // Aluminium: 6 mm² drops 23.913 · 40 / (35 · 6) = 4.555 V; 4 mm² carries 28.35 A but
        // drops 6.832 V.
        {"the drop governs", View(kSizes, kDefaultAmps, 40, 5.5, 35),
         "6 mm² chosen, limited by the voltage drop: over 40 m it drops 4.55 V at 23.9 A (5.5 V "
         "allowed). 4 mm² fails: over 40 m it would drop 6.83 V at 23.9 A (5.5 V allowed)."},
        // 0.1 kW: 0.435 A; 0.4 mm² drops 0.435 · 40 / (56 · 0.4) = 0.776 V.
        {"the smallest size", View(kSizes, LineCurrent(0, 0, 0.1, {}), 40),
         "0.4 mm² chosen, limited by the voltage drop: over 40 m it drops 0.776 V at 0.435 A "
         "(5.5 V allowed). It is the smallest size listed."},
        // 625 mm² drops 23.913 · 10000 / (56 · 625) = 6.832 V over 10 km and stays within
        // 5.5 V up to 56 · 625 · 5.5 / 23.913 = 8050 m.
        {"nothing fits: the drop", View(kSizes, kDefaultAmps, 10000),
         "No size fits: over 10000 m the largest, 625 mm², would drop 6.83 V at 23.9 A (5.5 V "
         "allowed). It would stay within 5.5 V up to 8050 m."},
        // 16 mm² carries 65.5 A and over 100 m drops 121.24 · 100 / (56 · 16) = 13.5 V.
        {"nothing fits: both limits", View(toSixteen, kThreePhaseAmps, 100),
         "No size fits: the largest, 16 mm², carries only 65.5 A (121 A needed), and over 100 m "
         "it would drop 13.5 V (5.5 V allowed). It cannot carry that at any length."},
        {"a smaller fit comes later in the list", View({10, 4}, kDefaultAmps, 40),
         "10 mm² chosen, limited by its carrying capacity: it carries 49.3 A (23.9 A needed). "
         "4 mm² would carry 23.9 A too, but comes after it in the size list."},
        // 2.5 mm² drops 6.83230 V against 6.832 V allowed: five digits tell them apart.
        {"volt digits widen", View(kSizes, kDefaultAmps, 40, 6.832),
         "4 mm² chosen, limited by its carrying capacity: it carries 28.4 A (23.9 A needed). "
         "2.5 mm² fails: it carries only 21.3 A (23.9 A needed), and over 40 m it would drop "
         "6.8323 V (6.832 V allowed)."},
        // 21.349 A against the 21.3483 A that 2.5 mm² carries: five digits tell them apart.
        {"amp digits widen", View(kSizes, 21.349, 1),
         "4 mm² chosen, limited by its carrying capacity: it carries 28.352 A (21.349 A needed). "
         "2.5 mm² fails: it carries only 21.348 A (21.349 A needed)."},
        // 10 km = 32808.4 ft, 8050 m = 26410.8 ft, 625 mm² = 6.25 cm².
        {"the units shown", View(kSizes, kDefaultAmps, 10000, 5.5, 56, {1, 4, 0}),
         "No size fits: over 32808.4 ft the largest, 6.25 cm², would drop 6.83 V at 23.9 A "
         "(5.5 V allowed). It would stay within 5.5 V up to 26411 ft."},
        // A size of 0 has no drop to give: its limit is given instead.
        {"no drop to give", View({0, 4}, kDefaultAmps, 40),
         "4 mm² chosen, limited by its carrying capacity: it carries 28.4 A (23.9 A needed). "
         "0 mm² fails: it carries only 0 A (23.9 A needed), and over 40 m it allows only 0 A "
         "within 5.5 V (23.9 A needed)."},
        {"no sizes", View({}, kDefaultAmps, 40), "The data file lists no sizes."},
        // No load fits a size of 0, which the engine does not count as a size.
        {"a size of 0 first", View({0, 4}, 0, 40),
         "No size chosen: the first size listed that carries 0 A is 0 mm², which is no "
         "conductor."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SizesVerdict(c.view), c.verdict) << c.why;
}

// Reads a verdict back and holds each claim against the rows: the sizes it names, each current
// and drop it gives (the named row's, to the digits shown), and each comparison it makes, which
// must read as the real figures compare.
void CheckVerdict(const TSizesView& v) {
    const std::string text = SizesVerdict(v);
    SCOPED_TRACE(text);
    const std::string num = R"(([-0-9.E]+))";
    static const std::regex size(num + " mm²"), needed(num + R"( A (?:needed|too))"),
        at(" at " + num + " A"), capacity("carries (only )?" + num + " A"),
        drop("(drops|would drop) " + num + " V"), limit("allows (only )?" + num + " A within"),
        allowed(R"((?:\(|within )([-0-9.E]+) V)"), run(R"(up to ([-0-9.E]+) m\.)"),
        over(R"(over ([-0-9.E]+) m)");
    struct TClaim {
        bool Only;
        double Value;
    };
    const auto claims = [](const std::string& s, const std::regex& re) {
        std::vector<TClaim> out;
        for (std::sregex_iterator i(s.begin(), s.end(), re), end; i != end; ++i)
            out.push_back({i->size() > 2 && (*i)[1].matched && (*i)[1] != "drops",
                           StrToFloat((*i)[i->size() - 1].str())});
        return out;
    };
    const auto values = [&](const std::string& s, const std::regex& re) {
        std::vector<double> out;
        for (const TClaim& c : claims(s, re))
            out.push_back(c.Value);
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
    // Every current given as needed is the circuit's, in the same digits.
    std::vector<double> need = values(text, needed);
    for (double a : values(text, at))
        need.push_back(a);
    ASSERT_FALSE(need.empty());
    for (double a : need) {
        EXPECT_EQ(a, need[0]);
        near(a, current);
    }
    // Every allowed drop is the circuit's, in the same digits.
    const std::vector<double> volts = values(text, allowed);
    for (double a : volts) {
        EXPECT_EQ(a, volts.at(0));
        near(a, v.Circuit.MaxVoltDrop);
    }
    // A row's claims: its carrying capacity, and its drop or else its drop limit, each given
    // where the verdict says so, the same as the row's, and read against the needed current or
    // the allowed drop as the real figures compare: "only" and "would" exactly when it fails.
    const auto holds = [&](const std::string& s, const TSizeRow& r, bool capGiven, bool dropGiven) {
        const std::vector<TClaim> caps = claims(s, capacity), limits = claims(s, limit);
        const std::vector<TClaim> drops = claims(s, drop);
        EXPECT_EQ(caps.size(), capGiven ? 1u : 0u);
        EXPECT_EQ(drops.size() + limits.size(), dropGiven ? 1u : 0u);
        for (const TClaim& c : caps) {
            near(c.Value, r.Capacity);
            EXPECT_EQ(c.Only, current > r.Capacity);
            EXPECT_EQ((c.Value < need[0]), (current > r.Capacity));
            EXPECT_EQ(c.Value == need[0], current == r.Capacity);
        }
        for (const TClaim& d : limits) {
            near(d.Value, r.DropLimit);
            EXPECT_EQ(d.Only, current > r.DropLimit);
            EXPECT_EQ((d.Value < need[0]), (current > r.DropLimit));
        }
        for (const TClaim& d : drops) {
            ASSERT_TRUE(r.VoltDrop.has_value());
            near(d.Value, *r.VoltDrop);
            EXPECT_EQ(d.Only, current > r.DropLimit); // "would drop"
            EXPECT_EQ(d.Value > volts.at(0), current > r.DropLimit);
        }
    };

    if (v.Chosen < 0) {
        ASSERT_LT(v.FirstFit, 0);
        const TSizeRow& big =
            *std::max_element(v.Rows.begin(), v.Rows.end(),
                              [](const TSizeRow& a, const TSizeRow& b) { return a.Area < b.Area; });
        EXPECT_EQ(values(first, size), std::vector<double>{big.Area});
        holds(first, big, current > big.Capacity, current > big.DropLimit);
        EXPECT_EQ(rest == "It cannot carry that at any length.", current > big.Capacity);
        if (const std::vector<double> r = values(rest, run); !r.empty()) {
            EXPECT_LT(r[0], values(first, over).at(0));
            near(r[0], *big.LongestRun);
        }
        return;
    }
    const TSizeRow& c = v.Rows[static_cast<std::size_t>(v.Chosen)];
    EXPECT_EQ(values(first, size), std::vector<double>{c.Area});
    EXPECT_NE(first.find(std::string("limited by ") + (c.Governs == TLimit::CarryingCapacity
                                                           ? "its carrying capacity"
                                                           : "the voltage drop")),
              std::string::npos);
    holds(first, c, c.Governs == TLimit::CarryingCapacity, c.Governs == TLimit::VoltageDrop);

    const TSizeRow* below = nullptr;
    for (const TSizeRow& r : v.Rows)
        if (r.Fault.empty() && r.Area < c.Area && (!below || r.Area > below->Area))
            below = &r;
    if (!below) {
        EXPECT_EQ(rest, "It is the smallest size listed.");
        return;
    }
    EXPECT_EQ(values(rest, size).at(0), below->Area);
    if (below->Fits)
        EXPECT_NE(rest.find("comes after it in the size list"), std::string::npos);
    else
        holds(rest, *below, current > below->Capacity, current > below->DropLimit);
}

// Lists in order and shuffled, random circuits, a quarter of them with the current on a limit
// give or take a hair or a step: whatever the case, what the verdict says is what the figures show.
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
            // Half of them a step of a double from the limit, where a drop worked out from the
            // current may round to the other side of the allowed drop.
            if (n % 8 == 0)
                amps = std::nextafter(rng() % 2 ? r.Capacity : r.DropLimit,
                                      rng() % 2 ? 0.0 : HUGE_VAL);
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
// fits too; -1 is a fault. Each row names the circuit and how it stands.
TEST(SizesText, TabAndCsvText) {
    const TSizesView v = View({2, 8, 64, 1000, -1}, 20, 100, 4, 50);
    ASSERT_EQ(v.Chosen, 2);
    const auto exact = [](double area) { return ExactText(CarryingCapacity(area)); };
    const std::string circuit = ",Copper,50,Resistive,Single,5.5,100,4,20\n";
    EXPECT_EQ(SizesCsv(v), "Size (mm²),Carrying capacity (A),Current at drop limit (A),"
                           "Permitted (A),Governs,Voltage drop (V),Longest run (m),Fits,Material,"
                           "Conductivity (m/(Ω·mm²)),Load Type,Phase,Power (kW),Cable Length (m),"
                           "MaxVoltDrop (V),Line Current (A)\n"
                           "2," +
                               exact(2) + ",4,4,voltage drop,20,,no" + circuit + "8," + exact(8) +
                               ",16,16,voltage drop,5,80,no" + circuit + "64," + exact(64) +
                               ",128,128,voltage drop,0.625,640,chosen" + circuit + "1000," +
                               exact(1000) + ",2000," + exact(1000) +
                               ",carrying capacity,0.04,10000,yes" + circuit +
                               "-1,,,,Invalid floating point operation,,,no" + circuit);
    EXPECT_EQ(SizesTabText(v),
              "Size (mm²)\tCarrying capacity (A)\tCurrent at drop limit (A)\tPermitted (A)\t"
              "Governs\tVoltage drop (V)\tLongest run (m)\tFits\n"
              "2\t18.7\t4\t4\tvoltage drop\t20\t-\tno\n"
              "8\t43.1\t16\t16\tvoltage drop\t5\t80\tno\n"
              "64\t151\t128\t128\tvoltage drop\t0.625\t640\tchosen\n"
              "1000\t795\t2000\t795\tcarrying capacity\t0.04\t10000\tyes\n"
              "-1\t-\t-\t-\tInvalid floating point operation\t-\t-\tno\n");
}

// The CSV in the units the window shows: each figure in the unit its header names.
TEST(SizesText, CsvFiguresAreInTheUnitsTheirHeadersName) {
    const struct {
        TSizesUnits units;
        const char* size;  // the size column's header
        double perMm2;     // shown area per mm²
        const char* run;   // the longest run's header, and the length's
        double perMetre;   // shown length per metre
        const char* power; // the power's header
        double perKw;
    } cases[] = {
        {{}, "Size (mm²)", 1, "Longest run (m)", 1, "Power (kW)", 1},
        {{3, 4, 2},
         "Size (inch²)",
         1550.0031000062 / 1e6,
         "Longest run (ft)",
         1 / 0.3048,
         "Power (HP)",
         1.341021858656296},
        {{1, 0, 1}, "Size (cm²)", 0.01, "Longest run (m)", 1, "Power (W)", 1000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        const TSizesView v = View({2, 8, 64, 1000}, 20, 100, 4, 50, c.units);
        std::vector<std::vector<std::string>> lines;
        const std::string csv = SizesCsv(v);
        TCsvReader reader(TextSource(csv));
        for (std::vector<std::string_view> fields; reader.Next(fields);)
            lines.emplace_back(fields.begin(), fields.end());
        ASSERT_EQ(lines.size(), 5u);
        const std::vector<std::string>& head = lines[0];
        const auto column = [&](const std::string& name) {
            const auto i = std::find(head.begin(), head.end(), name);
            EXPECT_NE(i, head.end()) << name;
            return static_cast<std::size_t>(i - head.begin());
        };
        const std::size_t size = column(c.size), run = column(c.run), power = column(c.power);
        const std::size_t length = column(std::string("Cable Length (") + (c.run + 13));
        for (std::size_t r = 0; r < v.Rows.size(); ++r) {
            const std::vector<std::string>& f = lines[r + 1];
            const auto near = [](const std::string& text, double real) {
                EXPECT_NEAR(StrToFloat(text), real, std::fabs(real) * 1e-12) << text;
            };
            near(f.at(size), v.Rows[r].Area * c.perMm2);
            if (v.Rows[r].LongestRun)
                near(f.at(run), *v.Rows[r].LongestRun * c.perMetre);
            near(f.at(length), 100 * c.perMetre);
            near(f.at(power), 5.5 * c.perKw);
        }
    }
}

} // namespace
} // namespace qv
