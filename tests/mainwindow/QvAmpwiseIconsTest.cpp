// The drawn icons: painted at the device pixel size asked for, not scaled up from 24 x 24.
#include "mainwindow/QvAmpwiseIcons.h"

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
    for (TAmpwiseIcon kind :
         {TAmpwiseIcon::Calculate, TAmpwiseIcon::Report, TAmpwiseIcon::Sizes,
          TAmpwiseIcon::Schedule, TAmpwiseIcon::Reset, TAmpwiseIcon::Settings, TAmpwiseIcon::Help,
          TAmpwiseIcon::About, TAmpwiseIcon::Motor, TAmpwiseIcon::Program}) {
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

} // namespace
} // namespace qv
