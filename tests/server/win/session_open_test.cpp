// How both transports open their WinHTTP session, seen through the session opener. The proxy
// that the automatic type finds cannot be seen under Wine (it has no Internet settings to
// follow): what is checked is the call made, and that requests still go through with it.
#include <windows.h>
#include <winhttp.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "server/api_mapping.h"
#include "server/probe_parse.h"
#include "server/win/http_get.h"
#include "support/win/sim_control.h"

namespace mb {
namespace {

std::vector<std::wstring> gCalls;  // user agent and arguments of each session, as text
bool gRefuseAutomatic = false;     // as a system before Windows 8.1 does

void* recordingOpener(const wchar_t* agent, uint32_t access, const wchar_t* proxy, const wchar_t* bypass,
                      uint32_t flags) {
    gCalls.push_back(std::wstring(agent) + L" " + std::to_wstring(access) + (proxy ? L" proxy" : L"") +
                     (bypass ? L" bypass" : L"") + L" " + std::to_wstring(flags));
    if (gRefuseAutomatic && access == WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return ::WinHttpOpen(agent, access, proxy, bypass, flags);
}

using SessionOpenTest = test::SimulatorTest;

TEST_F(SessionOpenTest, BothTransportsFollowTheUsersProxySettingsAndStillReachTheServer) {
    gCalls.clear();
    setSessionOpener(&recordingOpener);
    for (const std::string& base : {urls.http, urls.https}) {
        std::string body;
        EXPECT_GT(HttpGet(base + kAllStatusPath, body), 0u) << base;
        EXPECT_TRUE(ProbeHttpGet(base + kStatusPath).ok) << base;
    }
    setSessionOpener(nullptr);
    static_assert(WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY == 4);
    EXPECT_EQ(gCalls,
              (std::vector<std::wstring>{L"Vantor/1.0 4 0", L"Vantor/1.1 4 0", L"Vantor/1.0 4 0", L"Vantor/1.1 4 0"}));
    // The real opener is back: nothing more is recorded, and requests go through as before.
    std::string body;
    EXPECT_GT(HttpGet(urls.http + kAllStatusPath, body), 0u);
    EXPECT_EQ(gCalls.size(), 4u);
}

TEST_F(SessionOpenTest, WhereTheAutomaticTypeIsRefusedBothTransportsOpenWithTheDefaultProxy) {
    gCalls.clear();
    gRefuseAutomatic = true;
    setSessionOpener(&recordingOpener);
    std::string body;
    EXPECT_GT(HttpGet(urls.https + kAllStatusPath, body), 0u);
    EXPECT_TRUE(ProbeHttpGet(urls.https + kStatusPath).ok);
    setSessionOpener(nullptr);
    gRefuseAutomatic = false;
    static_assert(WINHTTP_ACCESS_TYPE_DEFAULT_PROXY == 0);
    EXPECT_EQ(gCalls,
              (std::vector<std::wstring>{L"Vantor/1.0 4 0", L"Vantor/1.0 0 0", L"Vantor/1.1 4 0", L"Vantor/1.1 0 0"}));
}

}  // namespace
}  // namespace mb
