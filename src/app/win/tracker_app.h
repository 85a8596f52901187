// The application object: owns the main window and the collaborators that make up the overlay,
// starts them in order, routes every message of the main window to the one that owns it, and
// tears them down in order.
//
//   TrackerFeed    the server client, the tracker state, the loader and poller, the connection
//   BossView       selector, channel list, boss title, spawn countdown, cache line
//   SettingsPanel  transparency and text-scale sliders with their captions and values
//   HotkeyBar      the three hotkeys and their buttons, rebinding
//   StatusLine     the status line
//   TrayIcon       the notification-area icon, its menu, the help box, balloons
//   AlertBalloons  what the alert rules say, paced onto the tray icon
//
// Operations that span them (the initial load, the refresh tick, the looks and toggles) are
// its own.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/look_rules.h"
#include "app/win/alert_balloons.h"
#include "app/win/boss_view.h"
#include "app/win/hotkey_bar.h"
#include "app/win/settings_panel.h"
#include "app/win/status_line.h"
#include "app/win/tracker_feed.h"
#include "app/win/tray_icon.h"
#include "clock/win/ntp_clock.h"
#include "desktop/win/dpi_awareness.h"
#include "desktop/win/player_placement.h"
#include "desktop/win/settings.h"
#include "desktop/win/settings_store.h"
#include "desktop/win/startup_config.h"

namespace mb {

// How the window looks and behaves right now.
struct WindowLook {
    bool settingsPanelShown = false;  // the overlay is active: the panel shows above the status line
    bool clickThrough = false;        // mouse input passes through to the game
    bool visible = true;              // not hidden to the notification area
    bool bossListOpen = false;        // the selector's popup is open: the layout waits for it
    bool sessionEnding = false;       // Windows is ending the session: closing skips the question
    int dpi = 96;                     // what the fonts and the layout are sized for
    bool perMonitorDpi = false;       // the window follows its monitor's DPI (HighDpi, and declared)
};

class TrackerApp {
public:
    // Settings in "Marrowbell.ini" next to the executable (or where an earlier run moved it).
    TrackerApp();
    // Settings (and with them the tracker URL and NTP servers) from another file.
    explicit TrackerApp(std::wstring settingsPath);
    // Stops the workers (bounded wait) and releases everything.
    ~TrackerApp();
    TrackerApp(const TrackerApp&) = delete;
    TrackerApp& operator=(const TrackerApp&) = delete;

    // Loads the settings, registers the class, creates and shows the window on its monitor,
    // creates and places the controls and starts the live part. False when the class or the
    // window cannot be made.
    bool createMainWindow();
    // Runs until WM_QUIT; returns its exit code.
    int runMessageLoop();

    // ---- Operations, also for tests ------------------------------------------------------
    void applyInitialLoad();
    void onBossSelected();
    void layoutControls();
    void toggleClickThrough();
    void toggleVisibility();
    void toggleBossMenu();
    void runTrayCommand(TrayCommand command);
    void refreshStatusLine();
    // The "Marrowbell status" box, once at a time: what works and what fails, one fact a line.
    void showStatus();
    // The "Tracker address" dialog, once at a time; an address it accepts is used at once.
    void editTrackerAddress();
    // Writes the address (empty: the built-in one) and restarts the feed with it: the selector
    // and the list empty, Disconnected, then rows as at start. Clock, hotkeys, tray and the
    // other settings stay as they are.
    void useTracker(const std::string& url);
    std::string statusText();

    HWND window() const { return window_; }
    const WindowLook& look() const { return look_; }
    uint32_t ntpTimerPeriod() const { return ntpTimerPeriodMs_; }
    Settings& settings() { return settings_; }
    StartupConfig& config() { return config_; }
    const SettingsStore& store() const { return store_; }
    NtpClock& clock() { return clock_; }
    TrackerFeed& feed() { return feed_; }
    BossView& bossView() { return bossView_; }
    const SettingsPanel& settingsPanel() const { return settingsPanel_; }
    HotkeyBar& hotkeyBar() { return hotkeyBar_; }
    const StatusLine& statusLine() const { return statusLine_; }
    TrayIcon& tray() { return tray_; }
    AlertBalloons& alerts() { return alerts_; }
    EventLog* log() { return log_.get(); }

private:
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool registerMainWindowClass();
    void createControls();
    // The start-up tail: tray icon, hotkeys, timers 3, 4 and 1, a first NTP synchronisation,
    // timer 5, the loader and then the poller.
    void startLiveWork();
    void onDestroy();
    void confirmExit();
    void onConnectionState(WPARAM state, LPARAM generation);
    void onTimer(UINT_PTR id);
    void onRefreshTimer();
    void onForegroundTimer();
    void onNtpTimer();
    // The rules that show the settings panel while the overlay is active (look_rules.h): the
    // look after the event, and whether the controls are placed again.
    bool changeLook(LookEvent event);
    void onLookEvent(LookEvent event);
    void onActivate(WPARAM wParam);
    void onKillFocus();
    void onControlCommand(WPARAM wParam);
    void onHorizontalScroll(LPARAM lParam);
    void applyOpacity();
    void applyTextScale();
    void runHotkeyAction(HotkeyAction action);
    // The styles of the mode, applied with the outer rectangle kept.
    void applyClickThroughStyles(bool on);
    void showHelp();
    void askToClose();
    // Marrowbell.log beside the settings, told to every collaborator that writes to it, and its
    // first line: what runs where.
    void openLog();
    // WM_DISPLAYCHANGE and WM_DPICHANGED: the window's rectangle before and after, in the log.
    void logWindowChange(const std::string& what, const RECT& before);
    // Every control's fonts and pixel sizes follow the window's DPI.
    void applyDpi(int dpi);
    void onDpiChanged(int dpi, const RECT& suggested);
    // Once a second: back on top of a top-most window of another process that covers the
    // whole overlay (a borderless full-screen game), without taking the focus.
    void keepAboveCover();
    // After sleep: the translucency, the top-most place and the pixels again.
    void onResume();

    explicit TrackerApp(SettingsStore store);

    HWND window_ = nullptr;
    SettingsStore store_;                                 // where Marrowbell.ini is
    StartupConfig config_;                                // read once, at construction
    Settings settings_;                                   // the player's, read when the window is made
    std::shared_ptr<EventLog> log_;                       // shared with the workers and the clock's threads
    std::optional<PerMonitorDpiAwareness> dpiAwareness_;  // with HighDpi, from window creation on
    PlayerPlacement placement_;
    NtpClock clock_;
    TrackerFeed feed_;
    BossView bossView_;
    SettingsPanel settingsPanel_;
    HotkeyBar hotkeyBar_;
    StatusLine statusLine_;
    TrayIcon tray_;
    AlertBalloons alerts_;
    WindowLook look_;
    uint32_t ntpTimerPeriodMs_ = 0;  // the period timer 5 was last set with; 0 before
    bool statusOpen_ = false;
    bool addressOpen_ = false;  // the "Tracker address" dialog is up
};

}  // namespace mb
