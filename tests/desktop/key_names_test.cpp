// Key names of every virtual-key code, the modifier prefix and the hotkey button texts.
#include "desktop/key_names.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>

namespace mb {
namespace {

TEST(KeyNames, EveryCodeHasAUniqueReadableName) {
    std::set<std::wstring> names;
    for (uint32_t code = 1; code <= 254; ++code) {
        const std::wstring name = keyName(code);
        if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9')) {
            EXPECT_EQ(name, std::wstring(1, wchar_t(code)));
        }
        wchar_t unnamed[24];
        std::swprintf(unnamed, 24, L"Key 0x%02X", code);
        if (name.rfind(L"Key 0x", 0) == 0) {
            EXPECT_EQ(name, unnamed);
        } else {
            EXPECT_TRUE(!name.empty() && names.insert(name).second) << code;
        }
    }
    // Letters, digits, F1 to F24, numpad digits and six operators, 21 navigation and editing
    // keys and eleven punctuation keys.
    EXPECT_EQ(names.size(), 26u + 10 + 24 + 10 + 6 + 21 + 11);
}

TEST(KeyNames, NamesModifiersAndButtonTexts) {
    const struct {
        uint32_t code;
        const wchar_t* name;
    } keys[] = {
        {0x70, L"F1"},
        {0x87, L"F24"},
        {0x69, L"Num 9"},
        {0x6C, L"Num Separator"},
        {0x6F, L"Num /"},
        {0x14, L"Caps Lock"},
        {0x1B, L"Esc"},
        {0x22, L"Page Down"},
        {0x2C, L"Print Screen"},
        {0x91, L"Scroll Lock"},
        {0xBA, L";"},
        {0xC0, L"`"},
        {0xDC, L"\\"},
        {0xDE, L"'"},
        {0x00, L"Key 0x00"},
        {0x88, L"Key 0x88"},
        {0xFF, L"Key 0xFF"},
        {0x100, L"Key 0x100"},
        {0xFFFFFFFF, L"Key 0xFFFFFFFF"},
    };
    for (const auto& k : keys) EXPECT_EQ(keyName(k.code), k.name) << k.code;
    EXPECT_EQ(formatModifiers(0), L"");
    EXPECT_EQ(formatModifiers(7), L"Ctrl+Shift+Alt+");
    EXPECT_EQ(formatModifiers(0x4000 | 8 | 5), L"Shift+Alt+");
    EXPECT_EQ(hotkeyLabel(HotkeyAction::ClickThrough, {66, 6}), L"Click-through: Ctrl+Shift+B");
    EXPECT_EQ(hotkeyLabel(HotkeyAction::Visibility, {66, 2}), L"Show/Hide: Ctrl+B");
    EXPECT_EQ(hotkeyLabel(HotkeyAction::BossMenu, {0x70, 1}), L"Boss menu: Alt+F1");
    EXPECT_EQ(capturePrompt(HotkeyAction::ClickThrough), L"Click-through: [Press modifier + key...]");
    EXPECT_EQ(capturePrompt(HotkeyAction::BossMenu), L"Boss menu: [Press modifier + key...]");
}

}  // namespace
}  // namespace mb
