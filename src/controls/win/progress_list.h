// The channel list ("VantorProgressList"): one row per channel with label, health bar and
// the time and loss rate over the bar; scrolls by wheel, WM_VSCROLL and its own strip at the
// right edge. It only draws the rows it is given; a press anywhere but on the strip sends its
// parent WM_COMMAND with kListClicked, and clickedRow() then tells which row it was. Row height,
// strip, thumb and the fonts' bounds follow its DPI.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "controls/channel_row.h"
#include "controls/progress_list_math.h"
#include "controls/progress_list_view.h"
#include "controls/win/buffered_control.h"
#include "controls/win/progress_list_paint.h"

namespace mb {

inline constexpr wchar_t kProgressListClass[] = L"VantorProgressList";
inline constexpr WORD kListClicked = 0;  // the notification code of a press on the rows

class ProgressList : public BufferedControl<ProgressList> {
public:
    // Destroys the window if it still exists (the controls of the main window do not).
    ~ProgressList() { destroyWindow(); }

    bool create(HWND parent, int x, int y, int width, int height, int id);
    // Copies the rows and keeps the scroll position while it stays valid; on screen on return.
    void setRows(const std::vector<ChannelRow>& rows);
    void clearRows();
    // Row height becomes percent * 40 / 100 (at 96 DPI); the first row is not re-clamped.
    void setTextScale(int percent);
    void scrollToTop();
    void setScrollBarEnabled(bool enabled);
    // What the list says while it has no rows ("Unknown" until set); also its window text then.
    void setEmptyText(std::wstring text);

    int topIndex() const { return view_.topIndex; }
    int rowHeight() const { return view_.rowHeight; }
    int visibleRows() const { return view_.visibleRows; }
    int textScale() const { return textScale_; }
    int rowCount() const { return static_cast<int>(view_.rows.size()); }
    bool scrollBarEnabled() const { return view_.scrollBarEnabled; }
    bool draggingThumb() const { return view_.draggingThumb; }
    bool scrollHover() const { return view_.scrollHover; }
    // The row of the last press that was not on the strip; nothing below the rows or without any.
    std::optional<int> clickedRow() const { return clickedRow_; }

private:
    friend class BufferedControl<ProgressList>;
    static ControlClass windowClass() { return {kProgressListClass, CS_OWNDC | CS_DBLCLKS, IDC_ARROW}; }
    static constexpr bool kTransparentText = true;
    // Its size message repaints it whole, so a move need not throw the old pixels away.
    static constexpr UINT kMoveFlags = SWP_NOZORDER;
    void resized();
    // Row height and visible rows at the new DPI; the first row is not re-clamped.
    void dpiChanged();
    void updateRowHeight();
    void draw(HDC dc);
    // Draws now what differs between the buffer and the view, and nothing when nothing does.
    void showChanges();
    void paint(HDC dc, const std::optional<std::vector<int32_t>>& rows);
    LRESULT onMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void onLeftButtonDown(int x, int y);
    void onMouseMove(int x, int y);
    void setTopIndex(int top);  // invalidates only on change
    void endThumbDrag();
    void updateWindowText();

    // What the list shows, its window's size and DPI included (kept by updateRowHeight and resized).
    ProgressListView view_;
    // What the back buffer holds: none before the first paint and once the buffer is new.
    std::optional<ProgressListView> drawn_;
    int textScale_ = 100;
    bool textScaleSet_ = false;  // the default row height until the first setTextScale
    int dragStartY_ = 0;
    int dragStartTop_ = 0;
    int wheelRemainder_ = 0;  // wheel delta short of a whole notch, kept for the next message
    std::optional<int> clickedRow_;
    FontFitCache fits_;
    std::wstring windowText_;  // the rows as last written to the window text
};

}  // namespace mb
