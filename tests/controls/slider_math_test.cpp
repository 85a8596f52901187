#include "controls/slider_math.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <tuple>

namespace mb {
namespace {

TEST(SliderMapping, PressInsideRoundsToNearestValue) {
    // 10 + (54 * 90 + 54) / 108 = 55
    EXPECT_EQ(sliderValueAtX(70, 140, 10, 100), 55);
    EXPECT_EQ(sliderValueAtX(17, 140, 10, 100), 11);   // 10 + (90 + 54) / 108
    EXPECT_EQ(sliderValueAtX(123, 140, 10, 100), 99);  // 10 + (107 * 90 + 54) / 108
}

TEST(SliderMapping, EndsGiveMinimumAndMaximum) {
    EXPECT_EQ(sliderValueAtX(16, 140, 10, 100), 10);
    EXPECT_EQ(sliderValueAtX(0, 140, 10, 100), 10);
    EXPECT_EQ(sliderValueAtX(-500, 140, 10, 100), 10);  // captured pointer left of the slider
    EXPECT_EQ(sliderValueAtX(124, 140, 10, 100), 100);  // x >= width - 16
    EXPECT_EQ(sliderValueAtX(5000, 140, 10, 100), 100);
}

TEST(SliderMapping, NarrowSliderNeverChanges) {
    EXPECT_FALSE(sliderValueAtX(16, 32, 0, 100).has_value());
    EXPECT_FALSE(sliderValueAtX(20, 10, 0, 100).has_value());
    EXPECT_FALSE(sliderValueAtX(0, 0, 0, 100).has_value());
    EXPECT_FALSE(sliderValueAtX(5, -40, 0, 100).has_value());
    EXPECT_TRUE(sliderValueAtX(17, 33, 0, 100).has_value());  // one usable pixel
}

TEST(SliderMapping, EmptyOrReversedRangeYieldsMinimum) {
    for (int x : {0, 16, 40, 70, 124, 200}) {
        EXPECT_EQ(sliderValueAtX(x, 140, 50, 50), 50) << x;
        EXPECT_EQ(sliderValueAtX(x, 140, 80, 20), 80) << x;
    }
}

TEST(SliderMapping, KeepsTheThumbCentreUnderThePointer) {
    // Pressing anywhere picks a value whose thumb centre lies within one value step of the
    // pointer, and moving right never lowers the value.
    for (int width : {60, 140, 200, 333}) {
        const int usable = width - 32;
        const int step = usable / 100 + 1;
        int previous = 100;
        for (int x = 16; x <= width - 16; ++x) {
            const int v = *sliderValueAtX(x, width, 100, 200);
            ASSERT_GE(v, previous) << "width " << width << " x " << x;
            const int centre = 16 + sliderThumbOffset(v, 100, 200, width);
            ASSERT_LE(std::abs(centre - x), step) << "width " << width << " x " << x;
            previous = v;
        }
        EXPECT_EQ(previous, 200);
    }
}

TEST(SliderMapping, HugeRangesDoNotOverflow) {
    EXPECT_EQ(sliderValueAtX(70, 140, INT_MIN, INT_MAX), 0);  // INT_MIN + (54 * (2^32 - 1) + 54) / 108 = INT_MIN + 2^31
    EXPECT_EQ(sliderThumbOffset(INT_MAX, INT_MIN, INT_MAX, 140), 108);
}

TEST(SliderGeometry, TrackAndThumb) {
    EXPECT_EQ(sliderTrackRect(140, 25), (Rect{10, 10, 130, 14}));
    EXPECT_EQ(sliderThumbRect(10, 10, 100, 140, 25), (Rect{10, 2, 22, 23}));
    EXPECT_EQ(sliderThumbRect(100, 10, 100, 140, 25), (Rect{118, 2, 130, 23}));  // ends at width - 10
    EXPECT_EQ(sliderThumbRect(55, 10, 100, 140, 25), (Rect{64, 2, 76, 23}));     // 45 * 108 / 90 = 54
    EXPECT_EQ(sliderThumbRect(7, 7, 7, 140, 25).left, 10);                       // empty range: left end
    EXPECT_EQ(sliderThumbOffset(60, 80, 20, 140), 0);
}

TEST(SliderGeometry, EveryPixelNumberScalesWithTheDpi) {
    // The slider above: track, thumb at 55, last x of the minimum, first x of the maximum.
    const std::tuple<int, Rect, Rect, int, int> rows[] = {
        {120, {13, 10, 127, 15}, {62, 3, 77, 22}, 20, 119},  // 12.5 and 2.5 pixels round up
        {144, {15, 9, 125, 15}, {61, 3, 79, 22}, 24, 116},
        {192, {20, 8, 120, 16}, {58, 4, 82, 21}, 32, 108},
    };
    for (const auto& [dpi, track, thumbAt55, lastMinimumX, firstMaximumX] : rows) {
        EXPECT_EQ(sliderTrackRect(140, 25, dpi), track) << dpi;
        EXPECT_EQ(sliderThumbRect(55, 10, 100, 140, 25, dpi), thumbAt55) << dpi;
        EXPECT_EQ(sliderValueAtX(lastMinimumX, 140, 10, 100, dpi), 10) << dpi;
        EXPECT_EQ(sliderValueAtX(firstMaximumX - 1, 140, 10, 100, dpi), 99) << dpi;
        EXPECT_EQ(sliderValueAtX(firstMaximumX, 140, 10, 100, dpi), 100) << dpi;
    }
}

TEST(SliderGeometry, NarrowSliderKeepsThumbAtLeft) {
    // width - 32 <= 0: the offset is 0 or negative but the value never changes by mouse.
    EXPECT_EQ(sliderThumbOffset(0, 0, 100, 32), 0);
    EXPECT_EQ(sliderThumbOffset(50, 0, 100, 0), -16);
}

TEST(SliderClamp, MovesValueIntoRange) {
    EXPECT_EQ(clampSliderValue(5, 10, 100), 10);
    EXPECT_EQ(clampSliderValue(150, 10, 100), 100);
    EXPECT_EQ(clampSliderValue(42, 10, 100), 42);
    EXPECT_EQ(clampSliderValue(42, 90, 20), 90);  // minimum above maximum: the minimum
    EXPECT_EQ(clampSliderValue(95, 90, 20), 90);
}

}  // namespace
}  // namespace mb
