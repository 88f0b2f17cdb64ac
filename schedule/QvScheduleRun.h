// The command-line sizer's parts around the schedule that the Cable Schedule window shares: the
// output file that appears only when complete, and the streaming run.
#pragma once

#include "text/QvCsv.h"
#include "schedule/QvSchedule.h"

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// Standard output, or a file that takes the place of `path` only once Commit has run: until then
// the output goes to an unnamed (or, where the file system has none, a temporary) file beside
// it, which is dropped when the object goes without a Commit.
class TOutputFile {
  public:
    // "" or "-": standard output. Raises EScheduleError when the file cannot be made.
    explicit TOutputFile(const std::string& path);
    ~TOutputFile();
    TOutputFile(const TOutputFile&) = delete;
    TOutputFile& operator=(const TOutputFile&) = delete;

    void Write(std::string_view data); // raises EScheduleError
    void Commit();                     // raises EScheduleError

  private:
    std::string m_path;
    std::string m_tempName; // a named temporary file, when there is one
    int m_fd = 1;
    bool m_file = false;
    bool m_done = false;
};

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
