// The application object and its default error display.
#include "app/QvApplication.h"

#include "mainwindow/QvErrorDisplay.h"

namespace qv {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowCurrentException();
        return false;
    }
}

} // namespace qv
