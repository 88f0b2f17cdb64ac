// The one atomic file replacement that the INI store and the settings store share.
#include "settings/QvAtomicFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

void SetError(std::string* error, const char* what, const std::string& path) {
    if (error)
        *error = std::string(what) + " " + path + ": " + std::strerror(errno);
}

} // namespace

mode_t DefaultFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool ReplaceFileAtomically(const std::string& path, const std::string& text, mode_t newMode,
                           std::string* error) {
    std::string tmpl = path + ".tmp-XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        SetError(error, "cannot create a temporary file beside", path);
        return false;
    }

    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    bool ok = ::fchmod(fd, exists ? (st.st_mode & 07777) : newMode) == 0;
    if (ok && exists && ::geteuid() == 0)
        (void)!::fchown(fd, st.st_uid, st.st_gid);
    ok = ok && WriteAll(fd, text) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(name.data(), path.c_str()) == 0;
    if (!ok) {
        SetError(error, "cannot write", path);
        ::unlink(name.data());
        return false;
    }

    const int dir = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

} // namespace qv
