#include "controls/progress_list_math.h"

#include <algorithm>

#include "core/dpi_scale.h"

namespace mb::progress_list {

int32_t fontCellHeight(int32_t cellHeightAt96, int32_t dpi) { return scaleForDpi(cellHeightAt96, dpi); }

// Truncated at 96 DPI first, as the height always was, then scaled.
int32_t rowHeightForScale(int32_t percent, int32_t dpi) {
    return std::max<int32_t>(1, scaleForDpi(std::max<int32_t>(1, percent * 40 / 100), dpi));
}

int32_t defaultRowHeight(int32_t dpi) { return scaleForDpi(kDefaultRowHeight, dpi); }

bool rowsNamed(const std::vector<ChannelRow>& rows) {
    return std::any_of(rows.begin(), rows.end(), [](const ChannelRow& row) { return !row.name.empty(); });
}

int32_t namedRowHeight(int32_t rowHeight) { return rowHeight + rowHeight / 2; }

int32_t visibleRowCount(int32_t height, int32_t rowHeight) {
    if (rowHeight <= 0 || height <= 0) return 0;
    return height / rowHeight;
}

int32_t maxTopIndex(int32_t count, int32_t visibleRows) { return std::max<int32_t>(0, count - visibleRows); }

int32_t clampTopIndex(int32_t value, int32_t count, int32_t visibleRows) {
    return std::clamp<int32_t>(value, 0, maxTopIndex(count, visibleRows));
}

RowRange drawnRows(int32_t topIndex, int32_t count, int32_t visibleRows) {
    RowRange range;
    range.first = std::max<int32_t>(0, topIndex);
    // The +1 lets a partly visible row close the list instead of a gap.
    int64_t end = static_cast<int64_t>(topIndex) + visibleRows + 1;
    range.end = static_cast<int32_t>(std::min<int64_t>(count, end));
    if (range.end < range.first) range.end = range.first;
    return range;
}

std::optional<std::vector<int32_t>> changedDrawnRows(const std::vector<ChannelRow>& before,
                                                     const std::vector<ChannelRow>& after, int32_t topIndex,
                                                     int32_t visibleRows) {
    if (before.size() != after.size()) return std::nullopt;
    const RowRange range = drawnRows(topIndex, static_cast<int32_t>(after.size()), visibleRows);
    std::vector<int32_t> changed;
    for (int32_t i = range.first; i < range.end; ++i) {
        if (before[static_cast<size_t>(i)] != after[static_cast<size_t>(i)]) changed.push_back(i - range.first);
    }
    return changed;
}

Rect rowRect(int32_t k, int32_t rowHeight, int32_t width) {
    Rect r;
    r.left = 0;
    r.top = k * rowHeight;
    r.right = width;
    r.bottom = r.top + rowHeight;
    return r;
}

std::optional<int32_t> rowAt(int32_t y, int32_t rowHeight, int32_t topIndex, int32_t count) {
    if (y < 0 || rowHeight <= 0) return std::nullopt;
    const int64_t row = int64_t{topIndex} + y / rowHeight;
    return row < count ? std::optional<int32_t>(static_cast<int32_t>(row)) : std::nullopt;
}

int32_t rowPadding(const Rect& row) { return row.height() / 8; }

Rect rowInner(const Rect& row) {
    int32_t pad = rowPadding(row);
    return Rect{row.left + pad, row.top + pad, row.right - pad, row.bottom - pad};
}

int32_t labelFontHighest(const Rect& inner) { return 3 * inner.height() / 4; }

Rect labelFitArea(const Rect& row, bool named) {
    Rect inner = rowInner(row);
    if (named) inner.top += inner.height() * 2 / 5;
    return inner;
}

RowLayout layoutRow(const Rect& row, int32_t sampleWidth, bool named) {
    RowLayout layout;
    layout.pad = rowPadding(row);
    layout.inner = rowInner(row);
    int32_t labelRight = row.left + layout.pad + sampleWidth;
    const int32_t top = labelFitArea(row, named).top;
    layout.label = Rect{row.left + layout.pad, top, labelRight, row.bottom - layout.pad};
    if (named) layout.name = Rect{layout.inner.left, layout.inner.top, layout.inner.right, top};
    layout.bar = Rect{labelRight + row.height() / 16, top, row.right - layout.pad, row.bottom - layout.pad};
    // A list too narrow for its text scale leaves no room for the bar. An inverted rectangle
    // would be drawn mirrored over the label, so the bar becomes empty instead.
    if (layout.bar.right < layout.bar.left) layout.bar.right = layout.bar.left;
    return layout;
}

int32_t barFillRight(const Rect& bar, int32_t hpPercent) {
    int32_t hp = std::clamp<int32_t>(hpPercent, 0, 100);
    return bar.left + bar.width() * hp / 100;
}

RowColor thresholdColor(int32_t hpPercent) {
    if (hpPercent < 25) return kBarLow;
    if (hpPercent < 50) return kBarMiddle;
    return kBarHigh;
}

RowColor barFillColor(const ChannelRow& row) {
    return row.barColor != 0 ? row.barColor : thresholdColor(row.hpPercent);
}

RowColor labelColor(const ChannelRow& row) { return row.textColor != 0 ? row.textColor : kLabelDefault; }

Rect stripRect(int32_t width, int32_t height, int32_t dpi) {
    return Rect{width - scaleForDpi(kStripWidth, dpi), 0, width, height};
}

bool stripShown(bool enabled, int32_t count, int32_t visibleRows) { return enabled && count > visibleRows; }

Rect thumbRect(int32_t count, int32_t visibleRows, int32_t topIndex, int32_t width, int32_t height, int32_t dpi) {
    if (count <= visibleRows || count <= 0) return Rect{};
    int32_t thumbHeight = std::max<int32_t>(scaleForDpi(15, dpi), visibleRows * height / count);
    int32_t offset = (height - thumbHeight) * topIndex / (count - visibleRows);
    // 2 pixels of strip around the thumb at 96 DPI.
    const int32_t inset = scaleForDpi(2, dpi);
    return Rect{width - scaleForDpi(kStripWidth, dpi) + inset, offset + inset, width - inset,
                offset + thumbHeight - inset};
}

RowColor thumbColor(bool dragging, bool hovered) {
    if (dragging) return kThumbDragging;
    if (hovered) return kThumbHover;
    return kThumb;
}

int32_t topAfterScrollCode(int32_t code, int32_t thumbPos, int32_t topIndex, int32_t count, int32_t visibleRows) {
    int32_t top = topIndex;
    switch (code) {
    case kLineUp:
        top -= 1;
        break;
    case kLineDown:
        top += 1;
        break;
    case kPageUp:
        top -= visibleRows;
        break;
    case kPageDown:
        top += visibleRows;
        break;
    case kThumbPosition:
    case kThumbTrack:
        top = thumbPos;
        break;
    default:
        break;
    }
    return clampTopIndex(top, count, visibleRows);
}

WheelTurn addWheelDelta(int32_t remainder, int32_t delta) {
    if ((remainder > 0 && delta < 0) || (remainder < 0 && delta > 0)) remainder = 0;
    // In 64 bits, so no delta can overflow the sum; the quotient truncates toward zero and
    // the remainder keeps the sign of the turn.
    const int64_t total = static_cast<int64_t>(remainder) + delta;
    return {static_cast<int32_t>(total / kWheelNotch), static_cast<int32_t>(total % kWheelNotch)};
}

int32_t topAfterWheelNotches(int32_t notches, int32_t topIndex, int32_t count, int32_t visibleRows) {
    return clampTopIndex(topIndex - notches, count, visibleRows);
}

StripPress pressAt(int32_t x, int32_t y, int32_t width, int32_t height, bool enabled, int32_t count,
                   int32_t visibleRows, int32_t topIndex, int32_t dpi) {
    StripPress press;
    press.topIndex = topIndex;
    if (!enabled || !stripRect(width, height, dpi).contains(x, y)) return press;
    Rect thumb = thumbRect(count, visibleRows, topIndex, width, height, dpi);
    if (thumb.contains(x, y)) {
        press.kind = StripPress::kStartDrag;
        return press;
    }
    press.kind = StripPress::kPage;
    int32_t step = y < thumb.top ? -visibleRows : visibleRows;
    press.topIndex = clampTopIndex(topIndex + step, count, visibleRows);
    return press;
}

std::optional<int32_t> topWhileDragging(int32_t y, int32_t dragStartY, int32_t dragStartTop, int32_t count,
                                        int32_t visibleRows, int32_t height, int32_t dpi) {
    int32_t maxTop = count - visibleRows;
    if (height <= 0 || maxTop <= 0) return std::nullopt;
    // The drag uses a 10-pixel minimum thumb (at 96 DPI), a little smaller than the drawn one.
    int32_t dragThumb = std::max<int32_t>(scaleForDpi(10, dpi), visibleRows * height / count);
    int32_t track = height - dragThumb;
    if (track <= 0) return std::nullopt;
    int32_t dy = y - dragStartY;
    int32_t p = dragStartTop * track / maxTop + dy;
    if (p <= 0) return 0;
    if (p >= track) return maxTop;
    int32_t top = dragStartTop + (dy * maxTop + track / 2) / track;
    return std::clamp<int32_t>(top, 0, maxTop);
}

}  // namespace mb::progress_list
