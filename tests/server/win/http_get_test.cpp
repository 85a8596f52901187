// HttpGet against the tracker simulator: what goes on the wire, and what comes back for
// every encoding, framing and failure the simulator can produce.
#include "server/win/http_get.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "server/api_mapping.h"
#include "server/gzip_test_data.h"
#include "support/win/sim_control.h"

namespace mb {
namespace {

using nlohmann::json;
using test::SimFault;
using test::SimRequest;

class HttpGetTest : public test::SimulatorTest {
protected:
    // The all-status answer as the simulator sends it without any fault (plain JSON).
    std::string normalAllStatus() {
        std::string body;
        EXPECT_GT(HttpGet(urls.http + kAllStatusPath, body), 0u);
        return body;
    }
    uint64_t getAllStatus(std::string& body) { return HttpGet(urls.http + kAllStatusPath, body); }
    void expectFailure(const char* why) {
        std::string body = "stale";
        EXPECT_EQ(getAllStatus(body), 0u) << why;
        EXPECT_TRUE(body.empty()) << why;
    }
    std::vector<SimRequest> log() {
        std::vector<SimRequest> requests;
        EXPECT_TRUE(sim->readLog(requests));
        return requests;
    }
    void arm(const json& fault) { ASSERT_TRUE(sim->setFault(fault)); }
};

TEST_F(HttpGetTest, SendsOneGzipGetWithTheQueryOverHttpAndHttps) {
    for (const std::string& base : {urls.http, urls.https}) {
        for (const std::string& path : {std::string(kAllStatusPath), channelStatusPath("abc123")}) {
            ASSERT_TRUE(sim->clearLog());
            std::string body;
            const uint64_t received = HttpGet(base + path, body);
            ASSERT_GT(received, 0u) << base << path;
            EXPECT_TRUE(json::parse(body, nullptr, false).is_object()) << body.substr(0, 200);
            if (path == kAllStatusPath) {
                EXPECT_LT(received * 2, body.size()) << "the count is the compressed size";
            }
            const auto requests = log();
            ASSERT_EQ(requests.size(), 1u) << base << path;
            EXPECT_EQ(requests[0].method, "GET");
            EXPECT_EQ(requests[0].path, path);
            EXPECT_EQ(requests[0].userAgent, "Vantor/1.0");
            EXPECT_EQ(requests[0].acceptEncoding, "gzip");
        }
    }
}

TEST_F(HttpGetTest, GzipContentEncodingsAreDecodedAndDeflateIsPassedOn) {
    const std::string plain = normalAllStatus();
    for (const char* value : {"GZIP", "x-gzip", "gzip, br"}) {
        arm(SimFault(kAllStatusPath, "content_encoding", {{"value", value}, {"body_kind", "gzip"}}, 1));
        std::string body;
        EXPECT_GT(getAllStatus(body), 0u) << value;
        EXPECT_EQ(body, plain) << value;
    }
    arm(SimFault(kAllStatusPath, "content_encoding", {{"value", "deflate"}, {"body_kind", "deflate"}}, 1));
    std::string body;
    const uint64_t received = getAllStatus(body);
    EXPECT_EQ(received, body.size());
    ASSERT_FALSE(body.empty());
    EXPECT_EQ(static_cast<unsigned char>(body[0]), 0x78u) << "the zlib stream arrives undecoded";

    // A value of 64 units or more does not fit the 128-byte query buffer: no gzip flag.
    const std::string longValue = "identity, identity, identity, identity, identity, identity, gzip";
    ASSERT_GE(longValue.size(), 64u);
    arm(SimFault(kAllStatusPath, "content_encoding", {{"value", longValue}, {"body_kind", "gzip"}}, 1));
    const uint64_t undecoded = getAllStatus(body);
    EXPECT_EQ(undecoded, body.size());
    ASSERT_GE(body.size(), 2u);
    EXPECT_EQ(static_cast<unsigned char>(body[0]), 0x1Fu);
    EXPECT_EQ(static_cast<unsigned char>(body[1]), 0x8Bu);
}

TEST_F(HttpGetTest, GzipHeaderFieldsAndLyingTrailers) {
    const std::string plain = normalAllStatus();
    const auto flagged = [&](json params, const char* what) {
        arm(SimFault(kAllStatusPath, "gzip_flags", std::move(params), 1));
        std::string body;
        const uint64_t received = getAllStatus(body);
        EXPECT_GT(received, 0u) << what;
        EXPECT_EQ(body, plain) << what;
    };
    flagged({{"flags", {"FEXTRA", "FNAME", "FCOMMENT", "FHCRC"}}}, "all header fields");
    flagged({{"bad_crc", true}}, "wrong CRC-32");
    flagged({{"isize_delta", -100}}, "ISIZE too small");
    flagged({{"isize_delta", 100000}}, "ISIZE too large");

    arm(SimFault(kAllStatusPath, "gzip_flags", {{"fname_unterminated", true}}, 1));
    expectFailure("FNAME without its zero byte");
    arm(SimFault(kAllStatusPath, "gzip_header_plain", json::object(), 1));
    expectFailure("plain JSON behind a gzip header");
    arm(SimFault(kAllStatusPath, "gzip_truncated", json::object(), 1));
    expectFailure("cut inside the deflate data");
}

TEST_F(HttpGetTest, GzipBodiesOfSeventeenAndEighteenBytesFail) {
    const std::string header("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\xff", 10);
    for (std::size_t size : {17u, 18u}) {
        const std::string frame = header + std::string(size - header.size(), '\0');
        ASSERT_EQ(frame.size(), size);
        arm(SimFault(kAllStatusPath, "raw",
                     {{"code", 200}, {"headers", {{"Content-Encoding", "gzip"}}}, {"body_b64", test::SimBase64(frame)}},
                     1));
        expectFailure(size == 17 ? "17 bytes" : "18 bytes");
    }
}

TEST_F(HttpGetTest, StatusOtherThan200Fails) {
    for (int code : {204, 404, 503}) {
        arm(SimFault(kAllStatusPath, "status", {{"code", code}, {"body", "{\"items\":[]}"}}, 1));
        expectFailure(std::to_string(code).c_str());
    }
}

TEST_F(HttpGetTest, TenMebibytesAreReadWholeAndMoreIsCutSilently) {
    arm(SimFault(kAllStatusPath, "size", {{"bytes", 10485760}, {"fill", "json"}}, 1));
    std::string body;
    EXPECT_EQ(getAllStatus(body), 10485760u);
    EXPECT_EQ(body.size(), 10485760u);
    EXPECT_TRUE(json::parse(body, nullptr, false).is_object());

    arm(SimFault(kAllStatusPath, "size", {{"bytes", 10485761}, {"fill", "json"}}, 1));
    const uint64_t received = getAllStatus(body);
    EXPECT_GT(received, 0u);
    EXPECT_LE(received, 10485760u);
    EXPECT_EQ(body.size(), received);
    EXPECT_TRUE(json::parse(body, nullptr, false).is_discarded()) << "a cut body does not parse";
}

TEST_F(HttpGetTest, ChunkedResponsesAreReadWhole) {
    const std::string plain = normalAllStatus();
    for (int chunk : {1, 1000, 70000}) {
        arm(SimFault(kAllStatusPath, "chunked", {{"chunk", chunk}}, 1));
        std::string body;
        EXPECT_GT(getAllStatus(body), 0u) << chunk;
        EXPECT_EQ(body, plain) << chunk;
    }
}

TEST_F(HttpGetTest, NetworkFailuresGiveZero) {
    arm(SimFault(kAllStatusPath, "reset", json::object(), 1));
    expectFailure("reset connection");
    std::string body = "stale";
    EXPECT_EQ(HttpGet(kAllStatusPath, body), 0u) << "no host: the split fails";
    EXPECT_TRUE(body.empty());
    EXPECT_EQ(HttpGet("", body), 0u);
}

// Why each failure came travels beside it: a name that does not resolve, a port nobody listens on,
// a certificate for another name ("127.1" is 127.0.0.1, the certificate's name is not), a status.
TEST_F(HttpGetTest, TheCauseOfAFailureTravelsBesideIt) {
    const std::string httpsPort = urls.https.substr(urls.https.rfind(':'));
    const struct {
        std::string url;
        const char* cause;
    } cases[] = {
        {"http://tracker.invalid/api/all_status", "the server name could not be resolved (12007)"},
        {"http://127.0.0.1:1/api/all_status", "cannot connect (12029)"},
        {"https://127.1" + httpsPort + kAllStatusPath, "the secure connection failed (12157)"},
        {urls.http + kAllStatusPath, "HTTP 404"},
    };
    arm(SimFault(kAllStatusPath, "status", {{"code", 404}, {"body", "{}"}}, 2));  // for both transports
    std::string body;
    for (const auto& c : cases) {
        EXPECT_EQ(HttpGet(c.url, body), 0u) << c.url;
        EXPECT_EQ(transportFailureText(lastTransportFailure()), c.cause) << c.url;
        EXPECT_FALSE(ProbeHttpGet(c.url).ok) << c.url;
        EXPECT_EQ(transportFailureText(lastTransportFailure()), c.cause) << c.url;
    }
    EXPECT_GT(HttpGet(urls.http + kAllStatusPath, body), 0u);
    EXPECT_EQ(lastTransportFailure(), TransportFailure{});
}

TEST_F(HttpGetTest, GivesUpOnAServerThatNeverAnswers) {
    arm(SimFault(kAllStatusPath, "hang", json::object(), 1));
    const ULONGLONG start = ::GetTickCount64();
    expectFailure("no answer");
    // Windows says 12002; Wine passes the socket's 10060 on.
    EXPECT_EQ(transportFailureText(lastTransportFailure()).rfind("timed out (", 0), 0u);
    const ULONGLONG elapsed = ::GetTickCount64() - start;
    EXPECT_GE(elapsed, 9000u);  // the 10 s timeouts, not forever
    EXPECT_LT(elapsed, 20000u);
}

}  // namespace
}  // namespace mb
