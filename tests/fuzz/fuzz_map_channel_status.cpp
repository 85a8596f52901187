// The channel-status mapping on arbitrary bodies: no crash, and the result is one report per
// positive channel, ascending, with health within 0 to 100.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "server/api_mapping.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<mb::ChannelStatus> channels;
    std::string error;
    const bool ok = mb::mapChannelStatus(std::string_view(reinterpret_cast<const char*>(data), size), channels, error);
    if (!ok && (error.empty() || !channels.empty())) std::abort();
    int32_t previous = 0;
    for (const mb::ChannelStatus& report : channels) {
        if (report.channel_number <= previous) std::abort();
        if (report.last_hp < 0 || report.last_hp > 100) std::abort();
        previous = report.channel_number;
    }
    return 0;
}
