#include "app/win/tracker_app.h"

#include <optional>
#include <utility>
#include <vector>

#include "app/app_constants.h"
#include "app/look_rules.h"
#include "core/win/window_thunk.h"
#include "desktop/help_text.h"
#include "desktop/settings_values.h"
#include "desktop/win/centered_message_box.h"
#include "desktop/win/monitor_fit.h"
#include "resource_ids.h"

namespace mb {
namespace {

static_assert(kTrackerLoadedMessage == WM_USER + 100);
static_assert(kConnectionStateMessage == WM_USER + 102);
static_assert(kTrayCallbackMessage == WM_USER + 1);
static_assert(kMainWindowStyle == (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN));
static_assert(kMainWindowExStyle == (WS_EX_LAYERED | WS_EX_TOPMOST));

// The file's "Network" and "Alerts" sections and HighDpi, once, after a mark at its start is gone.
StartupConfig readConfig(SettingsStore& store) {
    store.prepare();
    return StartupConfig::read(store.path());
}

}  // namespace

TrackerApp::TrackerApp() : TrackerApp(SettingsStore()) {}

TrackerApp::TrackerApp(std::wstring settingsPath) : TrackerApp(SettingsStore(std::move(settingsPath))) {}

TrackerApp::TrackerApp(SettingsStore store)
    : store_(std::move(store)),
      config_(readConfig(store_)),
      settings_(store_),
      clock_(config_.ntpServers.empty() ? NtpClock::defaultServers() : config_.ntpServers),
      bossView_(feed_.state(), clock_),
      hotkeyBar_(settings_) {}

TrackerApp::~TrackerApp() {
    // Normally the window is gone by now. If it is not (an exception left the entry point),
    // its teardown, which stops everything, runs first, so no message can reach a dead object.
    if (window_ && ::IsWindow(window_)) ::DestroyWindow(window_);
}

bool TrackerApp::registerMainWindowClass() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = 0;
    windowClass.lpfnWndProc = &windowThunk<TrackerApp, &TrackerApp::handleMessage>;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = kWindowObjectBytes;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    // The program's own icon, which Explorer shows too; the window gets it at its DPI later.
    windowClass.hIcon = ::LoadIconW(windowClass.hInstance, MAKEINTRESOURCEW(MB_ICON_APP));
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
           existing.lpfnWndProc == windowClass.lpfnWndProc && existing.cbWndExtra == kWindowObjectBytes;
}

bool TrackerApp::createMainWindow() {
    settings_.load();
    if (!registerMainWindowClass()) return false;
    // Right before the window: the thread's awareness decides the window's. A process-wide call
    // at this point may be refused, as COM and the common controls have made windows already.
    if (config_.highDpi) dpiAwareness_.emplace();

    placement_.choose({settings_.left, settings_.top, settings_.right, settings_.bottom}, settings_.rectDpi);
    const RECT rect = placement_.placement(settings_.rectDpi);
    // The window binds this object at WM_NCCREATE (window_ is set there).
    if (!::CreateWindowExW(kMainWindowExStyle, kMainWindowClass, kMainWindowTitle, kMainWindowStyle, rect.left,
                           rect.top, rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                           ::GetModuleHandleW(nullptr), this)) {
        return false;
    }
    look_.perMonitorDpi = config_.highDpi && isPerMonitorAware(window_);
    look_.dpi = windowDpi(window_, look_.perMonitorDpi);
    openLog();
    // The rectangle was taken at its own DPI (the default one at 96): its size follows the window's.
    moveWindowTo(window_, placement_.placement(look_.dpi), false);
    ::ShowWindow(window_, SW_SHOW);
    ::UpdateWindow(window_);
    createControls();
    startLiveWork();
    return true;
}

void TrackerApp::createControls() {
    bossView_.create(window_, settings_.textScale, std::wstring(emptyListText(config_.trackerAddress())),
                     config_.alerts.anyOn());
    settingsPanel_.create(window_, settings_.opacity, settings_.textScale);
    statusLine_.create(window_);
    hotkeyBar_.create(window_);
    applyDpi(look_.dpi);
    // A layered window shows nothing until its alpha is set.
    ::SetLayeredWindowAttributes(window_, 0, opacityToAlpha(settings_.opacity), LWA_ALPHA);
    ::SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    const HWND focus = ::GetFocus();
    changeLook(focus && (focus == window_ || ::IsChild(window_, focus)) ? LookEvent::FocusGained
                                                                        : LookEvent::FocusLeft);
    if (settings_.clickThroughMode) {
        changeLook(LookEvent::ClickThroughOn);
        applyClickThroughStyles(true);
        bossView_.setClickThrough(true);
    }
    layoutControls();
    snapToMonitor(window_, !look_.clickThrough);
    tray_.create(window_, look_.dpi);
}

void TrackerApp::startLiveWork() {
    tray_.add();
    hotkeyBar_.registerHotkeys();
    ::SetTimer(window_, kTimerRefresh, kRefreshPeriodMs, nullptr);
    ::SetTimer(window_, kTimerForeground, kForegroundPeriodMs, nullptr);
    ::SetTimer(window_, kTimerStatus, kStatusPeriodMs, nullptr);
    clock_.synchronize(true);
    ::SetTimer(window_, kTimerNtp, kNtpRetryPeriodMs, nullptr);
    ntpTimerPeriodMs_ = kNtpRetryPeriodMs;
    feed_.start(window_, config_.trackerUrl, log_);
}

int TrackerApp::runMessageLoop() {
    MSG msg{};
    // -1 (an invalid argument, which cannot happen here) goes round like any other result.
    while (::GetMessageW(&msg, nullptr, 0, 0) != 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    if (log_) log_->write("Exit code " + std::to_string(static_cast<int>(msg.wParam)));
    return static_cast<int>(msg.wParam);
}

// The whole shutdown, in this order: what the player sees goes first (the tray icon, the
// hotkeys), then what must not be lost (the settings), then nothing ticks any more (every
// timer), the selector lets go of its records, the feed stops (the window hears no more of the
// connection; the workers are stopped and waited for, 5000 ms at most in all), and the loop ends.
// A worker still blocked in a request after that keeps only its own shared client and state
// alive until it returns; nothing else stops anything.
void TrackerApp::onDestroy() {
    if (log_)
        log_->write(look_.sessionEnding ? "Closing: Windows is ending the session" : "Closing: the player's choice");
    tray_.remove();
    hotkeyBar_.unregisterHotkeys();
    // Where the player put it, not where a game's display mode may have pushed it for a while.
    const RECT saved = placement_.saved();
    settings_.setWindowRect(saved.left, saved.top, saved.right, saved.bottom, placement_.dpi());
    settings_.save();
    for (UINT_PTR timer : {kTimerStatus, kTimerRefresh, kTimerForeground, kTimerNtp, kTimerTrayRetry}) {
        ::KillTimer(window_, timer);
    }
    bossView_.clear();
    feed_.stop();
    ::PostQuitMessage(0);
}

void TrackerApp::confirmExit() {
    if (look_.sessionEnding) {
        ::DestroyWindow(window_);
        return;
    }
    const int answer = showCenteredMessageBox(window_, L"Are you sure you want to exit?", L"Confirm Exit",
                                              MB_ICONQUESTION | MB_YESNO);
    if (answer == IDYES) ::DestroyWindow(window_);
}

void TrackerApp::applyInitialLoad() {
    // Under the client's own lock, so the poller never sees half a URL.
    feed_.api().resetBaseUrl(config_.trackerUrl);
    feed_.markLoadApplied();
    bossView_.fillBossSelector();
    // Without a boss to restore or one with a fresh report nothing is selected: the selector
    // shows its first item and the list stays empty until the user picks a boss.
    if (const std::optional<size_t> chosen = bossView_.initialChoice(settings_.lastBoss, settings_.allBosses)) {
        bossView_.select(*chosen);
        onBossSelected();
    }
    feed_.api().startConnection(window_);
}

void TrackerApp::onBossSelected() {
    // The view and the boss reach the file with the next save; the view of all keeps the last boss.
    std::optional<BossView::Choice> choice = bossView_.onBossSelected();
    if (!choice) return;
    settings_.allBosses = choice->allBosses;
    if (!choice->allBosses) settings_.lastBoss = std::move(choice->bossId);
}

void TrackerApp::onConnectionState(WPARAM state, LPARAM generation) {
    if (static_cast<uint64_t>(generation) != feed_.generation()) return;  // from the tracker before
    feed_.setConnectionState(static_cast<ConnectionState>(state));
    refreshStatusLine();
    tray_.update(feed_.dataFlowing());
}

void TrackerApp::refreshStatusLine() {
    // One lock at a time, each released before any formatting or window call.
    const ClientRecord traffic = feed_.api().record();
    const int64_t synced = clock_.syncedTime();
    statusLine_.show(feed_.connectionState(), traffic, feed_.dotPhase(), synced);
}

void TrackerApp::showHelp() { tray_.showHelp(helpText(settings_.hotkeys())); }

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
        tray_.add();
        break;
    default:
        break;
    }
}

void TrackerApp::onRefreshTimer() {
    const bool changed = feed_.takeDataChanged();
    if (changed) {
        bossView_.rebuildChannelRows();
        refreshStatusLine();
        if (look_.bossListOpen) bossView_.refreshBossSelectorCounts();
        feed_.markDataApplied();
    }
    // Every tick, not only when data arrives: when the server stops answering, the dot turns
    // red once the last data is two seconds old, instead of staying green.
    tray_.update(feed_.dataFlowing());
    bossView_.refreshSpawnCountdown();
    bossView_.refreshCacheAge();
    if (config_.alerts.anyOn()) {
        const uint64_t now = ::GetTickCount64();
        alerts_.refreshAlerts(changed, now, config_.alerts, clock_, feed_.state(), bossView_.watchedBosses(), tray_);
        const AlertBanner& banner = alerts_.banner();
        bossView_.showBanner(banner.showingAt(now) ? &banner.line() : nullptr);
    }
}

void TrackerApp::onNtpTimer() {
    const uint32_t period = ntpPeriodAfterTick(clock_.isFresh(), ntpTimerPeriodMs_);
    if (period != ntpTimerPeriodMs_) {
        ::KillTimer(window_, kTimerNtp);
        ::SetTimer(window_, kTimerNtp, period, nullptr);
        ntpTimerPeriodMs_ = period;
    }
    clock_.synchronize(true);
}

}  // namespace mb
