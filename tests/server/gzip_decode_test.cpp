#include "server/gzip_decode.h"

#include <gtest/gtest.h>

#include "server/gzip_test_data.h"

namespace mb {
namespace {

using testdata::GzipOptions;
using testdata::MakeGzip;

const std::string kJson = R"({"items":[{"id":"abc","name":"Gorath"}]})";

std::string inflated(const std::string& body, bool expectOk = true) {
    std::string out = "left over";
    EXPECT_EQ(inflateGzipBody(body, out), expectOk);
    if (!expectOk) {
        EXPECT_TRUE(out.empty());
    }
    return out;
}

TEST(GzipDecode, PlainMemberInflates) { EXPECT_EQ(inflated(MakeGzip(kJson)), kJson); }

TEST(GzipDecode, EveryOptionalHeaderFieldIsSkipped) {
    GzipOptions all;
    all.extra = all.name = all.comment = all.headerCrc = true;
    EXPECT_EQ(inflated(MakeGzip(kJson, all)), kJson);
    for (int field = 0; field < 4; ++field) {
        GzipOptions one;
        one.extra = field == 0;
        one.name = field == 1;
        one.comment = field == 2;
        one.headerCrc = field == 3;
        EXPECT_EQ(inflated(MakeGzip(kJson, one)), kJson) << "field " << field;
    }
}

TEST(GzipDecode, FrameOffsetsFollowTheHeaderFields) {
    GzipOptions all;
    all.extra = all.name = all.comment = all.headerCrc = true;
    const std::string body = MakeGzip(kJson, all);
    const auto frame = parseGzipFrame(body);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->dataBegin, testdata::GzipHeader(all).size());
    EXPECT_EQ(frame->dataEnd, body.size() - 8);
    EXPECT_EQ(frame->isize, kJson.size());
}

TEST(GzipDecode, BrokenFramingFails) {
    GzipOptions unterminated;
    unterminated.nameUnterminated = true;
    inflated(MakeGzip(kJson, unterminated), false);

    std::string body = MakeGzip(kJson);
    for (std::size_t at : {0u, 1u, 2u}) {
        std::string bad = body;
        bad[at] = static_cast<char>(bad[at] ^ 0x40);
        inflated(bad, false);
    }
    for (unsigned char reserved : {0x20, 0x40, 0x80}) {
        std::string bad = body;
        bad[3] = static_cast<char>(reserved);
        inflated(bad, false);
    }
    // FEXTRA whose length runs past the end.
    std::string extra = body;
    extra[3] = 0x04;
    extra[10] = static_cast<char>(0xFF);
    extra[11] = static_cast<char>(0xFF);
    inflated(extra, false);
    inflated(kJson, false);  // plain JSON behind a gzip header
    inflated("", false);
}

TEST(GzipDecode, HeaderCrcPastTheEndFails) {
    // 10-byte header with FHCRC, then exactly 8 bytes: the CRC field would eat the trailer.
    std::string body("\x1f\x8b\x08\x02\x00\x00\x00\x00\x00\xff", 10);
    body.append(8, '\0');
    EXPECT_FALSE(parseGzipFrame(body));
}

TEST(GzipDecode, ShortBodiesFail) {
    const std::string header("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\xff", 10);
    inflated(header + std::string(7, '\0'), false);  // 17 bytes
    inflated(header + std::string(8, '\0'), false);  // 18 bytes: no deflate byte left
    // 20 bytes: the empty deflate stream (03 00) inflates to nothing, which is a success.
    std::string empty = header + std::string("\x03\x00", 2) + std::string(8, '\0');
    EXPECT_EQ(inflated(empty), "");
}

TEST(GzipDecode, WrongTrailerStillInflatesSoundData) {
    GzipOptions badCrc;
    badCrc.badCrc = true;
    EXPECT_EQ(inflated(MakeGzip(kJson, badCrc)), kJson);
    const auto size = static_cast<int64_t>(kJson.size());
    for (int64_t delta : {int64_t{-1}, -size + 1, int64_t{1}, int64_t{1000}, -size}) {
        GzipOptions wrongSize;
        wrongSize.isizeDelta = delta;  // too small, tiny, too large, far too large, zero
        EXPECT_EQ(inflated(MakeGzip(kJson, wrongSize)), kJson) << "delta " << delta;
    }
    GzipOptions huge;  // claims 64 MiB or more: straight to the chunked path
    huge.isizeDelta = static_cast<int64_t>(kMaxInflatedBytes);
    EXPECT_EQ(inflated(MakeGzip(kJson, huge)), kJson);
}

TEST(GzipDecode, DamagedDeflateDataFails) {
    const std::string body = MakeGzip(testdata::JsonOfSize(100000));
    // Cut inside the deflate data, trailer re-attached: the stream never ends.
    std::string cut = body.substr(0, body.size() / 2) + body.substr(body.size() - 8);
    inflated(cut, false);
    std::string garbage = body;
    for (std::size_t i = 10; i < 40; ++i) garbage[i] = static_cast<char>(0xFF);
    inflated(garbage, false);
}

TEST(GzipDecode, OnlyTheFirstMemberIsUsed) {
    const std::string second = MakeGzip("second");
    // The trailer that counts is the last 8 bytes; the deflate end stops the decoding.
    EXPECT_EQ(inflated(MakeGzip(kJson) + second), kJson);
}

TEST(GzipDecode, LargeBodiesTakeBothPaths) {
    const std::string big = testdata::JsonOfSize(3 * 1024 * 1024);
    EXPECT_EQ(inflated(MakeGzip(big)), big);
    GzipOptions zeroSize;
    zeroSize.isizeDelta = -static_cast<int64_t>(big.size());
    EXPECT_EQ(inflated(MakeGzip(big, zeroSize)), big);
}

// A tiny body that inflates past 64 MiB must not be inflated without bound.
TEST(GzipDecode, InflationIsCappedAtSixtyFourMebibytes) {
    const std::string atCap(kMaxInflatedBytes, ' ');
    GzipOptions chunked;  // a lying ISIZE of 0 forces the chunked path
    chunked.isizeDelta = -static_cast<int64_t>(atCap.size());
    std::string out;
    EXPECT_TRUE(inflateGzipBody(MakeGzip(atCap, chunked), out));
    EXPECT_EQ(out.size(), kMaxInflatedBytes);

    const std::string pastCap(kMaxInflatedBytes + 1, ' ');
    const std::string bomb = MakeGzip(pastCap);
    EXPECT_LT(bomb.size(), 200u * 1024u);
    EXPECT_FALSE(inflateGzipBody(bomb, out));
    EXPECT_TRUE(out.empty());
    chunked.isizeDelta = -static_cast<int64_t>(pastCap.size()) + 100;  // small ISIZE: one-shot fails first
    EXPECT_FALSE(inflateGzipBody(MakeGzip(pastCap, chunked), out));
    EXPECT_TRUE(out.empty());
}

}  // namespace
}  // namespace mb
