// The "Network" section of the settings file: where the tracker server and the NTP servers
// are. Only read, never written; a value that does not pass these checks is ignored and the
// compiled-in default stays in force.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "build_defaults.h"
#include "clock/ntp_server.h"

namespace mb {

// This repository's tracker address: a name that never resolves, there to be replaced, in the
// settings file or by a build of a community's own (MB_TRACKER_URL).
inline constexpr std::string_view kPlaceholderTrackerUrl = "https://tracker.marrowbell.example";
// Tracker base URL used when the settings file names none (or an unusable one).
inline constexpr std::string_view kDefaultTrackerUrl = kBuiltInTrackerUrl;

// Where the tracker address in use came from, for what the empty channel list says.
enum class TrackerAddress { Usable, Placeholder, Invalid };

// "Unknown" while the address can work; otherwise what to do about it, which a click on the list
// does: "Click here to set your tracker" for the placeholder, "Tracker address invalid: click
// here to fix it" for a TrackerUrl the file holds but that is unusable.
std::wstring_view emptyListText(TrackerAddress address);

inline constexpr std::size_t kMaxNtpServers = 4;

// An absolute http or https URL without query or fragment, trailing slashes removed and the
// scheme in lower case; for anything else, the one line that says what to change.
struct TrackerUrlCheck {
    std::optional<std::string> url;
    std::string problem;  // empty when url has a value
};
TrackerUrlCheck checkTrackerUrl(std::string_view text);
inline std::optional<std::string> parseTrackerUrl(std::string_view text) { return checkTrackerUrl(text).url; }

// One to four comma-separated "host" or "host:port" entries (blanks around entries allowed),
// port 1 to 65535, "123" when absent. One bad entry makes the whole value unusable.
std::optional<std::vector<NtpServer>> parseNtpServers(std::string_view text);

}  // namespace mb
