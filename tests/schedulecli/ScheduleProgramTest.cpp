// The ampwise-schedule program as a user runs it, from a maker's folder of its own: exit codes,
// messages, hostile input, the data file and allowed drop it finds by default, and an output
// file that is there whole or not at all.
#include "tests/testsupport/TempFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <sstream>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

extern char** environ;

namespace qv {
namespace {

namespace fs = std::filesystem;

const char* const kHeader = "Circuit,Material,Load Type,Phase,Power,Length\n";

class ScheduleProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(dir_.Path().empty());
        const std::string app = dir_ / "Brannoworks/Ampwise";
        fs::create_directories(app);
        program_ = app + "/ampwise-schedule";
        fs::copy_file(AMPWISE_SCHEDULE_PROGRAM, program_);
        test::WriteFile(dir_ / "Brannoworks/Common Files/ElecData.ini",
                        "[Cable]\nSize=1.5,2.5,4,6,10,16,25,35\n[Conductivity]\nCopper=56\n");
    }

    // Runs the program with its standard input from `input`; fills out_ and err_.
    int Run(const std::vector<std::string>& args, const std::string& input = "") {
        test::WriteFile(dir_ / "stdin", input);
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_addopen(&fa, 0, (dir_ / "stdin").c_str(), O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&fa, 1, (dir_ / "stdout").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&fa, 2, (dir_ / "stderr").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        std::vector<std::string> env = {"HOME=" + dir_.Path(),
                                        "XDG_CONFIG_HOME=" + (dir_ / "config"),
                                        "AMPWISE_MACHINE_REG=" + (dir_ / "none.reg")};
        std::vector<char*> argv{program_.data()}, envp;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        for (std::string& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        pid_t pid = 0;
        int status = -1;
        if (posix_spawn(&pid, program_.c_str(), &fa, nullptr, argv.data(), envp.data()) == 0)
            waitpid(pid, &status, 0);
        posix_spawn_file_actions_destroy(&fa);
        out_ = test::ReadFile(dir_ / "stdout");
        err_ = test::ReadFile(dir_ / "stderr");
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    test::TempFolder dir_;
    std::string program_, out_, err_;
};

TEST_F(ScheduleProgram, ExitCodesAndMessages) {
    const std::string ok = std::string(kHeader) + "C1,Copper,Resistive,Single,5.5,40\n";
    struct Case {
        const char* name;
        std::vector<std::string> args;
        std::string input;
        int exit;
        const char* out; // contained in standard output
        const char* err; // contained in standard error
    } cases[] = {
        {"AllSolved", {"-"}, ok, 0, ",4,4.270186335403727,carrying capacity,Solved\n", ""},
        {"NotSolved",
         {},
         ok + "C2,Copper,Resistive,Single,84,5000\n",
         1,
         ",,,Not Solved: 35 mm² carries 105 A and over 5000 m allows 2.156 A within 5.5 V; 365.2 A "
         "is needed\n",
         "ampwise-schedule: 2 circuits: 1 not solved (on line 3)\n"},
        {"CountsWithTheFirstLineOfEach",
         {},
         ok + "\"C\r\n2\",Copper,Resistive,Single,84,5000\r\nC3,Tin,Resistive,Single,1,1\r\n"
              "C4,Copper,Resistive,Single,84,5000\r\nC5,Copper,Resistive,Single,1,x\r\n",
         1,
         "",
         "ampwise-schedule: 5 circuits: 2 not solved (the first on line 3), 2 in error (the first "
         "on line 5)\n"},
        {"NoDropAllowed",
         {"--max-volt-drop", "0"},
         ok,
         1,
         ",,,Not Solved: 35 mm² carries 105 A and over 40 m allows 0 A within 0 V; 23.91 A is "
         "needed\n",
         "1 circuit: 1 not solved (on line 2)"},
        {"UnitInTheHeaderOfAnotherQuantity",
         {},
         "Material,Load Type,Phase,Power (V),Length\n",
         2,
         "",
         "line 1: the header gives the column \"Power (V)\" the unit \"V\", which is not a unit "
         "of Power"},
        {"ErrorRow", {}, ok + "C2,Tin,Resistive,Single,1,1\n", 1, "Error: unknown material", ""},
        {"Jsonl", {"--format=jsonl"}, ok, 0, "\"Size (mm²)\":4,", ""},
        {"OwnMaxVoltDrop", {"--max-volt-drop", "0.1"}, ok, 1, "Not Solved", ""},
        {"HeaderOnly", {}, kHeader, 0, "Limited By,Status\n", ""},
        {"UnknownOption", {"--fast"}, ok, 2, "", "unknown option '--fast'"},
        {"BadFormat", {"--format", "xml"}, ok, 2, "", "--format is csv or jsonl"},
        {"BadDelimiter",
         {"--delimiter", "|"},
         ok,
         2,
         "",
         "--delimiter is ',', ';' or tab, not '|'"},
        {"Delimiters",
         {"--delimiter", ";", "--output-delimiter=tab"},
         "Circuit;Material;Load Type;Phase;Power;Length\nC1;Copper;Resistive;Single;5,5;40\n",
         0,
         "\tCopper\tResistive\tSingle\t5,5\t40\t23.91304347826087\t4\t",
         ""},
        {"TwoInputs", {"a.csv", "b.csv"}, ok, 2, "", "one input file at most"},
        {"MissingInput", {"nowhere.csv"}, ok, 2, "", "cannot read nowhere.csv"},
        {"MissingData", {"--data", "nowhere.ini"}, ok, 2, "", "cannot read the electrical data"},
        {"NoElectricalData",
         {"--data", dir_ / "stdin"},
         ok,
         2,
         "",
         "stdin is not an electrical data file: it names no materials"},
        {"Empty", {}, "", 2, "", "the input is empty"},
        {"BlankLinesOnly", {}, "\n\r\n\n", 2, "", "the input is empty"},
        {"MissingColumn",
         {},
         "Material,Phase,Power,Length\nCopper,Single,1,1\n",
         2,
         "",
         "line 1: the header lacks the column(s) Load Type"},
        {"Garbage",
         {},
         std::string("\x00\xFF\x7F\x1B[2J\xC3(", 9) + "\n\x01\x02",
         2,
         "",
         "the header lacks the column(s) Material, Load Type, Phase, Power, Length"},
        {"UnclosedQuote", {}, ok + "\"C2,Copper\n", 2, "", "line 3: a quoted field is not closed"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Run(c.args, c.input), c.exit) << c.name << ": " << err_;
        EXPECT_NE(out_.find(c.out), std::string::npos) << c.name << ": " << out_;
        EXPECT_NE(err_.find(c.err), std::string::npos) << c.name << ": " << err_;
        if (c.exit == 2) { // a message naming the program
            EXPECT_EQ(err_.rfind("ampwise-schedule: ", 0), 0u) << c.name;
        }
    }
}

TEST_F(ScheduleProgram, HelpAndVersion) {
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_EQ(out_.rfind("Usage: ampwise-schedule", 0), 0u);
    // Every line fits a terminal of 80 columns (UTF-8 continuation bytes take none).
    std::size_t column = 0;
    for (char ch : out_) {
        if (ch == '\n') {
            column = 0;
        } else if ((static_cast<unsigned char>(ch) & 0xC0) != 0x80) {
            EXPECT_LE(++column, 80u) << out_;
        }
    }
    EXPECT_EQ(Run({"--version"}), 0);
    EXPECT_EQ(out_, std::string("ampwise-schedule (Ampwise) ") + AMPWISE_VERSION + "\n");
}

TEST_F(ScheduleProgram, AllowedDropFromTheMainWindowsSettings) {
    const std::string input = std::string(kHeader) + "C1,Copper,Resistive,Single,5.5,400\n";
    ASSERT_EQ(Run({}, input), 0) << err_;
    EXPECT_NE(out_.find(",35,"), std::string::npos) << out_; // 5.5 V: 0.77 A per mm²
    test::WriteFile(dir_ / "Brannoworks/Ampwise/Ampwise.ini", "[Settings]\nMaxVoltDrop=11\n");
    ASSERT_EQ(Run({}, input), 0) << err_;
    EXPECT_NE(out_.find(",16,"), std::string::npos) << out_; // 11 V: 1.54 A per mm²
    ASSERT_EQ(Run({"--max-volt-drop", "5.5"}, input), 0) << err_;
    EXPECT_NE(out_.find(",35,"), std::string::npos) << out_;
}

TEST_F(ScheduleProgram, BadDataFileStopsTheRun) {
    test::WriteFile(dir_ / "bad.ini", "[Cable]\nSize=1,,2\n");
    EXPECT_EQ(Run({"--data", dir_ / "bad.ini"}, kHeader), 2);
    EXPECT_NE(err_.find("bad.ini: '' is not a valid floating point value"), std::string::npos)
        << err_;
}

TEST_F(ScheduleProgram, TenMegabyteFieldIsCopiedThrough) {
    const std::string big(10 << 20, 'q');
    EXPECT_EQ(Run({}, std::string(kHeader) + big + ",Copper,Resistive,Single,1,1\n"), 0) << err_;
    EXPECT_NE(out_.find("\n" + big + ",Copper,"), std::string::npos);
}

TEST_F(ScheduleProgram, OutputFileIsWholeOrUntouched) {
    const std::string target = dir_ / "out/result.csv";
    fs::create_directories(dir_ / "out");
    const std::string good = std::string(kHeader) + "C1,Copper,Resistive,Single,5.5,40\n";
    ASSERT_EQ(Run({"-o", target}, good), 0) << err_;
    const std::string written = test::ReadFile(target);
    EXPECT_EQ(written.rfind("Circuit,", 0), 0u);
    EXPECT_TRUE(out_.empty());

    // Runs that fail at the header, half way through, and on an unwritable folder.
    std::string failing = good;
    for (int i = 0; i < 20000; ++i) // more than one buffer is written before the failure
        failing += "C,Copper,Resistive,Single,1,1\n";
    failing += "\"never closed\n";
    EXPECT_EQ(Run({"-o", target}, "no,header\n"), 2);
    EXPECT_EQ(Run({"--output", target}, failing), 2);
    EXPECT_EQ(Run({"-o", dir_ / "nowhere/x.csv"}, good), 2);
    EXPECT_EQ(test::ReadFile(target), written);
    std::size_t files = 0;
    for (const auto& e : fs::directory_iterator(dir_ / "out"))
        files += e.is_regular_file();
    EXPECT_EQ(files, 1u);
}

TEST_F(ScheduleProgram, OutputKeepsTheFilesModeAndGoesToStandardOutputByName) {
    const std::string good = std::string(kHeader) + "C1,Copper,Resistive,Single,5.5,40\n";
    ASSERT_EQ(Run({}, good), 0) << err_;
    const std::string expected = out_;
    const std::string path = dir_ / "private.csv";
    test::WriteFile(path, "old");
    ::chmod(path.c_str(), 0600);
    EXPECT_EQ(Run({"-o", path}, good), 0) << err_;
    EXPECT_EQ(test::ReadFile(path), expected);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    // Written into as the shell would, not replaced (here standard output is a file).
    EXPECT_EQ(Run({"-o", "/dev/stdout"}, good), 0) << err_;
    EXPECT_EQ(out_, expected);
}

// Every example of the README ("$ cat F.csv", its lines, "$ .../ampwise-schedule F.csv", its
// output) prints what the README shows, with the shipped data file.
TEST_F(ScheduleProgram, ReadmeExamples) {
    std::istringstream readme(test::ReadFile(AMPWISE_SOURCE_DIR "/README.md"));
    std::string line, input, expected;
    int examples = 0;
    enum { None, Input, Output } in = None;
    auto check = [&] {
        if (in == Output) {
            ++examples;
            Run({"--data", AMPWISE_SOURCE_DIR "/data/ElecData.ini", "-"}, input);
            EXPECT_EQ(out_, expected);
        }
        in = None;
    };
    while (std::getline(readme, line)) {
        if (line.rfind("    $ cat ", 0) == 0 && line.size() > 4 &&
            line.compare(line.size() - 4, 4, ".csv") == 0) {
            check();
            in = Input;
            input.clear();
        } else if (in == Input && line.rfind("    $ ", 0) == 0 &&
                   line.find("ampwise-schedule ") != std::string::npos) {
            in = Output;
            expected.clear();
        } else if (in != None && line.rfind("    ", 0) == 0) {
            (in == Input ? input : expected) += line.substr(4) + "\n";
        } else {
            check();
        }
    }
    check();
    EXPECT_GE(examples, 2);
}

} // namespace
} // namespace qv
