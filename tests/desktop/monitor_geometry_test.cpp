#include "desktop/monitor_geometry.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "desktop/window_stack.h"

namespace mb {
namespace {

constexpr Rect kMonitor{0, 0, 1920, 1080};

TEST(ClampRectToArea, KeepsARectangleThatFits) {
    EXPECT_EQ(clampRectToArea({100, 100, 550, 800}, kMonitor), (Rect{100, 100, 550, 800}));
    EXPECT_EQ(clampRectToArea(kMonitor, kMonitor), kMonitor);
}

TEST(ClampRectToArea, MovesBackOverEveryEdgeKeepingTheSize) {
    EXPECT_EQ(clampRectToArea({-200, 50, 250, 750}, kMonitor), (Rect{0, 50, 450, 750}));
    EXPECT_EQ(clampRectToArea({1800, 900, 2250, 1600}, kMonitor), (Rect{1470, 380, 1920, 1080}));
    EXPECT_EQ(clampRectToArea({5000, -3000, 5450, -2300}, kMonitor), (Rect{1470, 0, 1920, 700}));
}

TEST(ClampRectToArea, ShrinksSidesLargerThanTheMonitor) {
    EXPECT_EQ(clampRectToArea({-10, -10, 3000, 2000}, kMonitor), kMonitor);
    EXPECT_EQ(clampRectToArea({100, 100, 550, 1300}, kMonitor), (Rect{100, 0, 550, 1080}));
}

TEST(ClampRectToArea, WorksOnAMonitorAwayFromTheOrigin) {
    constexpr Rect second{1920, -200, 3200, 824};
    EXPECT_EQ(clampRectToArea({1800, -300, 2250, 400}, second), (Rect{1920, -200, 2370, 500}));
}

TEST(ClampRectToArea, SurvivesExtremeValues) {
    Rect r = clampRectToArea({INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, kMonitor);
    EXPECT_EQ(r, kMonitor);
}

// Where the window goes for the rectangle the player chose: a display mode that a game lowers and
// restores, monitors unplugged, and a rectangle taken at another DPI than the window's.
TEST(PlaceChosenRect, ScalesTheSizeFromTheRectanglesDpiAndFitsItOntoTheNearestMonitorNow) {
    const std::vector<Rect> full{kMonitor}, lowered{{0, 0, 800, 600}};
    const std::vector<Rect> two{kMonitor, {1920, -200, 3200, 824}}, left{{-1280, 0, 0, 1024}, kMonitor};
    const struct {
        Rect chosen;
        int32_t rectDpi, windowDpi;
        std::vector<Rect> monitors;
        Rect placed;
    } cases[] = {
        {{1300, 300, 1750, 1000}, 96, 96, full, {1300, 300, 1750, 1000}},
        {{1300, 300, 1750, 1000}, 96, 96, lowered, {350, 0, 800, 600}},  // while a game lowers the mode
        {{100, 100, 550, 800}, 96, 144, full, {100, 30, 775, 1080}},     // 675 x 1050, moved up
        {{150, 150, 825, 1200}, 144, 96, full, {150, 150, 600, 850}},
        {{2000, 100, 2450, 800}, 96, 96, two, {2000, 100, 2450, 800}},   // on the second monitor
        {{2000, 100, 2450, 800}, 96, 96, full, {1470, 100, 1920, 800}},  // which is unplugged
        {{-900, 50, -450, 750}, 96, 96, left, {-900, 50, -450, 750}},
        {{1800, 500, 2250, 1200}, 96, 96, two, {1920, 124, 2370, 824}},   // overlaps the second one most
        {{5000, 5000, 5450, 5700}, 96, 96, two, {2750, 124, 3200, 824}},  // nearest: the second one
        {{100, 100, 550, 800}, 96, 96, {}, {100, 100, 550, 800}},
        {{100, 100, 50, 800}, 96, 144, full, {100, 30, 100, 1080}},  // a corrupt file's rectangle
        {{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, 96, 192, full, kMonitor},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(placeChosenRect(c.chosen, c.rectDpi, c.windowDpi, c.monitors), c.placed)
            << c.chosen.left << "," << c.chosen.top << " at " << c.rectDpi << " for " << c.windowDpi;
    }
}

TEST(CoveredByForeignTopmost, OnlyATopmostWindowOfAnotherProgramOverTheWholeOverlay) {
    constexpr Rect overlay{1300, 300, 1750, 1000};
    const WindowAbove game{kMonitor, true, false}, plain{kMonitor, false, false}, own{overlay, true, true};
    const WindowAbove tool{{1300, 300, 1500, 500}, true, false}, exact{overlay, true, false};
    const std::pair<std::vector<WindowAbove>, bool> cases[] = {{{}, false},          {{game}, true},
                                                               {{plain}, false},     {{tool}, false},
                                                               {{tool, game}, true}, {{own, game}, false},
                                                               {{exact}, true}};
    for (const auto& [above, raise] : cases) EXPECT_EQ(coveredByForeignTopmost(overlay, above), raise) << above.size();
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
