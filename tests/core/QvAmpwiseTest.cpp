// The cable sizing engine: line current, size selection and voltage drop against hand-worked
// figures, the arithmetic faults, and loading the electrical data file (own files and the shipped
// one).
#include "core/QvAmpwise.h"

#include "settings/QvApplicationPath.h"
#include "settings/QvSysUtils.h"
#include "tests/testsupport/TempFolder.h"
#include "units/QvConv.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>

namespace qv {
namespace {

const std::vector<double> kDefaultSizes = {0.4, 0.5, 0.75, 1,   1.5, 2.5, 4,  6,
                                           10,  16,  25,   35,  50,  70,  95, 120,
                                           150, 185, 240,  300, 400, 500, 625};

// Each test gets its own data folder; without a file the engine starts on the built-in sizes.
class EngineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(folder_.Path().empty());
        dir_ = folder_.Path();
        SharedDataPath = dir_ + "/";
        MaxVoltDrop = 5.5;
    }
    void TearDown() override {
        SharedDataPath.clear();
        MaxVoltDrop = 5.5;
    }
    void WriteData(const std::string& text) const {
        std::ofstream(dir_ + "/ElecData.ini", std::ios::binary) << text;
    }
    static void UseMaterial(TAmpwiser& engine, double conductivity) {
        Materials = {{"Test", conductivity}};
        engine.SetMaterial(0);
    }

    test::TempFolder folder_;
    std::string dir_;
};

struct CurrentCase {
    const char* name;
    std::uint8_t loadType, phase;
    double power;
    std::vector<MotorRatingRec> ratings;
    double expected; // worked by hand from the stated constants
};

TEST_F(EngineTest, LineCurrentFormulas) {
    const CurrentCase rows[] = {
        {"ResistiveSingle", 0, 0, 5.5, {}, 23.9130434782608695652},
        {"ResistiveThree", 0, 1, 5.5, {}, 7.93856620135220852400},
        {"InductiveEmptyTableSingle", 1, 0, 1, {}, 10.7089312486613835939},
        {"InductiveEmptyTableThree", 1, 1, 1, {}, 3.55511249500770645947},
        {"InductiveNextRatingUp",
         1,
         0,
         5,
         {{4, 0.5, 50}, {5.5, 0.8, 85}, {7.5, 0.1, 10}},
         35.1662404092071611253},
        {"InductiveExactRatingThree", 1, 1, 5.5, {{5.5, 0.8, 85}}, 11.6743620608120713588},
        {"InductivePastTableFallsBack", 1, 1, 200, {{5.5, 0.8, 85}}, 711.022499001541291894},
        {"InductiveRatingNotANumberSkipped",
         1,
         0,
         5,
         {{std::numeric_limits<double>::quiet_NaN(), 1, 1}, {5.5, 0.8, 85}},
         35.1662404092071611253},
    };
    TAmpwiser engine;
    UseMaterial(engine, 56);
    for (const CurrentCase& r : rows) {
        MotorRatings = r.ratings;
        engine.Calculate(r.loadType, r.phase, 10, r.power);
        EXPECT_DOUBLE_EQ(engine.Current, r.expected) << r.name;
        EXPECT_EQ(engine.LoadType, r.loadType) << r.name;
        EXPECT_EQ(engine.Phase, r.phase) << r.name;
        EXPECT_EQ(engine.Power, r.power) << r.name;
        EXPECT_EQ(engine.Length, 10) << r.name;
    }
}

struct SizeCase {
    const char* name;
    std::vector<double> sizes;
    double conductivity, length, power;
    double expected;
};

// 5.5 kW resistive single phase is 23.913 A in every row.
TEST_F(EngineTest, SizeSelection) {
    const SizeCase rows[] = {
        // drop limit 0.1375 A per mm²: 150 gives 20.625 A, 185 gives 25.4375 A
        {"DropLimitGoverns", kDefaultSizes, 1, 40, 5.5, 185},
        // capacity 12.278 × A^0.6037: 2.5 gives 21.35 A, 4 gives 28.35 A
        {"CapacityGoverns", kDefaultSizes, 56, 1, 5.5, 4},
        {"FirstFitInFileOrder", {10, 4, 6}, 56, 1, 5.5, 10},
        {"ZeroAreaNeverFits", {0, 4}, 56, 1, 5.5, 4},
        {"EmptyList", {}, 56, 1, 5.5, -1},
        {"AboveEverySize", kDefaultSizes, 56, 1, 1000, -1},
        {"NegativeLengthNothingFits", kDefaultSizes, 56, -1, 5.5, -1},
    };
    TAmpwiser engine;
    for (const SizeCase& r : rows) {
        StandardSizes = r.sizes;
        UseMaterial(engine, r.conductivity);
        const bool solved = engine.Calculate(0, 0, r.length, r.power);
        EXPECT_EQ(engine.XArea, r.expected) << r.name;
        EXPECT_EQ(solved, r.expected > 0) << r.name;
        if (r.expected < 0) {
            EXPECT_EQ(engine.VoltDrop(), -1) << r.name;
        }
    }
}

// Each row's current lies just inside the limit of the size it expects, worked out by hand at
// 40 digits from the stated constants (copper, 56 m/(Ω·mm²), 5.5 V). A constant that is off in
// its third or fourth figure (0.637 for 0.6037, 12.27 for 12.278, 0.6928 for 0.692820323028)
// moves the row to the next size.
TEST_F(EngineTest, ConstantsDecideSizesAtTheEdge) {
    struct Row {
        const char* name;
        std::uint8_t loadType, phase;
        double power, length, expected;
    };
    const Row rows[] = {
        // 21.739 A against 21.348 A for 2.5 mm² and 28.352 A for 4 mm²
        {"CapacityExponent", 0, 0, 5.0, 10, 4},
        // 0.01 % under the capacity of 4 mm²
        {"CapacityCoefficient", 0, 0, 6.5204211913612341, 1, 4},
        // 0.001 % under the capacity of 6 mm², three-phase
        {"ThreePhaseFactor", 0, 1, 25.090759902564776, 1, 6},
        // 0.001 % under the capacity of 10 mm², motor with no rating table
        {"SingleMotorFallback", 1, 0, 4.6033834887800895, 1, 10},
        // 0.0001 % under the capacity of 16 mm², three-phase motor with no rating table
        {"ThreeMotorFallback", 1, 1, 18.41624485563633, 1, 16},
        // 0.0001 % under the drop limit of 16 mm² over 100 m (49.28 A; 10 mm² allows 30.8 A)
        {"DropLimit", 0, 0, 11.3343886656, 100, 16},
    };
    TAmpwiser engine;
    UseMaterial(engine, 56);
    MotorRatings.clear();
    for (const Row& r : rows) {
        ASSERT_TRUE(engine.Calculate(r.loadType, r.phase, r.length, r.power)) << r.name;
        EXPECT_EQ(engine.XArea, r.expected) << r.name;
    }
}

TEST_F(EngineTest, VoltDropAtTheSelectedSize) {
    TAmpwiser engine;
    UseMaterial(engine, 1);
    ASSERT_TRUE(engine.Calculate(0, 0, 40, 5.5));
    EXPECT_DOUBLE_EQ(engine.VoltDrop(), 5.17038777908343125734); // 23.913 A × 40 m / 185 mm²
    EXPECT_LE(engine.VoltDrop(), MaxVoltDrop);
}

TEST_F(EngineTest, MaxVoltDropIsReadOnEveryCalculation) {
    TAmpwiser engine;
    UseMaterial(engine, 1);
    MaxVoltDrop = 11; // doubles the drop limit: 95 mm² now gives 26.125 A
    ASSERT_TRUE(engine.Calculate(0, 0, 40, 5.5));
    EXPECT_EQ(engine.XArea, 95);
}

TEST_F(EngineTest, CurrentEqualToPermittedSelectsThatSize) {
    TAmpwiser engine;
    UseMaterial(engine, 1);
    MaxVoltDrop = 1;
    engine.Calculate(0, 0, 1, 5.5); // with these the drop limit of area A is A itself
    const double current = engine.Current;
    StandardSizes = {std::nextafter(current, 0.0), current, 2 * current};
    ASSERT_TRUE(engine.Calculate(0, 0, 1, 5.5));
    EXPECT_EQ(engine.XArea, current);
}

TEST_F(EngineTest, ArithmeticFaultsRaiseAndKeepTheArea) {
    struct Row {
        const char* name;
        std::vector<double> sizes;
        double conductivity, length;
        const char* message;
    } rows[] = {
        {"ZeroLength", kDefaultSizes, 56, 0, "Floating point division by zero"},
        {"ZeroLengthZeroConductivity", kDefaultSizes, 0, 0, "Invalid floating point operation"},
        {"NegativeSize", {-1, 4}, 56, 1, "Invalid floating point operation"},
        {"DropLimitOverflows", {4}, 56, 1e-307, "Floating point overflow"},
        {"LengthNotANumber",
         {4},
         56,
         std::numeric_limits<double>::quiet_NaN(),
         "Invalid floating point operation"},
    };
    for (const Row& r : rows) {
        TAmpwiser engine;
        StandardSizes = kDefaultSizes;
        UseMaterial(engine, 56);
        ASSERT_TRUE(engine.Calculate(0, 0, 1, 5.5));
        StandardSizes = r.sizes;
        UseMaterial(engine, r.conductivity);
        try {
            engine.Calculate(0, 1, r.length, 7);
            ADD_FAILURE() << r.name << ": no exception";
        } catch (const EMathError& e) {
            EXPECT_STREQ(e.what(), r.message) << r.name;
        }
        EXPECT_EQ(engine.XArea, 4) << r.name;
    }
}

TEST_F(EngineTest, CodesOutsideTheTablesAreRejected) {
    TAmpwiser engine;
    UseMaterial(engine, 56);
    ASSERT_TRUE(engine.Calculate(0, 0, 1, 5.5));
    EXPECT_THROW(engine.Calculate(2, 0, 2, 1), EAmpwiseRangeError);
    EXPECT_THROW(engine.Calculate(0, 255, 2, 1), EAmpwiseRangeError);
    EXPECT_EQ(engine.Length, 1); // nothing stored
    EXPECT_EQ(engine.XArea, 4);

    Materials = {{"Copper", 56}, {"Aluminium", 35}};
    engine.SetMaterial(1);
    EXPECT_EQ(engine.Conductivity, 35);
    EXPECT_THROW(engine.SetMaterial(2), EAmpwiseRangeError);
    EXPECT_THROW(engine.SetMaterial(-1), EAmpwiseRangeError);
    EXPECT_EQ(engine.MaterialIndex, 1);
    EXPECT_EQ(engine.Conductivity, 35);
    Materials.clear();
    EXPECT_THROW(engine.SetMaterial(0), EAmpwiseRangeError);
}

// --- loading the data file --------------------------------------------------------------------

TEST_F(EngineTest, NoFileGivesBuiltInSizesAndEmptyTables) {
    MotorRatings = {{1, 1, 1}};
    Materials = {{"Old", 1}};
    TAmpwiser engine;
    EXPECT_EQ(StandardSizes, kDefaultSizes);
    EXPECT_TRUE(MotorRatings.empty());
    EXPECT_TRUE(Materials.empty());
    EXPECT_EQ(engine.MaterialList, "");
}

TEST_F(EngineTest, DamagedFileReadsAsDefaults) {
    std::string garbage(64 * 1024, '\0');
    unsigned seed = 99;
    for (char& c : garbage) {
        seed = seed * 1103515245 + 12345;
        c = static_cast<char>(seed >> 16);
    }
    for (const std::string& text : {garbage, std::string("[Cable\nSize=1\n[MotorRating"),
                                    std::string("\xEF\xBB\xBF[Conductivity]\r\nCopper=56")}) {
        WriteData(text);
        TAmpwiser engine;
        EXPECT_EQ(StandardSizes, kDefaultSizes);
        EXPECT_TRUE(MotorRatings.empty());
    }
    ASSERT_EQ(Materials.size(), 1u); // the last file: byte-order mark, CR LF, no final line end
    EXPECT_EQ(Materials[0].Conductivity, 56);
}

TEST_F(EngineTest, SizeListForms) {
    struct Row {
        const char* name;
        const char* value;
        std::vector<double> expected;
    } rows[] = {
        {"BlanksAndTrailingComma", " 0.4, 0.5 ,0.63,", {0.4, 0.5, 0.63}},
        {"Exponent", "1E3,2.5e-1", {1000, 0.25}},
        {"Empty", "", {}},
        {"OneComma", ",", {}},
    };
    for (const Row& r : rows) {
        WriteData(std::string("[Cable]\nSize=") + r.value + "\n");
        TAmpwiser engine;
        EXPECT_EQ(StandardSizes, r.expected) << r.name;
    }
    TAmpwiser engine; // the last row's empty list: nothing ever fits
    UseMaterial(engine, 56);
    EXPECT_FALSE(engine.Calculate(0, 0, 1, 0.001));
    EXPECT_EQ(engine.XArea, -1);
}

TEST_F(EngineTest, BadNumbersFailTheLoadAndKeepTheOldTables) {
    struct Row {
        const char* name;
        const char* text;
        const char* message;
    } rows[] = {
        {"TwoCommasInARow", "[Cable]\nSize=1,,2\n", "'' is not a valid floating point value"},
        {"SizeNotANumber", "[Cable]\nSize=1,big\n", "'big' is not a valid floating point value"},
        {"RatingKeyNotANumber", "[MotorRating]\nbig=0.8,85\n",
         "'big' is not a valid floating point value"},
        {"RatingValueNotANumber", "[MotorRating]\n1=0.8,x\n",
         "'x' is not a valid floating point value"},
    };
    for (const Row& r : rows) {
        WriteData("[Cable]\nSize=1\n[Conductivity]\nCopper=56\n");
        TAmpwiser engine;
        WriteData(r.text);
        try {
            TAmpwiser failing;
            ADD_FAILURE() << r.name << ": no exception";
        } catch (const EConvertError& e) {
            EXPECT_STREQ(e.what(), r.message) << r.name;
        }
        EXPECT_EQ(StandardSizes, std::vector<double>{1}) << r.name;
        ASSERT_EQ(Materials.size(), 1u) << r.name;
    }
}

TEST_F(EngineTest, MotorRatingRows) {
    WriteData("[MotorRating]\n0.75 = 0.75, 79.6, 99\n1.1=\n1.5=0.9\n2.2=0.81,84.3\n");
    TAmpwiser engine;
    ASSERT_EQ(MotorRatings.size(), 4u);
    const MotorRatingRec expected[] = {
        {0.75, 0.75, 79.6}, {1.1, 0.7, 58}, {1.5, 0.7, 58}, {2.2, 0.81, 84.3}};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(MotorRatings[i].RatingKW, expected[i].RatingKW) << i;
        EXPECT_EQ(MotorRatings[i].PowerFactor, expected[i].PowerFactor) << i;
        EXPECT_EQ(MotorRatings[i].EfficiencyPct, expected[i].EfficiencyPct) << i;
    }
}

TEST_F(EngineTest, MaterialsKeepFileOrderAndWholeNames) {
    WriteData("[Conductivity]\nAluminium=35\nCopper=56\nTinned copper, hard=54.5\nOdd=n/a\n"
              "Blank=\n");
    TAmpwiser engine;
    ASSERT_EQ(Materials.size(), 5u);
    const std::vector<std::string> names = {"Aluminium", "Copper", "Tinned copper, hard", "Odd",
                                            "Blank"};
    const double conductivities[] = {35, 56, 54.5, 1, 1};
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(Materials[i].Name, names[i]);
        EXPECT_EQ(Materials[i].Conductivity, conductivities[i]) << names[i];
    }
    EXPECT_EQ(ParseCommaText(engine.MaterialList), names);
}

TEST_F(EngineTest, ShippedDataFile) {
    SharedDataPath = AMPWISE_SOURCE_DATA_DIR "/";
    TAmpwiser engine;
    EXPECT_EQ(StandardSizes, kDefaultSizes);
    ASSERT_GE(MotorRatings.size(), 2u);
    for (std::size_t i = 0; i < MotorRatings.size(); ++i) {
        const MotorRatingRec& r = MotorRatings[i];
        if (i > 0) {
            EXPECT_GT(r.RatingKW, MotorRatings[i - 1].RatingKW) << "smallest first";
        }
        EXPECT_GT(r.PowerFactor, 0.5) << r.RatingKW;
        EXPECT_LT(r.PowerFactor, 1) << r.RatingKW;
        EXPECT_GT(r.EfficiencyPct, 60) << r.RatingKW;
        EXPECT_LT(r.EfficiencyPct, 100) << r.RatingKW;
    }
    ASSERT_EQ(Materials.size(), 2u);
    EXPECT_EQ(Materials[0].Name, "Copper");
    EXPECT_EQ(Materials[0].Conductivity, 56);
    EXPECT_EQ(Materials[1].Name, "Aluminium");
    EXPECT_EQ(Materials[1].Conductivity, 35);
    // Every rating a user can pick reaches its own row, not the fallback.
    for (double kw : {0.25, 0.37, 0.55, 0.75, 1.1,  1.5,  2.2,  3.0,  4.0,  5.5,  7.5,
                      11.0, 15.0, 18.5, 22.0, 30.0, 37.0, 45.0, 55.0, 75.0, 90.0, 110.0}) {
        bool found = false;
        for (const MotorRatingRec& r : MotorRatings)
            found = found || r.RatingKW == kw;
        EXPECT_TRUE(found) << kw;
    }
}

} // namespace
} // namespace qv
