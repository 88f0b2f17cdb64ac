// The drawings of the main window's pictures, and the sizes of each that the build draws ahead of
// time into image files in the program's resources (QvAmpwiseIcons.cpp tells why).
#pragma once

#include "widgets/QvPaintedIcon.h"

#include <array>
#include <vector>

namespace qv {

enum class TAmpwiseIcon {
    Calculate,
    Report,
    Sizes,
    Schedule,
    Reset,
    Settings,
    Help,
    About,
    Motor,
    Program
};

inline constexpr std::array AllAmpwiseIcons{
    TAmpwiseIcon::Calculate, TAmpwiseIcon::Report,   TAmpwiseIcon::Sizes, TAmpwiseIcon::Schedule,
    TAmpwiseIcon::Reset,     TAmpwiseIcon::Settings, TAmpwiseIcon::Help,  TAmpwiseIcon::About,
    TAmpwiseIcon::Motor,     TAmpwiseIcon::Program};

TIconDrawing AmpwiseDrawing(TAmpwiseIcon kind);

// The pixel sizes a start asks for, on a plain screen and on a 2x one.
std::vector<int> BakedSides(TAmpwiseIcon kind);

// Where the build stores the drawing at each of BakedSides, "%1" standing for the side in pixels:
// a PNG file in the program's resources, named after the picture and the side.
QString StoredIconPath(TAmpwiseIcon kind);

} // namespace qv
