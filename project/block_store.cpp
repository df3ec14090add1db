#include "block_store.h"

#include <algorithm>
#include <cstring>

#include "cpulink.h"

namespace vexal {

bool HasBlockMagic(const uint8_t* image) { return image[0] == 0x70 && image[1] == 0x70; }

uint16_t BlockImageNumber(const uint8_t* image) {
    return static_cast<uint16_t>((image[6] << 8) | image[7]);
}

uint32_t BlockImageLength(const uint8_t* image) {
    return (uint32_t{image[8]} << 24) | (uint32_t{image[9]} << 16) | (uint32_t{image[10]} << 8) |
           uint32_t{image[11]};
}

void BlockStore::Clear() {
    data_.fill(kEmptyFill);
    freeBytes_ = kStoreDataSize;
    writePosition_ = 0;
    blockCount_ = 0;
    std::fill(std::begin(typeCounts_), std::end(typeCounts_), 0);
    cursor_ = 0;
    index_.fill(Entry{kUnusedType, 0, 0});
}

int BlockStore::StartPosition(int type) const {
    int position = 0;
    for (int t = 0; t < type; ++t) position += typeCounts_[t];
    return position;
}

int BlockStore::FindPosition(int type, uint16_t number) const {
    if (!IsStoreBlockType(type)) return -1;
    for (int p = StartPosition(type); p < kStoreMaxBlocks && index_[p].type == type; ++p) {
        if (index_[p].number == number) return p;
    }
    return -1;
}

int BlockStore::InsertPosition(int type, uint16_t number) const {
    int p = StartPosition(type);
    while (p < kStoreMaxBlocks && index_[p].type == type && index_[p].number <= number) ++p;
    return p;
}

void BlockStore::OpenEntry(int position, int type, uint16_t number) {
    std::copy_backward(index_.begin() + position, index_.begin() + blockCount_,
                       index_.begin() + blockCount_ + 1);
    ++typeCounts_[type];
    ++blockCount_;
    index_[position] = Entry{static_cast<uint8_t>(type), number, 0};
}

void BlockStore::CompactAway(uint32_t offset, uint32_t roundedLength) {
    uint8_t* base = data_.data();
    std::memmove(base + offset, base + offset + roundedLength,
                 writePosition_ - offset - roundedLength);
    writePosition_ -= roundedLength;
    freeBytes_ += roundedLength;
    std::memset(base + writePosition_, kEmptyFill, roundedLength);
    for (int p = 0; p < blockCount_; ++p) {
        if (index_[p].offset >= offset) index_[p].offset -= roundedLength;
    }
}

bool BlockStore::Add(const uint8_t* image, size_t available) {
    if (image == nullptr || available < kBlockHeaderSize) return false;
    const int type = cpuLink_GetBlockType(image);
    if (!IsStoreBlockType(type)) return false;
    const uint16_t number = BlockImageNumber(image);
    const uint32_t length = BlockImageLength(image);
    if (length < kBlockHeaderSize || length > kMaxBlockImage || length > available) return false;
    const uint32_t need = RoundedImageLength(length);

    int position = FindPosition(type, number);
    uint32_t old = 0;
    if (position >= 0) {
        old = RoundedImageLength(BlockImageLength(ImageAt(position)));
    } else if (blockCount_ >= kStoreMaxBlocks) {
        return false;
    }
    if (uint64_t{freeBytes_} + old < need) return false;

    if (position >= 0) {
        CompactAway(index_[position].offset, old);
    } else {
        position = InsertPosition(type, number);
        OpenEntry(position, type, number);
    }
    index_[position].offset = writePosition_;
    uint8_t* target = data_.data() + writePosition_;
    std::memcpy(target, image, length);
    std::memset(target + length, kEmptyFill, need - length);
    writePosition_ += need;
    freeBytes_ -= need;
    return true;
}

bool BlockStore::Remove(int type, uint16_t number) {
    const int position = FindPosition(type, number);
    if (position < 0) return false;
    CompactAway(index_[position].offset, RoundedImageLength(BlockImageLength(ImageAt(position))));
    std::copy(index_.begin() + position + 1, index_.begin() + blockCount_,
              index_.begin() + position);
    index_[blockCount_ - 1] = Entry{kUnusedType, 0, 0};
    --typeCounts_[type];
    --blockCount_;
    return true;
}

const uint8_t* BlockStore::Find(int type, uint16_t number) const {
    const int position = FindPosition(type, number);
    return position < 0 ? nullptr : ImageAt(position);
}

bool BlockStore::EntryAtCursor(int* type, uint16_t* number) const {
    if (cursor_ >= kStoreMaxBlocks || index_[cursor_].type == kUnusedType) return false;
    if (type != nullptr) *type = index_[cursor_].type;
    if (number != nullptr) *number = index_[cursor_].number;
    return true;
}

bool BlockStore::First(int* type, uint16_t* number) {
    cursor_ = 0;
    return EntryAtCursor(type, number);
}

bool BlockStore::Next(int* type, uint16_t* number) {
    if (cursor_ < kStoreMaxBlocks) ++cursor_;
    return EntryAtCursor(type, number);
}

bool BlockStore::FirstOfType(int type, uint16_t* number) {
    if (!IsStoreBlockType(type)) return false;
    cursor_ = StartPosition(type);
    if (cursor_ >= kStoreMaxBlocks || index_[cursor_].type != type) return false;
    if (number != nullptr) *number = index_[cursor_].number;
    return true;
}

}  // namespace vexal
