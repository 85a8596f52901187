// Defaults and value rules of the settings record, shared by both builds.
#pragma once

#include <algorithm>
#include <cstdint>

#include "core/dpi_scale.h"

namespace mb {

struct SettingsDefaults {
    static constexpr int32_t left = 100;
    static constexpr int32_t top = 100;
    static constexpr int32_t right = 550;
    static constexpr int32_t bottom = 800;
    static constexpr int32_t opacity = 75;
    static constexpr int32_t textScale = 100;
    static constexpr uint32_t clickThroughKey = 66;  // B
    static constexpr uint32_t clickThroughMods = 6;  // Ctrl+Shift
    static constexpr uint32_t visibilityKey = 66;    // B
    static constexpr uint32_t visibilityMods = 2;    // Ctrl
    static constexpr uint32_t bossMenuKey = 65;      // A
    static constexpr uint32_t bossMenuMods = 2;      // Ctrl
};

inline constexpr int32_t kMinOpacity = 10;
inline constexpr int32_t kMaxOpacity = 100;
inline constexpr int32_t kMinTextScale = 100;
inline constexpr int32_t kMaxTextScale = 200;

// The text of "LastBoss" is read into 256 UTF-16 units, so at most this many survive.
inline constexpr int kLastBossMaxUnits = 255;

// "RectDpi": the DPI the window's layout was at when its rectangle was taken. A value no screen
// has (or none at all) means 96, the DPI of a program Windows scales for itself.
inline constexpr int32_t kMinRectDpi = 48;
inline constexpr int32_t kMaxRectDpi = 960;
constexpr int32_t validRectDpi(int32_t value) {
    return value >= kMinRectDpi && value <= kMaxRectDpi ? value : kDesignDpi;
}

constexpr int32_t clampOpacity(int32_t value) { return std::clamp(value, kMinOpacity, kMaxOpacity); }
constexpr int32_t clampTextScale(int32_t value) { return std::clamp(value, kMinTextScale, kMaxTextScale); }

// Layered-window alpha for an opacity in per cent (10 gives 25, 75 gives 191, 100 gives 255).
constexpr uint8_t opacityToAlpha(int32_t opacity) { return static_cast<uint8_t>(clampOpacity(opacity) * 255 / 100); }

}  // namespace mb
