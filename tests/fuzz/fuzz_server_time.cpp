// Any text through the server-time parser: no fault, and the result is 0, -1 or an instant
// from 1970 to 3000 that formats back to itself.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/server_time.h"

namespace {

constexpr int64_t kLatest = 32535215999;  // 3000-12-31 23:59:59 UTC

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

// The canonical text of an instant, by the civil-from-days algorithm.
std::string formatUtc(int64_t seconds) {
    const int64_t days = seconds / 86400;
    const int64_t rest = seconds % 86400;
    const int64_t z = days + 719468;
    const int64_t era = z / 146097;
    const int64_t dayOfEra = z - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t mp = (5 * dayOfYear + 2) / 153;
    const int64_t day = dayOfYear - (153 * mp + 2) / 5 + 1;
    const int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    char text[40];
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lldT%02lld:%02lld:%02lldZ", static_cast<long long>(year),
                  static_cast<long long>(month), static_cast<long long>(day), static_cast<long long>(rest / 3600),
                  static_cast<long long>(rest / 60 % 60), static_cast<long long>(rest % 60));
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const int64_t result = mb::ParseServerTime(text);
    require(result == -1 || (result >= 0 && result <= kLatest), "result is -1 or within 1970 to 3000");

    mb::ServerTimeFields fields;
    const int count = mb::scanServerTimeFields(text, fields);
    require(count >= 0 && count <= 6, "count of numbers is 0 to 6");
    if (count < 6) require(result == 0, "fewer than six numbers give 0");

    // Like a C string, the text ends at its first NUL.
    const std::size_t nul = text.find('\0');
    if (nul != std::string_view::npos) require(mb::ParseServerTime(text.substr(0, nul)) == result, "ends at NUL");

    if (count == 6 && result >= 0) {
        require(mb::ParseServerTime(formatUtc(result)) == result, "an instant formats back to itself");
    }
    return 0;
}
