// Widening text that is known to be ASCII (formatted numbers, URLs): one UTF-16 unit per
// byte, no UTF-8 decoding, which is exact for ASCII.
#pragma once

#include <string>
#include <string_view>

namespace mb {

inline std::wstring widenBytes(std::string_view bytes) {
    std::wstring wide;
    wide.reserve(bytes.size());
    for (char byte : bytes) wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(byte)));
    return wide;
}

}  // namespace mb
