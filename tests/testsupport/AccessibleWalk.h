// Walks a window as a screen reader does, through the accessibility interfaces Qt gives each
// widget, and lists what such a reader could not tell its user.
#pragma once

#include <QStringList>

class QWidget;

namespace qv::test {

// Every visible control of `window` that takes focus or can be acted on, and every column
// header, needs a name; two different controls of one window may not share a name unless they
// run the same action; no two visible buttons or buddied labels may underline the same letter.
// One line per problem, naming the control's class and object name.
QStringList AccessibilityProblems(QWidget* window);

// The name a screen reader hears for `widget`: its own, or for a drop-down list its label's.
QString AccessibleName(QWidget* widget);

} // namespace qv::test
