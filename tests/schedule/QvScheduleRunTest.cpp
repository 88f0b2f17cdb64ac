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
        {"CrLfQuotedHeader",
         "\"Cir\r\ncuit\"," + header.substr(8) + "\r\n" + many + error + "\r\n" + many + error,
         "1002 circuits: 2 in error (the first on line 503)"},
        {"LoneCarriageReturns", header + "\r" + solved + "\r\r" + notSolved + "\r" + error + "\r",
         "3 circuits: 1 not solved (on line 4), 1 in error (on line 5)"},
        {"LineFeeds", header + "\n" + many + error + "\n",
         "501 circuits: 1 in error (on line 502)"},
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
