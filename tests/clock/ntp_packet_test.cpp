#include "clock/ntp_packet.h"

#include <gtest/gtest.h>

namespace mb {
namespace {

NtpPacket replyWithSeconds(uint32_t seconds) {
    NtpPacket reply{};
    reply[0] = 0x1C;  // server mode; not looked at
    reply[40] = static_cast<uint8_t>(seconds >> 24);
    reply[41] = static_cast<uint8_t>(seconds >> 16);
    reply[42] = static_cast<uint8_t>(seconds >> 8);
    reply[43] = static_cast<uint8_t>(seconds);
    return reply;
}

TEST(NtpPacket, RequestIsClientModeVersionThreeAndZeroes) {
    const NtpPacket request = buildNtpRequest();
    ASSERT_EQ(request.size(), 48u);
    EXPECT_EQ(request[0], 0x1B);
    for (std::size_t i = 1; i < request.size(); ++i) EXPECT_EQ(request[i], 0) << i;
}

TEST(NtpPacket, ReadsTransmitSecondsBigEndian) {
    EXPECT_EQ(parseNtpReply(replyWithSeconds(2208988800u + 1740830400u).data(), 48), 1740830400);
    EXPECT_EQ(parseNtpReply(replyWithSeconds(0xFFFFFFFFu).data(), 48), int64_t{0xFFFFFFFFu} - 2208988800);
    // Every other byte, the fraction of the transmit stamp included, is ignored.
    NtpPacket noisy = replyWithSeconds(2208988800u + 86400u);
    for (std::size_t i = 0; i < noisy.size(); ++i) {
        if (i < 40 || i > 43) noisy[i] = 0xA5;
    }
    EXPECT_EQ(parseNtpReply(noisy.data(), 48), 86400);
}

TEST(NtpPacket, RefusesTimesBeforeNineteenSeventyAndWrongLengths) {
    EXPECT_FALSE(parseNtpReply(replyWithSeconds(0).data(), 48));  // kiss-o'-death
    EXPECT_FALSE(parseNtpReply(replyWithSeconds(2208988799u).data(), 48));
    // Era 1 (from February 2036) gives small values, which are refused the same way.
    EXPECT_FALSE(parseNtpReply(replyWithSeconds(100).data(), 48));
    EXPECT_EQ(parseNtpReply(replyWithSeconds(2208988800u).data(), 48), 0);
    const NtpPacket good = replyWithSeconds(2208988800u + 5u);
    EXPECT_FALSE(parseNtpReply(good.data(), 47));
    EXPECT_FALSE(parseNtpReply(good.data(), 0));
    EXPECT_FALSE(parseNtpReply(nullptr, 48));
    uint8_t longer[49] = {};
    EXPECT_FALSE(parseNtpReply(longer, 49));
}

}  // namespace
}  // namespace mb
