// The pictures of the main window: tool-bar icons, the motor button and the program emblem, drawn
// as vector shapes so they stay crisp at any size and device pixel ratio.
#pragma once

#include "mainwindow/QvAmpwiseDrawings.h"

#include <QIcon>

namespace qv {

// An icon that paints the shape at whatever size and pixel ratio it is asked for; the shapes are
// laid out on a 24 x 24 grid.
QIcon AmpwiseIcon(TAmpwiseIcon kind);

} // namespace qv
