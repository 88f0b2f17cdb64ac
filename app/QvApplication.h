// The application object of Ampwise: a QApplication whose event delivery is the program's default
// error display.
#pragma once

#include <QApplication>

namespace qv {

class TApplication : public QApplication {
    Q_OBJECT

  public:
    TApplication(int& argc, char** argv);

    // An exception escaping the handling of one event is shown in a message box titled with the
    // application's title; the event counts as not handled and the program goes on.
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace qv
