// The "Tracker address" dialog: a standard Win32 dialog (from a template in memory, so paste,
// Tab, Enter, Escape, input methods and screen readers work as everywhere in Windows) with one
// edit box holding the address in use, all selected, OK and Cancel, and a line under the box
// that says why an address was refused. Owned by the overlay and centred on it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace mb {

// Runs the dialog (modal; user-interface thread only). OK with a usable address gives it as
// checkTrackerUrl makes it; OK with an empty box gives "" (the built-in address); an unusable
// address keeps the dialog open with its reason. Nothing when cancelled.
std::optional<std::string> askTrackerAddress(HWND owner, const std::string& current);

// The controls' ids, for whoever drives the dialog from outside.
inline constexpr int kTrackerAddressEditId = 101;
inline constexpr int kTrackerAddressProblemId = 102;
inline constexpr wchar_t kTrackerAddressTitle[] = L"Tracker address";

}  // namespace mb
