// Comma lists: the number lists of the data file, string-list comma text, and quoted lists.
#include "units/QvConv.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qv {
namespace {

using Strings = std::vector<std::string>;

TEST(ParseDoubleList, Accepts) {
    struct Row {
        const char* name;
        std::string text;
        std::vector<double> expected;
    };
    const Row rows[] = {
        {"blanks and a trailing comma", "0.4, 0.5 ,0.63,", {0.4, 0.5, 0.63}},
        {"empty text", "", {}},
        {"one comma alone", ",", {}},
        {"blanks only", "    ", {}},
        {"exponents and signs", "1E3,-2.5e-1,+7", {1000, -0.25, 7}},
        {"quoted items lose their quotes", "\"1.5\",\"2\"", {1.5, 2}},
        {"a tab ends an item", "1\t2", {1, 2}},
        {"an unclosed quote runs to the end", "\"1.5", {1.5}},
        {"blanks inside a number are removed", "1 2 . 5", {12.5}},
        {"default size list",
         "0.4,0.5,0.75,1.0,1.5,2.5,4,6,10,16,25,35,50,70,95,120,150,185,240,300,400,500,625",
         {0.4, 0.5, 0.75, 1.0, 1.5, 2.5, 4,   6,   10,  16,  25, 35,
          50,  70,  95,   120, 150, 185, 240, 300, 400, 500, 625}},
    };
    for (const Row& r : rows)
        EXPECT_EQ(ParseDoubleList(r.text), r.expected) << r.name;
    // Blank removal has no length limit.
    std::string longText(100000, ' ');
    longText += "7";
    EXPECT_EQ(ParseDoubleList(longText), std::vector<double>{7});
}

TEST(ParseDoubleList, RejectsNamingTheItem) {
    struct Row {
        const char* name;
        std::string text;
        std::string message;
    };
    const Row rows[] = {
        {"two commas in a row", "1,,2", "'' is not a valid floating point value"},
        {"two trailing commas", "1,,", "'' is not a valid floating point value"},
        {"leading comma", ",1", "'' is not a valid floating point value"},
        {"a word", "1,abc,2", "'abc' is not a valid floating point value"},
        {"decimal comma text", "0,5;7", "'5;7' is not a valid floating point value"},
        {"overflow", "1E999", "'1E999' is not a valid floating point value"},
        {"infinity is no number", "inf", "'inf' is not a valid floating point value"},
        {"binary bytes", std::string("1,\x01\xff", 4),
         "'\xff' is not a valid floating point value"},
    };
    for (const Row& r : rows) {
        try {
            ParseDoubleList(r.text);
            ADD_FAILURE() << r.name << ": no error";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.what(), r.message) << r.name;
        }
    }
}

TEST(CommaText, ReadsItems) {
    struct Row {
        const char* name;
        std::string text;
        Strings expected;
    };
    const Row rows[] = {
        {"plain items", "a,b,c", {"a", "b", "c"}},
        {"blanks separate outside quotes", "Copper Aluminium", {"Copper", "Aluminium"}},
        {"blanks around commas are skipped", "  a , b  ", {"a", "b"}},
        {"quoted item keeps blanks and commas",
         "\"Tinned copper, soft\",x",
         {"Tinned copper, soft", "x"}},
        {"doubled quote stands for one", "\"say \"\"hi\"\"\"", {"say \"hi\""}},
        {"empty item between commas", "a,,b", {"a", "", "b"}},
        {"trailing comma makes an empty item", "a,", {"a", ""}},
        {"empty quoted item", "\"\"", {""}},
        {"empty text", "", {}},
        {"UTF-8 bytes are not blanks", "m²,°C", {"m²", "°C"}},
        {"text right after a closing quote is an item", "\"a\"b", {"a", "b"}},
        {"unclosed quote runs to the end", "\"a,b", {"a,b"}},
    };
    for (const Row& r : rows)
        EXPECT_EQ(ParseCommaText(r.text), r.expected) << r.name;
}

TEST(CommaText, WritesItemsThatReadBack) {
    struct Row {
        const char* name;
        Strings items;
        std::string expected;
    };
    const Row rows[] = {
        {"plain items", {"Copper", "Aluminium"}, "Copper,Aluminium"},
        {"blank", {"Tinned Copper"}, "\"Tinned Copper\""},
        {"comma", {"a,b"}, "\"a,b\""},
        {"quote doubled", {"1/8\""}, "\"1/8\"\"\""},
        {"tab", {"a\tb"}, "\"a\tb\""},
        {"empty item", {"", "x"}, "\"\",x"},
        {"single empty item", {""}, "\"\""},
        {"no items", {}, ""},
        {"UTF-8 needs no quotes", {"m²"}, "m²"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(CommaText(r.items), r.expected) << r.name;
        EXPECT_EQ(ParseCommaText(CommaText(r.items)), r.items) << r.name;
    }
}

TEST(QuotedCommaText, QuotesEveryItem) {
    const std::string text = QuotedCommaText({"Resistive", "Inductive"});
    EXPECT_EQ(text, "\"Resistive\",\"Inductive\"");
    EXPECT_EQ(text.size(), 23u);
    EXPECT_EQ(ParseCommaText(text), (Strings{"Resistive", "Inductive"}));
    EXPECT_EQ(ParseCommaText(QuotedCommaText({"Single phase", "a,b"})),
              (Strings{"Single phase", "a,b"}));
    EXPECT_EQ(QuotedCommaText({"x"}), "\"x\"");
    EXPECT_EQ(QuotedCommaText({}), "");
}

TEST(RemoveSpacesAndTrailingComma, Rows) {
    EXPECT_EQ(RemoveSpaces(" a b  c "), "abc");
    EXPECT_EQ(RemoveSpaces("a\tb"), "a\tb");
    EXPECT_EQ(StripTrailingComma(",,"), ",");
    EXPECT_EQ(StripTrailingComma(""), "");
    EXPECT_EQ(StripTrailingComma("a, "), "a, ");
    EXPECT_EQ(StripTrailingComma("1,"), "1");
}

} // namespace
} // namespace qv
