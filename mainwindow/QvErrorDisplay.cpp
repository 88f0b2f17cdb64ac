// The default error display.
#include "mainwindow/QvErrorDisplay.h"

#include "settings/QvRegistry.h"
#include "widgets/QvMessageBox.h"

#include <QApplication>

#include <stdexcept>

namespace qv {

namespace {
void ShowInBox(const QString& message) {
    // Messages quote what was typed or read from a file: shown as written, never as markup.
    ShowPlainError(QApplication::activeWindow(), message);
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
    } catch (const ERegistryStoreNotUsed&) {
        // The store's own report, shown already, says why: one message for one cause.
    } catch (const std::exception& e) {
        ShowErrorMessage(QString::fromUtf8(e.what()));
    } catch (...) {
        ShowErrorMessage(QStringLiteral("Unknown error."));
    }
}

} // namespace qv
