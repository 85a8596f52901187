#include "controls/combo_layout.h"

#include <gtest/gtest.h>

#include <tuple>

namespace mb {
namespace {

const Rect kMonitor{0, 0, 1920, 1080};

TEST(PopupPlacement, OpensUnderTheBox) {
    EXPECT_EQ(placePopup({100, 200, 380, 228}, kMonitor, 280, 5 * 28), (PixelPoint{100, 228}));
}

TEST(PopupPlacement, NearTheRightEdgeEndsAtTheEdge) {
    EXPECT_EQ(placePopup({1800, 200, 2080, 228}, kMonitor, 280, 84), (PixelPoint{1640, 228}));
    // Exactly reaching the edge is not passing it.
    EXPECT_EQ(placePopup({1640, 200, 1920, 228}, kMonitor, 280, 84), (PixelPoint{1640, 228}));
}

TEST(PopupPlacement, NearTheBottomShiftsUpOverTheBox) {
    // The box ends at 1060; 5 rows would pass 1080, so the list ends at the bottom instead.
    EXPECT_EQ(placePopup({100, 1032, 380, 1060}, kMonitor, 280, 140), (PixelPoint{100, 940}));
    EXPECT_EQ(placePopup({100, 912, 380, 940}, kMonitor, 280, 140), (PixelPoint{100, 940}));  // just fits
}

TEST(PopupPlacement, BottomRightCornerMovesBothWays) {
    EXPECT_EQ(placePopup({1800, 1050, 2080, 1078}, kMonitor, 280, 140), (PixelPoint{1640, 940}));
}

TEST(PopupPlacement, ListTallerThanTheMonitorStartsAtItsTop) {
    EXPECT_EQ(placePopup({100, 200, 380, 228}, kMonitor, 280, 50 * 28), (PixelPoint{100, 0}));
}

TEST(PopupPlacement, WiderThanTheMonitorStartsAtItsLeft) {
    EXPECT_EQ(placePopup({500, 200, 2500, 228}, kMonitor, 2500, 28), (PixelPoint{0, 228}));
}

TEST(PopupPlacement, SecondMonitorWithNegativeOrigin) {
    const Rect left{-1280, -200, 0, 824};
    EXPECT_EQ(placePopup({-300, 700, -20, 728}, left, 280, 280), (PixelPoint{-300, 544}));
    EXPECT_EQ(placePopup({-200, 100, 80, 128}, left, 280, 84), (PixelPoint{-280, 128}));
    EXPECT_EQ(placePopup({-1300, -250, -1020, -222}, left, 280, 84), (PixelPoint{-1280, -200}));
}

TEST(PopupRows, RowUnderPointer) {
    // 3 rows of 28 in a 280-wide popup.
    EXPECT_EQ(popupRowAt(0, 0, 280, 84, 28), 0);
    EXPECT_EQ(popupRowAt(279, 27, 280, 84, 28), 0);
    EXPECT_EQ(popupRowAt(10, 28, 280, 84, 28), 1);
    EXPECT_EQ(popupRowAt(10, 83, 280, 84, 28), 2);
    EXPECT_EQ(popupRowAt(10, 84, 280, 84, 28), -1);
    EXPECT_EQ(popupRowAt(280, 10, 280, 84, 28), -1);
    EXPECT_EQ(popupRowAt(-1, 10, 280, 84, 28), -1);
    EXPECT_EQ(popupRowAt(10, -1, 280, 84, 28), -1);  // captured pointer above the popup
    EXPECT_EQ(popupRowAt(10, 10, 280, 84, 0), -1);
}

TEST(PopupRows, RowRectangles) {
    EXPECT_EQ(popupHeightFor(3, 28), 84);
    EXPECT_EQ(popupRowRect(0, 28, 280), (Rect{0, 0, 280, 28}));
    EXPECT_EQ(popupRowRect(2, 28, 280), (Rect{0, 56, 280, 84}));
    EXPECT_EQ(popupRowTextRect(1, 28, 280), (Rect{8, 28, 280, 56}));
}

TEST(PopupRows, HighlightWinsOverSelection) {
    EXPECT_EQ(popupRowFill(2, 2, 2), PopupRowFill::Hover);
    EXPECT_EQ(popupRowFill(2, 2, 0), PopupRowFill::Hover);
    EXPECT_EQ(popupRowFill(0, 2, 0), PopupRowFill::Selected);
    EXPECT_EQ(popupRowFill(1, 2, 0), PopupRowFill::Background);
    EXPECT_EQ(popupRowFill(0, -1, -1), PopupRowFill::Background);
}

TEST(ClosedBox, ArrowAndTextArea) {
    const auto arrow = comboArrowPoints(280, 28);
    EXPECT_EQ(arrow[0], (PixelPoint{260, 12}));
    EXPECT_EQ(arrow[1], (PixelPoint{268, 12}));
    EXPECT_EQ(arrow[2], (PixelPoint{264, 16}));
    EXPECT_EQ(comboArrowPoints(100, 25)[2], (PixelPoint{84, 14}));  // m = 25 / 2 = 12
    EXPECT_EQ(comboTextRect(280, 28), (Rect{8, 0, 250, 28}));
}

TEST(ClosedBox, RowHeightArrowAndTextAreaFollowTheDpi) {
    // The 280 x 28 box above (28-pixel rows) at larger DPIs: m = 14 always; 2.5 pixels round up.
    const std::tuple<int, int, std::array<PixelPoint, 3>, Rect> boxes[] = {
        {120, 35, {{{255, 11}, {265, 11}, {260, 17}}}, {10, 0, 242, 28}},
        {144, 42, {{{250, 11}, {262, 11}, {256, 17}}}, {12, 0, 235, 28}},
        {192, 56, {{{240, 10}, {256, 10}, {248, 18}}}, {16, 0, 220, 28}},
    };
    for (const auto& [dpi, itemHeight, arrow, text] : boxes) {
        EXPECT_EQ(comboItemHeight(dpi), itemHeight) << dpi;
        EXPECT_EQ(comboArrowPoints(280, 28, dpi), arrow) << dpi;
        EXPECT_EQ(comboTextRect(280, 28, dpi), text) << dpi;
        EXPECT_EQ(popupRowTextRect(1, itemHeight, 280, dpi).left, text.left) << dpi;  // rows indent alike
    }
}

}  // namespace
}  // namespace mb
