// Big-endian reads of the S7 wire and of the controller's records, for the client side:
// the communication library, the programs and their record decoders. (The simulator
// keeps its own, so that a fault on one side cannot hide the same fault on the other.)
#pragma once

#include <cstdint>

namespace vexal {

inline uint16_t BigEndian16(const uint8_t* at) {
    return static_cast<uint16_t>(at[0] << 8 | at[1]);
}

inline uint32_t BigEndian32(const uint8_t* at) {
    return static_cast<uint32_t>(at[0]) << 24 | static_cast<uint32_t>(at[1]) << 16 |
           static_cast<uint32_t>(at[2]) << 8 | at[3];
}

}  // namespace vexal
