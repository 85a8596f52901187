// The all-status mapping on arbitrary bodies: no crash, a text for every failure.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "server/api_mapping.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    mb::AllStatusMap status;
    std::string error;
    const bool ok = mb::mapAllStatus(std::string_view(reinterpret_cast<const char*>(data), size), status, error);
    if (!ok && (error.empty() || !status.empty())) std::abort();
    return 0;
}
