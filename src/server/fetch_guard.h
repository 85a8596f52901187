// Turns whatever a fetch or the probe might throw (the JSON library's exceptions, the
// allocator's, anything else) into the operation's error text and a failed result.
#pragma once

#include <exception>
#include <string>

#include <nlohmann/json.hpp>

namespace mb {

struct GuardTexts {
    const char* parseError;  // prefix for nlohmann::json::parse_error
    const char* typeError;   // prefix for nlohmann::json::type_error
    const char* outOfRange;  // prefix for nlohmann::json::out_of_range; null: counts as other
    const char* otherError;  // prefix for any other standard exception
    const char* unknown;     // text for a throw that is not a standard exception
};

namespace guard_texts {
inline constexpr GuardTexts kBosses{"JSON parse error: ", "JSON type error: ", nullptr,
                                    "Unexpected error: ", "Unknown error during boss fetch"};
inline constexpr GuardTexts kAllStatus{"JSON parse error: ", "JSON type error: ", nullptr,
                                       "Unexpected error: ", "Unknown error during all status fetch"};
inline constexpr GuardTexts kChannelStatus{"JSON parse error in channel status: ",
                                           "JSON type error in channel status: ", nullptr,
                                           "Unexpected error in channel status: ",
                                           "Unknown error during channel status fetch"};
inline constexpr GuardTexts kProbe{"JSON parse error: ", "JSON type error: ", "JSON out of range: ",
                                   "Unexpected error: ", "Unknown exception during JSON parsing"};
}  // namespace guard_texts

namespace detail {
// Building the text can itself run out of memory; the error is then left empty.
inline void setGuardText(std::string& error, const char* prefix, const char* what) noexcept {
    try {
        error = prefix;
        if (what) error += what;
    } catch (...) {
        error.clear();
    }
}
}  // namespace detail

// Runs body (returning bool) and returns its result; a throw gives false and its text.
template <typename Body>
bool runGuarded(const GuardTexts& texts, std::string& error, Body&& body) noexcept {
    try {
        return body();
    } catch (const nlohmann::json::parse_error& e) {
        detail::setGuardText(error, texts.parseError, e.what());
    } catch (const nlohmann::json::type_error& e) {
        detail::setGuardText(error, texts.typeError, e.what());
    } catch (const nlohmann::json::out_of_range& e) {
        detail::setGuardText(error, texts.outOfRange ? texts.outOfRange : texts.otherError, e.what());
    } catch (const std::exception& e) {
        detail::setGuardText(error, texts.otherError, e.what());
    } catch (...) {
        detail::setGuardText(error, texts.unknown, nullptr);
    }
    return false;
}

}  // namespace mb
