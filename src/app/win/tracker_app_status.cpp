// What the overlay tells when it does not work: the status box and Marrowbell.log.
#include <optional>
#include <string>

#include "app/app_constants.h"
#include "app/win/tracker_app.h"
#include "core/log_line.h"
#include "core/win/utf8.h"
#include "desktop/status_report.h"
#include "desktop/network_settings.h"
#include "desktop/win/centered_message_box.h"
#include "desktop/win/tracker_address_dialog.h"

namespace mb {
namespace {

// The real version, which a program's manifest cannot change (GetVersionEx can be told a lie).
std::string windowsVersion() {
    using GetVersionCall = LONG(WINAPI*)(OSVERSIONINFOW*);
    const auto getVersion = reinterpret_cast<GetVersionCall>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!getVersion || getVersion(&info) != 0) return "Windows (version unknown)";
    return "Windows " + std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion) + "." +
           std::to_string(info.dwBuildNumber);
}

std::string rectText(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " to " + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

std::string awarenessText(const WindowLook& look) {
    return std::to_string(look.dpi) + " DPI, per-monitor awareness " + (look.perMonitorDpi ? "on" : "off");
}

}  // namespace

void TrackerApp::openLog() {
    log_ = std::make_shared<EventLog>(EventLog::besideSettings(store_.path()));
    store_.setLog(log_);
    clock_.setReporter([log = log_](const std::string& line) { log->fold("clock", line); });
    hotkeyBar_.setLog(log_.get());
    tray_.setLog(log_.get());
    log_->write(wideToUtf8(kMainWindowTitle) + " starting on " + windowsVersion() + ", " + awarenessText(look_) +
                ", settings " + wideToUtf8(store_.path()) + ", tracker " + withoutCredentials(config_.trackerUrl) +
                (config_.trackerUrlFromFile ? " (Marrowbell.ini)" : " (built in)"));
}

void TrackerApp::logWindowChange(const std::string& what, const RECT& before) {
    if (!log_) return;
    RECT after{};
    ::GetWindowRect(window_, &after);
    log_->write(what + ": window " + rectText(before) + ", now " + rectText(after));
}

std::string TrackerApp::statusText() {
    StatusFacts facts;
    facts.version = wideToUtf8(kMainWindowTitle);
    facts.trackerUrl = withoutCredentials(config_.trackerUrl);
    facts.trackerFromFile = config_.trackerUrlFromFile;
    facts.connected = feed_.connectionState() == Connected;
    facts.connectionSince = feed_.connectionSince();
    facts.failure = describeFailure(feed_.lastFailure());
    if (feed_.lastDataTick() != 0) facts.dataAgeSeconds = (::GetTickCount() - feed_.lastDataTick()) / 1000.0;
    facts.cacheAgeSeconds = feed_.cacheAgeSeconds();
    const NtpClock::Status clock = clock_.status();
    facts.timeServer = clock.server;
    facts.clockOffset = clock.offset;
    facts.syncedTime = clock.syncedTime;
    facts.clockFailedTime = clock.failedTime;
    facts.settingsPath = wideToUtf8(store_.path());
    facts.settingsReason = store_.locationReason();
    for (HotkeyAction action : kHotkeyActions) {
        facts.hotkeys.push_back(
            {wideToUtf8(hotkeyLabel(action, settings_.hotkey(action))), hotkeyBar_.registrationFailed(action)});
    }
    facts.dpi = look_.dpi;
    facts.perMonitorDpi = look_.perMonitorDpi;
    facts.logPath = log_ ? wideToUtf8(log_->path()) : std::string();
    return statusReportText(facts);
}

void TrackerApp::editTrackerAddress() {
    if (addressOpen_) return;
    addressOpen_ = true;
    const std::optional<std::string> chosen = askTrackerAddress(window_, config_.trackerUrl);
    addressOpen_ = false;
    if (!chosen) return;
    // The address in use again changes nothing (an unusable one in the file still goes).
    const bool same = chosen->empty() ? !config_.trackerUrlFromFile : *chosen == config_.trackerUrl;
    if (same && !config_.trackerUrlInvalid) return;
    useTracker(*chosen);
}

void TrackerApp::useTracker(const std::string& url) {
    config_.saveTrackerUrl(store_, url);
    if (log_) {
        log_->write("Tracker changed to " + withoutCredentials(config_.trackerUrl) +
                    (config_.trackerUrlFromFile ? " (Marrowbell.ini)" : " (built in)"));
    }
    feed_.restart(window_, config_.trackerUrl, log_);
    bossView_.restart(feed_.state(), std::wstring(emptyListText(config_.trackerAddress())));
    refreshStatusLine();
    tray_.update(feed_.dataFlowing());
}

void TrackerApp::showStatus() {
    if (statusOpen_) return;
    statusOpen_ = true;
    const std::wstring text = Utf8ToWide(statusText());
    showCenteredMessageBox(window_, text.c_str(), L"Marrowbell status", MB_ICONINFORMATION);
    statusOpen_ = false;
}

}  // namespace mb
