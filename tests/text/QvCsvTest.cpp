// The CSV reader and writer: quoting, line breaks, the byte-order mark, records cut at every
// buffer boundary, line numbers, and the errors for input that is no CSV.
#include "text/QvCsv.h"
#include "tests/testsupport/StepSource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace qv {
namespace {

using Records = std::vector<std::vector<std::string>>;

// Reads all records, the source handing over at most `step` bytes a call.
Records ReadAll(const std::string& text, std::size_t step, std::size_t maxRecord = 1 << 20,
                std::vector<std::size_t>* lines = nullptr) {
    TCsvReader reader(test::StepSource(text, step), maxRecord);
    Records out;
    std::vector<std::string_view> fields;
    while (reader.Next(fields)) {
        out.emplace_back(fields.begin(), fields.end());
        if (lines)
            lines->push_back(reader.RecordLine());
    }
    return out;
}

TEST(CsvReader, Records) {
    struct Case {
        const char* name;
        std::string text;
        Records expected;
    } cases[] = {
        {"PlainLf", "a,b\n1,2\n", {{"a", "b"}, {"1", "2"}}},
        {"CrLfAndNoFinalBreak", "a,b\r\n1,2", {{"a", "b"}, {"1", "2"}}},
        {"LoneCr", "a\rb\r", {{"a"}, {"b"}}},
        {"EmptyFields", ",,\n", {{"", "", ""}}},
        {"EmptyLineIsOneEmptyField", "a\n\nb\n", {{"a"}, {""}, {"b"}}},
        {"QuotedCommaAndBreaks", "\"x,y\",\"l1\r\nl2\"\n", {{"x,y", "l1\r\nl2"}}},
        {"DoubledQuotes", "\"say \"\"hi\"\"\",\"\"\"\"\n", {{"say \"hi\"", "\""}}},
        {"EmptyQuoted", "\"\",b\n", {{"", "b"}}},
        {"QuoteInsideUnquotedIsText", "ab\"c,d\n", {{"ab\"c", "d"}}},
        {"TextAfterClosingQuoteJoins", "\"ab\"c,d\n", {{"abc", "d"}}},
        {"ByteOrderMarkSkipped", "\xEF\xBB\xBFName\n", {{"Name"}}},
        {"ByteOrderMarkOnlyAtStart", "a\n\xEF\xBB\xBF\n", {{"a"}, {"\xEF\xBB\xBF"}}},
        {"Utf8AndNulKept",
         std::string("\xC2\xB2,a\0b\n", 7),
         {{"\xC2\xB2", std::string("a\0b", 3)}}},
        {"Empty", "", {}},
    };
    for (const Case& c : cases)
        for (std::size_t step :
             {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{1 << 16}})
            EXPECT_EQ(ReadAll(c.text, step), c.expected) << c.name << " step " << step;
}

// The separator found from the first line that is not blank, or set, and the records it splits.
TEST(CsvReader, Separators) {
    struct Case {
        const char* name;
        std::string text;
        char set; // 0: found
        char separator;
        bool byteOrderMark;
        Records expected;
    } cases[] = {
        {"Semicolons", "a;b;c\n1;2,5;3\n", 0, ';', false, {{"a", "b", "c"}, {"1", "2,5", "3"}}},
        {"Tabs", "a\tb\r\n1\t\"2\t3\"\r\n", 0, '\t', false, {{"a", "b"}, {"1", "2\t3"}}},
        {"CommaOnATie", "a,b;c\n", 0, ',', false, {{"a", "b;c"}}},
        {"BlankLinesAndQuotesNotCounted",
         "\n,,\r\n\"x;y,z\";b;c\n1;2;3",
         0,
         ';',
         false,
         {{""}, {",,"}, {"x;y,z", "b", "c"}, {"1", "2", "3"}}},
        {"Set", "a;b\n", ',', ',', false, {{"a;b"}}},
        {"Utf8Mark",
         "\xEF\xBB\xBF"
         "a;b\n",
         0,
         ';',
         true,
         {{"a", "b"}}},
        {"Utf16LittleEndian",
         std::string("\xFF\xFE"
                     "a\0;\0\xFC\0\n\0",
                     10),
         0,
         ';',
         true,
         {{"a", "\xC3\xBC"}}},
        {"Utf16BigEndianPair",
         std::string("\xFE\xFF\0a\0\t\xD8\x3D\xDD\x0C", 10),
         0,
         '\t',
         true,
         {{"a", "\xF0\x9F\x94\x8C"}}},
        {"OnlyBlank", "\n\n", 0, ',', false, {{""}, {""}}},
    };
    for (const Case& c : cases)
        for (std::size_t step : {std::size_t{1}, std::size_t{3}, std::size_t{1 << 16}}) {
            TCsvReader reader(test::StepSource(c.text, step));
            if (c.set)
                reader.SetSeparator(c.set);
            else
                EXPECT_EQ(reader.DetectSeparator(), c.separator) << c.name << " step " << step;
            Records out;
            std::vector<std::string_view> fields;
            while (reader.Next(fields))
                out.emplace_back(fields.begin(), fields.end());
            EXPECT_EQ(out, c.expected) << c.name << " step " << step;
            EXPECT_EQ(reader.HadByteOrderMark(), c.byteOrderMark) << c.name;
        }
}

TEST(CsvReader, LineNumbersCountBreaksInsideQuotes) {
    struct Case {
        const char* text;
        std::vector<std::size_t> lines;
    } cases[] = {
        {"h\n\"a\nb\"\nc\r\nd", {1, 2, 4, 5}},
        // As spreadsheets write them: CR LF everywhere, inside quoted fields too.
        {"\"h\r\n1\",h2\r\n\"a\r\n\r\nb\",\"c\r\n\"\r\nd\r\n\r\ne", {1, 3, 7, 8, 9}},
        {"h\r\"a\rb\"\rc\r\r\"x\r\ny\"", {1, 2, 4, 5, 6}},
    };
    for (const Case& c : cases)
        for (std::size_t step : {std::size_t{1}, std::size_t{4}, std::size_t{1 << 16}}) {
            std::vector<std::size_t> lines;
            ReadAll(c.text, step, 1 << 20, &lines);
            EXPECT_EQ(lines, c.lines) << c.text << " step " << step;
        }
}

TEST(CsvReader, InputThatIsNoCsv) {
    struct Case {
        const char* name;
        std::string text;
        std::size_t maxRecord;
        const char* message;
    } cases[] = {
        {"UnclosedQuote", "a\nb\n\"open,\nmore\n", 1 << 20, "line 3: a quoted field is not closed"},
        {"UnclosedQuoteAfterCrLfInQuotes", "\"a\r\nb\",c\r\n\"d\r\n\r\ne\"\r\n\"open\r\nmore\r\n",
         1 << 20, "line 6: a quoted field is not closed"},
        {"RecordTooLong", "ok\n" + std::string(3 << 20, 'x') + "\n", 2 << 20,
         "line 2: a record longer than 2 MiB"},
    };
    for (const Case& c : cases) {
        try {
            ReadAll(c.text, 1 << 16, c.maxRecord);
            ADD_FAILURE() << c.name << ": no error";
        } catch (const ECsvError& e) {
            EXPECT_STREQ(e.what(), c.message) << c.name;
        }
    }
}

// A record longer than the limit is refused however the file arrives: at once, or in reads that
// stop inside it, after its line break, or just before the line feed of a CR LF. Found by the
// fuzzer with a record that a single read took whole and small reads refused.
TEST(CsvReader, RecordLimitWhateverTheReads) {
    constexpr std::size_t kMax = 16;
    for (const char* end : {"\n", "\r\n", "\r", "\"\n", ""}) {
        for (std::size_t length = kMax - 3; length <= kMax + 1; ++length) {
            const bool quoted = std::strchr(end, '"') != nullptr;
            // The record's bytes, its line break included.
            const std::string record =
                (quoted ? "\"" + std::string(length - 2, 'x') : std::string(length, 'x')) + end;
            const std::string text = "a\n" + record + (*end ? "b\n" : "");
            const bool tooLong = record.size() > kMax;
            for (std::size_t step : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{7},
                                     kMax, text.size() + 1}) {
                const std::string name = "end " + std::to_string(std::strlen(end)) + ", length " +
                                         std::to_string(length) + ", step " + std::to_string(step);
                try {
                    ReadAll(text, step, kMax);
                    EXPECT_FALSE(tooLong) << name << ": no error";
                } catch (const ECsvError& e) {
                    EXPECT_TRUE(tooLong) << name << ": " << e.what();
                    EXPECT_STREQ(e.what(), "line 2: a record longer than 0 MiB") << name;
                }
            }
        }
    }
}

TEST(CsvReader, LongFieldAcrossManyReads) {
    const std::string big(10 << 20, 'z');
    const Records r = ReadAll("a,b\n1,\"" + big + "\"\n", 65536, 64 << 20);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[1][1], big);
}

TEST(CsvReader, PlainRecordTextOnlyWithoutQuotes) {
    TCsvReader reader(TextSource("a,b\r\n\"a\",b\nx\"y,z\n"));
    std::vector<std::string_view> f;
    const char* expected[] = {"a,b", "", ""};
    for (const char* e : expected) {
        ASSERT_TRUE(reader.Next(f));
        EXPECT_EQ(reader.PlainRecordText(), e);
    }
}

TEST(CsvWriter, FieldsReadBackTheSame) {
    struct Case {
        std::string field, written;
    } cases[] = {
        {"plain", "plain"},       {"", ""},
        {"a,b", "\"a,b\""},       {"say \"x\"", "\"say \"\"x\"\"\""},
        {"l1\nl2", "\"l1\nl2\""}, {"cr\r", "\"cr\r\""},
    };
    for (const Case& c : cases) {
        std::string out;
        AppendCsvField(out, c.field);
        EXPECT_EQ(out, c.written) << c.field;
        const Records back = ReadAll(out + ",end\n", 1);
        ASSERT_EQ(back.size(), 1u) << c.field;
        EXPECT_EQ(back[0][0], c.field);
    }
}

} // namespace
} // namespace qv
