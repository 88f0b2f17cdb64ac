// Where a window goes the first time it opens, before it has a placement of its own: beside the
// window it works with, so that both can be seen.
#pragma once

#include <QRect>
#include <QSize>

class QWidget;

namespace qv {

class TRegistryIniFile;

// The frame of a window `size` big (frame included) beside `anchor` within `screen`: to the
// right, left, below or above where it fits whole; else narrowed or shortened, down to `minimum`,
// where the most of it fits; else, at its size (no bigger than the screen), where it covers the
// least of `anchor`. `gap` is left between the two.
QRect PlaceBeside(const QRect& anchor, QSize size, QSize minimum, const QRect& screen, int gap = 8);

// Moves and sizes `window` (not shown yet) beside `anchor`, on the anchor's screen, as
// PlaceBeside says: `size` and `minimum` are without the frame; an empty `size` is the window's
// own and an empty `minimum` its minimum size hint. Nothing without an anchor.
void PlaceWindowBeside(QWidget* window, const QWidget* anchor, QSize size = {}, QSize minimum = {});
// The same unless the store holds a placement of the window's own (under its object name),
// which wins.
void PlaceBesideUnlessKept(QWidget* window, const QWidget* anchor, const TRegistryIniFile& store);

} // namespace qv
