// Which call declares the awareness, and what a window reports: shown with stand-ins, as Wine 8
// refuses the v2 context (thread and process alike) and reports every window per-monitor aware.
#include "desktop/win/dpi_awareness.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/win/window_test_util.h"

namespace mb {
namespace {

const HANDLE kV2 = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-4));
const HANDLE kEarlier = reinterpret_cast<HANDLE>(static_cast<intptr_t>(0x11));
std::vector<HANDLE> gThread;  // what the thread call was given, in order
int gProcessCalls = 0, gSetAwareCalls = 0;
HANDLE WINAPI acceptThread(HANDLE context) { return gThread.push_back(context), kEarlier; }
HANDLE WINAPI refuseThread(HANDLE context) { return gThread.push_back(context), nullptr; }
BOOL WINAPI acceptProcess(HANDLE context) { return ++gProcessCalls, context == kV2; }
BOOL WINAPI setAware() { return ++gSetAwareCalls > 0; }
HANDLE WINAPI windowContext(HWND) { return kV2; }
int WINAPI awareness(HANDLE) { return gProcessCalls; }  // 2: per-monitor, 1: system-DPI aware

TEST(DpiAwareness, TheThreadFirstThenTheProcessAndTheThreadsEarlierAwarenessComesBack) {
    const struct {
        DpiAwarenessCalls calls;
        bool declared;
        std::vector<HANDLE> thread;  // including the restore
        int processCalls, setAwareCalls;
    } cases[] = {
        {{acceptThread, acceptProcess, setAware}, true, {kV2, kEarlier}, 0, 0},
        {{refuseThread, acceptProcess, setAware}, true, {kV2}, 1, 0},
        {{nullptr, nullptr, setAware}, true, {}, 0, 1},
        {{nullptr, nullptr, nullptr}, false, {}, 0, 0},
    };
    for (const auto& c : cases) {
        gThread.clear();
        gProcessCalls = gSetAwareCalls = 0;
        EXPECT_EQ(PerMonitorDpiAwareness(c.calls).declared(), c.declared);
        EXPECT_EQ(gThread, c.thread);
        EXPECT_EQ(std::pair(gProcessCalls, gSetAwareCalls), std::pair(c.processCalls, c.setAwareCalls));
    }
    test::TestParentWindow window(0, 0, 100, 100);
    for (int aware : {0, 1, 2}) {
        gProcessCalls = aware;
        EXPECT_EQ(isPerMonitorAware(window.hwnd(), {nullptr, nullptr, nullptr, windowContext, awareness}), aware == 2);
    }
    EXPECT_FALSE(isPerMonitorAware(window.hwnd(), {}));
}

}  // namespace
}  // namespace mb
