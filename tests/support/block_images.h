// Block images for tests, benchmarks and fuzz seeds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vexal::testing {

// The type code at byte 5 for the type indexes 0 (OB) to 6 (SFC).
inline uint8_t BlockTypeCode(int type) {
    static const uint8_t codes[] = {0x08, 0x0E, 0x0C, 0x0A, 0x0B, 0x0F, 0x0D};
    return codes[type];
}

// An image with a valid header whose body bytes are derived from `seed`, so that two
// images of the same block can be told apart.
inline std::vector<uint8_t> MakeBlockImage(int type, uint16_t number, uint32_t length,
                                           uint8_t seed = 0) {
    std::vector<uint8_t> image(length < 36 ? 36 : length);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(seed + i * 7);
    image[0] = 0x70;
    image[1] = 0x70;
    image[5] = BlockTypeCode(type);
    image[6] = static_cast<uint8_t>(number >> 8);
    image[7] = static_cast<uint8_t>(number);
    image[8] = static_cast<uint8_t>(length >> 24);
    image[9] = static_cast<uint8_t>(length >> 16);
    image[10] = static_cast<uint8_t>(length >> 8);
    image[11] = static_cast<uint8_t>(length);
    return image;
}

inline void Append(std::vector<uint8_t>& file, const std::vector<uint8_t>& image) {
    file.insert(file.end(), image.begin(), image.end());
}

}  // namespace vexal::testing
