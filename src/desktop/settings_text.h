// Small rules for the text values of the settings file: readers of the read-only sections
// ("Network", "Alerts") and what a value written through the profile functions may hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace mb {

// Without the spaces and tabs around it.
inline std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// Decimal digits only, 1 to maxDigits of them (at most 9, which cannot overflow); nothing for
// anything else, a sign included.
inline std::optional<int32_t> parseDigits(std::string_view text, size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits || maxDigits > 9) return std::nullopt;
    int32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// A value the profile functions may write: no C0 control character and no DEL. A line break
// in a value would end its line, and the rest would be read back as sections and keys of the
// writer's choosing; a NUL would cut it. Every other byte, UTF-8 included, is fine.
constexpr bool isWritableProfileValue(std::string_view text) {
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) return false;
    }
    return true;
}

}  // namespace mb
