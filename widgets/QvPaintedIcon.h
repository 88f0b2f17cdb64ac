// Icons drawn as vector shapes on a 24 x 24 grid, painted at whatever size and device pixel ratio
// they are asked for, so a 2x screen gets a 48 x 48 drawing rather than a blown-up bitmap.
#pragma once

#include <QColor>
#include <QIcon>

#include <span>

class QPainter;

namespace qv {

// Draws one picture on the 24 x 24 grid. `ink` outlines, `accent` fills; both are greys when the
// icon is drawn disabled.
using TIconDrawing = void (*)(QPainter& painter, const QColor& ink, const QColor& accent);

// The drawing's pixels at one size, made ahead of time: side x side premultiplied ARGB values,
// row by row, in storage that lives as long as the program.
struct TBakedPixels {
    int Side;
    const quint32* Pixels;
};

// `baked` serves those sizes (not disabled) without painting; every other is painted.
QIcon PaintedIcon(TIconDrawing drawing, std::span<const TBakedPixels> baked = {});

// The paper white of sheets and pages in the drawings.
inline const QColor PaintedIconPaper{0xff, 0xff, 0xff};

} // namespace qv
