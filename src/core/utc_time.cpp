// Civil date from a day count, in whole integer arithmetic (no gmtime, no time zone).
#include "core/utc_time.h"

namespace mb {
namespace {

constexpr int64_t kSecondsPerDay = 86400;

}  // namespace

// Days since 1970 to a civil date, counted in 400-year eras that start on 1 March, so that
// the leap day is the last day of its year and month lengths follow a fixed 153-day rhythm.
std::optional<UtcTime> breakDownUtc(int64_t unixSeconds) {
    if (unixSeconds < 0 || unixSeconds > kLatestUtcTime) return std::nullopt;
    const int64_t days = unixSeconds / kSecondsPerDay;
    const int64_t secondOfDay = unixSeconds % kSecondsPerDay;

    const int64_t shifted = days + 719468;  // days from 0000-03-01 to 1970-01-01
    const int64_t era = shifted / 146097;
    const int64_t dayOfEra = shifted - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    const int64_t month = monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9;

    UtcTime time;
    time.year = static_cast<int32_t>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
    time.month = static_cast<int32_t>(month);
    time.day = static_cast<int32_t>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    time.hour = static_cast<int32_t>(secondOfDay / 3600);
    time.minute = static_cast<int32_t>(secondOfDay / 60 % 60);
    time.second = static_cast<int32_t>(secondOfDay % 60);
    return time;
}

}  // namespace mb
