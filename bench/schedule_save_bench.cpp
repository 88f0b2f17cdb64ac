// Speed of saving a schedule of 200,000 circuits held in memory, as the Cable Schedule window saves
// it: written as CSV through the output file into a new name and over the file already there
// (which is checked, written beside and renamed into place, and flushed to the disk).
#include "core/QvAmpwise.h"
#include "schedule/QvScheduleRun.h"
#include "schedule/QvScheduleSheet.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

constexpr std::size_t kRows = 200000;

std::string Folder() {
    static const std::string folder = [] {
        std::string tmpl =
            (std::filesystem::temp_directory_path() / "schedule-save-bench-XXXXXX").string();
        return std::string(mkdtemp(tmpl.data()) ? tmpl : "/tmp");
    }();
    return folder;
}

// Circuits of every kind, sized with the shipped tables.
struct TSchedule {
    std::vector<std::string> Header;
    qv::TScheduleLayout Layout;
    std::vector<qv::TScheduleRow> Rows;
};

const TSchedule& Schedule() {
    static const TSchedule s = [] {
        TSchedule out;
        const qv::TScheduleSizer sizer(qv::ReadElecData(AMPWISE_SOURCE_DATA_DIR "/ElecData.ini"),
                                       5.5);
        out.Header = qv::DefaultScheduleHeader();
        out.Layout = qv::MatchHeader(out.Header);
        const char* const materials[] = {"Copper", "Aluminium"};
        const char* const loads[] = {"Resistive", "Inductive"};
        const char* const phases[] = {"Single", "Three"};
        out.Rows.reserve(kRows);
        for (std::size_t i = 0; i < kRows; ++i) {
            qv::TScheduleRow row;
            row.Fields = {"Circuit " + std::to_string(i),
                          materials[i % 2],
                          loads[(i / 2) % 2],
                          phases[(i / 4) % 2],
                          std::to_string(0.5 + (i % 50) * 1.5) + " kW",
                          std::to_string(5 + (i % 400) * 2.5) + (i % 3 ? " m" : " ft")};
            row.Result = qv::SizeFields(sizer, out.Layout, row.Fields);
            out.Rows.push_back(std::move(row));
        }
        return out;
    }();
    return s;
}

void Save(const std::string& path) {
    const TSchedule& s = Schedule();
    qv::TOutputFile out(path);
    qv::WriteScheduleCsv(s.Header, s.Layout, s.Rows, [&out](std::string_view t) { out.Write(t); });
    out.Commit();
}

void BM_Save200kOverTheFile(benchmark::State& state) {
    const std::string path = Folder() + "/saved.csv";
    Save(path);
    for (auto _ : state)
        Save(path);
    state.counters["rows_per_s"] =
        benchmark::Counter(static_cast<double>(kRows) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Save200kOverTheFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Save200kNewFile(benchmark::State& state) {
    const std::string path = Folder() + "/new.csv";
    Schedule();
    for (auto _ : state) {
        Save(path);
        state.PauseTiming();
        std::remove(path.c_str());
        state.ResumeTiming();
    }
    state.counters["rows_per_s"] =
        benchmark::Counter(static_cast<double>(kRows) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Save200kNewFile)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(Folder());
    return 0;
}
