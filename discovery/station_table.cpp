#include "station_table.h"

#include <cstring>

namespace vexal {
namespace {

void ClearEntry(StationEntry* entry) {
    std::memset(entry->mac, 0xFF, sizeof entry->mac);
    std::memset(entry->ip, 0, sizeof entry->ip);
    std::memset(entry->mask, 0, sizeof entry->mask);
}

}  // namespace

void StationTable::Clear() {
    count_ = 0;
    for (StationEntry& entry : entries_) ClearEntry(&entry);
}

bool StationTable::Append(const uint8_t* mac) {
    if (count_ >= kCapacity) return false;
    StationEntry& entry = entries_[count_++];
    ClearEntry(&entry);
    std::memcpy(entry.mac, mac, sizeof entry.mac);
    return true;
}

void StationTable::RemoveAt(int index) {
    if (index < 0 || index >= count_) return;
    std::memmove(&entries_[index], &entries_[index + 1],
                 sizeof(StationEntry) * static_cast<size_t>(count_ - index - 1));
    ClearEntry(&entries_[--count_]);
}

void StationTable::RemoveDuplicateMacs() {
    int kept = 0;
    for (int i = 0; i < count_; ++i) {
        bool seen = false;
        for (int j = 0; j < kept && !seen; ++j) {
            seen = discovery::SameMac(entries_[j].mac, entries_[i].mac);
        }
        if (!seen) entries_[kept++] = entries_[i];
    }
    for (int i = kept; i < count_; ++i) ClearEntry(&entries_[i]);
    count_ = kept;
}

}  // namespace vexal
