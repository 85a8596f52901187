#include "app/look_rules.h"

#include <gtest/gtest.h>

namespace mb {
namespace {

TEST(LookRules, EachEventGivesTheLookAfterItAndWhetherTheControlsMove) {
    using E = LookEvent;
    constexpr Look compact{false, false}, expanded{true, false}, through{false, true};
    const struct {
        Look before;
        LookEvent event;
        LookStep after;
    } cases[] = {
        {compact, E::Activated, {expanded, true}},
        {expanded, E::Activated, {expanded, true}},
        {expanded, E::Deactivated, {compact, true}},
        {compact, E::FocusGained, {expanded, true}},
        {expanded, E::FocusLeft, {compact, true}},
        {compact, E::ForegroundIsOverlay, {expanded, true}},
        {expanded, E::ForegroundIsOverlay, {expanded, false}},
        {expanded, E::ForegroundElsewhere, {compact, true}},
        {compact, E::ForegroundElsewhere, {compact, false}},
        {through, E::Activated, {through, false}},
        {through, E::FocusGained, {through, false}},
        {through, E::ForegroundIsOverlay, {through, false}},
        {expanded, E::ClickThroughOn, {through, true}},
        {through, E::ClickThroughOffFront, {expanded, true}},
        {through, E::ClickThroughOffBehind, {compact, true}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(nextLook(c.before, c.event), c.after)
            << static_cast<int>(c.event) << " from " << c.before.settingsPanelShown;
    }
}

}  // namespace
}  // namespace mb
