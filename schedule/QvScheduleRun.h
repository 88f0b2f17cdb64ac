// The command-line sizer's parts around the schedule that the Cable Schedule window shares: the
// streaming run; its output file is in QvOutputFile.h.
#pragma once

#include "schedule/QvOutputFile.h"
#include "text/QvCsv.h"
#include "schedule/QvSchedule.h"

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// How a run shares out its rows.
struct TScheduleRunOptions {
    // Threads that size rows: 0 for one a processor (up to 8); 1 sizes them on the caller's.
    unsigned Threads = 0;
    // The input is handed to the threads in pieces of about this size, cut between records.
    // Memory grows with it and the threads, not with the input.
    std::size_t ChunkBytes = 512 * 1024;
    // The input's field separator (0: found from its header line, see ReadScheduleHeader), and
    // the output's (0: the input's).
    char Separator = 0;
    char OutputSeparator = 0;
};

// What a run sized: how many circuits, how many not solved or in error, and the line on which
// the first of each starts (0 for none).
struct TScheduleTally {
    std::size_t Circuits = 0;
    std::size_t NotSolved = 0;
    std::size_t Errors = 0;
    std::size_t FirstNotSolvedLine = 0;
    std::size_t FirstErrorLine = 0;
    // The same of the answers to the installation standard.
    std::size_t IecNotSolved = 0;
    std::size_t IecErrors = 0;
    std::size_t FirstIecNotSolvedLine = 0;
    std::size_t FirstIecErrorLine = 0;

    void Add(TRowStatus status, std::size_t line) {
        ++Circuits;
        if (status == TRowStatus::NotSolved && NotSolved++ == 0)
            FirstNotSolvedLine = line;
        else if (status == TRowStatus::Error && Errors++ == 0)
            FirstErrorLine = line;
    }
    void Add(const TRowResult& result, std::size_t line) {
        Add(result.Status, line);
        if (!result.Iec)
            return;
        if (result.Iec->Status == TRowStatus::NotSolved && IecNotSolved++ == 0)
            FirstIecNotSolvedLine = line;
        else if (result.Iec->Status == TRowStatus::Error && IecErrors++ == 0)
            FirstIecErrorLine = line;
    }
    // Adds the tally of rows read after these, whose lines were counted from lineOffset + 1.
    void Append(const TScheduleTally& later, std::size_t lineOffset);
    bool AllSolved() const {
        return NotSolved == 0 && Errors == 0 && IecNotSolved == 0 && IecErrors == 0;
    }
    // One line for the user: "40 circuits: 2 not solved (the first on line 7), 1 in error (on
    // line 12)", and after "; IEC: " the same of the answers to the installation standard when
    // any is not solved or in error.
    std::string Summary() const;
};

// A line with nothing but separators and blanks (",,,,," below a spreadsheet's table), which a
// schedule skips as it skips an empty line.
inline bool IsBlankRecord(const std::vector<std::string_view>& record) {
    for (std::string_view field : record)
        for (char c : field)
            if (c != ' ' && c != '\t')
                return false;
    return true;
}
// Reads the header row, skipping blank lines before it, and matches its columns. The fields are
// split at `separator`, or at the one of ",", ";" and tab that splits the header into the most
// fields when it is 0; the layout keeps it and whether the input had a byte-order mark. Raises
// ECsvError for input without a header or with a header lacking the needed columns (naming its
// line).
TScheduleLayout ReadScheduleHeader(TCsvReader& reader, std::vector<std::string>& header,
                                   char separator = 0);

// Sizes every record after the header and hands the output to `write` in pieces, in input order,
// always from the calling thread. Blank lines are skipped. Returns 0 when every circuit is solved,
// else 1. Raises ECsvError for input it cannot use (no CSV, empty, a header without the needed
// columns) and what `write` raises.
// What it sized goes to `tally` when given.
int RunSchedule(TCsvReader& reader, const TScheduleSizer& sizer, TOutputFormat format,
                const std::function<void(std::string_view)>& write,
                const TScheduleRunOptions& options = {}, TScheduleTally* tally = nullptr);

} // namespace qv
