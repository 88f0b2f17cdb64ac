// The shared sizing arithmetic: every size's figures against hand-worked ones, the faults, and
// the size table's answer against the engine's, bit for bit, on many random circuits.
#include "core/QvCableSizes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <random>

namespace qv {
namespace {

const std::vector<double> kSizes = {0.4, 0.5, 0.75, 1,   1.5, 2.5, 4,   6,   10,  16,  25, 35,
                                    50,  70,  95,   120, 150, 185, 240, 300, 400, 500, 625};

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Copper (56), resistive single phase, 5.5 kW over 40 m within 5.5 V: 23.913 A.
TEST(CableSizes, RowsOfTheDefaultCircuit) {
    const TSizeTable table(kSizes);
    const double current = LineCurrent(0, 0, 5.5, {});
    const std::vector<TSizeRow> rows = table.Rows(current, 56, 40, 5.5);
    ASSERT_EQ(rows.size(), kSizes.size());
    struct Expect {
        std::size_t index;
        double capacity, dropLimit;
        TLimit governs;
        bool fits;
        double voltDrop;
        std::optional<double> longestRun; // none where the size cannot carry the current
    } cases[] = {
        // 2.5 mm²: 12.278 · 2.5^0.6037 = 21.35 A; 56 · 2.5 · 5.5 / 40 = 19.25 A governs
        {5, 21.3483, 19.25, TLimit::VoltageDrop, false, 6.83229, std::nullopt},
        // 4 mm²: 28.35 A governs over 30.8 A; 23.913 A · 40 m / (56 · 4) = 4.270 V
        {6, 28.3525, 30.8, TLimit::CarryingCapacity, true, 4.27019, 51.52},
        // 0.4 mm²: 7.06 A and 3.08 A
        {0, 7.0614, 3.08, TLimit::VoltageDrop, false, 42.7019, std::nullopt},
        // 35 mm²: carries 105.0 A, allows 269.5 A; the run is 56 · 35 · 5.5 / 23.913 = 450.8 m
        {11, 105.0223, 269.5, TLimit::CarryingCapacity, true, 0.48802, 450.8},
    };
    for (const Expect& e : cases) {
        const TSizeRow& r = rows[e.index];
        EXPECT_NEAR(r.Capacity, e.capacity, 1e-4) << e.index;
        EXPECT_DOUBLE_EQ(r.DropLimit, e.dropLimit) << e.index;
        EXPECT_EQ(r.Governs, e.governs) << e.index;
        EXPECT_EQ(r.Permitted, std::min(r.Capacity, r.DropLimit)) << e.index;
        EXPECT_EQ(r.Fits, e.fits) << e.index;
        EXPECT_NEAR(*r.VoltDrop, e.voltDrop, 1e-4) << e.index;
        ASSERT_EQ(r.LongestRun.has_value(), e.longestRun.has_value()) << e.index;
        if (e.longestRun) {
            EXPECT_NEAR(*r.LongestRun, *e.longestRun, 1e-9) << e.index;
        }
    }
    EXPECT_EQ(table.Select(current, 56, 40, 5.5), 6);
}

TEST(CableSizes, FiguresThatDoNotExistAndFaults) {
    // A current of 0 reaches any length; an area of 0 has no drop.
    const std::vector<TSizeRow> rows = TSizeTable({0, 4}).Rows(0, 56, 40, 5.5);
    EXPECT_TRUE(rows[0].Fits);
    EXPECT_FALSE(rows[0].VoltDrop.has_value());
    EXPECT_FALSE(rows[1].LongestRun.has_value());
    EXPECT_EQ(*rows[1].VoltDrop, 0);

    // A fault before the chosen size raises as the engine does; one past it is shown instead.
    EXPECT_THROW(TSizeTable(kSizes).Rows(10, 56, 0, 5.5), EZeroDivide);
    EXPECT_THROW(TSizeTable({4, -1, 6}).Rows(100, 56, 1, 5.5), EInvalidOp);
    const std::vector<TSizeRow> past = TSizeTable({4, -1}).Rows(10, 56, 1, 5.5);
    EXPECT_TRUE(past[0].Fits);
    EXPECT_EQ(past[1].Fault, "Invalid floating point operation");
    EXPECT_FALSE(past[1].Fits);
}

// The power factor follows the row LineCurrent used, including the rows it skips.
TEST(CableSizes, LoadPowerFactorFollowsTheRowOfTheCurrent) {
    const double nan = std::nan("");
    const std::vector<MotorRatingRec> ratings = {
        {nan, 0.5, 80}, {1.5, 0.8, 75}, {4, 0.85, 82}, {7.5, -1, 100}};
    const struct {
        std::uint8_t loadType;
        double power;
        double factor;
    } cases[] = {
        {0, 3, 1},      // resistive
        {1, 1, 0.8},    // the first row at or above: the NaN row is skipped
        {1, 1.5, 0.8},  // equality picks the row
        {1, 1.6, 0.85}, // the next row
        {1, 9, 0.7},    // above every row: the built-in data
        {1, nan, 0.7},  // no row compares with NaN
    };
    for (const auto& c : cases) {
        for (std::uint8_t phase : {0, 1}) {
            EXPECT_EQ(LoadPowerFactor(c.loadType, phase, c.power, ratings), c.factor)
                << int(c.loadType) << ' ' << c.power;
        }
    }
    // A row whose current works out to exactly -1 (100 · 0.23 / (0.23 · -1 · 100)) is the
    // engine's "no rating": the fallback.
    const std::vector<MotorRatingRec> minusOne = {{0.23, -1, 100}};
    EXPECT_DOUBLE_EQ(LineCurrent(1, 0, 0.1, minusOne), 0.1 / 0.09338);
    EXPECT_EQ(LoadPowerFactor(1, 0, 0.1, minusOne), 0.7);
}

TEST(CableSizes, PowerLimits) {
    EXPECT_EQ(PowerLimit(0, 0), 84);
    EXPECT_EQ(PowerLimit(0, 1), 84);
    EXPECT_EQ(PowerLimit(1, 0), 5.5);
    EXPECT_EQ(PowerLimit(1, 1), 110);
}

// The engine on the process-wide tables, against the table on the same data, for random inputs
// over lists in and out of order, with an area of 0, and including faulting lengths.
TEST(CableSizes, SizeTableAgreesWithTheEngineBitForBit) {
    struct List {
        const char* name;
        std::vector<double> sizes;
    } lists[] = {
        {"Standard", kSizes},
        {"OutOfOrder", {16, 1.5, 4, 2.5, 625, 10}},
        {"ZeroFirst", {0, 1, 2.5, 6}},
        {"Empty", {}},
    };
    const std::vector<MotorRatingRec> ratings = {
        {0.37, 0.70, 72.7}, {1.1, 0.78, 81.4}, {5.5, 0.84, 87.7}, {22, 0.86, 91.6}};
    const double lengths[] = {0, 1e-300, 0.001, 1, 40, 1e6};

    std::mt19937_64 rng(18);
    std::uniform_real_distribution<double> unit(0, 1);
    for (const List& list : lists) {
        const TSizeTable table(list.sizes);
        TAmpwiser engine;
        // The engine's constructor loaded the built-in data; these replace it.
        StandardSizes = list.sizes;
        MotorRatings = ratings;
        Materials = {{"M", 0}};
        for (int n = 0; n < 20000; ++n) {
            TSizingInputs in;
            in.Conductivity = unit(rng) < 0.05 ? 0 : 1 + unit(rng) * 60;
            in.LoadType = static_cast<std::uint8_t>(rng() % 2);
            in.Phase = static_cast<std::uint8_t>(rng() % 2);
            in.Length = n % 10 == 0 ? lengths[rng() % 6] : unit(rng) * 300;
            in.Power = n % 50 == 0 ? 0 : unit(rng) * 120;
            in.MaxVoltDrop = unit(rng) < 0.05 ? 0 : unit(rng) * 20;
            Materials[0].Conductivity = in.Conductivity;
            engine.SetMaterial(0);
            MaxVoltDrop = in.MaxVoltDrop;

            std::string engineFault, tableFault;
            double area = 0, drop = 0;
            try {
                engine.Calculate(in.LoadType, in.Phase, in.Length, in.Power);
                area = engine.XArea;
                drop = engine.VoltDrop();
            } catch (const EMathError& e) {
                engineFault = e.what();
            }
            TSizing s;
            try {
                s = table.Size(in, ratings);
            } catch (const EMathError& e) {
                tableFault = e.what();
            }
            ASSERT_EQ(tableFault, engineFault) << list.name << " case " << n;
            if (!engineFault.empty())
                continue;
            ASSERT_TRUE(SameBits(s.Current, engine.Current)) << list.name << " case " << n;
            ASSERT_TRUE(SameBits(s.Area, area)) << list.name << " case " << n;
            ASSERT_TRUE(SameBits(s.VoltDrop.value_or(-1), drop)) << list.name << " case " << n;
            const std::vector<TSizeRow> rows =
                table.Rows(s.Current, in.Conductivity, in.Length, in.MaxVoltDrop);
            const auto fit =
                std::find_if(rows.begin(), rows.end(), [](const TSizeRow& r) { return r.Fits; });
            ASSERT_TRUE(SameBits(fit == rows.end() ? -1 : fit->Area, area))
                << list.name << " case " << n;
            if (s.LimitedBy) {
                ASSERT_EQ(*s.LimitedBy, fit->Governs) << list.name << " case " << n;
            }
        }
    }
    MaxVoltDrop = 5.5;
}

// A list of `n` sizes spread evenly on a log scale from 0.5 mm² to 1000 mm².
std::vector<double> LogSpread(int n) {
    std::vector<double> sizes;
    for (int i = 0; i < n; ++i)
        sizes.push_back(0.5 * std::pow(2000.0, i / (n - 1.0)));
    return sizes;
}

// A current exactly at a size's capacity or drop limit fits that size, and a step of a double
// either side of it fits as the walk says: the sizes the table passes over unseen must never
// include the one the engine takes. Every size of each list is tried, in lists in and out of
// order, past a negative area, long, and spanning too many powers of two to be indexed.
TEST(CableSizes, CurrentsAtTheLimitsSelectTheSameSizeAsTheWalk) {
    struct List {
        const char* name;
        std::vector<double> sizes;
        int circuits; // per size
    } lists[] = {
        {"Standard", kSizes, 60},
        {"OutOfOrder", {16, 1.5, 4, 2.5, 625, 10, 10, 0.75}, 100},
        {"NegativeLater", {1.5, 2.5, 4, -6, 10}, 100},
        {"Thousand", LogSpread(1000), 1},
        {"Unindexed", {1e-20, 1e-9, 0.4, 4, 625, 1e9, 1e20}, 100},
    };
    std::mt19937_64 rng(1818);
    std::uniform_real_distribution<double> unit(0, 1);
    for (const List& list : lists) {
        const TSizeTable table(list.sizes);
        for (std::size_t k = 0; k < list.sizes.size(); ++k) {
            const double area = list.sizes[k];
            if (area < 0)
                continue;
            for (int n = 0; n < list.circuits; ++n) {
                const double conductivity = 1 + unit(rng) * 60;
                const double length = 0.01 + unit(rng) * 1000;
                const double maxVoltDrop = 0.1 + unit(rng) * 20;
                for (const double limit :
                     {DropLimit(conductivity, area, maxVoltDrop, length), CarryingCapacity(area)}) {
                    for (const double current :
                         {limit, std::nextafter(limit, 0.0), std::nextafter(limit, HUGE_VAL)}) {
                        std::string walkFault, tableFault;
                        std::ptrdiff_t walk = -2, chosen = -2;
                        try {
                            walk = FirstFittingSize(list.sizes, current, conductivity, length,
                                                    maxVoltDrop);
                        } catch (const EMathError& e) {
                            walkFault = e.what();
                        }
                        try {
                            chosen = table.Select(current, conductivity, length, maxVoltDrop);
                        } catch (const EMathError& e) {
                            tableFault = e.what();
                        }
                        ASSERT_EQ(chosen, walk) << list.name << " size " << area << " current "
                                                << current << " length " << length;
                        ASSERT_EQ(tableFault, walkFault) << list.name << " size " << area;
                    }
                }
            }
        }
    }
    // Capacity alone deciding (a short run), a current exactly at a size's capacity takes that
    // size from an ascending list, however far apart its sizes.
    for (const List& list : lists) {
        if (!std::is_sorted(list.sizes.begin(), list.sizes.end()) || list.sizes.front() < 0)
            continue;
        const TSizeTable table(list.sizes);
        for (std::size_t k = 0; k < list.sizes.size(); ++k) {
            if (list.sizes[k] >= 0.4) {
                ASSERT_EQ(table.Select(CarryingCapacity(list.sizes[k]), 56, 1e-6, 5.5),
                          static_cast<std::ptrdiff_t>(k))
                    << list.name << " size " << list.sizes[k];
            }
        }
    }
}

// Where a size's drop limit and capacity are all but equal, the limit named for the chosen size is
// the one the exact figures give.
TEST(CableSizes, GoverningLimitWhereBothLimitsMeet) {
    const TSizeTable table(kSizes);
    std::mt19937_64 rng(1818);
    std::uniform_real_distribution<double> unit(0, 1);
    int both = 0;
    for (int n = 0; n < 20000; ++n) {
        TSizingInputs in;
        in.Conductivity = 20 + unit(rng) * 40;
        in.MaxVoltDrop = 1 + unit(rng) * 10;
        const double area = kSizes[5 + rng() % 10];
        const double capacity = CarryingCapacity(area);
        // A current just within the capacity, and a length that makes the drop limit that
        // capacity, give or take the last bit.
        in.Power = capacity * (0.999 - unit(rng) * 0.1) * 0.23;
        in.Length = in.Conductivity * area * in.MaxVoltDrop / capacity;
        const int steps = static_cast<int>(rng() % 5) - 2;
        for (int k = 0; k < std::abs(steps); ++k)
            in.Length = std::nextafter(in.Length, steps < 0 ? 0.0 : 1e9);
        const TSizing s = table.Size(in, {});
        const std::vector<TSizeRow> rows =
            table.Rows(s.Current, in.Conductivity, in.Length, in.MaxVoltDrop);
        const std::ptrdiff_t chosen =
            table.Select(s.Current, in.Conductivity, in.Length, in.MaxVoltDrop);
        ASSERT_GE(chosen, 0) << n;
        ASSERT_TRUE(s.LimitedBy.has_value()) << n;
        const TSizeRow& row = rows[static_cast<std::size_t>(chosen)];
        ASSERT_EQ(*s.LimitedBy, row.Governs) << n;
        both += row.DropLimit == row.Capacity;
    }
    EXPECT_GT(both, 0); // the limits did meet exactly in some cases
}

} // namespace
} // namespace qv
