#include "core/win/event_log.h"

#include <utility>

namespace mb {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr int64_t kUnixEpochIn100ns = 116444736000000000;  // 1970-01-01 as a FILETIME

int64_t unixMillisecondsNow() {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    const int64_t ticks = (static_cast<int64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return (ticks - kUnixEpochIn100ns) / 10000;
}

}  // namespace

EventLog::EventLog(std::wstring path) : path_(std::move(path)) {}

std::wstring EventLog::besideSettings(const std::wstring& settingsPath) {
    const size_t slash = settingsPath.find_last_of(L"\\/");
    return (slash == std::wstring::npos ? std::wstring() : settingsPath.substr(0, slash + 1)) + L"Marrowbell.log";
}

std::wstring EventLog::path() const {
    CriticalSectionLock hold(lock_);
    return path_;
}

void EventLog::write(std::string_view text) {
    try {
        CriticalSectionLock hold(lock_);
        append(text);
    } catch (...) {  // no memory for the line: it is dropped
    }
}

void EventLog::fold(std::string_view topic, std::string_view text) {
    try {
        CriticalSectionLock hold(lock_);
        if (const std::optional<std::string> line = folder_.add(topic, text)) append(*line);
    } catch (...) {}
}

void EventLog::moveTo(std::wstring path) {
    CriticalSectionLock hold(lock_);
    path_ = std::move(path);
    file_.reset();
}

bool EventLog::open() {
    HANDLE file = ::CreateFileW(path_.c_str(), FILE_APPEND_DATA, kShareAll, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    file_.reset(file);
    LARGE_INTEGER size{};
    size_ = ::GetFileSizeEx(file, &size) ? static_cast<uint64_t>(size.QuadPart) : 0;
    return true;
}

void EventLog::append(std::string_view text) {
    const std::string line = logLine(unixMillisecondsNow(), text);
    if (!file_ && !open()) return;
    if (size_ > 0 && size_ + line.size() > kRotateBytes) {
        file_.reset();
        // One older file is kept. While the rename fails (another program holds the older
        // file open), lines are dropped rather than the log growing past its size.
        if (!::MoveFileExW(path_.c_str(), (path_ + L".1").c_str(), MOVEFILE_REPLACE_EXISTING) || !open()) return;
    }
    DWORD written = 0;
    if (::WriteFile(file_.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr)) {
        size_ += written;
    } else {
        file_.reset();  // tried afresh with the next line
    }
}

}  // namespace mb
