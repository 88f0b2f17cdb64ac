// Conversion between units, the automatic and fixed display formats, applying a format, and the
// cleaning of typed number text.
#include "units/QvConv.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <locale>
#include <stdexcept>
#include <string>

namespace qv {
namespace {

TEST(Convert, BaseToShownAndBack) {
    EXPECT_EQ(ConvertToUnit(100, 1.8, 32), 212);
    EXPECT_EQ(ConvertFromUnit(212, 1.8, 32), 100);
    EXPECT_EQ(ConvertToUnit(2.5, 1000000, 0), 2500000);
    EXPECT_DOUBLE_EQ(
        ConvertFromUnit(ConvertToUnit(3.7, 1.341021858656296, 0), 1.341021858656296, 0), 3.7);
}

TEST(Convert, ArithmeticErrorsAreRaised) {
    EXPECT_THROW(ConvertToUnit(1e308, 1000, 0), std::overflow_error);
    EXPECT_THROW(ConvertFromUnit(1, 0, 0), std::domain_error);
    EXPECT_THROW(ConvertToUnit(std::numeric_limits<double>::quiet_NaN(), 1, 0), std::domain_error);
}

TEST(GetUnitInfo, Rows) {
    struct Row {
        const char* name;
        TUnitsType type;
        int shown, base;
        const char* label;
        const char* format;
        double factor, offset;
    };
    const Row rows[] = {
        {"m² shown, mm² held", utArea, 0, 2, "m²", "%0.1f", 0.000001, 0},
        {"HP shown, kW held", utPower, 2, 0, "HP", "%0.2f", 1.341021858656296, 0},
        {"°F shown, °C held", utTemperature, 1, 0, "°F", "%0.1f", 1.8, 32},
        {"K shown takes only its own offset", utTemperature, 2, 1, "K", "%0.2f", 1 / 1.8, 273.15},
        {"temperature change has no offset", utTemperatureChange, 1, 0, "°F", "%0.1f", 1.8, 0},
        {"same unit", utLengthPrim, 3, 3, "inch", "%0.2f", 1, 0},
        {"mm² shown, mm² held", utArea, 2, 2, "mm²", "%0.0f", 1, 0},
    };
    for (const Row& r : rows) {
        std::string label = "x", format = "x";
        double factor = 99, offset = 99;
        GetUnitInfo(r.type, r.shown, r.base, label, factor, offset, format);
        EXPECT_EQ(label, r.label) << r.name;
        EXPECT_EQ(format, r.format) << r.name;
        EXPECT_EQ(factor, r.factor) << r.name;
        EXPECT_EQ(offset, r.offset) << r.name;
    }
    std::string label = "x", format = "x";
    double factor = 7, offset = 3;
    GetUnitInfo(utNone, 2, 2, label, factor, offset, format);
    EXPECT_EQ(label, "");
    EXPECT_EQ(format, "%0.1f");
    EXPECT_EQ(factor, 7);
    EXPECT_EQ(offset, 3);
}

TEST(AutoDecimals, Rows) {
    struct Row {
        int sigDigs, maxDecimals;
        double value;
        int expected;
    };
    const Row rows[] = {
        {5, 12, 0.5, 3},
        {5, 12, 0.05, 4},
        {5, 12, 0.000123, 6},
        {5, 12, 5.5, 3},
        {5, 12, 5.05, 4},
        {5, 12, 0, 3},
        {5, 12, 12.345, 3},
        {5, 12, 123.4, 2},
        {5, 12, 12345.6, 0},
        {5, 12, -5.5, 3},
        {5, 12, -0.05, 3},
        {5, 12, 0.000000000000001, 3},
        {5, 12, 1234567, 0},
        {20, 12, 12.5, 12},
        {5, 12, 0.00000000001, 12},
        {1, 12, 0.5, 3},
        {5, 12, 9.9999999999999, 3}, // rounds up to "10.000000000000"
        {5, 2, 0.0001, 2},
        {5, 12, 0.0000000000004, 3}, // shows as zero with 12 decimals
    };
    for (const Row& r : rows)
        EXPECT_EQ(AutoDecimals(r.sigDigs, r.maxDecimals, r.value), r.expected) << r.value;
    EXPECT_EQ(AutoFormatStr(5, 12, 0.05), "%0.4f");
    EXPECT_EQ(AutoFormatStr(5, 12, 12345.6), "%0.0f");
}

TEST(DecimalsOfFormat, Rows) {
    struct Row {
        const char* format;
        int expected;
    };
    const Row rows[] = {{"%0.3f", 3}, {"%0.12f", 1}, {"%0.4g", 4}, {"%0.f", 0},
                        {"%0.", 0},   {"", 0},       {"abc", 0},   {"1.9.5", 9}};
    for (const Row& r : rows)
        EXPECT_EQ(DecimalsOfFormat(r.format), r.expected) << r.format;
}

TEST(FormatValue, Rows) {
    struct Row {
        const char* name;
        double value;
        TFormatType type;
        const char* format;
        int sigDigs, formatDecimals;
        const char* expected;
    };
    const Row rows[] = {
        {"override below threshold", 9.99, ft_AutoOverride, "%0.1f", 5, 1, "9.990"},
        {"override at threshold", 10, ft_AutoOverride, "%0.1f", 5, 1, "10.0"},
        {"override small", 5.234, ft_AutoOverride, "%0.1f", 5, 1, "5.234"},
        {"override large", 12.34, ft_AutoOverride, "%0.1f", 5, 1, "12.3"},
        {"override negative is automatic", -500, ft_AutoOverride, "%0.1f", 5, 1, "-500.0"},
        {"override negative small", -0.05, ft_AutoOverride, "%0.1f", 5, 1, "-0.050"},
        // 0.1f lies a shade above 0.1, so 0.1 is still below the single-precision threshold.
        {"single-precision threshold", 0.1, ft_AutoOverride, "%0.1f", 5, 3, "0.100"},
        {"just above the threshold", 0.1000001, ft_AutoOverride, "%0.1f", 5, 3, "0.1"},
        {"threshold of 100", 99.5, ft_AutoOverride, "%0.0f", 5, 0, "99.500"},
        {"auto", 1234.5678, ft_Auto, "%0.0f", 5, 0, "1234.6"},
        {"auto ignores the format", 0.000123, ft_Auto, "%0.1f", 5, 1, "0.000123"},
        {"fixed", 1234.5678, ft_Fixed, "%0.2f", 5, 2, "1234.57"},
        {"manual", 0.000123, ft_Manual, "%0.4g", 5, 4, "0.000123"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(FormatValue(r.value, r.type, r.format, r.sigDigs, r.formatDecimals), r.expected)
            << r.name;
}

TEST(FormatFloat, Rows) {
    struct Row {
        const char* name;
        const char* format;
        double value;
        const char* expected;
    };
    const Row rows[] = {
        {"half up", "%0.2f", 0.125, "0.13"},
        {"half to no decimals", "%0.0f", 2.5, "3"},
        {"negative half away from zero", "%0.0f", -2.5, "-3"},
        {"below the half in binary", "%0.2f", 1.005, "1.00"},
        {"carry into a new digit", "%0.1f", 99.96, "100.0"},
        {"rounds to zero shows no sign", "%0.2f", -0.001, "0.00"},
        {"negative zero", "%0.1f", -0.0, "0.0"},
        {"first digit is the cut digit", "%0.0f", 0.5, "1"},
        {"far below the kept digits", "%0.3f", 1e-30, "0.000"},
        {"large value written in full", "%0.1f", 1e20, "100000000000000000000.0"},
        {"general fixed range", "%0.4g", 1234, "1234"},
        {"general exponent", "%0.4g", 12345, "1.235E004"},
        {"general small fixed", "%0.4g", 0.0001, "0.0001"},
        {"general small exponent", "%0.4g", 0.00005, "5E-005"},
        {"general zero", "%0.4g", 0, "0"},
        {"general trailing zeros dropped", "%0.4g", 123.4, "123.4"},
        {"general carry bumps the exponent", "%0.4g", 9999.5, "1E004"},
        {"general negative", "%0.3g", -0.000123456, "-0.000123"},
        {"general three-digit exponent", "%0.4g", 1e300, "1E300"},
        {"general denormal", "%0.3g", 5e-324, "4.94E-324"},
        {"no precision: two decimals", "%f", 1.0, "1.00"},
        {"no precision: fifteen digits", "%g", 0.1, "0.1"},
        {"width pads on the left", "%8.2f", 1.5, "    1.50"},
        {"minus pads on the right", "%-6.1f|", 1.5, "1.5   |"},
        {"literal text and percent", "x=%0.1f%%", 1.25, "x=1.3%"},
        {"upper-case letter", "%0.1F", 1.25, "1.3"},
        {"no conversion in the format at all", "abc", 1.0, "abc"},
        {"not a number", "%0.2f", std::numeric_limits<double>::quiet_NaN(), "NAN"},
        {"infinity", "%0.2g", -std::numeric_limits<double>::infinity(), "-INF"},
        {"precision stops at 18", "%0.30f", 0.5, "0.500000000000000000"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(FormatFloat(r.format, r.value), r.expected) << r.name;
}

TEST(FormatFloat, RejectsFormatsItCannotApply) {
    for (const char* format : {"%0.3d", "%", "%0.", "%0.3f %0.2f", "%s", "%99999999999f"}) {
        try {
            FormatFloat(format, 1.0);
            ADD_FAILURE() << format;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.what(),
                      "Format '" + std::string(format) + "' invalid or incompatible with argument");
        }
    }
}

TEST(CleanNumberText, Rows) {
    struct Row {
        std::string text, expected;
    };
    const Row rows[] = {
        {"", "0"},          {"-", "0"},          {" 1 2.5.6", "12.56"}, {"--5", "-5"},
        {"e3", "1E3"},      {"2e-3e4", "2E-34"}, {"3-", "3"},           {"5-3", "53"},
        {"1E-3", "1E-3"},   {"1e--3", "1E-3"},   {"1E400", "1E40"},     {"1E-400", "1E-4"},
        {"1E300", "1E300"}, {"1E5.5", "1E55"},   {"1.5E2.5", "1.5E25"}, {"E", "1E"},
        {"1E", "1E"},       {"12abc", "12abc"},  {"1/2", "1/2"},        {" 3 / 4/5", "3/45"},
        {"/", "0/0"},       {"-/e4", "0/1E4"},   {"1e+5", "1E+5"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(CleanNumberText(r.text), r.expected) << "'" << r.text << "'";
}

TEST(CleanNumberText, ExponentThatIsNoIntegerNamesIt) {
    struct Row {
        std::string text, message;
    };
    const Row rows[] = {
        {"1E-", "'-' is not a valid integer value"},
        {"1E5x", "'5x' is not a valid integer value"},
        {"2/1Ez", "'z' is not a valid integer value"},
        {"1E99999999999", "'99999999999' is not a valid integer value"},
        {"1E\x01", "'\x01' is not a valid integer value"},
    };
    for (const Row& r : rows) {
        try {
            CleanNumberText(r.text);
            ADD_FAILURE() << r.text;
        } catch (const EConvertError& e) {
            EXPECT_EQ(std::string(e.what()), r.message);
        }
    }
    // Huge input is cleaned, not refused.
    EXPECT_EQ(CleanNumberText(std::string(200000, '7') + " ").size(), 200000u);
}

// Number text must not follow the process locale: a German locale writes "1,5".
TEST(Locale, CommaDecimalLocaleChangesNothing) {
    auto sample = [] {
        std::string out;
        for (double v : {1234.5678, -0.000123456, 1e300, 0.125})
            out += FormatFloat("%0.3f", v) + "|" + FormatFloat("%0.4g", v) + "|" +
                   FormatValue(v, ft_Auto, "%0.1f", 5, 1) + "|";
        for (double v : ParseDoubleList("0.4, 1.5E3, -2.25"))
            out += FormatFloat("%0.2f", v) + "|";
        return out + CleanNumberText("1,5 e3");
    };
    const std::string inC = sample();
    const std::locale before = std::locale::global(std::locale("de_DE.UTF-8"));
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr);
    const std::string inGerman = sample();
    std::setlocale(LC_ALL, "C");
    std::locale::global(before);
    EXPECT_EQ(inGerman, inC);
    EXPECT_NE(inC.find("1234.568|1235|1234.6|"), std::string::npos) << inC;
}

} // namespace
} // namespace qv
