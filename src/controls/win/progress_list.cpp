#include "controls/win/progress_list.h"

#include <algorithm>
#include <string>
#include <utility>

#include "controls/progress_list_text.h"

#include "controls/win/progress_list_paint.h"

namespace mb {
namespace pl = progress_list;

ProgressList::~ProgressList() {
    // WM_NCDESTROY clears window_ while DestroyWindow runs.
    if (window_ && ::IsWindow(window_)) ::DestroyWindow(window_);
    window_ = nullptr;
    buffer_.releaseBackBuffer();
}

bool ProgressList::create(HWND parent, int x, int y, int width, int height, int id) {
    static bool registered = false;
    parent_ = parent;
    id_ = id;
    window_ =
        createRegisteredControl(registered,
                                {controlClass(kProgressListClass,
                                              &controlWindowProc<ProgressList, &ProgressList::handleMessage, WM_CREATE>,
                                              CS_OWNDC | CS_DBLCLKS, IDC_ARROW)},
                                WS_CHILD | WS_VISIBLE, parent, x, y, width, height, id, this);
    if (!window_) return false;
    bindControl(window_, this);
    updateWindowText();
    return true;
}

void ProgressList::updateWindowText() {
    // The rows as drawn, one line each, for screen readers and inspection tools; written
    // only when it changes.
    syncWindowText(window_, windowText_, progress_list::listAccessibleText(rows_));
}

void ProgressList::setBounds(int x, int y, int width, int height) {
    moveControl(window_, x, y, width, height, SWP_NOZORDER);
}

void ProgressList::setRows(const std::vector<ChannelRow>& rows) {
    rows_ = rows;
    topIndex_ = std::min(topIndex_, pl::maxTopIndex(rowCount(), visibleRows_));
    updateWindowText();
    invalidateControl(window_, true);
}

void ProgressList::clearRows() {
    rows_.clear();
    topIndex_ = 0;
    updateWindowText();
    invalidateControl(window_, true);
}

void ProgressList::setTextScale(int percent) {
    textScale_ = percent;
    rowHeight_ = pl::rowHeightForScale(percent);
    visibleRows_ = pl::visibleRowCount(height_, rowHeight_);
    invalidateControl(window_);
}

void ProgressList::scrollToTop() {
    topIndex_ = 0;
    invalidateControl(window_);
}

void ProgressList::setScrollBarEnabled(bool enabled) {
    scrollBarEnabled_ = enabled;
    invalidateControl(window_);
}

void ProgressList::setTopIndex(int top) {
    if (top == topIndex_) return;
    topIndex_ = top;
    invalidateControl(window_);
}

void ProgressList::endThumbDrag() {
    // Cleared before ReleaseCapture, whose WM_CAPTURECHANGED then finds no drag.
    draggingThumb_ = false;
    if (::GetCapture() == window_) ::ReleaseCapture();
    invalidateControl(window_);
}

LRESULT ProgressList::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        // Creation sends WM_SIZE before CreateWindowExW returns the handle.
        window_ = window;
        return ::DefWindowProcW(window, message, wParam, lParam);
    case WM_SIZE:
        onSize(lParam);
        return 0;
    case WM_PAINT:
        onPaint();
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the paint covers every pixel
    case WM_VSCROLL:
        setTopIndex(pl::topAfterScrollCode(LOWORD(wParam), HIWORD(wParam), topIndex_, rowCount(), visibleRows_));
        return 0;
    case WM_MOUSEWHEEL: {
        const pl::WheelTurn turn = pl::addWheelDelta(wheelRemainder_, GET_WHEEL_DELTA_WPARAM(wParam));
        wheelRemainder_ = turn.remainder;
        topIndex_ = pl::topAfterWheelNotches(turn.notches, topIndex_, rowCount(), visibleRows_);
        invalidateControl(window_);
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
        if (draggingThumb_ && reinterpret_cast<HWND>(lParam) != window_) endThumbDrag();
        return 0;
    case WM_MOUSELEAVE:
        if (scrollHover_) {
            scrollHover_ = false;
            invalidateControl(window_);
        }
        return 0;
    case WM_NCDESTROY:
        window_ = nullptr;
        windowText_.clear();
        draggingThumb_ = false;
        scrollHover_ = false;
        return ::DefWindowProcW(window, message, wParam, lParam);
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

void ProgressList::onSize(LPARAM lParam) {
    width_ = static_cast<short>(LOWORD(lParam));
    height_ = static_cast<short>(HIWORD(lParam));
    buffer_.rebuildBackBuffer(window_, width_, height_, true);
    visibleRows_ = pl::visibleRowCount(height_, rowHeight_);
    invalidateControl(window_);
}

void ProgressList::onPaint() {
    ProgressListView view;
    view.rows = &rows_;
    view.topIndex = topIndex_;
    view.rowHeight = rowHeight_;
    view.visibleRows = visibleRows_;
    view.width = width_;
    view.height = height_;
    view.scrollBarEnabled = scrollBarEnabled_;
    view.draggingThumb = draggingThumb_;
    view.scrollHover = scrollHover_;
    view.fits = &fits_;
    paintBuffered(window_, buffer_, width_, height_, true, [&](HDC dc) { paintProgressList(dc, view); });
}

void ProgressList::onLeftButtonDown(int x, int y) {
    pl::StripPress press = pl::pressAt(x, y, width_, height_, scrollBarEnabled_, rowCount(), visibleRows_, topIndex_);
    switch (press.kind) {
    case pl::StripPress::kStartDrag:
        draggingThumb_ = true;
        dragStartY_ = y;
        dragStartTop_ = topIndex_;
        ::SetCapture(window_);
        invalidateControl(window_);  // the thumb turns lighter at once
        break;
    case pl::StripPress::kPage:
        setTopIndex(press.topIndex);
        break;
    case pl::StripPress::kNothing:
        break;
    }
}

void ProgressList::onMouseMove(int x, int y) {
    if (draggingThumb_) {
        std::optional<int32_t> top = pl::topWhileDragging(y, dragStartY_, dragStartTop_, rowCount(), visibleRows_,
                                                          height_);
        if (top) setTopIndex(*top);
        return;
    }
    const bool over = pl::stripRect(width_, height_).contains(x, y);
    if (over == scrollHover_) return;
    scrollHover_ = over;
    invalidateControl(window_);
    if (over) requestMouseLeave(window_);
}

}  // namespace mb
