// Readable names of hotkeys: the modifier prefix, the name of a Windows virtual-key code, and
// the texts of the three hotkey buttons in the settings panel.
#pragma once

#include <cstdint>
#include <string>

namespace mb {

// Modifier bits of RegisterHotKey.
inline constexpr uint32_t kModAlt = 1;
inline constexpr uint32_t kModControl = 2;
inline constexpr uint32_t kModShift = 4;

enum class HotkeyAction : int { ClickThrough = 0, ShowHide = 1, BossMenu = 2 };

// Letters and digits as themselves, "F1" to "F24", "Num 0" to "Num 9" and the numpad
// operators, the navigation and editing keys by name, the US punctuation keys as their
// characters; any other code "Key 0x%02X".
std::wstring keyName(uint32_t virtualKey);

// "Ctrl+", "Shift+", "Alt+" for the bits that are set, always in that order; other bits ignored.
std::wstring formatModifiers(uint32_t bits);

// The modifiers and the key name, "Ctrl+Shift+B".
std::wstring hotkeyCombination(uint32_t mods, uint32_t key);

// "Click-through: ", "Show/Hide: " or "Boss menu: ", then the modifiers and the key name.
std::wstring hotkeyLabel(HotkeyAction action, uint32_t mods, uint32_t key);

// The button text while a new combination for the action is awaited.
std::wstring capturePrompt(HotkeyAction action);

}  // namespace mb
