#include "desktop/win/settings.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cwchar>
#include <optional>
#include <string_view>
#include <utility>

#include "core/win/unique_handle.h"
#include "desktop/settings_location.h"
#include "desktop/settings_text.h"

namespace mb {
namespace {

constexpr const wchar_t* kWindow = L"Window";
constexpr const wchar_t* kHotkeys = L"Hotkeys";
constexpr const wchar_t* kSelection = L"Selection";
constexpr const wchar_t* kNetwork = L"Network";
constexpr const wchar_t* kAlerts = L"Alerts";

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// A settings file is a few hundred bytes; a larger one is left to the profile functions as is.
constexpr LONGLONG kMaxCopiedBytes = 16 << 20;
// A file held open by another program (a backup or sync client, a second copy saving at the
// same moment) is tried again this often, this far apart, before the save gives up.
constexpr int kLockedFileRetries = 4;
constexpr DWORD kLockedFileRetryPauseMs = 50;

int32_t readInt(const wchar_t* section, const wchar_t* key, int32_t fallback, const std::wstring& path) {
    return static_cast<int32_t>(::GetPrivateProfileIntW(section, key, fallback, path.c_str()));
}

bool writeSigned(const wchar_t* section, const wchar_t* key, int32_t value, const std::wstring& path) {
    wchar_t text[64];
    std::swprintf(text, 64, L"%d", value);
    return ::WritePrivateProfileStringW(section, key, text, path.c_str()) != FALSE;
}

bool writeUnsigned(const wchar_t* section, const wchar_t* key, uint32_t value, const std::wstring& path) {
    wchar_t text[64];
    std::swprintf(text, 64, L"%u", value);
    return ::WritePrivateProfileStringW(section, key, text, path.c_str()) != FALSE;
}

UniqueKernelHandle openFile(const std::wstring& path, DWORD access, DWORD share, DWORD disposition) {
    HANDLE file = ::CreateFileW(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    return UniqueKernelHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

bool fileExists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Opening for writing changes nothing in the file. Refused for the file itself (read-only, no
// permission), not because another program holds it open for a moment.
bool fileRefusesWriting(const std::wstring& path) {
    if (openFile(path, GENERIC_WRITE, kShareAll, OPEN_EXISTING)) return false;
    return ::GetLastError() == ERROR_ACCESS_DENIED;
}

// A new file of our own can be made in the folder of path (and is gone again at once).
bool folderAcceptsNewFile(const std::wstring& path) {
    const std::wstring probe = path + L"." + std::to_wstring(::GetCurrentProcessId()) + L".probe";
    HANDLE file = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    return static_cast<bool>(UniqueKernelHandle(file == INVALID_HANDLE_VALUE ? nullptr : file));
}

// Last-write time of a file, or nothing when it cannot be asked.
std::optional<uint64_t> lastWriteTime(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    return (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

bool readWhole(const std::wstring& path, std::string& bytes) {
    UniqueKernelHandle file = openFile(path, GENERIC_READ, kShareAll, OPEN_EXISTING);
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart > kMaxCopiedBytes) return false;
    bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    if (bytes.empty()) return true;
    return ::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) && got == bytes.size();
}

// The bytes go into a new file beside path, which then replaces path in one step: a crash
// leaves the old file or the new one, never a part of either.
bool replaceWhole(const std::wstring& path, std::string_view bytes) {
    const std::wstring temporary = path + L"." + std::to_wstring(::GetCurrentProcessId()) + L".tmp";
    bool written = false;
    {
        UniqueKernelHandle file = openFile(temporary, GENERIC_WRITE, 0, CREATE_ALWAYS);
        if (!file) return false;
        DWORD put = 0;
        const bool all = bytes.empty() ||
                         (::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) &&
                          put == bytes.size());
        written = all && ::FlushFileBuffers(file.get());
    }
    if (written && ::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    ::DeleteFileW(temporary.c_str());
    return false;
}

bool samePath(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// The folder of a file, with its parents, when it does not exist yet.
void createFolderOf(const std::wstring& path) {
    const std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
    ::SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);  // "already there" is fine
}

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
    if (replaceWhole(fallbackPath, rest)) settingsPath = fallbackPath;
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
    settingsPath = fallbackPath;
    return true;
}

bool Settings::load() {
    loadNetwork();
    loadAlerts();
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
    clickThroughMods = static_cast<uint32_t>(
        readInt(kHotkeys, L"ClickThroughMods", SettingsDefaults::clickThroughMods, p));
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
    dropUtf8Mark();
    if (auto text = readAscii(L"TrackerUrl", settingsPath)) {
        if (auto url = parseTrackerUrl(*text)) trackerUrl = std::move(*url);
    }
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
    if (writeRecord()) return true;
    if (divertAfterFailedSave(folderAcceptsNewFile(settingsPath), fileRefusesWriting(settingsPath))) {
        return moveToFallback() && writeRecord();
    }
    // Held open elsewhere for a moment: the same file again, briefly. When it stays held the
    // record stays in memory and the next save writes all of it.
    for (int retry = 0; retry < kLockedFileRetries; ++retry) {
        ::Sleep(kLockedFileRetryPauseMs);
        if (writeRecord()) return true;
    }
    return false;
}

bool Settings::writeRecord() const {
    const std::wstring& p = settingsPath;
    // Every key is tried even after one fails, so that as much as possible is kept.
    bool ok = writeSigned(kWindow, L"Left", left, p);
    ok = writeSigned(kWindow, L"Top", top, p) && ok;
    ok = writeSigned(kWindow, L"Right", right, p) && ok;
    ok = writeSigned(kWindow, L"Bottom", bottom, p) && ok;
    ok = writeSigned(kWindow, L"Opacity", opacity, p) && ok;
    ok = writeSigned(kWindow, L"TextScale", textScale, p) && ok;
    ok = writeSigned(kWindow, L"ClickThroughMode", clickThroughMode ? 1 : 0, p) && ok;
    ok = writeSigned(kHotkeys, L"ClickThrough", static_cast<int32_t>(clickThroughKey), p) && ok;
    ok = writeUnsigned(kHotkeys, L"ClickThroughMods", clickThroughMods, p) && ok;
    ok = writeSigned(kHotkeys, L"Visibility", static_cast<int32_t>(visibilityKey), p) && ok;
    ok = writeUnsigned(kHotkeys, L"VisibilityMods", visibilityMods, p) && ok;
    ok = writeSigned(kHotkeys, L"BossMenu", static_cast<int32_t>(bossMenuKey), p) && ok;
    ok = writeUnsigned(kHotkeys, L"BossMenuMods", bossMenuMods, p) && ok;

    // An empty, unconvertible or unwritable id writes nothing: an earlier "LastBoss" line
    // stays. The id is the server's text, so it never reaches the file with a line break.
    if (lastBoss.empty() || !isWritableProfileValue(lastBoss)) return ok;
    int units = ::MultiByteToWideChar(CP_UTF8, 0, lastBoss.data(), static_cast<int>(lastBoss.size()), nullptr, 0);
    if (units <= 0) return ok;
    std::wstring wide(static_cast<size_t>(units), L'\0');
    if (::MultiByteToWideChar(CP_UTF8, 0, lastBoss.data(), static_cast<int>(lastBoss.size()), wide.data(), units) <=
        0) {
        return ok;
    }
    return ::WritePrivateProfileStringW(kSelection, L"LastBoss", wide.c_str(), p.c_str()) != FALSE && ok;
}

}  // namespace mb
