// The default error display.
#include "mainwindow/QvErrorDisplay.h"

#include "support/QvMessageBox.h"

#include <QApplication>
#include <QMessageBox>

#include <stdexcept>

namespace qv {

namespace {
void ShowInBox(const QString& message) {
    // Messages quote what was typed or read from a file: shown as written, never as markup.
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), message,
                    QMessageBox::Ok, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    FitMessageBox(box);
    box.exec();
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
