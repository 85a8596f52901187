// One NTP server to ask: a host name or IPv4 address and the UDP service (port) as text.
#pragma once

#include <string>

namespace mb {

struct NtpServer {
    std::string host;
    std::string service;  // "123" for NTP
    bool operator==(const NtpServer&) const = default;
};

}  // namespace mb
