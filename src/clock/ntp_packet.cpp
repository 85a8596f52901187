#include "clock/ntp_packet.h"

namespace mb {

NtpPacket buildNtpRequest() {
    NtpPacket packet{};
    packet[0] = 0x1B;
    return packet;
}

std::optional<int64_t> parseNtpReply(const uint8_t* data, std::size_t length) {
    if (data == nullptr || length != kNtpPacketSize) return std::nullopt;
    const uint32_t seconds = (uint32_t{data[40]} << 24) | (uint32_t{data[41]} << 16) | (uint32_t{data[42]} << 8) |
                             uint32_t{data[43]};
    if (seconds < kNtpToUnixOffset) return std::nullopt;
    // Unsigned 32-bit difference widened without sign, as the clock has always stored it.
    const uint32_t unixSeconds = seconds - kNtpToUnixOffset;
    return static_cast<int64_t>(unixSeconds);
}

}  // namespace mb
