// The schedule's output file: what stands at the path decides how it is written (a regular file
// replaced whole, through a link its target; a FIFO, device or descriptor written into; a folder
// or read-only file refused), the file reaches the disk before it takes the old one's place,
// another program's save in between is noticed, and no temporary file outlives its writer.
#include "schedule/QvOutputFile.h"
#include "settings/QvFiles.h"
#include "tests/testsupport/TempFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// What the flushes saw: how many flushed a file holding the whole output while the target path
// still named another file.
std::string g_flushTarget;
std::size_t g_flushSize = 0;
int g_flushedBeforeInPlace = 0;

} // namespace

// Every flush of the process passes here first.
extern "C" int fsync(int fd) {
    struct stat held {
    }, named{};
    if (!g_flushTarget.empty() && ::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) &&
        static_cast<std::size_t>(held.st_size) == g_flushSize &&
        (::stat(g_flushTarget.c_str(), &named) != 0 || named.st_ino != held.st_ino))
        ++g_flushedBeforeInPlace;
    return static_cast<int>(::syscall(SYS_fsync, fd));
}

namespace qv {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::WriteFile;

const std::string kText = "Circuit,Material\nC1,Copper\n";

void Save(const std::string& path, const std::string& text = kText,
          const TOutputOptions& options = {}) {
    TOutputFile out(path, options);
    out.Write(text);
    out.Commit();
}

TOutputOptions Window() {
    TOutputOptions o;
    o.Interactive = true;
    return o;
}
TOutputOptions Unnamed(bool unnamed) {
    TOutputOptions o;
    o.Unnamed = unnamed;
    return o;
}
TOutputOptions Expecting(const TFileStamp& stamp) {
    TOutputOptions o;
    o.Expected = stamp;
    return o;
}

std::string ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

// Names in a folder that a writer's temporary file would have.
std::vector<std::string> Temporaries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().filename().string().find(".tmp-") != std::string::npos)
            names.push_back(e.path().filename().string());
    return names;
}

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode : 0;
}

TEST(OutputFile, WhatStandsAtThePathDecidesHowItIsWritten) {
    test::TempFolder dir;
    ASSERT_FALSE(dir.Path().empty());
    auto old = [](mode_t mode) {
        return [mode](const std::string& p) {
            WriteFile(p, "old");
            ::chmod(p.c_str(), mode);
        };
    };
    auto link = [](const char* to) {
        return [to](const std::string& p) {
            fs::create_directories(FolderOf(p) + "/elsewhere");
            WriteFile(FolderOf(p) + "/elsewhere/target.csv", "old");
            fs::create_symlink(to, p);
        };
    };
    struct Case {
        const char* name;
        std::function<void(const std::string& path)> make; // what stands at <name>/out.csv
        bool window;
        const char* error;  // "": written
        const char* holder; // the file holding the text afterwards, beside out.csv
        mode_t mode;        // out.csv's afterwards: its type, and its permissions unless 0
    } cases[] = {
        {"New", [](const std::string&) {}, false, "", "out.csv", S_IFREG},
        {"KeepsItsMode", old(0600), false, "", "out.csv", S_IFREG | 0600},
        {"Link", link("elsewhere/target.csv"), false, "", "elsewhere/target.csv", S_IFLNK},
        {"LinkToNothingYet", link("elsewhere/new.csv"), false, "", "elsewhere/new.csv", S_IFLNK},
        {"ReadOnlyEvenForTheSuperuser", old(0444), false, "it is read-only", "", S_IFREG | 0444},
        {"Folder", [](const std::string& p) { fs::create_directories(p); }, false, "it is a folder",
         "", S_IFDIR},
        {"FifoNobodyReadsInAWindow", [](const std::string& p) { ::mkfifo(p.c_str(), 0600); }, true,
         "no program is reading it", "", S_IFIFO},
    };
    for (const Case& c : cases) {
        const std::string folder = dir / c.name;
        fs::create_directories(folder);
        const std::string path = folder + "/out.csv";
        c.make(path);
        TOutputOptions options;
        options.Interactive = c.window;
        const std::string error = ErrorOf([&] { Save(path, kText, options); });
        EXPECT_EQ(error, *c.error ? "cannot write " + path + ": " + c.error : "") << c.name;
        // Refused, a file keeps what it held.
        const std::string holder = *c.holder ? folder + "/" + c.holder : path;
        if (*c.holder || S_ISREG(c.mode)) {
            EXPECT_EQ(ReadFile(holder), *c.holder ? kText : "old") << c.name;
        }
        const mode_t mask = S_IFMT | ((c.mode & 07777) ? 07777 : 0);
        EXPECT_EQ(ModeOf(path) & mask, c.mode) << c.name;
        EXPECT_TRUE(Temporaries(folder).empty()) << c.name;
        if (fs::exists(folder + "/elsewhere")) {
            EXPECT_TRUE(Temporaries(folder + "/elsewhere").empty()) << c.name;
        }
    }
}

TEST(OutputFile, FifosAndDescriptorsAreWrittenIntoNotReplaced) {
    test::TempFolder dir;
    ASSERT_FALSE(dir.Path().empty());
    // The program waits for a reader as the shell's `>` would; a window needs one there.
    const std::string fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string read;
    std::thread reader([&] { read = ReadFile(fifo); });
    EXPECT_EQ(ErrorOf([&] { Save(fifo); }), "");
    reader.join();
    EXPECT_EQ(read, kText);
    const int readEnd = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    EXPECT_EQ(ErrorOf([&] { Save(fifo, kText, Window()); }), "");
    char got[256];
    const ssize_t n = ::read(readEnd, got, sizeof got);
    ::close(readEnd);
    EXPECT_EQ(std::string(got, n > 0 ? static_cast<std::size_t>(n) : 0u), kText);
    EXPECT_TRUE(S_ISFIFO(ModeOf(fifo)));
    EXPECT_TRUE(Temporaries(dir.Path()).empty());
    // A reader gone before the write fails a window's save, not the whole process.
    const int gone = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    TOutputFile out(fifo, Window());
    ::close(gone);
    EXPECT_EQ(ErrorOf([&] { out.Write(kText); }), "cannot write " + fifo + ": Broken pipe");

    // A descriptor the process has, as /dev/stdout is, on a regular file: the file is written
    // into and keeps its inode.
    const std::string file = dir / "stdout.txt";
    WriteFile(file, "old text that is longer");
    const int fd = ::open(file.c_str(), O_WRONLY);
    struct stat before {
    }, after{};
    ASSERT_EQ(::fstat(fd, &before), 0);
    EXPECT_EQ(ErrorOf([&] { Save("/dev/fd/" + std::to_string(fd)); }), "");
    ::close(fd);
    ASSERT_EQ(::stat(file.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(ReadFile(file), kText);
}

TEST(OutputFile, ADeviceIsWrittenIntoNotReplaced) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "making a device (mknod) needs the superuser";
    test::TempFolder dir;
    ASSERT_FALSE(dir.Path().empty());
    const std::string null = dir / "null";
    // The system's null device, made again in a scratch folder.
    ASSERT_EQ(::mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    EXPECT_EQ(ErrorOf([&] { Save(null); }), "");
    EXPECT_TRUE(S_ISCHR(ModeOf(null)));
    EXPECT_TRUE(Temporaries(dir.Path()).empty());
}

TEST(OutputFile, ReachesTheDiskBeforeItTakesTheOldFilesPlace) {
    test::TempFolder dir;
    ASSERT_FALSE(dir.Path().empty());
    for (bool unnamed : {true, false}) {
        const std::string path = dir / "out.csv";
        WriteFile(path, "old");
        const std::string text(200000, 'x');
        g_flushTarget = path;
        g_flushSize = text.size();
        g_flushedBeforeInPlace = 0;
        Save(path, text, Unnamed(unnamed));
        g_flushTarget.clear();
        EXPECT_EQ(g_flushedBeforeInPlace, 1) << (unnamed ? "unnamed" : "named");
        EXPECT_EQ(ReadFile(path), text);
    }
}

TEST(OutputFile, AnotherProgramsSaveInBetweenIsNotReplaced) {
    test::TempFolder dir;
    ASSERT_FALSE(dir.Path().empty());
    const std::string path = dir / "out.csv";
    WriteFile(path, "read");
    const TFileStamp read = StampOf(path);
    ASSERT_TRUE(read.Exists);

    // Unchanged: saved, and the stamp of what was written is the file's.
    TOutputFile first(path, Expecting(read));
    first.Write(kText);
    first.Commit();
    EXPECT_EQ(StampOf(path), first.Written());
    EXPECT_FALSE(first.Written() == read);

    struct Case {
        const char* name;
        std::function<void()> other; // another program's save of the same file
        bool duringTheWrite;
    } cases[] = {
        {"Rewritten", [&] { WriteFile(path, "other"); }, false},
        {"Replaced", [&] { Save(path, "other"); }, false},
        {"RewrittenDuringTheWrite", [&] { WriteFile(path, "other"); }, true},
    };
    for (const Case& c : cases) {
        Save(path);
        const TFileStamp mine = StampOf(path);
        if (!c.duringTheWrite)
            c.other();
        const std::string now = ReadFile(path);
        const std::string error = ErrorOf([&] {
            TOutputFile out(path, Expecting(mine));
            out.Write("mine");
            if (c.duringTheWrite)
                c.other();
            out.Commit();
        });
        EXPECT_NE(error.find("was changed by another program"), std::string::npos) << c.name;
        EXPECT_EQ(ReadFile(path), c.duringTheWrite ? "other" : now) << c.name;
        EXPECT_TRUE(Temporaries(dir.Path()).empty()) << c.name;
    }
}

TEST(OutputFile, LeftoversOfKilledWritersGoAndLiveWritersFilesStay) {
    test::TempFolder dir;
    ASSERT_FALSE(dir.Path().empty());
    const std::string path = dir / "out.csv";
    WriteFile(path + ".tmp-Ab3dE9", "a killed writer's");
    WriteFile(path + ".tmp-4242-0", "a killed writer's unnamed file, named");
    WriteFile(path + ".tmp-Live00", "a running writer's");
    WriteFile(dir / "other.csv.tmp-Zz9zZ9", "another file's");
    // The running writer is another program holding its file's lock.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t writer = ::fork();
    if (writer == 0) {
        const int fd = ::open((path + ".tmp-Live00").c_str(), O_WRONLY);
        _exit(fd >= 0 && ::flock(fd, LOCK_EX) == 0 && ::write(ready[1], "r", 1) == 1 &&
                      ::pause() < 0
                  ? 0
                  : 1);
    }
    char r = 0;
    ASSERT_EQ(::read(ready[0], &r, 1), 1);
    for (bool unnamed : {true, false})
        Save(path, kText, Unnamed(unnamed));
    ::kill(writer, SIGKILL);
    ::waitpid(writer, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_EQ(ReadFile(path), kText);
    EXPECT_FALSE(fs::exists(path + ".tmp-Ab3dE9"));
    EXPECT_FALSE(fs::exists(path + ".tmp-4242-0"));
    EXPECT_TRUE(fs::exists(path + ".tmp-Live00"));
    EXPECT_TRUE(fs::exists(dir / "other.csv.tmp-Zz9zZ9"));
}

TEST(OutputFile, AnInterruptOrTerminationRemovesTheTemporaryFile) {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        test::TempFolder dir;
        ASSERT_FALSE(dir.Path().empty());
        const std::string path = dir / "out.csv";
        WriteFile(path, "old");
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            RemoveTemporaryOnSignals();
            // A named temporary file, as on file systems without unnamed files.
            TOutputFile out(path, Unnamed(false));
            out.Write(std::string(100000, 'x'));
            _exit(::write(ready[1], "r", 1) == 1 && ::pause() < 0 ? 0 : 1);
        }
        char r = 0;
        ASSERT_EQ(::read(ready[0], &r, 1), 1);
        EXPECT_EQ(Temporaries(dir.Path()).size(), 1u) << signal;
        ::kill(child, signal);
        int status = 0;
        ::waitpid(child, &status, 0);
        ::close(ready[0]);
        ::close(ready[1]);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << signal;
        EXPECT_TRUE(Temporaries(dir.Path()).empty()) << signal;
        EXPECT_EQ(ReadFile(path), "old") << signal;
    }
}

} // namespace
} // namespace qv
