// The channel list ("VantorProgressList"): one row per channel with label, health bar and
// the time and loss rate over the bar; scrolls by wheel, WM_VSCROLL and its own strip at the
// right edge. It only draws the rows it is given and sends nothing to its parent.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "controls/channel_row.h"
#include "controls/progress_list_math.h"
#include "controls/win/control_base.h"
#include "controls/win/progress_list_paint.h"

namespace mb {

inline constexpr wchar_t kProgressListClass[] = L"VantorProgressList";

class ProgressList {
public:
    ProgressList() = default;
    // Destroys the window if it still exists (the controls of the main window do not).
    ~ProgressList();
    ProgressList(const ProgressList&) = delete;
    ProgressList& operator=(const ProgressList&) = delete;

    bool create(HWND parent, int x, int y, int width, int height, int id);
    void setBounds(int x, int y, int width, int height);
    // Copies the rows and keeps the scroll position while it stays valid; on screen on return.
    void setRows(const std::vector<ChannelRow>& rows);
    void clearRows();
    // Row height becomes percent * 40 / 100; the first row is not re-clamped.
    void setTextScale(int percent);
    void scrollToTop();
    void setScrollBarEnabled(bool enabled);

    HWND window() const { return window_; }
    int topIndex() const { return topIndex_; }
    int rowHeight() const { return rowHeight_; }
    int visibleRows() const { return visibleRows_; }
    int textScale() const { return textScale_; }
    int rowCount() const { return static_cast<int>(rows_.size()); }
    bool scrollBarEnabled() const { return scrollBarEnabled_; }
    bool draggingThumb() const { return draggingThumb_; }
    bool scrollHover() const { return scrollHover_; }

private:
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void onPaint();
    void onSize(LPARAM lParam);
    void onLeftButtonDown(int x, int y);
    void onMouseMove(int x, int y);
    void setTopIndex(int top);  // invalidates only on change
    void endThumbDrag();
    void updateWindowText();

    HWND window_ = nullptr;
    HWND parent_ = nullptr;
    int id_ = 0;
    std::vector<ChannelRow> rows_;
    int topIndex_ = 0;
    int rowHeight_ = progress_list::kDefaultRowHeight;
    int visibleRows_ = 0;
    int width_ = 0;
    int height_ = 0;
    int textScale_ = 100;
    bool scrollBarEnabled_ = true;
    bool draggingThumb_ = false;
    int dragStartY_ = 0;
    int dragStartTop_ = 0;
    bool scrollHover_ = false;
    int wheelRemainder_ = 0;  // wheel delta short of a whole notch, kept for the next message
    BackBuffer buffer_;
    FontFitCache fits_;
    std::wstring windowText_;  // the rows as last written to the window text
};

}  // namespace mb
