// Icons drawn as vector shapes on a 24 x 24 grid, painted at whatever size and device pixel ratio
// they are asked for, so a 2x screen gets a 48 x 48 drawing rather than a blown-up bitmap.
#pragma once

#include <QColor>
#include <QIcon>

#include <QString>

#include <vector>

class QPainter;

namespace qv {

// Draws one picture on the 24 x 24 grid. `ink` outlines, `accent` fills; both are greys when the
// icon is drawn disabled.
using TIconDrawing = void (*)(QPainter& painter, const QColor& ink, const QColor& accent);

// Sizes of the drawing made ahead of time as PNG files (read by ReadStoredPng): `Path` holds "%1"
// where the side in pixels goes, and there is a file for each of `Sides`.
struct TStoredSizes {
    QString Path;
    std::vector<int> Sides;
};

// The stored sizes (not disabled) are read from their files, each when first asked for, instead
// of painted; every other size is painted.
QIcon PaintedIcon(TIconDrawing drawing, TStoredSizes stored = {});

// The paper white of sheets and pages in the drawings.
inline const QColor PaintedIconPaper{0xff, 0xff, 0xff};

} // namespace qv
