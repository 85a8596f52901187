// The application object: owns the main window, the settings, the clock, the shared server
// client and tracker state, and the worker threads; starts them in order and tears them
// down in order.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "clock/win/ntp_clock.h"
#include "core/tracker_records.h"
#include "core/win/tracker_state.h"
#include "core/win/unique_handle.h"
#include "core/win/workers.h"
#include "desktop/win/settings.h"
#include "server/win/api_client.h"

namespace mb {

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

    // Loads the settings, registers the class, creates and shows the window on its monitor
    // and starts the live part. False when the class or the window cannot be made.
    bool createMainWindow();
    // Runs until WM_QUIT; returns its exit code.
    int runMessageLoop();

    // Called by the main window procedure.
    void onDestroy();
    void confirmExit();
    void applyInitialLoad();
    void onTimer(UINT_PTR id);

    // Members in construction order. The shared client, the tracker state and the stop flag
    // are shared with the worker threads, which may outlive this object (see workers.h).
    HWND mainWindow = nullptr;
    // The controls take their places here in this order once they exist: bossSelector,
    // channelList, opacitySlider, opacityCaption, opacityValueLabel, textScaleSlider,
    // textScaleCaption, textScaleValueLabel, statusLine, bossTitleLabel, cacheAgeLabel,
    // spawnCountdownLabel, clickThroughButton, showHideButton, bossMenuButton.
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
    // appIcon, connectedIcon, idleIcon and trayIconData take their places here.
    uint32_t lastDataTick = 0;  // GetTickCount when poll data was last applied

    uint32_t ntpTimerPeriodMs = 0;  // the period timer 5 was last set with; 0 before

private:
    bool registerMainWindowClass();
    // The start-up tail: timers 3, 4 and 1, a first NTP synchronisation, timer 5, the loader
    // and then the poller.
    void startLiveWork();
    void onRefreshTimer();
    void onNtpTimer();
    void stopAndWaitForWorkers();
    WorkerLink workerLink() const;
};

// The main window procedure; finds the application object in window slot 0.
LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace mb
