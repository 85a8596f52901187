#include "desktop/win/settings_store.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <optional>
#include <string_view>
#include <utility>

#include "core/win/utf8.h"
#include "desktop/settings_location.h"
#include "desktop/win/settings_files.h"

namespace mb {
namespace {

// A file held open by another program (a backup or sync client, a second copy saving at the
// same moment) is tried again this often, this far apart, before the write gives up.
constexpr int kLockedFileRetries = 4;
constexpr DWORD kLockedFileRetryPauseMs = 50;

}  // namespace

SettingsStore::SettingsStore() : SettingsStore(std::wstring(), localAppDataPath()) {
    path_ = startupPath(executableFolder() + L"\\" + kSettingsFileName, fallback_);
}

SettingsStore::SettingsStore(std::wstring path) : SettingsStore(std::move(path), localAppDataPath()) {}

SettingsStore::SettingsStore(std::wstring path, std::wstring fallback)
    : path_(std::move(path)), fallback_(std::move(fallback)) {}

std::wstring SettingsStore::executableFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    ::PathRemoveFileSpecW(path);
    return path;
}

std::wstring SettingsStore::localAppDataPath() {
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

std::wstring SettingsStore::startupPath(const std::wstring& besideExe, const std::wstring& fallback) {
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

void SettingsStore::dropUtf8Mark() {
    std::string bytes;
    if (!readWhole(path_, bytes) || !startsWithUtf8Bom(bytes)) return;
    const std::string_view rest = std::string_view(bytes).substr(kUtf8Bom.size());
    if (replaceWhole(path_, rest)) return;
    // Not writable here: the copy without the mark goes where the settings would go anyway.
    // Without a fallback the file is read as it is.
    if (!fallbackIsElsewhere()) return;
    createFolderOf(fallback_);
    if (replaceWhole(fallback_, rest)) {
        path_ = fallback_;
        movedThisRun_ = true;
    }
}

std::string SettingsStore::locationReason() const {
    if (samePath(path_, executableFolder() + L"\\" + kSettingsFileName)) return {};
    if (movedThisRun_) return "the folder of Marrowbell.exe could not be written";
    if (!fallback_.empty() && samePath(path_, fallback_)) {
        return "it was written last: the folder of Marrowbell.exe could not be written then";
    }
    return "the file named at start";
}

bool SettingsStore::fallbackIsElsewhere() const { return !fallback_.empty() && !samePath(fallback_, path_); }

bool SettingsStore::moveToFallback() {
    if (!fallbackIsElsewhere()) return false;
    createFolderOf(fallback_);
    // Everything the current file holds comes along: keys read from it ("Network" among them)
    // and any the program does not know. A copy that fails still leaves the record to write.
    std::string bytes;
    if (readWhole(path_, bytes)) {
        std::string_view rest = bytes;
        if (startsWithUtf8Bom(rest)) rest.remove_prefix(kUtf8Bom.size());
        replaceWhole(fallback_, rest);
    }
    if (log_)
        log_->write("Settings moved to " + wideToUtf8(fallback_) + ": " + wideToUtf8(path_) + " could not be written");
    path_ = fallback_;
    movedThisRun_ = true;
    if (log_) log_->moveTo(EventLog::besideSettings(path_));
    return true;
}

bool SettingsStore::writeOnce(const std::function<bool(const std::wstring& path)>& writeAll) const {
    // A file made now starts with how to point the overlay at a tracker.
    if (!fileExists(path_)) createWithText(path_, kNewSettingsFileHeader);
    return writeAll(path_);
}

bool SettingsStore::write(const std::function<bool(const std::wstring& path)>& writeAll) {
    bool written = writeOnce(writeAll);
    if (!written && divertAfterFailedSave(folderAcceptsNewFile(path_), fileRefusesWriting(path_))) {
        written = moveToFallback() && writeOnce(writeAll);
    } else {
        // Held open elsewhere for a moment: the same file again, briefly. When it stays held
        // the caller's values stay in memory and the next write carries them.
        for (int retry = 0; !written && retry < kLockedFileRetries; ++retry) {
            ::Sleep(kLockedFileRetryPauseMs);
            written = writeOnce(writeAll);
        }
    }
    if (log_) {
        log_->fold("settings", written ? "Settings saved" : "Settings could not be written to " + wideToUtf8(path_));
    }
    return written;
}

}  // namespace mb
