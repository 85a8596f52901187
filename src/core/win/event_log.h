// Marrowbell.log: one line per event, UTC time first, UTF-8 with CRLF, written by every thread
// through one lock so that lines never interleave. At 256 KiB the file becomes
// Marrowbell.log.1 (replacing the one before) and a new file starts, so the two never pass
// about 512 KiB. A line that cannot be written is dropped: the log never fails the program, and
// one write to a local file never holds the interface for long.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/log_line.h"
#include "core/win/unique_handle.h"

namespace mb {

class EventLog {
public:
    static constexpr uint64_t kRotateBytes = 256 * 1024;

    // The file is opened (or made) by the first line.
    explicit EventLog(std::wstring path);
    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;

    void write(std::string_view text);
    // A line of a topic whose same text repeats (RepeatFolder): written once, counted after.
    void fold(std::string_view topic, std::string_view text);
    // The settings moved to another folder: the log follows from the next line on.
    void moveTo(std::wstring path);
    std::wstring path() const;

    // "<folder of settingsPath>\Marrowbell.log".
    static std::wstring besideSettings(const std::wstring& settingsPath);

private:
    void append(std::string_view text);  // under lock_
    bool open();                         // under lock_

    mutable CriticalSection lock_;
    std::wstring path_;
    UniqueKernelHandle file_;
    uint64_t size_ = 0;
    RepeatFolder folder_;
};

}  // namespace mb
