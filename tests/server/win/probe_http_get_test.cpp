// ProbeHttpGet against the tracker simulator: its request, limits and failure texts.
#include "server/win/http_get.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "server/probe_parse.h"
#include "support/win/sim_control.h"

namespace mb {
namespace {

using nlohmann::json;
using test::SimFault;

class ProbeHttpGetTest : public test::SimulatorTest {
protected:
    ProbeResponse probe() { return ProbeHttpGet(urls.http + kStatusPath); }
    std::string probeError() {
        const ProbeResponse response = probe();
        EXPECT_FALSE(response.ok);
        EXPECT_TRUE(response.body.empty());
        return response.error;
    }
    void arm(const json& fault) { ASSERT_TRUE(sim->setFault(fault)); }
};

TEST_F(ProbeHttpGetTest, SendsAPlainGetWithItsOwnUserAgentOverHttpAndHttps) {
    for (const std::string& base : {urls.http, urls.https}) {
        ASSERT_TRUE(sim->clearLog());
        const ProbeResponse response = ProbeHttpGet(base + kStatusPath);
        ASSERT_TRUE(response.ok) << base << ": " << response.error;
        EXPECT_TRUE(json::parse(response.body, nullptr, false).contains("statistics")) << response.body;
        std::vector<test::SimRequest> requests;
        ASSERT_TRUE(sim->readLog(requests));
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].method, "GET");
        EXPECT_EQ(requests[0].path, kStatusPath);
        EXPECT_EQ(requests[0].userAgent, "Vantor/1.1");
        EXPECT_EQ(requests[0].acceptEncoding, "") << "the probe never asks for compression";
    }
}

TEST_F(ProbeHttpGetTest, StatusErrorsNameTheStatus) {
    for (int code : {404, 503}) {
        arm(SimFault(kStatusPath, "status", {{"code", code}}, 1));
        EXPECT_EQ(probeError(), "HTTP error: status code " + std::to_string(code));
    }
}

TEST_F(ProbeHttpGetTest, BodiesUpToOneMebibyte) {
    arm(SimFault(kStatusPath, "size", {{"bytes", 1048576}, {"fill", "json"}}, 1));
    const ProbeResponse exact = probe();
    ASSERT_TRUE(exact.ok) << exact.error;
    EXPECT_EQ(exact.body.size(), 1048576u);
    arm(SimFault(kStatusPath, "size", {{"bytes", 1048577}, {"fill", "json"}}, 1));
    EXPECT_EQ(probeError(), "Response too large (> 1MB)");
    arm(SimFault(kStatusPath, "raw", {{"code", 200}, {"body_b64", ""}}, 1));
    EXPECT_EQ(probeError(), "Empty response from server");
}

TEST_F(ProbeHttpGetTest, UrlsUpTo2048Bytes) {
    const std::string base = urls.http + kStatusPath + "?pad=";
    const std::string atLimit = base + std::string(2048 - base.size(), 'p');
    ASSERT_EQ(atLimit.size(), 2048u);
    const ProbeResponse response = ProbeHttpGet(atLimit);
    EXPECT_TRUE(response.ok) << response.error;
    EXPECT_EQ(ProbeHttpGet(atLimit + "p").error, "URL too long");
    std::vector<test::SimRequest> requests;
    ASSERT_TRUE(sim->readLog(requests));
    ASSERT_EQ(requests.size(), 1u) << "the long URL never reaches the network";
    EXPECT_EQ(requests[0].path, atLimit.substr(urls.http.size()));
}

TEST_F(ProbeHttpGetTest, UnusableUrlsFailBeforeTheNetwork) {
    EXPECT_EQ(ProbeHttpGet("").error, "Failed to parse URL");
    EXPECT_EQ(ProbeHttpGet("/api/status").error, "Failed to parse URL");
    EXPECT_EQ(ProbeHttpGet("http://127.0.0.1:1").error, "Invalid URL components");
}

TEST_F(ProbeHttpGetTest, ResetAndRefusedConnectionsFail) {
    arm(SimFault(kStatusPath, "reset", json::object(), 1));
    const std::string reset = probeError();
    EXPECT_TRUE(reset == "Failed to receive HTTP response" || reset == "Failed to send HTTP request") << reset;
    // Port 1 on the loopback has no listener: WinHTTP connects while sending.
    EXPECT_EQ(ProbeHttpGet("http://127.0.0.1:1/api/status").error, "Failed to send HTTP request");
}

TEST_F(ProbeHttpGetTest, GivesUpOnAServerThatNeverAnswers) {
    arm(SimFault(kStatusPath, "hang", json::object(), 1));
    const ULONGLONG start = ::GetTickCount64();
    EXPECT_EQ(probeError(), "Failed to receive HTTP response");
    const ULONGLONG elapsed = ::GetTickCount64() - start;
    // The 3 s receive timeout ends the wait; far below HttpGet's 10 s.
    EXPECT_GE(elapsed, 2500u);
    EXPECT_LT(elapsed, 8000u);
}

}  // namespace
}  // namespace mb
