// Scrolling, geometry and colour rules of the channel list.
#include <gtest/gtest.h>

#include <tuple>

#include "controls/progress_list_math.h"

namespace mb::progress_list {
namespace {

// The list of the main window at scale 100: 330 pixels high, 20 rows, 8 whole rows visible.
constexpr int32_t kWidth = 300;
constexpr int32_t kHeight = 330;
constexpr int32_t kRows = 20;
constexpr int32_t kVisible = 8;

TEST(ProgressListScale, RowHeightAndVisibleRowsFollowTheTextScale) {
    EXPECT_EQ(rowHeightForScale(100), 40);
    EXPECT_EQ(rowHeightForScale(150), 60);
    EXPECT_EQ(rowHeightForScale(200), 80);
    EXPECT_EQ(visibleRowCount(kHeight, rowHeightForScale(100)), 8);
    EXPECT_EQ(visibleRowCount(kHeight, rowHeightForScale(150)), 5);
    EXPECT_EQ(visibleRowCount(kHeight, rowHeightForScale(200)), 4);
    EXPECT_EQ(visibleRowCount(kHeight, kDefaultRowHeight), 11);
    // A scale too small for a whole pixel still gives a usable divisor.
    EXPECT_EQ(rowHeightForScale(2), 1);
    EXPECT_EQ(visibleRowCount(kHeight, rowHeightForScale(0)), kHeight);
    EXPECT_EQ(visibleRowCount(0, 40), 0);
}

TEST(ProgressListScale, RowHeightsFollowTheDpi) {
    // At scales 100, 150, 200, before the first change, and 103 % (41 pixels at 96 DPI, then scaled).
    const int32_t heights[][6] = {{120, 50, 75, 100, 38, 51}, {144, 60, 90, 120, 45, 62}, {192, 80, 120, 160, 60, 82}};
    for (const auto& [dpi, at100, at150, at200, atDefault, at103] : heights) {
        EXPECT_EQ(rowHeightForScale(100, dpi), at100) << dpi;
        EXPECT_EQ(rowHeightForScale(150, dpi), at150) << dpi;
        EXPECT_EQ(rowHeightForScale(200, dpi), at200) << dpi;
        EXPECT_EQ(defaultRowHeight(dpi), atDefault) << dpi;
        EXPECT_EQ(rowHeightForScale(103, dpi), at103) << dpi;
    }
}

TEST(ProgressListScale, OnePartlyVisibleRowClosesTheList) {
    RowRange top = drawnRows(0, kRows, kVisible);
    EXPECT_EQ(top.first, 0);
    EXPECT_EQ(top.end, 9);  // 8 whole rows and the ninth cut off at 330
    RowRange last = drawnRows(12, kRows, kVisible);
    EXPECT_EQ(last.first, 12);
    EXPECT_EQ(last.end, 20);
    RowRange few = drawnRows(0, 5, kVisible);
    EXPECT_EQ(few.end, 5);
    RowRange none = drawnRows(0, 0, kVisible);
    EXPECT_EQ(none.end, none.first);
}

TEST(ProgressListScale, OnlyTheChangedDrawnRowsAreDrawnAgainUnlessTheCountChanged) {
    const std::vector<ChannelRow> rows(kRows, ChannelRow{7, 50, 0.1, 60.0, 0, 0});
    const auto changed = [&](std::initializer_list<size_t> indexes) {
        std::vector<ChannelRow> other = rows;
        for (size_t index : indexes) other[index].hpPercent = 49;
        return other;
    };
    using Drawn = std::optional<std::vector<int32_t>>;
    const auto at = [](std::vector<int32_t> drawn) { return Drawn(std::move(drawn)); };
    const struct {
        std::vector<ChannelRow> after;
        int32_t top;
        Drawn drawn;
    } cases[] = {
        {rows, 0, at({})},
        {changed({8, 2}), 0, at({2, 8})},  // the partly visible ninth row is drawn
        {changed({9}), 0, at({})},
        {changed({9}), 5, at({4})},
        {changed({0}), 5, at({})},
        {std::vector<ChannelRow>(rows.begin(), rows.end() - 1), 0, std::nullopt},  // the thumb follows the count
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(changedDrawnRows(rows, cases[i].after, cases[i].top, kVisible), cases[i].drawn) << i;
    }
}

TEST(ProgressListScroll, TwentyRowsWithEightVisibleNeverPassTwelve) {
    EXPECT_EQ(maxTopIndex(kRows, kVisible), 12);
    int32_t top = 0;
    for (int i = 0; i < 10; ++i) top = topAfterScrollCode(kPageDown, 0, top, kRows, kVisible);
    EXPECT_EQ(top, 12);
    top = 0;
    for (int i = 0; i < 30; ++i) top = topAfterScrollCode(kLineDown, 0, top, kRows, kVisible);
    EXPECT_EQ(top, 12);
    top = 0;
    for (int i = 0; i < 10; ++i) top = topAfterWheelNotches(-2, top, kRows, kVisible);
    EXPECT_EQ(top, 12);
    EXPECT_EQ(topAfterScrollCode(kThumbTrack, 100, 0, kRows, kVisible), 12);
    EXPECT_EQ(topAfterScrollCode(kThumbPosition, 65535, 0, kRows, kVisible), 12);
    EXPECT_EQ(clampTopIndex(13, kRows, kVisible), 12);
    EXPECT_EQ(clampTopIndex(-3, kRows, kVisible), 0);
    // Fewer rows than fit: the list cannot scroll at all.
    EXPECT_EQ(clampTopIndex(4, 5, kVisible), 0);
    EXPECT_EQ(clampTopIndex(4, 0, kVisible), 0);
}

TEST(ProgressListScroll, ScrollCodesMoveByLineOrPageOrToThePosition) {
    EXPECT_EQ(topAfterScrollCode(kLineUp, 0, 0, kRows, kVisible), 0);
    EXPECT_EQ(topAfterScrollCode(kLineUp, 0, 5, kRows, kVisible), 4);
    EXPECT_EQ(topAfterScrollCode(kLineDown, 0, 5, kRows, kVisible), 6);
    EXPECT_EQ(topAfterScrollCode(kPageUp, 0, 5, kRows, kVisible), 0);
    EXPECT_EQ(topAfterScrollCode(kPageDown, 0, 3, kRows, kVisible), 11);
    EXPECT_EQ(topAfterScrollCode(kThumbTrack, 7, 3, kRows, kVisible), 7);
    // SB_TOP, SB_BOTTOM and SB_ENDSCROLL are not handled and leave the position.
    for (int32_t code : {6, 7, 8}) EXPECT_EQ(topAfterScrollCode(code, 0, 5, kRows, kVisible), 5) << code;
}

TEST(ProgressListScroll, WheelDeltasAddUpToWholeNotchesAndAReversalDropsTheRest) {
    // Each step: the remainder before, the delta, then the notches and remainder after.
    struct Step {
        int32_t remainder, delta, notches, kept;
    };
    const Step steps[] = {
        {0, 120, 1, 0},
        {0, -120, -1, 0},
        {0, 360, 3, 0},
        {0, -240, -2, 0},
        {0, 60, 0, 60},
        {60, 60, 1, 0},
        {0, 40, 0, 40},
        {40, 40, 0, 80},
        {80, 40, 1, 0},
        {0, -119, 0, -119},
        {-119, -1, -1, 0},
        {0, 180, 1, 60},
        {100, 50, 1, 30},
        {-30, -100, -1, -10},
        // A turn the other way starts from nothing.
        {40, -40, 0, -40},
        {80, -120, -1, 0},
        {-60, 100, 0, 100},
        {-119, 239, 1, 119},
        {0, 0, 0, 0},
        {70, 0, 0, 70},
        // The largest deltas a message can carry neither overflow nor lose notches.
        {119, 32767, 274, 6},
        {-119, -32768, -274, -7},
    };
    for (const Step& s : steps) {
        const WheelTurn turn = addWheelDelta(s.remainder, s.delta);
        EXPECT_EQ(turn.notches, s.notches) << s.remainder << " + " << s.delta;
        EXPECT_EQ(turn.remainder, s.kept) << s.remainder << " + " << s.delta;
    }
    // Notches move the first row, forward turns up, within the valid range.
    EXPECT_EQ(topAfterWheelNotches(0, 5, kRows, kVisible), 5);
    EXPECT_EQ(topAfterWheelNotches(-2, 0, kRows, kVisible), 2);
    EXPECT_EQ(topAfterWheelNotches(2, 5, kRows, kVisible), 3);
    EXPECT_EQ(topAfterWheelNotches(3, 1, kRows, kVisible), 0);
    EXPECT_EQ(topAfterWheelNotches(-274, 5, kRows, kVisible), 12);
}

TEST(ProgressListGeometry, RowsStackByRowHeightAndSplitIntoLabelAndBar) {
    EXPECT_EQ(rowRect(0, 40, kWidth), (Rect{0, 0, kWidth, 40}));
    EXPECT_EQ(rowRect(8, 40, kWidth), (Rect{0, 320, kWidth, 360}));  // the ninth row, cut off at 330

    Rect row = rowRect(1, 40, kWidth);
    RowLayout layout = layoutRow(row, 100);
    EXPECT_EQ(layout.pad, 5);
    EXPECT_EQ(layout.inner, (Rect{5, 45, 295, 75}));
    EXPECT_EQ(labelFontHighest(layout.inner), 22);
    EXPECT_EQ(layout.label, (Rect{5, 45, 105, 75}));
    EXPECT_EQ(layout.bar, (Rect{107, 45, 295, 75}));

    // Scale 200: 80-pixel rows, 10 pixels of padding and a 5-pixel gap before the bar.
    RowLayout big = layoutRow(rowRect(0, 80, kWidth), 150);
    EXPECT_EQ(big.inner, (Rect{10, 10, 290, 70}));
    EXPECT_EQ(labelFontHighest(big.inner), 45);
    EXPECT_EQ(big.bar, (Rect{165, 10, 290, 70}));
    // Scale 150: 60-pixel rows.
    RowLayout mid = layoutRow(rowRect(2, 60, kWidth), 120);
    EXPECT_EQ(mid.pad, 7);
    EXPECT_EQ(mid.bar, (Rect{130, 127, 293, 173}));

    // A label as wide as the row leaves an empty bar, never an inverted one.
    RowLayout crowded = layoutRow(rowRect(0, 80, kWidth), 280);
    EXPECT_EQ(crowded.label.right, 290);
    EXPECT_TRUE(crowded.bar.empty());
    EXPECT_EQ(crowded.bar.width(), 0);
    EXPECT_EQ(crowded.bar.left, 295);
}

TEST(ProgressListGeometry, BarFillIsProportionalAndHeldToTheBar) {
    Rect bar{100, 0, 300, 30};
    EXPECT_EQ(barFillRight(bar, 0), 100);
    EXPECT_EQ(barFillRight(bar, 24), 148);
    EXPECT_EQ(barFillRight(bar, 50), 200);
    EXPECT_EQ(barFillRight(bar, 100), 300);
    EXPECT_EQ(barFillRight(bar, 150), 300);
    EXPECT_EQ(barFillRight(bar, -5), 100);
    EXPECT_EQ(barFillRight(Rect{10, 0, 17, 5}, 99), 16);  // truncated
}

TEST(ProgressListColors, BarColourFollowsThresholdsUnlessOverridden) {
    auto fill = [](int32_t hp, RowColor override = 0) {
        ChannelRow row;
        row.hpPercent = hp;
        row.barColor = override;
        return barFillColor(row);
    };
    EXPECT_EQ(fill(1), rowRgb(255, 0, 0));
    EXPECT_EQ(fill(24), rowRgb(255, 0, 0));
    EXPECT_EQ(fill(25), rowRgb(255, 200, 0));
    EXPECT_EQ(fill(49), rowRgb(255, 200, 0));
    EXPECT_EQ(fill(50), rowRgb(0, 200, 0));
    EXPECT_EQ(fill(100), rowRgb(0, 200, 0));
    EXPECT_EQ(fill(24, rowRgb(128, 128, 128)), rowRgb(128, 128, 128));
    EXPECT_EQ(fill(80, rowRgb(128, 128, 128)), rowRgb(128, 128, 128));

    ChannelRow row;
    EXPECT_EQ(labelColor(row), rowRgb(255, 255, 255));
    row.textColor = rowRgb(200, 200, 200);
    EXPECT_EQ(labelColor(row), rowRgb(200, 200, 200));
    EXPECT_EQ(rowRgb(128, 128, 128), 0x808080u);
    EXPECT_EQ(rowRgb(255, 0, 0), 0x0000FFu);  // red in the low byte
}

TEST(ProgressListStrip, ThumbSizeAndOffsetFollowThePosition) {
    EXPECT_EQ(stripRect(kWidth, kHeight), (Rect{288, 0, 300, 330}));
    EXPECT_TRUE(stripShown(true, kRows, kVisible));
    EXPECT_FALSE(stripShown(false, kRows, kVisible));
    EXPECT_FALSE(stripShown(true, kVisible, kVisible));

    // 8 of 20 rows: 8 * 330 / 20 = 132 pixels; the track of 198 pixels covers 12 positions.
    EXPECT_EQ(thumbRect(kRows, kVisible, 0, kWidth, kHeight), (Rect{290, 2, 298, 130}));
    EXPECT_EQ(thumbRect(kRows, kVisible, 8, kWidth, kHeight), (Rect{290, 134, 298, 262}));
    EXPECT_EQ(thumbRect(kRows, kVisible, 12, kWidth, kHeight), (Rect{290, 200, 298, 328}));
    // Long lists keep a 15-pixel thumb.
    EXPECT_EQ(thumbRect(1000, kVisible, 0, kWidth, kHeight), (Rect{290, 2, 298, 13}));
    EXPECT_EQ(thumbRect(1000, kVisible, 992, kWidth, kHeight), (Rect{290, 317, 298, 328}));
    EXPECT_TRUE(thumbRect(kVisible, kVisible, 0, kWidth, kHeight).empty());
    EXPECT_TRUE(thumbRect(0, 0, 0, kWidth, 0).empty());
    // The strip, the first page's thumb and the shortest thumb at larger DPIs.
    const std::tuple<int32_t, Rect, Rect, Rect> larger[] =
        {{120, {285, 0, 300, 330}, {288, 3, 297, 129}, {288, 3, 297, 16}},
         {144, {282, 0, 300, 330}, {285, 3, 297, 129}, {285, 3, 297, 20}},
         {192, {276, 0, 300, 330}, {280, 4, 296, 128}, {280, 4, 296, 26}}};
    for (const auto& [dpi, strip, firstPage, shortest] : larger) {
        EXPECT_EQ(stripRect(kWidth, kHeight, dpi), strip) << dpi;
        EXPECT_EQ(thumbRect(kRows, kVisible, 0, kWidth, kHeight, dpi), firstPage) << dpi;
        EXPECT_EQ(thumbRect(1000, kVisible, 0, kWidth, kHeight, dpi), shortest) << dpi;
    }

    EXPECT_EQ(thumbColor(false, false), rowRgb(80, 80, 80));
    EXPECT_EQ(thumbColor(false, true), rowRgb(100, 100, 100));
    EXPECT_EQ(thumbColor(true, true), rowRgb(120, 120, 120));
}

TEST(ProgressListStrip, PressPagesAroundTheThumbOrStartsADrag) {
    auto press = [](int32_t x, int32_t y, int32_t top, bool enabled = true) {
        return pressAt(x, y, kWidth, kHeight, enabled, kRows, kVisible, top);
    };
    StripPress below = press(295, 200, 0);
    EXPECT_EQ(below.kind, StripPress::kPage);
    EXPECT_EQ(below.topIndex, 8);
    EXPECT_EQ(press(295, 300, 8).topIndex, 12);  // the last page, not 16
    StripPress above = press(295, 10, 8);
    EXPECT_EQ(above.kind, StripPress::kPage);
    EXPECT_EQ(above.topIndex, 0);
    EXPECT_EQ(press(295, 50, 0).kind, StripPress::kStartDrag);
    EXPECT_EQ(press(289, 50, 0).kind, StripPress::kPage);  // beside the thumb, inside the strip
    EXPECT_EQ(press(289, 50, 0).topIndex, 8);
    EXPECT_EQ(press(287, 200, 0).kind, StripPress::kNothing);
    EXPECT_EQ(press(300, 200, 0).kind, StripPress::kNothing);
    EXPECT_EQ(press(295, 330, 0).kind, StripPress::kNothing);
    EXPECT_EQ(press(295, 200, 0, false).kind, StripPress::kNothing);
    // Every row fits: the strip is empty and a press there changes nothing.
    StripPress fits = pressAt(295, 200, kWidth, kHeight, true, 5, kVisible, 0);
    EXPECT_EQ(fits.topIndex, 0);
    EXPECT_EQ(pressAt(283, 200, kWidth, kHeight, true, kRows, kVisible, 0, 144).kind, StripPress::kPage);  // 18 wide
}

TEST(ProgressListStrip, DragMapsPointerTravelOntoRows) {
    auto drag = [](int32_t y, int32_t startY, int32_t startTop) {
        return topWhileDragging(y, startY, startTop, kRows, kVisible, kHeight);
    };
    // 198 pixels of track for 12 positions; rounded to nearest.
    EXPECT_EQ(drag(50, 50, 0), 0);
    EXPECT_EQ(drag(50 + 16, 50, 0), 1);  // (16 * 12 + 99) / 198 = 1
    EXPECT_EQ(drag(50 + 99, 50, 0), 6);
    EXPECT_EQ(drag(50 + 198, 50, 0), 12);
    EXPECT_EQ(drag(900, 50, 0), 12);
    EXPECT_EQ(drag(0, 50, 0), 0);
    EXPECT_EQ(drag(-500, 50, 6), 0);
    EXPECT_EQ(drag(149, 150, 6), 6);
    EXPECT_EQ(drag(150 - 99, 150, 6), 0);
    EXPECT_EQ(drag(150 + 50, 150, 6), 9);  // 6 + (50 * 12 + 99) / 198

    // No track: nothing happens.
    EXPECT_FALSE(topWhileDragging(100, 50, 0, kVisible, kVisible, kHeight).has_value());
    EXPECT_FALSE(topWhileDragging(100, 50, 0, kRows, kVisible, 0).has_value());
    EXPECT_FALSE(topWhileDragging(100, 50, 0, kRows, 0, 10).has_value());
    // A tiny list uses a 10-pixel thumb: 11 pixels give 1 pixel of track.
    EXPECT_EQ(topWhileDragging(5, 0, 0, 40, 0, 11), std::optional<int32_t>(40));
    EXPECT_FALSE(topWhileDragging(5, 0, 0, 40, 0, 20, 192).has_value());  // 20 pixels at 192 DPI
    EXPECT_EQ(topWhileDragging(5, 0, 0, 40, 0, 21, 192), std::optional<int32_t>(40));
}

}  // namespace
}  // namespace mb::progress_list
