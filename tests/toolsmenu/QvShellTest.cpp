// Tools menu and program runner: the program table and its groupings, the submenu a runner
// builds, the messages for programs that can't run, a running copy reached instead of started,
// and a start that passes exactly the path and arguments.
#include "toolsmenu/QvShell.h"

#include "settings/QvApplicationPath.h"
#include "tests/testsupport/UiTestFixture.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QWidget>

#include <fcntl.h>
#include <unistd.h>

#include <set>

namespace {

using qv::ToolSeparator;

QStringList ReadLines(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// A separator shows as "|", followed by any text it carries: a style that draws menu sections
// shows that text beside the line.
QStringList MenuTexts(const QMenu& menu) {
    QStringList texts;
    for (QAction* a : menu.actions())
        texts << (a->isSeparator() ? QStringLiteral("|") + a->text() : a->text());
    return texts;
}

TEST(ToolProgramTable, RowsUnderTheMakerAndProgramFolders) {
    qv::MakerPath = "/opt/Brannoworks/";
    qv::ProgramFilesPath = "/opt/";
    qv::FillToolPrograms();
    int maker = 0, deeper = 0, programFiles = 0;
    std::set<std::string> paths, captions;
    const QRegularExpression captionForm(QStringLiteral("^\\S[^-]* - \\S.*\\S$"));
    for (const qv::TToolProgram& p : qv::ToolPrograms) {
        SCOPED_TRACE(p.Path);
        paths.insert(p.Path);
        captions.insert(p.Caption);
        EXPECT_TRUE(captionForm.match(QString::fromStdString(p.Caption)).hasMatch()) << p.Caption;
        EXPECT_EQ(p.Path.find(".exe"), std::string::npos);
        if (p.Path.starts_with(qv::MakerPath)) {
            const auto rel = p.Path.substr(qv::MakerPath.size());
            const auto slashes = std::count(rel.begin(), rel.end(), '/');
            EXPECT_TRUE(slashes == 1 || slashes == 2) << rel;
            ++maker;
            deeper += slashes == 2;
        } else {
            EXPECT_EQ(p.Path.rfind('/'), qv::ProgramFilesPath.size() - 1) << "a bare file name";
            ++programFiles;
        }
    }
    EXPECT_EQ(maker, 29);
    EXPECT_EQ(deeper, 5);
    EXPECT_EQ(programFiles, 2);
    EXPECT_EQ(paths.size(), qv::ToolProgramCount);
    EXPECT_EQ(captions.size(), qv::ToolProgramCount);
    EXPECT_EQ(qv::ToolPrograms[qv::AmpwiseToolRow].Path, "/opt/Brannoworks/Ampwise/Ampwise");
    EXPECT_TRUE(qv::ToolPrograms[qv::AmpwiseToolRow].Caption.starts_with("Ampwise - "));
}

TEST(ToolProgramTable, GroupingsAreBuiltFromTheirBlocks) {
    auto count = [](const std::vector<int>& g, bool separators) {
        return std::count_if(g.begin(), g.end(),
                             [&](int e) { return (e == ToolSeparator) == separators; });
    };
    auto join = [](std::initializer_list<std::vector<int>> parts) {
        std::vector<int> out;
        for (const auto& p : parts)
            out.insert(out.end(), p.begin(), p.end());
        return out;
    };
    const auto b8 = qv::ToolGrouping(8), b9 = qv::ToolGrouping(9), b10 = qv::ToolGrouping(10);
    EXPECT_EQ(count(b8, true), 3);
    EXPECT_EQ(count(b9, true), 0);
    EXPECT_EQ(count(b10, true), 0);
    const auto g0 = qv::ToolGrouping(0), g1 = qv::ToolGrouping(1);
    EXPECT_EQ(g0, join({b10, {ToolSeparator}, b9, {ToolSeparator}, b8}));
    ASSERT_EQ(g1.size(), g0.size() + 3);
    EXPECT_TRUE(std::equal(g0.begin(), g0.end(), g1.begin() + 3)) << "three rows ahead of 0";
    EXPECT_EQ(count(g1, false), 27);
    EXPECT_EQ(count(g1, true), 5);
    EXPECT_NE(std::find(g1.begin(), g1.end(), int(qv::AmpwiseToolRow)), g1.end());

    for (int g = 0; g < qv::ToolGroupingCount; ++g) {
        SCOPED_TRACE(g);
        const auto seq = qv::ToolGrouping(g);
        ASSERT_FALSE(seq.empty());
        EXPECT_NE(seq.front(), ToolSeparator);
        EXPECT_NE(seq.back(), ToolSeparator);
        std::set<int> seen;
        for (std::size_t i = 0; i < seq.size(); ++i) {
            if (seq[i] == ToolSeparator) {
                EXPECT_NE(seq[i - 1], ToolSeparator) << "two separators in a row";
                continue;
            }
            EXPECT_GE(seq[i], 0);
            EXPECT_LT(seq[i], int(qv::ToolProgramCount));
            EXPECT_TRUE(seen.insert(seq[i]).second) << "row listed twice: " << seq[i];
        }
    }
    EXPECT_TRUE(qv::ToolGrouping(12).empty());
    EXPECT_TRUE(qv::ToolGrouping(-1).empty());
}

class Runner : public qv::test::UiTestFixture {
  protected:
    void SetUp() override {
        UiTestFixture::SetUp();
        qv::MakerPath = (tempDir() + QStringLiteral("/Brannoworks/")).toStdString();
        qv::ProgramFilesPath = (tempDir() + QStringLiteral("/opt/")).toStdString();
        qv::FillToolPrograms();
    }
    // Runs `path` and returns the text of the information box it shows.
    QString MessageOf(const QString& path) {
        QString text = QStringLiteral("(no box)");
        onNextModal([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (box) {
                text = box->text();
                EXPECT_EQ(box->windowTitle(), QApplication::applicationDisplayName());
                EXPECT_EQ(box->icon(), QMessageBox::NoIcon) << "a plain box";
                EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
            }
            w->close();
        });
        qv::RunProgram(path, QString());
        return text;
    }
    QWidget m_owner;
    QMenu m_tools{QStringLiteral("&Tools")};
};

TEST_F(Runner, ItemsGoInAtTheTopAndOwnCaptionIsSkippedInAnyCase) {
    qv::qvApplicationRunner runner(&m_owner, -1,
                                   QStringLiteral("Ampwise - Cable Sizing Calculator"), &m_tools);
    EXPECT_TRUE(m_tools.actions().isEmpty()) << "no grouping, no items";
    runner.AddProgramItem(QStringLiteral("A"), QStringLiteral("/x/A"));
    runner.AddProgramItem(QStringLiteral("-"), QString());
    runner.AddProgramItem(QStringLiteral("AMPWISE - cable sizing CALCULATOR"),
                          QStringLiteral("/x/Me"));
    runner.AddProgramItem(QStringLiteral("B"), QStringLiteral("/x/B"));
    EXPECT_EQ(MenuTexts(m_tools), (QStringList{"B", "|", "A"}));
    const auto items = m_tools.actions();
    EXPECT_EQ(items[0]->statusTip(), "/x/B");
    EXPECT_EQ(items[1]->statusTip(), "");
    EXPECT_EQ(items[2]->parent(), &m_owner);
}

TEST_F(Runner, ToolsMenuOfAmpwiseShowsGroupingOneReversedWithoutItself) {
    const QString own = QString::fromStdString(qv::ToolPrograms[qv::AmpwiseToolRow].Caption);
    new qv::qvApplicationRunner(&m_owner, 1, own, &m_tools);
    QStringList expected;
    for (int row : qv::ToolGrouping(1)) {
        if (row == ToolSeparator)
            expected.prepend(QStringLiteral("|"));
        else if (row != int(qv::AmpwiseToolRow))
            expected.prepend(QString::fromStdString(qv::ToolPrograms[std::size_t(row)].Caption));
    }
    EXPECT_EQ(MenuTexts(m_tools), expected);
    EXPECT_EQ(expected.count(QStringLiteral("|")), 5);
    EXPECT_EQ(expected.size(), 26 + 5);
    EXPECT_FALSE(expected.contains(own));
}

TEST_F(Runner, ProgramsThatCannotRunAreReported) {
    const QString folder = tempDir() + QStringLiteral("/Brannoworks/Heatloss");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString plain = folder + QStringLiteral("/Heatloss");
    QFile f(plain);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\n");
    f.close();
    ASSERT_TRUE(f.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
    const QString missing = tempDir() + QStringLiteral("/Brannoworks/Gasline/Gasline");

    EXPECT_EQ(qv::NotFoundMessage(missing), missing + "\r" + "not found...");
    EXPECT_EQ(qv::NotExecutableMessage(plain), plain + "\r\n" + "Program not executable...");
    struct Row {
        const char* name;
        QString path;
        QString shown;
    };
    const Row rows[] = {
        {"no file", missing, missing + "\nnot found..."},
        {"file without execute permission", plain, plain + "\nProgram not executable..."},
        {"folder", folder, folder + "\nProgram not executable..."},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(MessageOf(r.path), r.shown);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "nothing was started";
    }
}

TEST_F(Runner, MenuClickOnAMissingProgramReportsIt) {
    qv::qvApplicationRunner runner(&m_owner, 9, QString(), &m_tools);
    QAction* item = m_tools.actions().constLast(); // the grouping's first row
    ASSERT_EQ(item->text().toStdString(), qv::ToolPrograms[8].Caption);
    QString text;
    onNextModal([&](QWidget* w) {
        if (auto* box = qobject_cast<QMessageBox*>(w))
            text = box->text();
        w->close();
    });
    item->trigger();
    EXPECT_EQ(text, QString::fromStdString(qv::ToolPrograms[8].Path) + "\nnot found...");
}

TEST_F(Runner, RunningCopyGetsCodeThreeAndNoSecondCopyStarts) {
    const QString out = tempDir() + QStringLiteral("/receiver.out");
    const QString starts = tempDir() + QStringLiteral("/receiver.starts");
    qputenv("QV_POOL_OUT", out.toLocal8Bit());
    qputenv("QV_POOL_STARTLOG", starts.toLocal8Bit());
    qputenv("QV_POOL_COUNT", "1");
    qunsetenv("QV_POOL_TITLE");
    QProcess receiver;
    receiver.start(QStringLiteral(QV_POOL_RECEIVER), {});
    ASSERT_TRUE(receiver.waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(ReadLines(out), QStringList{"ready"}, 10000);

    qv::RunProgram(QStringLiteral(QV_POOL_RECEIVER), QString());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "no start, so no start feedback";
    ASSERT_TRUE(receiver.waitForFinished(10000));
    EXPECT_EQ(receiver.exitCode(), 0);
    EXPECT_EQ(ReadLines(out), (QStringList{"ready", "3|"}));
    EXPECT_EQ(ReadLines(starts).size(), 1);
}

TEST_F(Runner, StartPassesThePathAsArgumentZeroWithoutAShell) {
    // A folder name a shell would take apart or act on.
    const QString folder = tempDir() + QStringLiteral("/Tools dir; $(touch pwned) 'q'");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString program = folder + QStringLiteral("/Recorder");
    ASSERT_TRUE(QFile::copy(QStringLiteral(QV_ARG_RECORDER), program));
    const QString out = tempDir() + QStringLiteral("/args.out");
    qputenv("QV_ARGREC_OUT", out.toLocal8Bit());
    qputenv("QV_ARGREC_MARK", "from the caller");
    // A descriptor opened without close-on-exec: the started program must not get it.
    const int leaky = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(leaky, 3);

    struct Row {
        const char* name;
        QString parameters;
        QStringList argv;
    };
    const Row rows[] = {
        {"menu start, no parameters", QString(), {program}},
        {"parameters split as a command line",
         QStringLiteral("alpha \"two words\" $HOME"),
         {program, "alpha", "two words", "$HOME"}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        QFile::remove(out);
        qv::RunProgram(program, r.parameters);
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(out), 10000);
        const QStringList lines = ReadLines(out);
        QStringList expected{QStringLiteral("argc=%1").arg(r.argv.size())};
        for (int i = 0; i < r.argv.size(); ++i)
            expected << QStringLiteral("argv[%1]=%2").arg(i).arg(r.argv[i]);
        ASSERT_GE(lines.size(), expected.size() + 3);
        EXPECT_EQ(lines.mid(0, expected.size()), expected);
        const QStringList fds = lines[expected.size()].mid(4).split(' ', Qt::SkipEmptyParts);
        for (const QString& fd : fds)
            EXPECT_LT(fd.toInt(), 3) << "descriptor " << fd.toStdString() << " was inherited";
        EXPECT_EQ(lines[expected.size() + 1], QStringLiteral("cwd=") + QDir::currentPath());
        EXPECT_EQ(lines[expected.size() + 2], QStringLiteral("mark=from the caller"));
        // The program has ended, so the busy cursor goes.
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::overrideCursor(), nullptr, 10000);
    }
    ::close(leaky);
    EXPECT_FALSE(QFile::exists(QDir::current().filePath(QStringLiteral("pwned"))));
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("/pwned")));
}

} // namespace
