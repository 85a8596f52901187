#include "controls/win/progress_list.h"

#include <algorithm>
#include <string>
#include <utility>

#include "controls/progress_list_text.h"

#include "controls/win/progress_list_paint.h"

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
    syncWindowText(window(), windowText_, rows_.empty() ? emptyText_ : progress_list::listAccessibleText(rows_));
}

void ProgressList::setEmptyText(std::wstring text) {
    if (text == emptyText_) return;
    emptyText_ = std::move(text);
    fits_ = FontFitCache();  // it keys the fitted sizes by the text's address
    updateWindowText();
    invalidate();
}

void ProgressList::setRows(const std::vector<ChannelRow>& rows) {
    if (window() && rows == rows_) return;  // the same rows: the same pixels and window text
    // Only a change among the rows on screen needs a paint; the rest shows in the window text.
    const int top = std::min(topIndex_, pl::maxTopIndex(static_cast<int>(rows.size()), visibleRows_));
    const std::optional<std::vector<int32_t>> changed = pl::changedDrawnRows(rows_, rows, top, visibleRows_);
    const bool drawnChange = top != topIndex_ || !changed || !changed->empty();
    rows_ = rows;
    topIndex_ = top;
    updateWindowText();
    if (drawnChange) redrawNow();
}

void ProgressList::clearRows() {
    rows_.clear();
    topIndex_ = 0;
    updateWindowText();
    invalidate(true);
}

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
    rowHeight_ = textScaleSet_ ? pl::rowHeightForScale(textScale_, dpi()) : pl::defaultRowHeight(dpi());
    visibleRows_ = pl::visibleRowCount(height(), rowHeight_);
}

void ProgressList::scrollToTop() {
    topIndex_ = 0;
    invalidate();
}

void ProgressList::setScrollBarEnabled(bool enabled) {
    scrollBarEnabled_ = enabled;
    invalidate();
}

void ProgressList::setTopIndex(int top) {
    if (top == topIndex_) return;
    topIndex_ = top;
    invalidate();
}

void ProgressList::endThumbDrag() {
    // Cleared before ReleaseCapture, whose WM_CAPTURECHANGED then finds no drag.
    draggingThumb_ = false;
    if (::GetCapture() == window()) ::ReleaseCapture();
    invalidate();
}

LRESULT ProgressList::onMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_VSCROLL:
        setTopIndex(pl::topAfterScrollCode(LOWORD(wParam), HIWORD(wParam), topIndex_, rowCount(), visibleRows_));
        return 0;
    case WM_MOUSEWHEEL: {
        const pl::WheelTurn turn = pl::addWheelDelta(wheelRemainder_, GET_WHEEL_DELTA_WPARAM(wParam));
        wheelRemainder_ = turn.remainder;
        topIndex_ = pl::topAfterWheelNotches(turn.notches, topIndex_, rowCount(), visibleRows_);
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
        if (draggingThumb_) endThumbDrag();
        return 0;
    case WM_CAPTURECHANGED:
        // Capture taken away mid-drag (a message box, a window switch): the drag ends
        // rather than following a pointer whose button is no longer down.
        if (draggingThumb_ && reinterpret_cast<HWND>(lParam) != window) endThumbDrag();
        return 0;
    case WM_MOUSELEAVE:
        if (scrollHover_) {
            scrollHover_ = false;
            invalidate();
        }
        return 0;
    case WM_NCDESTROY:
        windowText_.clear();
        draggingThumb_ = false;
        scrollHover_ = false;
        return ::DefWindowProcW(window, message, wParam, lParam);
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

// Creation sends the first WM_SIZE before CreateWindowExW returns, so the rows are counted
// before anything is drawn.
void ProgressList::resized() {
    visibleRows_ = pl::visibleRowCount(height(), rowHeight_);
    drawnFrame_.reset();  // the buffer was made again, blank
    invalidate();
}

void ProgressList::draw(HDC dc) {
    ProgressListView view;
    view.rows = &rows_;
    view.topIndex = topIndex_;
    view.rowHeight = rowHeight_;
    view.visibleRows = visibleRows_;
    view.width = width();
    view.height = height();
    view.scrollBarEnabled = scrollBarEnabled_;
    view.draggingThumb = draggingThumb_;
    view.scrollHover = scrollHover_;
    view.dpi = dpi();
    view.fits = &fits_;
    view.emptyText = emptyText_.c_str();
    // The buffer still shows the last paint: with nothing but rows changed since, only the rows
    // that differ are drawn again, so a refresh or an uncovered list costs little.
    DrawnFrame frame{topIndex_, rowHeight_,        visibleRows_,   width(),      height(),
                     dpi(),     scrollBarEnabled_, draggingThumb_, scrollHover_, emptyText_};
    const std::optional<std::vector<int32_t>> changed = drawnFrame_ == frame
                                                            ? pl::changedDrawnRows(drawnRows_, rows_, topIndex_,
                                                                                   visibleRows_)
                                                            : std::nullopt;
    if (changed) {
        paintProgressListRows(dc, view, *changed);
    } else {
        paintProgressList(dc, view);
    }
    drawnFrame_ = std::move(frame);
    drawnRows_ = rows_;
}

void ProgressList::onLeftButtonDown(int x, int y) {
    pl::StripPress press = pl::pressAt(x, y, width(), height(), scrollBarEnabled_, rowCount(), visibleRows_, topIndex_,
                                       dpi());
    switch (press.kind) {
    case pl::StripPress::kStartDrag:
        draggingThumb_ = true;
        dragStartY_ = y;
        dragStartTop_ = topIndex_;
        ::SetCapture(window());
        invalidate();  // the thumb turns lighter at once
        break;
    case pl::StripPress::kPage:
        setTopIndex(press.topIndex);
        break;
    case pl::StripPress::kNothing:
        if (scrollBarEnabled_ && pl::stripRect(width(), height(), dpi()).contains(x, y)) break;
        clickedRow_ = pl::rowAt(y, rowHeight_, topIndex_, rowCount());
        sendCommand(parent(), id(), kListClicked, window());
        break;
    }
}

void ProgressList::onMouseMove(int x, int y) {
    if (draggingThumb_) {
        std::optional<int32_t> top = pl::topWhileDragging(y, dragStartY_, dragStartTop_, rowCount(), visibleRows_,
                                                          height(), dpi());
        if (top) setTopIndex(*top);
        return;
    }
    const bool over = pl::stripRect(width(), height(), dpi()).contains(x, y);
    if (over == scrollHover_) return;
    scrollHover_ = over;
    invalidate();
    if (over) requestMouseLeave(window());
}

}  // namespace mb
