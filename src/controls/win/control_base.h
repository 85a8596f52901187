// What every owner-drawn control shares beneath its BufferedControl frame (buffered_control.h):
// class registration and creation, moving and invalidating, the back buffer, per-paint fonts
// and brushes, input helpers and the palette. Each control is a plain object that its window
// reaches through window extra index 0 (windowThunk, never GWLP_USERDATA).
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <string_view>

#include "core/rect.h"
#include "core/win/rect_conversion.h"
#include "controls/text_fit.h"
#include "core/win/unique_handle.h"
#include "core/win/window_thunk.h"

namespace mb {

// ---- Palette of the label, button, slider and combo box --------------------------------
namespace palette {
inline constexpr COLORREF kBackground = RGB(50, 50, 50);  // every control's fill
inline constexpr COLORREF kHover = RGB(70, 70, 70);       // hovered button/box, hovered popup row
inline constexpr COLORREF kText = RGB(255, 255, 255);     // label and button text
inline constexpr COLORREF kBorder = RGB(80, 80, 80);      // slider border and track, box frame
inline constexpr COLORREF kThumb = RGB(150, 150, 150);    // slider thumb at rest
inline constexpr COLORREF kThumbDragging = RGB(200, 200, 200);
inline constexpr COLORREF kSelectedRow = RGB(100, 100, 100);  // selected, not hovered, popup row
inline constexpr COLORREF kBannerFill = RGB(255, 200, 0);     // the alert banner: amber, as the list's outline
inline constexpr COLORREF kBannerText = RGB(20, 20, 20);
}  // namespace palette

// SetWindowPos flags of every control move: keep the z-order, and throw the old pixels away
// so the whole control repaints after a move or resize.
inline constexpr UINT kControlMoveFlags = SWP_NOZORDER | SWP_NOCOPYBITS;

// ---- Registration, creation, moving -------------------------------------------------------
// A WNDCLASSEXW for a control class: given style and procedure, kWindowObjectBytes, this module,
// no icon, the given system cursor (IDC_ARROW or IDC_HAND), no background brush, no menu.
WNDCLASSEXW controlClass(const wchar_t* name, WNDPROC procedure, UINT style, LPCWSTR cursor);

// Registers the classes in order on the first call. `registered` is set only after all of
// them succeeded, so a failure is retried by the next creation; a class that a previous,
// partly failed attempt left registered counts as registered.
bool registerControlClasses(bool& registered, std::initializer_list<WNDCLASSEXW> classes);

// CreateWindowExW with an empty name, the id in place of the menu (none for 0), this module
// and `object` as creation parameter. Null on failure.
HWND createControlWindow(const wchar_t* className, DWORD exStyle, DWORD style, HWND parent, int x, int y, int width,
                         int height, int id, void* object);

// SetWindowPos without insert-after window; does nothing for a null window.
void moveControl(HWND window, int x, int y, int width, int height, UINT flags = kControlMoveFlags);

// Whole-client invalidation without erase; optionally painted at once. Null window: nothing
// (InvalidateRect of null would repaint every window on the desktop).
void invalidateControl(HWND window, bool updateNow = false);

// The window text of a control that draws something else as well (the list's rows, the box's
// selection), for screen readers and inspection tools: text is written unless it is what was
// last written there (kept in written). Nothing for a null window.
void syncWindowText(HWND window, std::wstring& written, std::wstring text);

// ---- Back buffer ----------------------------------------------------------------------------
// A memory DC compatible with the window's DC, a bitmap of the client size selected into it,
// and the bitmap it replaced (selected back before the DC goes).
class BackBuffer {
public:
    BackBuffer() = default;
    ~BackBuffer() { releaseBackBuffer(); }
    BackBuffer(const BackBuffer&) = delete;
    BackBuffer& operator=(const BackBuffer&) = delete;

    // releaseBackBuffer, then, only for width > 0 and height > 0, a new DC and bitmap made from
    // the window's DC. transparentText sets the memory DC's background mode to TRANSPARENT.
    void rebuildBackBuffer(HWND window, int width, int height, bool transparentText);

    // Selects the previous bitmap back, deletes the DC, then the bitmap; all three become null.
    void releaseBackBuffer();

    HDC dc() const noexcept { return dc_.get(); }
    bool hasDc() const noexcept { return static_cast<bool>(dc_); }
    bool hasBitmap() const noexcept { return static_cast<bool>(bitmap_); }
    bool ready() const noexcept { return hasDc() && hasBitmap(); }

    // BitBlt (SRCCOPY) width x height from (0, 0) of the buffer to (0, 0) of target.
    void present(HDC target, int width, int height) const;

private:
    UniqueMemoryDc dc_;
    UniqueBitmap bitmap_;
    HGDIOBJ previousBitmap_ = nullptr;
};

// The frame of every control's WM_PAINT: BeginPaint; a buffer that lacks its DC or bitmap is
// rebuilt at width x height; draw(memoryDc) paints the whole client into it; one BitBlt of
// width x height copies it to the window; EndPaint. When no buffer can be made (an empty
// client) the window is only validated.
template <typename Draw>
void paintBuffered(HWND window, BackBuffer& buffer, int width, int height, bool transparentText, Draw&& draw) {
    PaintScope paint(window);
    if (!buffer.ready()) buffer.rebuildBackBuffer(window, width, height, transparentText);
    if (!buffer.ready()) return;
    draw(buffer.dc());
    buffer.present(paint.dc(), width, height);
}

// The same drawing and copy at once through the window's DC (GetDC), for content that changes
// every poll: an invalidation and its WM_PAINT cost several times the drawing under Wine. A
// window that is not shown, or whose DC cannot be had, is invalidated instead. What another
// window uncovers still arrives as WM_PAINT.
template <typename Draw>
void drawBufferedNow(HWND window, BackBuffer& buffer, int width, int height, bool transparentText, Draw&& draw) {
    if (!window) return;
    if (::IsWindowVisible(window)) {
        WindowDc screen(window);
        if (!buffer.ready()) buffer.rebuildBackBuffer(window, width, height, transparentText);
        if (screen && buffer.ready()) {
            draw(buffer.dc());
            buffer.present(screen.get(), width, height);
            return;
        }
    }
    ::InvalidateRect(window, nullptr, FALSE);
}

// ---- Fonts and brushes, made per paint ----------------------------------------------------
// Vertical DPI of the screen (GetDeviceCaps LOGPIXELSY of GetDC(nullptr), released at once).
int screenDpiY();

// A font with the project's fixed arguments (width 0, weight 400, DEFAULT_CHARSET, default
// precisions, CLEARTYPE_QUALITY). A negative height is a character height, a positive one a
// cell height.
UniqueFont createControlFont(int height, const wchar_t* face, DWORD pitchAndFamily);

// The two typefaces of the interface: the controls' and the channel list's (monospaced).
struct FontFace {
    const wchar_t* name;
    DWORD pitchAndFamily;
};
inline constexpr FontFace kControlFace{L"Segoe UI", 0};
inline constexpr FontFace kListFace{L"Consolas", FIXED_PITCH | FF_MODERN};

// The face at `points`, as character height MulDiv(points, dpi, 72).
UniqueFont createPointFont(int points, int dpi, const FontFace& face = kControlFace);

// GetTextExtentPoint32W of the text through font, selected into dc for the measurement only.
SIZE textExtent(HDC dc, HFONT font, std::wstring_view text);

// The size one line of text is drawn at in availableWidth pixels (TextFitMemo), measured with
// textExtent in dc through createPointFont at each size tried. Nothing is measured
// when the memo knows the answer. DT_END_ELLIPSIS when the fit calls for an ellipsis, else 0.
TextFit fitPointText(HDC dc, TextFitMemo& memo, const std::wstring& text, int availableWidth, int points, int dpi,
                     const FontFace& face = kControlFace);
inline UINT ellipsisFormat(const TextFit& fit) { return fit.ellipsis ? DT_END_ELLIPSIS : 0u; }

// FillRect / FrameRect in one colour, with the DC's own brush (DC_BRUSH).
void fillSolid(HDC dc, const RECT& rect, COLORREF colour);
void frameSolid(HDC dc, const RECT& rect, COLORREF colour);

// ---- Input and notifications --------------------------------------------------------------
// Signed client coordinates of a mouse message.
inline int mouseX(LPARAM lParam) { return static_cast<short>(LOWORD(lParam)); }
inline int mouseY(LPARAM lParam) { return static_cast<short>(HIWORD(lParam)); }

// TrackMouseEvent(TME_LEAVE, hover time 0) so the window gets WM_MOUSELEAVE.
bool requestMouseLeave(HWND window);

// The pointer-over state of the button and the closed combo box: one TME_LEAVE request per
// entry, hovered until WM_MOUSELEAVE clears both flags.
class HoverTracker {
public:
    // WM_MOUSEMOVE: requests WM_MOUSELEAVE when none is outstanding. True when the pointer has
    // just entered, so the control repaints in its hover colour.
    bool onMouseMove(HWND window);
    void onMouseLeave() noexcept { hovered_ = trackingLeave_ = false; }
    bool hovered() const noexcept { return hovered_; }
    COLORREF fill() const noexcept { return hovered_ ? palette::kHover : palette::kBackground; }

private:
    bool hovered_ = false;
    bool trackingLeave_ = false;  // a TME_LEAVE request is outstanding
};

// SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id & 0xFFFF, code), from). Nothing for a null parent.
void sendCommand(HWND parent, int id, WORD code, HWND from);

}  // namespace mb
