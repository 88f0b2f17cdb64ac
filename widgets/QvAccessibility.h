// What the windows tell assistive technology beyond what Qt's widgets say of themselves.
#pragma once

class QString;
class QToolBar;
class QWidget;

namespace qv {

// Makes `text` the name of `statusBar`, so that a screen reader hears a status that matters
// ("Solved...") as it changes: a status bar's temporary message raises no event at all, and a
// label's new text is easily passed over.
void AnnounceStatus(QWidget* statusBar, const QString& text);

// Names the button a tool bar shows when its buttons do not fit (Qt leaves it nameless).
void NameToolBarExtension(QToolBar* bar);

} // namespace qv
