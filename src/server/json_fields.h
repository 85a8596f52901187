// Reading single members of the server's JSON objects: a member that is missing, null or of
// another type leaves the record's default in place.
#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

namespace mb {

// A JSON number as signed 32 bits: a fraction is cut off toward zero and values beyond the
// range saturate at its ends (the conversion must never overflow).
int32_t jsonNumberToInt32(const nlohmann::json& value);
// The same for each kind of number the parser gives.
int32_t int32FromInteger(int64_t value);
int32_t int32FromUnsigned(uint64_t value);
int32_t int32FromFloat(double value);

void readInt32(const nlohmann::json& object, const char* key, int32_t& target);
void readString(const nlohmann::json& object, const char* key, std::string& target);

// Parses in the non-throwing mode: no comments, no trailing commas; a syntax error gives the
// discarded value.
nlohmann::json parseJsonBody(std::string_view body);

}  // namespace mb
