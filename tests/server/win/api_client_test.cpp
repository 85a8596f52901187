// ApiClient against the tracker simulator: requests, mapping end to end, counters, error
// texts, the status probe and the connection changes it posts.
#include "server/win/api_client.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <set>

#include "server/probe_parse.h"
#include "support/win/sim_control.h"

namespace mb {
namespace {

using nlohmann::json;
using test::SimFault;

class ApiClientTest : public test::SimulatorTest {
protected:
    std::vector<test::SimRequest> log() {
        std::vector<test::SimRequest> requests;
        EXPECT_TRUE(sim->readLog(requests));
        return requests;
    }
    void arm(const json& fault) { ASSERT_TRUE(sim->setFault(fault)); }
    static uint64_t sent(const std::string& url) { return url.size() + 100; }
};

Boss bossWith(const std::string& id) {
    Boss boss;
    boss.id = id;
    boss.name = "Name of " + id;
    return boss;
}

TEST_F(ApiClientTest, FetchesTheBossListAndCountsOnlyTheTotals) {
    ApiClient client(urls.http);
    std::vector<Boss> bosses{bossWith("old")};
    ASSERT_TRUE(client.fetchBosses(bosses)) << client.lastErrorText();
    EXPECT_EQ(bosses.size(), 12u);
    for (const Boss& boss : bosses) {
        EXPECT_FALSE(boss.id.empty());
        EXPECT_FALSE(boss.name.empty());
    }
    const auto requests = log();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].path, "/api/collections/mobs/records?perPage=500");
    const ClientRecord traffic = client.record();
    EXPECT_GT(traffic.totalBytesReceived, 0u);
    EXPECT_EQ(traffic.totalBytesSent, sent(urls.http + "/api/collections/mobs/records?perPage=500"));
    EXPECT_EQ(traffic.lastBytesReceived, 0u) << "the boss list leaves the last-request figures alone";
    EXPECT_EQ(traffic.lastBytesSent, 0u);
    EXPECT_EQ(traffic.state, Disconnected);
    EXPECT_EQ(client.lastErrorText(), "");
}

// The simulator gives at most 30 bosses a page whatever perPage asks, as some servers do, so
// 45 bosses come in two pages although the client asks for 500 a page.
TEST_F(ApiClientTest, ReadsEveryPageOfALongBossList) {
    const std::string page1 = "/api/collections/mobs/records?perPage=500";
    const std::string page2 = page1 + "&page=2";
    std::vector<Boss> twelve;
    ASSERT_TRUE(ApiClient(urls.http).fetchBosses(twelve));
    ASSERT_TRUE(sim->setWorld({{"bosses", 45}, {"max_per_page", 30}}));
    ASSERT_TRUE(sim->clearLog());

    ApiClient client(urls.https);
    std::vector<Boss> bosses;
    ASSERT_TRUE(client.fetchBosses(bosses)) << client.lastErrorText();
    ASSERT_EQ(bosses.size(), 45u);
    std::set<std::string> ids;
    for (size_t i = 0; i < bosses.size(); ++i) {
        if (i < twelve.size()) {
            EXPECT_EQ(bosses[i].id, twelve[i].id) << "page order kept";
        }
        ids.insert(bosses[i].id);
    }
    EXPECT_EQ(ids.size(), 45u);
    auto requests = log();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].path, page1);
    EXPECT_EQ(requests[1].path, page2);
    ClientRecord traffic = client.record();
    EXPECT_EQ(traffic.totalBytesSent, sent(urls.https + page1) + sent(urls.https + page2));
    EXPECT_EQ(traffic.lastBytesReceived, 0u);

    // A failed second page fails the whole list; the first page's bytes stay counted.
    const struct {
        const char* kind;
        const char* error;
        bool secondCounted;  // the second answer arrived, only its content was wrong
    } failures[] = {
        {"reset", "Failed to fetch bosses - network error or empty response (page 2 of 2)", false},
        {"malformed", "Invalid JSON response from server (page 2 of 2)", true},
        {"wrong_shape", "Unexpected response format - missing items array (page 2 of 2)", true},
    };
    for (const auto& failure : failures) {
        ApiClient failing(urls.http);
        arm(SimFault("/api/collections/mobs/records", failure.kind, {{"query", {{"page", "2"}}}}, 1));
        ASSERT_TRUE(sim->clearLog());
        EXPECT_FALSE(failing.fetchBosses(bosses)) << failure.kind;
        EXPECT_TRUE(bosses.empty());
        EXPECT_EQ(failing.lastErrorText(), failure.error);
        EXPECT_EQ(log().size(), 2u);
        traffic = failing.record();
        const uint64_t second = failure.secondCounted ? sent(urls.http + page2) : 0;
        EXPECT_EQ(traffic.totalBytesSent, sent(urls.http + page1) + second);
    }

    // A server without paging members, or with members of another type, is one page.
    for (const char* body :
         {R"({"items":[{"id":"a","name":"A"}]})", R"({"items":[{"id":"a","name":"A"}],"page":1.0,"totalPages":"2"})"}) {
        arm(SimFault("/api/collections/mobs/records", "wrong_shape", {{"body", body}}));
        ASSERT_TRUE(sim->clearLog());
        ASSERT_TRUE(client.fetchBosses(bosses)) << client.lastErrorText();
        EXPECT_EQ(bosses.size(), 1u);
        EXPECT_EQ(log().size(), 1u) << body;
    }
}

TEST_F(ApiClientTest, AllStatusSetsTheLastFiguresAndAFailureClearsThem) {
    ApiClient client(urls.https);
    AllStatusMap status;
    ASSERT_TRUE(client.fetchAllStatus(status)) << client.lastErrorText();
    EXPECT_EQ(status.size(), 12u);
    const std::string url = urls.https + "/api/all_status";
    const ClientRecord first = client.record();
    EXPECT_GT(first.lastBytesReceived, 0u);
    EXPECT_EQ(first.lastBytesReceived, first.totalBytesReceived);
    EXPECT_EQ(first.lastBytesSent, sent(url));

    arm(SimFault("/api/all_status", "status", {{"code", 503}}, 1));
    EXPECT_FALSE(client.fetchAllStatus(status));
    EXPECT_TRUE(status.empty());
    EXPECT_EQ(client.lastErrorText(), "Failed to fetch all status - network error or empty response");
    const ClientRecord failed = client.record();
    EXPECT_EQ(failed.lastBytesReceived, 0u);
    EXPECT_EQ(failed.lastBytesSent, 0u);
    EXPECT_EQ(failed.totalBytesReceived, first.totalBytesReceived);
    EXPECT_EQ(failed.totalBytesSent, first.totalBytesSent);

    ASSERT_TRUE(client.fetchAllStatus(status));
    const ClientRecord again = client.record();
    EXPECT_EQ(again.totalBytesReceived, first.totalBytesReceived * 2);  // a fixed world: the same answer
    EXPECT_EQ(again.totalBytesSent, sent(url) * 2);
    EXPECT_EQ(client.lastErrorText(), "Failed to fetch all status - network error or empty response")
        << "success leaves the last failure text in place";
}

TEST_F(ApiClientTest, ChannelStatusAsksForOneBossAndReducesToOneReportPerChannel) {
    ApiClient client(urls.http);
    std::vector<Boss> bosses;
    ASSERT_TRUE(client.fetchBosses(bosses));
    ASSERT_TRUE(sim->clearLog());
    std::vector<ChannelStatus> channels;
    ASSERT_TRUE(client.fetchChannelStatus(bosses[0], channels)) << client.lastErrorText();
    ASSERT_FALSE(channels.empty());
    std::set<int32_t> seen;
    for (std::size_t i = 0; i < channels.size(); ++i) {
        EXPECT_GT(channels[i].channel_number, 0);
        EXPECT_GE(channels[i].last_hp, 0);
        EXPECT_LE(channels[i].last_hp, 100);
        if (i > 0) {
            EXPECT_LT(channels[i - 1].channel_number, channels[i].channel_number);
        }
        seen.insert(channels[i].channel_number);
    }
    EXPECT_EQ(seen.size(), channels.size());
    const std::string path = "/api/collections/mob_channel_status/records?filter=(mob='" + bosses[0].id +
                             "')&perPage=500&sort=-last_update";
    const auto requests = log();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].path, path);
    EXPECT_EQ(client.record().lastBytesSent, sent(urls.http + path));
}

TEST_F(ApiClientTest, BossIdsAreEscapedInTheFilter) {
    ApiClient client(urls.http);
    std::vector<ChannelStatus> channels;
    const Boss odd = bossWith("a&b #%'z");
    // The server decodes the filter to the same id; it knows no such boss.
    EXPECT_TRUE(client.fetchChannelStatus(odd, channels)) << client.lastErrorText();
    EXPECT_TRUE(channels.empty());
    const auto requests = log();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(
        requests[0].path,
        "/api/collections/mob_channel_status/records?filter=(mob='a%26b%20%23%25%27z')&perPage=500&sort=-last_update");

    const Boss none = bossWith("");
    EXPECT_FALSE(client.fetchChannelStatus(none, channels));
    EXPECT_EQ(client.lastErrorText(), "Invalid boss_id - cannot be empty");
    EXPECT_EQ(log().size(), 1u) << "an empty id sends no request";
}

TEST_F(ApiClientTest, MalformedAnswersGiveTheirTexts) {
    ApiClient client(urls.http);
    std::vector<Boss> bosses;
    AllStatusMap status;
    std::vector<ChannelStatus> channels;
    const Boss boss = bossWith("abc");
    const std::string channelsPath = "/api/collections/mob_channel_status/records";

    arm(SimFault("*", "malformed", json::object(), 3));
    EXPECT_FALSE(client.fetchBosses(bosses));
    EXPECT_EQ(client.lastErrorText(), "Invalid JSON response from server");
    EXPECT_FALSE(client.fetchAllStatus(status));
    EXPECT_EQ(client.lastErrorText(), "Invalid JSON response from server");
    EXPECT_FALSE(client.fetchChannelStatus(boss, channels));
    EXPECT_EQ(client.lastErrorText(), "Invalid JSON in channel status response");

    arm(SimFault("*", "wrong_shape", json::object(), 3));
    EXPECT_FALSE(client.fetchBosses(bosses));
    EXPECT_EQ(client.lastErrorText(), "Unexpected response format - missing items array");
    EXPECT_FALSE(client.fetchAllStatus(status));
    EXPECT_EQ(client.lastErrorText(), "Unexpected response format - missing channel_status object");
    EXPECT_FALSE(client.fetchChannelStatus(boss, channels));
    EXPECT_EQ(client.lastErrorText(), "Missing items array in channel status response");

    arm(SimFault("/api/collections/mobs/records", "wrong_shape", {{"body", "{\"items\":[{\"id\":5}]}"}}, 1));
    EXPECT_FALSE(client.fetchBosses(bosses));
    EXPECT_EQ(client.lastErrorText(), "No valid bosses found in response");

    arm(SimFault("*", "reset", json::object(), 3));
    EXPECT_FALSE(client.fetchBosses(bosses));
    EXPECT_EQ(client.lastErrorText(), "Failed to fetch bosses - network error or empty response");
    EXPECT_FALSE(client.fetchChannelStatus(boss, channels));
    EXPECT_EQ(client.lastErrorText(), "Failed to fetch channel status - network error or empty response");
    EXPECT_EQ(client.record().lastBytesReceived, 0u);
}

TEST_F(ApiClientTest, ProbeReadsTheCacheAgeWithoutTouchingTheCounters) {
    ApiClient client(urls.https);
    const double age = client.probeStatus();
    EXPECT_GE(age, 0.0) << client.lastErrorText();
    EXPECT_LE(age, 86400.0);
    const ClientRecord traffic = client.record();
    EXPECT_EQ(traffic.totalBytesReceived, 0u);
    EXPECT_EQ(traffic.totalBytesSent, 0u);

    arm(SimFault("/api/status", "status", {{"code", 404}}, 1));
    EXPECT_EQ(client.probeStatus(), -1.0);
    EXPECT_EQ(client.lastErrorText(), "HTTP error: status code 404");
    arm(SimFault("/api/status", "wrong_shape", json::object(), 1));
    EXPECT_EQ(client.probeStatus(), -1.0);
    EXPECT_EQ(client.lastErrorText(), "'statistics' field is not an object");
    arm(SimFault("/api/status", "size", {{"bytes", 1048577}}, 1));
    EXPECT_EQ(client.probeStatus(), -1.0);
    EXPECT_EQ(client.lastErrorText(), "Response too large (> 1MB)");
    arm(SimFault("/api/status", "wrong_shape", {{"body", "{\"statistics\":{\"cache_age\":86400.5}}"}}, 1));
    EXPECT_EQ(client.probeStatus(), -1.0);
    EXPECT_EQ(client.lastErrorText(), "'cache_age' out of valid range");
}

TEST_F(ApiClientTest, WithoutABaseUrlNothingReachesTheNetwork) {
    ApiClient client("");
    EXPECT_EQ(client.probeStatus(), -1.0);
    EXPECT_EQ(client.lastErrorText(), "Base URL not initialized");
    AllStatusMap status;
    EXPECT_FALSE(client.fetchAllStatus(status));
    EXPECT_EQ(client.lastErrorText(), "Failed to fetch all status - network error or empty response");
    EXPECT_TRUE(log().empty());

    client.resetBaseUrl(urls.http);
    EXPECT_EQ(client.lastErrorText(), "");
    EXPECT_EQ(client.baseUrlText(), urls.http);
    ASSERT_TRUE(client.fetchAllStatus(status));
    EXPECT_GT(client.record().totalBytesReceived, 0u);
    client.setLastError("earlier failure");
    client.resetBaseUrl(urls.https);
    const ClientRecord zeroed = client.record();
    EXPECT_EQ(zeroed.totalBytesReceived, 0u);
    EXPECT_EQ(zeroed.totalBytesSent, 0u);
    EXPECT_EQ(zeroed.lastBytesReceived, 0u);
    EXPECT_EQ(zeroed.lastBytesSent, 0u);
    EXPECT_EQ(client.lastErrorText(), "");
}

// Waits up to 2 s for the connection message and returns its wParam, or -1.
int nextConnectionState(HWND window) {
    const ULONGLONG deadline = ::GetTickCount64() + 2000;
    MSG msg;
    while (::GetTickCount64() < deadline) {
        if (::PeekMessageW(&msg, window, kConnectionStateMessage, kConnectionStateMessage, PM_REMOVE)) {
            return static_cast<int>(msg.wParam);
        }
        ::Sleep(10);
    }
    return -1;
}

TEST(ApiClientConnection, ReportsConnectedUntilStopped) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ::DefWindowProcW;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"MarrowbellConnectionTest";
    ::RegisterClassW(&windowClass);
    UniqueWindow window(::CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                          windowClass.hInstance, nullptr));
    ASSERT_TRUE(window);

    ApiClient client("");
    client.startConnection(window.get());
    EXPECT_EQ(nextConnectionState(window.get()), Connected);
    EXPECT_EQ(client.record().state, Connected);
    client.startConnection(window.get());  // already running: nothing new
    client.stopConnection();
    EXPECT_EQ(nextConnectionState(window.get()), Disconnected);
    EXPECT_EQ(nextConnectionState(window.get()), -1) << "two changes, two messages";
    EXPECT_EQ(client.record().state, Disconnected);
    EXPECT_EQ(client.lastErrorText(), "Stopped");
    client.stopConnection();  // nothing runs: nothing happens

    {
        ApiClient dropped("");
        dropped.startConnection(window.get());
        EXPECT_EQ(nextConnectionState(window.get()), Connected);
    }  // no thread of its own: nothing is posted once it is gone
    EXPECT_EQ(nextConnectionState(window.get()), -1);
}

}  // namespace
}  // namespace mb
