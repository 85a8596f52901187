#include "server/transport_rules.h"

#include <cwctype>

#include "server/gzip_decode.h"

namespace mb {

bool contentEncodingIsGzip(std::wstring_view value) {
    std::wstring lower(value);
    for (wchar_t& unit : lower) unit = static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(unit)));
    return lower.find(L"gzip") != std::wstring::npos;
}

bool probeUrlTooLong(std::string_view url) { return url.size() > kMaxProbeUrlBytes; }

std::string probeStatusErrorText(uint32_t status) { return probe_text::kStatusPrefix + std::to_string(status); }

uint64_t finishDataBody(std::string& body, uint64_t bytesRead, bool gzip) noexcept {
    if (bytesRead == 0) {
        body.clear();
        return 0;
    }
    if (!gzip) return bytesRead;
    std::string inflated;
    if (!inflateGzipBody(body, inflated)) {
        std::string().swap(body);
        return 0;
    }
    body.swap(inflated);
    return bytesRead;
}

namespace {

// The WinHTTP errors a player meets, in words (winhttp.h's ERROR_WINHTTP_*).
struct CallErrorName {
    uint32_t code;
    const char* text;
};
constexpr CallErrorName kCallErrorNames[] = {
    {12002, "timed out"},
    {12004, "WinHTTP failed inside"},
    {12005, "the address is not valid"},
    {12006, "the address does not start with http:// or https://"},
    {12007, "the server name could not be resolved"},
    {12015, "the login failed"},
    {12017, "cancelled"},
    {12029, "cannot connect"},
    {12030, "the connection was broken off"},
    {12037, "the server's certificate has expired or is not yet valid"},
    {12038, "the server's certificate is for another name"},
    {12044, "the server asks for a client certificate"},
    {12045, "the server's certificate comes from an authority this PC does not trust"},
    {12057, "the server's certificate could not be checked for revocation"},
    {12152, "the server's answer is not HTTP"},
    {12156, "a redirect failed"},
    {12157, "the secure connection failed"},
    {12166, "the proxy script has an error"},
    {12167, "the proxy script could not be downloaded"},
    {12169, "the server's certificate is invalid"},
    {12170, "the server's certificate was revoked"},
    {12175, "the server's certificate was refused"},
    {12178, "the proxy could not be found"},
    {12180, "no proxy could be detected"},
    // Wine's WinHTTP passes some socket errors on where Windows gives its own.
    {10054, "the connection was broken off"},
    {10060, "timed out"},
    {10061, "cannot connect"},
};

}  // namespace

std::string transportFailureText(const TransportFailure& failure) {
    const std::string number = std::to_string(failure.code);
    switch (failure.kind) {
    case TransportFailure::Kind::None:
        return {};
    case TransportFailure::Kind::HttpStatus:
        return "HTTP " + number;
    case TransportFailure::Kind::Body:
        return "the answer was empty or could not be decoded";
    case TransportFailure::Kind::CallError:
        for (const CallErrorName& name : kCallErrorNames) {
            if (name.code == failure.code) return std::string(name.text) + " (" + number + ")";
        }
        return "error " + number;
    }
    return {};
}

}  // namespace mb
