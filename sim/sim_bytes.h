// Byte building and bounded reading for the simulator's side of the S7 wire formats. A
// ByteReader never reads past its end: such a read yields 0 and marks it failed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace vexal::sim {

using Bytes = std::vector<uint8_t>;

class ByteWriter {
public:
    explicit ByteWriter(size_t capacity = 64) { bytes_.reserve(capacity); }
    ByteWriter& U8(uint32_t value) {
        bytes_.push_back(static_cast<uint8_t>(value));
        return *this;
    }
    ByteWriter& U16(uint32_t value) { return U8(value >> 8).U8(value); }
    ByteWriter& U32(uint32_t value) { return U16(value >> 16).U16(value); }
    ByteWriter& Put(const uint8_t* data, size_t size) {
        bytes_.insert(bytes_.end(), data, data + size);
        return *this;
    }
    ByteWriter& Put(const Bytes& data) { return Put(data.data(), data.size()); }
    // A data item that succeeded: code 0xFF, transport size 0x09 (octets), the length in
    // bytes and the bytes.
    ByteWriter& OctetString(const uint8_t* data, size_t size) {
        return U8(0xFF).U8(0x09).U16(static_cast<uint32_t>(size)).Put(data, size);
    }
    ByteWriter& OctetString(const Bytes& data) { return OctetString(data.data(), data.size()); }
    ByteWriter& Text(std::string_view text) {
        bytes_.insert(bytes_.end(), text.begin(), text.end());
        return *this;
    }
    // Text cut or padded with `fill` to exactly `width` bytes.
    ByteWriter& Field(std::string_view text, size_t width, uint8_t fill = 0) {
        for (size_t i = 0; i < width; ++i)
            U8(i < text.size() ? static_cast<uint8_t>(text[i]) : fill);
        return *this;
    }
    size_t Size() const { return bytes_.size(); }
    Bytes Take() { return std::move(bytes_); }

private:
    Bytes bytes_;
};

class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    uint8_t U8() {
        if (!Has(1)) return Fail();
        return data_[position_++];
    }
    uint16_t U16() {
        const uint16_t high = U8();
        return static_cast<uint16_t>(high << 8 | U8());
    }
    uint32_t U32() {
        const uint32_t high = U16();
        return high << 16 | U16();
    }
    const uint8_t* Take(size_t size) {
        if (!Has(size)) return Fail(), nullptr;
        const uint8_t* at = data_ + position_;
        position_ += size;
        return at;
    }
    // The next bytes without taking them; null when fewer remain.
    const uint8_t* Peek(size_t size) const { return Has(size) ? data_ + position_ : nullptr; }
    bool Has(size_t size) const { return ok_ && size <= size_ - position_; }
    size_t Remaining() const { return ok_ ? size_ - position_ : 0; }
    bool Ok() const { return ok_; }

private:
    uint8_t Fail() {
        ok_ = false;
        return 0;
    }

    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
    bool ok_ = true;
};

inline uint16_t Big16(const uint8_t* at) {
    return static_cast<uint16_t>(at[0] << 8 | at[1]);
}
inline uint32_t Big32(const uint8_t* at) {
    return static_cast<uint32_t>(Big16(at)) << 16 | Big16(at + 2);
}

}  // namespace vexal::sim
