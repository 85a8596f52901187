#include "app/win/tracker_app.h"

#include <optional>
#include <utility>
#include <vector>

#include "app/row_assembly.h"
#include "app/app_constants.h"
#include "desktop/win/centered_message_box.h"
#include "desktop/win/monitor_fit.h"

namespace mb {
namespace {

static_assert(kTrackerLoadedMessage == WM_USER + 100);
static_assert(kConnectionStateMessageId == kConnectionStateMessage);
static_assert(kTrayCallbackMessage == WM_USER + 1);
static_assert(kMainWindowStyle == (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN));
static_assert(kMainWindowExStyle == (WS_EX_LAYERED | WS_EX_TOPMOST));

// The clock asks the servers of the settings' "Network" section, or its own public ones.
std::vector<NtpServer> clockServers(Settings& settings) {
    settings.loadNetwork();
    if (settings.ntpServers.empty()) return NtpClock::defaultServers();
    std::vector<NtpServer> servers;
    for (const NtpServerAddress& address : settings.ntpServers) servers.push_back({address.host, address.service});
    return servers;
}

}  // namespace

TrackerApp::TrackerApp() : TrackerApp(Settings().settingsPath) {}

TrackerApp::TrackerApp(std::wstring settingsPath)
    : api(std::make_shared<ApiClient>(std::string())),
      settings(std::move(settingsPath)),
      clock(clockServers(settings)),
      state(std::make_shared<TrackerState>()),
      stopWorkers(std::make_shared<std::atomic<bool>>(false)) {}

TrackerApp::~TrackerApp() {
    // Normally the window is gone by now. If it is not (an exception left the entry point),
    // take it down first, with its teardown, so no message can reach a dead object.
    if (mainWindow && ::IsWindow(mainWindow)) ::DestroyWindow(mainWindow);
    stopAndWaitForWorkers();
    // The window is gone, so this has no further effect; timer 3 is the one teardown leaves.
    if (mainWindow) ::KillTimer(mainWindow, kTimerRefresh);
    // Members go in reverse order: the state, clock, settings and client references are
    // dropped here; a worker still blocked in a request keeps its own references.
}

void TrackerApp::stopAndWaitForWorkers() {
    stopWorkers->store(true);
    // One deadline for both workers, so shutdown never waits longer than kThreadStopWaitMs.
    const ULONGLONG deadline = ::GetTickCount64() + kThreadStopWaitMs;
    for (UniqueKernelHandle* thread : {&pollerThread, &loaderThread}) {
        if (!*thread) continue;
        const ULONGLONG now = ::GetTickCount64();
        ::WaitForSingleObject(thread->get(), now < deadline ? static_cast<DWORD>(deadline - now) : 0);
        thread->reset();
    }
}

WorkerLink TrackerApp::workerLink() const {
    return WorkerLink{api, state, stopWorkers, mainWindow, settings.trackerUrl};
}

bool TrackerApp::registerMainWindowClass() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = 0;
    windowClass.lpfnWndProc = mainWindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = kMainWindowExtraBytes;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kMainWindowClass;
    // The class owns its brush: the system deletes it when the class is unregistered.
    UniqueBrush background(::CreateSolidBrush(kMainWindowBackground));
    windowClass.hbrBackground = background.get();
    if (::RegisterClassExW(&windowClass) != 0) {
        static_cast<void>(background.release());
        return true;
    }
    // A second application object in the same process (tests) finds its class in place.
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    return ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS &&
           ::GetClassInfoExW(windowClass.hInstance, kMainWindowClass, &existing) &&
           existing.lpfnWndProc == mainWindowProc && existing.cbWndExtra == kMainWindowExtraBytes;
}

bool TrackerApp::createMainWindow() {
    settings.load();
    taskbarCreatedMessage = ::RegisterWindowMessageW(L"TaskbarCreated");
    if (!registerMainWindowClass()) return false;

    RECT saved{settings.left, settings.top, settings.right, settings.bottom};
    RECT rect = clampRectToMonitor(saved);
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    HWND window = ::CreateWindowExW(kMainWindowExStyle, kMainWindowClass, kMainWindowTitle, kMainWindowStyle, rect.left,
                                    rect.top, rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                                    instance, this);
    if (!window) return false;
    mainWindow = window;
    ::SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(this));
    letTaskbarCreatedThrough();
    ::ShowWindow(window, SW_SHOW);
    ::UpdateWindow(window);
    // The controls, the opacity that makes the layered window visible, and the start-up tail.
    createControls();
    return true;
}

void TrackerApp::startLiveWork() {
    addTrayIcon();
    registerHotkeys();
    ::SetTimer(mainWindow, kTimerRefresh, kRefreshPeriodMs, nullptr);
    ::SetTimer(mainWindow, kTimerForeground, kForegroundPeriodMs, nullptr);
    ::SetTimer(mainWindow, kTimerStatus, kStatusPeriodMs, nullptr);
    clock.synchronize(true);
    ::SetTimer(mainWindow, kTimerNtp, kNtpRetryPeriodMs, nullptr);
    ntpTimerPeriodMs = kNtpRetryPeriodMs;
    // A thread that cannot be created is not reported; its null handle is not waited for.
    loaderThread = startWorker(loaderWorker, workerLink());
    pollerThread = startWorker(pollerWorker, workerLink());
}

int TrackerApp::runMessageLoop() {
    MSG msg{};
    // -1 (an invalid argument, which cannot happen here) goes round like any other result.
    while (::GetMessageW(&msg, nullptr, 0, 0) != 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

void TrackerApp::onDestroy() {
    api->stopConnection();
    removeTrayIcon();
    unregisterHotkeys();
    RECT current{};
    if (::GetWindowRect(mainWindow, &current)) {
        RECT fitted = clampRectToMonitor(current);
        settings.setWindowRect(fitted.left, fitted.top, fitted.right, fitted.bottom);
    }
    settings.save();
    ::KillTimer(mainWindow, kTimerStatus);
    ::KillTimer(mainWindow, kTimerForeground);
    ::KillTimer(mainWindow, kTimerNtp);
    // The items go before the records they point to, so nothing is left pointing at freed memory.
    bossSelector.clearItems();
    selectorBosses.clear();
    ::PostQuitMessage(0);
}

void TrackerApp::confirmExit() {
    if (sessionEnding) {
        ::DestroyWindow(mainWindow);
        return;
    }
    int answer = showCenteredMessageBox(mainWindow, L"Are you sure you want to exit?", L"Confirm Exit",
                                        MB_ICONQUESTION | MB_YESNO);
    if (answer == IDYES) ::DestroyWindow(mainWindow);
}

void TrackerApp::applyInitialLoad() {
    // Under the client's own lock, so the poller never sees half a URL.
    api->resetBaseUrl(settings.trackerUrl);
    fillBossSelector();

    std::optional<size_t> chosen;
    {
        CriticalSectionLock hold(state->stateLock);
        if (!settings.lastBoss.empty()) chosen = findBossIndex(state->bosses, settings.lastBoss);
    }
    if (!chosen) {
        const int64_t now = clock.now();
        CriticalSectionLock hold(state->stateLock);
        chosen = firstBossWithFreshReport(state->bosses, state->bossStatus, now);
    }
    // Without a boss to restore or one with a fresh report nothing is selected: the selector
    // shows its first item and the list stays empty until the user picks a boss.
    if (chosen && *chosen < static_cast<size_t>(bossSelector.itemCount())) {
        bossSelector.setSelection(static_cast<int>(*chosen));
        onBossSelected();
    }
    api->startConnection(mainWindow);
}

void TrackerApp::onConnectionState(WPARAM newState) {
    connectionState = static_cast<ConnectionState>(newState);
    refreshStatusLine();
    updateTrayIcon();
}

void TrackerApp::onTimer(UINT_PTR id) {
    switch (id) {
    case kTimerStatus:
        refreshStatusLine();
        break;
    case kTimerRefresh:
        onRefreshTimer();
        break;
    case kTimerForeground:
        onForegroundTimer();
        break;
    case kTimerNtp:
        onNtpTimer();
        break;
    case kTimerTrayRetry:
        addTrayIcon();
        break;
    default:
        break;
    }
}

void TrackerApp::onRefreshTimer() {
    bool changed = false;
    {
        CriticalSectionLock hold(state->stateLock);
        changed = std::exchange(state->dataChanged, false);
    }
    if (changed) {
        rebuildChannelRows();
        refreshStatusLine();
        if (layoutFrozen) refreshBossSelectorCounts();
        lastDataTick = ::GetTickCount();
    }
    // Every tick, not only when data arrives: when the server stops answering, the dot turns
    // red once the last data is two seconds old, instead of staying green.
    updateTrayIcon();
    refreshSpawnCountdown();
    refreshCacheAge();
    refreshAlerts(changed);
}

void TrackerApp::onNtpTimer() {
    const uint32_t period = ntpPeriodAfterTick(clock.isFresh(), ntpTimerPeriodMs);
    if (period != ntpTimerPeriodMs) {
        ::KillTimer(mainWindow, kTimerNtp);
        ::SetTimer(mainWindow, kTimerNtp, period, nullptr);
        ntpTimerPeriodMs = period;
    }
    clock.synchronize(true);
}

}  // namespace mb
