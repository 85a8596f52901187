// The three hotkey actions and their bindings, and the readable names of hotkeys: the modifier
// prefix, the name of a Windows virtual-key code, and the texts each action is shown with.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace mb {

// Modifier bits of RegisterHotKey.
inline constexpr uint32_t kModAlt = 1;
inline constexpr uint32_t kModControl = 2;
inline constexpr uint32_t kModShift = 4;

// The order is that of the hotkey ids 1, 2 and 3 and of every table indexed by an action.
enum class HotkeyAction : int { ClickThrough = 0, Visibility = 1, BossMenu = 2 };
inline constexpr size_t kHotkeyActionCount = 3;
inline constexpr HotkeyAction kHotkeyActions[kHotkeyActionCount] = {HotkeyAction::ClickThrough,
                                                                    HotkeyAction::Visibility, HotkeyAction::BossMenu};
constexpr size_t actionIndex(HotkeyAction action) { return static_cast<size_t>(action); }

// A combination as RegisterHotKey takes it: a virtual-key code and modifier bits.
struct HotkeyBinding {
    uint32_t key = 0;
    uint32_t modifiers = 0;
    bool operator==(const HotkeyBinding&) const = default;
};
using HotkeyBindings = std::array<HotkeyBinding, kHotkeyActionCount>;

// Letters and digits as themselves, "F1" to "F24", "Num 0" to "Num 9" and the numpad
// operators, the navigation and editing keys by name, the US punctuation keys as their
// characters; any other code "Key 0x%02X".
std::wstring keyName(uint32_t virtualKey);

// "Ctrl+", "Shift+", "Alt+" for the bits that are set, always in that order; other bits ignored.
std::wstring formatModifiers(uint32_t bits);

// The modifiers and the key name, "Ctrl+Shift+B".
std::wstring hotkeyCombination(uint32_t mods, uint32_t key);

// "Click-through: ", "Show/Hide: " or "Boss menu: ", then the modifiers and the key name.
std::wstring hotkeyLabel(HotkeyAction action, HotkeyBinding binding);

// The button text while a new combination for the action is awaited.
std::wstring capturePrompt(HotkeyAction action);

// The warning when the action's combination cannot be registered.
std::wstring registrationWarning(HotkeyAction action);

}  // namespace mb
