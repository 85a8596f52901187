#include "desktop/win/settings.h"

#include <windows.h>

#include <cwchar>
#include <optional>
#include <string_view>
#include <type_traits>
#include <utility>

#include "core/win/unique_handle.h"
#include "core/win/utf8.h"
#include "desktop/settings_location.h"
#include "desktop/settings_text.h"
#include "desktop/win/settings_files.h"

namespace mb {
namespace {

constexpr const wchar_t* kWindow = L"Window";
constexpr const wchar_t* kHotkeys = L"Hotkeys";
constexpr const wchar_t* kSelection = L"Selection";
constexpr const wchar_t* kViewAll = L"All";
constexpr const wchar_t* kViewBoss = L"Boss";

// One integer key of the file: where it lives, its default, how it is written ("%d" or "%u"),
// and the field it fills, with the clamp applied on reading.
struct IntegerKey {
    const wchar_t* section;
    const wchar_t* name;
    int32_t fallback;
    bool writtenUnsigned;
    int64_t (*get)(const Settings&);
    void (*set)(Settings&, int32_t);
};

template <auto Field, int32_t (*Clamp)(int32_t) = nullptr>
constexpr IntegerKey integerKey(const wchar_t* section, const wchar_t* name, int32_t fallback,
                                bool writtenUnsigned = false) {
    using Value = std::remove_reference_t<decltype(std::declval<Settings&>().*Field)>;
    return {section,
            name,
            fallback,
            writtenUnsigned,
            [](const Settings& s) { return static_cast<int64_t>(s.*Field); },
            [](Settings& s, int32_t read) {
                if constexpr (std::is_same_v<Value, bool>) {
                    s.*Field = read != 0;  // any non-zero value is on
                } else if constexpr (Clamp != nullptr) {
                    s.*Field = Clamp(read);
                } else {
                    s.*Field = static_cast<Value>(read);
                }
            }};
}

// Every integer key, in the order save writes them.
constexpr IntegerKey kIntegerKeys[] = {
    integerKey<&Settings::left>(kWindow, L"Left", SettingsDefaults::left),
    integerKey<&Settings::top>(kWindow, L"Top", SettingsDefaults::top),
    integerKey<&Settings::right>(kWindow, L"Right", SettingsDefaults::right),
    integerKey<&Settings::bottom>(kWindow, L"Bottom", SettingsDefaults::bottom),
    integerKey<&Settings::rectDpi, validRectDpi>(kWindow, L"RectDpi", kDesignDpi),
    integerKey<&Settings::opacity, clampOpacity>(kWindow, L"Opacity", SettingsDefaults::opacity),
    integerKey<&Settings::textScale, clampTextScale>(kWindow, L"TextScale", SettingsDefaults::textScale),
    integerKey<&Settings::clickThroughMode>(kWindow, L"ClickThroughMode", 0),
    integerKey<&Settings::clickThroughKey>(kHotkeys, L"ClickThrough", SettingsDefaults::clickThroughKey),
    integerKey<&Settings::clickThroughMods>(kHotkeys, L"ClickThroughMods", SettingsDefaults::clickThroughMods, true),
    integerKey<&Settings::visibilityKey>(kHotkeys, L"Visibility", SettingsDefaults::visibilityKey),
    integerKey<&Settings::visibilityMods>(kHotkeys, L"VisibilityMods", SettingsDefaults::visibilityMods, true),
    integerKey<&Settings::bossMenuKey>(kHotkeys, L"BossMenu", SettingsDefaults::bossMenuKey),
    integerKey<&Settings::bossMenuMods>(kHotkeys, L"BossMenuMods", SettingsDefaults::bossMenuMods, true),
};

// The key and modifier fields of each hotkey action, in the actions' order.
constexpr std::pair<uint32_t Settings::*, uint32_t Settings::*> kHotkeyFields[kHotkeyActionCount] = {
    {&Settings::clickThroughKey, &Settings::clickThroughMods},
    {&Settings::visibilityKey, &Settings::visibilityMods},
    {&Settings::bossMenuKey, &Settings::bossMenuMods},
};

}  // namespace

bool Settings::load() {
    const std::wstring& path = store_.path();
    if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    for (const IntegerKey& key : kIntegerKeys) {
        key.set(*this,
                static_cast<int32_t>(::GetPrivateProfileIntW(key.section, key.name, key.fallback, path.c_str())));
    }
    wchar_t boss[kLastBossMaxUnits + 1] = {};
    ::GetPrivateProfileStringW(kSelection, L"LastBoss", L"", boss, kLastBossMaxUnits + 1, path.c_str());
    // An empty or unconvertible text leaves lastBoss empty.
    lastBoss = wideToUtf8(boss);
    wchar_t view[8] = {};
    ::GetPrivateProfileStringW(kSelection, L"View", L"", view, 8, path.c_str());
    allBosses = ::_wcsicmp(view, kViewAll) == 0;  // anything else is one boss's view
    return true;
}

bool Settings::save() {
    return store_.write([this](const std::wstring& path) { return writeRecord(path); });
}

HotkeyBinding Settings::hotkey(HotkeyAction action) const {
    const auto& [key, modifiers] = kHotkeyFields[actionIndex(action)];
    return {this->*key, this->*modifiers};
}

void Settings::setHotkey(HotkeyAction action, HotkeyBinding binding) {
    const auto& [key, modifiers] = kHotkeyFields[actionIndex(action)];
    this->*key = binding.key;
    this->*modifiers = binding.modifiers;
}

HotkeyBindings Settings::hotkeys() const {
    HotkeyBindings all;
    for (HotkeyAction action : kHotkeyActions) all[actionIndex(action)] = hotkey(action);
    return all;
}

bool Settings::writeRecord(const std::wstring& path) const {
    // Every key is tried even after one fails, so that as much as possible is kept.
    bool ok = true;
    for (const IntegerKey& key : kIntegerKeys) {
        wchar_t text[64];
        std::swprintf(text, 64, key.writtenUnsigned ? L"%u" : L"%d", static_cast<uint32_t>(key.get(*this)));
        ok = ::WritePrivateProfileStringW(key.section, key.name, text, path.c_str()) && ok;
    }
    // Like the boss, the view is written once one was chosen: a run that chose nothing writes
    // no "Selection" line.
    if (allBosses || !lastBoss.empty())
        ok = ::WritePrivateProfileStringW(kSelection, L"View", allBosses ? kViewAll : kViewBoss, path.c_str()) && ok;
    // An empty, unconvertible or unwritable id writes nothing: an earlier "LastBoss" line
    // stays. The id is the server's text, so it never reaches the file with a line break.
    if (lastBoss.empty() || !isWritableProfileValue(lastBoss)) return ok;
    const std::wstring wide = Utf8ToWide(lastBoss);
    if (wide.empty()) return ok;
    return ::WritePrivateProfileStringW(kSelection, L"LastBoss", wide.c_str(), path.c_str()) && ok;
}

}  // namespace mb
