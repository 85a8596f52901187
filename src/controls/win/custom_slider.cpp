#include "controls/win/custom_slider.h"

#include <cstdint>

#include "controls/slider_math.h"

namespace mb {

CustomSlider::~CustomSlider() { unbindControl(window_, this); }

bool CustomSlider::create(HWND parent, int x, int y, int width, int height, int id) {
    static bool registered = false;
    parent_ = parent;
    id_ = id;
    window_ = createRegisteredControl(
        registered,
        {controlClass(kCustomSliderClass, &controlWindowProc<CustomSlider, &CustomSlider::handleMessage, WM_NCCREATE>,
                      CS_OWNDC, IDC_HAND)},
        WS_CHILD | WS_VISIBLE, parent, x, y, width, height, id, this);
    return window_ != nullptr;
}

void CustomSlider::setBounds(int x, int y, int width, int height) { moveControl(window_, x, y, width, height); }

void CustomSlider::setRange(int minimum, int maximum) {
    minimum_ = minimum;
    maximum_ = maximum;
    value_ = clampSliderValue(value_, minimum_, maximum_);
    invalidateControl(window_);
}

void CustomSlider::setValue(int value) {
    value_ = clampSliderValue(value, minimum_, maximum_);
    invalidateControl(window_);
}

void CustomSlider::trackPointer(HWND window, int x) {
    std::optional<int> picked = sliderValueAtX(x, width_, minimum_, maximum_);
    if (!picked || *picked == value_) return;
    value_ = *picked;
    invalidateControl(window);
    const auto position = static_cast<DWORD>(static_cast<uint32_t>(value_) << 16);
    if (parent_)
        ::SendMessageW(parent_, WM_HSCROLL, static_cast<WPARAM>(position | SB_THUMBTRACK),
                       reinterpret_cast<LPARAM>(window));
}

void CustomSlider::paint(HWND window) {
    paintBuffered(window, buffer_, width_, height_, false, [&](HDC dc) {
        const RECT client{0, 0, width_, height_};
        fillSolid(dc, client, palette::kBackground);
        frameSolid(dc, client, palette::kBorder);
        fillSolid(dc, toRect(sliderTrackRect(width_, height_)), palette::kBorder);
        fillSolid(dc, toRect(sliderThumbRect(value_, minimum_, maximum_, width_, height_)),
                  dragging_ ? palette::kThumbDragging : palette::kThumb);
    });
}

LRESULT CustomSlider::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE:
        window_ = window;
        break;
    case WM_SIZE:
        width_ = static_cast<short>(LOWORD(lParam));
        height_ = static_cast<short>(HIWORD(lParam));
        buffer_.rebuildBackBuffer(window, width_, height_, false);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        paint(window);
        return 0;
    case WM_LBUTTONDOWN:
        dragging_ = true;
        ::SetCapture(window);
        trackPointer(window, mouseX(lParam));
        return 0;
    case WM_MOUSEMOVE:
        if (dragging_) trackPointer(window, mouseX(lParam));
        return 0;
    case WM_LBUTTONUP:
        if (dragging_) {
            dragging_ = false;
            ::ReleaseCapture();
            invalidateControl(window);
        }
        return 0;
    case WM_CAPTURECHANGED:
        // Capture taken away mid-drag (another window grabbed it, or the application was
        // switched): the release will never reach us, so the drag ends here. Otherwise plain
        // pointer moves over the slider would keep changing its value with no button down.
        if (dragging_ && reinterpret_cast<HWND>(lParam) != window) {
            dragging_ = false;
            invalidateControl(window);
        }
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
