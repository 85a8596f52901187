// The pixels of the overlay's round icons: a disc around pixel (size / 2, size / 2) whose radius
// is 7/16 of the image's size (14 in the 32 x 32 images the tray and the window draw), shaded
// from the base colour at the centre to 70 % of it at the rim; everything outside the disc is
// transparent. The executable's icon file is made from the same pixels by a host tool at build
// time, which is why this stays free of Windows headers.
#pragma once

#include <cstdint>

namespace mb::dot_icon {

inline constexpr int kSize = 32;

// Distances are counted in half pixels from the centre and both sides of the comparison are
// scaled by 64, so that every size compares whole numbers and the 32-pixel disc is the 14-pixel
// radius exactly: at 32, distanceSquared is 256 times the plain squared distance and
// radiusSquared is 256 * 196.
constexpr int64_t distanceSquared(int size, int x, int y) {
    const int64_t dx = 2 * int64_t{x} - size;
    const int64_t dy = 2 * int64_t{y} - size;
    return 64 * (dx * dx + dy * dy);
}
constexpr int64_t radiusSquared(int size) { return 49 * int64_t{size} * size; }

constexpr bool inside(int size, int x, int y) { return distanceSquared(size, x, y) <= radiusSquared(size); }
constexpr bool inside(int x, int y) { return inside(kSize, x, y); }

// The colour of pixel (x, y) of a size x size image as a COLORREF (red in the low byte); black
// outside the disc. The shade is computed in single precision, so the rim of RGB(100,150,255) is
// RGB(70,105,178); scaling both terms of the ratio by a power of two leaves its rounding alone,
// so the images of sizes a power of two apart agree pixel for pixel.
constexpr uint32_t pixel(int size, int x, int y, uint32_t red, uint32_t green, uint32_t blue) {
    if (!inside(size, x, y)) return 0;
    const float ratio = static_cast<float>(distanceSquared(size, x, y)) / static_cast<float>(radiusSquared(size));
    const float shade = 1.0f - ratio * 0.3f;
    const auto scaled = [shade](uint32_t channel) {
        return static_cast<uint32_t>(static_cast<float>(channel) * shade) & 0xFFu;
    };
    return scaled(red) | (scaled(green) << 8) | (scaled(blue) << 16);
}
constexpr uint32_t pixel(int x, int y, uint32_t red, uint32_t green, uint32_t blue) {
    return pixel(kSize, x, y, red, green, blue);
}

}  // namespace mb::dot_icon
