// Text between the program's UTF-8 (the server's answers, the boss id in the settings) and
// Windows' UTF-16, converted where the two meet.
#pragma once

#include <string>
#include <string_view>

namespace mb {

// MultiByteToWideChar with CP_UTF8 and flags 0: malformed bytes become replacement
// characters rather than an error. Empty input, or input Windows cannot take, gives "".
std::wstring Utf8ToWide(std::string_view text);

// WideCharToMultiByte with CP_UTF8 and flags 0: a lone surrogate becomes a replacement
// character. Empty input, or input Windows cannot take, gives "".
std::string wideToUtf8(std::wstring_view text);

}  // namespace mb
