#include "desktop/win/settings.h"

#include <windows.h>
#include <shlwapi.h>

#include <cwchar>
#include <optional>
#include <utility>

namespace mb {
namespace {

constexpr const wchar_t* kWindow = L"Window";
constexpr const wchar_t* kHotkeys = L"Hotkeys";
constexpr const wchar_t* kSelection = L"Selection";
constexpr const wchar_t* kNetwork = L"Network";

int32_t readInt(const wchar_t* section, const wchar_t* key, int32_t fallback, const std::wstring& path) {
    return static_cast<int32_t>(::GetPrivateProfileIntW(section, key, fallback, path.c_str()));
}

void writeSigned(const wchar_t* section, const wchar_t* key, int32_t value, const std::wstring& path) {
    wchar_t text[64];
    std::swprintf(text, 64, L"%d", value);
    ::WritePrivateProfileStringW(section, key, text, path.c_str());
}

void writeUnsigned(const wchar_t* section, const wchar_t* key, uint32_t value, const std::wstring& path) {
    wchar_t text[64];
    std::swprintf(text, 64, L"%u", value);
    ::WritePrivateProfileStringW(section, key, text, path.c_str());
}

// A value of the "Network" section as ASCII, or nothing when it is absent, was cut off by the
// buffer or holds characters no host name or URL may contain.
std::optional<std::string> readAscii(const wchar_t* key, const std::wstring& path) {
    constexpr DWORD kUnits = 2048;
    std::wstring buffer(kUnits, L'\0');
    DWORD length = ::GetPrivateProfileStringW(kNetwork, key, L"", buffer.data(), kUnits, path.c_str());
    if (length == 0 || length >= kUnits - 1) return std::nullopt;
    std::string text;
    text.reserve(length);
    for (DWORD i = 0; i < length; ++i) {
        wchar_t c = buffer[i];
        if (c < 0x20 || c > 0x7E) return std::nullopt;
        text.push_back(static_cast<char>(c));
    }
    return text;
}

}  // namespace

Settings::Settings() : Settings(executableFolder() + L"\\Marrowbell.ini") {}

Settings::Settings(std::wstring path) : settingsPath(std::move(path)) {}

std::wstring Settings::executableFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    ::PathRemoveFileSpecW(path);
    return path;
}

bool Settings::load() {
    loadNetwork();
    if (::GetFileAttributesW(settingsPath.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    const std::wstring& p = settingsPath;
    left = readInt(kWindow, L"Left", SettingsDefaults::left, p);
    top = readInt(kWindow, L"Top", SettingsDefaults::top, p);
    right = readInt(kWindow, L"Right", SettingsDefaults::right, p);
    bottom = readInt(kWindow, L"Bottom", SettingsDefaults::bottom, p);
    opacity = clampOpacity(readInt(kWindow, L"Opacity", SettingsDefaults::opacity, p));
    textScale = clampTextScale(readInt(kWindow, L"TextScale", SettingsDefaults::textScale, p));
    clickThroughMode = readInt(kWindow, L"ClickThroughMode", 0, p) != 0;
    clickThroughKey = static_cast<uint32_t>(readInt(kHotkeys, L"ClickThrough", SettingsDefaults::clickThroughKey, p));
    clickThroughMods =
        static_cast<uint32_t>(readInt(kHotkeys, L"ClickThroughMods", SettingsDefaults::clickThroughMods, p));
    visibilityKey = static_cast<uint32_t>(readInt(kHotkeys, L"Visibility", SettingsDefaults::visibilityKey, p));
    visibilityMods = static_cast<uint32_t>(readInt(kHotkeys, L"VisibilityMods", SettingsDefaults::visibilityMods, p));
    bossMenuKey = static_cast<uint32_t>(readInt(kHotkeys, L"BossMenu", SettingsDefaults::bossMenuKey, p));
    bossMenuMods = static_cast<uint32_t>(readInt(kHotkeys, L"BossMenuMods", SettingsDefaults::bossMenuMods, p));

    wchar_t boss[kLastBossMaxUnits + 1] = {};
    ::GetPrivateProfileStringW(kSelection, L"LastBoss", L"", boss, kLastBossMaxUnits + 1, p.c_str());
    if (boss[0] == L'\0') return true;
    int bytes = ::WideCharToMultiByte(CP_UTF8, 0, boss, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return true;
    std::string utf8(static_cast<size_t>(bytes), '\0');
    if (::WideCharToMultiByte(CP_UTF8, 0, boss, -1, utf8.data(), bytes, nullptr, nullptr) <= 0) return true;
    utf8.resize(static_cast<size_t>(bytes) - 1);  // the terminator
    lastBoss = std::move(utf8);
    return true;
}

void Settings::loadNetwork() {
    if (auto text = readAscii(L"TrackerUrl", settingsPath)) {
        if (auto url = parseTrackerUrl(*text)) trackerUrl = std::move(*url);
    }
    if (auto text = readAscii(L"NtpServers", settingsPath)) {
        if (auto servers = parseNtpServers(*text)) ntpServers = std::move(*servers);
    }
}

bool Settings::save() const {
    const std::wstring& p = settingsPath;
    writeSigned(kWindow, L"Left", left, p);
    writeSigned(kWindow, L"Top", top, p);
    writeSigned(kWindow, L"Right", right, p);
    writeSigned(kWindow, L"Bottom", bottom, p);
    writeSigned(kWindow, L"Opacity", opacity, p);
    writeSigned(kWindow, L"TextScale", textScale, p);
    writeSigned(kWindow, L"ClickThroughMode", clickThroughMode ? 1 : 0, p);
    writeSigned(kHotkeys, L"ClickThrough", static_cast<int32_t>(clickThroughKey), p);
    writeUnsigned(kHotkeys, L"ClickThroughMods", clickThroughMods, p);
    writeSigned(kHotkeys, L"Visibility", static_cast<int32_t>(visibilityKey), p);
    writeUnsigned(kHotkeys, L"VisibilityMods", visibilityMods, p);
    writeSigned(kHotkeys, L"BossMenu", static_cast<int32_t>(bossMenuKey), p);
    writeUnsigned(kHotkeys, L"BossMenuMods", bossMenuMods, p);

    if (lastBoss.empty()) return true;
    int units = ::MultiByteToWideChar(CP_UTF8, 0, lastBoss.data(), static_cast<int>(lastBoss.size()), nullptr, 0);
    if (units <= 0) return true;
    std::wstring wide(static_cast<size_t>(units), L'\0');
    if (::MultiByteToWideChar(CP_UTF8, 0, lastBoss.data(), static_cast<int>(lastBoss.size()), wide.data(), units) <=
        0) {
        return true;
    }
    ::WritePrivateProfileStringW(kSelection, L"LastBoss", wide.c_str(), p.c_str());
    return true;
}

}  // namespace mb
