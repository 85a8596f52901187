// Which call declares the awareness: Wine has both, so the choice is shown with stand-ins.
#include "desktop/win/dpi_awareness.h"

#include <gtest/gtest.h>

namespace mb {
namespace {

HANDLE gContext = nullptr;  // what the context call was given
int gSetAwareCalls = 0;
BOOL WINAPI acceptContext(HANDLE context) { return (gContext = context) != nullptr; }
BOOL WINAPI refuseContext(HANDLE context) { return (gContext = context, FALSE); }
BOOL WINAPI setAware() { return ++gSetAwareCalls > 0; }

TEST(DpiAwareness, PerMonitorV2WhereTheSystemHasItElseSystemAwareness) {
    const struct {
        DpiAwarenessCalls calls;
        bool declared;
        int setAwareCalls;
    } cases[] = {
        {{acceptContext, setAware}, true, 0},
        {{refuseContext, setAware}, true, 1},
        {{nullptr, setAware}, true, 1},
        {{nullptr, nullptr}, false, 0},
    };
    for (const auto& c : cases) {
        gContext = nullptr;
        gSetAwareCalls = 0;
        EXPECT_EQ(declarePerMonitorDpiAwareness(c.calls), c.declared);
        EXPECT_EQ(gSetAwareCalls, c.setAwareCalls);
        EXPECT_EQ(gContext, c.calls.setContext ? reinterpret_cast<HANDLE>(static_cast<intptr_t>(-4)) : nullptr);
    }
}

}  // namespace
}  // namespace mb
