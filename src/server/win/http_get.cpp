#include "server/win/http_get.h"

#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <atomic>
#include <exception>
#include <string_view>

#include "core/win/unique_handle.h"
#include "server/body_reader.h"
#include "server/transport_rules.h"
#include "core/win/utf8.h"

namespace mb {
namespace {

// The URL as WinHttpCrackUrl splits it into the call's fixed buffers. No extra-information
// buffer is asked for, so the query stays part of the path that is sent.
struct UrlParts {
    wchar_t host[kHostNameUnits] = {};
    wchar_t path[kUrlPathUnits] = {};
    DWORD hostLength = 0;
    DWORD pathLength = 0;
    INTERNET_PORT port = 0;
    INTERNET_SCHEME scheme = 0;
};

bool crackUrl(const std::wstring& url, UrlParts& parts) {
    URL_COMPONENTS components{};
    components.dwStructSize = sizeof components;
    components.lpszHostName = parts.host;
    components.dwHostNameLength = static_cast<DWORD>(kHostNameUnits);
    components.lpszUrlPath = parts.path;
    components.dwUrlPathLength = static_cast<DWORD>(kUrlPathUnits);
    if (!::WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &components)) return false;
    parts.hostLength = components.dwHostNameLength;
    parts.pathLength = components.dwUrlPathLength;
    parts.port = components.nPort;
    parts.scheme = components.nScheme;
    return true;
}

#ifndef WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY
#define WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY 4
#endif
static_assert(kSessionAccessType == WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY);
static_assert(kOlderSessionAccessType == WINHTTP_ACCESS_TYPE_DEFAULT_PROXY);

void* winHttpOpen(const wchar_t* userAgent, uint32_t accessType, const wchar_t* proxyName, const wchar_t* proxyBypass,
                  uint32_t flags) {
    return ::WinHttpOpen(userAgent, accessType, proxyName, proxyBypass, flags);
}

// Written by tests between calls, read by the loader and poller threads at the same time.
std::atomic<SessionOpener> gSessionOpener{&winHttpOpen};

HINTERNET openSession(const wchar_t* userAgent, uint32_t timeoutMs) {
    const SessionOpener open = gSessionOpener.load();
    HINTERNET session = open(userAgent, kSessionAccessType, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
    // Before Windows 8.1 the automatic type does not exist and the call fails: those systems
    // get the default proxy, as they always did.
    if (!session) {
        session = open(userAgent, kOlderSessionAccessType, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
    }
    if (session) {
        const int t = static_cast<int>(timeoutMs);
        ::WinHttpSetTimeouts(session, t, t, t, t);  // a failure keeps WinHTTP's defaults
        // The wait for the response headers has a timeout of its own (90 s on Windows, none
        // under Wine); without this a server that accepts and never answers holds the call
        // far beyond the receive timeout.
        DWORD headersTimeout = timeoutMs;
        ::WinHttpSetOption(session, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &headersTimeout, sizeof headersTimeout);
    }
    return session;
}

HINTERNET openRequest(HINTERNET connection, const UrlParts& parts) {
    const DWORD flags = parts.scheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0;
    return ::WinHttpOpenRequest(connection, L"GET", parts.path, nullptr, WINHTTP_NO_REFERER,
                                WINHTTP_DEFAULT_ACCEPT_TYPES, flags);
}

bool sendRequest(HINTERNET request) {
    return ::WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) != FALSE;
}

bool queryStatus(HINTERNET request, DWORD& status) {
    DWORD size = sizeof status;
    return ::WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                                 WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX) != FALSE;
}

// A missing header, or a value of 64 units or more that does not fit, means no gzip.
bool responseIsGzip(HINTERNET request) {
    wchar_t value[kContentEncodingUnits] = {};
    DWORD size = sizeof value;
    if (!::WinHttpQueryHeaders(request, WINHTTP_QUERY_CONTENT_ENCODING, WINHTTP_HEADER_NAME_BY_INDEX, value, &size,
                               WINHTTP_NO_HEADER_INDEX)) {
        return false;
    }
    const std::size_t units = std::min<std::size_t>(size / sizeof(wchar_t), kContentEncodingUnits);
    return contentEncodingIsGzip(std::wstring_view(value, units));
}

// Why this thread's last transport call failed (lastTransportFailure).
thread_local TransportFailure tLastFailure;

// The failure of the WinHTTP call just made, read before any handle owner closes its handle.
TransportFailure callError() { return {TransportFailure::Kind::CallError, static_cast<uint32_t>(::GetLastError())}; }

uint64_t dataFailed(TransportFailure failure) {
    tLastFailure = failure;
    return 0;
}

class WinHttpBody final : public BodySource {
public:
    explicit WinHttpBody(HINTERNET request) : request_(request) {}
    bool queryAvailable(uint32_t& count) override {
        DWORD available = 0;
        if (!::WinHttpQueryDataAvailable(request_, &available)) return false;
        count = available;
        return true;
    }
    bool read(void* buffer, uint32_t count, uint32_t& got) override {
        DWORD read = 0;
        const bool ok = ::WinHttpReadData(request_, buffer, count, &read) != FALSE;
        got = read;
        return ok;
    }

private:
    HINTERNET request_;
};

uint64_t httpGet(const std::string& url, std::string& body) {
    UrlParts parts;
    if (!crackUrl(Utf8ToWide(url), parts)) return dataFailed(callError());
    // Declared in this order, the owners close request, connection, then session.
    UniqueInternet session(openSession(kDataUserAgent, kDataTimeoutMs));
    if (!session) return dataFailed(callError());
    UniqueInternet connection(::WinHttpConnect(session.get(), parts.host, parts.port, 0));
    if (!connection) return dataFailed(callError());
    UniqueInternet request(openRequest(connection.get(), parts));
    if (!request) return dataFailed(callError());
    ::WinHttpAddRequestHeaders(request.get(), kAcceptGzipHeader, static_cast<DWORD>(-1L), WINHTTP_ADDREQ_FLAG_ADD);
    if (!sendRequest(request.get()) || !::WinHttpReceiveResponse(request.get(), nullptr)) {
        return dataFailed(callError());
    }

    DWORD status = 0;
    queryStatus(request.get(), status);  // a failed query leaves 0, which is not 200
    const bool gzip = responseIsGzip(request.get());
    if (status != 200) return dataFailed({TransportFailure::Kind::HttpStatus, status});

    WinHttpBody source(request.get());
    const uint64_t total = readDataBody(source, body);
    const uint64_t result = finishDataBody(body, total, gzip);
    return result != 0 ? result : dataFailed({TransportFailure::Kind::Body, 0});
}

ProbeResponse fail(const char* text, TransportFailure failure = {}) {
    tLastFailure = failure;
    ProbeResponse response;
    response.error = text;
    return response;
}

ProbeResponse probeHttpGet(const std::string& url) {
    if (probeUrlTooLong(url)) return fail(probe_text::kUrlTooLong);
    std::wstring wideUrl;
    try {
        wideUrl = widenBytes(url);
    } catch (const std::exception& e) {
        return fail((std::string(probe_text::kConversionFailedPrefix) + e.what()).c_str());
    } catch (...) {
        return fail(probe_text::kConversionUnknown);
    }
    UrlParts parts;
    if (!crackUrl(wideUrl, parts)) return fail(probe_text::kParseUrlFailed, callError());
    if (parts.hostLength == 0 || parts.pathLength == 0) return fail(probe_text::kInvalidUrlComponents);

    UniqueInternet session(openSession(kProbeUserAgent, kProbeTimeoutMs));
    if (!session) return fail(probe_text::kOpenSessionFailed, callError());
    UniqueInternet connection(::WinHttpConnect(session.get(), parts.host, parts.port, 0));
    if (!connection) return fail(probe_text::kConnectFailed, callError());
    UniqueInternet request(openRequest(connection.get(), parts));
    if (!request) return fail(probe_text::kOpenRequestFailed, callError());
    if (!sendRequest(request.get())) return fail(probe_text::kSendFailed, callError());
    if (!::WinHttpReceiveResponse(request.get(), nullptr)) return fail(probe_text::kReceiveFailed, callError());

    DWORD status = 0;
    if (queryStatus(request.get(), status) && status != 200) {
        return fail(probeStatusErrorText(static_cast<uint32_t>(status)).c_str(),
                    {TransportFailure::Kind::HttpStatus, status});
    }
    ProbeResponse response;
    WinHttpBody source(request.get());
    if (!readProbeBody(source, response.body, response.error)) {
        tLastFailure = {TransportFailure::Kind::Body, 0};
        std::string().swap(response.body);
        return response;
    }
    if (response.body.empty()) return fail(probe_text::kEmptyBody, {TransportFailure::Kind::Body, 0});
    response.ok = true;
    return response;
}

}  // namespace

void setSessionOpener(SessionOpener opener) noexcept { gSessionOpener.store(opener ? opener : &winHttpOpen); }

TransportFailure lastTransportFailure() noexcept { return tLastFailure; }

uint64_t HttpGet(const std::string& url, std::string& body) noexcept {
    body.clear();
    tLastFailure = {};
    try {
        const uint64_t total = httpGet(url, body);
        if (total == 0) std::string().swap(body);
        return total;
    } catch (...) {  // memory ran out; the handles are already closed by their owners
        std::string().swap(body);
        return 0;
    }
}

ProbeResponse ProbeHttpGet(const std::string& url) noexcept {
    tLastFailure = {};
    try {
        return probeHttpGet(url);
    } catch (...) {  // only the allocator can throw here
        ProbeResponse response;
        try {
            response.error = probe_text::kOutOfMemory;
        } catch (...) {}
        return response;
    }
}

}  // namespace mb
