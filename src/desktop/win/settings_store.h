// Where Marrowbell.ini lives and how it is written: beside the executable, or in
// %LOCALAPPDATA%\Marrowbell when the executable's folder cannot be written (then with everything
// the file held); a file another program holds open is tried again for a moment; a file saved as
// "UTF-8 with BOM" is rewritten once without its mark so that the profile functions read it.
// What is written, and what is read, is its callers' business.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "core/win/event_log.h"

namespace mb {

class SettingsStore {
public:
    // The file chosen at start-up (startupPath) between "Marrowbell.ini" beside the executable
    // and the one in %LOCALAPPDATA%\Marrowbell, which is also the fallback.
    SettingsStore();
    // Another file, with %LOCALAPPDATA%\Marrowbell\Marrowbell.ini as its fallback.
    explicit SettingsStore(std::wstring path);
    // Another file and another fallback; an empty fallback means none. Tests use it so that
    // they never touch the real %LOCALAPPDATA%.
    SettingsStore(std::wstring path, std::wstring fallback);

    const std::wstring& path() const { return path_; }
    const std::wstring& fallback() const { return fallback_; }
    // Before the first read: a mark at the file's start goes (see dropUtf8Mark).
    void prepare() { dropUtf8Mark(); }

    // writeAll(path) writes what it has to and says whether every write went. A file made now
    // starts with how to point the overlay at a tracker. A file another program holds open is
    // tried again for a moment; when it stays held, false. Only when the folder refuses a new
    // file, or the file itself refuses writing, does the file move to the fallback: a copy of
    // the current file first, so nothing in it is lost, then writeAll there, and path() names
    // it from then on. True when everything was written somewhere.
    bool write(const std::function<bool(const std::wstring& path)>& writeAll);

    // Where this run's write failures and a move to the fallback are told; the log moves along.
    void setLog(std::shared_ptr<EventLog> log) { log_ = std::move(log); }
    // Why the file in use is not the one beside the executable; empty when it is.
    std::string locationReason() const;

    // Folder of the running executable, without a trailing backslash.
    static std::wstring executableFolder();
    // %LOCALAPPDATA%\Marrowbell\Marrowbell.ini; empty when the folder cannot be found.
    static std::wstring localAppDataPath();
    // The file to read at start-up: of besideExe and the fallback (made from it by an earlier
    // save that could not write there) the one written last; besideExe when neither exists.
    static std::wstring startupPath(const std::wstring& besideExe, const std::wstring& fallback);

private:
    // A file saved as "UTF-8 with BOM" is rewritten once without its first three bytes, the
    // rest byte for byte (a new file beside it, then moved over it), so that the profile
    // functions read its first section and later writes add no mark back. When it cannot be
    // rewritten in place, the copy goes to the fallback, which is used from then on.
    void dropUtf8Mark();
    // Points path_ at the fallback after a copy of the current file (without a mark); false
    // when there is no fallback to move to.
    bool moveToFallback();
    bool fallbackIsElsewhere() const;
    bool writeOnce(const std::function<bool(const std::wstring& path)>& writeAll) const;

    std::wstring path_;
    std::wstring fallback_;  // where the file moves when path_ cannot be written
    std::shared_ptr<EventLog> log_;
    bool movedThisRun_ = false;
};

}  // namespace mb
