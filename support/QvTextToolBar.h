// The tool bar of text buttons that the report and Cable Sizes windows carry at their top.
#pragma once

class QToolBar;
class QToolButton;
class QWidget;

namespace qv {

// Fixed in place, text only.
QToolBar* TextToolBar(QWidget* parent);
// A text button named `name`, with its caption ("&" marks its key) and hint, added at the end.
QToolButton* AddTextButton(QToolBar* bar, const char* name, const char* caption, const char* hint);

} // namespace qv
