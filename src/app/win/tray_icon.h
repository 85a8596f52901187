// The overlay in the notification area: the drawn dot icons (blue for the window, green while
// fresh data flows, red otherwise), the icon itself with its retry while the shell refuses it,
// its menu, the help box it opens and the alert balloons it shows.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

#include "core/win/unique_handle.h"

namespace mb {

// What the user asked for through the icon.
enum class TrayCommand { None, ToggleVisibility, Help, Exit };

class TrayIcon {
public:
    // Every call to the shell goes through here: Shell_NotifyIconW, or what a test puts in its
    // place (before create).
    using Shell = std::function<BOOL(DWORD, NOTIFYICONDATAW*)>;
    void setShell(Shell shell) { shell_ = std::move(shell); }

    // Draws the icons, gives window its icon and learns the shell's restart broadcast.
    void create(HWND window);
    // Adds the icon; while the shell refuses it, timer 6 tries again every two seconds.
    void add();
    // Green while data flows, otherwise red; the shell hears only of a change.
    void update(bool dataFlowing);
    void remove();
    // A restarted shell has forgotten every icon: true for its broadcast, which adds it again.
    bool onTaskbarCreated(UINT message);

    // WM_TRAY_CALLBACK: a double-click toggles the window, a right click opens the menu.
    TrayCommand onNotify(WPARAM wParam, LPARAM lParam, bool windowVisible);
    UniqueMenu buildMenu(bool windowVisible) const;
    // The help box, once at a time.
    void showHelp(const std::wstring& text);
    // A balloon from the icon; false without an icon to show it from.
    bool showBalloon(const std::wstring& text);

    bool added() const { return added_; }
    bool helpOpen() const { return helpOpen_; }
    HICON shownIcon() const { return data_.hIcon; }
    HICON appIcon() const { return appIcon_.get(); }
    HICON connectedIcon() const { return connectedIcon_.get(); }
    HICON idleIcon() const { return idleIcon_.get(); }

private:
    TrayCommand showMenu(bool windowVisible);
    // An elevated overlay would not hear a restarted Explorer without this.
    void letTaskbarCreatedThrough();

    HWND window_ = nullptr;
    Shell shell_ = ::Shell_NotifyIconW;
    UniqueIcon appIcon_;        // the window's icon
    UniqueIcon connectedIcon_;  // fresh data arrives
    UniqueIcon idleIcon_;       // otherwise
    NOTIFYICONDATAW data_{};
    bool added_ = false;  // the shell holds the icon
    bool helpOpen_ = false;
    UINT taskbarCreatedMessage_ = 0;
};

}  // namespace mb
