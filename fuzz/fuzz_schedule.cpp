// Fuzzes the schedule with its installation columns: any input ends in rows (an Error or Not
// Solved row for cells that do not read) or the run's own error, and sizing on several threads
// in small pieces writes the bytes one thread writes.
#include "schedule/QvScheduleRun.h"
#include "scheduleiec/QvScheduleIec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

const qv::TScheduleSizer& Sizer() {
    static const qv::TScheduleSizer sizer(
        [] {
            qv::TElecData d;
            d.Sizes = {0.75, 1.5, 2.5, 4, 6, 10, 16, 25, 35, 50, 70, 95, 120, 185, 300, 625};
            d.Ratings = {{0.37, 0.70, 72.7}, {5.5, 0.84, 87.7}, {110, 0.88, 94.5}};
            d.Materials = {{"Copper", 56}, {"Aluminium", 35}, {"Gold", 45}};
            return d;
        }(),
        5.5, std::make_shared<qv::TIecScheduleSizer>());
    return sizer;
}

std::string Run(const std::string& text, qv::TOutputFormat format, unsigned threads) {
    qv::TCsvReader reader(qv::TextSource(text), 4096);
    qv::TScheduleRunOptions options;
    options.Threads = threads;
    options.ChunkBytes = 64;
    std::string out;
    try {
        qv::TScheduleTally tally;
        const int status = qv::RunSchedule(
            reader, Sizer(), format, [&](std::string_view s) { out += s; }, options, &tally);
        out += "\nstatus " + std::to_string(status) + " " + tally.Summary();
    } catch (const qv::ECsvError& e) {
        out = std::string("error ") + e.what();
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (qv::TOutputFormat format : {qv::TOutputFormat::Csv, qv::TOutputFormat::Jsonl})
        if (Run(text, format, 1) != Run(text, format, 2))
            std::abort();
    return 0;
}
