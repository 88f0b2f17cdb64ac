// Schedule number text against the standard library's, character for character: shortest double
// text on values picked at the edges of its fast range and on many random ones, and plain
// decimals read as std::from_chars reads them.
#include "text/QvNumberText.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <random>

namespace qv {
namespace {

std::string Standard(double v) {
    char buf[64];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

std::string Ours(double v) {
    char buf[kShortestMax];
    return std::string(buf, WriteShortest(buf, v));
}

TEST(ShortestText, EdgesAgreeWithTheStandardLibrary) {
    const double cases[] = {
        0, -0.0, 1, -1, 0.1, 0.3, 2.5, 1e-3, 1e-4, 1.5e-4, 0.0012, 100000, 1e15, 123456789012345.6,
        // plain against scientific at equal lengths, and a carry into a new digit
        10000, 0.00012, 9.9999999999999995e-3, 99999999999999.98,
        // the ends of the fast range and either side of them
        0.015625, std::nextafter(0.015625, 0.0), std::nextafter(0.015625, 1.0), 562949953421312.0,
        std::nextafter(562949953421312.0, 0.0),
        // powers of two, whose lower neighbour is half as far away
        0.03125, 0.5, 1024, 4503599627370496.0, 1.0 / 1024,
        // ties between two shortest candidates, and the figures of a schedule
        5e-324, 1.7976931348623157e308, 23.913043478260871, 4.270186335403727, 9007199254740993.0,
        INFINITY, -INFINITY, NAN};
    for (double v : cases)
        EXPECT_EQ(Ours(v), Standard(v)) << Standard(v);
    for (int e = -1074; e <= 1023; ++e) {
        const double p = std::ldexp(1.0, e);
        for (double v : {p, std::nextafter(p, 0.0), std::nextafter(p, INFINITY)})
            ASSERT_EQ(Ours(v), Standard(v)) << Standard(v);
    }
}

TEST(ShortestText, RandomValuesAgreeWithTheStandardLibrary) {
    std::mt19937_64 rng(20240518);
    std::uniform_real_distribution<double> unit(0, 1);
    for (int n = 0; n < 300000; ++n) {
        // any bits of the fast range and near it, quotients like a schedule's, and short decimals
        const std::uint64_t exponent = 1000 + rng() % 90;
        const double bits = std::bit_cast<double>((rng() & ((std::uint64_t{1} << 52) - 1)) |
                                                  exponent << 52 | (rng() & 1) << 63);
        const double quotient = static_cast<double>(unit(rng) * 110 / 0.692820323028L);
        const double decimal = static_cast<double>(rng() % 10000000) / 1000;
        for (double v : {bits, quotient, decimal})
            ASSERT_EQ(Ours(v), Standard(v)) << Standard(v);
    }
}

TEST(ShortestText, AppendsInPlace) {
    std::string out = "x=";
    AppendNumber(out, 0.1);
    AppendNumber(out, 1e-9);
    EXPECT_EQ(out, "x=0.11e-09");
}

TEST(PlainDecimal, ReadsAsFromChars) {
    struct Case {
        const char* text;
        bool read; // false: left to the long way
    } cases[] = {
        {"47.813", true},
        {"0.1", true},
        {"-0", true},
        {"-0.0", true},
        {"5.", true},
        {".5", true},
        {"007", true},
        {"9007199254740992", true},           // 2^53, exact
        {"0.0000000000000000000001", true},   // 22 decimals
        {"00000000000000000000000005", true}, // leading zeros weigh nothing
        {"9007199254740993", false},          // past 2^53
        {"18446744073709551621", false},      // wraps past 2^64 to 5
        {"0.00000000000000000000001", false}, // 23 decimals
        {"123456789.123456789", false},       // too many digits to be exact
        {"", false},
        {"-", false},
        {".", false},
        {"1.2.3", false},
        {"+1", false},
        {"1e3", false},
        {" 1", false},
        {"1 ", false},
    };
    for (const Case& c : cases) {
        const std::string_view text = c.text;
        double v = 0;
        ASSERT_EQ(ReadPlainDecimal(text, v), c.read) << c.text;
        if (!c.read)
            continue;
        double expected = 0;
        std::from_chars(text.data(), text.data() + text.size(), expected);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(v), std::bit_cast<std::uint64_t>(expected))
            << c.text;
    }
    std::mt19937_64 rng(7);
    for (int n = 0; n < 200000; ++n) {
        const std::string text =
            std::to_string(rng() % 100000000) + "." + std::to_string(rng() % 1000000);
        double v = 0, expected = 0;
        ASSERT_TRUE(ReadPlainDecimal(text, v)) << text;
        std::from_chars(text.data(), text.data() + text.size(), expected);
        ASSERT_EQ(v, expected) << text;
    }
}

} // namespace
} // namespace qv
