// ampwise-schedule: sizes every circuit of a CSV cable schedule with the main window's engine,
// data file and allowed voltage drop. Exit status 0 all solved, 1 some not, 2 could not run.
#include "schedule/QvScheduleRun.h"
#include "schedulecli/QvScheduleArgs.h"
#include "scheduleiec/QvScheduleIec.h"
#include "settings/QvApplicationPath.h"
#include "settings/QvIniFiles.h"
#include "settings/QvSysUtils.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <unistd.h>

using namespace qv;

namespace {

constexpr int kUsageOrFileError = 2;

int Complain(const std::string& message) {
    std::fprintf(stderr, "ampwise-schedule: %s\n", message.c_str());
    return kUsageOrFileError;
}

// The data file the main window reads, by the same loader; a file that is not there is an error
// here, as a typing mistake in a path must not size a schedule against built-in defaults.
TElecData LoadElecData(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw EScheduleError("cannot read the electrical data file " + path + ": " +
                             std::strerror(errno));
    ::close(fd);
    TElecData data;
    try {
        data = ReadElecData(path);
    } catch (const std::exception& e) {
        throw EScheduleError(path + ": " + e.what());
    }
    // Any text file loads, with the built-in sizes; one naming no material sizes nothing, and
    // would only give an error row for every circuit.
    if (data.Materials.empty())
        throw EScheduleError(path + " is not an electrical data file: it names no materials "
                                    "(no section [Conductivity])");
    return data;
}

} // namespace

int main(int argc, char** argv) {
    FixNumberSeparators();
    TScheduleOptions options;
    try {
        options = ParseArguments(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const EUsageError& e) {
        Complain(e.what());
        std::fprintf(stderr, "Try 'ampwise-schedule --help'.\n");
        return kUsageOrFileError;
    }
    if (options.Help) {
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    }
    if (options.Version) {
        std::printf("ampwise-schedule (Ampwise) %s\n", AMPWISE_VERSION);
        return 0;
    }

    try {
        InitApplicationPaths();
        const std::string dataPath =
            options.DataFile.empty() ? SharedDataPath + "ElecData.ini" : options.DataFile;
        TElecData data = LoadElecData(dataPath);
        double maxVoltDrop = 0;
        if (options.MaxVoltDrop) {
            maxVoltDrop = *options.MaxVoltDrop;
        } else {
            TIniFile ini(MainWindowSettingsPath(AppPath));
            maxVoltDrop = ini.ReadReal("Settings", "MaxVoltDrop", 5.5);
        }
        const TScheduleSizer sizer(std::move(data), maxVoltDrop,
                                   std::make_shared<const TIecScheduleSizer>());

        int in = 0;
        const bool fromFile = !options.Input.empty() && options.Input != "-";
        if (fromFile && (in = ::open(options.Input.c_str(), O_RDONLY | O_CLOEXEC)) < 0)
            throw EScheduleError("cannot read " + options.Input + ": " + std::strerror(errno));
        TCsvReader reader(FdSource(in));
        // Ctrl+C or a kill leaves no part-written file beside the output.
        RemoveTemporaryOnSignals();
        TOutputFile out(options.Output);
        TScheduleTally tally;
        TScheduleRunOptions run;
        run.Separator = options.Delimiter;
        run.OutputSeparator = options.OutputDelimiter;
        const int status = RunSchedule(
            reader, sizer, options.Format, [&out](std::string_view s) { out.Write(s); }, run,
            &tally);
        out.Commit();
        if (fromFile)
            ::close(in);
        if (status != 0)
            std::fprintf(stderr, "ampwise-schedule: %s%s\n",
                         fromFile ? (options.Input + ": ").c_str() : "", tally.Summary().c_str());
        return status;
    } catch (const ECsvError& e) {
        const bool named = !options.Input.empty() && options.Input != "-";
        return Complain((named ? options.Input + ": " : std::string()) + e.what());
    } catch (const std::exception& e) {
        return Complain(e.what());
    }
}
