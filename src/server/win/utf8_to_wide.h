// UTF-8 text from the server and the settings, widened to UTF-16 where it meets Windows.
#pragma once

#include <string>
#include <string_view>

namespace mb {

// MultiByteToWideChar with CP_UTF8 and flags 0: malformed bytes become replacement
// characters rather than an error. Empty input, or input Windows cannot take, gives "".
std::wstring Utf8ToWide(std::string_view text);

}  // namespace mb
