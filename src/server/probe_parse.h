// The status probe's reading of "/api/status": the age of the server's cache in seconds.
#pragma once

#include <string>
#include <string_view>

namespace mb {

inline constexpr char kStatusPath[] = "/api/status";
inline constexpr double kUnknownCacheAge = -1.0;
inline constexpr double kMaxCacheAgeSeconds = 86400.0;
inline constexpr char kProbeNoBaseUrl[] = "Base URL not initialized";

// Returns statistics.cache_age (0 to 86400 inclusive, unchanged), or -1.0 with the text that
// names what is wrong in error. Member names are compared byte for byte. Never throws.
double parseCacheAge(std::string_view body, std::string& error) noexcept;

}  // namespace mb
