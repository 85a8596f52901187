// Small readers of the text values of the read-only settings sections ("Network", "Alerts").
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

}  // namespace mb
