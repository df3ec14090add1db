#include "cpulink.h"

namespace {

// The type code at byte 5 of a block header, as a controller writes it.
struct TypeCode {
    uint8_t code;
    int type;
};

constexpr TypeCode kTypeCodes[] = {
    {0x08, BLOCK_TYPE_OB},  {0x0E, BLOCK_TYPE_FB},  {0x0C, BLOCK_TYPE_FC},  {0x0A, BLOCK_TYPE_DB},
    {0x0B, BLOCK_TYPE_SDB}, {0x0F, BLOCK_TYPE_SFB}, {0x0D, BLOCK_TYPE_SFC},
};

}  // namespace

extern "C" int cpuLink_GetBlockType(const uint8_t* image) {
    if (image == nullptr || image[0] != 0x70 || image[1] != 0x70) return BLOCK_TYPE_NONE;
    for (const TypeCode& entry : kTypeCodes) {
        if (entry.code == image[5]) return entry.type;
    }
    return BLOCK_TYPE_NONE;
}
