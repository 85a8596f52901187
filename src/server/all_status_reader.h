// The all-status body read straight into reports as the JSON parser walks it, without first
// building the document: the poller reads one twice a second, and under the system allocator
// the document's thousands of small nodes cost more than the rest of a poll. The result is
// the one the document would give, duplicate members included: the last one of a name counts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "server/api_mapping.h"

namespace mb {

enum class AllStatusShape {
    Read,        // out holds every boss whose member is an array
    NotJson,     // a syntax error anywhere; out is empty
    NoStatusMap  // valid JSON without a "channel_status" object at the root; out is empty
};

// Clears out and fills it. May throw the allocator's exceptions.
AllStatusShape readAllStatus(std::string_view body, AllStatusMap& out);

}  // namespace mb
