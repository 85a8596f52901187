#include "controls/win/text_control.h"

namespace mb {

bool TextControl::create(bool& registered, const WNDCLASSEXW& windowClass, void* object, HWND parent, int x, int y,
                         int width, int height, int id) {
    if (!registerControlClasses(registered, {windowClass})) return false;
    parent_ = parent;
    id_ = id;
    window_ = createControlWindow(windowClass.lpszClassName, WS_CHILD | WS_VISIBLE, parent, x, y, width, height, id,
                                  object);
    if (!window_) return false;
    bindControl(window_, object);
    if (!text_.empty()) ::SetWindowTextW(window_, text_.c_str());
    RECT client{};
    ::GetClientRect(window_, &client);
    width_ = client.right;
    height_ = client.bottom;
    buffer_.rebuildBackBuffer(window_, width_, height_, true);
    return true;
}

void TextControl::setText(const std::wstring& text) {
    // The same text gives the same pixels: labels rewritten ten times a second stay idle.
    if (window_ && text == text_) return;
    text_ = text;
    // The window text too, so screen readers and other processes can read what is shown.
    if (window_) ::SetWindowTextW(window_, text_.c_str());
    invalidateControl(window_, true);
}

void TextControl::setFontSize(int points) {
    fontSize_ = points;
    invalidateControl(window_, true);
}

void TextControl::setBounds(int x, int y, int width, int height) { moveControl(window_, x, y, width, height); }

std::optional<LRESULT> TextControl::handleMessage(HWND window, UINT message, LPARAM lParam, COLORREF fill) {
    switch (message) {
    case WM_CREATE:
        window_ = window;
        return std::nullopt;
    case WM_SIZE:
        width_ = LOWORD(lParam);
        height_ = HIWORD(lParam);
        buffer_.rebuildBackBuffer(window, width_, height_, true);
        invalidateControl(window);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        paint(window, fill);
        return 0;
    case WM_NCDESTROY:
        window_ = nullptr;
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

void TextControl::paint(HWND window, COLORREF fill) {
    paintBuffered(window, buffer_, width_, height_, true, [&](HDC dc) {
        RECT client{0, 0, width_, height_};
        fillSolid(dc, client, fill);
        if (text_.empty()) return;
        UniqueFont font = createPointFont(fontSize_);
        SelectScope selectFont(dc, font.get());
        ::SetTextColor(dc, palette::kText);
        ::SetBkMode(dc, TRANSPARENT);
        ::DrawTextW(dc, text_.c_str(), -1, &client, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    });
}

}  // namespace mb
