// The block image, as a controller delivers it on upload and takes it on download: a
// 36-byte header, the MC7 code, the interface, and a 36-byte trailer. Every byte is
// carried unchanged. The header, all numbers big-endian:
//   bytes 0-1   "pp" (0x70 0x70)
//   byte  2     version of the format, 1
//   byte  3     flags (bit 0 linked)
//   byte  4     language: 1 STL, 2 LAD, 3 FBD, 4 SCL, 5 DB, 6 GRAPH, 7 SDB
//   byte  5     the type code
//   bytes 6-7   the block number
//   bytes 8-11  the total length, header and trailer included (the load length)
//   bytes 12-15 the know-how protection word
//   bytes 16-21 code time stamp: milliseconds since midnight (4), days since 1984 (2)
//   bytes 22-27 interface time stamp, the same way
//   bytes 28-29 interface length, 30-31 segment length, 32-33 local data length
//   bytes 34-35 code (MC7) length
// The trailer, the last 36 bytes: author (8 characters), family (8), name (8), version
// (1, major in the high nibble), one unknown byte, checksum (2), 8 reserved bytes.
// The readers below expect a whole header: at least 36 readable bytes.
#pragma once

#include <cstdint>

#include "vexal_types.h"

namespace vexal {

inline constexpr uint32_t kBlockHeaderSize = 36;
inline constexpr uint32_t kBlockTrailerSize = 36;
// The largest image a project file may hold; the reader refuses anything longer.
inline constexpr uint32_t kMaxBlockImage = 133120;

// "OB", "FB", "FC", "DB", "SDB", "SFB" or "SFC" for the type indexes 0 to 6; "?" for any
// other.
const char* BlockTypeName(int type);
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
