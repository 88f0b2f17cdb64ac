// Speed of the Cable Sizes window, offscreen: opening it (made, filled and painted whole) and
// redrawing it after a calculation, for the shipped list of sizes and for one of 1,000. One frame
// at 60 Hz is 16 ms.
#include "core/QvAmpwise.h"
#include "sizes/QvSizesForm.h"

#include <QPixmap>
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

// 0: the shipped "ElecData.ini"; otherwise that many sizes, evenly spread on a log scale.
std::vector<double> Sizes(std::int64_t count) {
    if (count == 0)
        return qv::ReadElecData(AMPWISE_SOURCE_DATA_DIR "/ElecData.ini").Sizes;
    std::vector<double> sizes;
    for (std::int64_t i = 0; i < count; ++i)
        sizes.push_back(0.4 * std::pow(2000.0, static_cast<double>(i) / (count - 1)));
    return sizes;
}

// Copper, resistive, single phase, 5.5 kW; the length varies so each calculation differs.
qv::TSizesCircuit Circuit(double length) {
    qv::TSizesCircuit c;
    c.Material = "Copper";
    c.Conductivity = 56;
    c.Power = 5.5;
    c.Length = length;
    c.MaxVoltDrop = 5.5;
    c.Current = qv::LineCurrent(0, 0, 5.5, {});
    return c;
}

void BM_OpenSizesWindow(benchmark::State& state) {
    const std::vector<double> sizes = Sizes(state.range(0));
    for (auto _ : state) {
        qv::TSizesForm form(sizes);
        form.ShowCalculation(Circuit(40), {});
        form.show();
        // Lays out and paints every control of the window, as its first frame does.
        benchmark::DoNotOptimize(form.grab());
    }
}
BENCHMARK(BM_OpenSizesWindow)->Arg(0)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_RedrawAfterCalculation(benchmark::State& state) {
    qv::TSizesForm form(Sizes(state.range(0)));
    form.ShowCalculation(Circuit(40), {});
    form.show();
    form.grab();
    int i = 0;
    for (auto _ : state) {
        form.ShowCalculation(Circuit(++i % 2 ? 55 : 40), {});
        benchmark::DoNotOptimize(form.grab());
    }
}
BENCHMARK(BM_RedrawAfterCalculation)->Arg(0)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace
