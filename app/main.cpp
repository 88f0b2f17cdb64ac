// Ampwise's entry point: the modules' start-up steps, the application object, then the windows in
// their order (main window, report, INI editor, About box), of which only the main window shows.
#include "app/QvApplication.h"
#include "inieditor/QvIniPad.h"
#include "mainwindow/QvAmpwiseForm.h"
#include "mainwindow/QvAmpwiseIcons.h"
#include "mainwindow/QvErrorDisplay.h"
#include "report/QvReporter.h"
#include "settings/QvStartup.h"
#include "settings/QvSysUtils.h"
#include "widgets/QvDeferredIcon.h"
#include "messagepool/QvMessagePool.h"
#include "messagepool/QvMessagePoolReceiver.h"
#include "verinfo/QvQuickAbout.h"
#include "toolsmenu/QvToolPrograms.h"

#include <QLocale>
#include <QStyleFactory>
#include <QTimer>

#include <dlfcn.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

using namespace qv;

namespace {

// With AMPWISE_STARTUP_PROBE set, the program reports the moment its first calculation is on
// screen (steady clock, nanoseconds) and closes its main window, as the start-up benchmark needs.
void ArmStartupProbe(TAmpwiseForm& form) {
    if (!std::getenv("AMPWISE_STARTUP_PROBE"))
        return;
    QObject::connect(&form, &TAmpwiseForm::FirstActivationDone, &form, [&form] {
        QTimer::singleShot(0, &form, [&form] {
            const auto now = std::chrono::steady_clock::now().time_since_epoch();
            std::printf("ampwise-ready %lld\n",
                        static_cast<long long>(
                            std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
            std::fflush(stdout);
            form.close();
        });
    });
}

// Reading the font configuration takes milliseconds, and the main window waits for it when its
// first field lays out text. It is read on another core while the application object connects to
// the display; the toolkit then finds it made (the library makes it once per process, whichever
// thread asks first). Where the toolkit has no such library, nothing is read.
std::jthread ReadFontConfiguration() {
    using TInit = int (*)();
    if (auto init = reinterpret_cast<TInit>(::dlsym(RTLD_DEFAULT, "FcInit")))
        return std::jthread(init);
    return {};
}

} // namespace

int main(int argc, char** argv) {
    const std::jthread fontConfiguration = ReadFontConfiguration();
    RunStartupSteps(RegisterMessagePool, FillToolPrograms);
    QLocale::setDefault(QLocale::c());

    TApplication app(argc, argv);
    // The toolkit has just applied the user's locale to the C library: pin numbers to "." again.
    FixNumberSeparators();
    // Every tool bar asks for pictures it shows only when it overflows; reading them would load
    // the image plugins before the first window could show.
    QApplication::setStyle(new TDeferredIconStyle(QStyleFactory::create(app.style()->name())));
    QApplication::setApplicationName("Ampwise");
    QApplication::setWindowIcon(AmpwiseIcon(TAmpwiseIcon::Program));

    try {
        TAmpwiseForm mainForm;
        TReportForm reportForm;
        TIniPadForm iniPadForm(QApplication::arguments().mid(1));
        TAboutForm aboutForm;
        mainForm.SetReportForm(&reportForm);
        mainForm.SetIniPadForm(&iniPadForm);
        mainForm.SetAboutForm(&aboutForm);

        // The program ends with its main window, whatever other window is still open.
        QObject::connect(&mainForm, &TAmpwiseForm::Closed, &app, &QApplication::quit,
                         Qt::QueuedConnection);
        ArmStartupProbe(mainForm);
        // Another of the maker's programs asking for Ampwise (code 3) finds this copy, which
        // comes to the front instead of a second one starting.
        TMessagePoolReceiver receiver("Ampwise");
        QObject::connect(&receiver, &TMessagePoolReceiver::messageReceived, &mainForm,
                         [&mainForm](int code, const QString&) {
                             if (code != 3)
                                 return;
                             mainForm.showNormal();
                             mainForm.raise();
                             mainForm.activateWindow();
                         });
        mainForm.show();
        return app.exec();
    } catch (...) {
        ShowCurrentException();
        return 1;
    }
}
