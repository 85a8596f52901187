// Any datagram as an NTP reply: only exactly 48 bytes with transmit seconds from 1970 on
// in NTP era 0 give a time, and that time is the seconds less the epoch offset.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "clock/ntp_packet.h"

namespace {

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::optional<int64_t> seconds = mb::parseNtpReply(data, size);
    if (size != mb::kNtpPacketSize) {
        require(!seconds, "a reply of another length is refused");
        return 0;
    }
    const uint32_t transmit = (uint32_t{data[40]} << 24) | (uint32_t{data[41]} << 16) | (uint32_t{data[42]} << 8) |
                              data[43];
    require(seconds.has_value() == (transmit >= mb::kNtpToUnixOffset), "refused exactly before 1970");
    if (seconds) {
        require(*seconds == int64_t{transmit} - int64_t{mb::kNtpToUnixOffset}, "seconds less the epoch offset");
        require(*seconds >= 0 && *seconds <= 0xFFFFFFFFll - mb::kNtpToUnixOffset, "within NTP era 0");
    }
    return 0;
}
