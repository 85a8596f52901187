// A client for the tracker simulator's control API (reset, faults, request log), for every
// Windows test that talks to the simulator, and a fixture that prepares it for each test.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "support/win/test_env.h"

namespace mb::test {

// One request as the simulator logged it (control requests are never logged).
struct SimRequest {
    std::string method;
    std::string path;  // the request target as sent, query included
    std::string userAgent;
    std::string acceptEncoding;  // empty when the header was not sent
    double time = 0.0;
};

// A fault description: {"endpoint": ..., "kind": ..., "count": n?, params...}.
nlohmann::json SimFault(const std::string& endpoint, const std::string& kind,
                        nlohmann::json params = nlohmann::json::object(), std::optional<int> count = std::nullopt);

// The bytes as the base64 text of a "raw" fault's body.
std::string SimBase64(const std::string& bytes);

class SimControl {
public:
    // controlUrl: the simulator's plain-HTTP base URL (scheme, host and port).
    explicit SimControl(std::string controlUrl);

    // POST /_sim/reset: clears every fault and the log.
    ::testing::AssertionResult reset();
    // POST /_sim/log/clear.
    ::testing::AssertionResult clearLog();
    // POST /_sim/fault; the simulator refuses a malformed description with its reason.
    ::testing::AssertionResult setFault(const nlohmann::json& fault);
    // POST /_sim/world: {"bosses": n, "max_per_page": m}, either optional; reset() undoes it.
    ::testing::AssertionResult setWorld(const nlohmann::json& world);
    // GET /_sim/log, oldest first.
    ::testing::AssertionResult readLog(std::vector<SimRequest>& requests);

private:
    ::testing::AssertionResult call(const wchar_t* verb, const std::string& path, const std::string& body,
                                    std::string& reply);
    std::string controlUrl_;
};

// Fixture for tests against the shared simulator: reads the URLs from the environment and
// resets the simulator before each test (a fatal failure when either is impossible).
class SimulatorTest : public ::testing::Test {
protected:
    void SetUp() override;

    SimulatorUrls urls;
    std::unique_ptr<SimControl> sim;
};

}  // namespace mb::test
