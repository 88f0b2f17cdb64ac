// The streaming run: rows shared out to several threads in chunks give the output, the exit status
// and the errors of the run on one thread, byte for byte, whatever the chunk size and however the
// input arrives.
#include "schedule/QvScheduleRun.h"
#include "tests/testsupport/StepSource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

namespace qv {
namespace {

TElecData TestData() {
    TElecData d;
    d.Sizes = {1.5, 2.5, 4, 6, 10, 16, 25, 35, 50, 70, 95, 120};
    d.Ratings = {{0.37, 0.70, 72.7}, {5.5, 0.84, 87.7}, {110, 0.88, 94.5}};
    d.Materials = {{"Copper", 56}, {"Aluminium", 35}};
    return d;
}

// What a run gave: its output and exit status, or its error (the output written before an error
// is whatever was flushed by then, which differs between the two).
std::string Outcome(const std::string& input, TOutputFormat format,
                    const TScheduleRunOptions& options, std::size_t piece,
                    std::size_t maxRecordBytes) {
    static const TScheduleSizer sizer(TestData(), 5.5);
    TCsvReader reader(test::StepSource(input, piece), maxRecordBytes);
    std::string out;
    try {
        TScheduleTally tally;
        const int status = RunSchedule(
            reader, sizer, format, [&](std::string_view s) { out += s; }, options, &tally);
        return out + "\nstatus " + std::to_string(status) + ", " + tally.Summary();
    } catch (const ECsvError& e) {
        return std::string("error ") + e.what();
    }
}

// Rows of every kind, with blank lines and CR LF, LF and lone CR line ends.
std::string Rows(std::mt19937_64& rng, int count) {
    const char* rows[] = {
        "C,Copper,Resistive,Single,5.5,40",
        "C,aluminium,Inductive,Three,22 kW,120 ft",
        "C,Copper,Resistive,Three,84,5000",
        "C,Tin,Resistive,Single,1,1",
        "C,Copper,Inductive,Single,7,10",
        "C,Copper,Resistive,Single,1,0",
        "C,Copper,Resistive,Single,x,1",
        "C,Copper,Resistive,Single,1,1,extra",
        "C,Copper,Resistive",
        "\xEF\xBB\xBF,Copper,Resistive,Single,1,1",
    };
    const char* ends[] = {"\n", "\r\n", "\n\n"};
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += rows[rng() % std::size(rows)];
        text += ends[rng() % std::size(ends)];
    }
    return text;
}

TEST(ScheduleRun, ThreadsGiveTheOneThreadRunByteForByte) {
    std::mt19937_64 rng(18);
    const std::string header = "Circuit,Material,Load Type,Phase,Power,Length\n";
    const std::string rows = Rows(rng, 300);
    const std::string more = Rows(rng, 100);
    struct Case {
        const char* name;
        std::string input;
        std::size_t maxRecordBytes = TCsvReader::kDefaultMaxRecordBytes;
    } cases[] = {
        {"Rows", "\xEF\xBB\xBF" + header + rows},
        {"NoLastLineBreak", header + rows + "C,Copper,Resistive,Single,5.5,40"},
        {"QuoteHalfWay", header + rows + "\"C,\n\"\"q\"\"\",Copper,Resistive,Single,1,1\n" + more +
                             "\"" + more + "\",a\n" + more},
        {"QuoteInsideAField", header + rows + "C\"1,Copper,Resistive,Single,1,1\n" + more},
        {"LoneCarriageReturns", header + "C,Copper,Resistive,Single,1,1\rC,Tin,R,S,1,1\r" + rows},
        {"LongRecord",
         header + rows + std::string(5000, 'q') + ",Copper,Resistive,Single,1,1\n" + more},
        {"UnclosedQuote", header + rows + "\"C2,Copper\n" + more},
        {"RecordTooLong",
         header + rows + std::string(100000, 'q') + ",Copper,Resistive,Single,1,1\n" + more, 2048},
        {"HeaderOnly", header},
        {"MissingColumn", "Material,Phase\n" + rows},
        {"Empty", ""},
    };
    const std::size_t chunkSizes[] = {1, 7, 100, 4096, TScheduleRunOptions{}.ChunkBytes};
    for (const Case& c : cases) {
        for (TOutputFormat format : {TOutputFormat::Csv, TOutputFormat::Jsonl}) {
            const std::string expected =
                Outcome(c.input, format, {1, 1}, c.input.size() + 1, c.maxRecordBytes);
            for (unsigned threads : {2u, 3u}) {
                for (std::size_t chunk : chunkSizes) {
                    for (std::size_t piece : {std::size_t{5}, c.input.size() + 1}) {
                        ASSERT_EQ(
                            Outcome(c.input, format, {threads, chunk}, piece, c.maxRecordBytes),
                            expected)
                            << c.name << ", " << threads << " threads, chunks of " << chunk
                            << ", read in pieces of " << piece;
                    }
                }
            }
        }
    }
}

// What spreadsheets write: ";" with decimal commas, tabs, UTF-16, byte-order marks, empty rows
// below the table and fields past the header's, read and written back in kind on any thread.
std::string Utf16(std::u16string_view text, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t c : text) {
        const char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
        out += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
    }
    return out;
}

TEST(ScheduleRun, WhatSpreadsheetsWrite) {
    const std::string ends = "23.91304347826087,4,4.270186335403727,carrying capacity,Solved\n";
    const std::string header = "Circuit,Material,Load Type,Phase,Power,Length,Current (A),"
                               "Size (mm²),Voltage Drop (V),Limited By,Status\n";
    auto semi = [](std::string t) {
        for (char& c : t)
            c = c == ',' ? ';' : c == '.' ? ',' : c;
        return t;
    };
    auto tabs = [](std::string t) {
        std::replace(t.begin(), t.end(), ',', '\t');
        return t;
    };
    const char16_t* u16 = u"Circuit\tMaterial\tLoad Type\tPhase\tPower\tLength\r\n"
                          u"P\u00FCmpe \U0001F50C\tCopper\tResistive\tSingle\t5.5\t40\r\n";
    const std::string u16Out = "\xEF\xBB\xBF" + tabs(header) + "P\xC3\xBCmpe \xF0\x9F\x94\x8C\t" +
                               tabs("Copper,Resistive,Single,5.5,40," + ends);
    struct Case {
        const char* name;
        std::string input;
        std::string output;
        char separator = 0, outputSeparator = 0;
        TOutputFormat format = TOutputFormat::Csv;
    } cases[] = {
        {"SemicolonsAndDecimalCommas",
         "Circuit;Material;Load Type;Phase;Power;Length\r\nA;Copper;Resistive;Single;5,5;40\r\n",
         semi(header) + "A;Copper;Resistive;Single;5,5;40;" + semi(ends)},
        {"SemicolonsWrittenWithCommas",
         "Circuit;Material;Load Type;Phase;Power;Length\nA;Copper;Resistive;Single;5,5;40\n",
         header + "A,Copper,Resistive,Single,\"5,5\",40," + ends, 0, ','},
        {"TabsWithByteOrderMark",
         "\xEF\xBB\xBF\n" + tabs("Circuit,Material,Load Type,Phase,Power,Length\nA,Copper,"
                                 "Resistive,Single,5.5,40\n"),
         "\xEF\xBB\xBF" + tabs(header + "A,Copper,Resistive,Single,5.5,40," + ends)},
        {"Utf16LittleEndian", Utf16(u16, false), u16Out},
        {"Utf16BigEndian", Utf16(u16, true), u16Out},
        {"EmptyRowsBelowTheTable",
         "Circuit,Material,Load Type,Phase,Power,Length\nA,Copper,Resistive,Single,5.5,40\n,,,,,\n"
         " , ,\t,,,\r\n\"\",,,,,\n",
         header + "A,Copper,Resistive,Single,5.5,40," + ends},
        {"FieldsPastTheHeader",
         "Circuit,Material,Load "
         "Type,Phase,Power,Length\nA,Copper,Resistive,Single,5.5,40,x,\"y,z\"\n",
         header + "A,Copper,Resistive,Single,5.5,40,,,,,Error: the row has 8 fields; the header "
                  "has 6,x,\"y,z\"\n"},
        {"FieldsPastTheHeaderInJson",
         "Circuit,Material,Load Type,Phase,Power,Length\nA,Copper,Resistive,Single,5.5,40,x\n",
         "{\"Circuit\":\"A\",\"Material\":\"Copper\",\"Load "
         "Type\":\"Resistive\",\"Phase\":\"Single\","
         "\"Power\":\"5.5\",\"Length\":\"40\",\"Current (A)\":null,\"Size (mm²)\":null,\"Voltage "
         "Drop "
         "(V)\":null,\"Limited By\":null,\"Status\":\"Error: the row has 7 fields; the header has "
         "6\",\"Fields past the header\":[\"x\"]}\n",
         0, 0, TOutputFormat::Jsonl},
    };
    for (const Case& c : cases)
        for (unsigned threads : {1u, 3u})
            for (std::size_t chunk : {std::size_t{7}, TScheduleRunOptions{}.ChunkBytes}) {
                TScheduleRunOptions options{threads, chunk};
                options.Separator = c.separator;
                options.OutputSeparator = c.outputSeparator;
                const std::string out =
                    Outcome(c.input, c.format, options, 5, TCsvReader::kDefaultMaxRecordBytes);
                EXPECT_EQ(out.substr(0, out.rfind("\nstatus")), c.output)
                    << c.name << ", " << threads << " threads, chunks of " << chunk;
            }
}

// Rows are sized and written while the input is still being read, whatever its line ends: the
// run holds a few chunks, not the file.
TEST(ScheduleRun, StreamsWhateverTheLineEnds) {
    static const TScheduleSizer sizer(TestData(), 5.5);
    for (const char* end : {"\n", "\r\n", "\r"}) {
        std::string input = std::string("Circuit,Material,Load Type,Phase,Power,Length") + end;
        for (int i = 0; i < 20000; ++i)
            input += "C,Copper,Resistive,Single,5.5,40" + std::string(end);
        std::size_t handed = 0;
        std::size_t handedAtFirstRow = 0;
        TCsvReader reader(
            [&, source = test::StepSource(input, 4096)](char* buf, std::size_t cap) mutable {
                const std::size_t n = source(buf, cap);
                handed += n;
                return n;
            });
        std::size_t rows = 0;
        RunSchedule(reader, sizer, TOutputFormat::Csv,
                    [&](std::string_view s) {
                        const auto lines =
                            static_cast<std::size_t>(std::count(s.begin(), s.end(), '\n'));
                        if (rows <= 1 && rows + lines > 1)
                            handedAtFirstRow = handed;
                        rows += lines;
                    },
                    {2, 16384});
        EXPECT_EQ(rows, 20001u) << "line end " << int(end[0]);
        EXPECT_LT(handedAtFirstRow, input.size() / 4) << "line end " << int(end[0]);
    }
}

// The lines a run's summary names are the file's lines, however the rows are shared out, with
// line breaks inside quoted fields and every kind of line end.
TEST(ScheduleRun, SummaryNamesTheFilesLines) {
    const std::string header = "Circuit,Material,Load Type,Phase,Power,Length";
    const std::string solved = "C,Copper,Resistive,Single,5.5,40";
    const std::string notSolved = "C,Copper,Resistive,Three,84,5000";
    const std::string error = "C,Tin,Resistive,Single,1,1";
    std::string many;
    for (int i = 0; i < 500; ++i)
        many += solved + "\r\n";
    struct Case {
        const char* name;
        std::string input;
        const char* summary;
    } cases[] = {
        {"CrLfWithQuotedBreaks",
         header + "\r\n" + many + "\"C\r\n1\",Copper,Resistive,Single,5.5,40\r\n" + many +
             notSolved + "\r\n\r\n" + error + "\r\n" + notSolved + "\r\n",
         "1004 circuits: 2 not solved (the first on line 1004), 1 in error (on line 1006)"},
        {"LoneCarriageReturns", header + "\r" + solved + "\r\r" + notSolved + "\r" + error + "\r",
         "3 circuits: 1 not solved (on line 4), 1 in error (on line 5)"},
    };
    for (const Case& c : cases)
        for (unsigned threads : {1u, 3u})
            for (std::size_t chunk : {std::size_t{100}, TScheduleRunOptions{}.ChunkBytes}) {
                const std::string out = Outcome(c.input, TOutputFormat::Csv, {threads, chunk}, 7,
                                                TCsvReader::kDefaultMaxRecordBytes);
                EXPECT_EQ(out.substr(out.rfind('\n') + 1), std::string("status 1, ") + c.summary)
                    << c.name << ", " << threads << " threads, chunks of " << chunk;
            }
}

} // namespace
} // namespace qv
