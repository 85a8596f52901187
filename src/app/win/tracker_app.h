// The application object: owns the main window and its fifteen controls, the settings, the
// clock, the shared server client and tracker state, the worker threads and the tray icon;
// starts them in order and tears them down in order. Each concern of the main window has a
// file of its own in this folder (controls and layout, channel rows, status lines, hotkeys,
// tray); the window procedure only cracks messages and calls the members below.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/alert_outbox.h"
#include "app/alerts.h"
#include "app/win/workers.h"
#include "clock/win/ntp_clock.h"
#include "controls/win/custom_button.h"
#include "controls/win/custom_combo_box.h"
#include "controls/win/custom_label.h"
#include "controls/win/custom_slider.h"
#include "controls/win/progress_list.h"
#include "core/tracker_records.h"
#include "core/win/tracker_state.h"
#include "core/win/unique_handle.h"
#include "desktop/key_names.h"
#include "desktop/win/settings.h"
#include "server/win/api_client.h"

namespace mb {

struct HotkeyBinding {
    uint32_t key = 0;        // virtual-key code
    uint32_t modifiers = 0;  // MOD_ALT 1, MOD_CONTROL 2, MOD_SHIFT 4
};

class TrackerApp {
public:
    // Settings in "Marrowbell.ini" next to the executable.
    TrackerApp();
    // Settings (and with them the tracker URL and NTP servers) from another file.
    explicit TrackerApp(std::wstring settingsPath);
    // Stops the workers (bounded wait) and releases everything.
    ~TrackerApp();
    TrackerApp(const TrackerApp&) = delete;
    TrackerApp& operator=(const TrackerApp&) = delete;

    // Loads the settings, registers the class, creates and shows the window on its monitor,
    // creates the controls and starts the live part. False when the class or the window
    // cannot be made.
    bool createMainWindow();
    // Runs until WM_QUIT; returns its exit code.
    int runMessageLoop();

    // ---- Called by the main window procedure ----------------------------------------------
    void onDestroy();
    void confirmExit();
    void applyInitialLoad();
    void onTimer(UINT_PTR id);
    void onConnectionState(WPARAM state);

    // Controls and layout (main_window_controls.cpp).
    void createControls();
    void layoutControls();
    void onActivate(WPARAM wParam);
    void onSetFocus();
    void onKillFocus();
    void onHorizontalScroll(LPARAM lParam);
    void onLeftButtonDown();
    void applyOpacity();
    void applyTextScale();
    void toggleClickThrough();
    void toggleVisibility();
    void toggleBossMenu();
    void onControlCommand(WPARAM wParam, LPARAM lParam);

    // Channel rows and the boss selector (channel_rows.cpp).
    void fillBossSelector();
    void refreshBossSelectorCounts();
    void onBossSelected();
    void rebuildChannelRows();
    void refreshSpawnCountdown();
    // A copy of the selected boss's record; empty while none is selected or it is not listed.
    std::optional<Boss> selectedBoss() const;

    // Status lines (status_lines.cpp).
    void refreshStatusLine();
    void refreshCacheAge();

    // Hotkeys (hotkeys.cpp).
    void registerHotkeys();
    void unregisterHotkeys();
    void refreshHotkeyLabels();
    void beginHotkeyCapture(HotkeyAction action);
    void cancelHotkeyCapture();
    void captureHotkey(WPARAM key, HotkeyAction action);
    // False when the message goes on to default processing.
    bool onKeyDown(WPARAM key);
    bool onHotkey(WPARAM id);
    bool capturing() const { return capturingClickThrough || capturingShowHide || capturingBossMenu; }
    HotkeyBinding binding(HotkeyAction action) const;

    // Tray icon, tray menu, help (tray.cpp).
    void makeIcons();
    // Adds the icon; while the shell refuses it, timer 6 tries again every two seconds.
    void addTrayIcon();
    void letTaskbarCreatedThrough();
    void updateTrayIcon();
    void removeTrayIcon();
    void onTrayNotify(WPARAM wParam, LPARAM lParam);
    void showTrayMenu();
    UniqueMenu buildTrayMenu() const;
    // What a tray menu choice does (0: the menu was dismissed).
    void runTrayCommand(UINT command);
    void showHelp();

    // Alerts as balloons on the tray icon (alert_balloons.cpp); nothing at all while they are off.
    void refreshAlerts(bool dataArrived);
    void showAlertBalloon(const std::wstring& text);

    // ---- Members in construction order ------------------------------------------------------
    // The shared client, the tracker state and the stop flag are shared with the worker
    // threads, which may outlive this object (see workers.h).
    HWND mainWindow = nullptr;
    CustomComboBox bossSelector;
    ProgressList channelList;
    CustomSlider opacitySlider;
    CustomLabel opacityCaption;
    CustomLabel opacityValueLabel;
    CustomSlider textScaleSlider;
    CustomLabel textScaleCaption;
    CustomLabel textScaleValueLabel;
    CustomLabel statusLine;
    CustomLabel bossTitleLabel;
    CustomLabel cacheAgeLabel;
    CustomLabel spawnCountdownLabel;
    CustomButton clickThroughButton;
    CustomButton showHideButton;
    CustomButton bossMenuButton;
    std::shared_ptr<ApiClient> api;  // empty base URL until the initial load is applied
    Settings settings;
    NtpClock clock;
    // bosses, bossStatus, selectedBossId, cacheAgeSeconds, stateLock, dataChanged, dotPhase.
    std::shared_ptr<TrackerState> state;
    UniqueKernelHandle pollerThread;
    UniqueKernelHandle loaderThread;  // kept so that shutdown can wait for the loader as well
    std::shared_ptr<std::atomic<bool>> stopWorkers;
    bool settingsPanelShown = false;
    ConnectionState connectionState = Disconnected;
    bool clickThrough = false;
    bool windowVisible = true;
    bool layoutFrozen = false;
    bool helpOpen = false;
    bool capturingClickThrough = false;
    bool capturingShowHide = false;
    bool capturingBossMenu = false;
    bool noticeOpen = false;
    bool sessionEnding = false;
    UniqueIcon appIcon;        // the window icon
    UniqueIcon connectedIcon;  // tray: fresh data arrives
    UniqueIcon idleIcon;       // tray: otherwise
    NOTIFYICONDATAW trayIconData{};
    bool trayIconAdded = false;  // the shell holds the icon
    uint32_t lastDataTick = 0;   // GetTickCount when poll data was last applied

    uint32_t ntpTimerPeriodMs = 0;  // the period timer 5 was last set with; 0 before
    // Every tray call goes through here: Shell_NotifyIconW, or what a test puts in its place.
    std::function<BOOL(DWORD, NOTIFYICONDATAW*)> notifyShell = ::Shell_NotifyIconW;
    // The shell's broadcast after it (re)starts; the tray icon is added again then.
    UINT taskbarCreatedMessage = 0;
    // The boss records the selector's items point to; freed at WM_DESTROY.
    std::vector<std::unique_ptr<Boss>> selectorBosses;

    // What has been alerted, and the balloons waiting for their turn.
    AlertState alertState;
    AlertOutbox alertOutbox;
    // The sound of an alert when the settings want one; a test puts something else in its place.
    std::function<void()> alertSound = [] { ::MessageBeep(MB_ICONASTERISK); };

private:
    bool registerMainWindowClass();
    // The start-up tail: timers 3, 4 and 1, a first NTP synchronisation, timer 5, the loader
    // and then the poller.
    void startLiveWork();
    void onRefreshTimer();
    void onForegroundTimer();
    void onNtpTimer();
    void stopAndWaitForWorkers();
    // The styles of the mode, applied with the outer rectangle kept.
    void applyClickThroughStyles(bool on);
    bool& captureFlag(HotkeyAction action);
    CustomButton& hotkeyButton(HotkeyAction action);
    // A "Modifier Required" or "Duplicate Hotkey" box; the capture goes on behind it.
    void showHotkeyNotice(const wchar_t* text, const wchar_t* caption, UINT type);
    WorkerLink workerLink() const;
};

// The main window procedure; finds the application object in window slot 0.
LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace mb
