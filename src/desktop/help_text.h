// The text of the help box: the hotkeys as bound now, the tray icon, the controls and the
// credits. Built as a string of any length, so no binding can cut it short.
#pragma once

#include <string>

#include "desktop/key_names.h"

namespace mb {

// Every line ends with a line break, the last one too.
std::wstring helpText(const HotkeyBindings& bindings);

}  // namespace mb
