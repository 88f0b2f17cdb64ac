// Speed of the Cable Sizes window, offscreen: opening it (made, filled and painted whole) and
// redrawing it after a calculation, and with the Installation panel in use (both answers, the
// standard's columns and the Iz curve) after a calculation and after a typed field, for the
// shipped list of sizes and for one of 1,000. One frame at 60 Hz is 16 ms.
#include "core/QvAmpwise.h"
#include "iec/QvIec.h"
#include "sizes/QvSizesForm.h"

#include <QLineEdit>
#include <QPixmap>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace {

// 0: the shipped "ElecData.ini"; otherwise that many sizes, evenly spread on a log scale, with
// the shipped ones among them so that the standard rates some.
std::vector<double> Sizes(std::int64_t count) {
    std::vector<double> sizes = qv::ReadElecData(AMPWISE_SOURCE_DATA_DIR "/ElecData.ini").Sizes;
    if (count == 0)
        return sizes;
    for (std::int64_t i = 0; static_cast<std::int64_t>(sizes.size()) < count; ++i)
        sizes.push_back(0.4 * std::pow(2000.0, static_cast<double>(i) / (count - 1)));
    std::sort(sizes.begin(), sizes.end());
    sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
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

// Method C at 35 °C, three circuits, a 32 A breaker and a fault: every check at work.
qv::iec::TIecInputs Installation() {
    qv::iec::TIecInputs in;
    in.AirTemperature = 35;
    in.Circuits = 3;
    in.Device = qv::iec::TDevice::CircuitBreaker;
    in.DeviceRating = 32;
    in.PowerFactor = 0;
    in.FaultCurrent = 6;
    in.FaultTime = 0.4;
    return in;
}

// The window shown and painted once, with or without the panel in use, then `change` and a
// repaint timed, the n-th time with n.
void Redraw(benchmark::State& state, bool installation,
            const std::function<void(qv::TSizesForm&, int)>& change) {
    qv::TSizesForm form(Sizes(state.range(0)));
    if (installation)
        form.SetInstallation(Installation());
    form.ShowCalculation(Circuit(40), {});
    form.show();
    form.grab();
    int i = 0;
    for (auto _ : state) {
        change(form, ++i);
        benchmark::DoNotOptimize(form.grab());
    }
}

void NextCalculation(qv::TSizesForm& form, int i) {
    form.ShowCalculation(Circuit(i % 2 ? 55 : 40), {});
}

void BM_RedrawAfterCalculation(benchmark::State& state) {
    Redraw(state, false, NextCalculation);
}
BENCHMARK(BM_RedrawAfterCalculation)->Arg(0)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_RedrawWithInstallation(benchmark::State& state) {
    Redraw(state, true, NextCalculation);
}
BENCHMARK(BM_RedrawWithInstallation)->Arg(0)->Arg(1000)->Unit(benchmark::kMillisecond);

// A field typed and confirmed: read, kept in the settings, both answers worked out and drawn.
void BM_RedrawAfterTypedField(benchmark::State& state) {
    Redraw(state, true, [](qv::TSizesForm& form, int i) {
        form.EditAirTemperature->setText(i % 2 ? QStringLiteral("40") : QStringLiteral("35"));
        emit form.EditAirTemperature->editingFinished();
    });
}
BENCHMARK(BM_RedrawAfterTypedField)->Arg(0)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace
