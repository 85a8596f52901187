// The tracker server's date-time texts ("2025-03-01T12:00:00Z", "2025-03-01 12:00:00.123Z")
// as Unix seconds, computed the same way in every build.
#pragma once

#include <cstdint>
#include <string_view>

namespace mb {

// Reads "%d-%d-%d%*c%d:%d:%d" (anything after the seconds is ignored) and converts the
// fields as UTC exactly like the Windows CRT's _mkgmtime64, out-of-range fields included.
// Returns 0 when fewer than six numbers were read, -1 for a date that cannot be represented.
int64_t ParseServerTime(std::string_view text);

// The two steps of ParseServerTime, open to the tests that hold them against the CRT.

// The numbers of "%d-%d-%d%*c%d:%d:%d" in reading order: year, month, day, hour, minute, second.
struct ServerTimeFields {
    int32_t values[6] = {};
};

// The count of numbers sscanf reads with the pattern, 0 to 6 (its -1 for a text that ends
// before the first number is given as 0). Only the first `count` values are written.
int scanServerTimeFields(std::string_view text, ServerTimeFields& fields);

// A broken-down UTC time with the int fields of struct tm (tm_year counts from 1900,
// tm_mon from 0), any of them out of its usual range.
struct BrokenDownTime {
    int32_t tm_year = 0;
    int32_t tm_mon = 0;
    int32_t tm_mday = 0;
    int32_t tm_hour = 0;
    int32_t tm_min = 0;
    int32_t tm_sec = 0;
};

// _mkgmtime64 of the CRT: carries out-of-range fields, returns -1 outside
// 1970-01-01 00:00:00 to 3000-12-31 23:59:59 UTC.
int64_t makeGmTime(const BrokenDownTime& time);

}  // namespace mb
