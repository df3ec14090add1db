// Binary-coded decimal as the controller stores clock fields, counters and S5TIME values:
// one decimal digit per 4 bits, most significant digit first.
#pragma once

#include <cstdint>

namespace vexal::cpulink::local {

// The value of `digits` BCD digits in the low bits of `bits`; false when one is above 9.
inline bool DecodeBcd(uint32_t bits, int digits, int* value) {
    int result = 0;
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) {
        const uint32_t digit = (bits >> shift) & 0xF;
        if (digit > 9) return false;
        result = result * 10 + static_cast<int>(digit);
    }
    *value = result;
    return true;
}

// `value` (0 to 10^digits - 1) as `digits` BCD digits.
inline uint32_t EncodeBcd(int value, int digits) {
    uint32_t bits = 0;
    for (int shift = 0; shift < 4 * digits; shift += 4) {
        bits |= static_cast<uint32_t>(value % 10) << shift;
        value /= 10;
    }
    return bits;
}

}  // namespace vexal::cpulink::local
