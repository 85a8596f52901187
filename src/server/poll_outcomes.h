// The connection the window is told of, decided from the all-status polls alone: Connected from
// the initial load on while the polls made with the address given then succeed, Disconnected
// from the first that fails until the next that succeeds, and Disconnected once stopped.
#pragma once

#include <cstdint>

#include "core/tracker_records.h"

namespace mb {

struct PollOutcomes {
    uint64_t generation = 0;        // counts the addresses given; a poll made with an older one is not counted
    bool told = false;              // the window is told, from the initial load until the stop
    bool lastPollSucceeded = true;  // of the polls with the address in use
};

constexpr ConnectionState connectionState(const PollOutcomes& outcomes) {
    return outcomes.told && outcomes.lastPollSucceeded ? Connected : Disconnected;
}

}  // namespace mb
