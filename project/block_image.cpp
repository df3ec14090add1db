#include "block_image.h"

namespace vexal {
namespace {

constexpr uint8_t kMagic = 0x70;
constexpr int kTypeCount = 7;
// Indexed by the type index: OB, FB, FC, DB, SDB, SFB, SFC.
constexpr uint8_t kTypeCodes[kTypeCount] = {0x08, 0x0E, 0x0C, 0x0A, 0x0B, 0x0F, 0x0D};
constexpr const char* kTypeNames[kTypeCount] = {"OB", "FB", "FC", "DB", "SDB", "SFB", "SFC"};

void PutBig16(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value >> 8);
    at[1] = static_cast<uint8_t>(value);
}

}  // namespace

const char* BlockTypeName(int type) {
    return type >= 0 && type < kTypeCount ? kTypeNames[type] : "?";
}

uint8_t BlockTypeCode(int type) {
    return type >= 0 && type < kTypeCount ? kTypeCodes[type] : 0;
}

int BlockTypeOfCode(uint8_t code) {
    for (int type = 0; type < kTypeCount; ++type) {
        if (kTypeCodes[type] == code) return type;
    }
    return BLOCK_TYPE_NONE;
}

bool HasBlockMagic(const uint8_t* image) {
    return image[0] == kMagic && image[1] == kMagic;
}

int BlockImageType(const uint8_t* image) {
    return HasBlockMagic(image) ? BlockTypeOfCode(image[5]) : BLOCK_TYPE_NONE;
}

// The header is read here, not with the client side's big-endian reader: the simulator
// shares this format with the programs, never the client's wire decoding.
uint16_t BlockImageNumber(const uint8_t* image) {
    return static_cast<uint16_t>(image[6] << 8 | image[7]);
}

uint32_t BlockImageLength(const uint8_t* image) {
    return uint32_t{image[8]} << 24 | uint32_t{image[9]} << 16 | uint32_t{image[10]} << 8 |
           image[11];
}

void PutBlockHeader(uint8_t* header, int type, uint16_t number, uint32_t length) {
    header[0] = kMagic;
    header[1] = kMagic;
    header[5] = BlockTypeCode(type);
    PutBig16(header + 6, number);
    PutBig16(header + 8, length >> 16);
    PutBig16(header + 10, length);
}

}  // namespace vexal
