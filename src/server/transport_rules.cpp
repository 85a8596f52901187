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

}  // namespace mb
