// The text of the help box: the hotkeys as bound now, the tray icon, the controls and the
// credits. Built as a string of any length, so no binding can cut it short.
#pragma once

#include <cstdint>
#include <string>

namespace mb {

struct HelpBindings {
    uint32_t showHideKey = 0;
    uint32_t showHideMods = 0;
    uint32_t clickThroughKey = 0;
    uint32_t clickThroughMods = 0;
    uint32_t bossMenuKey = 0;
    uint32_t bossMenuMods = 0;
};

// Every line ends with a line break, the last one too.
std::wstring helpText(const HelpBindings& bindings);

}  // namespace mb
