#include "project_file.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "cpulink.h"
#include "replacing_file.h"

namespace vexal {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Reads the next header; false when fewer than 36 bytes remain (the end of the project).
bool ReadHeader(std::FILE* file, uint8_t* buffer) {
    return std::fread(buffer, 1, kBlockHeaderSize, file) == kBlockHeaderSize;
}

int ReadOneImage(std::FILE* file, uint8_t* buffer, BlockStore& store, BlockNotification notify,
                 void* context) {
    if (!HasBlockMagic(buffer)) return kReadNoBlockHeader;
    const int type = cpuLink_GetBlockType(buffer);
    if (type == BLOCK_TYPE_NONE) return kReadNotABlock;
    const uint32_t length = BlockImageLength(buffer);
    if (length > kMaxBlockImage) return kReadImageTooLong;
    if (length <= kBlockHeaderSize) return kReadTruncated;
    const size_t body = length - kBlockHeaderSize;
    if (std::fread(buffer + kBlockHeaderSize, 1, body, file) != body) return kReadTruncated;
    if (!IsStoreBlockType(type)) return kReadOk;
    if (!store.Add(buffer, length)) return kReadStoreRefused;
    if (notify != nullptr) notify(context, type, BlockImageNumber(buffer));
    return kReadOk;
}

bool WriteImage(platform::ReplacingFile& file, const uint8_t* image) {
    return file.Write(image, BlockImageLength(image));
}

}  // namespace

int ReadProjectFile(const char* path, BlockStore& store, BlockNotification notify,
                    void* context) {
    // One image at a time passes through this buffer on its way into the store.
    thread_local std::array<uint8_t, kMaxBlockImage> buffer;
    // A folder opens for reading on Linux but is no project file.
    std::error_code ignored;
    if (path == nullptr || std::filesystem::is_directory(path, ignored)) return kReadCannotOpen;
    FilePtr file(std::fopen(path, "rb"));
    if (!file) return kReadCannotOpen;
    while (ReadHeader(file.get(), buffer.data())) {
        const int result = ReadOneImage(file.get(), buffer.data(), store, notify, context);
        if (result != kReadOk) return result;
    }
    // A device error is not the end of the file.
    return std::ferror(file.get()) ? kReadTruncated : kReadOk;
}

int WriteProjectFile(const char* path, const BlockStore& store) {
    platform::ReplacingFile file;
    if (!file.Open(path)) return kWriteCannotOpen;
    for (int p = 0; p < store.BlockCount(); ++p) {
        if (!WriteImage(file, store.ImageAt(p))) return kWriteFailed;
    }
    return file.Commit() ? kWriteOk : kWriteFailed;
}

int WriteProjectFile(const char* path, const BlockStore& store, const BlockRef* refs,
                     size_t count) {
    platform::ReplacingFile file;
    if (!file.Open(path)) return kWriteCannotOpen;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* image = store.Find(BlockRef_Type(refs[i]), BlockRef_Number(refs[i]));
        if (image != nullptr && !WriteImage(file, image)) return kWriteFailed;
    }
    return file.Commit() ? kWriteOk : kWriteFailed;
}

}  // namespace vexal
