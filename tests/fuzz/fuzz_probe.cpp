// The status probe's reading of "/api/status" on arbitrary bodies: the result is either -1
// with a text or a cache age within 0 to 86400 without one.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "server/probe_parse.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string error;
    const double age = mb::parseCacheAge(std::string_view(reinterpret_cast<const char*>(data), size), error);
    if (age == mb::kUnknownCacheAge) {
        if (error.empty()) std::abort();
    } else if (!(age >= 0.0 && age <= mb::kMaxCacheAgeSeconds) || !error.empty()) {
        std::abort();
    }
    return 0;
}
