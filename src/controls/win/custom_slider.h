// A horizontal slider ("VantorCustomSlider") with a 12-pixel thumb at 96 DPI, scaled at others.
// A press takes the mouse capture and jumps the thumb under the pointer; dragging follows it.
// Every change made by the mouse is sent to the parent at once as WM_HSCROLL with
// SB_THUMBTRACK and the new value in the high word; setRange and setValue notify nothing.
#pragma once

#include <windows.h>

#include "controls/win/buffered_control.h"

namespace mb {

inline constexpr wchar_t kCustomSliderClass[] = L"VantorCustomSlider";

class CustomSlider : public BufferedControl<CustomSlider> {
public:
    bool create(HWND parent, int x, int y, int width, int height, int id);
    // Stores the range and moves the value into it (to the minimum when minimum > maximum).
    void setRange(int minimum, int maximum);
    void setValue(int value);
    int value() const { return value_; }
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    bool dragging() const { return dragging_; }

private:
    friend class BufferedControl<CustomSlider>;
    static ControlClass windowClass() { return {kCustomSliderClass, CS_OWNDC, IDC_HAND}; }
    // The move that resizes the slider repaints it (SWP_NOCOPYBITS); the size message does not.
    void resized() {}
    void draw(HDC dc) const;
    LRESULT onMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void trackPointer(HWND window, int x);

    int minimum_ = 0;
    int maximum_ = 100;
    int value_ = 0;
    bool dragging_ = false;
};

}  // namespace mb
