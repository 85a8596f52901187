// What the tracker knows: the boss list and the latest health report per boss and channel.
// Text fields hold the server's UTF-8 bytes exactly as received.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace mb {

struct Boss {
    std::string id;            // the server's record id; never empty once stored
    std::string name;          // display name; never empty once stored
    int32_t uid = 0;           // the server's numeric boss number
    int32_t respawn_time = 0;  // 0: every full hour, 30: every full and half hour, else no countdown
    std::string type;          // "magical_creature" has no spawn countdown
};

struct ChannelStatus {
    int32_t channel_number = 0;
    int32_t last_hp = 0;              // per cent; 0 means no live boss reported
    std::string last_update;          // the server's text as received
    int64_t last_update_time = 0;     // last_update as Unix seconds; 0 when the text is empty
    double dps = 0.0;                 // health loss in per cent per second
    double etd = -1.0;                // seconds until death; only values above 0 are known
    std::string death_time_estimate;  // stored, not parsed
    bool operator==(const ChannelStatus&) const = default;
};

struct BossEntry {
    Boss boss;
    std::vector<ChannelStatus> channels;
};

// Boss id to entry, in byte-wise id order.
using BossStatusMap = std::map<std::string, BossEntry>;

// Connection state shown by the status line.
enum ConnectionState : int32_t { Disconnected = 0, Connected = 2 };

}  // namespace mb
