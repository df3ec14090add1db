// The station MACs that the worker hands to the scanning thread: a ring of 64 slots under
// its own lock. One slot always stays free, so at most 63 MACs wait; a MAC pushed onto a
// full queue is dropped.
#pragma once

#include <cstdint>
#include <mutex>

#include "discovery_frames.h"

namespace vexal {

class MacQueue {
public:
    static constexpr int kSlots = 64;

    void Push(const uint8_t* mac);
    // Copies the oldest MAC into `mac` and removes it; false when the queue is empty.
    bool Pop(uint8_t* mac);
    void Reset();

private:
    std::mutex lock_;
    int writeIndex_ = 0;
    int readIndex_ = 0;
    uint8_t slots_[kSlots][discovery::kMacSize] = {};
};

}  // namespace vexal
