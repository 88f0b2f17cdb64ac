// The Cable Schedule window on a generated file of 100,000 circuits (offscreen): opening it, read
// and sized a step at a time from the event loop as a user's open is, and saving it; and the PDF
// of 10,000 circuits, printed a step at a time as Export PDF prints it. Counters: rows per
// second, pages per second, the memory the open window holds (heap in use with it open, less
// before) and the process's peak resident size.
#include "core/QvAmpwise.h"
#include "schedulewindow/QvScheduleForm.h"
#include "schedulewindow/QvScheduleModel.h"
#include "schedulewindow/QvSchedulePrint.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QPrinter>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <malloc.h>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr int kRows = 100000;
constexpr int kPrintedRows = 10000;

std::string Folder() {
    static const std::string folder = [] {
        char path[] = "/tmp/schedule-window-bench-XXXXXX";
        return std::string(mkdtemp(path) ? path : "/tmp");
    }();
    return folder;
}

// Circuits of every kind, with units and some that do not solve or are in error.
std::string WriteSchedule(const std::string& name, int rows) {
    const std::string p = Folder() + "/" + name;
    std::ofstream out(p, std::ios::binary);
    out << "Circuit,Material,Load Type,Phase,Power,Length\n";
    const char* const materials[] = {"Copper", "Aluminium"};
    const char* const loads[] = {"Resistive", "Inductive"};
    const char* const phases[] = {"Single", "Three"};
    for (int i = 0; i < rows; ++i)
        out << "Circuit " << i << ',' << materials[i % 2] << ',' << loads[(i / 2) % 2] << ','
            << phases[(i / 4) % 2] << ',' << 0.5 + (i % 50) * 1.5 << " kW," << 5 + (i % 400) * 2.5
            << (i % 3 ? " m\n" : " ft\n");
    return p;
}

const std::string& Schedule() {
    static const std::string path = WriteSchedule("schedule.csv", kRows);
    return path;
}

const std::string& PrintedSchedule() {
    static const std::string path = WriteSchedule("printed.csv", kPrintedRows);
    return path;
}

// Heap in use: freed memory kept by the allocator for reuse does not count, as it would in the
// resident size.
double HeapInUseMb() {
    const struct mallinfo2 m = mallinfo2();
    return static_cast<double>(m.uordblks + m.hblkhd) / 1048576.0;
}

double PeakResidentMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void Open(qv::TScheduleForm& form, const QString& path) {
    QEventLoop loop;
    QObject::connect(&form, &qv::TScheduleForm::LoadFinished, &loop, &QEventLoop::quit);
    if (form.OpenFile(path))
        loop.exec();
}

void BM_OpenAndSize100k(benchmark::State& state) {
    const QString path = QString::fromStdString(Schedule());
    double held = 0;
    for (auto _ : state) {
        const double before = HeapInUseMb();
        qv::TScheduleForm form;
        Open(form, path);
        if (form.Model()->rowCount() != kRows)
            state.SkipWithError("the schedule did not open whole");
        held = HeapInUseMb() - before;
    }
    state.counters["rows_per_s"] =
        benchmark::Counter(static_cast<double>(kRows) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
    state.counters["held_MB"] = held;
    state.counters["peak_RSS_MB"] = PeakResidentMb();
}
BENCHMARK(BM_OpenAndSize100k)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Save100k(benchmark::State& state) {
    qv::TScheduleForm form;
    Open(form, QString::fromStdString(Schedule()));
    const QString out = QString::fromStdString(Folder() + "/saved.csv");
    for (auto _ : state)
        if (!form.SaveFile(out))
            state.SkipWithError("the schedule was not saved");
    state.counters["rows_per_s"] =
        benchmark::Counter(static_cast<double>(kRows) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Save100k)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ExportPdf10k(benchmark::State& state) {
    qv::TScheduleForm form;
    Open(form, QString::fromStdString(PrintedSchedule()));
    const QString out = QString::fromStdString(Folder() + "/printed.pdf");
    int pages = 0;
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(out);
        qv::TSchedulePrintJob job(printer, *form.Model(), {QStringLiteral("Cable Schedule"), {}});
        while (job.Step()) {
        }
        pages = job.PageCount();
    }
    state.counters["pages"] = pages;
    state.counters["pages_per_s"] =
        benchmark::Counter(static_cast<double>(pages) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ExportPdf10k)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("XDG_CONFIG_HOME", Folder().c_str(), 1);
    QApplication app(argc, argv);
    // The shipped tables, as the main window loads them before the schedule window is made.
    const qv::TElecData data = qv::ReadElecData(AMPWISE_SOURCE_DATA_DIR "/ElecData.ini");
    qv::StandardSizes = data.Sizes;
    qv::MotorRatings = data.Ratings;
    qv::Materials = data.Materials;
    qv::MaxVoltDrop = 5.5;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove(Schedule().c_str());
    std::remove((Folder() + "/saved.csv").c_str());
    std::remove(PrintedSchedule().c_str());
    std::remove((Folder() + "/printed.pdf").c_str());
    return 0;
}
