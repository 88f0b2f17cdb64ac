// The tool bar of text buttons that the report and Cable Sizes windows carry at their top.
#pragma once

#include <QToolButton>

class QToolBar;
class QWidget;

namespace qv {

// Fixed in place, text only.
QToolBar* TextToolBar(QWidget* parent);
// A text button named `name`, with its caption ("&" marks its key) and hint, added at the end.
QToolButton* AddTextButton(QToolBar* bar, const char* name, const char* caption, const char* hint);
// The same, running `handler` of `receiver` when clicked.
template <typename Receiver, typename Handler>
QToolButton* AddTextButton(QToolBar* bar, const char* name, const char* caption, const char* hint,
                           Receiver* receiver, Handler handler) {
    QToolButton* button = AddTextButton(bar, name, caption, hint);
    QObject::connect(button, &QToolButton::clicked, receiver, handler);
    return button;
}

} // namespace qv
