// Reading the PNG files a build stores its pictures in, without Qt's image reader: its first use
// looks through every image plugin, milliseconds that a start would spend before its first window.
#pragma once

#include <QByteArrayView>
#include <QImage>

namespace qv {

// Larger pictures are refused: the stored ones are at most a 2x window icon.
inline constexpr int MaxStoredPngSide = 1024;

// The pixels of a PNG file of 8-bit RGBA, not interlaced, as a straight-alpha RGBA image; a file
// of any other kind, damaged or cut short, gives a null image.
QImage ReadStoredPng(QByteArrayView png);

} // namespace qv
