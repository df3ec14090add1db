// The result of a scan: up to 512 stations in the order their first answer arrived.
#pragma once

#include <cstdint>

#include "discovery_frames.h"

namespace vexal {

struct StationEntry {
    uint8_t mac[discovery::kMacSize];  // all ones when cleared
    uint8_t ip[discovery::kIpSize];    // first octet first; 0 when cleared
    uint8_t mask[discovery::kIpSize];
};

class StationTable {
public:
    static constexpr int kCapacity = 512;

    StationTable() { Clear(); }

    void Clear();
    // Adds a station with this MAC and no address; false (MAC dropped) when full.
    bool Append(const uint8_t* mac);
    // Moves every later entry up by one.
    void RemoveAt(int index);
    // Keeps the first entry of every MAC, in order.
    void RemoveDuplicateMacs();

    int32_t Count() const { return count_; }
    const StationEntry& At(int index) const { return entries_[index]; }
    StationEntry& At(int index) { return entries_[index]; }

private:
    int32_t count_ = 0;
    StationEntry entries_[kCapacity];
};

}  // namespace vexal
