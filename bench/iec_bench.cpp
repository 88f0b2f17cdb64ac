// Speed of sizing to the installation standard: every row for the shipped size list, and for
// 1,000 sizes (the table rates only its own sizes; the rest still get their drop and withstand).
#include "iec/QvIec.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

namespace {

const std::vector<double> kShipped = {0.4, 0.5, 0.75, 1,   1.5, 2.5, 4,   6,   10,  16,  25, 35,
                                      50,  70,  95,   120, 150, 185, 240, 300, 400, 500, 625};

// A grouped circuit with every check active, so that each row does all its work.
qv::iec::TIecInputs Circuit() {
    qv::iec::TIecInputs in;
    in.Method = qv::iec::TMethod::C;
    in.AirTemperature = 35;
    in.Circuits = 3;
    in.DesignCurrent = 180;
    in.Device = qv::iec::TDevice::FuseGG;
    in.DeviceRating = 200;
    in.Length = 120;
    in.LoadedConductors = 3;
    in.PowerFactor = 0.85;
    in.FaultCurrent = 10;
    in.FaultTime = 0.4;
    return in;
}

std::vector<double> ThousandSizes() {
    // The shipped sizes among them, so that some rows are rated.
    std::vector<double> sizes = kShipped;
    for (int i = 1; sizes.size() < 1000; ++i) {
        sizes.push_back(0.37 * i);
    }
    std::sort(sizes.begin(), sizes.end());
    sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
    return sizes;
}

void BM_IecRowsShipped(benchmark::State& state) {
    const qv::iec::TIecInputs in = Circuit();
    for (auto _ : state) {
        benchmark::DoNotOptimize(qv::iec::SizeToStandard(in, kShipped));
    }
}
BENCHMARK(BM_IecRowsShipped);

void BM_IecRowsThousand(benchmark::State& state) {
    const qv::iec::TIecInputs in = Circuit();
    const std::vector<double> sizes = ThousandSizes();
    for (auto _ : state) {
        benchmark::DoNotOptimize(qv::iec::SizeToStandard(in, sizes));
    }
}
BENCHMARK(BM_IecRowsThousand);

} // namespace
