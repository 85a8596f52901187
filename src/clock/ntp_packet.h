// The 48-byte NTP client request and the one field of the reply the clock uses.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace mb {

constexpr std::size_t kNtpPacketSize = 48;
// Seconds from 1900-01-01 (the NTP epoch) to 1970-01-01 (the Unix epoch).
constexpr uint32_t kNtpToUnixOffset = 2208988800u;

using NtpPacket = std::array<uint8_t, kNtpPacketSize>;

// Leap indicator 0, version 3, mode 3 (client); everything else zero.
NtpPacket buildNtpRequest();

// Unix seconds from the transmit timestamp of a reply (bytes 40 to 43, big-endian), or nothing
// when the reply is not exactly 48 bytes or its seconds fall before 1970 in NTP era 0
// (a zero timestamp included).
std::optional<int64_t> parseNtpReply(const uint8_t* data, std::size_t length);

}  // namespace mb
