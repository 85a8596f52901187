// A horizontal slider ("VantorCustomSlider") with a 12-pixel thumb. A press takes the mouse
// capture and jumps the thumb under the pointer; dragging follows it. Every change made by
// the mouse is sent to the parent at once as WM_HSCROLL with SB_THUMBTRACK and the new value
// in the high word; setRange and setValue notify nothing.
#pragma once

#include <windows.h>

#include "controls/win/control_base.h"

namespace mb {

inline constexpr wchar_t kCustomSliderClass[] = L"VantorCustomSlider";

class CustomSlider {
public:
    CustomSlider() = default;
    ~CustomSlider();
    CustomSlider(const CustomSlider&) = delete;
    CustomSlider& operator=(const CustomSlider&) = delete;

    bool create(HWND parent, int x, int y, int width, int height, int id);
    void setBounds(int x, int y, int width, int height);
    // Stores the range and moves the value into it (to the minimum when minimum > maximum).
    void setRange(int minimum, int maximum);
    void setValue(int value);
    int value() const { return value_; }
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    bool dragging() const { return dragging_; }

    HWND window() const { return window_; }

private:
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void paint(HWND window);
    void trackPointer(HWND window, int x);

    HWND window_ = nullptr;
    HWND parent_ = nullptr;
    int id_ = 0;
    int minimum_ = 0;
    int maximum_ = 100;
    int value_ = 0;
    bool dragging_ = false;
    BackBuffer buffer_;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace mb
