#include "server/transport_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <new>
#include <stdexcept>

#include "server/body_reader.h"
#include "server/gzip_test_data.h"

namespace mb {
namespace {

TEST(TransportRules, GzipIsFoundAnywhereInTheContentEncodingWithoutCase) {
    for (const wchar_t* value : {L"gzip", L"GZIP", L"x-gzip", L"gzip, br", L"br, Gzip"}) {
        EXPECT_TRUE(contentEncodingIsGzip(value)) << static_cast<int>(value[0]);
    }
    for (const wchar_t* value : {L"", L"deflate", L"br", L"identity", L"gz ip"}) {
        EXPECT_FALSE(contentEncodingIsGzip(value));
    }
}

TEST(TransportRules, ProbeUrlLengthLimitIs2048Bytes) {
    EXPECT_FALSE(probeUrlTooLong(std::string(2048, 'a')));
    EXPECT_TRUE(probeUrlTooLong(std::string(2049, 'a')));
}

TEST(TransportRules, ProbeWideningIsOneUnitPerByte) {
    EXPECT_EQ(widenBytes("http://h/a?b=1"), L"http://h/a?b=1");
    const std::wstring wide = widenBytes("\xC3\xA9");  // UTF-8 é stays two units
    ASSERT_EQ(wide.size(), 2u);
    EXPECT_EQ(wide[0], L'\xC3');
    EXPECT_EQ(wide[1], L'\xA9');
}

TEST(TransportRules, ProbeStatusTextCarriesTheStatus) {
    EXPECT_EQ(probeStatusErrorText(503), "HTTP error: status code 503");
    EXPECT_EQ(probeStatusErrorText(404), "HTTP error: status code 404");
}

TEST(TransportRules, FinishingADataBody) {
    std::string plain = "{}";
    EXPECT_EQ(finishDataBody(plain, 2, false), 2u);
    EXPECT_EQ(plain, "{}");

    std::string gz = testdata::MakeGzip("{\"a\":1}");
    const uint64_t wire = gz.size();
    EXPECT_EQ(finishDataBody(gz, wire, true), wire);  // the count stays the compressed size
    EXPECT_EQ(gz, "{\"a\":1}");

    std::string notGzip = "{\"a\":1}";
    EXPECT_EQ(finishDataBody(notGzip, 7, true), 0u);
    EXPECT_TRUE(notGzip.empty());

    std::string empty;
    EXPECT_EQ(finishDataBody(empty, 0, false), 0u);
}

// A scripted body: each round offers one chunk; failures and throws can be put in the script.
class ScriptedSource final : public BodySource {
public:
    enum class Step { Chunk, FailQuery, FailRead, ReadNothing, ThrowBadAlloc, ThrowOther };
    struct Round {
        Step step = Step::Chunk;
        uint32_t bytes = 0;
    };
    explicit ScriptedSource(std::deque<Round> rounds) : rounds_(std::move(rounds)) {}

    bool queryAvailable(uint32_t& count) override {
        if (rounds_.empty()) {
            count = 0;
            return true;
        }
        if (rounds_.front().step == Step::FailQuery) return false;
        count = rounds_.front().bytes;
        return true;
    }
    bool read(void* buffer, uint32_t count, uint32_t& got) override {
        ++reads;
        largestRead = std::max(largestRead, count);
        Round& round = rounds_.front();
        switch (round.step) {
        case Step::FailRead:
            return false;
        case Step::ReadNothing:
            got = 0;
            return true;
        case Step::ThrowBadAlloc:
            throw std::bad_alloc();
        case Step::ThrowOther:
            throw std::runtime_error("disk on fire");
        default:
            break;
        }
        got = std::min(count, round.bytes);
        std::memset(buffer, 'x', got);
        round.bytes -= got;
        if (round.bytes == 0) rounds_.pop_front();
        return true;
    }
    int reads = 0;
    uint32_t largestRead = 0;

private:
    std::deque<Round> rounds_;
};
using Step = ScriptedSource::Step;

TEST(DataBodyReader, ReadsExactlyTenMebibytesAndStopsSilentlyBeforeMore) {
    ScriptedSource exact({{Step::Chunk, 10485760 - 5}, {Step::Chunk, 5}});
    std::string body;
    EXPECT_EQ(readDataBody(exact, body), 10485760u);
    EXPECT_EQ(body.size(), 10485760u);

    ScriptedSource over({{Step::Chunk, 10485760 - 5}, {Step::Chunk, 6}});
    body.clear();
    EXPECT_EQ(readDataBody(over, body), 10485760u - 5);
    EXPECT_EQ(over.reads, 1);  // the read that would pass the limit is not made
    EXPECT_EQ(body.size(), 10485760u - 5);
}

TEST(DataBodyReader, FailuresEndTheLoopKeepingWhatWasRead) {
    ScriptedSource failedRead({{Step::Chunk, 100}, {Step::FailRead, 50}, {Step::Chunk, 10}});
    std::string body;
    EXPECT_EQ(readDataBody(failedRead, body), 100u);
    EXPECT_EQ(body, std::string(100, 'x'));

    ScriptedSource failedQuery({{Step::Chunk, 7}, {Step::FailQuery, 0}});
    body.clear();
    EXPECT_EQ(readDataBody(failedQuery, body), 7u);

    ScriptedSource nothing({});
    body.clear();
    EXPECT_EQ(readDataBody(nothing, body), 0u);
}

TEST(ProbeBodyReader, AcceptsOneMebibyteAndFailsOneByteMore) {
    ScriptedSource exact({{Step::Chunk, 1048576}});
    std::string body, error;
    EXPECT_TRUE(readProbeBody(exact, body, error));
    EXPECT_EQ(body.size(), 1048576u);
    EXPECT_LE(exact.largestRead, 8192u);  // one fixed 8 KiB buffer

    ScriptedSource over({{Step::Chunk, 1048576 - 1}, {Step::Chunk, 2}});
    body.clear();
    EXPECT_FALSE(readProbeBody(over, body, error));
    EXPECT_EQ(error, "Response too large (> 1MB)");
}

TEST(ProbeBodyReader, StopsOnAFailedOrEmptyReadAndNamesThrows) {
    ScriptedSource empty({{Step::Chunk, 10}, {Step::ReadNothing, 5}, {Step::Chunk, 10}});
    std::string body, error;
    EXPECT_TRUE(readProbeBody(empty, body, error));
    EXPECT_EQ(body.size(), 10u);

    ScriptedSource noMemory({{Step::ThrowBadAlloc, 10}});
    body.clear();
    EXPECT_FALSE(readProbeBody(noMemory, body, error));
    EXPECT_EQ(error, "Out of memory while reading response");

    ScriptedSource other({{Step::ThrowOther, 10}});
    EXPECT_FALSE(readProbeBody(other, body, error));
    EXPECT_EQ(error, "Error appending data: disk on fire");
}

}  // namespace
}  // namespace mb
