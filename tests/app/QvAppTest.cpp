// The program as built: its default error display, its version block, and a start and close
// with the shipped data under a fresh user folder.
#include "app/QvApplication.h"

#include "mainwindow/QvErrorDisplay.h"
#include "settings/QvIniFiles.h"
#include "messagepool/QvMessagePool.h"
#include "verinfo/QvVerInfo.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <set>
#include <stdexcept>

namespace qv {
namespace {

TApplication& App() {
    static int argc = 1;
    static char name[] = "QvAppTest";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static TApplication app(argc, argv);
    return app;
}

class Thrower : public QObject {
  public:
    int delivered = 0;
    bool event(QEvent* e) override {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        ++delivered;
        if (delivered == 1)
            throw std::runtime_error("Floating point division by zero");
        return true;
    }
};

TEST(TApplication, ErrorEscapingAHandlerIsShownAndTheProgramGoesOn) {
    TApplication& app = App();
    QStringList shown;
    const auto saved = ErrorDisplay;
    ErrorDisplay = [&](const QString& m) { shown << m; };
    Thrower target;
    QEvent first(QEvent::User);
    EXPECT_FALSE(app.notify(&target, &first));
    EXPECT_EQ(shown, QStringList({"Floating point division by zero"}));
    QEvent second(QEvent::User);
    EXPECT_TRUE(app.notify(&target, &second));
    EXPECT_EQ(target.delivered, 2);
    EXPECT_EQ(shown.size(), 1);
    ErrorDisplay = saved;
}

TEST(Program, CarriesItsVersionBlock) {
    EXPECT_EQ(GetProductTitle(std::string(AMPWISE_EXE)), "Ampwise 1.0.1.0");
    EXPECT_EQ(GetFileVersionText(std::string(AMPWISE_EXE)), "1.0.1.0");
    // The help page is a file without one.
    try {
        GetProductTitle(std::string(AMPWISE_HELP));
        ADD_FAILURE() << "no error for a file without version information";
    } catch (const ENoVerInfoError& e) {
        EXPECT_STREQ(e.what(), "No Version Info Available.");
    }
}

// One start of the built program under `home` as its config folder, closed by the start-up probe
// once its first calculation is on screen. A program stuck in a message box is killed.
struct TRun {
    bool finished = false;
    int exitCode = -1;
    QByteArray out, err;
};

TRun RunProgram(const QString& home, const QString& locale = "C.UTF-8",
                const QStringList& arguments = {}, const QStringList& moreEnvironment = {}) {
    App();
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("HOME", home);
    env.insert("XDG_CONFIG_HOME", home);
    env.insert("XDG_RUNTIME_DIR", home);
    env.insert("LC_ALL", locale);
    env.insert("AMPWISE_STARTUP_PROBE", "1");
    for (const QString& setting : moreEnvironment)
        env.insert(setting.section('=', 0, 0), setting.section('=', 1));
    p.setProcessEnvironment(env);
    p.start(AMPWISE_EXE, arguments);
    TRun run;
    run.finished = p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit;
    if (!run.finished) {
        p.kill();
        p.waitForFinished();
    }
    run.exitCode = p.exitCode();
    run.out = p.readAllStandardOutput();
    run.err = p.readAllStandardError();
    return run;
}

TEST(Program, FindsItsSettingsFileBesideIt) {
    // So that a first run's Settings command opens on what can be changed.
    const std::string ini = std::string(AMPWISE_EXE) + ".ini";
    ASSERT_TRUE(QFile::exists(QString::fromStdString(ini)));
    EXPECT_DOUBLE_EQ(TIniFile(ini).ReadReal("Settings", "MaxVoltDrop", -1), 5.5);
}

TEST(Program, StartsWithTheShippedDataAndSavesTheInputsOnClose) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    // A comma-decimal locale must not change how numbers are stored.
    const TRun run = RunProgram(home.path(), "de_DE.UTF-8");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith("ampwise-ready "));

    QFile store(home.path() + "/Brannoworks/user.reg");
    ASSERT_TRUE(store.open(QIODevice::ReadOnly));
    const QByteArray text = store.readAll();
    EXPECT_TRUE(text.contains("[HKEY_CURRENT_USER\\Software\\Brannoworks\\Ampwise\\Settings]"));
    EXPECT_TRUE(text.contains("\"Power\"=hex:00,00,00,00,00,00,16,40")) << text.toStdString();
    EXPECT_TRUE(text.contains("\"AreaUnits\"=dword:00000002")) << text.toStdString();
}

// A copy started while another runs opens its own window; whichever copy ends, the maker's other
// programs still find the one left.
TEST(Program, ASecondCopyIsFoundOnceTheFirstHasEnded) {
    App();
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    qputenv("XDG_RUNTIME_DIR", home.path().toLocal8Bit());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_CONFIG_HOME", home.path());
    QProcess copies[2];
    for (QProcess& p : copies) {
        p.setProcessEnvironment(env);
        p.start(AMPWISE_EXE, {});
        ASSERT_TRUE(p.waitForStarted());
    }
    const std::set<pid_t> both{pid_t(copies[0].processId()), pid_t(copies[1].processId())};
    std::set<pid_t> found;
    for (int i = 0; i < 600 && found != both; ++i) {
        QThread::msleep(50);
        found.clear();
        for (const TAppWindow& w : FindAppWindows("Ampwise"))
            found.insert(w.ProcessId());
    }
    ASSERT_EQ(found, both);

    const pid_t holder = FindAppWindow("Ampwise").ProcessId();
    QProcess& first = copies[0].processId() == holder ? copies[0] : copies[1];
    QProcess& second = &first == &copies[0] ? copies[1] : copies[0];
    first.kill();
    ASSERT_TRUE(first.waitForFinished());
    TAppWindow window = FindAppWindow("Ampwise");
    EXPECT_EQ(window.ProcessId(), pid_t(second.processId()));
    EXPECT_TRUE(SendPoolMessage(std::string(), window, 3)) << "it answers";
    // And it takes over the title itself, for programs that look only for that name.
    const QString folder = home.path() + "/Brannoworks/";
    const QString own = folder + QStringLiteral("Ampwise@%1").arg(second.processId());
    struct stat title {
    }, ownName{};
    ASSERT_EQ(stat(own.toLocal8Bit().constData(), &ownName), 0);
    for (int i = 0; i < 600 && title.st_ino != ownName.st_ino; ++i) {
        QThread::msleep(50);
        stat((folder + "Ampwise").toLocal8Bit().constData(), &title);
    }
    EXPECT_EQ(title.st_ino, ownName.st_ino);
    second.kill();
    second.waitForFinished();
    qunsetenv("XDG_RUNTIME_DIR");
}

// The part of the program with printing, the editing component and the chart library is loaded
// from beside the program when first needed, not at every start: here when the INI editor loads
// a file named on the command line. Preloaded with every symbol bound at once, it finds all the
// program's code it runs on.
TEST(Program, LoadsItsPrintingEditingAndChartPartOnlyWhenFirstNeeded) {
    const QString part = QFileInfo(AMPWISE_EXE).absolutePath() + "/libampwise_ondemand.so";
    struct Row {
        const char* what;
        bool namesAFile;
        QStringList environment;
        bool loaded;
    };
    const Row rows[] = {
        {"a plain start", false, {}, false},
        {"a settings file named on the command line", true, {}, true},
        {"the part preloaded and bound at once",
         false,
         // A sanitizer build's runtime would otherwise have to come first.
         {"LD_PRELOAD=" + part, "LD_BIND_NOW=1",
          "ASAN_OPTIONS=" + qEnvironmentVariable("ASAN_OPTIONS") + ":verify_asan_link_order=0"},
         true}};
    for (const Row& r : rows) {
        QTemporaryDir home;
        ASSERT_TRUE(home.isValid());
        const QString named = home.path() + "/named.ini";
        QFile ini(named);
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[Settings]\nMaxVoltDrop=5.5\n");
        ini.close();
        // The dynamic loader names every library it loads, in a file per process.
        const QString log = home.path() + "/loaded";
        const TRun run =
            RunProgram(home.path(), "C.UTF-8", r.namesAFile ? QStringList{named} : QStringList{},
                       QStringList{"LD_DEBUG=files", "LD_DEBUG_OUTPUT=" + log} + r.environment);
        ASSERT_TRUE(run.finished) << r.what << ": a message box stopped the start";
        EXPECT_EQ(run.exitCode, 0) << r.what << " " << run.err.toStdString();
        EXPECT_TRUE(run.out.startsWith("ampwise-ready ")) << r.what;
        QByteArray loaded;
        for (const QString& f : QDir(home.path()).entryList({"loaded.*"})) {
            QFile file(home.path() + "/" + f);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            loaded += file.readAll();
        }
        ASSERT_TRUE(loaded.contains("libQt6Widgets")) << r.what << ": no loader log";
        for (const char* library :
             {"libampwise_ondemand", "libQt6PrintSupport", "libqscintilla2", "libQt6Charts"})
            EXPECT_EQ(loaded.contains(library), r.loaded) << r.what << ": " << library;
    }
}

TEST(Program, StartsWhateverKindTheEditorsPlacementValuesHave) {
    for (const char* value : {"\"Left\"=hex:01", "\"WinState\"=hex:02,00,00,00"}) {
        QTemporaryDir home;
        ASSERT_TRUE(QDir(home.path()).mkpath("Brannoworks"));
        QFile store(home.path() + "/Brannoworks/user.reg");
        ASSERT_TRUE(store.open(QIODevice::WriteOnly));
        store.write(QByteArray("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Brannoworks\\Ampwise\\"
                               "IniPadForm]\n") +
                    value + "\n");
        store.close();
        const TRun run = RunProgram(home.path());
        EXPECT_TRUE(run.finished) << value << ": still running, a message box stopped the start";
        EXPECT_EQ(run.exitCode, 0) << value << " " << run.err.toStdString();
        EXPECT_TRUE(run.out.startsWith("ampwise-ready ")) << value;
    }
}

} // namespace
} // namespace qv
