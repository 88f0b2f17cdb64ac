// Message boxes sized for what they show.
#pragma once

class QMessageBox;

namespace qv {

// Widens `box`, as far as the screen lets a message box grow, so that a window frame shows its
// title whole beside the frame's icon and buttons, and so that no line of its text is broken (a
// path on a line of its own stays whole). Call it once the box has its title, text and icon.
void FitMessageBox(QMessageBox& box);

} // namespace qv
