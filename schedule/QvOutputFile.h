// Where a schedule is written: standard output; a device, FIFO or terminal, written into as the
// shell's `>` would; or a regular file, which is replaced (through a symbolic link, its target)
// only once the whole output is on the disk. What a file was when it was read or written, so that
// a save notices another program's save in between. Pure standard C++.
#pragma once

#include "schedule/QvSchedule.h"

#include <string>
#include <string_view>
#include <sys/types.h>
#include <time.h>

namespace qv {

// What changes when any program writes a file or replaces it.
struct TFileStamp {
    bool Exists = false;
    dev_t Device = 0;
    ino_t Inode = 0;
    off_t Size = 0;
    timespec Modified{};
    bool operator==(const TFileStamp& o) const;
};

// The regular file a write to `path` lands in, a link followed; not Exists for anything else.
TFileStamp StampOf(const std::string& path);
// The regular file open on `fd`.
TFileStamp StampOfOpen(int fd);

// The file an output file would replace is not the one the caller last read or wrote.
class EFileChangedError : public EScheduleError {
  public:
    using EScheduleError::EScheduleError;
};

struct TOutputOptions {
    // A window: a FIFO that nobody reads is refused rather than waited on, as the shell waits,
    // and a reader that goes away fails the write rather than ending the process.
    bool Interactive = false;
    // Not Exists: none. Otherwise a file at the path must still be this one (EFileChangedError).
    TFileStamp Expected;
    // Write a regular file through an unnamed file where the file system has them.
    bool Unnamed = true;
};

// Standard output, a device or FIFO written directly, or a file that takes the place of `path`
// only once Commit has run: until then the output goes to an unnamed (or, where the file system
// has none, a temporary) file beside it, which is dropped when the object goes without a Commit.
// A read-only file is refused, even for the superuser.
class TOutputFile {
  public:
    // "" or "-": standard output. Raises EScheduleError when the file cannot be made.
    explicit TOutputFile(const std::string& path, const TOutputOptions& options = {});
    ~TOutputFile();
    TOutputFile(const TOutputFile&) = delete;
    TOutputFile& operator=(const TOutputFile&) = delete;

    void Write(std::string_view data); // raises EScheduleError
    void Commit();                     // raises EScheduleError
    // After Commit: the file now at the path (not Exists for a device, FIFO or standard output).
    const TFileStamp& Written() const { return m_written; }

  private:
    enum class TKind { Standard, Direct, Replace };
    void OpenDirect(const std::string& path, bool fifo);
    void OpenTemporary();
    void CheckExpected() const;
    void SetTemporaryName(std::string name);
    void DropTemporary();

    std::string m_path;
    std::string m_target;   // the file replaced: the path, or a link's target
    std::string m_tempName; // a named temporary file, when there is one
    TOutputOptions m_options;
    TKind m_kind = TKind::Standard;
    int m_fd = 1;
    bool m_done = false;
    TFileStamp m_written;
};

// For a command-line program: SIGINT, SIGTERM and SIGHUP first remove the named temporary file of
// an output file not yet committed, then end the process as they would have.
void RemoveTemporaryOnSignals();

} // namespace qv
