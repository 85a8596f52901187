// Geometry and scrolling rules of the channel list, free of any window code so that
// both builds share them and the window procedure only applies the results. Pixel numbers are
// written as at 96 DPI; the functions given a DPI scale them (scaleForDpi). Where the DPI has a
// default it is 96; the list always passes its own.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "controls/channel_row.h"
#include "core/rect.h"
#include "core/dpi_scale.h"

namespace mb::progress_list {

constexpr int32_t kDefaultRowHeight = 30;  // until the first text-scale change
constexpr int32_t kStripWidth = 12;
// Font cell heights in pixels, scaled like the rest (fontCellHeight).
constexpr int32_t kLabelFontLowest = 8;
constexpr int32_t kNoRowsFontLowest = 12;
constexpr int32_t kNoRowsFontHighest = 48;
int32_t fontCellHeight(int32_t cellHeightAt96, int32_t dpi);

// Palette of the list.
constexpr RowColor kBackground = rowRgb(30, 30, 30);
constexpr RowColor kFrame = rowRgb(60, 60, 60);
constexpr RowColor kNoRowsText = rowRgb(150, 150, 150);
constexpr RowColor kLabelDefault = rowRgb(255, 255, 255);
constexpr RowColor kBarTrack = rowRgb(60, 60, 60);
constexpr RowColor kBarOutline = rowRgb(128, 128, 128);
constexpr RowColor kBarLow = rowRgb(255, 0, 0);       // below 25 %
constexpr RowColor kBarMiddle = rowRgb(255, 200, 0);  // 25 % to 49 %
constexpr RowColor kBarHigh = rowRgb(0, 200, 0);      // 50 % and above
constexpr RowColor kOverlayOutline = rowRgb(255, 200, 0);
constexpr RowColor kOverlayText = rowRgb(255, 255, 255);
constexpr RowColor kStrip = rowRgb(40, 40, 40);
constexpr RowColor kThumb = rowRgb(80, 80, 80);
constexpr RowColor kThumbHover = rowRgb(100, 100, 100);
constexpr RowColor kThumbDragging = rowRgb(120, 120, 120);

// Row height for a text scale in per cent (40 pixels at 100 %). Never below 1, because
// the client height is divided by it.
int32_t rowHeightForScale(int32_t percent, int32_t dpi = kDesignDpi);
// Row height before the first text-scale change.
int32_t defaultRowHeight(int32_t dpi);
// Rows that carry a boss's name (many bosses' rows in one list) are half as high again, the
// name over the label and the bar, which keep about a plain row's height.
bool rowsNamed(const std::vector<ChannelRow>& rows);
int32_t namedRowHeight(int32_t rowHeight);
// Whole rows that fit in the client height (never negative).
int32_t visibleRowCount(int32_t height, int32_t rowHeight);

// Largest valid first row: max(0, count - visibleRows).
int32_t maxTopIndex(int32_t count, int32_t visibleRows);
// Keeps a first-row index within 0 and maxTopIndex.
int32_t clampTopIndex(int32_t value, int32_t count, int32_t visibleRows);

// Rows drawn, [first, end): the visible ones plus one partly visible row at the bottom.
struct RowRange {
    int32_t first = 0;
    int32_t end = 0;
};
RowRange drawnRows(int32_t topIndex, int32_t count, int32_t visibleRows);
// The drawn rows (k = 0 at topIndex) whose pixels differ between the two row sets from topIndex,
// each drawn within its own rectangle; nothing when the counts differ, as the strip's thumb and
// the empty state follow the count and the whole list is drawn again. Empty: the same pixels.
std::optional<std::vector<int32_t>> changedDrawnRows(const std::vector<ChannelRow>& before,
                                                     const std::vector<ChannelRow>& after, int32_t topIndex,
                                                     int32_t visibleRows);
// Rectangle of the k-th drawn row (k = 0 at topIndex), across the full width.
Rect rowRect(int32_t k, int32_t rowHeight, int32_t width);
// The row under client y (rows start at the top), or nothing below the last row.
std::optional<int32_t> rowAt(int32_t y, int32_t rowHeight, int32_t topIndex, int32_t count);

// Inside one row: padding, the rectangle the label font is fitted in, label and bar.
struct RowLayout {
    int32_t pad = 0;
    Rect inner;
    Rect name;  // empty unless the rows are named
    Rect label;
    Rect bar;
};
int32_t rowPadding(const Rect& row);
Rect rowInner(const Rect& row);
// Largest label font cell height tried for a row with this inner rectangle.
int32_t labelFontHighest(const Rect& inner);
// sampleWidth is the measured width of the widest label, which fixes the label column. When
// the label takes the whole row, the bar is empty (zero width at the label's right). A named
// row has its name across the top two fifths of its inner rectangle, the label and the bar below.
RowLayout layoutRow(const Rect& row, int32_t sampleWidth, bool named = false);
// Where the label's font is fitted: the row's inner rectangle, below the name in a named row.
Rect labelFitArea(const Rect& row, bool named);

// Right edge of the bar fill; equal to bar.left when nothing is filled. Health outside
// 0 to 100 is held to the bar.
int32_t barFillRight(const Rect& bar, int32_t hpPercent);
RowColor thresholdColor(int32_t hpPercent);
RowColor barFillColor(const ChannelRow& row);
RowColor labelColor(const ChannelRow& row);

// Scroll strip at the right edge and its thumb.
Rect stripRect(int32_t width, int32_t height, int32_t dpi = kDesignDpi);
bool stripShown(bool enabled, int32_t count, int32_t visibleRows);
// Empty when every row fits.
Rect thumbRect(int32_t count, int32_t visibleRows, int32_t topIndex, int32_t width, int32_t height,
               int32_t dpi = kDesignDpi);
RowColor thumbColor(bool dragging, bool hovered);

// WM_VSCROLL request codes.
enum ScrollCode : int32_t {
    kLineUp = 0,
    kLineDown = 1,
    kPageUp = 2,
    kPageDown = 3,
    kThumbPosition = 4,
    kThumbTrack = 5,
};
int32_t topAfterScrollCode(int32_t code, int32_t thumbPos, int32_t topIndex, int32_t count, int32_t visibleRows);
// Wheel input. Precision touchpads and smooth wheels send many messages of less than one
// notch (120), so the deltas are added up: whole notches scroll one row each, a forward turn
// (positive) going up, and the rest waits for the next message. A turn the other way drops
// the rest first, so a reversal never has to undo what was left over.
constexpr int32_t kWheelNotch = 120;
struct WheelTurn {
    int32_t notches = 0;    // whole notches, positive forward
    int32_t remainder = 0;  // what is kept for the next message, |remainder| < 120
};
WheelTurn addWheelDelta(int32_t remainder, int32_t delta);
// The first row after a turn of that many notches.
int32_t topAfterWheelNotches(int32_t notches, int32_t topIndex, int32_t count, int32_t visibleRows);

// What a left press does at (x, y).
struct StripPress {
    enum Kind { kNothing, kStartDrag, kPage } kind = kNothing;
    int32_t topIndex = 0;  // the new first row for kPage
};
StripPress pressAt(int32_t x, int32_t y, int32_t width, int32_t height, bool enabled, int32_t count,
                   int32_t visibleRows, int32_t topIndex, int32_t dpi = kDesignDpi);

// First row while the thumb is dragged to pointer y; nothing when the geometry gives no track.
std::optional<int32_t> topWhileDragging(int32_t y, int32_t dragStartY, int32_t dragStartTop, int32_t count,
                                        int32_t visibleRows, int32_t height, int32_t dpi = kDesignDpi);

}  // namespace mb::progress_list
