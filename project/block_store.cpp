#include "block_store.h"

#include <algorithm>
#include <cstring>

namespace vexal {

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

// The entries of one type are sorted by number, so a lookup halves that range only. Blocks
// mostly arrive in order, so the end of the range is tried first.
BlockStore::Location BlockStore::Locate(int type, uint16_t number) const {
    const int start = StartPosition(type);
    const int end = start + typeCounts_[type];
    int behind = end;
    if (end > start && index_[end - 1].number >= number) {
        const auto found =
            std::upper_bound(index_.begin() + start, index_.begin() + end, number,
                             [](uint16_t n, const Entry& entry) { return n < entry.number; });
        behind = static_cast<int>(found - index_.begin());
    }
    const bool present = behind > start && index_[behind - 1].number == number;
    return Location{present ? behind - 1 : behind, present};
}

int BlockStore::FindPosition(int type, uint16_t number) const {
    if (!IsStoreBlockType(type)) return -1;
    const Location location = Locate(type, number);
    return location.present ? location.position : -1;
}

void BlockStore::OpenEntry(int position, int type, uint16_t number) {
    std::copy_backward(index_.begin() + position, index_.begin() + blockCount_,
                       index_.begin() + blockCount_ + 1);
    ++typeCounts_[type];
    ++blockCount_;
    index_[position] = Entry{static_cast<uint8_t>(type), number, 0};
}

// Moves everything behind the image at `offset` down over it, together with `carried`
// bytes that lie behind the write position (an image being staged there).
void BlockStore::CompactAway(uint32_t offset, uint32_t roundedLength, uint32_t carried) {
    uint8_t* base = data_.data();
    std::memmove(base + offset, base + offset + roundedLength,
                 writePosition_ + carried - offset - roundedLength);
    writePosition_ -= roundedLength;
    freeBytes_ += roundedLength;
    std::memset(base + writePosition_ + carried, kEmptyFill, roundedLength);
    for (int p = 0; p < blockCount_; ++p) {
        if (index_[p].offset >= offset) index_[p].offset -= roundedLength;
    }
}

// The checks every image passes before it is stored; the type, or -1 when refused.
int BlockStore::CheckImage(const uint8_t* image, size_t available) const {
    if (image == nullptr || available < kBlockHeaderSize) return -1;
    const int type = BlockImageType(image);
    if (!IsStoreBlockType(type)) return -1;
    const uint32_t length = BlockImageLength(image);
    if (length < kBlockHeaderSize || length > kMaxBlockImage || length > available) return -1;
    return type;
}

// Finds or opens the index entry for the image and makes room; -1 when refused. `staged`
// says the image already lies at the write position and moves along with a compaction.
int BlockStore::ClaimEntry(int type, uint16_t number, uint32_t need, bool staged) {
    const Location location = Locate(type, number);
    uint32_t old = 0;
    if (location.present) {
        old = RoundedImageLength(BlockImageLength(ImageAt(location.position)));
    } else if (blockCount_ >= kStoreMaxBlocks) {
        return -1;
    }
    if (uint64_t{freeBytes_} + old < need) return -1;
    if (location.present) {
        CompactAway(index_[location.position].offset, old, staged ? need : 0);
    } else {
        OpenEntry(location.position, type, number);
    }
    return location.position;
}

void BlockStore::CommitAt(int position, uint32_t need) {
    index_[position].offset = writePosition_;
    writePosition_ += need;
    freeBytes_ -= need;
}

bool BlockStore::Add(const uint8_t* image, size_t available) {
    const int type = CheckImage(image, available);
    if (type < 0) return false;
    const uint32_t length = BlockImageLength(image);
    const uint32_t need = RoundedImageLength(length);
    const int position = ClaimEntry(type, BlockImageNumber(image), need, false);
    if (position < 0) return false;
    uint8_t* target = data_.data() + writePosition_;
    std::memcpy(target, image, length);
    std::memset(target + length, kEmptyFill, need - length);
    CommitAt(position, need);
    return true;
}

uint8_t* BlockStore::BeginStagedAdd(uint32_t length) {
    if (length > kMaxBlockImage || RoundedImageLength(length) > freeBytes_) return nullptr;
    return data_.data() + writePosition_;
}

void BlockStore::AbortStagedAdd(uint32_t length) {
    std::memset(data_.data() + writePosition_, kEmptyFill, length);
}

bool BlockStore::CommitStagedAdd(uint32_t length) {
    const uint8_t* image = data_.data() + writePosition_;
    const int type = CheckImage(image, length);
    const uint32_t need = RoundedImageLength(length);
    const int position = type < 0 || BlockImageLength(image) != length
                             ? -1
                             : ClaimEntry(type, BlockImageNumber(image), need, true);
    if (position < 0) {
        AbortStagedAdd(length);
        return false;
    }
    CommitAt(position, need);
    return true;
}

bool BlockStore::Remove(int type, uint16_t number) {
    const int position = FindPosition(type, number);
    if (position < 0) return false;
    CompactAway(index_[position].offset, RoundedImageLength(BlockImageLength(ImageAt(position))),
                0);
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
