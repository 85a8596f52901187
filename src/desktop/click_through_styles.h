// The window styles of the click-through look: no frame, mouse input passes through to the
// windows below, and a click cannot activate the overlay. Layered and top-most stay set.
#pragma once

#include <cstdint>

namespace mb {

inline constexpr uint32_t kFrameStyles = 0x00CC0000;            // caption, system menu, sizing frame
inline constexpr uint32_t kClickThroughStyleMask = 0xFF30FFFF;  // also drops the minimise and maximise boxes
inline constexpr uint32_t kPopupStyle = 0x80000000;
inline constexpr uint32_t kClickThroughExStyles = 0x08000020;  // transparent, no-activate

struct WindowStyles {
    uint32_t style = 0;
    uint32_t exStyle = 0;
    bool operator==(const WindowStyles&) const = default;
};

constexpr WindowStyles clickThroughStyles(WindowStyles current, bool on) {
    if (on) return {(current.style & kClickThroughStyleMask) | kPopupStyle, current.exStyle | kClickThroughExStyles};
    return {(current.style & ~kPopupStyle) | kFrameStyles, current.exStyle & ~kClickThroughExStyles};
}

}  // namespace mb
