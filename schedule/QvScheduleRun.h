// The command-line sizer's parts around the schedule: its arguments, where it finds the main
// window's settings and the streaming run; its output file is in QvOutputFile.h.
#pragma once

#include "schedule/QvCsv.h"
#include "schedule/QvOutputFile.h"
#include "schedule/QvSchedule.h"

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// A command line the program cannot follow; the message says why.
class EUsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct TScheduleOptions {
    std::string Input;    // "" or "-": standard input
    std::string Output;   // "" or "-": standard output
    std::string DataFile; // "": the one the main window reads
    std::optional<double> MaxVoltDrop;
    TOutputFormat Format = TOutputFormat::Csv;
    bool Help = false;
    bool Version = false;
};

// The arguments after the program name. Raises EUsageError.
TScheduleOptions ParseArguments(const std::vector<std::string>& args);
// What --help prints.
std::string UsageText();

// The settings INI file that the main window installed in appPath reads: the file beside it,
// or its per-user copy when it cannot write there and has made one. Nothing is created.
std::string MainWindowSettingsPath(const std::string& appPath);

// How a run shares out its rows.
struct TScheduleRunOptions {
    // Threads that size rows: 0 for one a processor (up to 8); 1 sizes them on the caller's.
    unsigned Threads = 0;
    // The input is handed to the threads in pieces of about this size, cut between records.
    // Memory grows with it and the threads, not with the input.
    std::size_t ChunkBytes = 512 * 1024;
};

// An empty line, which a schedule skips.
inline bool IsBlankRecord(const std::vector<std::string_view>& record) {
    return record.size() == 1 && record[0].empty();
}
// Reads the header row, skipping blank lines before it, and matches its columns. Raises ECsvError
// for input without a header or with a header lacking the needed columns (naming its line).
TScheduleLayout ReadScheduleHeader(TCsvReader& reader, std::vector<std::string>& header);

// Sizes every record after the header and hands the output to `write` in pieces, in input order,
// always from the calling thread. Blank lines are skipped. Returns 0 when every circuit is solved,
// else 1. Raises ECsvError for input it cannot use (no CSV, empty, a header without the needed
// columns) and what `write` raises.
int RunSchedule(TCsvReader& reader, const TScheduleSizer& sizer, TOutputFormat format,
                const std::function<void(std::string_view)>& write,
                const TScheduleRunOptions& options = {});

} // namespace qv
