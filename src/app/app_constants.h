// The overlay's fixed identity, private window messages, timers and worker pacing, and the
// small decisions made from them, shared by both builds.
#pragma once

#include <cstdint>

#include "version.h"

namespace mb {

// Main window.
inline constexpr wchar_t kMainWindowClass[] = L"VantorMainDialog";
inline constexpr const wchar_t* kMainWindowTitle = kVersionTitle;
inline constexpr uint32_t kMainWindowStyle = 0x02CC0000;     // caption, system menu, sizing frame, clip children
inline constexpr uint32_t kMainWindowExStyle = 0x00080008;   // layered, top-most
inline constexpr uint32_t kMainWindowBackground = 0x1E1E1E;  // RGB(30, 30, 30)

// Private messages of the main window (WM_USER is 0x0400).
inline constexpr uint32_t kTrayCallbackMessage = 0x0400 + 1;
inline constexpr uint32_t kTrackerLoadedMessage = 0x0400 + 100;

// Timers of the main window.
inline constexpr uintptr_t kTimerStatus = 1;
inline constexpr uintptr_t kTimerRefresh = 3;
inline constexpr uintptr_t kTimerForeground = 4;
inline constexpr uintptr_t kTimerNtp = 5;
inline constexpr uintptr_t kTimerTrayRetry = 6;  // runs only while the shell refuses the icon
inline constexpr uint32_t kStatusPeriodMs = 500;
inline constexpr uint32_t kRefreshPeriodMs = 100;
inline constexpr uint32_t kForegroundPeriodMs = 1000;
inline constexpr uint32_t kNtpRetryPeriodMs = 10000;      // until the first synchronisation succeeds
inline constexpr uint32_t kNtpRefreshPeriodMs = 300000;   // once the clock is fresh
inline constexpr uint32_t kTrayRetryPeriodMs = 2000;      // the first retry of a refused tray icon
inline constexpr uint32_t kTrayRetryMaxPeriodMs = 30000;  // doubling up to this

// Period timer 5 runs with after one of its ticks: five minutes once the clock is fresh,
// otherwise unchanged (a clock whose last success is a day old keeps its period).
constexpr uint32_t ntpPeriodAfterTick(bool clockFresh, uint32_t currentPeriodMs) {
    return clockFresh ? kNtpRefreshPeriodMs : currentPeriodMs;
}

// The wait before the next try of a tray icon the shell refused again: twice the last, at most
// kTrayRetryMaxPeriodMs. A call into a busy shell can block the interface for seconds.
constexpr uint32_t nextTrayRetryPeriod(uint32_t lastPeriodMs) {
    return lastPeriodMs >= kTrayRetryMaxPeriodMs / 2 ? kTrayRetryMaxPeriodMs : lastPeriodMs * 2;
}

// Worker pacing. A pause ends at once when shutdown begins; only without its event does it
// look at the stop flag every kStopCheckMs.
inline constexpr uint32_t kStopCheckMs = 50;
inline constexpr uint32_t kLoaderRetryMs = 1000;       // after a failed fetch of the loader
inline constexpr uint32_t kPollFailurePauseMs = 1000;  // after a failed poll
inline constexpr uint32_t kPollPauseMs = 500;          // after every poll cycle
inline constexpr uint32_t kThreadStopWaitMs = 5000;    // every wait for a thread ends by then

// Next dot phase of the status line after a successful poll: 0, 1, 2, 0, ...
constexpr int32_t nextDotPhase(int32_t phase) { return (phase + 1) % 3; }

// Control ids of the main window's children. The boss title shares the text-scale slider's id;
// nothing is dispatched on the label.
inline constexpr int kIdBossSelector = 1001;
inline constexpr int kIdChannelList = 1002;
inline constexpr int kIdOpacitySlider = 1003;
inline constexpr int kIdOpacityValue = 1004;
inline constexpr int kIdStatusLine = 1005;
inline constexpr int kIdTextScaleSlider = 1006;
inline constexpr int kIdBossTitle = 1006;
inline constexpr int kIdTextScaleValue = 1007;
inline constexpr int kIdOpacityCaption = 1008;
inline constexpr int kIdTextScaleCaption = 1009;
inline constexpr int kIdHotkeyClickThrough = 1010;
inline constexpr int kIdHotkeyVisibility = 1011;
inline constexpr int kIdSpawnCountdown = 1012;
inline constexpr int kIdCacheAge = 1013;
inline constexpr int kIdHotkeyBossMenu = 1014;
inline constexpr int kIdAlertBanner = 1015;

// Exit code when the main window could not be created.
inline constexpr int kExitWindowFailed = 1;

}  // namespace mb
