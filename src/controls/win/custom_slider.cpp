#include "controls/win/custom_slider.h"

#include <cstdint>

#include "controls/slider_math.h"

namespace mb {

bool CustomSlider::create(HWND parent, int x, int y, int width, int height, int id) {
    return createWindow(WS_CHILD | WS_VISIBLE, 0, parent, x, y, width, height, id);
}

void CustomSlider::setRange(int minimum, int maximum) {
    minimum_ = minimum;
    maximum_ = maximum;
    value_ = clampSliderValue(value_, minimum_, maximum_);
    invalidate();
}

void CustomSlider::setValue(int value) {
    value_ = clampSliderValue(value, minimum_, maximum_);
    invalidate();
}

void CustomSlider::trackPointer(HWND window, int x) {
    std::optional<int> picked = sliderValueAtX(x, width(), minimum_, maximum_, dpi());
    if (!picked || *picked == value_) return;
    value_ = *picked;
    invalidate();
    const auto position = static_cast<DWORD>(static_cast<uint32_t>(value_) << 16);
    if (parent())
        ::SendMessageW(parent(), WM_HSCROLL, static_cast<WPARAM>(position | SB_THUMBTRACK),
                       reinterpret_cast<LPARAM>(window));
}

void CustomSlider::draw(HDC dc) const {
    const RECT client{0, 0, width(), height()};
    fillSolid(dc, client, palette::kBackground);
    frameSolid(dc, client, palette::kBorder);  // one pixel at any DPI, a hairline like the box's
    fillSolid(dc, toRect(sliderTrackRect(width(), height(), dpi())), palette::kBorder);
    fillSolid(dc, toRect(sliderThumbRect(value_, minimum_, maximum_, width(), height(), dpi())),
              dragging_ ? palette::kThumbDragging : palette::kThumb);
}

LRESULT CustomSlider::onMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
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
            invalidate();
        }
        return 0;
    case WM_CAPTURECHANGED:
        // Capture taken away mid-drag (another window grabbed it, or the application was
        // switched): the release will never reach us, so the drag ends here. Otherwise plain
        // pointer moves over the slider would keep changing its value with no button down.
        if (dragging_ && reinterpret_cast<HWND>(lParam) != window) {
            dragging_ = false;
            invalidate();
        }
        return 0;
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace mb
