// What the label and the button share: their window, parent and id, one line of text at a
// font size, the back buffer and the client size, and the messages they treat alike
// (creation, resizing, erasing and the paint of a solid fill under centred white
// "Segoe UI" text). Each of them owns one TextControl and adds only what is its own.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "controls/win/control_base.h"

namespace mb {

class TextControl {
public:
    // Registers windowClass on first use, stores parent and id, creates the child window with
    // `object` (the label or button) as creation parameter, stores the object at extra index 0
    // again, reads the client size and builds the buffer. False on failure.
    bool create(bool& registered, const WNDCLASSEXW& windowClass, void* object, HWND parent, int x, int y, int width,
                int height, int id);
    // The new text (or size) is on screen when these return.
    void setText(const std::wstring& text);
    void setFontSize(int points);
    void setBounds(int x, int y, int width, int height);

    // WM_CREATE, WM_SIZE, WM_ERASEBKGND, WM_PAINT (filled with `fill`) and WM_NCDESTROY. The
    // result of a message answered here; nothing for one that goes on to DefWindowProcW.
    std::optional<LRESULT> handleMessage(HWND window, UINT message, LPARAM lParam, COLORREF fill);

    HWND window() const { return window_; }
    HWND parent() const { return parent_; }
    int id() const { return id_; }
    const std::wstring& text() const { return text_; }
    int fontSize() const { return fontSize_; }

private:
    void paint(HWND window, COLORREF fill);

    HWND window_ = nullptr;
    HWND parent_ = nullptr;
    int id_ = 0;
    std::wstring text_;
    int fontSize_ = 14;
    BackBuffer buffer_;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace mb
