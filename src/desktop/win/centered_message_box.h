// Message boxes of the main window, placed over the middle of the window rather than where
// the system would put them.
#pragma once

#include <windows.h>

namespace mb {

// MessageBoxW owned by `owner`, centred over it through a one-shot WH_CBT hook. Returns the
// button id. User-interface thread only.
int showCenteredMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);

// Moves window so that its middle is over owner's, keeping its size and place in the z-order;
// extraFlags go to SetWindowPos with those (SWP_NOACTIVATE from the hook). Dialogs use it too.
void centerWindowOver(HWND window, HWND owner, UINT extraFlags = 0);

// The hook: at the first HCBT_ACTIVATE it moves the box and removes itself.
LRESULT CALLBACK centerBoxHook(int code, WPARAM wParam, LPARAM lParam);

}  // namespace mb
