// SHA-256 (FIPS 180-4), for the fingerprints of block images in the simulator's dump.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vexal::sim {

// The digest of `size` bytes as 64 lower-case hexadecimal digits.
std::string Sha256Hex(const uint8_t* data, size_t size);

}  // namespace vexal::sim
