// One NTP server to ask: a host name or IPv4 address and the UDP service (port) as text.
#pragma once

#include <string>

namespace mb {

// The NTP service (UDP port), where a server names none.
inline constexpr char kNtpService[] = "123";

struct NtpServer {
    std::string host;
    std::string service;  // kNtpService for NTP
    bool operator==(const NtpServer&) const = default;
};

}  // namespace mb
