#include "mac_queue.h"

#include <cstring>

namespace vexal {
namespace {

int Advanced(int index) {
    return (index + 1) % MacQueue::kSlots;
}

}  // namespace

void MacQueue::Push(const uint8_t* mac) {
    std::lock_guard<std::mutex> guard(lock_);
    if (Advanced(writeIndex_) == readIndex_) return;
    std::memcpy(slots_[writeIndex_], mac, discovery::kMacSize);
    writeIndex_ = Advanced(writeIndex_);
}

bool MacQueue::Pop(uint8_t* mac) {
    std::lock_guard<std::mutex> guard(lock_);
    if (readIndex_ == writeIndex_) return false;
    std::memcpy(mac, slots_[readIndex_], discovery::kMacSize);
    readIndex_ = Advanced(readIndex_);
    return true;
}

void MacQueue::Reset() {
    std::lock_guard<std::mutex> guard(lock_);
    writeIndex_ = 0;
    readIndex_ = 0;
}

}  // namespace vexal
