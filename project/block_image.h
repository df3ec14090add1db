// The block image, as a controller delivers it on upload and takes it on download: a
// 36-byte header followed by the body. Only these header fields are read; every other
// byte is carried unchanged.
//   bytes 0-1   "pp" (0x70 0x70)
//   byte  5     the type code
//   bytes 6-7   the block number, big-endian
//   bytes 8-11  the total length, header included, big-endian
// The readers expect a whole header: at least 36 readable bytes.
#pragma once

#include <cstdint>

#include "vexal_types.h"

namespace vexal {

inline constexpr uint32_t kBlockHeaderSize = 36;
// The largest image a project file may hold; the reader refuses anything longer.
inline constexpr uint32_t kMaxBlockImage = 133120;

// The type code a controller writes at byte 5 for the type indexes 0 (OB) to 6 (SFC);
// 0 for any other index.
uint8_t BlockTypeCode(int type);
// The type index of a type code, or BLOCK_TYPE_NONE.
int BlockTypeOfCode(uint8_t code);

bool HasBlockMagic(const uint8_t* image);
// The type index of an image: BLOCK_TYPE_NONE without "pp" or with an unknown code.
int BlockImageType(const uint8_t* image);
uint16_t BlockImageNumber(const uint8_t* image);
uint32_t BlockImageLength(const uint8_t* image);

// Writes "pp", the type code, the number and the length into a header; its other bytes
// stay as they are.
void PutBlockHeader(uint8_t* header, int type, uint16_t number, uint32_t length);

}  // namespace vexal
