// The main window's icons. Painting the window icon's four sizes and the tool bar's pictures took
// a start over a millisecond before its first window showed, so the sizes a start asks for are
// drawn by the build, with the same drawings, into PNG files in the program's resources, each read
// when first asked for; any other size or the disabled look is painted when asked for.
#include "mainwindow/QvAmpwiseIcons.h"

namespace qv {

QIcon AmpwiseIcon(TAmpwiseIcon kind) {
    return PaintedIcon(AmpwiseDrawing(kind), {StoredIconPath(kind), BakedSides(kind)});
}

} // namespace qv
