#include "desktop/win/window_order.h"

#include "core/win/rect_conversion.h"

namespace mb {
namespace {

// A bound on the walk: the order may change while it runs, and a desktop rarely has more
// visible windows above a top-most one.
constexpr int kMostWindowsAbove = 512;

}  // namespace

std::vector<WindowAbove> visibleWindowsAbove(HWND window) {
    std::vector<WindowAbove> above;
    const DWORD ownProcess = ::GetCurrentProcessId();
    int walked = 0;
    for (HWND other = ::GetWindow(window, GW_HWNDPREV); other && walked < kMostWindowsAbove;
         other = ::GetWindow(other, GW_HWNDPREV), ++walked) {
        RECT rect{};
        if (!::IsWindowVisible(other) || !::GetWindowRect(other, &rect)) continue;
        DWORD process = 0;
        ::GetWindowThreadProcessId(other, &process);
        above.push_back(
            {toRect(rect), (::GetWindowLongW(other, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, process == ownProcess});
    }
    return above;
}

void raiseToTopmost(HWND window) {
    ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

}  // namespace mb
