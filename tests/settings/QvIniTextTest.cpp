// The INI text engine on text in memory: how lines read, and that an edit touches one line only.
#include "settings/QvIniText_p.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>

namespace qv {
namespace {

struct ReadCase {
    const char* name;
    std::string text;
    const char* section;
    const char* key;
    std::optional<std::string> expected;
};

class IniTextRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(IniTextRead, FindsValue) {
    const ReadCase& c = GetParam();
    EXPECT_EQ(initext::FindValue(c.text, c.section, c.key), c.expected);
}

const std::optional<std::string> kNone;

INSTANTIATE_TEST_SUITE_P(
    Rules, IniTextRead,
    ::testing::Values(
        ReadCase{"NamesIgnoreCase", "[Cable]\nSize=1,2\n", "cABLE", "SIZE", "1,2"},
        ReadCase{"BlanksAndTabsTrimmed", " \t[ A ] \n\t k \t=\t v w \t\n", " A", "k ", "v w"},
        ReadCase{"DoubleQuotesStripped", "[A]\nk=\" v \"\n", "A", "k", " v "},
        ReadCase{"SingleQuotesStripped", "[A]\nk='v'\n", "A", "k", "v"},
        ReadCase{"UnmatchedQuotesKept", "[A]\nk=\"v'\n", "A", "k", "\"v'"},
        ReadCase{"OneQuoteAloneKept", "[A]\nk=\"\n", "A", "k", "\""},
        ReadCase{"CommentLineIsNoKey", "[A]\n;k=1\n  ; k=2\n", "A", "k", kNone},
        ReadCase{"HashIsOrdinaryText", "[A]\n#k=1\n", "A", "#k", "1"},
        ReadCase{"InlineSemicolonIsValue", "[A]\nk=1 ; note\n", "A", "k", "1 ; note"},
        ReadCase{"SectionRunsToLastBracket", "[a]b] tail\nk=1\n", "a]b", "k", "1"},
        ReadCase{"HeaderWithoutBracketIsNoHeader", "[A]\n[B\nk=1\n", "A", "k", "1"},
        ReadCase{"HeaderWithoutBracketOpensNothing", "[A]\n[B\nk=1\n", "B", "k", kNone},
        ReadCase{"LineWithoutEqualsIsNoKey", "[A]\nk\n", "A", "k", kNone},
        ReadCase{"EmptyValueIsNotMissing", "[A]\nk=\n", "A", "k", ""},
        ReadCase{"ValueKeepsLaterEquals", "[A]\nk=a=b\n", "A", "k", "a=b"},
        ReadCase{"FirstDuplicateSectionWins", "[A]\nk=1\n[B]\n[a]\nk=2\nj=3\n", "A", "j", kNone},
        ReadCase{"FirstDuplicateKeyWins", "[A]\nk=1\nK=2\n", "A", "k", "1"},
        ReadCase{"KeyBeforeAnySectionUnreachable", "k=1\n[A]\n", "A", "k", kNone},
        ReadCase{"KeyOfOtherSectionNotSeen", "[A]\n[B]\nk=1\n", "A", "k", kNone},
        ReadCase{"CrLfLineEnds", "[A]\r\nk=1\r\nj=2\r\n", "A", "j", "2"},
        ReadCase{"CrLineEnds", "[A]\rk=1\rj=2\r", "A", "j", "2"},
        ReadCase{"NoFinalLineEnd", "[A]\nk=last", "A", "k", "last"},
        ReadCase{"ByteOrderMarkSkipped", "\xEF\xBB\xBF[A]\nk=1\n", "A", "k", "1"},
        ReadCase{"EmptyText", "", "A", "k", kNone},
        ReadCase{"NulInsideValueKept", std::string("[A]\nk=a\0b\n", 9), "A", "k",
                 std::string("a\0b", 3)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniTextLists, NamesInOrderOnceEachWithoutCommentsOrEmptyNames) {
    const std::string text = "[S]\nb=1\n;c=2\nA=3\n=4\nB=5\nplain\n[T]\nx=1\n[]\n[s]\nz=1\n";
    EXPECT_EQ(initext::KeyNames(text, "s"), (std::vector<std::string>{"b", "A"}));
    EXPECT_EQ(initext::SectionNames(text), (std::vector<std::string>{"S", "T"}));
    EXPECT_TRUE(initext::KeyNames(text, "missing").empty());
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(initext::KeyValues(text, "S"), (Pairs{{"b", "1"}, {"A", "3"}}));
}

struct EditCase {
    const char* name;
    std::string before;
    std::string after;
};

class IniTextSet : public ::testing::TestWithParam<EditCase> {};

// Every row sets A/k to "v" (or "new" where the row's text shows it).
TEST_P(IniTextSet, ChangesOnlyItsLine) {
    const EditCase& c = GetParam();
    std::string text = c.before;
    const bool quoted = std::string(c.name).rfind("Quote", 0) == 0;
    ASSERT_TRUE(initext::SetValue(text, "A", "k", quoted ? " v" : "v"));
    EXPECT_EQ(text, c.after);
    EXPECT_EQ(initext::FindValue(text, "A", "k"), quoted ? " v" : "v");
}

INSTANTIATE_TEST_SUITE_P(
    Rules, IniTextSet,
    ::testing::Values(
        EditCase{"ReplaceKeepsEverythingElse", "; top\n[B]\nk=1\n[A] ; x\nK = old ; c\n\n#j=2\n",
                 "; top\n[B]\nk=1\n[A] ; x\nK = v\n\n#j=2\n"},
        EditCase{"ReplaceKeepsCrLf", "[A]\r\nk=old\r\nj=2\r\n", "[A]\r\nk=v\r\nj=2\r\n"},
        EditCase{"NewKeyAfterLastContentLine", "[A]\na=1\n; about B\n\n[B]\nb=2\n",
                 "[A]\na=1\nk=v\n; about B\n\n[B]\nb=2\n"},
        EditCase{"NewKeyAfterBareHeader", "[A]\n[B]\n", "[A]\nk=v\n[B]\n"},
        EditCase{"NewKeyAtEndWithoutFinalLineEnd", "[A]\na=1", "[A]\na=1\nk=v"},
        EditCase{"NewKeyInFirstOfDuplicateSections", "[A]\n[A]\nk=2\n", "[A]\nk=v\n[A]\nk=2\n"},
        EditCase{"NewSectionAtEnd", "[B]\nb=1\n", "[B]\nb=1\n[A]\nk=v\n"},
        EditCase{"NewSectionAfterUnterminatedLine", "[B]\nb=1", "[B]\nb=1\n[A]\nk=v\n"},
        EditCase{"NewSectionUsesFilesCrLf", "[B]\r\nb=1\r\n", "[B]\r\nb=1\r\n[A]\r\nk=v\r\n"},
        EditCase{"NewSectionInEmptyText", "", "[A]\nk=v\n"},
        EditCase{"ByteOrderMarkKept", "\xEF\xBB\xBF", "\xEF\xBB\xBF[A]\nk=v\n"},
        EditCase{"QuoteValueWithLeadingBlank", "[A]\nk=1\n", "[A]\nk=\" v\"\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniTextSetRefused, NamesOrValuesThatWouldBreakTheFile) {
    struct Row {
        const char* name;
        std::string section, key, value;
    } rows[] = {
        {"BlankSection", " ", "k", "v"},
        {"BlankKey", "A", "\t", "v"},
        {"KeyWithEquals", "A", "a=b", "v"},
        {"KeyLikeComment", "A", ";k", "v"},
        {"KeyLikeHeader", "A", "[x]", "v"},
        {"LineBreakInValue", "A", "k", "v\n[Evil]\nx=1"},
        {"CarriageReturnInSection", "A\rB", "k", "v"},
        {"NulInKey", "A", std::string("k\0x", 3), "v"},
    };
    for (const Row& r : rows) {
        std::string text = "[A]\nk=1\n";
        EXPECT_FALSE(initext::SetValue(text, r.section, r.key, r.value)) << r.name;
        EXPECT_EQ(text, "[A]\nk=1\n") << r.name;
    }
}

TEST(IniTextDelete, RemovesFirstMatchOnly) {
    std::string text = "[A]\nk=1\nj=2\n[B]\nk=3\n[A]\nk=4\n";
    ASSERT_TRUE(initext::DeleteKey(text, "a", "K"));
    EXPECT_EQ(text, "[A]\nj=2\n[B]\nk=3\n[A]\nk=4\n");
    ASSERT_TRUE(initext::DeleteSection(text, "A"));
    EXPECT_EQ(text, "[B]\nk=3\n[A]\nk=4\n");
    ASSERT_TRUE(initext::DeleteSection(text, "A"));
    EXPECT_EQ(text, "[B]\nk=3\n");
    ASSERT_TRUE(initext::DeleteKey(text, "B", "missing"));
    ASSERT_TRUE(initext::DeleteSection(text, "missing"));
    EXPECT_EQ(text, "[B]\nk=3\n");
}

TEST(IniTextHostile, RandomBytesNeverCrashAndEditsStayReadable) {
    std::mt19937 rng(12345);
    for (int round = 0; round < 200; ++round) {
        std::string text(static_cast<std::size_t>(rng() % 400), '\0');
        for (char& c : text) // mostly structure characters, so that the scanner's paths are hit
            c = "[]=;\r\n \"'ab\xEF\xBB\xBF\0\t"[rng() % 16];
        (void)initext::FindValue(text, "a", "b");
        (void)initext::KeyNames(text, "a");
        (void)initext::SectionNames(text);
        std::string edited = text;
        ASSERT_TRUE(initext::SetValue(edited, "zz", "key", "value"));
        EXPECT_EQ(initext::FindValue(edited, "zz", "key"), "value") << round;
        // A key set in an existing section reads back too, whatever surrounds it.
        edited = text;
        ASSERT_TRUE(initext::SetValue(edited, "a", "b", "x y"));
        EXPECT_EQ(initext::FindValue(edited, "a", "b"), "x y") << round;
    }
}

} // namespace
} // namespace qv
