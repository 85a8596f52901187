#include "controls/win/custom_label.h"

#include "controls/win/text_paint.h"

namespace mb {

CustomLabel::~CustomLabel() {
    // The window goes with the main window; it must not reach this object afterwards.
    unbindControl(window_, this);
}

bool CustomLabel::create(HWND parent, int x, int y, int width, int height, int id) {
    static bool registered = false;
    if (!registerControlClasses(registered,
                                {controlClass(kCustomLabelClass,
                                              &controlWindowProc<CustomLabel, &CustomLabel::handleMessage, WM_CREATE>,
                                              CS_OWNDC, IDC_ARROW)}))
        return false;
    parent_ = parent;
    id_ = id;
    window_ = createControlWindow(kCustomLabelClass, WS_CHILD | WS_VISIBLE, parent, x, y, width, height, id, this);
    if (!window_) return false;
    bindControl(window_, this);
    RECT client{};
    ::GetClientRect(window_, &client);
    width_ = client.right;
    height_ = client.bottom;
    buffer_.rebuildBackBuffer(window_, width_, height_, true);
    return true;
}

void CustomLabel::setText(const std::wstring& text) {
    text_ = text;
    invalidateControl(window_, true);
}

void CustomLabel::setFontSize(int points) {
    fontSize_ = points;
    invalidateControl(window_, true);
}

void CustomLabel::setBounds(int x, int y, int width, int height) { moveControl(window_, x, y, width, height); }

LRESULT CustomLabel::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
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
        paintTextControl(window, buffer_, width_, height_, palette::kBackground, text_, fontSize_);
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
