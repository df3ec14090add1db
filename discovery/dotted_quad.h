#pragma once

#include <cstdint>

namespace vexal {

// Reads four decimal numbers separated by "." as "%d.%d.%d.%d" does (blanks and a sign
// allowed before each number, anything after the fourth ignored); each must lie in 0 to
// 255. On success the four bytes are stored in the order read when `out` is given.
bool ParseDottedQuad(const char* text, uint8_t* out);

// False when the masks differ in any byte; else whether both addresses lie in one network.
bool SameSubnet(const uint8_t* ip, const uint8_t* mask, const uint8_t* ownIp,
                const uint8_t* ownMask);

}  // namespace vexal
