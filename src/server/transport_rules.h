// The fixed values and the decisions of the two HTTP transports, kept apart from WinHTTP so
// that both builds share them: limits, request identity, timeouts and the probe's texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/widen_bytes.h"  // the probe's URL widening (the URL is ASCII)

namespace mb {

// Proxy choice of both sessions: WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY (Windows 8.1 and later).
// It follows the user's Internet settings, including an auto-configuration script, and goes
// direct when there are none; the default-proxy type reads only the machine-wide WinHTTP
// proxy (netsh winhttp), so behind a school, office or hotel proxy every fetch failed.
inline constexpr uint32_t kSessionAccessType = 4;
// Where the system refuses that type (before Windows 8.1): WINHTTP_ACCESS_TYPE_DEFAULT_PROXY.
inline constexpr uint32_t kOlderSessionAccessType = 0;

// Data endpoints (HttpGet).
inline constexpr wchar_t kDataUserAgent[] = L"Vantor/1.0";
inline constexpr wchar_t kAcceptGzipHeader[] = L"Accept-Encoding: gzip\r\n";
inline constexpr uint32_t kDataTimeoutMs = 10000;
inline constexpr uint64_t kMaxDataBodyBytes = 10485760;  // reading stops silently here

// Status probe (ProbeHttpGet).
inline constexpr wchar_t kProbeUserAgent[] = L"Vantor/1.1";
inline constexpr uint32_t kProbeTimeoutMs = 3000;
inline constexpr uint64_t kMaxProbeBodyBytes = 1048576;  // a larger body fails the probe
inline constexpr std::size_t kMaxProbeUrlBytes = 2048;
inline constexpr std::size_t kProbeReadBufferBytes = 8192;
inline constexpr std::size_t kProbeBodyReserveBytes = 4096;

// Buffers of the URL split, in UTF-16 units including the terminator.
inline constexpr std::size_t kHostNameUnits = 256;
inline constexpr std::size_t kUrlPathUnits = 2048;
// Buffer of the Content-Encoding query: 128 bytes.
inline constexpr std::size_t kContentEncodingUnits = 64;

namespace probe_text {
inline constexpr char kUrlTooLong[] = "URL too long";
inline constexpr char kConversionFailedPrefix[] = "String conversion failed: ";
inline constexpr char kConversionUnknown[] = "Unknown error during string conversion";
inline constexpr char kParseUrlFailed[] = "Failed to parse URL";
inline constexpr char kInvalidUrlComponents[] = "Invalid URL components";
inline constexpr char kOpenSessionFailed[] = "Failed to open WinHTTP session";
inline constexpr char kConnectFailed[] = "Failed to connect to host";
inline constexpr char kOpenRequestFailed[] = "Failed to create HTTP request";
inline constexpr char kSendFailed[] = "Failed to send HTTP request";
inline constexpr char kReceiveFailed[] = "Failed to receive HTTP response";
inline constexpr char kStatusPrefix[] = "HTTP error: status code ";
inline constexpr char kTooLarge[] = "Response too large (> 1MB)";
inline constexpr char kOutOfMemory[] = "Out of memory while reading response";
inline constexpr char kAppendFailedPrefix[] = "Error appending data: ";
inline constexpr char kEmptyBody[] = "Empty response from server";
}  // namespace probe_text

// Why a transport call failed, kept beside its one way of failing (0 bytes, or no body): the
// status of an answer other than 200, the WinHTTP (or system) error of the call that failed, or
// a body that was empty or could not be decoded.
struct TransportFailure {
    enum class Kind { None, HttpStatus, CallError, Body };
    Kind kind = Kind::None;
    uint32_t code = 0;
    bool operator==(const TransportFailure&) const = default;
};

// "HTTP 404"; a WinHTTP error by name and number ("the server name could not be resolved
// (12007)", "cannot connect (12029)", "the server's certificate was refused (12175)", "timed
// out (12002)" and the rest), "error N" for any other; "" when nothing failed.
std::string transportFailureText(const TransportFailure& failure);

// True when a Content-Encoding value names gzip anywhere, compared without case
// ("GZIP", "x-gzip", "gzip, br"); "deflate" and the rest are passed on undecoded.
bool contentEncodingIsGzip(std::wstring_view value);

// The probe refuses URLs longer than 2048 bytes before anything else.
bool probeUrlTooLong(std::string_view url);

// "HTTP error: status code " followed by the status in unsigned decimal.
std::string probeStatusErrorText(uint32_t status);

// Last step of HttpGet once the body is read: a plain body is handed on with its byte count;
// a gzip body is replaced by its inflation, or emptied with a result of 0 when that fails.
// An empty body is a failure too (0).
uint64_t finishDataBody(std::string& body, uint64_t bytesRead, bool gzip) noexcept;

}  // namespace mb
