// Speed of formatting a value for display (fixed and general formats, the automatic format) and
// of cleaning and parsing typed number text.
#include "settings/QvSysUtils.h"
#include "units/QvConv.h"

#include <benchmark/benchmark.h>

#include <array>
#include <string>

namespace {

const std::array<double, 8> Values{0.125,   1234.5678, -2.5,   1.341021858656296,
                                   0.00005, 1e20,      123456, 9.995};

void BM_FormatValueFixed(benchmark::State& state) {
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            qv::FormatValue(Values[i++ % Values.size()], qv::ft_Fixed, "%0.3f", 5, 3));
    }
}
BENCHMARK(BM_FormatValueFixed);

void BM_FormatValueGeneral(benchmark::State& state) {
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            qv::FormatValue(Values[i++ % Values.size()], qv::ft_Fixed, "%0.4g", 5, 4));
    }
}
BENCHMARK(BM_FormatValueGeneral);

void BM_FormatValueAuto(benchmark::State& state) {
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            qv::FormatValue(Values[i++ % Values.size()], qv::ft_AutoOverride, "%0.1f", 5, 1));
    }
}
BENCHMARK(BM_FormatValueAuto);

void BM_CleanAndParse(benchmark::State& state) {
    const std::array<std::string, 6> texts{" 1 2.5.6",  "--5",   "2e-3e4",
                                           "1234.5678", "1E400", "0.000123"};
    std::size_t i = 0;
    for (auto _ : state) {
        double v = 0;
        benchmark::DoNotOptimize(
            qv::TryStrToFloat(qv::CleanNumberText(texts[i++ % texts.size()]), v));
        benchmark::DoNotOptimize(v);
    }
}
BENCHMARK(BM_CleanAndParse);

} // namespace
