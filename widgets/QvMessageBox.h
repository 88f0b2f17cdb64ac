// Message boxes sized for what they show.
#pragma once

class QMessageBox;
class QString;
class QWidget;

namespace qv {

// Widens `box`, as far as the screen lets a message box grow, so that a window frame shows its
// title whole beside the frame's icon and buttons, and so that no line of its text is broken (a
// path on a line of its own stays whole). Call it once the box has its title, text and icon.
void FitMessageBox(QMessageBox& box);

// The application's title, as message boxes and the report show it.
QString ApplicationTitle();

// A failure told in a box titled with the application's title, modal over `parent`. The text is
// shown as written: a path or a printer name in it is never taken for markup.
void ShowPlainError(QWidget* parent, const QString& text);

} // namespace qv
