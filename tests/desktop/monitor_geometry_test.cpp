#include "desktop/monitor_geometry.h"

#include <gtest/gtest.h>

namespace mb {
namespace {

constexpr ScreenRect kMonitor{0, 0, 1920, 1080};

TEST(ClampRectToArea, KeepsARectangleThatFits) {
    EXPECT_EQ(clampRectToArea({100, 100, 550, 800}, kMonitor), (ScreenRect{100, 100, 550, 800}));
    EXPECT_EQ(clampRectToArea(kMonitor, kMonitor), kMonitor);
}

TEST(ClampRectToArea, MovesBackOverEveryEdgeKeepingTheSize) {
    EXPECT_EQ(clampRectToArea({-200, 50, 250, 750}, kMonitor), (ScreenRect{0, 50, 450, 750}));
    EXPECT_EQ(clampRectToArea({1800, 900, 2250, 1600}, kMonitor), (ScreenRect{1470, 380, 1920, 1080}));
    EXPECT_EQ(clampRectToArea({5000, -3000, 5450, -2300}, kMonitor), (ScreenRect{1470, 0, 1920, 700}));
}

TEST(ClampRectToArea, ShrinksSidesLargerThanTheMonitor) {
    EXPECT_EQ(clampRectToArea({-10, -10, 3000, 2000}, kMonitor), kMonitor);
    EXPECT_EQ(clampRectToArea({100, 100, 550, 1300}, kMonitor), (ScreenRect{100, 0, 550, 1080}));
}

TEST(ClampRectToArea, WorksOnAMonitorAwayFromTheOrigin) {
    constexpr ScreenRect second{1920, -200, 3200, 824};
    EXPECT_EQ(clampRectToArea({1800, -300, 2250, 400}, second), (ScreenRect{1920, -200, 2370, 500}));
}

TEST(ClampRectToArea, SurvivesExtremeValues) {
    ScreenRect r = clampRectToArea({INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, kMonitor);
    EXPECT_EQ(r, kMonitor);
}

TEST(CenteredOver, CentresAndTruncatesTowardZero) {
    EXPECT_EQ(centeredOver({0, 0, 200, 100}, {100, 100, 550, 800}), (ScreenPoint{225, 400}));
    // (450 - 201) / 2 = 124 (124.5 truncated); negative owner corner stays exact.
    EXPECT_EQ(centeredOver({0, 0, 201, 101}, {-450, 0, 0, 700}), (ScreenPoint{-450 + 124, 299}));
    // A box wider than the owner goes left of the owner: (100 - 301) / 2 = -100 (-100.5 truncated).
    EXPECT_EQ(centeredOver({0, 0, 301, 50}, {0, 0, 100, 50}), (ScreenPoint{-100, 0}));
}

}  // namespace
}  // namespace mb
