// Number text must read and write the same under any locale.
#include "settings/QvSysUtils.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

using namespace qv;

TEST(StrToFloat, AcceptsDecimalTextOnly) {
    struct Row {
        const char* text;
        bool ok;
        double value;
    };
    const Row rows[] = {
        {"5.5", true, 5.5},      {" 5.5 ", true, 5.5}, {"+2", true, 2},     {"-0.25", true, -0.25},
        {".5", true, 0.5},       {"1.", true, 1},      {"1E3", true, 1000}, {"1e-3", true, 0.001},
        {"2E+2", true, 200},     {"5,5", false, 0},    {"", false, 0},      {"-", false, 0},
        {"1E", false, 0},        {"abc", false, 0},    {"1.2.3", false, 0}, {"inf", false, 0},
        {"nan", false, 0},       {"1E400", false, 0},  {"0x10", false, 0},  {"1e-400", true, 0},
        {"12 apples", false, 0},
    };
    for (const Row& r : rows) {
        double v = -99;
        EXPECT_EQ(TryStrToFloat(r.text, v), r.ok) << r.text;
        if (r.ok) {
            EXPECT_EQ(v, r.value) << r.text;
        }
    }
}

TEST(StrToFloat, ErrorMessageNamesTheText) {
    try {
        StrToFloat("1,5");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'1,5' is not a valid floating point value");
    }
}

TEST(StrToInt, DecimalAndHexForms) {
    struct Row {
        const char* text;
        bool ok;
        std::int32_t value;
    };
    const Row rows[] = {
        {"26", true, 26},
        {"$1A", true, 26},
        {"x1A", true, 26},
        {"X1a", true, 26},
        {"0x1A", true, 26},
        {"0X1a", true, 26},
        {"  -7", true, -7},
        {"+7", true, 7},
        {"$FFFFFFFF", true, -1},
        {"2147483647", true, INT32_MAX},
        {"-2147483648", true, INT32_MIN},
        {"2147483648", false, 0},
        {"4294967296", false, 0},
        {"", false, 0},
        {"0x", false, 0},
        {"1A", false, 0},
        {"12 apples", false, 0},
        {"$123456789", false, 0},
        {"7 ", false, 0},
        {"-", false, 0},
    };
    for (const Row& r : rows) {
        std::int32_t v = -99;
        EXPECT_EQ(TryStrToInt(r.text, v), r.ok) << r.text;
        if (r.ok) {
            EXPECT_EQ(v, r.value) << r.text;
        }
    }
    EXPECT_THROW(StrToInt("abc"), EConvertError);
}

TEST(StrToFloat, HugeTextsOverflowAndTinyOnesUnderflow) {
    double v = -1;
    EXPECT_FALSE(TryStrToFloat(std::string(100000, '9'), v));
    EXPECT_FALSE(TryStrToFloat("0.000001E400", v));
    EXPECT_FALSE(TryStrToFloat("1E99999999999999999999", v));
    EXPECT_TRUE(TryStrToFloat("0." + std::string(100000, '0') + "1", v));
    EXPECT_EQ(v, 0.0);
    EXPECT_TRUE(TryStrToFloat("-1E-99999999999999999999", v));
    EXPECT_EQ(v, 0.0);
    EXPECT_TRUE(TryStrToFloat("100000E-400", v));
    EXPECT_EQ(v, 0.0);
}

TEST(FloatToStr, ShortestGeneralForm) {
    struct Row {
        double value;
        const char* text;
    };
    const Row rows[] = {
        {5.5, "5.5"},
        {0, "0"},
        {-2.5, "-2.5"},
        {0.0001, "0.0001"},
        {0.00001, "1E-5"},
        {1e15, "1E15"},
        {123456789012345.0, "123456789012345"},
        {0.1 + 0.2, "0.3"},
        {1.0 / 3, "0.333333333333333"},
        {100, "100"},
        {1.5e-10, "1.5E-10"},
        {-1e20, "-1E20"},
        {0.692820323028, "0.692820323028"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(FloatToStr(r.value), r.text) << r.value;
}

TEST(NumberText, CommaLocaleChangesNothing) {
    const char* old = std::setlocale(LC_ALL, nullptr);
    std::string saved = old ? old : "C";
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "de_DE.UTF-8 locale not installed";
    double v = 0;
    EXPECT_TRUE(TryStrToFloat("5.5", v));
    EXPECT_EQ(v, 5.5);
    EXPECT_FALSE(TryStrToFloat("5,5", v));
    EXPECT_EQ(FloatToStr(1234.5), "1234.5");
    std::setlocale(LC_ALL, saved.c_str());
}
