// The frame of every owner-drawn control: one window of one class, painted whole from a back
// buffer of the client size. The frame keeps the window, parent, id, buffer and client size
// and answers the messages that every control treats alike; the control (Control derives
// from BufferedControl<Control>) keeps only its own drawing and input:
//
//   class Foo : public BufferedControl<Foo> {
//   public:
//       bool create(HWND parent, int x, int y, int w, int h, int id) {
//           return createWindow(WS_CHILD | WS_VISIBLE, 0, parent, x, y, w, h, id);
//       }
//   private:
//       friend class BufferedControl<Foo>;
//       static ControlClass windowClass() { return {L"Foo", CS_OWNDC, IDC_ARROW}; }
//       void draw(HDC dc);  // the whole client, into the buffer
//       LRESULT onMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);  // optional
//   };
//
// What a control may declare in place of the frame's defaults: kTransparentText (the buffer's
// text background mode), kMoveFlags (of setBounds), resized() (after WM_SIZE rebuilt the
// buffer; the default repaints the whole control), dpiChanged() (after setDpi changed the
// DPI; the default repaints the whole control) and onMessage (the default is DefWindowProcW).
//
// Every control draws at one DPI: its fonts are made at it and each of its pixel numbers,
// written for 96 DPI, is scaled to it (scaleForDpi). Until setDpi it is the screen's
// LOGPIXELSY, the DPI that the fonts always followed.
#pragma once

#include <windows.h>

#include "controls/win/control_base.h"
#include "core/win/window_thunk.h"

namespace mb {

// The window class of one control: its name, class style and system cursor.
struct ControlClass {
    const wchar_t* name;
    UINT style;
    LPCWSTR cursor;
};

template <typename Control>
class BufferedControl {
public:
    BufferedControl(const BufferedControl&) = delete;
    BufferedControl& operator=(const BufferedControl&) = delete;

    // Registers the control's class on first use; a failure is retried by the next call.
    static bool registerClass() {
        static bool registered = false;
        return registerControlClasses(registered,
                                      {controlClass(Control::windowClass().name,
                                                    &windowThunk<BufferedControl, &BufferedControl::handleMessage>,
                                                    Control::windowClass().style, Control::windowClass().cursor)});
    }

    void setBounds(int x, int y, int width, int height) {
        moveControl(window_, x, y, width, height, Control::kMoveFlags);
    }
    HWND window() const { return window_; }

    // A DPI of 0 or below goes back to the screen's. A live control repaints at the new one.
    void setDpi(int dpi) {
        const int wanted = dpi > 0 ? dpi : screenDpiY();
        if (wanted == dpi_) return;
        dpi_ = wanted;
        static_cast<Control&>(*this).dpiChanged();
    }
    int dpi() const {
        if (dpi_ == 0) dpi_ = screenDpiY();  // read once, on first use
        return dpi_;
    }

protected:
    static constexpr bool kTransparentText = false;
    static constexpr UINT kMoveFlags = kControlMoveFlags;

    BufferedControl() = default;
    // A window that outlives its control (its parent destroys it later) falls back to
    // DefWindowProcW instead of reaching freed memory.
    ~BufferedControl() { unbindWindow(window_, this); }

    // Registers the class, stores parent and id, and creates the window with this control as
    // its creation parameter; the window is bound from WM_NCCREATE on. False on failure.
    bool createWindow(DWORD style, DWORD exStyle, HWND parent, int x, int y, int width, int height, int id) {
        if (!registerClass()) return false;
        parent_ = parent;
        id_ = id;
        return createControlWindow(Control::windowClass().name, exStyle, style, parent, x, y, width, height, id,
                                   this) != nullptr;
    }
    // For a control whose object decides when its window ends.
    void destroyWindow() {
        if (window_ && ::IsWindow(window_)) ::DestroyWindow(window_);
    }
    void invalidate(bool updateNow = false) const { invalidateControl(window_, updateNow); }
    // paint(dc) draws into the buffer, which holds the control's last paint unless it was just
    // made anew (blank), and the buffer is on screen when this returns, without a WM_PAINT. A
    // window that cannot be drawn now is invalidated instead, and its WM_PAINT calls draw(dc).
    template <typename Paint>
    void redrawNow(Paint&& paint) {
        drawBufferedNow(window_, buffer_, width_, height_, Control::kTransparentText, paint);
    }

    void resized() { invalidate(); }
    void dpiChanged() { invalidate(); }
    LRESULT onMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    HWND parent() const { return parent_; }
    int id() const { return id_; }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        Control& self = static_cast<Control&>(*this);
        switch (message) {
        case WM_NCCREATE:
            window_ = window;
            break;
        case WM_SIZE:
            width_ = static_cast<short>(LOWORD(lParam));
            height_ = static_cast<short>(HIWORD(lParam));
            buffer_.rebuildBackBuffer(window, width_, height_, Control::kTransparentText);
            self.resized();
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the paint covers every pixel
        case WM_PAINT:
            paintBuffered(window, buffer_, width_, height_, Control::kTransparentText, [&](HDC dc) { self.draw(dc); });
            return 0;
        case WM_NCDESTROY:
            window_ = nullptr;
            buffer_.releaseBackBuffer();
            break;
        default:
            break;
        }
        // Creation and destruction go on to the control as well, which ends in DefWindowProcW.
        return self.onMessage(window, message, wParam, lParam);
    }

    HWND window_ = nullptr;
    HWND parent_ = nullptr;
    int id_ = 0;
    BackBuffer buffer_;
    int width_ = 0;
    int height_ = 0;
    mutable int dpi_ = 0;  // 0 until first asked for or set
};

}  // namespace mb
