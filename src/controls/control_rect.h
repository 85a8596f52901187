// A rectangle in client or screen pixels, platform-free (same meaning as a Win32 RECT:
// right and bottom are exclusive).
#pragma once

namespace mb {

struct ControlRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool empty() const { return right <= left || bottom <= top; }
    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    friend bool operator==(const ControlRect&, const ControlRect&) = default;
};

}  // namespace mb
