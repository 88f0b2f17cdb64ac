// The default error display.
#include "mainwindow/QvErrorDisplay.h"

#include <QApplication>
#include <QMessageBox>

#include <stdexcept>

namespace qv {

namespace {
void ShowInBox(const QString& message) {
    QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationName(), message);
}
} // namespace

std::function<void(const QString&)> ErrorDisplay = ShowInBox;

void ShowErrorMessage(const QString& message) {
    if (ErrorDisplay)
        ErrorDisplay(message);
}

void ShowCurrentException() {
    try {
        throw;
    } catch (const std::exception& e) {
        ShowErrorMessage(QString::fromUtf8(e.what()));
    } catch (...) {
        ShowErrorMessage(QStringLiteral("Unknown error."));
    }
}

} // namespace qv
