// What the channel list puts on screen, read back from the window's pixels.
#include <gtest/gtest.h>

#include <string>

#include "controls/progress_list_math.h"
#include "progress_list_test_rows.h"

namespace mb::test {
namespace {
namespace pl = progress_list;

using ProgressListPaint = ProgressListFixture;

std::string describe(COLORREF c) {
    return "RGB(" + std::to_string(GetRValue(c)) + "," + std::to_string(GetGValue(c)) + "," +
           std::to_string(GetBValue(c)) + ")";
}

// The bar of one row as found on screen, scanning its middle line leftwards from the right
// outline over track and fill pixels until the left outline.
struct FoundBar {
    int left = -1;   // x of the left outline
    int right = -1;  // one past the right outline
};

FoundBar findBar(const PixelCapture& pixels, int middleY, int outlineRight, COLORREF fill) {
    FoundBar bar;
    if (pixels.at(outlineRight, middleY) != pl::kBarOutline) return bar;
    bar.right = outlineRight + 1;
    for (int x = outlineRight - 1; x > 0; --x) {
        COLORREF c = pixels.at(x, middleY);
        if (c == pl::kBarOutline && fill != pl::kBarOutline) {
            bar.left = x;
            break;
        }
        if (c != pl::kBarTrack && c != fill) break;
    }
    return bar;
}

// Checks fill and track along the bar's middle line; the left outline covers the first fill pixel.
void expectBar(const PixelCapture& pixels, int middleY, const FoundBar& bar, int hp, COLORREF fill) {
    const int fillRight = bar.left + (bar.right - bar.left) * hp / 100;
    for (int x = bar.left + 1; x < bar.right - 1; ++x) {
        COLORREF expected = x < fillRight ? fill : pl::kBarTrack;
        ASSERT_EQ(pixels.at(x, middleY), expected)
            << "hp " << hp << " x " << x << " got " << describe(pixels.at(x, middleY));
    }
}

TEST_F(ProgressListPaint, NoRowsShowsOnlyALargeGreyUnknown) {
    list_.setTextScale(100);
    PixelCapture pixels = capture();
    ASSERT_EQ(pixels.width(), kListWidth);
    EXPECT_EQ(pixels.at(0, 0), pl::kFrame);
    EXPECT_EQ(pixels.at(kListWidth - 1, kListHeight - 1), pl::kFrame);
    EXPECT_EQ(pixels.at(kListWidth - 6, 20), pl::kBackground);  // no strip
    RECT inside{1, 1, kListWidth - 1, kListHeight - 1};
    EXPECT_GT(pixels.count(inside, pl::kNoRowsText), 50);
    // The ink is centred and tall: cell heights up to 48 fit 7 characters into 300 pixels.
    int top = kListHeight, bottom = 0, left = kListWidth, right = 0;
    for (int y = 1; y < kListHeight - 1; ++y)
        for (int x = 1; x < kListWidth - 1; ++x)
            if (pixels.at(x, y) != pl::kBackground) {
                top = std::min(top, y), bottom = std::max(bottom, y + 1);
                left = std::min(left, x), right = std::max(right, x + 1);
            }
    EXPECT_GT(bottom - top, 24);
    EXPECT_NEAR((left + right) / 2, kListWidth / 2, 6);
    EXPECT_NEAR((top + bottom) / 2, kListHeight / 2, 10);
    EXPECT_EQ(pixels.count(inside, pl::kStrip), 0);
}

TEST_F(ProgressListPaint, BarsFillByHealthWithThresholdColoursAndGreyOverrides) {
    list_.setTextScale(100);
    std::vector<ChannelRow> rows = rowsAt({0, 24, 25, 49, 50, 100, 24});
    rows[6].barColor = RGB(128, 128, 128);
    rows[6].textColor = RGB(200, 200, 200);
    list_.setRows(rows);
    PixelCapture pixels = capture();
    const COLORREF fills[] = {pl::kBarLow,  pl::kBarLow,  pl::kBarMiddle,    pl::kBarMiddle,
                              pl::kBarHigh, pl::kBarHigh, RGB(128, 128, 128)};
    const int outlineRight = kListWidth - 5 - 1;  // padding 40 / 8 = 5
    FoundBar first = findBar(pixels, 20, outlineRight, fills[0]);
    ASSERT_GT(first.left, 40) << "the label column comes first";
    for (size_t i = 0; i < rows.size(); ++i) {
        const int top = static_cast<int>(i) * 40;
        const int middle = top + 20;
        SCOPED_TRACE("row " + std::to_string(i) + " hp " + std::to_string(rows[i].hpPercent));
        if (rows[i].barColor == 0) {
            FoundBar bar = findBar(pixels, middle, outlineRight, fills[i]);
            EXPECT_EQ(bar.left, first.left) << "bars line up";
        }
        expectBar(pixels, middle, first, rows[i].hpPercent, fills[i]);
        // Outline top and bottom, 5 pixels inside the row.
        RECT topEdge{first.left, top + 5, first.right, top + 6};
        RECT bottomEdge{first.left, top + 34, first.right, top + 35};
        EXPECT_TRUE(pixels.all(topEdge, pl::kBarOutline));
        EXPECT_TRUE(pixels.all(bottomEdge, pl::kBarOutline));
        EXPECT_EQ(pixels.at(first.left + 1, top + 4), pl::kBackground);
    }
    // Label colours: white by default, the override on the greyed row.
    RECT label0{5, 5, first.left - 2, 35};
    RECT label6{5, 6 * 40 + 5, first.left - 2, 6 * 40 + 35};
    EXPECT_GT(pixels.count(label0, pl::kLabelDefault), 10);
    EXPECT_GT(pixels.count(label6, RGB(200, 200, 200)), 10);
    EXPECT_EQ(pixels.count(label6, pl::kLabelDefault), 0);
    // Seven rows fit in eight: no strip, and the area below the rows is background.
    EXPECT_EQ(pixels.at(kListWidth - 6, 300), pl::kBackground);
}

TEST_F(ProgressListPaint, OverlayShowsTimeAndRateOutlinedOnlyWhenPresent) {
    list_.setTextScale(100);
    std::vector<ChannelRow> rows = rowsAt({80, 80, 80, 80});
    rows[1].secondsLeft = 90.0;
    rows[1].lossRate = 0.456;
    rows[2].lossRate = 0.01;  // not shown
    rows[3].secondsLeft = -1.0;
    list_.setRows(rows);
    PixelCapture pixels = capture();
    FoundBar bar = findBar(pixels, 20, kListWidth - 6, pl::kBarHigh);
    ASSERT_GT(bar.left, 0);
    for (int i = 0; i < 4; ++i) {
        RECT area{bar.left, i * 40 + 5, bar.right, i * 40 + 35};
        int outline = pixels.count(area, pl::kOverlayOutline);
        int white = pixels.count(area, pl::kOverlayText);
        if (i == 1) {
            EXPECT_GT(outline, 30) << "row " << i;
            EXPECT_GT(white, 10) << "row " << i;
        } else {
            EXPECT_EQ(outline, 0) << "row " << i;
            EXPECT_EQ(white, 0) << "row " << i;
        }
    }
}

TEST_F(ProgressListPaint, StripAndThumbFollowTheScrollState) {
    list_.setTextScale(100);
    list_.setRows(manyRows(20));
    PixelCapture pixels = capture();
    // Strip 288..300; thumb 290..298 x 2..130 (132 of 330 pixels for 8 of 20 rows).
    EXPECT_TRUE(pixels.all(RECT{288, 0, 290, kListHeight}, pl::kStrip));
    EXPECT_TRUE(pixels.all(RECT{290, 2, 298, 130}, pl::kThumb));
    EXPECT_TRUE(pixels.all(RECT{290, 130, 298, kListHeight}, pl::kStrip));
    EXPECT_TRUE(pixels.all(RECT{298, 0, 300, kListHeight}, pl::kStrip));

    send(WM_LBUTTONDOWN, MK_LBUTTON, mousePoint(295, 200));
    send(WM_LBUTTONUP, 0, mousePoint(295, 200));
    pixels = capture();
    EXPECT_TRUE(pixels.all(RECT{290, 134, 298, 262}, pl::kThumb));
    EXPECT_TRUE(pixels.all(RECT{290, 2, 298, 134}, pl::kStrip));

    send(WM_LBUTTONDOWN, MK_LBUTTON, mousePoint(294, 200));  // on the thumb
    pixels = capture();
    EXPECT_TRUE(pixels.all(RECT{290, 134, 298, 262}, pl::kThumbDragging));
    send(WM_LBUTTONUP, 0, mousePoint(294, 200));

    POINT over = clientToScreen(list_.window(), 294, 20);
    ::SetCursorPos(over.x, over.y);
    send(WM_MOUSEMOVE, 0, mousePoint(294, 20));
    pixels = capture();
    EXPECT_TRUE(pixels.all(RECT{290, 134, 298, 262}, pl::kThumbHover));

    list_.setScrollBarEnabled(false);
    pixels = capture();
    EXPECT_EQ(pixels.count(RECT{288, 0, 300, kListHeight}, pl::kStrip), 0);
    EXPECT_EQ(pixels.at(kListWidth - 6, 180), pl::kBarOutline);  // rows run under the strip
    // The ninth row (rows 8 to 16 are shown) is drawn partly: its bar's top outline is at 320 + 5.
    FoundBar bar = findBar(pixels, 20, kListWidth - 6, pl::thresholdColor(manyRows(9)[8].hpPercent));
    ASSERT_GT(bar.left, 0);
    EXPECT_TRUE(pixels.all(RECT{bar.left, 325, bar.right, 326}, pl::kBarOutline));
    EXPECT_EQ(pixels.at(bar.left, 328), pl::kBarOutline);  // its left edge, cut off at the bottom
}

TEST_F(ProgressListPaint, LargerScalesMakeTallerRowsWithProportionalPadding) {
    list_.setBounds(10, 10, kWideListWidth, kListHeight);
    for (int scale : {150, 200}) {
        SCOPED_TRACE("scale " + std::to_string(scale));
        list_.setTextScale(scale);
        list_.setRows(rowsAt({50, 24}));
        PixelCapture pixels = capture();
        const int rowHeight = scale * 40 / 100;
        const int pad = rowHeight / 8;
        for (int i = 0; i < 2; ++i) {
            const int middle = i * rowHeight + rowHeight / 2;
            COLORREF fill = i == 0 ? pl::kBarHigh : pl::kBarLow;
            FoundBar bar = findBar(pixels, middle, kWideListWidth - pad - 1, fill);
            ASSERT_GT(bar.left, 0);
            expectBar(pixels, middle, bar, i == 0 ? 50 : 24, fill);
            EXPECT_EQ(pixels.at(bar.left + 1, i * rowHeight + pad), pl::kBarOutline);
            EXPECT_EQ(pixels.at(bar.left + 1, i * rowHeight + pad - 1), pl::kBackground);
            EXPECT_EQ(pixels.at(bar.left + 1, (i + 1) * rowHeight - pad - 1), pl::kBarOutline);
        }
    }
}

TEST_F(ProgressListPaint, ANarrowListAtLargeScaleDrawsTheLabelWithoutABar) {
    // 300 pixels at scale 200: the fitted label takes the whole row.
    list_.setTextScale(200);
    std::vector<ChannelRow> rows = rowsAt({50});
    rows[0].secondsLeft = 75.0;
    list_.setRows(rows);
    PixelCapture pixels = capture();
    RECT row{1, 1, kListWidth - 1, 80};
    EXPECT_GT(pixels.count(row, pl::kLabelDefault), 10);
    EXPECT_EQ(pixels.count(row, pl::kBarOutline), 0);
    EXPECT_EQ(pixels.count(row, pl::kBarTrack), 0);
    EXPECT_EQ(pixels.count(row, pl::kBarHigh), 0);
    EXPECT_EQ(pixels.count(row, pl::kOverlayOutline), 0);
}

}  // namespace
}  // namespace mb::test
