// The pixels of the overlay's round icons: a disc of radius 14 around pixel (16, 16) of a
// 32 x 32 image, shaded from the base colour at the centre to 70 % of it at the rim;
// everything outside the disc is transparent.
#pragma once

#include <cstdint>

namespace mb::dot_icon {

inline constexpr int kSize = 32;
inline constexpr int kCentre = 16;
inline constexpr int kRadiusSquared = 196;

constexpr int distanceSquared(int x, int y) { return (y - kCentre) * (y - kCentre) + (x - kCentre) * (x - kCentre); }
constexpr bool inside(int x, int y) { return distanceSquared(x, y) <= kRadiusSquared; }

// The colour of pixel (x, y) as a COLORREF (red in the low byte); black outside the disc. The
// shade is computed in single precision, so the rim of RGB(100,150,255) is RGB(70,105,178).
constexpr uint32_t pixel(int x, int y, uint32_t red, uint32_t green, uint32_t blue) {
    if (!inside(x, y)) return 0;
    const float shade = 1.0f - (static_cast<float>(distanceSquared(x, y)) / 196.0f) * 0.3f;
    const auto scaled = [shade](uint32_t channel) {
        return static_cast<uint32_t>(static_cast<float>(channel) * shade) & 0xFFu;
    };
    return scaled(red) | (scaled(green) << 8) | (scaled(blue) << 16);
}

}  // namespace mb::dot_icon
