// The lines of Marrowbell.log: UTC time first (ISO 8601 with milliseconds), one event a line,
// repeats of the same event folded into the next line that differs, and addresses written
// without the user name and password they may carry.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace mb {

// "2026-12-09T16:09:10.123Z"; "0000-00-00T00:00:00.000Z" outside the range the CRT can break
// down (before 1970, after 3000).
std::string logTimeText(int64_t unixMilliseconds);

// One line of the file: the time, a blank, the text with every control character (a line break
// a server sent among them) turned into a blank, and CRLF.
std::string logLine(int64_t unixMilliseconds, std::string_view text);

// Each topic (a worker's outcomes, say) keeps its last text. The same text again is only
// counted; the next different text of the topic is written with how often the one before came.
class RepeatFolder {
public:
    // The text to write now, or nothing when it repeats the topic's last one.
    std::optional<std::string> add(std::string_view topic, std::string_view text);

private:
    struct Last {
        std::string text;
        uint64_t times = 0;
    };
    std::map<std::string, Last, std::less<>> topics_;
};

// The address with any "user:password@" taken out of its authority; the rest as it is.
std::string withoutCredentials(std::string_view url);

}  // namespace mb
