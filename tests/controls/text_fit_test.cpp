#include "controls/text_fit.h"

#include <gtest/gtest.h>

namespace mb {
namespace {

// A text 10 pixels wide per point that counts how often it is measured.
TextWidthAt tenPerPoint(int& measured) {
    return [&measured](int points) { return ++measured, 10 * points; };
}

TEST(TextFit, ShrinksToTheLargestFittingSizeThenEndsInAnEllipsis) {
    // Wanted points, width, and the points drawn and ellipsis; text that fits is measured once.
    const int cases[][5] = {{14, 500, 14, false, 1}, {14, 140, 14, false, 1}, {14, 139, 13, false, 5},
                            {14, 111, 11, false, 5}, {14, 80, 8, false, 5},   {14, 79, 8, true, 2},
                            {14, -20, 8, true, 2},                         // narrower than even 8 points
                            {6, 60, 6, false, 1},    {6, 59, 6, true, 1},  // below 8 points: never enlarged
                            {48, 250, 25, false, 8}};
    for (const auto& [wanted, width, points, ellipsis, mostMeasured] : cases) {
        int measured = 0;
        const TextFit fit = fitTextPoints(wanted, kLowestTextPoints, width, tenPerPoint(measured));
        EXPECT_EQ(fit, (TextFit{points, ellipsis != 0})) << wanted << " pt in " << width;
        EXPECT_LE(measured, mostMeasured) << wanted << " pt in " << width;
    }
}

TEST(TextFit, TheMemoMeasuresOnlyWhenTextWidthSizeOrDpiChanged) {
    int measured = 0;
    TextFitMemo memo;
    const auto measures = [&](const wchar_t* text, int width, int points, int dpi) {
        const int before = measured;
        memo.fit(text, width, points, dpi, tenPerPoint(measured));
        return measured > before;
    };
    EXPECT_TRUE(measures(L"Ctrl+B", 100, 14, 96));
    EXPECT_FALSE(measures(L"Ctrl+B", 100, 14, 96));  // a repaint
    EXPECT_TRUE(measures(L"Ctrl+C", 100, 14, 96));
    EXPECT_TRUE(measures(L"Ctrl+C", 50, 14, 96));
    EXPECT_TRUE(measures(L"Ctrl+C", 50, 12, 96));
    EXPECT_TRUE(measures(L"Ctrl+C", 50, 12, 144));
    EXPECT_EQ(memo.fit(L"Ctrl+C", 50, 12, 144, tenPerPoint(measured)), (TextFit{8, true}));  // as remembered
    EXPECT_FALSE(measures(L"", 50, 12, 144));                                                // nothing to measure
}

TEST(TextFit, LargestFittingFindsTheLargestSizeThatFits) {
    int calls = 0;
    auto upTo = [&calls](int limit) {
        return [&calls, limit](int h) {
            ++calls;
            return h <= limit;
        };
    };
    EXPECT_EQ(largestFitting(8, 48, upTo(20)), 20);
    EXPECT_LE(calls, 6);
    EXPECT_EQ(largestFitting(8, 48, upTo(48)), 48);
    EXPECT_EQ(largestFitting(8, 48, upTo(8)), 8);
    EXPECT_EQ(largestFitting(8, 48, upTo(3)), 8);  // nothing fits: the lowest
    calls = 0;
    EXPECT_EQ(largestFitting(8, 5, upTo(100)), 8);  // highest below lowest
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(largestFitting(12, 12, upTo(30)), 12);
}

}  // namespace
}  // namespace mb
