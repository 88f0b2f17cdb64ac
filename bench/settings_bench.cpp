// Speed of the settings store: one committed write (lock, re-read, atomic replace with flush)
// on a store of realistic and of large size, and opening the store to read.
#include "settings/QvRegFile.h"
#include "settings/QvRegistry.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

// A private config folder holding a store of `values` values.
struct StoreFolder {
    explicit StoreFolder(int values) {
        std::string tmpl =
            (std::filesystem::temp_directory_path() / "ampwise-bench-XXXXXX").string();
        path = mkdtemp(tmpl.data());
        setenv("XDG_CONFIG_HOME", path.c_str(), 1);
        // One commit for the filler, so setting up doesn't dominate the run.
        qv::reg::TRegDocument doc;
        std::string error;
        qv::reg::UpdateStoreFile(
            path + "/Brannoworks/user.reg",
            [values](qv::reg::TRegDocument& d) {
                for (int i = 0; i < values; ++i) {
                    std::string name = "v";
                    name += std::to_string(i);
                    d.SetValue("HKEY_CURRENT_USER\\Software\\Brannoworks\\Bench\\Filler", name,
                               qv::reg::REG_DWORD,
                               qv::reg::DWordData(static_cast<std::uint32_t>(i)));
                }
            },
            doc, nullptr, &error);
    }
    ~StoreFolder() { std::filesystem::remove_all(path); }
    std::string path;
};

void BM_CommitOneWrite(benchmark::State& state) {
    StoreFolder folder(static_cast<int>(state.range(0)));
    qv::TRegistryIniFile store("Software\\Brannoworks\\Bench");
    std::int32_t i = 0;
    for (auto _ : state)
        store.WriteInt("Settings", "Left", ++i);
}
BENCHMARK(BM_CommitOneWrite)->Arg(20)->Arg(2000)->Unit(benchmark::kMillisecond);

void BM_OpenAndRead(benchmark::State& state) {
    StoreFolder folder(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        qv::TRegistryIniFile store("Software\\Brannoworks\\Bench");
        benchmark::DoNotOptimize(store.ReadInt("Filler", "v1", 0));
    }
}
BENCHMARK(BM_OpenAndRead)->Arg(20)->Arg(2000)->Unit(benchmark::kMicrosecond);

} // namespace
