// The main window's three looks, and sizes and overlaps over a sweep of client sizes.
#include "desktop/window_layout.h"

#include <gtest/gtest.h>

#include <array>

#include "core/dpi_scale.h"

namespace mb {
namespace {

using C = LayoutControl;
using V = Visibility;

// Bounds as the layout is designed: x, y, width, height.
struct Bounds {
    int32_t x, y, width, height;
    operator Rect() const { return rectAt(x, y, width, height); }
};

void expectPlaced(const MainLayout& layout, C control, Bounds bounds, V visibility) {
    EXPECT_EQ(layout[control].bounds.value_or(Rect{-1, -1, -1, -1}), Rect(bounds)) << int(control);
    EXPECT_EQ(layout[control].visibility, visibility) << int(control);
}

TEST(WindowLayout, ThreeLooksAtFourHundredBySixHundred) {
    const MainLayout expanded = layoutMainWindow(400, 600, 28, false, true);
    const struct {
        C control;
        Bounds bounds;
        V visibility;
    } cases[] = {
        {C::BossSelector, {10, 10, 280, 28}, V::Show},
        {C::SpawnCountdownLabel, {290, 10, 100, 28}, V::Show},
        {C::CacheAgeLabel, {10, 43, 380, 20}, V::Show},
        {C::ChannelList, {10, 68, 380, 342}, V::Keep},
        {C::OpacityCaption, {10, 420, 110, 25}, V::ShowNoActivate},
        {C::OpacitySlider, {115, 420, 220, 25}, V::ShowNoActivate},
        {C::OpacityValueLabel, {340, 420, 50, 25}, V::ShowNoActivate},
        {C::TextScaleSlider, {115, 450, 220, 25}, V::ShowNoActivate},
        {C::VisibilityButton, {10, 480, 380, 25}, V::ShowNoActivate},
        {C::ClickThroughButton, {10, 510, 380, 25}, V::ShowNoActivate},
        {C::BossMenuButton, {10, 540, 380, 25}, V::ShowNoActivate},
        {C::StatusLine, {10, 575, 380, 20}, V::Show},
    };
    for (const auto& c : cases) expectPlaced(expanded, c.control, c.bounds, c.visibility);
    EXPECT_EQ(expanded[C::BossTitleLabel].visibility, V::Hide);
    EXPECT_EQ(selectorBounds(400, 600, false), expanded[C::BossSelector].bounds);

    const MainLayout compact = layoutMainWindow(400, 600, 34, false, false);  // a selector 34 pixels high
    expectPlaced(compact, C::CacheAgeLabel, {10, 49, 380, 20}, V::Show);
    expectPlaced(compact, C::ChannelList, {10, 74, 380, 486}, V::Keep);
    EXPECT_EQ(compact[C::OpacitySlider].visibility, V::Hide);

    const MainLayout through = layoutMainWindow(400, 600, 28, true, true);
    expectPlaced(through, C::BossSelector, {0, 0, 300, 30}, V::Hide);
    expectPlaced(through, C::BossTitleLabel, {0, 0, 300, 30}, V::Show);
    expectPlaced(through, C::CacheAgeLabel, {0, 30, 400, 20}, V::Show);
    expectPlaced(through, C::SpawnCountdownLabel, {300, 0, 100, 30}, V::Show);
    expectPlaced(through, C::ChannelList, {0, 50, 400, 550}, V::Keep);
    EXPECT_EQ(selectorBounds(400, 600, true), through[C::BossSelector].bounds);
    for (C hidden : {C::StatusLine, C::OpacityCaption, C::TextScaleValueLabel, C::BossMenuButton}) {
        EXPECT_EQ(through[hidden].visibility, V::Hide);
    }
}

bool overlap(const Rect& a, const Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// Each caption reaches five pixels under the slider beside it, as it always has.
bool captionUnderSlider(size_t i, size_t j) {
    return (i == size_t(C::OpacitySlider) && j == size_t(C::OpacityCaption)) ||
           (i == size_t(C::TextScaleSlider) && j == size_t(C::TextScaleCaption));
}

TEST(WindowLayout, EveryPixelNumberScalesWithTheDpi) {
    // The expanded look at 400 x 600 and a 28-pixel selector, scaled, at four DPIs.
    const struct {
        int32_t dpi;
        Bounds selector, list, opacitySlider, status;
    } cases[] = {
        {96, {10, 10, 280, 28}, {10, 68, 380, 342}, {115, 420, 220, 25}, {10, 575, 380, 20}},
        {120, {13, 13, 249, 35}, {13, 78, 375, 284}, {144, 375, 175, 31}, {13, 569, 375, 25}},
        {144, {15, 15, 220, 42}, {15, 88, 370, 227}, {173, 330, 130, 38}, {15, 562, 370, 30}},
        {192, {20, 20, 160, 56}, {20, 108, 360, 112}, {230, 240, 40, 50}, {20, 550, 360, 40}},
    };
    for (const auto& c : cases) {
        const MainLayout layout = layoutMainWindow(400, 600, 28, false, true, c.dpi);
        EXPECT_EQ(selectorBounds(400, 600, false, c.dpi), Rect(c.selector)) << c.dpi;
        EXPECT_EQ(layout[C::ChannelList].bounds, Rect(c.list)) << c.dpi;
        EXPECT_EQ(layout[C::OpacitySlider].bounds, Rect(c.opacitySlider)) << c.dpi;
        EXPECT_EQ(layout[C::StatusLine].bounds, Rect(c.status)) << c.dpi;
    }
}

TEST(WindowLayout, NoNegativeSizeAndNoOverlapOnceTheClientIsLargeEnough) {
    for (int32_t w = 0; w <= 4000; w += 97) {
        for (int32_t h = 0; h <= 3000; h += 89) {
            for (int flags = 0; flags < 64; ++flags) {
                const bool clickThrough = flags & 1, panel = flags & 2;
                const int32_t dpi = std::array{96, 120, 144, 192}[flags >> 4];
                const int32_t s = scaleForDpi(22 + 7 * ((flags >> 2) & 3), dpi);  // 22 to 43 at 96 DPI
                const MainLayout layout = layoutMainWindow(w, h, s, clickThrough, panel, dpi);
                // Large enough: the selector row, the panel sliders and the list all fit.
                const bool roomy = w >= scaleForDpi(clickThrough ? 100 : 180, dpi) && h >= s + scaleForDpi(230, dpi);
                for (size_t i = 0; i < layout.controls.size(); ++i) {
                    const Placement& a = layout.controls[i];
                    ASSERT_EQ(a.visibility == V::Keep, i == size_t(C::ChannelList) || i == size_t(C::AlertBanner));
                    ASSERT_TRUE(a.bounds || a.visibility == V::Hide);
                    if (!a.bounds) continue;
                    Rect r = *a.bounds;
                    ASSERT_TRUE(r.width() >= 0 && r.height() >= 0) << i << " at " << w << "x" << h;
                    if (!roomy || a.visibility == V::Hide) continue;
                    if (i == size_t(C::BossSelector)) r.bottom = r.top + s;  // it takes its own height
                    ASSERT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= w && r.bottom <= h) << i;
                    for (size_t j = i + 1; j < layout.controls.size(); ++j) {
                        const Placement& b = layout.controls[j];
                        if (b.visibility == V::Hide || captionUnderSlider(i, j) || j == size_t(C::AlertBanner))
                            continue;
                        ASSERT_FALSE(overlap(r, *b.bounds)) << i << " and " << j << " at " << w << "x" << h;
                    }
                }
            }
        }
    }
    const MainLayout extreme = layoutMainWindow(INT32_MAX, INT32_MIN, INT32_MAX, false, true);
    EXPECT_EQ(extreme[C::ChannelList].bounds, Rect(Bounds{10, INT32_MAX, INT32_MAX - 20, 0}));
}

}  // namespace
}  // namespace mb
