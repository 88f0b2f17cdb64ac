// The output file of the schedule: standard output, a device or FIFO written directly, or a regular
// file replaced once complete (see QvOutputFile.h).
#include "schedule/QvOutputFile.h"

#include "settings/QvFiles.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qv {

namespace {

[[noreturn]] void Fail(const std::string& what, const std::string& path) {
    throw EScheduleError(what + " " + path + ": " + std::strerror(errno));
}

// Names of a descriptor the process already has (/dev/stdout, /dev/fd/1, /proc/self/fd/1): written
// into as the shell would, never replaced, whatever they lead to.
bool NamesADescriptor(const std::string& path) {
    return path.starts_with("/dev/std") || path.starts_with("/dev/fd/") ||
           path.starts_with("/proc/");
}

TFileStamp StampFrom(const struct stat& st) {
    if (!S_ISREG(st.st_mode))
        return {};
    TFileStamp s;
    s.Exists = true;
    s.Device = st.st_dev;
    s.Inode = st.st_ino;
    s.Size = st.st_size;
    s.Modified = st.st_mtim;
    return s;
}

// The file a write to `path` lands in. A link to nothing yet leads to its target too, which the
// write then makes, as the shell's `>` would.
std::string Target(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode) || ::stat(path.c_str(), &st) == 0)
        return WriteTarget(path);
    char buf[PATH_MAX];
    const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf);
    if (n <= 0 || static_cast<std::size_t>(n) >= sizeof buf)
        return path;
    const std::string link(buf, static_cast<std::size_t>(n));
    return link[0] == '/' ? link : FolderOf(path) + "/" + link;
}

// Writes without the process being ended by SIGPIPE when the reader has gone: the write fails with
// EPIPE instead, and the signal it raised is taken back.
ssize_t WriteWithoutSigpipe(int fd, const char* data, std::size_t size) {
    sigset_t pipe, old, pending;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    ::pthread_sigmask(SIG_BLOCK, &pipe, &old);
    sigemptyset(&pending);
    ::sigpending(&pending);
    const bool wasPending = sigismember(&pending, SIGPIPE) == 1;
    const ssize_t n = ::write(fd, data, size);
    const int error = errno;
    if (n < 0 && error == EPIPE && !wasPending) {
        const timespec now{};
        ::sigtimedwait(&pipe, nullptr, &now);
    }
    ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
    errno = error;
    return n;
}

// The named temporary file that the signal handlers remove: one at a time, as a command-line
// program writes one output.
constexpr std::size_t kSignalPathSize = PATH_MAX + 64;
char g_signalTemp[kSignalPathSize];
std::atomic<bool> g_signalTempSet{false};
std::atomic<bool> g_signalsHandled{false};

extern "C" void RemoveTemporaryAndEnd(int signal) {
    if (g_signalTempSet.load())
        ::unlink(g_signalTemp);
    ::signal(signal, SIG_DFL);
    ::raise(signal); // delivered, with its default action, once the handler returns
}

} // namespace

bool TFileStamp::operator==(const TFileStamp& o) const {
    return Exists == o.Exists && Device == o.Device && Inode == o.Inode && Size == o.Size &&
           Modified.tv_sec == o.Modified.tv_sec && Modified.tv_nsec == o.Modified.tv_nsec;
}

TFileStamp StampOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? StampFrom(st) : TFileStamp{};
}

TFileStamp StampOfOpen(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 ? StampFrom(st) : TFileStamp{};
}

void RemoveTemporaryOnSignals() {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction now {
        }, before{};
        if (::sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN)
            continue; // started to ignore it (nohup): it stays ignored
        now.sa_handler = RemoveTemporaryAndEnd;
        sigemptyset(&now.sa_mask);
        ::sigaction(signal, &now, nullptr);
    }
    g_signalsHandled = true;
}

TOutputFile::TOutputFile(const std::string& path, const TOutputOptions& options)
    : m_path(path), m_options(options) {
    if (path.empty() || path == "-")
        return;
    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode))
        throw EScheduleError("cannot write " + path + ": it is a folder");
    if (NamesADescriptor(path) || (exists && !S_ISREG(st.st_mode))) {
        OpenDirect(path, exists && S_ISFIFO(st.st_mode));
        return;
    }
    m_kind = TKind::Replace;
    m_target = Target(path);
    if (exists && !IsWritableFile(m_target, st)) {
        if ((st.st_mode & 0222) == 0)
            throw EScheduleError("cannot write " + path + ": it is read-only");
        Fail("cannot write", path);
    }
    CheckExpected();
    RemoveStaleTemporaries(m_target);
    OpenTemporary();
    if (exists) {
        // Owner first: a change of owner clears the set-user bits that the mode then restores.
        if (::geteuid() == 0)
            (void)!::fchown(m_fd, st.st_uid, st.st_gid);
        (void)::fchmod(m_fd, st.st_mode & 07777);
    }
}

TOutputFile::~TOutputFile() {
    if (m_kind == TKind::Standard || m_done)
        return;
    if (m_fd >= 0)
        ::close(m_fd);
    DropTemporary();
}

void TOutputFile::OpenDirect(const std::string& path, bool fifo) {
    m_kind = TKind::Direct;
    // Truncated as the shell's `>` truncates; a device or FIFO takes no notice.
    const int flags = O_WRONLY | O_CLOEXEC | O_NOCTTY | O_TRUNC;
    // Never blocks here: a FIFO without a reader answers ENXIO at once.
    m_fd = ::open(path.c_str(), flags | O_NONBLOCK);
    if (m_fd < 0 && errno == ENXIO && fifo && !m_options.Interactive)
        m_fd = ::open(path.c_str(), flags); // waits for its reader, as the shell does
    if (m_fd < 0) {
        if (errno == ENXIO && fifo)
            throw EScheduleError("cannot write " + path + ": no program is reading it");
        Fail("cannot write", path);
    }
    // Writes wait for a slow reader rather than fail.
    const int status = ::fcntl(m_fd, F_GETFL);
    if (status >= 0)
        ::fcntl(m_fd, F_SETFL, status & ~O_NONBLOCK);
}

void TOutputFile::OpenTemporary() {
    const std::string folder = FolderOf(m_target);
    const bool unnamed = m_options.Unnamed && ::access("/proc/self/fd", X_OK) == 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        // An unnamed file leaves nothing behind even when the run is killed; nobody else can
        // open it before it has a name, so its lock is taken at once.
        m_fd = unnamed ? ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666) : -1;
        if (m_fd >= 0) {
            (void)::flock(m_fd, LOCK_EX);
            return;
        }
        std::string name;
        m_fd = CreateTemporary(m_target, 0666, name);
        if (m_fd < 0)
            Fail("cannot create a file beside", m_path);
        SetTemporaryName(std::move(name));
        if (HoldTemporary(m_fd))
            return;
        // Another writer took it for a leftover and removed it: make another.
        ::close(m_fd);
        m_fd = -1;
        m_tempName.clear();
        g_signalTempSet = false;
    }
    errno = EEXIST;
    Fail("cannot create a file beside", m_path);
}

void TOutputFile::CheckExpected() const {
    if (!m_options.Expected.Exists)
        return;
    // One taken away since loses nothing by being made again.
    const TFileStamp now = StampOf(m_target);
    if (now.Exists && !(now == m_options.Expected))
        throw EFileChangedError(m_path +
                                " was changed by another program since it was opened or saved");
}

void TOutputFile::SetTemporaryName(std::string name) {
    m_tempName = std::move(name);
    if (!g_signalsHandled || m_tempName.size() >= kSignalPathSize)
        return;
    g_signalTempSet = false;
    std::memcpy(g_signalTemp, m_tempName.c_str(), m_tempName.size() + 1);
    g_signalTempSet = true;
}

void TOutputFile::DropTemporary() {
    if (m_tempName.empty())
        return;
    ::unlink(m_tempName.c_str());
    if (g_signalsHandled && m_tempName == g_signalTemp)
        g_signalTempSet = false;
    m_tempName.clear();
}

void TOutputFile::Write(std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = m_kind == TKind::Direct && m_options.Interactive
                              ? WriteWithoutSigpipe(m_fd, data.data(), data.size())
                              : ::write(m_fd, data.data(), data.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            Fail("cannot write", m_kind == TKind::Standard ? std::string("the output") : m_path);
        data.remove_prefix(static_cast<std::size_t>(n));
    }
}

void TOutputFile::Commit() {
    if (m_kind == TKind::Standard || m_done)
        return;
    if (m_kind == TKind::Direct) {
        const int fd = m_fd;
        m_fd = -1;
        m_done = true;
        if (::close(fd) != 0)
            Fail("cannot write", m_path);
        return;
    }
    // On the disk before it takes the old file's place, so a crash leaves one or the other.
    if (::fsync(m_fd) != 0)
        Fail("cannot write", m_path);
    if (m_tempName.empty()) {
        // Give the unnamed file a name beside the target, then move it into place.
        const std::string proc = "/proc/self/fd/" + std::to_string(m_fd);
        for (int attempt = 0; m_tempName.empty(); ++attempt) {
            const std::string name =
                m_target + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
            if (::linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
                SetTemporaryName(name);
            else if (errno != EEXIST || attempt > 100)
                Fail("cannot write", m_path);
        }
    }
    CheckExpected();
    m_written = StampOfOpen(m_fd);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 || ::rename(m_tempName.c_str(), m_target.c_str()) != 0) {
        const int error = errno;
        DropTemporary();
        errno = error;
        Fail("cannot write", m_path);
    }
    m_done = true;
    if (g_signalsHandled && m_tempName == g_signalTemp)
        g_signalTempSet = false;
    m_tempName.clear();
    // The rename itself on the disk too.
    const int dir = ::open(FolderOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

} // namespace qv
