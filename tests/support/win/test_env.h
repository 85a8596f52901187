// Settings that the test runner passes to the Windows tests through the environment.
// A missing one is a test failure with a message that says how to provide it, never a skip.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace mb::test {

// The tracker simulator that scripts/test starts once for all Windows tests.
struct SimulatorUrls {
    std::string http;   // MB_SIM_HTTP_URL, e.g. http://127.0.0.1:PORT
    std::string https;  // MB_SIM_HTTPS_URL, e.g. https://localhost:PORT
};

// Reads one variable; fails when it is unset or empty.
::testing::AssertionResult ReadEnvironment(const char* name, std::string& value);

// Reads both simulator URLs; fails naming the first one that is missing.
::testing::AssertionResult ReadSimulatorUrls(SimulatorUrls& urls);

// The deterministic simulator's clock (MB_SIM_NOW, Unix seconds); fails when unset or not a number.
::testing::AssertionResult ReadSimulatorNow(int64_t& now);

}  // namespace mb::test
