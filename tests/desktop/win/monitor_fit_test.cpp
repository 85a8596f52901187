// Fitting rectangles and windows onto the real monitor.
#include "desktop/win/monitor_fit.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "support/win/window_test_util.h"

namespace mb {
namespace {

void expectRect(const RECT& r, LONG left, LONG top, LONG right, LONG bottom) {
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right, right);
    EXPECT_EQ(r.bottom, bottom);
}

TEST(ClampRectToMonitor, FitsRectanglesOntoTheNearestMonitor) {
    const RECT m = test::primaryMonitorRect();
    expectRect(clampRectToMonitor(RECT{100, 100, 550, 800}), 100, 100, 550, 800);
    expectRect(clampRectToMonitor(RECT{m.right + 4000, m.top - 3000, m.right + 4450, m.top - 2300}), m.right - 450,
               m.top, m.right, m.top + 700);
    expectRect(clampRectToMonitor(RECT{-100, 50, 350, 750}), m.left, 50, m.left + 450, 750);
    expectRect(clampRectToMonitor(RECT{m.left - 10, m.top - 10, m.right + 10, m.bottom + 10}), m.left, m.top, m.right,
               m.bottom);
}

TEST(SnapToMonitor, MovesAWindowBackOnlyWhenItSticksOut) {
    const RECT m = test::primaryMonitorRect();
    test::TestParentWindow window(200, 100, 300, 400);
    snapToMonitor(window.hwnd(), true);
    RECT r{};
    ::GetWindowRect(window.hwnd(), &r);
    expectRect(r, 200, 100, 500, 500);

    ::SetWindowPos(window.hwnd(), nullptr, m.right - 100, m.bottom - 50, 300, 400, SWP_NOZORDER | SWP_NOACTIVATE);
    snapToMonitor(window.hwnd(), false);
    ::GetWindowRect(window.hwnd(), &r);
    expectRect(r, m.right - 300, m.bottom - 400, m.right, m.bottom);
}

}  // namespace
}  // namespace mb
