// ApiClient against hostile answers of the simulator: gzip bombs, deeply nested arrays, bad
// text, bad numbers and oversized bodies. Each call runs on a thread with a 1 MiB stack, as
// small as the workers' default stack may be, so a recursive parse or teardown would crash.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "server/win/api_client.h"
#include "support/win/sim_control.h"

namespace mb {
namespace {

using nlohmann::json;
using test::SimFault;

constexpr SIZE_T kWorkerStackBytes = 1 << 20;
constexpr DWORD kCallTimeoutMs = 60000;
// Under Wine a stack overflow ends only the thread, with exit code 0, and the process goes on:
// only a task that ran to its end leaves this code.
constexpr DWORD kTaskFinished = 0x600D;

DWORD WINAPI runTask(void* parameter) {
    (*static_cast<std::function<void()>*>(parameter))();
    return kTaskFinished;
}

// Runs task on a fresh thread whose stack reserve is 1 MiB and waits for it to finish.
::testing::AssertionResult runOnWorkerStack(std::function<void()> task) {
    UniqueKernelHandle thread(
        ::CreateThread(nullptr, kWorkerStackBytes, runTask, &task, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    if (!thread) return ::testing::AssertionFailure() << "CreateThread failed: " << ::GetLastError();
    if (::WaitForSingleObject(thread.get(), kCallTimeoutMs) != WAIT_OBJECT_0) {
        return ::testing::AssertionFailure() << "the call did not return within " << kCallTimeoutMs << " ms";
    }
    DWORD code = 0;
    ::GetExitCodeThread(thread.get(), &code);
    if (code != kTaskFinished) return ::testing::AssertionFailure() << "the thread died (exit code " << code << ")";
    return ::testing::AssertionSuccess();
}

enum class Call { Bosses, AllStatus, Channels, Probe };

// What one call gave.
struct Outcome {
    bool ok = false;
    double cacheAge = 0.0;
    std::vector<Boss> bosses;
    AllStatusMap status;
    std::vector<ChannelStatus> channels;
};

struct Case {
    const char* name;
    json setup;  // a fault, or {"world": {...}}
    Call call;
    bool ok;
    const char* error;  // lastError afterwards ("" : none was set)
    bool bytesCounted;  // the answer arrived, so the totals grew
    std::function<void(const Outcome&)> check;
};

constexpr char kBosses[] = "/api/collections/mobs/records";
constexpr char kAllStatus[] = "/api/all_status";
constexpr char kChannels[] = "/api/collections/mob_channel_status/records";
constexpr char kStatus[] = "/api/status";
// The escaped control characters of the simulator's "escaped_control" text, as UTF-8.
constexpr char kEscapedBytes[] = "\x00\x01\x1f\n\t\x7f\xe2\x80\xae\xef\xbb\xbf";  // ends in U+202E, U+FEFF
const std::string kEscapedPiece(kEscapedBytes, sizeof kEscapedBytes - 1);

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

json fault(const char* endpoint, const char* kind, json params = json::object()) {
    return SimFault(endpoint, kind, std::move(params));
}

const Case kCases[] = {
    {"gzip bomb", fault(kAllStatus, "gzip_bomb"), Call::AllStatus, false,
     "Failed to fetch all status - network error or empty response", false, nullptr},
    {"deep nesting, all status", fault(kAllStatus, "deep_nesting"), Call::AllStatus, true, "", true,
     [](const Outcome& o) {
         ASSERT_EQ(o.status.size(), 1u);
         EXPECT_TRUE(o.status.at("x").empty()) << "an array is no report object";
     }},
    {"deep nesting, boss list", fault(kBosses, "deep_nesting"), Call::Bosses, false,
     "No valid bosses found in response", true, nullptr},
    {"deep nesting, channel status", fault(kChannels, "deep_nesting"), Call::Channels, true, "", true, nullptr},
    {"deep nesting, probe", fault(kStatus, "deep_nesting"), Call::Probe, false, "'cache_age' is not a number", false,
     nullptr},
    {"500 bosses", json{{"world", {{"bosses", 500}}}}, Call::Bosses, true, "", true,
     [](const Outcome& o) { EXPECT_EQ(o.bosses.size(), 500u); }},
    {"invalid UTF-8", fault(kBosses, "bad_text", {{"form", "invalid_utf8"}}), Call::Bosses, false,
     "Invalid JSON response from server", true, nullptr},
    {"raw control bytes", fault(kAllStatus, "bad_text", {{"form", "raw_control"}}), Call::AllStatus, false,
     "Invalid JSON response from server", true, nullptr},
    {"escaped controls, boss list", fault(kBosses, "bad_text", {{"form", "escaped_control"}}), Call::Bosses, true, "",
     true,
     [](const Outcome& o) {
         ASSERT_EQ(o.bosses.size(), 12u);
         for (const Boss& boss : o.bosses) EXPECT_TRUE(endsWith(boss.name, kEscapedPiece)) << boss.name;
     }},
    {"escaped controls, all status", fault(kAllStatus, "bad_text", {{"form", "escaped_control"}}), Call::AllStatus,
     true, "", true,
     [](const Outcome& o) {
         ASSERT_EQ(o.status.size(), 12u);
         for (const auto& [id, reports] : o.status) EXPECT_TRUE(endsWith(id, kEscapedPiece)) << id;
     }},
    {"NaN", fault(kAllStatus, "bad_numbers", {{"value", "NaN"}}), Call::AllStatus, false,
     "Invalid JSON response from server", true, nullptr},
    // Valid JSON, but the parser refuses a number that overflows a double.
    {"1e400", fault(kStatus, "bad_numbers", {{"value", "1e400"}}), Call::Probe, false, "Invalid JSON response", false,
     nullptr},
    {"-0", fault(kAllStatus, "bad_numbers", {{"value", "-0"}}), Call::AllStatus, true, "", true,
     [](const Outcome& o) {
         const ChannelStatus& report = o.status.begin()->second.at(0);
         EXPECT_EQ(report.channel_number, 0);
         EXPECT_EQ(report.etd, 0.0) << "-0 is a number: it replaces the default -1";
     }},
    {"-0.0", fault(kStatus, "bad_numbers", {{"value", "-0.0"}}), Call::Probe, true, "", false,
     [](const Outcome& o) { EXPECT_TRUE(o.cacheAge == 0.0 && std::signbit(o.cacheAge)); }},
    {"10 MiB body", fault(kAllStatus, "size", {{"bytes", 10485760}}), Call::AllStatus, true, "", true, nullptr},
    {"10 MiB + 1 body", fault(kAllStatus, "size", {{"bytes", 10485761}}), Call::AllStatus, false,
     "Invalid JSON response from server", true, nullptr},
};

class ApiClientHostile : public test::SimulatorTest {};

TEST_F(ApiClientHostile, SurvivesEveryHostileAnswerWithTheRightOutcome) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(sim->reset());
        if (c.setup.contains("world")) {
            ASSERT_TRUE(sim->setWorld(c.setup["world"]));
        } else {
            ASSERT_TRUE(sim->setFault(c.setup));
        }
        ApiClient client(urls.http);
        Outcome outcome;
        Boss boss;
        boss.id = "abc";
        ASSERT_TRUE(runOnWorkerStack([&] {
            switch (c.call) {
            case Call::Bosses:
                outcome.ok = client.fetchBosses(outcome.bosses);
                break;
            case Call::AllStatus:
                outcome.ok = client.fetchAllStatus(outcome.status);
                break;
            case Call::Channels:
                outcome.ok = client.fetchChannelStatus(boss, outcome.channels);
                break;
            case Call::Probe:
                outcome.cacheAge = client.probeStatus();
                outcome.ok = outcome.cacheAge != -1.0;
                break;
            }
        }));
        EXPECT_EQ(outcome.ok, c.ok);
        EXPECT_EQ(client.lastErrorText(), c.error);
        const ClientRecord traffic = client.record();
        EXPECT_EQ(traffic.totalBytesReceived > 0, c.bytesCounted) << traffic.totalBytesReceived;
        if (c.call == Call::AllStatus) {
            EXPECT_EQ(traffic.lastBytesReceived, traffic.totalBytesReceived) << "the last figures follow the call";
        }
        if (!c.ok) {
            EXPECT_TRUE(outcome.bosses.empty() && outcome.status.empty() && outcome.channels.empty());
        }
        if (c.check) c.check(outcome);
    }
}

}  // namespace
}  // namespace mb
