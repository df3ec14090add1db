// The project file (*.wld): block images back to back, each exactly as long as its
// length field says, with no header, trailer, count or checksum. An empty file is an
// empty project.
#pragma once

#include <cstddef>

#include "block_store.h"

namespace vexal {

enum ProjectReadResult {
    kReadOk = 0,
    kReadCannotOpen = -1,
    kReadNoBlockHeader = -2,  // a header without the "pp" bytes
    kReadNotABlock = -3,      // an image of no block type
    kReadImageTooLong = -4,   // an image longer than 133120 bytes
    kReadTruncated = -5,      // the file ends inside an image
    kReadStoreRefused = -6,   // the store is full or has no room for the image
};

enum ProjectWriteResult {
    kWriteOk = 0,
    kWriteCannotOpen = -1,
    kWriteFailed = -2,
};

// Called for every block the reader stored.
using BlockNotification = void (*)(void* context, int type, uint16_t number);

// Adds every block of the file to the store, in file order; a later image of a block
// replaces an earlier one and SFB/SFC images are skipped. Blocks stored before a failure
// stay in the store. A trailing fragment shorter than a header is ignored.
int ReadProjectFile(const char* path, BlockStore& store, BlockNotification notify = nullptr,
                    void* context = nullptr);

// Writes the whole store in store order. The previous file stays untouched until the new
// one is complete on the device.
int WriteProjectFile(const char* path, const BlockStore& store);

// Writes the listed blocks in list order; a reference to a block not stored is skipped.
int WriteProjectFile(const char* path, const BlockStore& store, const BlockRef* refs, size_t count);

}  // namespace vexal
