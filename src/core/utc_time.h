// Unix seconds broken down into a UTC calendar date and time of day, with the range the
// Windows CRT's _gmtime64 accepts (1970 to the end of 3000), computed the same in every build.
#pragma once

#include <cstdint>
#include <optional>

namespace mb {

struct UtcTime {
    int32_t year = 0;
    int32_t month = 0;  // 1 to 12
    int32_t day = 0;    // 1 to 31
    int32_t hour = 0;
    int32_t minute = 0;
    int32_t second = 0;
    bool operator==(const UtcTime&) const = default;
};

// 3000-12-31 23:59:59 UTC, the last second the Windows CRT's 64-bit time functions accept.
inline constexpr int64_t kLatestUtcTime = 32535215999;

// Nothing for a negative time or one after kLatestUtcTime, where _gmtime64 fails too.
std::optional<UtcTime> breakDownUtc(int64_t unixSeconds);

}  // namespace mb
