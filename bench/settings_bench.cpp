// Speed of the settings store: one committed write (lock, re-read, atomic replace with flush)
// on a store of realistic and of large size, opening the store to read, and a window's ten
// values saved as one commit. The large stores hold one key per value, the shape that made
// opening grow with the square of the keys before keys were indexed by path.
#include "settings/QvRegFile_p.h"
#include "settings/QvRegistry.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

// A private config folder holding a store of `values` values.
struct StoreFolder {
    explicit StoreFolder(int keys) {
        std::string tmpl =
            (std::filesystem::temp_directory_path() / "ampwise-bench-XXXXXX").string();
        path = mkdtemp(tmpl.data());
        setenv("XDG_CONFIG_HOME", path.c_str(), 1);
        // One commit for the filler, so setting up doesn't dominate the run.
        qv::reg::TRegDocument doc;
        std::string error;
        qv::reg::UpdateStoreFile(
            path + "/Brannoworks/user.reg",
            [keys](qv::reg::TRegDocument& d) {
                // The program's own key, so that opening the store doesn't have to commit it.
                d.AddKey("HKEY_CURRENT_USER\\Software\\Brannoworks\\Bench");
                for (int i = 0; i < keys; ++i) {
                    std::string key = "HKEY_CURRENT_USER\\Software\\Brannoworks\\Bench\\Filler\\K";
                    key += std::to_string(i);
                    d.SetValue(key, "v", qv::reg::REG_DWORD,
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
BENCHMARK(BM_CommitOneWrite)
    ->Arg(20)
    ->Arg(2000)
    ->Arg(20000)
    ->Arg(200000)
    ->Unit(benchmark::kMillisecond);

void BM_OpenAndRead(benchmark::State& state) {
    StoreFolder folder(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        qv::TRegistryIniFile store("Software\\Brannoworks\\Bench");
        benchmark::DoNotOptimize(store.ReadInt("Filler\\K1", "v", 0));
    }
}
BENCHMARK(BM_OpenAndRead)
    ->Arg(20)
    ->Arg(2000)
    ->Arg(20000)
    ->Arg(200000)
    ->Unit(benchmark::kMillisecond);

void BM_SaveTenValuesAsOneCommit(benchmark::State& state) {
    StoreFolder folder(static_cast<int>(state.range(0)));
    qv::TRegistryIniFile store("Software\\Brannoworks\\Bench");
    std::int32_t i = 0;
    for (auto _ : state) {
        store.BeginUpdate();
        for (const char* name : {"Left", "Top", "Width", "Height", "Visible", "WinState",
                                 "FontSize", "FontColor", "FontCharSet", "FontName"})
            store.WriteInt("ReportForm", name, ++i);
        store.EndUpdate();
    }
}
BENCHMARK(BM_SaveTenValuesAsOneCommit)->Arg(20)->Arg(2000)->Unit(benchmark::kMillisecond);

} // namespace
