// The drawn icons: painted at the device pixel size asked for, not scaled up from 24 x 24.
#include "mainwindow/QvAmpwiseIcons.h"

#include "widgets/QvPaintedIcon.h"
#include "widgets/QvStoredPng.h"

#include <QFile>
#include <QImage>
#include <QPixmap>
#include <gtest/gtest.h>

namespace qv {
namespace {

// Covered area in pixels: anti-aliased edges count by their coverage.
double Coverage(const QImage& image) {
    double n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += qAlpha(image.pixel(x, y)) / 255.0;
    return n;
}

TEST(AmpwiseIcon, EveryIconIsPaintedAtThePhysicalSize) {
    for (TAmpwiseIcon kind : AllAmpwiseIcons) {
        const QIcon icon = AmpwiseIcon(kind);
        const QPixmap normal = icon.pixmap(QSize(24, 24), 1.0);
        const QPixmap hiDpi = icon.pixmap(QSize(24, 24), 2.0);
        ASSERT_EQ(normal.size(), QSize(24, 24));
        ASSERT_EQ(hiDpi.size(), QSize(48, 48));
        EXPECT_DOUBLE_EQ(hiDpi.devicePixelRatio(), 2.0);
        // Something drawn, not the whole square, and about four times the pixels at 2x.
        const double small = Coverage(normal.toImage());
        const double large = Coverage(hiDpi.toImage());
        EXPECT_GT(small, 24 * 24 / 10) << int(kind);
        EXPECT_LT(small, 24 * 24) << int(kind);
        EXPECT_NEAR(large / small, 4.0, 0.3) << int(kind);
        // Drawn once per size: a window's icon is asked for twice as the window is made.
        EXPECT_EQ(icon.pixmap(QSize(24, 24), 1.0).cacheKey(), normal.cacheKey()) << int(kind);
        // Disabled is drawn in greys, not served from the normal drawing of the same size.
        const QImage off = icon.pixmap(QSize(24, 24), 1.0, QIcon::Disabled).toImage();
        bool grey = true;
        for (int y = 0; y < 24; ++y) {
            for (int x = 0; x < 24; ++x) {
                const QRgb p = off.pixel(x, y);
                if (qAlpha(p) == 255 && !(qRed(p) == qGreen(p) && qGreen(p) == qBlue(p)))
                    grey = false;
            }
        }
        if (kind != TAmpwiseIcon::Program) {
            EXPECT_TRUE(grey) << int(kind);
        }
    }
}

// The pixels the build stored are the drawing's own, at every size stored, on a plain screen and
// on a 2x one; so is a size not stored.
TEST(AmpwiseIcon, StoredSizesAreTheDrawingsPixels) {
    const auto image = [](const QIcon& icon, int side, qreal ratio) {
        return icon.pixmap(QSize(side, side) / ratio, ratio)
            .toImage()
            .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    };
    for (TAmpwiseIcon kind : AllAmpwiseIcons) {
        const std::vector<int> sides = BakedSides(kind);
        const QIcon drawn = PaintedIcon(AmpwiseDrawing(kind));
        for (std::size_t i = 0; i < sides.size(); ++i) {
            QFile file(StoredIconPath(kind).arg(sides[i]));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << int(kind) << " at " << sides[i];
            const QImage stored = ReadStoredPng(file.readAll());
            ASSERT_EQ(stored.size(), QSize(sides[i], sides[i])) << int(kind);
            EXPECT_EQ(stored.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                      image(drawn, sides[i], 1.0))
                << int(kind) << " at " << sides[i] << " px";
            for (qreal ratio : {1.0, 2.0})
                EXPECT_EQ(image(AmpwiseIcon(kind), sides[i], ratio), image(drawn, sides[i], ratio))
                    << int(kind) << " at " << sides[i] << " px, ratio " << ratio;
        }
        EXPECT_EQ(image(AmpwiseIcon(kind), 30, 1.0), image(drawn, 30, 1.0)) << int(kind);
    }
}

} // namespace
} // namespace qv
