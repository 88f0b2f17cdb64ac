// The command-line sizer's arguments and usage text, and where it finds the main window's
// settings.
#pragma once

#include "schedule/QvSchedule.h"

#include <optional>
#include <stdexcept>
#include <string>
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
    char Delimiter = 0;       // the input's field separator; 0: found from its header line
    char OutputDelimiter = 0; // 0: the input's
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

} // namespace qv
