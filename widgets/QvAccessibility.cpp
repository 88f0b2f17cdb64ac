// What the windows tell assistive technology (see QvAccessibility.h).
#include "widgets/QvAccessibility.h"

#include <QString>
#include <QToolBar>
#include <QToolButton>

namespace qv {

void AnnounceStatus(QWidget* statusBar, const QString& text) {
    // Setting the name raises the name-change event itself.
    if (statusBar && statusBar->accessibleName() != text)
        statusBar->setAccessibleName(text);
}

void NameToolBarExtension(QToolBar* bar) {
    if (auto* more = bar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button")))
        more->setAccessibleName(QStringLiteral("More commands"));
}

} // namespace qv
