// File helpers shared by the INI store and the settings store.
#include "settings/QvFileUtils_p.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <random>
#include <unistd.h>

namespace qv {

namespace {

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

void SetError(std::string* error, const char* what, const std::string& path) {
    if (error)
        *error = std::string(what) + " " + path + ": " + std::strerror(errno);
}

} // namespace

int CreateTemporary(const std::string& path, mode_t mode, std::string& name) {
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::minstd_rand random{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = path + ".tmp-";
        for (int i = 0; i < 6; ++i)
            name += letters[random() % (sizeof letters - 1)];
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool HoldTemporary(int fd) {
    while (::flock(fd, LOCK_EX) != 0)
        if (errno != EINTR)
            return true; // a file system without locks: nobody can tell it from a leftover either
    struct stat st {};
    return ::fstat(fd, &st) == 0 && st.st_nlink > 0;
}

void RemoveStaleTemporaries(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string prefix =
        (slash == std::string::npos ? path : path.substr(slash + 1)) + ".tmp-";
    DIR* dir = ::opendir(FolderOf(path).c_str());
    if (!dir)
        return;
    while (const dirent* e = ::readdir(dir)) {
        if (!std::string_view(e->d_name).starts_with(prefix))
            continue;
        // A writer holds the lock from before its file has a name to after it has none, so a
        // file free of it belongs to nobody; it is removed still locked, so that a writer just
        // making it finds its name gone and makes another. Opened for writing, as network file
        // systems lock only such.
        const int fd = ::openat(::dirfd(dir), e->d_name,
                                O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
        if (fd < 0)
            continue;
        struct stat held {
        }, named{};
        if (::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            ::fstatat(::dirfd(dir), e->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            named.st_ino == held.st_ino && named.st_dev == held.st_dev)
            ::unlinkat(::dirfd(dir), e->d_name, 0);
        ::close(fd);
    }
    ::closedir(dir);
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool MakeFolders(const std::string& folder, mode_t mode) {
    if (folder.empty())
        return false;
    struct stat st {};
    if (::stat(folder.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    const std::string parent = FolderOf(folder);
    if (parent != folder && !MakeFolders(parent, mode))
        return false;
    if (::mkdir(folder.c_str(), mode) == 0)
        return true;
    return errno == EEXIST && ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

TReadResult ReadWholeFile(const std::string& path, std::string& out, std::size_t maxSize) {
    out.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? TReadResult::Missing : TReadResult::Failed;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return TReadResult::Failed;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return TReadResult::NotRegular;
    }
    TReadResult result = TReadResult::Ok;
    if (static_cast<std::size_t>(st.st_size) <= maxSize)
        out.reserve(static_cast<std::size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            result = TReadResult::Failed;
            break;
        }
        if (n == 0)
            break;
        if (out.size() + static_cast<std::size_t>(n) > maxSize) {
            result = TReadResult::TooLarge;
            break;
        }
        out.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (result != TReadResult::Ok)
        out.clear();
    return result;
}

std::string WriteTarget(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            std::string out(real);
            std::free(real);
            return out;
        }
    }
    return path;
}

bool IsWritableFile(const std::string& path, const struct stat& st) {
    return S_ISREG(st.st_mode) && (st.st_mode & 0222) != 0 && ::access(path.c_str(), W_OK) == 0;
}

bool ReplaceFileAtomically(const std::string& path, const std::string& text, mode_t newMode,
                           std::string* error, bool flush) {
    std::string name;
    const int fd = CreateTemporary(path, newMode, name);
    if (fd < 0) {
        SetError(error, "cannot create a temporary file beside", path);
        return false;
    }

    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    bool ok = !exists || ::fchmod(fd, st.st_mode & 07777) == 0;
    if (ok && exists && ::geteuid() == 0)
        (void)!::fchown(fd, st.st_uid, st.st_gid);
    ok = ok && WriteAll(fd, text) && (!flush || ::fsync(fd) == 0);
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(name.c_str(), path.c_str()) == 0;
    if (!ok) {
        SetError(error, "cannot write", path);
        ::unlink(name.c_str());
        return false;
    }

    if (!flush)
        return true;
    const int dir = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

} // namespace qv
