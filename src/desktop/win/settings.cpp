#include "desktop/win/settings.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

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
constexpr const wchar_t* kNetwork = L"Network";
constexpr const wchar_t* kAlerts = L"Alerts";

// A file held open by another program (a backup or sync client, a second copy saving at the
// same moment) is tried again this often, this far apart, before the save gives up.
constexpr int kLockedFileRetries = 4;
constexpr DWORD kLockedFileRetryPauseMs = 50;

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

// A value of the "Network" (or another read-only) section as ASCII, or nothing when it is
// absent, was cut off by the buffer or holds characters no host name or URL may contain.
std::optional<std::string> readAscii(const wchar_t* key, const std::wstring& path, const wchar_t* section = kNetwork) {
    constexpr DWORD kUnits = 2048;
    std::wstring buffer(kUnits, L'\0');
    DWORD length = ::GetPrivateProfileStringW(section, key, L"", buffer.data(), kUnits, path.c_str());
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

Settings::Settings() : Settings(std::wstring(), localAppDataPath()) {
    settingsPath = startupPath(executableFolder() + L"\\" + kSettingsFileName, fallbackPath);
}

Settings::Settings(std::wstring path) : Settings(std::move(path), localAppDataPath()) {}

Settings::Settings(std::wstring path, std::wstring fallback)
    : settingsPath(std::move(path)), fallbackPath(std::move(fallback)) {}

std::wstring Settings::executableFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    ::PathRemoveFileSpecW(path);
    return path;
}

std::wstring Settings::localAppDataPath() {
    std::wstring folder;
    PWSTR known = nullptr;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &known)) && known) folder = known;
    ::CoTaskMemFree(known);
    if (folder.empty()) {
        wchar_t variable[MAX_PATH] = {};
        const DWORD length = ::GetEnvironmentVariableW(L"LOCALAPPDATA", variable, MAX_PATH);
        if (length > 0 && length < MAX_PATH) folder = variable;
    }
    if (folder.empty()) return folder;
    return folder + L"\\" + kSettingsFallbackFolder + L"\\" + kSettingsFileName;
}

std::wstring Settings::startupPath(const std::wstring& besideExe, const std::wstring& fallback) {
    if (fallback.empty()) return besideExe;
    const bool besideExists = fileExists(besideExe);
    const bool fallbackExists = fileExists(fallback);
    bool fallbackIsNewer = false;
    if (besideExists && fallbackExists) {
        const std::optional<uint64_t> beside = lastWriteTime(besideExe);
        const std::optional<uint64_t> other = lastWriteTime(fallback);
        fallbackIsNewer = beside && other && *other > *beside;
    }
    return chooseSettingsFile(besideExists, fallbackExists, fallbackIsNewer) == SettingsFile::kFallback ? fallback
                                                                                                        : besideExe;
}

void Settings::dropUtf8Mark() {
    std::string bytes;
    if (!readWhole(settingsPath, bytes) || !startsWithUtf8Bom(bytes)) return;
    const std::string_view rest = std::string_view(bytes).substr(kUtf8Bom.size());
    if (replaceWhole(settingsPath, rest)) return;
    // Not writable here: the copy without the mark goes where the settings would go anyway.
    // Without a fallback the file is read as it is.
    if (!fallbackIsElsewhere()) return;
    createFolderOf(fallbackPath);
    if (replaceWhole(fallbackPath, rest)) {
        settingsPath = fallbackPath;
        movedThisRun_ = true;
    }
}

std::string Settings::locationReason() const {
    if (samePath(settingsPath, executableFolder() + L"\\" + kSettingsFileName)) return {};
    if (movedThisRun_) return "the folder of Marrowbell.exe could not be written";
    if (!fallbackPath.empty() && samePath(settingsPath, fallbackPath)) {
        return "it was written last: the folder of Marrowbell.exe could not be written then";
    }
    return "the file named at start";
}

bool Settings::fallbackIsElsewhere() const { return !fallbackPath.empty() && !samePath(fallbackPath, settingsPath); }

bool Settings::moveToFallback() {
    if (!fallbackIsElsewhere()) return false;
    createFolderOf(fallbackPath);
    // Everything the current file holds comes along: keys read from it ("Network" among them)
    // and any the program does not know. A copy that fails still leaves the record to write.
    std::string bytes;
    if (readWhole(settingsPath, bytes)) {
        std::string_view rest = bytes;
        if (startsWithUtf8Bom(rest)) rest.remove_prefix(kUtf8Bom.size());
        replaceWhole(fallbackPath, rest);
    }
    if (log_)
        log_->write("Settings moved to " + wideToUtf8(fallbackPath) + ": " + wideToUtf8(settingsPath) +
                    " could not be written");
    settingsPath = fallbackPath;
    movedThisRun_ = true;
    if (log_) log_->moveTo(EventLog::besideSettings(settingsPath));
    return true;
}

bool Settings::load() {
    loadNetwork();
    loadAlerts();
    if (::GetFileAttributesW(settingsPath.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    for (const IntegerKey& key : kIntegerKeys) {
        key.set(*this, static_cast<int32_t>(
                           ::GetPrivateProfileIntW(key.section, key.name, key.fallback, settingsPath.c_str())));
    }
    // Read, never written: only an explicit 1 turns it on.
    highDpi = ::GetPrivateProfileIntW(kWindow, L"HighDpi", 0, settingsPath.c_str()) == 1;
    wchar_t boss[kLastBossMaxUnits + 1] = {};
    ::GetPrivateProfileStringW(kSelection, L"LastBoss", L"", boss, kLastBossMaxUnits + 1, settingsPath.c_str());
    // An empty or unconvertible text leaves lastBoss empty.
    lastBoss = wideToUtf8(boss);
    return true;
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

TrackerAddress Settings::trackerAddress() const {
    if (trackerUrlInvalid) return TrackerAddress::Invalid;
    return trackerUrl == kPlaceholderTrackerUrl ? TrackerAddress::Placeholder : TrackerAddress::Usable;
}

HotkeyBindings Settings::hotkeys() const {
    HotkeyBindings all;
    for (HotkeyAction action : kHotkeyActions) all[actionIndex(action)] = hotkey(action);
    return all;
}

void Settings::loadNetwork() {
    dropUtf8Mark();
    const std::optional<std::string> urlText = readAscii(L"TrackerUrl", settingsPath);
    std::optional<std::string> url = urlText ? parseTrackerUrl(*urlText) : std::nullopt;
    trackerUrlFromFile = url.has_value();
    if (url) trackerUrl = std::move(*url);
    // A value the file holds but that cannot be used is said so, rather than replaced silently.
    wchar_t first[2] = {};
    trackerUrlInvalid = !url &&
                        ::GetPrivateProfileStringW(kNetwork, L"TrackerUrl", L"", first, 2, settingsPath.c_str()) > 0;
    if (auto text = readAscii(L"NtpServers", settingsPath)) {
        if (auto servers = parseNtpServers(*text)) ntpServers = std::move(*servers);
    }
}

void Settings::loadAlerts() {
    // An absent or unreadable value parses as empty text: the threshold off, the sound on.
    const auto text = [&](const wchar_t* key) { return readAscii(key, settingsPath, kAlerts).value_or(""); };
    alerts.spawnLeadSeconds = parseAlertThreshold(text(L"SpawnLeadSeconds"), kMinSpawnLead, kMaxSpawnLead);
    alerts.healthBelowPercent = parseAlertThreshold(text(L"HealthBelowPercent"), kMinHealthBelow, kMaxHealthBelow);
    alerts.clockWarnSeconds = parseAlertThreshold(text(L"ClockWarnSeconds"), kMinClockWarn, kMaxClockWarn);
    alerts.sound = parseAlertSound(text(L"Sound"));
}

bool Settings::save() {
    bool saved = writeRecord();
    if (!saved && divertAfterFailedSave(folderAcceptsNewFile(settingsPath), fileRefusesWriting(settingsPath))) {
        saved = moveToFallback() && writeRecord();
    } else {
        // Held open elsewhere for a moment: the same file again, briefly. When it stays held
        // the record stays in memory and the next save writes all of it.
        for (int retry = 0; !saved && retry < kLockedFileRetries; ++retry) {
            ::Sleep(kLockedFileRetryPauseMs);
            saved = writeRecord();
        }
    }
    if (log_)
        log_->fold("settings",
                   saved ? "Settings saved" : "Settings could not be written to " + wideToUtf8(settingsPath));
    return saved;
}

bool Settings::saveTrackerUrl(const std::string& url) {
    trackerUrl = url.empty() ? std::string(kDefaultTrackerUrl) : url;
    trackerUrlFromFile = !url.empty();
    trackerUrlInvalid = false;
    const bool saved = save();  // makes the file with its header, or finds where it can be written
    const std::wstring value = Utf8ToWide(url);
    const bool written = ::WritePrivateProfileStringW(kNetwork, L"TrackerUrl", url.empty() ? nullptr : value.c_str(),
                                                      settingsPath.c_str()) != FALSE;
    if (log_ && !written) log_->write("The tracker address could not be written to " + wideToUtf8(settingsPath));
    return saved && written;
}

bool Settings::writeRecord() const {
    // A file made now starts with how to point the overlay at a tracker.
    if (!fileExists(settingsPath)) createWithText(settingsPath, kNewSettingsFileHeader);
    // Every key is tried even after one fails, so that as much as possible is kept.
    bool ok = true;
    for (const IntegerKey& key : kIntegerKeys) {
        wchar_t text[64];
        std::swprintf(text, 64, key.writtenUnsigned ? L"%u" : L"%d", static_cast<uint32_t>(key.get(*this)));
        ok = ::WritePrivateProfileStringW(key.section, key.name, text, settingsPath.c_str()) && ok;
    }
    // An empty, unconvertible or unwritable id writes nothing: an earlier "LastBoss" line
    // stays. The id is the server's text, so it never reaches the file with a line break.
    if (lastBoss.empty() || !isWritableProfileValue(lastBoss)) return ok;
    const std::wstring wide = Utf8ToWide(lastBoss);
    if (wide.empty()) return ok;
    return ::WritePrivateProfileStringW(kSelection, L"LastBoss", wide.c_str(), settingsPath.c_str()) && ok;
}

}  // namespace mb
