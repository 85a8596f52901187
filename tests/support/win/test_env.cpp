#include "support/win/test_env.h"

#include <cstdlib>

namespace mb::test {

::testing::AssertionResult ReadEnvironment(const char* name, std::string& value) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') {
        return ::testing::AssertionFailure()
               << name << " is not set. The Windows tests talk to the tracker simulator: run them through "
               << "scripts/test, or start one with `source scripts/lib.sh; mb_start_simulator deterministic "
               << "--seed 7 --now 1764590400`, which exports MB_SIM_HTTP_URL and MB_SIM_HTTPS_URL.";
    }
    value = text;
    while (!value.empty() && value.back() == '/') value.pop_back();
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult ReadSimulatorUrls(SimulatorUrls& urls) {
    if (auto http = ReadEnvironment("MB_SIM_HTTP_URL", urls.http); !http) return http;
    return ReadEnvironment("MB_SIM_HTTPS_URL", urls.https);
}

::testing::AssertionResult ReadSimulatorNow(int64_t& now) {
    std::string text;
    if (auto found = ReadEnvironment("MB_SIM_NOW", text); !found) return found;
    char* end = nullptr;
    now = std::strtoll(text.c_str(), &end, 10);
    if (*end != '\0') return ::testing::AssertionFailure() << "MB_SIM_NOW is not a number: " << text;
    return ::testing::AssertionSuccess();
}

}  // namespace mb::test
