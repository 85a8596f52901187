#include "desktop/help_text.h"

#include "desktop/key_names.h"

namespace mb {
namespace {

std::wstring combination(uint32_t mods, uint32_t key) { return formatModifiers(mods) + keyName(key); }

}  // namespace

std::wstring helpText(const HelpBindings& b) {
    const wchar_t* const bullet = L"\u2022 ";
    std::wstring text;
    auto line = [&text](const std::wstring& content) { text += content + L"\n"; };
    line(L"Marrowbell v1.5.1");
    line(L"A boss-hunting overlay made by the Marrowbell project");
    line(L"");
    line(L"HOTKEYS (customizable in settings):");
    line(L"  " + combination(b.showHideMods, b.showHideKey) + L" - Show/Hide window");
    line(L"  " + combination(b.clickThroughMods, b.clickThroughKey) + L" - Toggle click-through mode");
    line(L"");
    line(L"  " + combination(b.bossMenuMods, b.bossMenuKey) + L" - Boss menu");
    line(L"");
    line(L"SYSTEM TRAY:");
    line(L"    Green = Connected & receiving updates");
    line(L"    Red = Disconnected (idle)");
    line(L"");
    line(bullet + std::wstring(L"Double-click tray icon to show/hide"));
    line(bullet + std::wstring(L"Right-click for menu"));
    line(L"");
    line(L"CONTROLS (when window has focus):");
    line(bullet + std::wstring(L"Click hotkey buttons to rebind keys"));
    line(L"  (Press ESC to cancel rebinding)");
    line(bullet + std::wstring(L"Transparency slider adjusts opacity"));
    line(bullet + std::wstring(L"Text scale slider adjusts font size"));
    line(L"");
    line(L"CREDITS:");
    line(bullet + std::wstring(L"Marrowbell: a free overlay by its community developers"));
    line(bullet + std::wstring(L"Boss data: the community tracker and the players who report to it"));
    line(bullet + std::wstring(L"Network time: the public NTP servers"));
    line(bullet + std::wstring(L"The game, its names and its art belong to their rights holders"));
    line(bullet + std::wstring(L"Marrowbell is not affiliated with or endorsed by them"));
    return text;
}

}  // namespace mb
