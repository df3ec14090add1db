// Turns fuzz bytes into a terminated wide text of exactly that many characters, so that a
// read past the terminator lands outside the allocation. ASCII bytes stand for
// themselves; the others pick characters that a careless grammar might take for ASCII.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vexal::fuzzing {

inline std::vector<wchar_t> WideText(const uint8_t* data, size_t size) {
    static constexpr wchar_t kTricky[] = {
        0x00A0,  // no-break space
        0xFF10,  // full-width digit zero
        0xFF2D,  // full-width M
        0x00C4,  // A with diaeresis
        0x017F,  // long s, upper-cases to S
        0x212A,  // Kelvin sign, lower-cases to k
        0x0130,  // capital I with dot
        0xD800,  // lone surrogate
        0xFFFF, static_cast<wchar_t>(0x7FFFFFFF), static_cast<wchar_t>(-1),
    };
    std::vector<wchar_t> text(size + 1, L'\0');
    for (size_t i = 0; i < size; ++i) {
        const uint8_t byte = data[i];
        text[i] = byte < 0x80 ? static_cast<wchar_t>(byte)
                              : kTricky[(byte - 0x80) % (sizeof kTricky / sizeof kTricky[0])];
    }
    return text;
}

}  // namespace vexal::fuzzing
