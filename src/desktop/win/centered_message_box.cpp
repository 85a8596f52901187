#include "desktop/win/centered_message_box.h"

#include "core/win/rect_conversion.h"

#include "core/win/unique_handle.h"
#include "desktop/monitor_geometry.h"

namespace mb {
namespace {

// The two process-wide slots: the window to centre over and the installed hook (if any).
HWND gCenterTarget = nullptr;
UniqueHook gCenterHook;

}  // namespace

void centerWindowOver(HWND window, HWND owner, UINT extraFlags) {
    RECT windowRect{};
    RECT ownerRect{};
    if (!owner || !::GetWindowRect(window, &windowRect) || !::GetWindowRect(owner, &ownerRect)) return;
    const ScreenPoint at = centeredOver(toRect(windowRect), toRect(ownerRect));
    ::SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOZORDER | SWP_NOSIZE | extraFlags);
}

LRESULT CALLBACK centerBoxHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code != HCBT_ACTIVATE) return ::CallNextHookEx(gCenterHook.get(), code, wParam, lParam);
    centerWindowOver(reinterpret_cast<HWND>(wParam), gCenterTarget, SWP_NOACTIVATE);
    gCenterHook.reset();  // one box, one hook: later activations are left alone
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

int showCenteredMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    gCenterTarget = owner;
    // A hook still set here belongs to an outer box whose activation has not come yet; the
    // new box takes the slot over (its own activation comes first).
    gCenterHook.reset(::SetWindowsHookExW(WH_CBT, centerBoxHook, nullptr, ::GetCurrentThreadId()));
    int result = ::MessageBoxW(owner, text, caption, type);
    gCenterHook.reset();
    return result;
}

}  // namespace mb
