// The settings store file: the non-blocking read, setting a damaged file aside, and the locked,
// atomic commit.
#include "settings/QvRegFile_p.h"
#include "settings/QvFileUtils_p.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace qv::reg {

namespace {

// A store file beyond this is not something the program wrote; treat it as damaged.
constexpr std::size_t kMaxFileSize = 64u * 1024u * 1024u;

std::string ErrnoText(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

// Another program stopped while holding the lock must not hang this one: after this long without
// the store changing, the write fails instead, and every value already committed stays as it is.
// While the holder keeps committing it is busy, not stuck, so the wait goes on.
constexpr std::chrono::milliseconds kLockWait{2000};

// What changes with every commit of the store: the rename gives it a new inode.
struct TStoreStamp {
    ino_t Inode = 0;
    timespec Changed{};
    bool operator==(const TStoreStamp& o) const {
        return Inode == o.Inode && Changed.tv_sec == o.Changed.tv_sec &&
               Changed.tv_nsec == o.Changed.tv_nsec;
    }
};

TStoreStamp StampOf(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return {};
    return {st.st_ino, st.st_ctim};
}

// The advisory lock every writer of the store takes; released when the object dies.
class TStoreLock {
  public:
    explicit TStoreLock(const std::string& path) {
        m_fd = open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0600);
        if (m_fd < 0)
            return;
        auto deadline = std::chrono::steady_clock::now() + kLockWait;
        TStoreStamp stamp = StampOf(path);
        auto pause = std::chrono::milliseconds(1);
        while (flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            const bool busy = errno == EWOULDBLOCK || errno == EINTR;
            const auto now = std::chrono::steady_clock::now();
            if (const TStoreStamp seen = StampOf(path); !(seen == stamp)) {
                stamp = seen;
                deadline = now + kLockWait;
            }
            if (!busy || now >= deadline) {
                if (busy)
                    errno = ETIMEDOUT;
                close(m_fd);
                m_fd = -1;
                return;
            }
            std::this_thread::sleep_for(pause);
            pause = std::min(pause * 2, std::chrono::milliseconds(8));
        }
    }
    ~TStoreLock() {
        if (m_fd >= 0)
            close(m_fd); // closing releases the lock
    }
    TStoreLock(const TStoreLock&) = delete;
    TStoreLock& operator=(const TStoreLock&) = delete;
    bool Held() const { return m_fd >= 0; }

  private:
    int m_fd = -1;
};

std::string SetAsideName(const std::string& path) {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
    std::string base = path + ".damaged-" + stamp;
    std::string name = base;
    struct stat st {};
    for (int n = 2; lstat(name.c_str(), &st) == 0; ++n)
        name = base + "-" + std::to_string(n);
    return name;
}

std::string DamageWhat(const TRegParseError& e) {
    if (e.Line == 0)
        return e.Reason;
    return "line " + std::to_string(e.Line) + ": " + e.Reason;
}

std::string NotUsedReport(const std::string& path, const TRegParseError& e) {
    return "The settings file \"" + path + "\" is damaged (" + DamageWhat(e) +
           ") and could not be set aside; its settings are not used.";
}

// Called with the lock held: reads the file, and when it is damaged moves it out of the way.
TLoadStatus ReadUnderLock(const std::string& path, TRegDocument& doc, std::string* damageReport,
                          TRegParseError& err) {
    TLoadStatus status = LoadRegFile(path, doc, &err);
    if (status == TLoadStatus::Unreadable && !err.Reason.empty() && damageReport)
        *damageReport = NotUsedReport(path, err);
    if (status != TLoadStatus::Damaged)
        return status;
    std::string aside = SetAsideName(path);
    if (rename(path.c_str(), aside.c_str()) == 0) {
        if (damageReport)
            *damageReport = "The settings file \"" + path + "\" was damaged (" + DamageWhat(err) +
                            ") and has been set aside as \"" + aside +
                            "\"; the settings it held are back to their defaults.";
        return status;
    }
    if (damageReport)
        *damageReport = NotUsedReport(path, err);
    return TLoadStatus::Unreadable; // still there: nobody may write over it
}

bool Failed(std::string* error, const std::string& text) {
    if (error)
        *error = text;
    return false;
}

} // namespace

TLoadStatus LoadRegFile(const std::string& path, TRegDocument& doc, TRegParseError* error) {
    doc.Clear();
    std::string text;
    switch (ReadWholeFile(path, text, kMaxFileSize)) {
    case TReadResult::Missing:
        return TLoadStatus::Missing;
    case TReadResult::Failed:
        return TLoadStatus::Unreadable;
    case TReadResult::NotRegular:
        // A FIFO, a device or a folder: never read, never set aside, never written over.
        if (error)
            *error = TRegParseError{0, "not a regular file"};
        return TLoadStatus::Unreadable;
    case TReadResult::TooLarge:
        if (error)
            *error = TRegParseError{0, "far too large"};
        return TLoadStatus::Damaged;
    case TReadResult::Ok:
        break;
    }
    if (auto e = ParseRegText(text, doc)) {
        doc.Clear();
        if (error)
            *error = *e;
        return TLoadStatus::Damaged;
    }
    return TLoadStatus::Ok;
}

void LoadStoreFile(const std::string& path, TRegDocument& doc, std::string* damageReport) {
    TRegParseError err;
    const TLoadStatus status = LoadRegFile(path, doc, &err);
    if (status == TLoadStatus::Unreadable && !err.Reason.empty() && damageReport)
        *damageReport = NotUsedReport(path, err);
    if (status != TLoadStatus::Damaged)
        return;
    // Only one program may set the file aside; the others find the fresh state after the lock.
    TStoreLock lock(path);
    if (lock.Held()) {
        ReadUnderLock(path, doc, damageReport, err);
        return;
    }
    LoadRegFile(path, doc, &err);
    if (damageReport)
        *damageReport = NotUsedReport(path, err);
}

namespace {

bool HoldsValues(const TRegDocument& d) {
    return std::any_of(d.Keys.begin(), d.Keys.end(),
                       [](const TRegKey& k) { return !k.Values.empty(); });
}

} // namespace

bool WriteMustFlush(const TRegDocument& before, const TRegDocument& after) {
    return HoldsValues(before) || HoldsValues(after);
}

bool UpdateStoreFile(const std::string& path, const std::function<void(TRegDocument&)>& change,
                     TRegDocument& doc, std::string* damageReport, std::string* error) {
    if (!MakeFolders(FolderOf(path)))
        return Failed(error, ErrnoText("cannot create the folder of", path));
    TStoreLock lock(path);
    if (!lock.Held())
        return Failed(error, ErrnoText("cannot lock", path));
    // A linked store (dotfiles kept elsewhere) is written through to its target, keeping the link.
    const std::string target = WriteTarget(path);
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode) && !IsWritableFile(target, st))
        return Failed(error, "the settings file " + target + " is read-only");
    RemoveStaleTemporaries(target);
    TRegDocument fresh;
    TRegParseError err;
    // A file that exists but can't be read would be lost by writing over it.
    if (ReadUnderLock(path, fresh, damageReport, err) == TLoadStatus::Unreadable)
        return Failed(error, err.Reason.empty() ? ErrnoText("cannot read", path)
                                                : "cannot read " + path + ": " + DamageWhat(err));
    // What WriteMustFlush asks of the file before the change, without copying it.
    const bool heldValues = HoldsValues(fresh);
    change(fresh);
    if (!ReplaceFileAtomically(target, SerializeReg(fresh), 0600, error,
                               heldValues || HoldsValues(fresh)))
        return false;
    doc = std::move(fresh);
    return true;
}

} // namespace qv::reg
