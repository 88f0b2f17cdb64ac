// Speed of the main window's two busiest roads, each of which must fit well within one frame
// (16 ms): Calculate through to the rewritten report (engine, result fields, the report's lines
// in the report window), and a keystroke in the Power field through to its re-formatted text on
// leaving it (offscreen, on the shipped data); and the pictures a start reads before its first
// window.
#include "core/QvAmpwise.h"
#include "settings/QvApplicationPath.h"
#include "mainwindow/QvAmpwiseForm.h"
#include "mainwindow/QvAmpwiseIcons.h"
#include "report/QvReporter.h"
#include "units/QvFmtEdit.h"

#include <QApplication>
#include <QTest>
#include <QTextEdit>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <utility>
#include <vector>

namespace {

// The report has one line per row of its layout; fewer means the road was cut short.
constexpr int kReportLines = 18;

int ReportLines(const qv::TReportForm& report) {
    return static_cast<int>(report.PlainText().count(QStringLiteral("\r\n")));
}

void BM_CalculateToReport(benchmark::State& state) {
    qv::TAmpwiseForm form;
    qv::TReportForm report;
    form.SetReportForm(&report);
    if (!form.Engine()) {
        state.SkipWithError("the shipped data did not load");
        return;
    }
    form.CalcButtonClick();
    if (ReportLines(report) != kReportLines || form.StatusText() != "Solved...") {
        state.SkipWithError("Calculate did not write the whole report");
        return;
    }
    for (auto _ : state) {
        form.CalcButtonClick();
        benchmark::DoNotOptimize(report.RichEdit1->document());
    }
}
BENCHMARK(BM_CalculateToReport)->Unit(benchmark::kMicrosecond);

// The field's text selected, "7" typed over it, then the field left: "7.000" in kW.
void BM_PowerKeystrokeToFormattedText(benchmark::State& state) {
    qv::TAmpwiseForm form;
    qv::TFmtEdit* power = form.edPower;
    const auto typeAndLeave = [power] {
        power->selectAll();
        QTest::keyClick(power, Qt::Key_7);
        power->FinishEntry();
    };
    typeAndLeave();
    if (power->text() != "7.000" || form.StatusText() != "Not Solved...") {
        state.SkipWithError("the typed power was not re-formatted on leaving the field");
        return;
    }
    for (auto _ : state) {
        typeAndLeave();
        benchmark::DoNotOptimize(power->text().size());
    }
}
BENCHMARK(BM_PowerKeystrokeToFormattedText)->Unit(benchmark::kMicrosecond);

// What the pictures cost a start before its first window: the window icon's four sizes and the
// tool bar's pictures, read from their stored files into fresh icons; against painting them.
void StartPictures(benchmark::State& state, bool stored) {
    using qv::TAmpwiseIcon;
    const std::pair<TAmpwiseIcon, std::vector<int>> asked[] = {
        {TAmpwiseIcon::Program, {16, 32, 64, 128}},
        {TAmpwiseIcon::Calculate, {24}},
        {TAmpwiseIcon::Report, {24}},
        {TAmpwiseIcon::Sizes, {24}},
        {TAmpwiseIcon::Schedule, {24}},
        {TAmpwiseIcon::Reset, {24}},
        {TAmpwiseIcon::Settings, {24}},
        {TAmpwiseIcon::Help, {24}},
        {TAmpwiseIcon::About, {24}},
        {TAmpwiseIcon::Motor, {20}}};
    for (auto _ : state) {
        for (const auto& [kind, sides] : asked) {
            const QIcon icon =
                stored ? qv::AmpwiseIcon(kind) : qv::PaintedIcon(qv::AmpwiseDrawing(kind));
            for (int side : sides)
                benchmark::DoNotOptimize(icon.pixmap(QSize(side, side), 1.0).cacheKey());
        }
    }
}
BENCHMARK_CAPTURE(StartPictures, stored, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(StartPictures, painted, false)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // A private settings folder: the window reads and writes the inputs it keeps.
    char config[] = "/tmp/mainwindow-bench-XXXXXX";
    if (mkdtemp(config))
        setenv("XDG_CONFIG_HOME", config, 1);
    qv::SharedDataPath = AMPWISE_SOURCE_DATA_DIR "/";
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
