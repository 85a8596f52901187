// Rectangles and visibility of the main window's controls for each look.
#include "desktop/window_layout.h"

#include <algorithm>

#include "core/dpi_scale.h"

namespace mb {
namespace {

// Room the channel list leaves below itself: the settings panel and the status line, or the
// status line alone.
constexpr int32_t kBelowListWithPanel = 190;
constexpr int32_t kBelowListCompact = 40;

void place(MainLayout& layout, LayoutControl control, Rect bounds, Visibility visibility) {
    layout[control] = {bounds, visibility};
}

void hide(MainLayout& layout, LayoutControl control) { layout[control] = {std::nullopt, Visibility::Hide}; }

// The nine controls of the settings panel.
constexpr LayoutControl kPanelControls[] = {
    LayoutControl::OpacitySlider,       LayoutControl::OpacityValueLabel, LayoutControl::TextScaleSlider,
    LayoutControl::TextScaleValueLabel, LayoutControl::OpacityCaption,    LayoutControl::TextScaleCaption,
    LayoutControl::ClickThroughButton,  LayoutControl::VisibilityButton,  LayoutControl::BossMenuButton,
};

// A pixel number of the layout (designed at 96 DPI) at the window's DPI.
struct Scale {
    int32_t dpi;
    int64_t operator()(int32_t pixels) const { return scaleForDpi(pixels, dpi); }
};

// The panel bottom-up, rows 30 pixels apart: three hotkey buttons, then the text-scale and
// transparency rows of caption, slider and value.
void placePanel(MainLayout& layout, int64_t w, int64_t h, Scale px) {
    const Visibility shown = Visibility::ShowNoActivate;
    const int64_t row = px(25);
    place(layout, LayoutControl::BossMenuButton, rectAt(px(10), h - px(60), w - px(20), row), shown);
    place(layout, LayoutControl::ClickThroughButton, rectAt(px(10), h - px(90), w - px(20), row), shown);
    place(layout, LayoutControl::VisibilityButton, rectAt(px(10), h - px(120), w - px(20), row), shown);
    place(layout, LayoutControl::TextScaleCaption, rectAt(px(10), h - px(150), px(110), row), shown);
    place(layout, LayoutControl::TextScaleSlider, rectAt(px(115), h - px(150), w - px(180), row), shown);
    place(layout, LayoutControl::TextScaleValueLabel, rectAt(w - px(60), h - px(150), px(50), row), shown);
    place(layout, LayoutControl::OpacityCaption, rectAt(px(10), h - px(180), px(110), row), shown);
    place(layout, LayoutControl::OpacitySlider, rectAt(px(115), h - px(180), w - px(180), row), shown);
    place(layout, LayoutControl::OpacityValueLabel, rectAt(w - px(60), h - px(180), px(50), row), shown);
}

}  // namespace

const Placement& MainLayout::operator[](LayoutControl c) const { return controls[static_cast<size_t>(c)]; }
Placement& MainLayout::operator[](LayoutControl c) { return controls[static_cast<size_t>(c)]; }

Rect selectorBounds(int32_t clientWidth, int32_t /*clientHeight*/, bool clickThrough, int32_t dpi) {
    const Scale px{dpi};
    // In click-through mode the selector stays hidden under the title; its popup opens below it.
    if (clickThrough) return rectAt(0, 0, int64_t{clientWidth} - px(100), px(30));
    // It ends where the countdown beside it starts, whatever the rounding.
    return rectAt(px(10), px(10), int64_t{clientWidth} - px(110) - px(10), px(28));
}

namespace {

// The alert banner: one line over the top of the list, inside its frame.
void placeBanner(MainLayout& layout, Scale px) {
    const Rect& list = *layout[LayoutControl::ChannelList].bounds;
    const int64_t height = std::min<int64_t>(px(26), int64_t{list.height()} - 2);
    layout[LayoutControl::AlertBanner] = {rectAt(int64_t{list.left} + 1, int64_t{list.top} + 1,
                                                 int64_t{list.width()} - 2, height),
                                          Visibility::Keep};
}

}  // namespace

MainLayout layoutMainWindow(int32_t clientWidth, int32_t clientHeight, int32_t selectorHeight, bool clickThrough,
                            bool settingsPanelShown, int32_t dpi) {
    const Scale px{dpi};
    const int64_t w = clientWidth;
    const int64_t h = clientHeight;
    MainLayout layout;
    const Rect selector = selectorBounds(clientWidth, clientHeight, clickThrough, dpi);

    if (clickThrough) {
        place(layout, LayoutControl::BossSelector, selector, Visibility::Hide);
        hide(layout, LayoutControl::StatusLine);
        for (LayoutControl control : kPanelControls) hide(layout, control);
        place(layout, LayoutControl::BossTitleLabel, rectAt(0, 0, w - px(100), px(30)), Visibility::Show);
        place(layout, LayoutControl::CacheAgeLabel, rectAt(0, px(30), w, px(20)), Visibility::Show);
        place(layout, LayoutControl::SpawnCountdownLabel, rectAt(w - px(100), 0, px(100), px(30)), Visibility::Show);
        place(layout, LayoutControl::ChannelList, rectAt(0, px(50), w, h - px(50)), Visibility::Keep);
        placeBanner(layout, px);
        return layout;
    }

    // The rows below the selector follow its real height, not the one it was asked for.
    const int64_t s = selectorHeight;
    place(layout, LayoutControl::BossSelector, selector, Visibility::Show);
    hide(layout, LayoutControl::BossTitleLabel);
    place(layout, LayoutControl::CacheAgeLabel, rectAt(px(10), s + px(15), w - px(20), px(20)), Visibility::Show);
    place(layout, LayoutControl::SpawnCountdownLabel, rectAt(w - px(110), px(10), px(100), s), Visibility::Show);
    const int64_t below = px(settingsPanelShown ? kBelowListWithPanel : kBelowListCompact);
    place(layout, LayoutControl::ChannelList, rectAt(px(10), s + px(40), w - px(20), h - (s + px(40)) - below),
          Visibility::Keep);
    if (settingsPanelShown) {
        placePanel(layout, w, h, px);
    } else {
        for (LayoutControl control : kPanelControls) hide(layout, control);
    }
    place(layout, LayoutControl::StatusLine, rectAt(px(10), h - px(25), w - px(20), px(20)), Visibility::Show);
    placeBanner(layout, px);
    return layout;
}

}  // namespace mb
