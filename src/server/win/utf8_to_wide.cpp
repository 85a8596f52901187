#include "server/win/utf8_to_wide.h"

#include <windows.h>

#include <climits>

namespace mb {

std::wstring Utf8ToWide(std::string_view text) {
    if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX)) return {};
    const int bytes = static_cast<int>(text.size());
    const int units = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), bytes, nullptr, 0);
    if (units <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    const int written = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), bytes, wide.data(), units);
    if (written <= 0) return {};
    wide.resize(static_cast<std::size_t>(written));
    return wide;
}

}  // namespace mb
