// Rectangles and visibility of the main window's controls for each look.
#include "desktop/window_layout.h"

#include <algorithm>
#include <limits>

namespace mb {
namespace {

// Room the channel list leaves below itself: the settings panel and the status line, or the
// status line alone.
constexpr int64_t kBelowListWithPanel = 190;
constexpr int64_t kBelowListCompact = 40;

int32_t saturate(int64_t value) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// Computed in 64 bits, so no client size overflows; a negative size becomes 0, which is what
// SetWindowPos makes of it anyway.
LayoutRect rect(int64_t x, int64_t y, int64_t width, int64_t height) {
    return {saturate(x), saturate(y), saturate(std::max<int64_t>(0, width)), saturate(std::max<int64_t>(0, height))};
}

void place(MainLayout& layout, LayoutControl control, LayoutRect bounds, Visibility visibility) {
    layout[control] = {bounds, visibility};
}

void hide(MainLayout& layout, LayoutControl control) { layout[control] = {std::nullopt, Visibility::Hide}; }

// The nine controls of the settings panel.
constexpr LayoutControl kPanelControls[] = {
    LayoutControl::OpacitySlider,       LayoutControl::OpacityValueLabel, LayoutControl::TextScaleSlider,
    LayoutControl::TextScaleValueLabel, LayoutControl::OpacityCaption,    LayoutControl::TextScaleCaption,
    LayoutControl::ClickThroughButton,  LayoutControl::VisibilityButton,  LayoutControl::BossMenuButton,
};

// The panel bottom-up, rows 30 pixels apart: three hotkey buttons, then the text-scale and
// transparency rows of caption, slider and value.
void placePanel(MainLayout& layout, int64_t w, int64_t h) {
    const Visibility shown = Visibility::ShowNoActivate;
    place(layout, LayoutControl::BossMenuButton, rect(10, h - 60, w - 20, 25), shown);
    place(layout, LayoutControl::ClickThroughButton, rect(10, h - 90, w - 20, 25), shown);
    place(layout, LayoutControl::VisibilityButton, rect(10, h - 120, w - 20, 25), shown);
    place(layout, LayoutControl::TextScaleCaption, rect(10, h - 150, 110, 25), shown);
    place(layout, LayoutControl::TextScaleSlider, rect(115, h - 150, w - 180, 25), shown);
    place(layout, LayoutControl::TextScaleValueLabel, rect(w - 60, h - 150, 50, 25), shown);
    place(layout, LayoutControl::OpacityCaption, rect(10, h - 180, 110, 25), shown);
    place(layout, LayoutControl::OpacitySlider, rect(115, h - 180, w - 180, 25), shown);
    place(layout, LayoutControl::OpacityValueLabel, rect(w - 60, h - 180, 50, 25), shown);
}

}  // namespace

const Placement& MainLayout::operator[](LayoutControl c) const { return controls[static_cast<size_t>(c)]; }
Placement& MainLayout::operator[](LayoutControl c) { return controls[static_cast<size_t>(c)]; }

LayoutRect selectorBounds(int32_t clientWidth, int32_t /*clientHeight*/, bool clickThrough) {
    // In click-through mode the selector stays hidden under the title; its popup opens below it.
    if (clickThrough) return rect(0, 0, int64_t{clientWidth} - 100, 30);
    return rect(10, 10, int64_t{clientWidth} - 120, 28);
}

MainLayout layoutMainWindow(int32_t clientWidth, int32_t clientHeight, int32_t selectorHeight, bool clickThrough,
                            bool settingsPanelShown) {
    const int64_t w = clientWidth;
    const int64_t h = clientHeight;
    MainLayout layout;
    const LayoutRect selector = selectorBounds(clientWidth, clientHeight, clickThrough);

    if (clickThrough) {
        place(layout, LayoutControl::BossSelector, selector, Visibility::Hide);
        hide(layout, LayoutControl::StatusLine);
        for (LayoutControl control : kPanelControls) hide(layout, control);
        place(layout, LayoutControl::BossTitleLabel, rect(0, 0, w - 100, 30), Visibility::Show);
        place(layout, LayoutControl::CacheAgeLabel, rect(0, 30, w, 20), Visibility::Show);
        place(layout, LayoutControl::SpawnCountdownLabel, rect(w - 100, 0, 100, 30), Visibility::Show);
        place(layout, LayoutControl::ChannelList, rect(0, 50, w, h - 50), Visibility::Keep);
        return layout;
    }

    // The rows below the selector follow its real height, not the 28 it was asked for.
    const int64_t s = selectorHeight;
    place(layout, LayoutControl::BossSelector, selector, Visibility::Show);
    hide(layout, LayoutControl::BossTitleLabel);
    place(layout, LayoutControl::CacheAgeLabel, rect(10, s + 15, w - 20, 20), Visibility::Show);
    place(layout, LayoutControl::SpawnCountdownLabel, rect(w - 110, 10, 100, s), Visibility::Show);
    const int64_t below = settingsPanelShown ? kBelowListWithPanel : kBelowListCompact;
    place(layout, LayoutControl::ChannelList, rect(10, s + 40, w - 20, h - (s + 40) - below), Visibility::Keep);
    if (settingsPanelShown) {
        placePanel(layout, w, h);
    } else {
        for (LayoutControl control : kPanelControls) hide(layout, control);
    }
    place(layout, LayoutControl::StatusLine, rect(10, h - 25, w - 20, 20), Visibility::Show);
    return layout;
}

}  // namespace mb
