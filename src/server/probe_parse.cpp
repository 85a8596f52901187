#include "server/probe_parse.h"

#include "server/fetch_guard.h"
#include "server/json_fields.h"

namespace mb {

double parseCacheAge(std::string_view body, std::string& error) noexcept {
    double age = kUnknownCacheAge;
    const auto fail = [&](const char* text) {
        error = text;
        return false;
    };
    const bool ok = runGuarded(guard_texts::kProbe, error, [&] {
        const nlohmann::json root = parseJsonBody(body);
        if (root.is_discarded()) return fail("Invalid JSON response");
        if (!root.is_object()) return fail("JSON root is not an object");
        const auto statistics = root.find("statistics");
        if (statistics == root.end()) return fail("Missing 'statistics' field in response");
        if (!statistics->is_object()) return fail("'statistics' field is not an object");
        const auto cacheAge = statistics->find("cache_age");
        if (cacheAge == statistics->end()) return fail("Missing 'cache_age' field in statistics");
        if (cacheAge->is_null()) return fail("'cache_age' is null");
        if (!cacheAge->is_number()) return fail("'cache_age' is not a number");
        const double value = cacheAge->get<double>();
        if (value < 0.0 || value > kMaxCacheAgeSeconds) return fail("'cache_age' out of valid range");
        age = value;
        return true;
    });
    return ok ? age : kUnknownCacheAge;
}

}  // namespace mb
