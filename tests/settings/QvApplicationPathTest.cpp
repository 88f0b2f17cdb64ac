// Folder variables, the machine-wide system folders, the settings INI path and start-up order.
#include "settings/QvApplicationPath.h"

#include "settings/QvRegistry.h"
#include "settings/QvStartup.h"
#include "settings/QvSysUtils.h"
#include "tests/testsupport/TempFolder.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace qv {
namespace {

using test::ReadFile;
using test::WriteFile;

const std::string kMachineKey =
    "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion]\n";

class ApplicationPaths : public test::ConfigHomeTest {
  protected:
    void SetUp() override {
        ConfigHomeTest::SetUp();
        setenv("AMPWISE_MACHINE_REG", (Home() / "machine.reg").c_str(), 1);
    }
    void TearDown() override {
        unsetenv("AMPWISE_MACHINE_REG");
        SetExecutablePath("");
    }
    void Machine(const std::string& values) {
        WriteFile(Home() / "machine.reg", "REGEDIT4\n\n" + kMachineKey + values);
    }
};

TEST_F(ApplicationPaths, SystemFoldersComeFromTheMachineStoreOrTheDefaults) {
    struct Row {
        const char* what;
        std::string file; // empty: no machine store at all
        std::string programFiles, commonFiles;
    };
    const std::string head = "REGEDIT4\n\n" + kMachineKey;
    const Row rows[] = {
        {"no machine store", "", "/opt/", "/opt/Common Files/"},
        {"both set", head + "\"ProgramFilesDir\"=\"/usr/local\"\n\"CommonFilesDir\"=\"/srv/c\"\n",
         "/usr/local/", "/srv/c/"},
        {"already ending in a slash", head + "\"ProgramFilesDir\"=\"/apps/\"\n", "/apps/",
         "/opt/Common Files/"},
        {"empty value", head + "\"ProgramFilesDir\"=\"\"\n", "/opt/", "/opt/Common Files/"},
        {"value of the wrong kind", head + "\"programfilesdir\"=dword:00000001\n", "/opt/",
         "/opt/Common Files/"},
        {"damaged store", head + "\"ProgramFilesDir\"=\"/usr/lo", "/opt/", "/opt/Common Files/"},
        {"binary store", std::string("\0\1\2\3", 4), "/opt/", "/opt/Common Files/"},
        {"other key", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\x]\n\"ProgramFilesDir\"=\"/x\"\n", "/opt/",
         "/opt/Common Files/"},
    };
    for (const Row& r : rows) {
        std::filesystem::remove(Home() / "machine.reg");
        if (!r.file.empty())
            WriteFile(Home() / "machine.reg", r.file);
        EXPECT_EQ(QueryProgramFilesDir(), r.programFiles) << r.what;
        EXPECT_EQ(QueryCommonFilesDir(), r.commonFiles) << r.what;
        if (!r.file.empty()) { // only read: never changed, never moved
            EXPECT_EQ(ReadFile(Home() / "machine.reg"), r.file) << r.what;
        }
    }
}

TEST_F(ApplicationPaths, MakerFolderIsFoundFromTheProgramsFolder) {
    struct Row {
        const char* what;
        std::string exe;
        std::string maker;
    };
    const Row rows[] = {
        {"installed under the maker", "/opt/Brannoworks/Ampwise/Ampwise", "/opt/Brannoworks/"},
        {"9qv folder", "/home/d/Tools/9qv/Ampwise/Ampwise", "/home/d/Tools/9qv/"},
        {"letter case kept", "/Home/BRANNOWORKS/Ampwise/Ampwise", "/Home/BRANNOWORKS/"},
        {"neither: under the system programs folder", "/srv/Apps/Ampwise/Ampwise",
         "/usr/local/Brannoworks/"},
        {"both: the maker's name wins", "/x/9qv/brannoworks/Ampwise/Ampwise",
         "/x/9qv/brannoworks/"},
        {"first occurrence", "/a/Brannoworks/b/Brannoworks/Ampwise", "/a/Brannoworks/"},
        {"a name merely containing it", "/a/MyBrannoworksStuff/Ampwise", "/a/MyBrannoworks/"},
    };
    Machine("\"ProgramFilesDir\"=\"/usr/local\"\n");
    for (const Row& r : rows) {
        InitApplicationPaths(r.exe);
        EXPECT_EQ(ProgramFilesPath, "/usr/local/") << r.what;
        EXPECT_EQ(AppPath, r.exe.substr(0, r.exe.rfind('/') + 1)) << r.what;
        EXPECT_EQ(MakerPath, r.maker) << r.what;
        EXPECT_EQ(SharedDataPath, r.maker + "Common Files/") << r.what;
    }
}

TEST_F(ApplicationPaths, WithoutAMachineStoreTheMakerFolderFallsBackToOpt) {
    InitApplicationPaths("/srv/Apps/Ampwise/Ampwise");
    EXPECT_EQ(MakerPath, "/opt/Brannoworks/");
    EXPECT_EQ(CommonFilesPath, "/opt/Common Files/");
}

TEST_F(ApplicationPaths, TheSettingsFileLivesBesideAWritableProgram) {
    const std::string exe = Home() / "bin/Ampwise";
    WriteFile(exe, "");
    EXPECT_EQ(SettingsIniPath(exe), exe + ".ini");
    SetExecutablePath(exe);
    EXPECT_EQ(SettingsIniPath(), exe + ".ini");
}

TEST_F(ApplicationPaths, AnUnwritableProgramFolderGetsAPerUserCopy) {
    // Root may write anywhere, so the unwritable folder is a plain file standing where it would be.
    WriteFile(Home() / "ro", "");
    const std::string exe = Home() / "ro/Ampwise";
    const std::string own = Home() / "Brannoworks/Ampwise.ini";
    EXPECT_EQ(SettingsIniPath(exe), own);
    EXPECT_FALSE(std::filesystem::exists(own)); // nothing to seed it from
}

TEST_F(ApplicationPaths, ThePerUserCopyIsSeededOnceFromTheShippedFile) {
    const std::string exe = Home() / "sys/Ampwise";
    const std::string own = Home() / "Brannoworks/Ampwise.ini";
    WriteFile(exe + ".ini", "[Settings]\nMaxVoltDrop=5.5\n");
    EXPECT_EQ(ChooseSettingsIniPath(exe, false), own);
    EXPECT_EQ(ReadFile(own), "[Settings]\nMaxVoltDrop=5.5\n");

    WriteFile(own, "[Settings]\nMaxVoltDrop=4\n"); // the user's own edits are never reseeded
    EXPECT_EQ(ChooseSettingsIniPath(exe, false), own);
    EXPECT_EQ(ReadFile(own), "[Settings]\nMaxVoltDrop=4\n");
    EXPECT_EQ(ChooseSettingsIniPath(exe, true), exe + ".ini");
}

TEST_F(ApplicationPaths, WithNoPlaceForACopyTheShippedFileIsStillRead) {
    const std::string exe = Home() / "sys/Ampwise";
    WriteFile(exe + ".ini", "[Settings]\n");
    WriteFile(Home() / "plain", "");
    setenv("XDG_CONFIG_HOME", (Home() / "plain/cfg").c_str(), 1);
    EXPECT_EQ(ChooseSettingsIniPath(exe, false), exe + ".ini");
}

// Reads a line without its end; empty at end of file.
std::string ReadLine(FILE* in) {
    char buf[4096];
    if (!std::fgets(buf, sizeof buf, in))
        return {};
    std::string line(buf);
    if (!line.empty() && line.back() == '\n')
        line.pop_back();
    return line;
}

// A package upgrade renames a new file over the program while a copy runs; an uninstall removes
// it. The running copy keeps its registry key and its settings file either way.
TEST_F(ApplicationPaths, ARunningProgramKeepsItsPathWhenItsFileIsReplacedOrRemoved) {
    struct Row {
        const char* what;
        bool replace; // else remove
    };
    const Row rows[] = {{"replaced by a new version", true}, {"removed", false}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const std::string exe = Home() / "Brannoworks/Ampwise/Ampwise";
        std::filesystem::create_directories(Home() / "Brannoworks/Ampwise");
        std::filesystem::copy_file(QV_PATH_REPORTER, exe,
                                   std::filesystem::copy_options::overwrite_existing);

        int toChild[2], fromChild[2];
        ASSERT_EQ(pipe2(toChild, O_CLOEXEC), 0);
        ASSERT_EQ(pipe2(fromChild, O_CLOEXEC), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, toChild[0], 0);
        posix_spawn_file_actions_adddup2(&actions, fromChild[1], 1);
        pid_t pid = 0;
        char* argv[] = {const_cast<char*>(exe.c_str()), nullptr};
        const int spawned = posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        close(toChild[0]);
        close(fromChild[1]);
        ASSERT_EQ(spawned, 0);
        FILE* out = fdopen(fromChild[0], "r");
        EXPECT_EQ(ReadLine(out), "ready");

        if (r.replace) {
            std::filesystem::copy_file(QV_PATH_REPORTER, exe + ".new");
            std::filesystem::rename(exe + ".new", exe);
        } else {
            std::filesystem::remove(exe);
        }
        EXPECT_EQ(write(toChild[1], "go\n", 3), 3);
        close(toChild[1]);
        EXPECT_EQ(ReadLine(out), exe);
        EXPECT_EQ(ReadLine(out), "Software\\Brannoworks\\Ampwise");
        EXPECT_EQ(ReadLine(out), exe + ".ini");
        fclose(out);
        int status = 0;
        EXPECT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
}

TEST_F(ApplicationPaths, StartUpStepsRunInOrderAndFixNumberText) {
    std::vector<std::string> order;
    SetExecutablePath("/opt/Brannoworks/Ampwise/Ampwise");
    MakerWebAddress.clear();
    AppPath.clear();
    const char* old = std::setlocale(LC_ALL, nullptr);
    std::string saved = old ? old : "C";
    bool comma = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    RunStartupSteps(
        [&] {
            order.push_back("pool:" + std::string(MakerWebAddress.empty() ? "" : "web") +
                            (AppPath.empty() ? "" : ",paths"));
        },
        [&] { order.push_back("programs:" + std::string(AppPath.empty() ? "" : "paths")); });
    const std::string text = FloatToStr(5.5);
    double v = 0;
    const bool commaParses = TryStrToFloat("1,5", v);
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ(order, (std::vector<std::string>{"pool:web", "programs:paths"}));
    EXPECT_EQ(SharedDataPath, "/opt/Brannoworks/Common Files/");
    EXPECT_EQ(text, "5.5") << (comma ? "under a comma locale" : "");
    EXPECT_FALSE(commaParses);
}

} // namespace
} // namespace qv
