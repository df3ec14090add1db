// Block images for tests, benchmarks and fuzz seeds, built with the project's format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "block_image.h"

namespace vexal::testing {

// An image with a valid header whose body bytes are derived from `seed`, so that two
// images of the same block can be told apart.
inline std::vector<uint8_t> MakeBlockImage(int type, uint16_t number, uint32_t length,
                                           uint8_t seed = 0) {
    std::vector<uint8_t> image(length < kBlockHeaderSize ? kBlockHeaderSize : length);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(seed + i * 7);
    PutBlockHeader(image.data(), type, number, length);
    return image;
}

// A copy of an image with one byte changed.
inline std::vector<uint8_t> WithByte(std::vector<uint8_t> image, size_t at, uint8_t value) {
    image[at] = value;
    return image;
}

inline void Append(std::vector<uint8_t>& file, const std::vector<uint8_t>& image) {
    file.insert(file.end(), image.begin(), image.end());
}

}  // namespace vexal::testing
