// The boss-list mapping on arbitrary bodies: no crash, and only complete bosses come out.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "server/api_mapping.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<mb::Boss> bosses;
    std::string error;
    const bool ok = mb::mapBosses(std::string_view(reinterpret_cast<const char*>(data), size), bosses, error);
    if (ok != !bosses.empty()) std::abort();
    if (!ok && error.empty()) std::abort();
    for (const mb::Boss& boss : bosses) {
        if (boss.id.empty() || boss.name.empty()) std::abort();
    }
    return 0;
}
