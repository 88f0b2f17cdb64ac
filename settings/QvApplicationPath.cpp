// Folder variables, the machine-wide system folders, and where the settings INI file lives.
#include "settings/QvApplicationPath.h"

#include "settings/QvFileUtils_p.h"
#include "settings/QvRegFile_p.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qv {

std::string ProgramFilesPath;
std::string CommonFilesPath;
std::string AppPath;
std::string MakerPath;
std::string SharedDataPath;

namespace {

const std::string kDefaultProgramFiles = "/opt/";
const std::string kDefaultCommonFiles = "/opt/Common Files/";
const std::string kSystemKey = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion";

std::string g_exeOverride;

// The kernel's link names the file the process was started from only while that file is there:
// once a package upgrade replaces it, the link reads "<path> (deleted)". So it is read once.
const std::string& RunningExecutable() {
    static const std::string path = [] {
        char buf[PATH_MAX];
        const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
        return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
    }();
    return path;
}

// Taken while the program loads, before anything could have replaced the file.
[[maybe_unused]] const std::string& g_pathAtLoad = RunningExecutable();

std::string WithSlash(std::string s) {
    if (s.empty() || s.back() != '/')
        s += '/';
    return s;
}

std::string QuerySystemFolder(const std::string& machineFile, const char* valueName,
                              const std::string& def) {
    // Read only: a damaged machine file is never moved or changed, it just gives the default.
    reg::TRegDocument doc;
    if (reg::LoadRegFile(machineFile, doc) != reg::TLoadStatus::Ok)
        return def;
    const reg::TRegValue* v = doc.FindValue(kSystemKey, valueName);
    if (!v || (v->Kind != reg::REG_SZ && v->Kind != reg::REG_EXPAND_SZ))
        return def;
    std::string text = reg::DataText(v->Data);
    return text.empty() ? def : WithSlash(text);
}

std::string FileNameOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool Exists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

// Copies a file to a new place atomically, so a half-made copy is never taken for the real one.
bool CopyFile(const std::string& from, const std::string& to) {
    int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    std::string tmpl = to + ".tmp-XXXXXX";
    int out = mkstemp(tmpl.data());
    if (out < 0) {
        close(in);
        return false;
    }
    bool ok = fchmod(out, 0600) == 0;
    char buf[65536];
    while (ok) {
        ssize_t n = read(in, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        for (ssize_t done = 0; ok && done < n;) {
            ssize_t w = write(out, buf + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno == EINTR)
                continue;
            ok = w > 0;
            done += w > 0 ? w : 0;
        }
    }
    close(in);
    ok = fsync(out) == 0 && ok;
    ok = close(out) == 0 && ok;
    // link() rather than rename(): a copy another program made meanwhile is kept.
    if (ok && link(tmpl.c_str(), to.c_str()) != 0 && errno != EEXIST)
        ok = false;
    unlink(tmpl.c_str());
    return ok;
}

} // namespace

std::string MachineRegistryPath() {
    const char* env = std::getenv("AMPWISE_MACHINE_REG");
    return (env && *env) ? std::string(env) : std::string("/etc/Brannoworks/machine.reg");
}

std::string QueryProgramFilesDir(const std::string& machineFile) {
    return QuerySystemFolder(machineFile, "ProgramFilesDir", kDefaultProgramFiles);
}

std::string QueryCommonFilesDir(const std::string& machineFile) {
    return QuerySystemFolder(machineFile, "CommonFilesDir", kDefaultCommonFiles);
}

std::string QueryProgramFilesDir() {
    return QueryProgramFilesDir(MachineRegistryPath());
}

std::string QueryCommonFilesDir() {
    return QueryCommonFilesDir(MachineRegistryPath());
}

std::string FindMakerPath() {
    // The search ignores letter case, the result keeps it: Linux folder names are case-sensitive.
    std::string upper = AppPath;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    for (const std::string marker : {"BRANNOWORKS", "9QV"}) {
        std::size_t at = upper.find(marker);
        if (at != std::string::npos)
            return AppPath.substr(0, at + marker.size()) + "/";
    }
    return ProgramFilesPath + "Brannoworks/";
}

std::string ExecutablePath() {
    return g_exeOverride.empty() ? RunningExecutable() : g_exeOverride;
}

void SetExecutablePath(const std::string& path) {
    g_exeOverride = path;
}

std::string UserConfigFolder() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (xdg && xdg[0] == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || !*home) {
            const passwd* pw = getpwuid(getuid());
            home = pw ? pw->pw_dir : "/tmp";
        }
        base = std::string(home) + "/.config";
    }
    return WithSlash(base) + "Brannoworks/";
}

void InitApplicationPaths(const std::string& exePath) {
    if (!exePath.empty())
        SetExecutablePath(exePath);
    ProgramFilesPath = QueryProgramFilesDir();
    CommonFilesPath = QueryCommonFilesDir();
    AppPath = WithSlash(FolderOf(ExecutablePath()));
    MakerPath = FindMakerPath();
    SharedDataPath = MakerPath + "Common Files/";
}

std::string SettingsIniPath(const std::string& exePath) {
    std::string exe = exePath.empty() ? ExecutablePath() : exePath;
    std::string beside = exe + ".ini";
    // With its slash, a plain file standing where the folder should be is not taken for one.
    bool writable = access(WithSlash(FolderOf(exe)).c_str(), W_OK) == 0 &&
                    (!Exists(beside) || access(beside.c_str(), W_OK) == 0);
    return ChooseSettingsIniPath(exe, writable);
}

std::string ChooseSettingsIniPath(const std::string& exe, bool besideWritable) {
    std::string beside = exe + ".ini";
    if (besideWritable)
        return beside;
    bool besideExists = Exists(beside);

    std::string folder = UserConfigFolder();
    std::string own = folder + FileNameOf(exe) + ".ini";
    if (Exists(own))
        return own;
    if (!MakeFolders(folder))
        return besideExists ? beside : own;
    if (besideExists && !CopyFile(beside, own))
        return beside; // reads still find the shipped values
    return own;
}

} // namespace qv
