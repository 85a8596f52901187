#include "core/log_line.h"

#include <cstdio>

#include "core/utc_time.h"

namespace mb {

std::string logTimeText(int64_t unixMilliseconds) {
    const int64_t seconds = unixMilliseconds >= 0 ? unixMilliseconds / 1000 : -1;
    const std::optional<UtcTime> time = breakDownUtc(seconds);
    const UtcTime shown = time.value_or(UtcTime{});
    const int milliseconds = time ? static_cast<int>(unixMilliseconds % 1000) : 0;
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", shown.year, shown.month, shown.day,
                  shown.hour, shown.minute, shown.second, milliseconds);
    return text;
}

std::string logLine(int64_t unixMilliseconds, std::string_view text) {
    std::string line = logTimeText(unixMilliseconds);
    line.reserve(line.size() + text.size() + 3);
    line += ' ';
    for (const char c : text) line += (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) ? ' ' : c;
    line += "\r\n";
    return line;
}

std::optional<std::string> RepeatFolder::add(std::string_view topic, std::string_view text) {
    auto found = topics_.find(topic);
    if (found == topics_.end()) found = topics_.emplace(std::string(topic), Last{}).first;
    Last& last = found->second;
    if (last.times > 0 && last.text == text) {
        ++last.times;
        return std::nullopt;
    }
    std::string line(text);
    if (last.times > 1) line += " (the line before came " + std::to_string(last.times) + " times)";
    last.text.assign(text);
    last.times = 1;
    return line;
}

std::string withoutCredentials(std::string_view url) {
    const size_t scheme = url.find("://");
    const size_t authorityStart = scheme == std::string_view::npos ? 0 : scheme + 3;
    const size_t authorityEnd = url.find_first_of("/?#", authorityStart);
    const std::string_view authority = url.substr(authorityStart, authorityEnd - authorityStart);
    const size_t at = authority.rfind('@');
    if (at == std::string_view::npos) return std::string(url);
    std::string cleaned(url.substr(0, authorityStart));
    cleaned += authority.substr(at + 1);
    if (authorityEnd != std::string_view::npos) cleaned += url.substr(authorityEnd);
    return cleaned;
}

}  // namespace mb
