// What the windows tell assistive technology beyond what Qt's widgets say of themselves.
#pragma once

class QColor;
class QString;
class QToolBar;
class QWidget;

namespace qv {

// Makes `text` the name of `statusBar`, so that a screen reader hears a status that matters
// ("Solved...") as it changes: a status bar's temporary message raises no event at all, and a
// label's new text is easily passed over.
void AnnounceStatus(QWidget* statusBar, const QString& text);

// How far two colours stand apart, as the web's accessibility guidelines measure it: from 1 (the
// same) to 21 (black on white). Text wants 4.5 against its background.
double ContrastRatio(const QColor& a, const QColor& b);
// `ink` where it stands out against `paper` by `ratio`, else the least lighter or darker colour
// of its hue that does (or black or white, whichever stands out more, when none does). So a
// colour chosen on a light background stays exactly that there, and stays readable on a dark one.
QColor ReadableOn(const QColor& ink, const QColor& paper, double ratio = 4.5);

// Names the button a tool bar shows when its buttons do not fit (Qt leaves it nameless).
void NameToolBarExtension(QToolBar* bar);

} // namespace qv
