// Big-endian byte building and bounded reading for the S7 wire formats. A WireReader
// never reads past its end: a read beyond it yields 0 and marks the reader as failed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "big_endian.h"

namespace vexal::cpulink {

class WireWriter {
public:
    WireWriter() { bytes_.reserve(64); }
    void U8(uint32_t value) { bytes_.push_back(static_cast<uint8_t>(value)); }
    void U16(uint32_t value) {
        U8(value >> 8);
        U8(value);
    }
    void U32(uint32_t value) {
        U16(value >> 16);
        U16(value);
    }
    void Bytes(const uint8_t* data, size_t size) { bytes_.insert(bytes_.end(), data, data + size); }
    void Text(std::string_view text) { bytes_.insert(bytes_.end(), text.begin(), text.end()); }
    void PutU16At(size_t offset, uint32_t value) {
        bytes_[offset] = static_cast<uint8_t>(value >> 8);
        bytes_[offset + 1] = static_cast<uint8_t>(value);
    }
    size_t Size() const { return bytes_.size(); }
    const std::vector<uint8_t>& Get() const { return bytes_; }
    std::vector<uint8_t>& Get() { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

class WireReader {
public:
    WireReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    uint8_t U8() { return Has(1) ? data_[position_++] : Fail8(); }
    uint16_t U16() {
        if (!Has(2)) return Fail8();
        const uint16_t value = static_cast<uint16_t>(data_[position_] << 8 | data_[position_ + 1]);
        position_ += 2;
        return value;
    }
    uint32_t U32() {
        const uint32_t high = U16();
        return high << 16 | U16();
    }
    // The next `size` bytes, or nullptr when fewer remain.
    const uint8_t* Take(size_t size) {
        if (!Has(size)) return Fail8(), nullptr;
        const uint8_t* at = data_ + position_;
        position_ += size;
        return at;
    }
    void Skip(size_t size) { Take(size); }

    bool Has(size_t size) const { return ok_ && size <= size_ - position_; }
    size_t Remaining() const { return ok_ ? size_ - position_ : 0; }
    size_t Position() const { return position_; }
    bool Ok() const { return ok_; }

private:
    uint8_t Fail8() {
        ok_ = false;
        return 0;
    }

    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
    bool ok_ = true;
};

}  // namespace vexal::cpulink
