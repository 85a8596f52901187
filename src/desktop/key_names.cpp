// Names of virtual-key codes and the hotkey button texts built from them.
#include "desktop/key_names.h"

#include <cstdio>

#include "core/widen_bytes.h"

namespace mb {
namespace {

struct NamedKey {
    uint32_t code;
    const wchar_t* name;
};

// Keys whose code is no printable character of their own (0x70 would read as "p").
constexpr NamedKey kNamedKeys[] = {
    {0x08, L"Backspace"},
    {0x09, L"Tab"},
    {0x0C, L"Clear"},
    {0x0D, L"Enter"},
    {0x13, L"Pause"},
    {0x14, L"Caps Lock"},
    {0x1B, L"Esc"},
    {0x20, L"Space"},
    {0x21, L"Page Up"},
    {0x22, L"Page Down"},
    {0x23, L"End"},
    {0x24, L"Home"},
    {0x25, L"Left"},
    {0x26, L"Up"},
    {0x27, L"Right"},
    {0x28, L"Down"},
    {0x2C, L"Print Screen"},
    {0x2D, L"Insert"},
    {0x2E, L"Delete"},
    {0x6A, L"Num *"},
    {0x6B, L"Num +"},
    {0x6C, L"Num Separator"},
    {0x6D, L"Num -"},
    {0x6E, L"Num ."},
    {0x6F, L"Num /"},
    {0x90, L"Num Lock"},
    {0x91, L"Scroll Lock"},
    {0xBA, L";"},
    {0xBB, L"="},
    {0xBC, L","},
    {0xBD, L"-"},
    {0xBE, L"."},
    {0xBF, L"/"},
    {0xC0, L"`"},
    {0xDB, L"["},
    {0xDC, L"\\"},
    {0xDD, L"]"},
    {0xDE, L"'"},
};

// How each action is named: on its button, and in its registration warning.
struct ActionNames {
    const wchar_t* caption;
    const wchar_t* warningName;
};
constexpr ActionNames kActionNames[kHotkeyActionCount] = {
    {L"Click-through: ", L"click-through"},
    {L"Show/Hide: ", L"visibility"},
    {L"Boss menu: ", L"boss menu"},
};

}  // namespace

std::wstring keyName(uint32_t virtualKey) {
    if ((virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9')) {
        return std::wstring(1, static_cast<wchar_t>(virtualKey));
    }
    if (virtualKey >= 0x70 && virtualKey <= 0x87) return L"F" + std::to_wstring(virtualKey - 0x70 + 1);
    if (virtualKey >= 0x60 && virtualKey <= 0x69) return L"Num " + std::to_wstring(virtualKey - 0x60);
    for (const NamedKey& key : kNamedKeys) {
        if (key.code == virtualKey) return key.name;
    }
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "Key 0x%02X", static_cast<unsigned>(virtualKey));
    return widenBytes(buffer);
}

std::wstring formatModifiers(uint32_t bits) {
    std::wstring prefix;
    if (bits & kModControl) prefix += L"Ctrl+";
    if (bits & kModShift) prefix += L"Shift+";
    if (bits & kModAlt) prefix += L"Alt+";
    return prefix;
}

std::wstring hotkeyCombination(uint32_t mods, uint32_t key) { return formatModifiers(mods) + keyName(key); }

std::wstring hotkeyLabel(HotkeyAction action, HotkeyBinding binding) {
    return kActionNames[actionIndex(action)].caption + hotkeyCombination(binding.modifiers, binding.key);
}

std::wstring capturePrompt(HotkeyAction action) {
    return std::wstring(kActionNames[actionIndex(action)].caption) + L"[Press modifier + key...]";
}

std::wstring registrationWarning(HotkeyAction action) {
    return std::wstring(L"Failed to register ") + kActionNames[actionIndex(action)].warningName +
           L" hotkey. It may be in use by another application.";
}

}  // namespace mb
