// Colour contrast as the accessibility guidelines measure it, and the nearest readable colour.
#include "widgets/QvAccessibility.h"

#include <QColor>
#include <gtest/gtest.h>

namespace qv {
namespace {

TEST(Contrast, RatiosOfKnownPairs) {
    const struct {
        QColor a, b;
        double ratio;
    } cases[] = {
        {Qt::black, Qt::white, 21.0},
        {Qt::white, Qt::black, 21.0},
        {QColor(0x77, 0x77, 0x77), Qt::white, 4.48}, // the grey just short of 4.5
        {QColor(0, 128, 0), Qt::white, 5.14},
        {QColor(0x1e, 0x88, 0xe5), QColor(0x1e, 0x88, 0xe5), 1.0},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(ContrastRatio(c.a, c.b), c.ratio, 0.01) << c.a.name().toStdString();
}

// A readable colour is kept; an unreadable one moves only as far as it must, keeping its hue;
// where nothing of the hue would do, the better of black and white.
TEST(Contrast, ReadableOnMovesAColourOnlyAsFarAsItMust) {
    const QColor dark(0x1e, 0x1e, 0x1e), light(0xfa, 0xfa, 0xfa);
    const struct {
        QColor ink, paper;
        bool kept;
    } cases[] = {
        {QColor(128, 0, 0), light, true},       {QColor(128, 0, 0), dark, false},
        {QColor(0, 128, 0), dark, false},       {QColor(0xff, 0xe0, 0x82), light, false},
        {QColor(0x9e, 0x9e, 0x9e), dark, true},
    };
    for (const auto& c : cases) {
        const QColor out = ReadableOn(c.ink, c.paper);
        SCOPED_TRACE(c.ink.name().toStdString() + " on " + c.paper.name().toStdString());
        EXPECT_GE(ContrastRatio(out, c.paper), 4.5);
        EXPECT_EQ(out == c.ink, c.kept);
        if (!c.kept) {
            EXPECT_LT(ContrastRatio(out, c.paper), 4.6);
            if (c.ink.hslSaturation() > 0) {
                EXPECT_NEAR(out.hslHueF(), c.ink.hslHueF(), 0.01);
            }
        }
    }
    EXPECT_EQ(ReadableOn(Qt::gray, QColor(0x76, 0x76, 0x76), 7.0), QColor(Qt::black));
}

} // namespace
} // namespace qv
