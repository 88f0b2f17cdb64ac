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
        const int status = RunSchedule(
            reader, sizer, format, [&](std::string_view s) { out += s; }, options);
        return out + "\nstatus " + std::to_string(status);
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

} // namespace
} // namespace qv
