// The numeric field's rules without a widget: allowed keys, the range check with its
// tolerance, finishing an entry, and the pop-up list's size.
#include "units/QvEditRules.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

TEST(EditRules, AllowedCharacters) {
    struct Row {
        const char* name;
        char32_t c;
        const char* format;
        bool allowed;
    };
    const Row rows[] = {
        {"digit", U'7', "%0.3f", true},
        {"minus", U'-', "%0.3f", true},
        {"point", U'.', "%0.3f", true},
        {"comma refused", U',', "%0.3f", false},
        {"plus refused", U'+', "%0.3f", false},
        {"space refused", U' ', "%0.3f", false},
        {"e refused in fixed format", U'e', "%0.3f", false},
        {"E refused in fixed format", U'E', "%0.3f", false},
        {"e allowed in g format", U'e', "%0.4g", true},
        {"E allowed in G format", U'E', "%0.4G", true},
        {"other letter refused in g format", U'x', "%0.4g", false},
        {"superscript two refused", U'\u00B2', "%0.4g", false},
        {"control character refused", U'\x01', "%0.3f", false},
    };
    for (const Row& r : rows)
        EXPECT_EQ(IsAllowedEntryChar(r.c, r.format), r.allowed) << r.name;
}

TEST(EditRules, CheckRange) {
    struct Row {
        const char* name;
        double x, lo, hi, factor, offset;
        bool ok;
        double after;
    };
    const Row rows[] = {
        {"inside", 50, 10, 100, 1, 0, true, 50},
        {"0.4 % below the low bound is accepted as typed", 9.96, 10, 100, 1, 0, true, 9.96},
        {"1 % below the low bound takes the bound", 9.9, 10, 100, 1, 0, false, 10},
        {"0.4 % above the high bound is accepted", 100.4, 10, 100, 1, 0, true, 100.4},
        {"far above takes the high bound", 120, 10, 100, 1, 0, false, 100},
        {"bounds both 0: no range", -5, 0, 0, 1, 0, true, -5},
        {"equal bounds: no range", 1e9, 3, 3, 1, 0, true, 1e9},
        {"low bound 0: any value below takes it", -0.0001, 0, 100, 1, 0, false, 0},
        {"high bound 0: any value above takes it", 0.0001, -100, 0, 1, 0, false, 0},
        {"negative low bound, tolerance by magnitude", -10.04, -10, 5, 1, 0, true, -10.04},
        {"negative low bound, far below", -11, -10, 5, 1, 0, false, -10},
        {"bounds converted to the shown unit", 50000, 10, 100, 1000, 0, true, 50000},
        {"converted bound taken", 101000, 10, 100, 1000, 0, false, 100000},
        {"offset applies to bounds", 40, 0, 100, 1.8, 32, true, 40},
        {"offset: below converted low bound", 20, 0, 100, 1.8, 32, false, 32},
    };
    for (const Row& r : rows) {
        double x = r.x;
        EXPECT_EQ(CheckRange(x, r.lo, r.hi, r.factor, r.offset), r.ok) << r.name;
        EXPECT_DOUBLE_EQ(x, r.after) << r.name;
    }
}

TEST(EditRules, ValidateEntryText) {
    TFieldFormat fixed3;
    fixed3.formatStr = "%0.3f";
    TFieldFormat ranged = fixed3;
    ranged.rangeLo = 10;
    ranged.rangeHi = 100;
    struct Row {
        const char* name;
        const char* text;
        const TFieldFormat& format;
        bool ok, changed;
        const char* after;
    };
    const Row rows[] = {
        {"repeated points dropped", "1.2.3", fixed3, true, true, "1.230"},
        {"minus alone reads as zero", "-", fixed3, true, true, "0.000"},
        {"empty text reads as zero", "", fixed3, true, true, "0.000"},
        {"blanks removed", " 1 2.5", fixed3, true, true, "12.500"},
        {"letters leave the text alone", "abc", fixed3, true, false, ""},
        {"bad exponent leaves the text alone", "1e-", fixed3, true, false, ""},
        {"a ratio is no number", "1/2", fixed3, true, false, ""},
        {"tolerated value kept", "9.96", ranged, true, true, "9.960"},
        {"low value takes bound", "9.9", ranged, false, true, "10.000"},
        {"high value takes bound", "120", ranged, false, true, "100.000"},
    };
    for (const Row& r : rows) {
        TValidation v = ValidateEntryText(r.text, r.format);
        EXPECT_EQ(v.ok, r.ok) << r.name;
        EXPECT_EQ(v.changed, r.changed) << r.name;
        if (r.changed) {
            EXPECT_EQ(v.text, r.after) << r.name;
        }
    }
}

// Pasted text reaches the parser unfiltered: whatever it is, the field keeps it or shows a number.
TEST(EditRules, HostilePastedText) {
    TFieldFormat fixed3;
    fixed3.formatStr = "%0.3f";
    struct Row {
        const char* name;
        std::string text;
        bool changed;
        const char* after;
    };
    const Row rows[] = {
        {"embedded NUL",
         std::string("1\0"
                     "2",
                     3),
         false, ""},
        {"binary bytes", std::string("\xff\xfe\x80", 3), false, ""},
        {"lone UTF-8 lead byte after digits", std::string("12\xc3", 3), false, ""},
        {"four hundred digits overflow", std::string(400, '9'), false, ""},
        {"over-long exponent cut to two characters", "1e-99999", true, "0.000"},
        {"only separators", "...---", false, ""},
        {"slash halves", "//", false, ""},
    };
    for (const Row& r : rows) {
        TValidation v = ValidateEntryText(r.text, fixed3);
        EXPECT_TRUE(v.ok) << r.name;
        EXPECT_EQ(v.changed, r.changed) << r.name;
        if (r.changed) {
            EXPECT_EQ(v.text, r.after) << r.name;
        }
    }
}

TEST(EditRules, TextToBaseValue) {
    EXPECT_DOUBLE_EQ(*TextToBaseValue("5500", 1000, 0), 5.5);
    EXPECT_DOUBLE_EQ(*TextToBaseValue("212", 1.8, 32), 100);
    EXPECT_FALSE(TextToBaseValue("5 kW", 1, 0));
    EXPECT_FALSE(TextToBaseValue("1/2", 1, 0));
    // Large in the shown unit, beyond double range in the base unit: no number, not infinity.
    EXPECT_FALSE(TextToBaseValue("1e300", 1e-10, 0));
}

TEST(EditRules, UnitListSize) {
    struct Row {
        int items, height;
    };
    // Item height 13: exact halves go to the even neighbour.
    const Row rows[] = {{1, 20}, {2, 32}, {3, 46}, {5, 72}, {6, 84}, {8, 110}};
    for (const Row& r : rows)
        EXPECT_EQ(UnitListHeight(13, r.items), r.height) << r.items << " items";
    EXPECT_EQ(UnitListWidth(0), 60);
    EXPECT_EQ(UnitListWidth(49), 60);
    EXPECT_EQ(UnitListWidth(51), 61);
}

} // namespace
} // namespace qv
