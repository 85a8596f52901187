// Lets a tool outside the process read the live handle counts of the owners in
// core/win/unique_handle.h, without a debugger and without anything the process writes on
// its own: the tool sends the registered message "Marrowbell.QueryCounters" to the main
// window with wParam 0 (GDI objects), 1 (device contexts), 2 (kernel handles) or 3 (WinHTTP
// handles) and gets the count as the result. Nothing else is exposed.
#pragma once

#include <windows.h>

namespace mb {

inline constexpr wchar_t kHandleCountQueryName[] = L"Marrowbell.QueryCounters";

// The registered message number (the same in every process of the desktop); 0 when the
// registration failed, and then nothing is answered.
UINT handleCountQueryMessage();

// The count that wParam selects, or -1 for a value that selects none.
LRESULT answerHandleCountQuery(WPARAM which);

}  // namespace mb
