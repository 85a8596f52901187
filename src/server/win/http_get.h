// The two blocking HTTPS GET transports over WinHTTP. Each call opens its own session,
// sends one request, reads the whole answer and closes every handle before it returns.
#pragma once

#include <cstdint>
#include <string>

#include "server/transport_rules.h"

namespace mb {

// Data endpoints: user agent "Vantor/1.0", 10 s timeouts, asks for gzip and inflates a gzip
// body. Returns the bytes read from the network (before inflation) with the body in body,
// or 0 with body empty on any failure; a body is cut silently after 10485760 bytes.
// Never throws.
uint64_t HttpGet(const std::string& url, std::string& body) noexcept;

// What the status probe's transport gives back: the body, or the text of what failed.
struct ProbeResponse {
    bool ok = false;
    std::string body;
    std::string error;
};

// Status probe: user agent "Vantor/1.1", 3 s timeouts, no compression, URLs up to 2048
// bytes, bodies up to 1048576 bytes, one error text per cause. Never throws.
ProbeResponse ProbeHttpGet(const std::string& url) noexcept;

// Why this thread's last HttpGet or ProbeHttpGet failed, beside the failure it returned (as
// GetLastError is beside a Win32 call's); Kind::None after a success.
TransportFailure lastTransportFailure() noexcept;

// The call both transports open their session with: WinHttpOpen's parameters in plain types
// (the result is the session handle). Replaceable so a test can see the arguments made; a
// test's opener forwards to WinHttpOpen to keep the transports working. nullptr restores
// WinHttpOpen. Set it only while no transport call is running.
using SessionOpener = void* (*)(const wchar_t* userAgent, uint32_t accessType, const wchar_t* proxyName,
                                const wchar_t* proxyBypass, uint32_t flags);
void setSessionOpener(SessionOpener opener) noexcept;

}  // namespace mb
