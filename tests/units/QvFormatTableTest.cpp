// Formatting checked against a table computed by an independent implementation of the rounding
// rule in exact decimal arithmetic (gen_format_table.py), over a few hundred doubles.
#include "units/QvConv.h"

#include <gtest/gtest.h>

#include <string>

namespace qv {
namespace {

struct FormatCase {
    double value;
    char kind; // 'f' fixed decimals, 'g' significant digits, 'a' automatic with sigDigs
    int digits;
    const char* expected;
};

const FormatCase Cases[] = {
#include "tests/units/FormatTable.inc"
};

TEST(FormatTable, EveryRowMatchesTheDecimalReference) {
    int failures = 0;
    for (const FormatCase& c : Cases) {
        std::string text;
        if (c.kind == 'a') {
            text = FormatValue(c.value, ft_Auto, "%0.1f", c.digits, 1);
        } else {
            const std::string format = "%0." + std::to_string(c.digits) + c.kind;
            text = FormatFloat(format, c.value);
            // A fixed format through FormatValue must say the same.
            if (c.kind == 'f') {
                EXPECT_EQ(FormatValue(c.value, ft_Fixed, format, 5, c.digits), text);
            }
        }
        if (text != c.expected && ++failures <= 20)
            ADD_FAILURE() << c.kind << c.digits << " of " << c.value << ": got " << text
                          << ", expected " << c.expected;
    }
    EXPECT_EQ(failures, 0);
    EXPECT_GT(sizeof Cases / sizeof Cases[0], 5000u);
}

} // namespace
} // namespace qv
