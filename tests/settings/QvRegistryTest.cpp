// The registry settings store: value kinds, the store's error messages, damaged files,
// unwritable places, and two programs (or a killed one) writing the same file.
#include "settings/QvRegistry.h"

#include "settings/QvApplicationPath.h"
#include "settings/QvRegFile_p.h"
#include "settings/QvSysUtils.h"
#include "tests/testsupport/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <ctime>
#include <csignal>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace qv {
namespace {

using test::ReadFile;
using test::WriteFile;

const std::string kApp = "Software\\Brannoworks\\Ampwise";
const std::string kHeader =
    "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Brannoworks\\Ampwise\\Settings]\n";

class RegistryStore : public test::ConfigHomeTest {
  protected:
    void SetUp() override {
        ConfigHomeTest::SetUp();
        TakeRegistryDamageReport(); // nothing left over from an earlier test
    }
    // A store file holding one value line under ...\Ampwise\Settings.
    void StoreWithValue(const std::string& line) { WriteFile(StoreFile(), kHeader + line + "\n"); }
    std::vector<std::string> SetAsideFiles() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(Home().Path() + "/Brannoworks"))
            if (e.path().filename().string().starts_with("user.reg.damaged-"))
                names.push_back(e.path().string());
        return names;
    }
};

// Value names built by appending: GCC 12 warns wrongly (-Wrestrict) on "literal" + string.
std::string Name(const char* prefix, int a, int b = -1) {
    std::string name = prefix;
    name += std::to_string(a);
    if (b >= 0) {
        name += '_';
        name += std::to_string(b);
    }
    return name;
}

// Runs `body(i)` in `count` child processes that start together; true when all of them ended
// normally (a child ends with 1 when body throws).
bool RunTogether(int count, const std::function<void(int)>& body) {
    int go[2];
    if (pipe(go) != 0)
        return false;
    std::vector<pid_t> children;
    for (int c = 0; c < count; ++c) {
        pid_t pid = fork();
        if (pid < 0)
            break;
        if (pid == 0) {
            close(go[1]);
            char b;
            if (read(go[0], &b, 1) != 1)
                _exit(2);
            try {
                body(c);
            } catch (...) {
                _exit(1);
            }
            _exit(0);
        }
        children.push_back(pid);
    }
    close(go[0]);
    bool ok = children.size() == static_cast<std::size_t>(count);
    for (std::size_t c = 0; c < children.size(); ++c)
        ok = write(go[1], "g", 1) == 1 && ok;
    close(go[1]);
    for (pid_t pid : children) {
        int status = 0;
        ok = waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0 && ok;
    }
    return ok;
}

std::string ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const ERegistryException& e) {
        return e.what();
    }
    return "(no error)";
}

// Runs `body` in a child process: false when it answers false, throws, or is still running after
// `seconds` (so a hang fails the test instead of stopping the run).
bool FinishesInChild(int seconds, const std::function<bool()>& body) {
    pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        bool ok = false;
        try {
            ok = body();
        } catch (...) {
        }
        _exit(ok ? 0 : 1);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_F(RegistryStore, WritesStoreEachKindAsTheRegistryWould) {
    TRegistryIniFile store(kApp);
    store.WriteText("Settings", "FontName", "Verdana");
    store.WriteInt("Settings", "Material", 1);
    store.WriteFlag("Settings", "Visible", true);
    store.WriteReal("Settings", "Power", 5.5);
    EXPECT_EQ(ReadFile(StoreFile()),
              "REGEDIT4\n\n"
              "[HKEY_CURRENT_USER\\Software\\Brannoworks\\Ampwise]\n\n"
              "[HKEY_CURRENT_USER\\Software\\Brannoworks\\Ampwise\\Settings]\n"
              "\"FontName\"=\"Verdana\"\n"
              "\"Material\"=dword:00000001\n"
              "\"Visible\"=\"1\"\n"
              "\"Power\"=hex:00,00,00,00,00,00,16,40\n\n");

    TRegistryIniFile again(kApp);
    EXPECT_EQ(again.ReadText("settings", "fontname", "x"), "Verdana");
    EXPECT_EQ(again.ReadInt("Settings", "Material", 0), 1);
    EXPECT_TRUE(again.ReadFlag("Settings", "Visible", false));
    EXPECT_EQ(again.ReadReal("Settings", "Power", 0), 5.5);
    EXPECT_EQ(again.ReadReal("Settings", "Length", -1.25), -1.25);
    EXPECT_EQ(again.ReadInt("Nowhere", "Material", 7), 7);
}

TEST_F(RegistryStore, ReadsEachStoredFormOrGivesTheRightError) {
    enum Op { Text, Int, Flag, Real };
    struct Row {
        const char* what;
        std::string line; // the value "V" as the file holds it
        Op op;
        std::string expected; // the result as text, or the error message
    };
    const Row rows[] = {
        {"text", R"("V"="abc")", Text, "abc"},
        {"expandable text up to its zero", "\"V\"=hex(2):61,00,62,00", Text, "a"},
        {"text without its zero", "\"V\"=hex(1):61,62", Text, "ab"},
        {"integer read as text", "\"V\"=dword:00000001", Text, "Invalid data type for 'v'"},
        {"dword", "\"V\"=dword:ffffffec", Int, "-20"},
        {"decimal text", R"("V"="26")", Int, "26"},
        {"0x text", R"("V"="0x1A")", Int, "26"},
        {"$ text", R"("V"="$1A")", Int, "26"},
        {"text that is no integer", R"("V"="12 apples")", Int, "99"},
        {"text out of range", R"("V"="4294967296")", Int, "99"},
        {"short binary as integer", "\"V\"=hex:01", Int, "Invalid data type for 'v'"},
        {"long binary as integer", "\"V\"=hex:01,02,03,04,05", Int, "Failed to get data for 'v'"},
        {"flag 0", R"("V"="0")", Flag, "0"},
        {"flag -3", R"("V"="-3")", Flag, "1"},
        {"flag 0x10", R"("V"="0x10")", Flag, "1"},
        {"flag yes is not a number", R"("V"="yes")", Flag, "1"},
        {"flag dword 0", "\"V\"=dword:00000000", Flag, "0"},
        {"real", "\"V\"=hex:00,00,00,00,00,00,16,40", Real, "5.5"},
        {"real as text", R"("V"="5.5")", Real, "Invalid data type for 'v'"},
        {"real as integer", "\"V\"=dword:00000005", Real, "Invalid data type for 'v'"},
        {"real of 7 bytes", "\"V\"=hex:00,00,00,00,00,00,16", Real, "Invalid data type for 'v'"},
        {"real of 9 bytes", "\"V\"=hex:00,00,00,00,00,00,16,40,00", Real,
         "Failed to get data for 'v'"},
        {"real that is not a number", "\"V\"=hex:00,00,00,00,00,00,f8,7f", Real, "99"},
    };
    for (const Row& r : rows) {
        StoreWithValue(r.line);
        TRegistryIniFile store(kApp);
        std::string got;
        try {
            switch (r.op) {
            case Text:
                got = store.ReadText("Settings", "v", "default");
                break;
            case Int:
                got = std::to_string(store.ReadInt("Settings", "v", 99));
                break;
            case Flag:
                got = std::to_string(store.ReadFlag("Settings", "v", true) ? 1 : 0);
                break;
            case Real: {
                const double v = store.ReadReal("Settings", "v", 99);
                got = FloatToStr(v);
                break;
            }
            }
        } catch (const ERegistryException& e) {
            got = e.what();
        }
        EXPECT_EQ(got, r.expected) << r.what;
    }
}

TEST_F(RegistryStore, AnIntegerWrittenOverTextStaysText) {
    StoreWithValue(R"("Left"="5")"
                   "\n"
                   R"("Top"=dword:00000005)");
    TRegistryIniFile store(kApp);
    store.WriteInt("Settings", "LEFT", -7);
    store.WriteInt("Settings", "Top", 8);
    std::string text = ReadFile(StoreFile());
    EXPECT_NE(text.find(R"("Left"="-7")"), std::string::npos) << text;
    EXPECT_NE(text.find(R"("Top"=dword:00000008)"), std::string::npos) << text;
    EXPECT_EQ(store.ReadInt("Settings", "left", 0), -7);
}

TEST_F(RegistryStore, AWrongKindValueIsReportedThenRepairedByAWrite) {
    StoreWithValue(R"("Power"="5.5")");
    TRegistryIniFile store(kApp);
    EXPECT_EQ(ErrorOf([&] { store.ReadReal("Settings", "Power", 0); }),
              "Invalid data type for 'Power'");
    store.WriteReal("Settings", "Power", 7.25);
    EXPECT_EQ(TRegistryIniFile(kApp).ReadReal("Settings", "Power", 0), 7.25);
}

TEST_F(RegistryStore, OpeningCreatesTheKeyAndKeepsOtherKeys) {
    StoreWithValue(R"("Keep"="me")");
    { TRegistryIniFile store("Software\\Brannoworks\\Other\\"); }
    std::string text = ReadFile(StoreFile());
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Brannoworks\\Other]"), std::string::npos);
    EXPECT_NE(text.find(R"("Keep"="me")"), std::string::npos);
}

TEST_F(RegistryStore, AWriteKeepsWhatAnotherProgramWroteMeanwhile) {
    TRegistryIniFile mine(kApp);
    TRegistryIniFile theirs(kApp);
    theirs.WriteInt("Settings", "Theirs", 1);
    mine.WriteInt("Settings", "Mine", 2);
    TRegistryIniFile after(kApp);
    EXPECT_EQ(after.ReadInt("Settings", "Theirs", 0), 1);
    EXPECT_EQ(after.ReadInt("Settings", "Mine", 0), 2);
}

TEST_F(RegistryStore, DeletesValuesAndSections) {
    TRegistryIniFile store(kApp);
    store.WriteInt("A", "x", 1);
    store.WriteInt("A", "y", 2);
    store.WriteInt("B", "z", 3);
    store.DeleteKey("a", "X");
    store.EraseSection("B");
    TRegistryIniFile after(kApp);
    EXPECT_FALSE(after.ValueExists("A", "x"));
    EXPECT_TRUE(after.ValueExists("A", "y"));
    EXPECT_FALSE(after.SectionExists("B"));
}

TEST_F(RegistryStore, ADamagedFileIsSetAsideReportedOnceAndTheStoreWorks) {
    struct Row {
        const char* what;
        std::string text;
    };
    const Row rows[] = {
        {"truncated", kHeader + "\"Power\"=hex:00,00,00,00,\\"},
        {"binary", std::string("\x7f"
                               "ELF\0\0\x01\x02\xff\xfe",
                               10)},
        {"value of an unknown kind", kHeader + "\"Power\"=float:5.5\n"},
    };
    for (const Row& r : rows) {
        std::filesystem::remove_all(Home().Path() + "/Brannoworks");
        WriteFile(StoreFile(), r.text);
        {
            TRegistryIniFile store(kApp);
            EXPECT_EQ(store.ReadReal("Settings", "Power", 1.5), 1.5) << r.what;
            store.WriteReal("Settings", "Power", 2.5);
        }
        std::string report = TakeRegistryDamageReport();
        EXPECT_NE(report.find(StoreFile()), std::string::npos) << r.what << ": " << report;
        EXPECT_NE(report.find("set aside"), std::string::npos) << r.what << ": " << report;
        EXPECT_EQ(TakeRegistryDamageReport(), "") << r.what;

        auto aside = SetAsideFiles();
        ASSERT_EQ(aside.size(), 1u) << r.what;
        EXPECT_EQ(ReadFile(aside[0]), r.text) << r.what;
        EXPECT_NE(report.find(aside[0]), std::string::npos) << r.what;

        TRegistryIniFile again(kApp);
        EXPECT_EQ(again.ReadReal("Settings", "Power", 0), 2.5) << r.what;
        EXPECT_EQ(TakeRegistryDamageReport(), "") << r.what;
    }
}

TEST_F(RegistryStore, ADamageHandlerGetsTheReportAtOnce) {
    std::vector<std::string> told;
    SetRegistryDamageHandler([&](const std::string& m) { told.push_back(m); });
    WriteFile(StoreFile(), "garbage");
    { TRegistryIniFile store(kApp); }
    SetRegistryDamageHandler(nullptr);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find("damaged"), std::string::npos);
    EXPECT_EQ(TakeRegistryDamageReport(), "");
}

TEST_F(RegistryStore, AnUnwritableConfigFolderGivesTheStoreErrors) {
    // Root may write anywhere, so the folder is made impossible: it would lie under a file.
    WriteFile(Home() / "plain", "x");
    setenv("XDG_CONFIG_HOME", (Home() / "plain/config").c_str(), 1);
    TRegistryIniFile store(kApp);
    EXPECT_EQ(store.ReadInt("Settings", "Left", 3), 3);
    EXPECT_EQ(ErrorOf([&] { store.WriteInt("Settings", "Left", 1); }),
              "Failed to create key Settings");
}

TEST_F(RegistryStore, AFailedWriteToAnExistingKeyNamesTheValueAndChangesNothing) {
    StoreWithValue(R"("Left"=dword:00000001)");
    const std::string before = ReadFile(StoreFile());
    std::filesystem::create_directory(StoreFile() + ".lock"); // the lock can't be opened
    TRegistryIniFile store(kApp);
    EXPECT_EQ(ErrorOf([&] { store.WriteInt("Settings", "Left", 2); }),
              "Failed to set data for 'Left'");
    EXPECT_EQ(ReadFile(StoreFile()), before);
    EXPECT_EQ(store.ReadInt("Settings", "Left", 0), 1);
}

TEST_F(RegistryStore, NamesWithLineBreaksAreRefused) {
    TRegistryIniFile store(kApp);
    EXPECT_EQ(ErrorOf([&] { store.WriteText("Settings", "a\nb", "x"); }),
              "Failed to set data for 'a\nb'");
    EXPECT_EQ(ErrorOf([&] { store.WriteText("Set\ntings", "a", "x"); }),
              "Failed to create key Set\ntings");
    store.WriteText("Settings", "Note", "line one\nline two");
    EXPECT_EQ(TRegistryIniFile(kApp).ReadText("Settings", "Note", ""), "line one\nline two");
}

TEST_F(RegistryStore, ACommaDecimalLocaleChangesNothing) {
    const char* old = std::setlocale(LC_ALL, nullptr);
    std::string saved = old ? old : "C";
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "no comma-decimal locale installed";
    {
        TRegistryIniFile store(kApp);
        store.WriteReal("Settings", "Power", 1.5);
        store.WriteText("Settings", "Count", "26");
    }
    TRegistryIniFile store(kApp);
    double power = store.ReadReal("Settings", "Power", 0);
    std::int32_t count = store.ReadInt("Settings", "Count", 0);
    std::string text = ReadFile(StoreFile());
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ(power, 1.5);
    EXPECT_EQ(count, 26);
    EXPECT_NE(text.find("\"Power\"=hex:00,00,00,00,00,00,f8,3f"), std::string::npos) << text;
}

TEST_F(RegistryStore, TwoProgramsWritingAtOnceLoseNothing) {
    constexpr int kEach = 500;
    ASSERT_TRUE(RunTogether(2, [](int c) {
        TRegistryIniFile store(kApp);
        for (int i = 0; i < kEach; ++i)
            store.WriteInt("Race", Name("p", c, i), c * 10000 + i);
    }));
    TRegistryIniFile store(kApp);
    int missing = 0;
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < kEach; ++i)
            if (store.ReadInt("Race", Name("p", c, i), -1) != c * 10000 + i)
                ++missing;
    EXPECT_EQ(missing, 0);
    EXPECT_EQ(TakeRegistryDamageReport(), "");
}

TEST_F(RegistryStore, TwoProgramsFindingTheSameDamageSetItAsideOnce) {
    WriteFile(StoreFile(), kHeader + "\"Power\"=hex:00,");
    ASSERT_TRUE(RunTogether(2, [](int c) {
        TRegistryIniFile store(kApp);
        store.WriteInt("Settings", Name("c", c), c);
    }));
    EXPECT_EQ(SetAsideFiles().size(), 1u);
    TRegistryIniFile store(kApp);
    EXPECT_EQ(store.ReadInt("Settings", "c0", -1), 0);
    EXPECT_EQ(store.ReadInt("Settings", "c1", -1), 1);
}

bool HasTemporary(const std::string& folder) {
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder, ec))
        if (e.path().filename().string().starts_with("user.reg.tmp-"))
            return true;
    return false;
}

// The kill must land while the writer's temporary file exists, or the next writer's clean-up is
// never put to the test: the child writes a big value over and over, the parent kills it the
// moment a temporary file shows, and tries again when the rename won that race.
TEST_F(RegistryStore, AWriterKilledMidWriteLeavesEveryCommittedValueAndNoTemporaryFile) {
    const std::string folder = Home().Path() + "/Brannoworks";
    TRegistryIniFile(kApp).WriteInt("Crash", "committed", 7);
    const std::string big(4 << 20, 'x');
    bool killedMidWrite = false;
    for (int attempt = 0; attempt < 20 && !killedMidWrite; ++attempt) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            TRegistryIniFile store(kApp);
            for (int i = 0;; ++i)
                store.WriteText("Crash", "big", big + std::to_string(i));
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!HasTemporary(folder) && std::chrono::steady_clock::now() < deadline) {
        }
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        killedMidWrite = HasTemporary(folder);
    }
    ASSERT_TRUE(killedMidWrite) << "no kill landed while a temporary file existed";

    reg::TRegDocument doc;
    ASSERT_EQ(reg::LoadRegFile(StoreFile(), doc), reg::TLoadStatus::Ok);
    TRegistryIniFile store(kApp);
    EXPECT_EQ(store.ReadInt("Crash", "committed", -1), 7);
    store.WriteInt("Crash", "after", 1); // the killed writer's lock is gone with it
    EXPECT_EQ(TRegistryIniFile(kApp).ReadInt("Crash", "after", 0), 1);
    EXPECT_FALSE(HasTemporary(folder)) << "a killed writer's temporary file stays behind";
}

TEST_F(RegistryStore, ADamagedStoreThatCannotBeSetAsideIsNeverWrittenOver) {
    // Root may rename anything, so the rename is made to fail by the set-aside name's length.
    const std::string path = Home() / std::string(240, 'r');
    const std::string damaged = kHeader + "\"Power\"=float:5.5\n";
    WriteFile(path, damaged);
    reg::TRegDocument doc;
    std::string report, error;
    reg::LoadStoreFile(path, doc, &report);
    EXPECT_NE(report.find("could not be set aside"), std::string::npos) << report;
    EXPECT_FALSE(reg::UpdateStoreFile(
        path, [](reg::TRegDocument& d) { d.AddKey("HKEY_CURRENT_USER\\X"); }, doc, &report,
        &error));
    EXPECT_EQ(ReadFile(path), damaged);
}

TEST_F(RegistryStore, DamageFoundTwiceInOneSecondKeepsBothCopies) {
    // Names for this second and the next two are taken already, so both set-aside copies must
    // get names of their own.
    std::filesystem::create_directories(Home().Path() + "/Brannoworks");
    const std::time_t now = std::time(nullptr);
    std::vector<std::string> taken;
    for (int s = 0; s < 3; ++s) {
        std::time_t t = now + s;
        std::tm tm{};
        localtime_r(&t, &tm);
        char stamp[32];
        std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
        taken.push_back(StoreFile() + ".damaged-" + stamp);
        WriteFile(taken.back(), "taken");
    }
    for (const char* text : {"first damage", "second damage"}) {
        WriteFile(StoreFile(), text);
        TRegistryIniFile store(kApp);
    }
    std::vector<std::string> contents;
    for (const std::string& name : SetAsideFiles())
        contents.push_back(ReadFile(name));
    std::sort(contents.begin(), contents.end());
    EXPECT_EQ(contents, (std::vector<std::string>{"first damage", "second damage", "taken", "taken",
                                                  "taken"}));
}

TEST_F(RegistryStore, TheSettingsFolderIsMadePrivate) {
    std::filesystem::remove_all(Home().Path() + "/Brannoworks");
    TRegistryIniFile(kApp).WriteInt("Settings", "Left", 1);
    struct stat st {};
    ASSERT_EQ(stat((Home().Path() + "/Brannoworks").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(RegistryStore, AStoreThatIsNoRegularFileGivesDefaultsOneReportAndIsNeverWritten) {
    const struct {
        const char* what;
        std::function<void(const std::string&)> make;
        bool (*still)(const std::filesystem::path&);
    } rows[] = {
        {"a FIFO", [](const std::string& p) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); },
         [](const std::filesystem::path& p) { return std::filesystem::is_fifo(p); }},
        {"a folder", [](const std::string& p) { std::filesystem::create_directories(p); },
         [](const std::filesystem::path& p) { return std::filesystem::is_directory(p); }},
    };
    for (const auto& row : rows) {
        std::filesystem::remove_all(Home().Path() + "/Brannoworks");
        std::filesystem::create_directories(Home().Path() + "/Brannoworks");
        row.make(StoreFile());
        EXPECT_TRUE(FinishesInChild(20, [] {
            TRegistryIniFile store(kApp);
            const bool defaults = store.ReadInt("Settings", "Left", 3) == 3;
            const std::string report = TakeRegistryDamageReport();
            TRegistryIniFile again(kApp);
            const bool once = TakeRegistryDamageReport().empty();
            const bool refused = ErrorOf([&] { store.WriteInt("Settings", "Left", 1); }) ==
                                 "Failed to create key Settings";
            return defaults && once && refused &&
                   report.find("not a regular file") != std::string::npos;
        })) << row.what;
        EXPECT_TRUE(row.still(StoreFile())) << row.what;
        EXPECT_TRUE(SetAsideFiles().empty()) << row.what;
    }
}

TEST_F(RegistryStore, AStuckLockHolderFailsTheWriteAndKeepsWhatWasCommitted) {
    StoreWithValue(R"("Left"=dword:00000001)");
    const std::string before = ReadFile(StoreFile());
    const int holder = open((StoreFile() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_EQ(flock(holder, LOCK_EX), 0);
    EXPECT_TRUE(FinishesInChild(20, [] {
        TRegistryIniFile store(kApp);
        return ErrorOf([&] { store.WriteInt("Settings", "Left", 2); }) ==
                   "Failed to set data for 'Left'" &&
               store.ReadInt("Settings", "Left", 0) == 1;
    }));
    EXPECT_EQ(ReadFile(StoreFile()), before);
    close(holder);
    TRegistryIniFile store(kApp);
    store.WriteInt("Settings", "Left", 2);
    EXPECT_EQ(TRegistryIniFile(kApp).ReadInt("Settings", "Left", 0), 2);
}

TEST_F(RegistryStore, ALinkedStoreIsWrittenThroughItsLink) {
    const std::string target = Home() / "dotfiles/user.reg";
    WriteFile(target, kHeader + "\"Left\"=dword:00000001\n");
    std::filesystem::create_directories(Home().Path() + "/Brannoworks");
    std::filesystem::create_symlink("../dotfiles/user.reg", StoreFile());
    TRegistryIniFile store(kApp);
    store.WriteInt("Settings", "Top", 2);
    EXPECT_TRUE(std::filesystem::is_symlink(StoreFile()));
    EXPECT_NE(ReadFile(target).find("\"Top\"=dword:00000002"), std::string::npos);
    EXPECT_EQ(TRegistryIniFile(kApp).ReadInt("Settings", "Left", 0), 1);
    for (const auto& e : std::filesystem::directory_iterator(Home() / "dotfiles"))
        EXPECT_FALSE(e.path().filename().string().starts_with("user.reg.tmp-")) << e.path();
}

TEST_F(RegistryStore, AReadOnlyStoreIsNotWrittenEvenByTheSuperuser) {
    StoreWithValue(R"("Left"=dword:00000001)");
    const std::string before = ReadFile(StoreFile());
    chmod(StoreFile().c_str(), 0444);
    TRegistryIniFile store(kApp);
    EXPECT_EQ(ErrorOf([&] { store.WriteInt("Settings", "Left", 2); }),
              "Failed to set data for 'Left'");
    EXPECT_EQ(ReadFile(StoreFile()), before);
    struct stat st {};
    ASSERT_EQ(stat(StoreFile().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
}

TEST_F(RegistryStore, AnUpdateIsOneCommitThatReadsSeeAtOnce) {
    StoreWithValue(R"("Gone"=dword:00000001)");
    TRegistryIniFile store(kApp);
    test::CommitCounter commits(Home().Path() + "/Brannoworks", "user.reg");
    store.BeginUpdate();
    store.WriteInt("Settings", "Left", 1);
    store.WriteText("Settings", "FontName", "Verdana");
    store.BeginUpdate(); // nested: only the outermost end commits
    store.WriteReal("Other", "Power", 2.5);
    store.DeleteKey("Settings", "Gone");
    store.EndUpdate();
    EXPECT_EQ(store.ReadInt("Settings", "Left", 0), 1);
    EXPECT_FALSE(store.ValueExists("Settings", "Gone"));
    EXPECT_EQ(commits.Take(), 0);
    store.EndUpdate();
    EXPECT_EQ(commits.Take(), 1);

    TRegistryIniFile again(kApp);
    EXPECT_EQ(again.ReadInt("Settings", "Left", 0), 1);
    EXPECT_EQ(again.ReadText("Settings", "FontName", ""), "Verdana");
    EXPECT_EQ(again.ReadReal("Other", "Power", 0), 2.5);
    EXPECT_FALSE(again.ValueExists("Settings", "Gone"));

    // A failed commit names its first value and leaves the file as it was.
    const std::string before = ReadFile(StoreFile());
    std::filesystem::remove(StoreFile() + ".lock");
    std::filesystem::create_directory(StoreFile() + ".lock"); // the lock can't be opened
    store.BeginUpdate();
    store.WriteInt("Settings", "Left", 5);
    store.WriteInt("Settings", "Top", 6);
    EXPECT_EQ(ErrorOf([&] { store.EndUpdate(); }), "Failed to set data for 'Left'");
    EXPECT_EQ(ReadFile(StoreFile()), before);
}

TEST_F(RegistryStore, AFailedUpdateIsNotWrittenLaterWhenTheStoreGoes) {
    const std::string lock = StoreFile() + ".lock";
    const struct {
        const char* how;
        std::function<void()> fail, mend; // mended, a write would succeed again
    } ways[] = {
        {"read-only store", [&] { chmod(StoreFile().c_str(), 0444); },
         [&] { chmod(StoreFile().c_str(), 0644); }},
        {"lock that can't be opened",
         [&] {
             std::filesystem::remove(lock);
             std::filesystem::create_directory(lock);
         },
         [&] { std::filesystem::remove(lock); }},
    };
    for (const auto& way : ways) {
        StoreWithValue(R"("Left"=dword:00000001)");
        {
            TRegistryIniFile store(kApp);
            way.fail();
            store.BeginUpdate();
            store.WriteInt("Settings", "Left", 5);
            store.WriteInt("Settings", "Top", 6);
            EXPECT_EQ(ErrorOf([&] { store.EndUpdate(); }), "Failed to set data for 'Left'")
                << way.how;
            way.mend();
        }
        TRegistryIniFile again(kApp);
        EXPECT_EQ(again.ReadInt("Settings", "Left", 0), 1) << way.how;
        EXPECT_FALSE(again.ValueExists("Settings", "Top")) << way.how;
    }
}

TEST(RegistryFile, LivesInTheUsersConfigFolder) {
    const char* oldHome = std::getenv("HOME");
    const std::string home = oldHome ? oldHome : "";
    setenv("HOME", "/home/someone", 1);
    setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(UserRegistryPath(), "/cfg/Brannoworks/user.reg");
    setenv("XDG_CONFIG_HOME", "relative/cfg", 1); // not absolute: ignored
    EXPECT_EQ(UserRegistryPath(), "/home/someone/.config/Brannoworks/user.reg");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(UserRegistryPath(), "/home/someone/.config/Brannoworks/user.reg");
    setenv("HOME", home.c_str(), 1);
}

TEST(RegistryKey, IsTheRootAndTheExecutableNameWithoutExtension) {
    const std::pair<std::string, std::string> rows[] = {
        {"/x/my.tool.exe", "Software\\Brannoworks\\my.tool"},
        {"/opt/Brannoworks/Ampwise/Ampwise", "Software\\Brannoworks\\Ampwise"},
        {"Ampwise.exe", "Software\\Brannoworks\\Ampwise"},
        {"/a.b/tool", "Software\\Brannoworks\\tool"},
    };
    for (const auto& [path, key] : rows)
        EXPECT_EQ(AppRegistryKey(path), key) << path;
    SetExecutablePath("/somewhere/Brannoworks/Ampwise/Ampwise");
    EXPECT_EQ(AppRegistryKey(), "Software\\Brannoworks\\Ampwise");
    SetExecutablePath("");
    EXPECT_EQ(AppRegistryKey(),
              RegistryRoot + ExecutablePath().substr(ExecutablePath().rfind('/') + 1));
}

TEST_F(RegistryStore, MakerDetailsComeFromTheMakersKeyOrTheDefault) {
    MakerWebAddress = "stale";
    ReadMakerDetails();
    EXPECT_EQ(MakerWebAddress, DefaultMakerWebAddress);

    TRegistryIniFile("Software\\").WriteText("Brannoworks", "web", "https://example.org/");
    ReadMakerDetails();
    EXPECT_EQ(MakerWebAddress, "https://example.org/");

    TRegistryIniFile("Software\\").EraseSection("Brannoworks");
    TRegistryIniFile("Software\\").WriteInt("Brannoworks", "web", 5);
    ReadMakerDetails(); // a wrong kind must not stop the program from starting
    EXPECT_EQ(MakerWebAddress, DefaultMakerWebAddress);
}

} // namespace
} // namespace qv
