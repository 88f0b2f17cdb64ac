// The INI store on real files: typed reads and writes, read limits, write failures, and files
// that are damaged or odd, which must read as defaults and never be changed by reading.
#include "settings/QvIniFiles.h"
#include "tests/testsupport/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <clocale>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/syscall.h>
#include <unistd.h>

// Every change of the process umask is counted: a write must never make one, since another
// thread creating a file at that moment would get the wrong mode.
int g_umaskChanges = 0;
extern "C" mode_t umask(mode_t mask) {
    ++g_umaskChanges;
    return static_cast<mode_t>(::syscall(SYS_umask, mask));
}

namespace qv {
namespace {

class IniFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(folder_.Path().empty());
        dir_ = folder_.Path();
        path_ = dir_ + "/test.ini";
    }

    void Put(const std::string& text) const { std::ofstream(path_, std::ios::binary) << text; }
    std::string Get() const {
        std::ifstream in(path_, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    test::TempFolder folder_;
    std::string dir_, path_;
};

TEST_F(IniFileTest, ReadTextIgnoresBlankNamesEvenWhenTheFileHasThem) {
    Put("[ ]\nk=in blank section\n[A]\n =blank key\n");
    TIniFile ini(path_);
    EXPECT_EQ(ini.ReadText(" ", "k", "def"), "def");
    EXPECT_EQ(ini.ReadText("A", "\t ", "def"), "def");
    EXPECT_EQ(ini.ReadText("", "", "def"), "def");
}

TEST_F(IniFileTest, ReadTextMissingFileSectionOrKeyGivesDefault) {
    TIniFile missing(path_);
    EXPECT_EQ(missing.ReadText("A", "k", "def"), "def");
    Put("[A]\nk=\nj=1\n");
    TIniFile ini(path_);
    EXPECT_EQ(ini.ReadText("A", "k", "def"), "");
    EXPECT_EQ(ini.ReadText("A", "x", "def"), "def");
    EXPECT_EQ(ini.ReadText("B", "j", "def"), "def");
}

TEST_F(IniFileTest, LongValueIsCutTo2047Characters) {
    std::string value(5000, 'v');
    value[2046] = 'L';
    Put("[A]\nk=" + value + "\n");
    TIniFile ini(path_);
    EXPECT_EQ(ini.ReadText("A", "k", ""), value.substr(0, 2047));
    std::vector<std::string> lines;
    ini.ReadKeyValues("A", lines);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "k=" + value.substr(0, 2047));
}

TEST_F(IniFileTest, NameListsStopAt16384Bytes) {
    std::string text = "[A]\n";
    for (int i = 0; i < 2000; ++i)
        text += "key" + std::to_string(100000 + i) + "=1\n"; // 9 characters + zero byte each
    Put(text);
    TIniFile ini(path_);
    std::vector<std::string> names;
    ini.ReadKeyNames("A", names);
    ASSERT_EQ(names.size(), 1638u); // 1 + 1638 * 10 = 16381 fits, one more would not
    EXPECT_EQ(names.back(), "key101637");
}

TEST_F(IniFileTest, KeyListsOnBlankOrMissingSections) {
    Put("[A]\na=1\nb=2\n");
    TIniFile ini(path_);
    std::vector<std::string> list{"kept"};
    ini.ReadKeyNames(" ", list);
    EXPECT_EQ(list, std::vector<std::string>{"kept"});
    ini.ReadKeyNames("missing", list);
    EXPECT_TRUE(list.empty());
    list = {"old"};
    ini.ReadKeyValues(" ", list);
    EXPECT_TRUE(list.empty());
    list = {"old"};
    ini.ReadKeyValues("missing", list);
    EXPECT_TRUE(list.empty());
    ini.ReadKeyValues("a", list);
    EXPECT_EQ(list, (std::vector<std::string>{"a=1", "b=2"}));
    ini.ReadSectionNames(list);
    EXPECT_EQ(list, std::vector<std::string>{"A"});
}

TEST_F(IniFileTest, ReadIntForms) {
    struct Row {
        const char* text;
        std::int32_t expected;
    } rows[] = {
        {"26", 26},
        {"0x1A", 26},
        {"0X1a", 26},
        {"$1A", 26},
        {"x1A", 26},
        {"-26", -26},
        {"+26", 26},
        {"$FFFFFFFF", -1},
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"", 7},
        {"0x", 7},
        {"1A", 7},
        {"12 apples", 7},
        {"4294967296", 7},
        {"2147483648", 7},
        {"$123456789", 7},
        {"1.5", 7},
    };
    for (const Row& r : rows) {
        Put(std::string("[A]\nk=") + r.text + "\n");
        TIniFile ini(path_);
        EXPECT_EQ(ini.ReadInt("A", "k", 7), r.expected) << r.text;
    }
}

TEST_F(IniFileTest, ReadFlagForms) {
    struct Row {
        const char* text;
        bool def, expected;
    } rows[] = {
        {"0", true, false},    {"1", false, true},  {"-3", false, true},
        {"0x10", false, true}, {"yes", true, true}, {"yes", false, false},
    };
    for (const Row& r : rows) {
        Put(std::string("[A]\nk=") + r.text + "\n");
        TIniFile ini(path_);
        EXPECT_EQ(ini.ReadFlag("A", "k", r.def), r.expected) << r.text;
    }
}

TEST_F(IniFileTest, ReadRealFormsEvenUnderACommaLocale) {
    // A comma-decimal C locale must not change what the file means.
    const bool comma = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    struct Row {
        const char* text;
        double expected;
    } rows[] = {{"5.5", 5.5}, {"-1E3", -1000}, {"", 9}, {"5,5", 9}, {"1e999", 9}, {"nan", 9}};
    for (const Row& r : rows) {
        Put(std::string("[A]\nk=") + r.text + "\n");
        TIniFile ini(path_);
        EXPECT_EQ(ini.ReadReal("A", "k", 9), r.expected) << r.text;
    }
    TIniFile(path_).WriteReal("A", "k", 5.5);
    EXPECT_EQ(Get(), "[A]\nk=5.5\n");
    std::setlocale(LC_ALL, "C");
    if (!comma)
        GTEST_SKIP() << "no de_DE.UTF-8 locale here; checked in the C locale only";
}

TEST_F(IniFileTest, TypedWritesAndTheirTextForms) {
    {
        TIniFile ini(path_);
        ini.WriteInt("T", "int", -42);
        ini.WriteFlag("T", "flag", true);
        ini.WriteDateValue("T", "date", 36526);         // 1 January 2000
        ini.WriteDateTimeValue("T", "dt", 36526.75);    // with 18:00
        ini.WriteDateTimeValue("T", "midnight", 36527); // time left out
        ini.WriteTimeValue("T", "time", 0.5 + 1.0 / 86400);
        std::istringstream bytes(std::string("\x00\xAB\xFF", 3));
        bytes.get(); // only the bytes from the position on are written
        ini.WriteBytes("T", "bytes", bytes);
    }
    EXPECT_EQ(Get(), "[T]\nint=-42\nflag=1\ndate=2000-01-01\ndt=2000-01-01 18:00:00\n"
                     "midnight=2000-01-02\ntime=12:00:01\nbytes=ABFF\n");
    TIniFile ini(path_);
    EXPECT_EQ(ini.ReadDateValue("T", "date", 0), 36526);
    EXPECT_EQ(ini.ReadDateTimeValue("T", "dt", 0), 36526.75);
    EXPECT_EQ(ini.ReadDateTimeValue("T", "midnight", 0), 36527);
    EXPECT_EQ(ini.ReadTimeValue("T", "time", 0), 0.5 + 1.0 / 86400);
    EXPECT_EQ(ini.ReadDateValue("T", "dt", -5), -5); // a date-time is no plain date
    EXPECT_EQ(ini.ReadTimeValue("T", "int", -5), -5);
    EXPECT_EQ(ini.ReadDateValue("T", "missing", -5), -5);
    EXPECT_THROW(ini.WriteDateValue("T", "bad", 1e12), std::runtime_error);

    ini.WriteText("T", "hex", "00abff");
    std::stringstream out;
    out << "pre";
    EXPECT_EQ(ini.ReadBytes("T", "hex", out), 3);
    EXPECT_EQ(out.str(), std::string("pre\x00\xAB\xFF", 6));
    EXPECT_EQ(ini.ReadBytes("T", "missing", out), 0);
}

TEST_F(IniFileTest, DatesBeforeTheEpochKeepTheirTimeAsPositiveFraction) {
    TDateTime v = 0;
    ASSERT_TRUE(TryIniTextToDateTime("1899-12-29 06:00:00", v));
    EXPECT_EQ(v, -1.25);
    EXPECT_EQ(DateTimeToIniText(-1.25), "1899-12-29 06:00:00");
    EXPECT_FALSE(TryIniTextToDate("2023-02-29", v));
    EXPECT_FALSE(TryIniTextToTime("24:00", v));
}

TEST_F(IniFileTest, ValueWrittenByAFreedObjectReadsBackInANewOne) {
    {
        TIniFile ini(path_);
        ini.WriteReal("Settings", "MaxVoltDrop", 4.25);
        ini.WriteText("Settings", "Padded", "  two blanks  ");
        ini.WriteText("Settings", "Trailing", "abc ");
        ini.WriteText("Settings", "Leading", "\tabc");
    }
    TIniFile ini(path_);
    EXPECT_EQ(ini.ReadReal("Settings", "MaxVoltDrop", 5.5), 4.25);
    EXPECT_EQ(ini.ReadText("Settings", "Padded", ""), "  two blanks  ");
    EXPECT_EQ(ini.ReadText("Settings", "Trailing", ""), "abc ");
    EXPECT_EQ(ini.ReadText("Settings", "Leading", ""), "\tabc");
}

TEST_F(IniFileTest, WriteIntoMissingFolderRaises) {
    const std::string path = dir_ + "/no such folder/x.ini";
    TIniFile ini(path);
    try {
        ini.WriteText("A", "k", "v");
        FAIL() << "no exception";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
    }
    EXPECT_THROW(ini.WriteText("A", "k\n[B]", "v"), EIniFileException);
}

TEST_F(IniFileTest, AWriteThatFailsMidwayLeavesTheFileAndNoTemporaryFile) {
    Put("[A]\nk=1\n");
    // A file size limit makes the temporary file's write fail after it was created.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{16, 16};
        setrlimit(RLIMIT_FSIZE, &limit);
        try {
            TIniFile(path_).WriteText("A", "k", std::string(1000, 'x'));
        } catch (const EIniFileException&) {
            _exit(0);
        }
        _exit(1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the failed write was not raised";
    EXPECT_EQ(Get(), "[A]\nk=1\n");
    EXPECT_EQ(std::system(("test $(ls -A '" + dir_ + "' | wc -l) -eq 1").c_str()), 0);
}

TEST_F(IniFileTest, ReadOnlyFileIsNotWrittenEvenByTheSuperuser) {
    Put("[A]\nk=1\n");
    ASSERT_EQ(::chmod(path_.c_str(), 0444), 0);
    TIniFile ini(path_);
    EXPECT_THROW(ini.WriteText("A", "k", "2"), EIniFileException);
    EXPECT_THROW(ini.WriteText("A", "k", "1"), EIniFileException);
    EXPECT_THROW(ini.RemoveSection("A"), EIniFileException);
    EXPECT_NO_THROW(ini.RemoveKey("A", "k"));
    EXPECT_EQ(Get(), "[A]\nk=1\n");
}

TEST_F(IniFileTest, WriteKeepsModeAndLinkAndLeavesNoTemporaryFile) {
    Put("[A]\nk=1\n");
    ASSERT_EQ(::chmod(path_.c_str(), 0640), 0);
    const std::string link = dir_ + "/link.ini";
    ASSERT_EQ(::symlink(path_.c_str(), link.c_str()), 0);
    TIniFile(link).WriteText("A", "k", "2");
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(::stat(path_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(Get(), "[A]\nk=2\n");
    EXPECT_EQ(std::system(("test $(ls -A '" + dir_ + "' | wc -l) -eq 2").c_str()), 0);
}

TEST_F(IniFileTest, ANewFileGetsTheUmaskModeWithoutTouchingTheUmask) {
    const mode_t saved = static_cast<mode_t>(::syscall(SYS_umask, 022));
    for (const mode_t mask : {022, 077, 002}) {
        ::syscall(SYS_umask, mask);
        const std::string path = dir_ + "/new" + std::to_string(mask) + ".ini";
        g_umaskChanges = 0;
        TIniFile(path).WriteText("A", "k", "1");
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0666u & ~mask) << "umask " << mask;
        EXPECT_EQ(g_umaskChanges, 0) << "umask " << mask;
    }
    ::syscall(SYS_umask, saved);
}

TEST_F(IniFileTest, RelativePathWritesInTheWorkingFolder) {
    char* previous = ::getcwd(nullptr, 0);
    ASSERT_EQ(::chdir(dir_.c_str()), 0);
    TIniFile("test.ini").WriteText("A", "k", "v");
    EXPECT_EQ(TIniFile("test.ini").ReadText("A", "k", ""), "v");
    ASSERT_EQ(::chdir(previous), 0);
    std::free(previous);
    EXPECT_EQ(Get(), "[A]\nk=v\n");
}

TEST_F(IniFileTest, RemovesOnAMissingFileCreateNothing) {
    TIniFile ini(path_);
    ini.RemoveKey("A", "k");
    ini.RemoveSection("A");
    ini.Flush();
    EXPECT_NE(::access(path_.c_str(), F_OK), 0);
    Put("[A]\nk=1\n[B]\nj=2\n");
    ini.RemoveKey("A", "k");
    EXPECT_EQ(Get(), "[A]\n[B]\nj=2\n");
    ini.RemoveSection("a");
    EXPECT_EQ(Get(), "[B]\nj=2\n");
}

// Reading any of these files gives defaults or their values, and leaves the file as it was.
TEST_F(IniFileTest, HostileFilesReadSafelyAndStayUntouched) {
    std::string garbage;
    unsigned seed = 7;
    for (int i = 0; i < 100000; ++i) {
        seed = seed * 1103515245 + 12345;
        garbage += static_cast<char>(seed >> 16);
    }
    std::string big;
    big.reserve(10 * 1024 * 1024 + 100);
    for (int i = 0; big.size() < 10 * 1024 * 1024; ++i)
        big += "[Sec" + std::to_string(i) + "]\nkey=" + std::string(100, 'x') + "\n; note\n";
    big += "[Cable]\nSize=1,2\n";

    struct Row {
        const char* name;
        std::string text;
        const char* size; // what Cable/Size reads as
    } rows[] = {
        {"BinaryGarbage", garbage, "dflt"},
        {"BinaryGarbageThenData", garbage + "\n[Cable]\nSize=1,2\n", "1,2"},
        {"NoFinalNewline", "[Cable]\nSize=1,2", "1,2"},
        {"CrLf", "[Cable]\r\nSize=1,2\r\n", "1,2"},
        {"HeaderWithoutBracket", "[Cable\nSize=1,2\n", "dflt"},
        {"ByteOrderMark", "\xEF\xBB\xBF[Cable]\nSize=1,2\n", "1,2"},
        {"TenMegabytes", big, "1,2"},
        {"Empty", "", "dflt"},
    };
    for (const Row& r : rows) {
        Put(r.text);
        ASSERT_EQ(::utimensat(AT_FDCWD, path_.c_str(), nullptr, 0), 0);
        struct stat before {};
        ASSERT_EQ(::stat(path_.c_str(), &before), 0);
        ::usleep(20000); // so that a rewrite would show in the modification time
        {
            TIniFile ini(path_);
            EXPECT_EQ(ini.ReadText("Cable", "Size", "dflt"), r.size) << r.name;
            std::vector<std::string> list;
            ini.ReadKeyNames("Cable", list);
            ini.ReadSectionNames(list);
            ini.ReadKeyValues("Sec1", list);
            (void)ini.ReadInt("Cable", "Size", 0);
            (void)ini.ReadReal("Cable", "Size", 0);
            (void)ini.ReadDateTimeValue("Cable", "Size", 0);
        }
        struct stat after {};
        ASSERT_EQ(::stat(path_.c_str(), &after), 0);
        EXPECT_EQ(Get(), r.text) << r.name;
        EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec) << r.name;
        EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec) << r.name;
        EXPECT_EQ(after.st_ino, before.st_ino) << r.name;
    }
}

TEST_F(IniFileTest, WriteIntoTenMegabytesChangesOneLine) {
    std::string big;
    for (int i = 0; big.size() < 10 * 1024 * 1024; ++i)
        big += "[Sec" + std::to_string(i) + "]\r\nkey=" + std::to_string(i) + "\r\n";
    Put(big);
    TIniFile ini(path_);
    ini.WriteInt("Sec50000", "key", 7);
    const std::string line = "[Sec50000]\r\nkey=";
    const std::size_t at = big.find(line) + line.size();
    std::string expected = big;
    expected.replace(at, 5, "7");
    EXPECT_EQ(Get(), expected);
}

TEST_F(IniFileTest, PathsThatAreNoFileReadAsMissingAndRefuseWrites) {
    ASSERT_EQ(::mkfifo(path_.c_str(), 0600), 0); // opening a FIFO for reading could block
    TIniFile fifo(path_);
    EXPECT_EQ(fifo.ReadText("A", "k", "def"), "def");
    EXPECT_THROW(fifo.WriteText("A", "k", "v"), EIniFileException);
    TIniFile folder(dir_);
    EXPECT_EQ(folder.ReadText("A", "k", "def"), "def");
    EXPECT_THROW(folder.WriteText("A", "k", "v"), EIniFileException);
}

} // namespace
} // namespace qv
