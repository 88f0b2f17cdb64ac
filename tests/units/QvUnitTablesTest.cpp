// The unit catalogue: counts, labels, formats, factors, offsets, sharing and index clamping.
#include "units/QvConv.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace qv {
namespace {

TEST(UnitTables, EveryTypeHasBaseUnitOfFactorOneAndNoOffset) {
    for (int t = 1; t < UnitsTypeCount; ++t) {
        const auto type = static_cast<TUnitsType>(t);
        SCOPED_TRACE(UnitsTypeCaption(type));
        ASSERT_GT(UnitCount(type), 0);
        EXPECT_EQ(UnitFactor(type, 0), 1.0);
        EXPECT_EQ(UnitOffset(type, 0), 0.0);
        for (int i = 0; i < UnitCount(type); ++i) {
            EXPECT_NE(UnitFactor(type, i), 0.0);
            const std::string f = UnitFormat(type, i);
            EXPECT_TRUE(f == "%0." + std::to_string(DecimalsOfFormat(f)) + "f" ||
                        f == "%0." + std::to_string(DecimalsOfFormat(f)) + "g")
                << f;
            for (char c : UnitPlainName(type, i))
                EXPECT_LT(static_cast<unsigned char>(c), 0x80) << UnitPlainName(type, i);
        }
    }
}

TEST(UnitTables, CountsCaptionsAndOrdinals) {
    struct Row {
        TUnitsType type;
        int ordinal;
        const char* caption;
        int count;
    };
    const Row rows[] = {
        {utNone, 0, "None", 0},
        {utAirFlowPrim, 1, "Air Flow - Primary", 5},
        {utAirPressDrop, 5, "Air Pressure Drop", 8},
        {utArea, 8, "Area", 5},
        {utHeatOfRespir, 18, "Heat of Respiration", 2},
        {utMassFlowGas, 28, "MassFlow - Refrig./Steam", 6},
        {utPower, 32, "Power", 3},
        {utPressureBar, 34, "Pressure - Barometric", 6},
        {utTemperatureChange, 42, "Temperature Change", 3},
        {utViscosity, 46, "Viscosity", 7},
        {utWaterPressDrop, 49, "Water Pressure Drop", 8},
    };
    static_assert(sizeof(TUnitsType) == 1);
    static_assert(sizeof(TFormatType) == 1);
    static_assert(utWaterPressDrop + 1 == UnitsTypeCount);
    for (const Row& r : rows) {
        EXPECT_EQ(static_cast<int>(r.type), r.ordinal) << r.caption;
        EXPECT_EQ(UnitsTypeCaption(r.type), r.caption);
        EXPECT_EQ(UnitCount(r.type), r.count) << r.caption;
    }
}

TEST(UnitTables, RecordsOfTheFieldsUsedByTheProgram) {
    struct Row {
        const char* name;
        TUnitsType type;
        int index;
        const char* label;
        const char* plain;
        double factor;
        double offset;
        const char* format;
    };
    const Row rows[] = {
        {"horsepower", utPower, 2, "HP", "HP", 1.341021858656296, 0, "%0.2f"},
        {"feet", utLengthPrim, 4, "ft", "feet", 3.2808398950131235, 0, "%0.3f"},
        {"square millimetres", utArea, 2, "mm²", "sqmm", 1000000, 0, "%0.0f"},
        {"square inches", utArea, 3, "inch²", "sqinch", 1550.0031000062, 0, "%0.2f"},
        {"Fahrenheit", utTemperature, 1, "°F", "degF", 1.8, 32, "%0.1f"},
        {"Kelvin", utTemperature, 2, "K", "degK", 1, 273.15, "%0.2f"},
        {"Fahrenheit change has no offset", utTemperatureChange, 1, "°F", "degF", 1.8, 0, "%0.1f"},
        {"eighths of an inch end in a quote", utDiameter, 3, "1/8\"", "eighthsOfAnInch",
         314.96062992125985, 0, "%0.0f"},
        {"thou ends in a quote", utLengthSmall, 2, "Thou\"", "thou", 39.37007874015748, 0, "%0.3f"},
        {"barometric Psi is index 1", utPressureBar, 1, "Psi", "Psi", 0.1450376807894691, 0,
         "%0.3f"},
        {"barometric InchHg is index 4", utPressureBar, 4, "InchHg", "InchHg", 0.295, 0, "%0.3f"},
        {"barometric mHead is index 5", utPressureBar, 5, "mHead", "mHead", 0.10197162129779283, 0,
         "%0.2f"},
        {"viscosity with a middle dot", utViscosity, 6, "lbf·hr/ft²", "lbfhr/sqft", 5.8014e-06, 0,
         "%0.4g"},
        {"short cubic feet factor", utVolume, 3, "ft³", "ft3", 35.32, 0, "%0.4f"},
        {"short kcal/hr factor", utDutySec, 4, "kcal/hr", "kcal/hr", 859.184, 0, "%0.1f"},
        {"Psi per foot", utPressureRateLiquid, 3, "Psi/ft", "Psi/ft", 4.4207485104630184e-05, 0,
         "%0.6f"},
        {"usgpm", utWaterFlow, 5, "usgpm", "usgpm", 15.850323141488905, 0, "%0.1f"},
        {"thermal resistance imperial", utThermalResist, 1, "ft²·hr·°F/Btu", "sqfthrdegF/Btu",
         5.67828566212688, 0, "%0.3f"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(UnitLabel(r.type, r.index), r.label);
        EXPECT_EQ(UnitPlainName(r.type, r.index), r.plain);
        EXPECT_EQ(UnitFactor(r.type, r.index), r.factor);
        EXPECT_EQ(UnitOffset(r.type, r.index), r.offset);
        EXPECT_EQ(UnitFormat(r.type, r.index), r.format);
    }
}

// The same units must read the same in every type that offers them: compared by value, so a
// list copied correctly passes and one wrong entry in any copy fails.
void ExpectSameRecord(TUnitsType a, int i, TUnitsType b, int j) {
    const TUnitRec& x = UnitRecord(a, i);
    const TUnitRec& y = UnitRecord(b, j);
    const std::string where = UnitsTypeCaption(a) + "[" + std::to_string(i) + "] and " +
                              UnitsTypeCaption(b) + "[" + std::to_string(j) + "]";
    EXPECT_STREQ(x.Label, y.Label) << where;
    EXPECT_STREQ(x.PlainName, y.PlainName) << where;
    EXPECT_EQ(x.Factor, y.Factor) << where;
    EXPECT_EQ(x.Offset, y.Offset) << where;
    EXPECT_STREQ(x.Format, y.Format) << where;
}

TEST(UnitTables, TypesWithTheSameUnitsReadTheSame) {
    const TUnitsType groups[][4] = {
        {utAirFlowPrim, utAirFlowSec, utAirFlowSec, utAirFlowSec},
        {utAirPressDrop, utPressure, utPressureSteam, utWaterPressDrop},
        {utDutyPrim, utDutySec, utDutySec, utDutySec},
        {utLengthMeasure, utLengthPrim, utLengthSec, utLengthSec},
        {utMassFlow, utMassFlowGas, utMassFlowGas, utMassFlowGas},
        {utPressureRateGas, utPressureRateLiquid, utPressureRateLiquid, utPressureRateLiquid},
        {utTemperature, utTemperatureChange, utTemperatureChange, utTemperatureChange},
    };
    for (const auto& g : groups)
        for (const TUnitsType other : g) {
            ASSERT_EQ(UnitCount(other), UnitCount(g[0])) << UnitsTypeCaption(other);
            for (int i = 0; i < UnitCount(g[0]); ++i)
                ExpectSameRecord(g[0], i, other, i);
        }
    // The barometric list is the pressure list without Pa and InchWg.
    for (const auto& [bar, pressure] : {std::pair{0, 0}, {1, 2}, {2, 3}, {3, 4}, {4, 6}, {5, 7}})
        ExpectSameRecord(utPressureBar, bar, utPressure, pressure);
}

TEST(UnitTables, UtNoneAnswers) {
    EXPECT_EQ(UnitLabel(utNone, 3), "");
    EXPECT_EQ(UnitFormat(utNone, 3), "%0.1f");
    EXPECT_EQ(UnitCount(utNone), 0);
    // A byte from outside that names no type reads as utNone rather than past the table.
    EXPECT_EQ(UnitCount(static_cast<TUnitsType>(200)), 0);
    EXPECT_EQ(UnitsTypeCaption(static_cast<TUnitsType>(50)), "None");
    // A stray index reads the nearest end of the list, never past it.
    EXPECT_EQ(UnitLabel(utPower, 99), "HP");
    EXPECT_EQ(UnitFactor(utPressureBar, -4), 1.0);
}

TEST(UnitTables, ClampUnitIndex) {
    struct Row {
        TUnitsType type;
        int index, expected;
    };
    const Row rows[] = {
        {utPower, 5, 2},    {utPower, -1, 0},   {utPower, 1, 1},
        {utNone, 7, 7},     {utNone, -3, -3},   {utPressureBar, 7, 5},
        {utPressure, 7, 7}, {utPressure, 8, 7}, {utViscosity, 6, 6},
    };
    for (const Row& r : rows)
        EXPECT_EQ(ClampUnitIndex(r.type, r.index), r.expected)
            << UnitsTypeCaption(r.type) << " " << r.index;
}

TEST(UnitTables, CaptionsAreDistinct) {
    std::set<std::string> captions;
    for (int t = 0; t < UnitsTypeCount; ++t)
        captions.insert(UnitsTypeCaption(static_cast<TUnitsType>(t)));
    EXPECT_EQ(captions.size(), static_cast<std::size_t>(UnitsTypeCount));
}

} // namespace
} // namespace qv
