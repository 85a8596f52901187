// The one window procedure of every window class the program registers. The object that owns a
// window is the creation parameter; the thunk binds it to the window at WM_NCCREATE (window
// extra bytes, index 0), hands it every message from then on through one member, and unbinds
// it after WM_NCDESTROY. Messages before the binding go to DefWindowProcW. So an owner is
// reached only through a window it made, never through GWLP_USERDATA, and never after its
// window is gone.
#pragma once

#include <windows.h>

namespace mb {

// cbWndExtra of every class whose procedure is windowThunk: one pointer at index 0.
inline constexpr int kWindowObjectBytes = 8;

// Handler answers every message (calling DefWindowProcW itself for what it leaves alone).
// Owner may name it privately: the address is taken where the class is registered.
template <typename Owner, LRESULT (Owner::*Handler)(HWND, UINT, WPARAM, LPARAM)>
LRESULT CALLBACK windowThunk(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Owner*>(::GetWindowLongPtrW(window, 0));
    if (!self && message == WM_NCCREATE) {
        self = static_cast<Owner*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (self) ::SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
    const LRESULT result = (self->*Handler)(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) ::SetWindowLongPtrW(window, 0, 0);
    return result;
}

// For an owner that goes before its window: clears index 0 while it still names the owner,
// so later messages fall back to DefWindowProcW instead of reaching freed memory.
inline void unbindWindow(HWND window, const void* owner) {
    if (window && ::IsWindow(window) && ::GetWindowLongPtrW(window, 0) == reinterpret_cast<LONG_PTR>(owner)) {
        ::SetWindowLongPtrW(window, 0, 0);
    }
}

}  // namespace mb
