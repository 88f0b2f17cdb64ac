// The program as built: its default error display, its version block, and a start and close
// with the shipped data under a fresh user folder.
#include "app/QvApplication.h"

#include "mainwindow/QvErrorDisplay.h"
#include "support/QvVerInfo.h"

#include <QEvent>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
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

TEST(Program, StartsWithTheShippedDataAndSavesTheInputsOnClose) {
    App();
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_CONFIG_HOME", home.path());
    env.insert("XDG_RUNTIME_DIR", home.path());
    // A comma-decimal locale must not change how numbers are stored.
    env.insert("LC_ALL", "de_DE.UTF-8");
    env.insert("AMPWISE_STARTUP_PROBE", "1");
    p.setProcessEnvironment(env);
    p.start(AMPWISE_EXE, {});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_TRUE(p.readAllStandardOutput().startsWith("ampwise-ready "));

    QFile store(home.path() + "/Brannoworks/user.reg");
    ASSERT_TRUE(store.open(QIODevice::ReadOnly));
    const QByteArray text = store.readAll();
    EXPECT_TRUE(text.contains("[HKEY_CURRENT_USER\\Software\\Brannoworks\\Ampwise\\Settings]"));
    EXPECT_TRUE(text.contains("\"Power\"=hex:00,00,00,00,00,00,16,40")) << text.toStdString();
    EXPECT_TRUE(text.contains("\"AreaUnits\"=dword:00000002")) << text.toStdString();
}

} // namespace
} // namespace qv
