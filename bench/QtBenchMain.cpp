// The main of the benchmarks that make windows: an application on the offscreen platform, and a
// private settings folder so that stored placements stay out of the user's own.
#include <QApplication>
#include <benchmark/benchmark.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    char config[] = "/tmp/ampwise-bench-XXXXXX";
    if (mkdtemp(config))
        setenv("XDG_CONFIG_HOME", config, 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
