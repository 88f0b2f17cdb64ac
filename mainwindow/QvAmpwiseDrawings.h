// The drawings of the main window's pictures, and the sizes of each that the build draws ahead of
// time into the program (QvAmpwiseIcons.cpp tells why).
#pragma once

#include "widgets/QvPaintedIcon.h"

#include <array>
#include <span>
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

// The drawing's pixels at each of BakedSides, in that order. Defined by the file the build
// generates with BakeIcons.
std::span<const TBakedPixels> BakedPixels(TAmpwiseIcon kind);

} // namespace qv
