// The file helpers other libraries share with the settings stores: a descriptor closed with its
// owner, the folder of a path, the file a write lands in, new temporary files beside one and the
// removal of those a killed writer left. No Qt.
#pragma once

#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace qv {

// An open file descriptor, closed when its owner goes; -1 for none.
class TFd {
  public:
    explicit TFd(int fd) : m_fd(fd) {}
    ~TFd() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    int Get() const { return m_fd; }

  private:
    int m_fd;
};

// "/a/b/c" gives "/a/b", "/c" gives "/", "c" gives ".".
std::string FolderOf(const std::string& path);

// Creates a new file named `path` + ".tmp-XXXXXX" with `mode` (less the umask) and returns its
// descriptor, or -1 with errno set; its name goes to `name`. mkstemp would do, but it always
// makes the file 0600, and reading the umask to widen that is not safe while other threads make
// files.
int CreateTemporary(const std::string& path, mode_t mode, std::string& name);

// Takes the lock that tells other writers' leftover removal that the temporary file open on `fd`
// is in use, waiting while one of them looks at it. False when the file lost its name meanwhile
// (another program took it for a leftover): make another.
bool HoldTemporary(int fd);

// Removes the temporary files beside `path` (its name + ".tmp-" and anything) that a killed
// writer left: regular files on which nobody holds the lock that HoldTemporary takes.
void RemoveStaleTemporaries(const std::string& path);

// The file a write to `path` lands in: a symbolic link is followed, so the link itself survives.
std::string WriteTarget(const std::string& path);

// A regular file with a write bit that this process may write. Read-only counts even for the
// superuser, who could otherwise replace any file.
bool IsWritableFile(const std::string& path, const struct stat& st);

} // namespace qv
