// Where the main window's controls sit and whether each is shown, in its three looks: compact,
// expanded (settings panel above the status line) and click-through (title instead of selector).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/rect.h"

namespace mb {

enum class LayoutControl : int {
    BossSelector,
    ChannelList,
    OpacitySlider,
    OpacityValueLabel,
    TextScaleSlider,
    TextScaleValueLabel,
    StatusLine,
    BossTitleLabel,
    CacheAgeLabel,
    SpawnCountdownLabel,
    OpacityCaption,
    TextScaleCaption,
    ClickThroughButton,
    VisibilityButton,
    BossMenuButton,
    AlertBanner,  // over the top of the channel list; its owner shows it while an alert lasts
    Count
};

// Show is SW_SHOW, ShowNoActivate SW_SHOWNA; Keep leaves the control as it is.
enum class Visibility { Keep, Show, ShowNoActivate, Hide };

// No bounds: the control is not moved.
struct Placement {
    std::optional<Rect> bounds;
    Visibility visibility = Visibility::Keep;
};

struct MainLayout {
    std::array<Placement, size_t(LayoutControl::Count)> controls;
    const Placement& operator[](LayoutControl c) const;
    Placement& operator[](LayoutControl c);
};

// Every pixel number below is designed at 96 DPI and scaled to dpi (scaleForDpi); at 96 the
// rectangles are those of the original design.

// The selector's bounds in the normal look, placed before its real height S is read.
Rect selectorBounds(int32_t clientWidth, int32_t clientHeight, bool clickThrough, int32_t dpi = 96);

// Everything else, for client W x H, selector height S (normal look only), and the two flags.
// A client too small for the fixed offsets gives empty, never negative, sizes.
MainLayout layoutMainWindow(int32_t clientWidth, int32_t clientHeight, int32_t selectorHeight, bool clickThrough,
                            bool settingsPanelShown, int32_t dpi = 96);

}  // namespace mb
