// The block store: up to 4096 block images in one fixed 4 MiB data area, indexed by
// type and number. It never allocates; one store is a single object of a little over
// 4 MiB, so keep it in static storage or on the heap, never on the stack.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "block_image.h"

namespace vexal {

inline constexpr uint32_t kStoreDataSize = 4194304;
inline constexpr int kStoreMaxBlocks = 4096;
// Bytes of the data area that hold no image.
inline constexpr uint8_t kEmptyFill = 0xEE;

// An image occupies its length rounded up to a multiple of 4 in the data area.
constexpr uint32_t RoundedImageLength(uint32_t length) {
    return (length + 3u) & ~3u;
}
// The store's block types are 0 (OB) to 4 (SDB).
constexpr bool IsStoreBlockType(int type) {
    return type >= 0 && type < BLOCK_TYPE_COUNT;
}

class BlockStore {
public:
    struct Entry {
        uint8_t type;  // 0xFF: unused
        uint16_t number;
        uint32_t offset;  // of the image in the data area
    };
    static constexpr uint8_t kUnusedType = 0xFF;

    BlockStore() { Clear(); }
    BlockStore(const BlockStore&) = delete;
    BlockStore& operator=(const BlockStore&) = delete;

    void Clear();

    // Stores a copy of the image, replacing a stored block of the same type and number.
    // `available` is how many bytes `image` holds; exactly the image's length is read.
    // Refused, with the store unchanged: a type outside 0 to 4, a length field below 36,
    // above 133120 or above `available`, a 4097th block, or too little room.
    bool Add(const uint8_t* image, size_t available);

    // Adding in two steps lets a reader put an image straight into the data area. Begin
    // gives the free space behind the last image when `length` bytes fit there (else
    // nullptr); the caller writes the image there and then commits it, which checks and
    // stores it as Add does, or aborts. Nothing else may happen to the store in between.
    uint8_t* BeginStagedAdd(uint32_t length);
    bool CommitStagedAdd(uint32_t length);
    void AbortStagedAdd(uint32_t length);

    // Removes a block; false when it is not stored.
    bool Remove(int type, uint16_t number);

    // The stored image, or nullptr.
    const uint8_t* Find(int type, uint16_t number) const;

    // Walk in store order. Each gives the type and number of the block it lands on and
    // returns false at the end. FirstOfType returns false when no block of that type is
    // stored; Next then walks on into the following types.
    bool First(int* type, uint16_t* number);
    bool Next(int* type, uint16_t* number);
    bool FirstOfType(int type, uint16_t* number);

    int BlockCount() const { return blockCount_; }
    int TypeCount(int type) const { return IsStoreBlockType(type) ? typeCounts_[type] : 0; }
    uint32_t FreeBytes() const { return freeBytes_; }
    const Entry& EntryAt(int position) const { return index_[position]; }
    const uint8_t* ImageAt(int position) const { return data_.data() + index_[position].offset; }
    const uint8_t* Data() const { return data_.data(); }

private:
    int StartPosition(int type) const;
    struct Location {
        int position;  // of the block, or where it belongs when absent
        bool present;
    };
    Location Locate(int type, uint16_t number) const;
    int FindPosition(int type, uint16_t number) const;
    void OpenEntry(int position, int type, uint16_t number);
    void CompactAway(uint32_t offset, uint32_t roundedLength, uint32_t carried);
    int CheckImage(const uint8_t* image, size_t available) const;
    int ClaimEntry(int type, uint16_t number, uint32_t need, bool staged);
    void CommitAt(int position, uint32_t need);
    bool EntryAtCursor(int* type, uint16_t* number) const;

    uint32_t freeBytes_ = kStoreDataSize;
    uint32_t writePosition_ = 0;
    int blockCount_ = 0;
    int typeCounts_[BLOCK_TYPE_COUNT] = {};
    int cursor_ = 0;
    std::array<Entry, kStoreMaxBlocks> index_;
    alignas(64) std::array<uint8_t, kStoreDataSize> data_;
};

}  // namespace vexal
