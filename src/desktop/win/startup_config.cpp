#include "desktop/win/startup_config.h"

#include <windows.h>

#include <optional>
#include <utility>

#include "core/win/utf8.h"

namespace mb {
namespace {

constexpr const wchar_t* kNetwork = L"Network";
constexpr const wchar_t* kAlerts = L"Alerts";

// A value of the section as ASCII, or nothing when it is absent, was cut off by the buffer or
// holds characters no host name or URL may contain.
std::optional<std::string> readAscii(const wchar_t* section, const wchar_t* key, const std::wstring& path) {
    constexpr DWORD kUnits = 2048;
    std::wstring buffer(kUnits, L'\0');
    DWORD length = ::GetPrivateProfileStringW(section, key, L"", buffer.data(), kUnits, path.c_str());
    if (length == 0 || length >= kUnits - 1) return std::nullopt;
    std::string text;
    text.reserve(length);
    for (DWORD i = 0; i < length; ++i) {
        wchar_t c = buffer[i];
        if (c < 0x20 || c > 0x7E) return std::nullopt;
        text.push_back(static_cast<char>(c));
    }
    return text;
}

}  // namespace

StartupConfig StartupConfig::read(const std::wstring& path) {
    StartupConfig config;
    const std::optional<std::string> urlText = readAscii(kNetwork, L"TrackerUrl", path);
    std::optional<std::string> url = urlText ? parseTrackerUrl(*urlText) : std::nullopt;
    config.trackerUrlFromFile = url.has_value();
    if (url) config.trackerUrl = std::move(*url);
    // A value the file holds but that cannot be used is said so, rather than replaced silently.
    wchar_t first[2] = {};
    config.trackerUrlInvalid = !url &&
                               ::GetPrivateProfileStringW(kNetwork, L"TrackerUrl", L"", first, 2, path.c_str()) > 0;
    if (auto text = readAscii(kNetwork, L"NtpServers", path)) {
        if (auto servers = parseNtpServers(*text)) config.ntpServers = std::move(*servers);
    }
    // An absent or unreadable value parses as empty text: the threshold off, the sound on.
    const auto text = [&](const wchar_t* key) { return readAscii(kAlerts, key, path).value_or(""); };
    config.alerts.spawnLeadSeconds = parseAlertThreshold(text(L"SpawnLeadSeconds"), kMinSpawnLead, kMaxSpawnLead);
    config.alerts.healthBelowPercent = parseAlertThreshold(text(L"HealthBelowPercent"), kMinHealthBelow,
                                                           kMaxHealthBelow);
    config.alerts.clockWarnSeconds = parseAlertThreshold(text(L"ClockWarnSeconds"), kMinClockWarn, kMaxClockWarn);
    config.alerts.sound = parseAlertSound(text(L"Sound"));
    config.highDpi = ::GetPrivateProfileIntW(L"Window", L"HighDpi", 0, path.c_str()) == 1;
    return config;
}

TrackerAddress StartupConfig::trackerAddress() const {
    if (trackerUrlInvalid) return TrackerAddress::Invalid;
    return trackerUrl == kPlaceholderTrackerUrl ? TrackerAddress::Placeholder : TrackerAddress::Usable;
}

bool StartupConfig::saveTrackerUrl(SettingsStore& store, const std::string& url) {
    trackerUrl = url.empty() ? std::string(kDefaultTrackerUrl) : url;
    trackerUrlFromFile = !url.empty();
    trackerUrlInvalid = false;
    const std::wstring value = Utf8ToWide(url);
    return store.write([&](const std::wstring& path) {
        return ::WritePrivateProfileStringW(kNetwork, L"TrackerUrl", url.empty() ? nullptr : value.c_str(),
                                            path.c_str()) != FALSE;
    });
}

}  // namespace mb
