// A rectangle in client or screen pixels, platform-free, with the meaning of a Win32 RECT: left
// and top inside, right and bottom just outside. The one rectangle of the program.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

namespace mb {

struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    constexpr int32_t width() const { return right - left; }
    constexpr int32_t height() const { return bottom - top; }
    constexpr bool empty() const { return right <= left || bottom <= top; }
    constexpr bool contains(int32_t x, int32_t y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool operator==(const Rect&) const = default;
};

// The rectangle at x, y of width x height, computed in 64 bits: a negative size becomes 0 (what
// SetWindowPos makes of it anyway) and every edge saturates at the 32-bit range.
constexpr Rect rectAt(int64_t x, int64_t y, int64_t width, int64_t height) {
    const auto saturate = [](int64_t value) {
        return static_cast<int32_t>(
            std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
    };
    return {saturate(x), saturate(y), saturate(x + std::max<int64_t>(0, width)),
            saturate(y + std::max<int64_t>(0, height))};
}

}  // namespace mb
