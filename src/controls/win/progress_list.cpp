#include "controls/win/progress_list.h"

#include <algorithm>
#include <string>
#include <utility>

#include "controls/progress_list_text.h"

namespace mb {
namespace pl = progress_list;

bool ProgressList::create(HWND parent, int x, int y, int width, int height, int id) {
    // Before the window: its first WM_SIZE counts the rows.
    updateRowHeight();
    // Its paints leave alone a sibling laid over it (the alert banner).
    if (!createWindow(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, parent, x, y, width, height, id)) return false;
    updateWindowText();
    return true;
}

void ProgressList::updateWindowText() {
    // The rows as drawn, one line each, for screen readers and inspection tools; written
    // only when it changes.
    syncWindowText(window(), windowText_,
                   view_.rows.empty() ? view_.emptyText : progress_list::listAccessibleText(view_.rows));
}

void ProgressList::setEmptyText(std::wstring text) {
    view_.emptyText = std::move(text);
    updateWindowText();
    invalidate();
}

void ProgressList::setRows(const std::vector<ChannelRow>& rows) {
    const bool wasNamed = pl::rowsNamed(view_.rows);
    view_.rows = rows;
    if (pl::rowsNamed(view_.rows) != wasNamed) updateRowHeight();
    view_.topIndex = std::min(view_.topIndex, pl::maxTopIndex(rowCount(), view_.visibleRows));
    updateWindowText();
    showChanges();
}

void ProgressList::clearRows() { setRows({}); }

void ProgressList::setTextScale(int percent) {
    textScale_ = percent;
    textScaleSet_ = true;
    updateRowHeight();
    invalidate();
}

void ProgressList::dpiChanged() {
    updateRowHeight();
    invalidate();
}

void ProgressList::updateRowHeight() {
    view_.dpi = dpi();
    view_.rowHeight = textScaleSet_ ? pl::rowHeightForScale(textScale_, view_.dpi) : pl::defaultRowHeight(view_.dpi);
    if (pl::rowsNamed(view_.rows)) view_.rowHeight = pl::namedRowHeight(view_.rowHeight);
    view_.visibleRows = pl::visibleRowCount(height(), view_.rowHeight);
}

void ProgressList::scrollToTop() { setTopIndex(0); }

void ProgressList::setScrollBarEnabled(bool enabled) {
    view_.scrollBarEnabled = enabled;
    invalidate();
}

void ProgressList::setTopIndex(int top) {
    if (top == view_.topIndex) return;
    view_.topIndex = top;
    invalidate();
}

void ProgressList::endThumbDrag() {
    // Cleared before ReleaseCapture, whose WM_CAPTURECHANGED then finds no drag.
    view_.draggingThumb = false;
    if (::GetCapture() == window()) ::ReleaseCapture();
    invalidate();
}

LRESULT ProgressList::onMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_VSCROLL:
        setTopIndex(pl::topAfterScrollCode(LOWORD(wParam), HIWORD(wParam), topIndex(), rowCount(), visibleRows()));
        return 0;
    case WM_MOUSEWHEEL: {
        const pl::WheelTurn turn = pl::addWheelDelta(wheelRemainder_, GET_WHEEL_DELTA_WPARAM(wParam));
        wheelRemainder_ = turn.remainder;
        view_.topIndex = pl::topAfterWheelNotches(turn.notches, topIndex(), rowCount(), visibleRows());
        invalidate();
        return 0;
    }
    case WM_MOUSEMOVE:
        onMouseMove(mouseX(lParam), mouseY(lParam));
        return 0;
    case WM_LBUTTONDOWN:
        onLeftButtonDown(mouseX(lParam), mouseY(lParam));
        return 0;
    case WM_LBUTTONUP:
        if (draggingThumb()) endThumbDrag();
        return 0;
    case WM_CAPTURECHANGED:
        // Capture taken away mid-drag (a message box, a window switch): the drag ends
        // rather than following a pointer whose button is no longer down.
        if (draggingThumb() && reinterpret_cast<HWND>(lParam) != window) endThumbDrag();
        return 0;
    case WM_MOUSELEAVE:
        if (view_.scrollHover) {
            view_.scrollHover = false;
            invalidate();
        }
        return 0;
    case WM_NCDESTROY:
        windowText_.clear();
        view_.draggingThumb = false;
        view_.scrollHover = false;
        return ::DefWindowProcW(window, message, wParam, lParam);
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

// Creation sends the first WM_SIZE before CreateWindowExW returns, so the rows are counted
// before anything is drawn.
void ProgressList::resized() {
    view_.width = width();
    view_.height = height();
    view_.visibleRows = pl::visibleRowCount(height(), view_.rowHeight);
    drawn_.reset();  // the buffer was made again, blank
    invalidate();
}

void ProgressList::showChanges() {
    const std::optional<std::vector<int32_t>> rows = pl::rowsToRedraw(drawn_, view_);
    if (rows && rows->empty()) return;  // the screen shows this view already
    redrawNow([&](HDC dc) { paint(dc, rows); });
}

void ProgressList::draw(HDC dc) { paint(dc, pl::rowsToRedraw(drawn_, view_)); }

// With only rows changed since the buffer's last paint, only the drawn rows that differ are
// drawn again, so a refresh or an uncovered list costs little.
void ProgressList::paint(HDC dc, const std::optional<std::vector<int32_t>>& rows) {
    if (rows) {
        paintProgressListRows(dc, view_, *rows, fits_);
    } else {
        paintProgressList(dc, view_, fits_);
    }
    drawn_ = view_;
}

void ProgressList::onLeftButtonDown(int x, int y) {
    const pl::StripPress press = pl::pressAt(x, y, width(), height(), scrollBarEnabled(), rowCount(), visibleRows(),
                                             topIndex(), dpi());
    switch (press.kind) {
    case pl::StripPress::kStartDrag:
        view_.draggingThumb = true;
        dragStartY_ = y;
        dragStartTop_ = topIndex();
        ::SetCapture(window());
        invalidate();  // the thumb turns lighter at once
        break;
    case pl::StripPress::kPage:
        setTopIndex(press.topIndex);
        break;
    case pl::StripPress::kNothing:
        clickedRow_ = pl::rowAt(y, rowHeight(), topIndex(), rowCount());
        sendCommand(parent(), id(), kListClicked, window());
        break;
    }
}

void ProgressList::onMouseMove(int x, int y) {
    if (draggingThumb()) {
        std::optional<int32_t> top = pl::topWhileDragging(y, dragStartY_, dragStartTop_, rowCount(), visibleRows(),
                                                          height(), dpi());
        if (top) setTopIndex(*top);
        return;
    }
    const bool over = pl::stripRect(width(), height(), dpi()).contains(x, y);
    if (over == scrollHover()) return;
    view_.scrollHover = over;
    invalidate();
    if (over) requestMouseLeave(window());
}

}  // namespace mb
