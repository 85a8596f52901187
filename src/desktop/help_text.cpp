#include "desktop/help_text.h"

#include "version.h"

namespace mb {

std::wstring helpText(const HotkeyBindings& bindings) {
    std::wstring text;
    auto line = [&text](const std::wstring& content) { text += content + L"\n"; };
    auto bullet = [&line](const wchar_t* content) { line(L"\u2022 " + std::wstring(content)); };
    const auto combination = [&bindings](HotkeyAction action) {
        const HotkeyBinding& b = bindings[actionIndex(action)];
        return L"  " + hotkeyCombination(b.modifiers, b.key);
    };
    line(kVersionTitle);
    line(L"A boss-hunting overlay made by the Marrowbell project");
    line(L"");
    line(L"HOTKEYS (customizable in settings):");
    line(combination(HotkeyAction::Visibility) + L" - Show/Hide window");
    line(combination(HotkeyAction::ClickThrough) + L" - Toggle click-through mode");
    line(L"");
    line(combination(HotkeyAction::BossMenu) + L" - Boss menu");
    line(L"");
    line(L"SYSTEM TRAY:");
    line(L"    Green = Connected & receiving updates");
    line(L"    Red = Disconnected (idle)");
    line(L"");
    bullet(L"Double-click tray icon to show/hide");
    bullet(L"Right-click for menu");
    line(L"");
    line(L"CONTROLS (when window has focus):");
    bullet(L"Click hotkey buttons to rebind keys");
    line(L"  (Press ESC to cancel rebinding)");
    bullet(L"Transparency slider adjusts opacity");
    bullet(L"Text scale slider adjusts font size");
    line(L"");
    line(L"CREDITS:");
    bullet(L"Marrowbell: a free overlay by its community developers");
    bullet(L"Boss data: the community tracker and the players who report to it");
    bullet(L"Network time: the public NTP servers");
    bullet(L"The game, its names and its art belong to their rights holders");
    bullet(L"Marrowbell is not affiliated with or endorsed by them");
    return text;
}

}  // namespace mb
