// The overlay's icons and its place in the notification area: the window's icon (the program's
// own, from its resources), the drawn tray dots (green while fresh data flows, red otherwise),
// all at the window's DPI; the tray icon with its retry while the shell refuses it, its menu, the
// help box it opens and the alert balloons it shows.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <functional>
#include <string>

#include "core/win/event_log.h"
#include "core/win/unique_handle.h"

namespace mb {

// What the user asked for through the icon.
enum class TrayCommand { None, ToggleVisibility, Status, TrackerAddress, Help, Exit };

class TrayIcon {
public:
    // Every call to the shell goes through here: Shell_NotifyIconW, or what a test puts in its
    // place (before create).
    using Shell = std::function<BOOL(DWORD, NOTIFYICONDATAW*)>;
    void setShell(Shell shell) { shell_ = std::move(shell); }
    // Whether the shell's taskbar window exists (FindWindowW "Shell_TrayWnd"), or a test's answer.
    using TaskbarProbe = std::function<bool()>;
    void setTaskbarProbe(TaskbarProbe probe) { taskbarPresent_ = std::move(probe); }
    // Where refusals and retries are told; may be null.
    void setLog(EventLog* log) { log_ = log; }

    // Makes the icons for dpi, gives window its icon and learns the shell's restart broadcast.
    void create(HWND window, int dpi);
    // The icons again at another DPI; the shell hears of the new dot.
    void setDpi(int dpi);
    // Adds the icon. While the shell refuses it, timer 6 tries again after 2 s, then 4, 8 ... up
    // to 30 s; without a taskbar window the shell is not even asked.
    void add();
    // Green while data flows, otherwise red; the shell hears only of a change.
    void update(bool dataFlowing);
    void remove();
    // A restarted shell has forgotten every icon: true for its broadcast, which adds it again
    // (and starts the retries at 2 s again).
    bool onTaskbarCreated(UINT message);

    // WM_TRAY_CALLBACK: a double-click toggles the window, a right click opens the menu.
    TrayCommand onNotify(WPARAM wParam, LPARAM lParam, bool windowVisible);
    UniqueMenu buildMenu(bool windowVisible) const;
    // The help box, once at a time.
    void showHelp(const std::wstring& text);
    // A balloon from the icon; false without an icon to show it from.
    bool showBalloon(const std::wstring& text);

    bool added() const { return added_; }
    uint32_t retryPeriodMs() const { return retryPeriodMs_; }  // of the retry running now, or next
    bool helpOpen() const { return helpOpen_; }
    HICON shownIcon() const { return data_.hIcon; }
    HICON windowIcon() const { return windowIcon_.get(); }
    HICON connectedIcon() const { return connectedIcon_.get(); }
    HICON idleIcon() const { return idleIcon_.get(); }

private:
    TrayCommand showMenu(bool windowVisible);
    // An elevated overlay would not hear a restarted Explorer without this.
    void letTaskbarCreatedThrough();
    void makeIcons(int dpi);

    HWND window_ = nullptr;
    Shell shell_ = ::Shell_NotifyIconW;
    TaskbarProbe taskbarPresent_ = [] { return ::FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr; };
    UniqueIcon windowIcon_;       // the title bar, Alt+Tab
    UniqueIcon windowSmallIcon_;  // the caption and the taskbar
    UniqueIcon connectedIcon_;    // tray: fresh data arrives
    UniqueIcon idleIcon_;         // tray: otherwise
    NOTIFYICONDATAW data_{};
    bool added_ = false;          // the shell holds the icon
    uint32_t retryPeriodMs_ = 0;  // 0 until the shell first refuses the icon
    EventLog* log_ = nullptr;
    bool helpOpen_ = false;
    UINT taskbarCreatedMessage_ = 0;
};

}  // namespace mb
