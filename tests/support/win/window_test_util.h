// Helpers for tests that create real windows under Wine: a parent window that records the
// notifications its children send, bounded message pumping, and reading painted pixels back.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <vector>

namespace mb::test {

// Processes every queued message of this thread, then keeps doing so for `milliseconds`.
void pumpMessages(int milliseconds = 0);

// Pumps messages until `done` returns true or `timeoutMs` passed; returns done().
bool pumpUntil(const std::function<bool()>& done, int timeoutMs = 2000);

// One message as the parent received it.
struct RecordedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    WORD code() const { return HIWORD(wParam); }  // notification code of WM_COMMAND / scroll code
    WORD low() const { return LOWORD(wParam); }   // control id of WM_COMMAND / SB_* of WM_HSCROLL
    HWND from() const { return reinterpret_cast<HWND>(lParam); }
};

// A visible top-level popup window (no frame, not top-most) that records every WM_COMMAND,
// WM_HSCROLL and WM_VSCROLL it receives. Its client area is filled black.
class TestParentWindow {
public:
    TestParentWindow(int x, int y, int width, int height);
    ~TestParentWindow();
    TestParentWindow(const TestParentWindow&) = delete;
    TestParentWindow& operator=(const TestParentWindow&) = delete;

    HWND hwnd() const { return window_; }
    const std::vector<RecordedMessage>& messages() const { return messages_; }
    void clear() { messages_.clear(); }

    // Called inside the parent's handling of each recorded message (after recording it), so a
    // test can act the way an owner does while the control waits for SendMessage to return.
    std::function<void(const RecordedMessage&)> onMessage;

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND window_ = nullptr;
    std::vector<RecordedMessage> messages_;
};

// Pixels of a device context or window, as COLORREF values (red in the low byte).
class PixelCapture {
public:
    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return pixels_.empty(); }
    COLORREF at(int x, int y) const;  // CLR_INVALID outside
    // Pixels of colour `colour` inside [left, right) x [top, bottom), clipped to the capture.
    int count(const RECT& area, COLORREF colour) const;
    // True when every pixel of the area has this colour (and the area is not empty).
    bool all(const RECT& area, COLORREF colour) const;

    // BitBlt of width x height from (x, y) of `source` into a 32-bpp top-down DIB section.
    static PixelCapture fromDc(HDC source, int x, int y, int width, int height);
    // The client area of the window, through GetDC of the window (what the screen shows).
    static PixelCapture fromClient(HWND window);

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t> pixels_;  // 0x00RRGGBB from the DIB, row by row from the top
};

// Client point of `window` in screen coordinates.
POINT clientToScreen(HWND window, int x, int y);

// lParam of a mouse message at client point (x, y); negative values are kept as signed words.
inline LPARAM mousePoint(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)), static_cast<WORD>(static_cast<short>(y)));
}

// Input through the system queue (SendInput), as a real mouse would give it: the pointer is
// moved to the screen point, then the left button goes down or up there. Pumps afterwards.
void realMouseMove(POINT screen);
void realLeftButton(bool down);
void realClick(POINT screen);  // move, down, up

// Keys through the system queue (SendInput), as a keyboard would give them: each key of
// `keys` goes down in order and is handled, then all go up in reverse order. Pumps afterwards.
void realKeys(std::initializer_list<WORD> keys);

// Rectangle of the primary monitor (rcMonitor).
RECT primaryMonitorRect();

}  // namespace mb::test
