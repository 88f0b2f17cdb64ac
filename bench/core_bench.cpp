// Speed of a calculation (resistive and inductive, on the shipped tables), of loading the shipped
// "ElecData.ini", and of reading and writing one value in a 10 MB INI file.
#include "core/QvAmpwise.h"
#include "settings/QvApplicationPath.h"
#include "settings/QvIniFiles.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <fstream>
#include <string>

namespace {

qv::TAmpwiser& ShippedEngine() {
    qv::SharedDataPath = AMPWISE_SOURCE_DATA_DIR "/";
    static qv::TAmpwiser engine;
    engine.SetMaterial(0);
    return engine;
}

// Powers from small to beyond the largest standard size, so that the walks differ in length.
const double Powers[] = {0.25, 2.2, 7.5, 22, 55, 110, 150};

void BM_CalculateResistive(benchmark::State& state) {
    qv::TAmpwiser& engine = ShippedEngine();
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(engine.Calculate(0, 1, 40, Powers[i++ % std::size(Powers)]));
}
BENCHMARK(BM_CalculateResistive);

void BM_CalculateInductive(benchmark::State& state) {
    qv::TAmpwiser& engine = ShippedEngine();
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(engine.Calculate(1, 1, 40, Powers[i++ % std::size(Powers)]));
}
BENCHMARK(BM_CalculateInductive);

void BM_LoadDataShipped(benchmark::State& state) {
    qv::TAmpwiser& engine = ShippedEngine();
    for (auto _ : state) {
        qv::LoadData(engine);
        benchmark::DoNotOptimize(qv::MotorRatings.data());
    }
}
BENCHMARK(BM_LoadDataShipped)->Unit(benchmark::kMicrosecond);

std::string BigIniFile() {
    static const std::string path = [] {
        std::string p = "/tmp/ampwise-bench-" + std::to_string(::getpid()) + ".ini";
        std::ofstream out(p, std::ios::binary);
        std::size_t written = 0;
        for (int i = 0; written < 10 * 1024 * 1024; ++i) {
            std::string block =
                "[Sec" + std::to_string(i) + "]\nkey=" + std::string(100, 'x') + "\n; note\n";
            out << block;
            written += block.size();
        }
        out << "[Last]\nkey=1\n";
        std::atexit([] {
            std::remove(("/tmp/ampwise-bench-" + std::to_string(::getpid()) + ".ini").c_str());
        });
        return p;
    }();
    return path;
}

void BM_ReadTextLastKeyOf10MB(benchmark::State& state) {
    qv::TIniFile ini(BigIniFile());
    for (auto _ : state)
        benchmark::DoNotOptimize(ini.ReadText("Last", "key", ""));
}
BENCHMARK(BM_ReadTextLastKeyOf10MB)->Unit(benchmark::kMillisecond);

void BM_WriteTextLastKeyOf10MB(benchmark::State& state) {
    qv::TIniFile ini(BigIniFile());
    int i = 0;
    for (auto _ : state)
        ini.WriteInt("Last", "key", ++i);
}
BENCHMARK(BM_WriteTextLastKeyOf10MB)->Unit(benchmark::kMillisecond);

} // namespace
