#include "controls/win/custom_button.h"

#include "controls/win/text_paint.h"

namespace mb {

CustomButton::~CustomButton() { unbindControl(window_, this); }

bool CustomButton::create(HWND parent, int x, int y, int width, int height, int id) {
    static bool registered = false;
    if (!registerControlClasses(registered,
                                {controlClass(kCustomButtonClass,
                                              &controlWindowProc<CustomButton, &CustomButton::handleMessage, WM_CREATE>,
                                              CS_OWNDC, IDC_HAND)}))
        return false;
    parent_ = parent;
    id_ = id;
    window_ = createControlWindow(kCustomButtonClass, WS_CHILD | WS_VISIBLE, parent, x, y, width, height, id, this);
    if (!window_) return false;
    bindControl(window_, this);
    RECT client{};
    ::GetClientRect(window_, &client);
    width_ = client.right;
    height_ = client.bottom;
    buffer_.rebuildBackBuffer(window_, width_, height_, true);
    return true;
}

void CustomButton::setText(const std::wstring& text) {
    text_ = text;
    invalidateControl(window_, true);
}

void CustomButton::setFontSize(int points) {
    fontSize_ = points;
    invalidateControl(window_, true);
}

void CustomButton::setBounds(int x, int y, int width, int height) { moveControl(window_, x, y, width, height); }

LRESULT CustomButton::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        window_ = window;
        break;
    case WM_SIZE:
        width_ = LOWORD(lParam);
        height_ = HIWORD(lParam);
        buffer_.rebuildBackBuffer(window, width_, height_, true);
        invalidateControl(window);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        paintTextControl(window, buffer_, width_, height_, hovered_ ? palette::kHover : palette::kBackground, text_,
                         fontSize_);
        return 0;
    case WM_MOUSEMOVE:
        if (!trackingLeave_) {
            requestMouseLeave(window);
            trackingLeave_ = true;
        }
        if (!hovered_) {
            hovered_ = true;
            invalidateControl(window, true);
        }
        return 0;
    case WM_MOUSELEAVE:
        hovered_ = false;
        trackingLeave_ = false;
        invalidateControl(window, true);
        return 0;
    case WM_LBUTTONDOWN:
        // Fires on the press itself; the parent has handled it when SendMessage returns.
        sendCommand(parent_, id_, BN_CLICKED, window);
        return 0;
    case WM_NCDESTROY:
        window_ = nullptr;
        break;
    default:
        break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace mb
