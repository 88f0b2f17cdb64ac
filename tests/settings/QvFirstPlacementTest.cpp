// A new window's first place beside the window it works with: hand-worked cases of room on
// each side, too little room, and a window bigger than the screen.
#include "settings/QvFirstPlacement.h"

#include <gtest/gtest.h>

#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QRect& r, std::ostream* os) {
    *os << "(" << r.x() << ", " << r.y() << ", " << r.width() << " x " << r.height() << ")";
}
QT_END_NAMESPACE

namespace qv {
namespace {

TEST(PlaceBeside, HandWorkedCases) {
    const QRect desk(0, 0, 1280, 1024);
    const struct {
        const char* name;
        QRect screen, anchor;
        QSize size, minimum;
        QRect expected;
    } cases[] = {
        {"RightBeforeLeft",
         desk,
         {500, 100, 200, 300},
         {400, 300},
         {300, 200},
         {708, 100, 400, 300}},
        {"RightWhenThereIsRoom",
         desk,
         {0, 0, 400, 500},
         {600, 400},
         {300, 200},
         {408, 0, 600, 400}},
        {"LeftWhenTheRightIsShort",
         desk,
         {700, 100, 500, 500},
         {600, 400},
         {300, 200},
         {92, 100, 600, 400}},
        {"BelowWhenNeitherSideHasRoom",
         desk,
         {200, 0, 880, 300},
         {600, 400},
         {300, 200},
         {200, 308, 600, 400}},
        {"AboveWhenBelowIsShort",
         desk,
         {200, 700, 880, 324},
         {600, 400},
         {300, 200},
         {200, 292, 600, 400}},
        {"BesideKeptOnTheScreen",
         desk,
         {0, 800, 400, 200},
         {600, 400},
         {300, 200},
         {408, 624, 600, 400}},
        {"NarrowedToFitBeside",
         desk,
         {0, 0, 400, 1024},
         {1180, 620},
         {500, 300},
         {408, 0, 872, 620}},
        {"TheBiggerOfTwoNarrowedPlaces",
         desk,
         {0, 0, 400, 300},
         {2000, 1500},
         {500, 300},
         {0, 308, 1280, 716}},
        {"TooBigCoversTheLeast",
         {0, 0, 1280, 800},
         {0, 0, 400, 800},
         {1180, 620},
         {1180, 620},
         {100, 0, 1180, 620}},
        {"TooBigOnTheRightCoversTheLeast",
         {0, 0, 1280, 800},
         {880, 0, 400, 800},
         {1180, 620},
         {1180, 620},
         {0, 0, 1180, 620}},
        {"SecondScreen",
         {1280, 0, 1920, 1080},
         {1300, 50, 400, 500},
         {600, 400},
         {300, 200},
         {1708, 50, 600, 400}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlaceBeside(c.anchor, c.size, c.minimum, c.screen), c.expected) << c.name;
}

} // namespace
} // namespace qv
