#include "project_file.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "replacing_file.h"

namespace vexal {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Reads the next header; false when fewer than 36 bytes remain (the end of the project).
bool ReadHeader(std::FILE* file, uint8_t* header) {
    return fread_unlocked(header, 1, kBlockHeaderSize, file) == kBlockHeaderSize;
}

bool ReadBody(std::FILE* file, uint8_t* image, uint32_t length) {
    const size_t body = length - kBlockHeaderSize;
    return fread_unlocked(image + kBlockHeaderSize, 1, body, file) == body;
}

// Scratch space of this thread, allocated on first use: a program that never reads a
// project file never touches it.
template <size_t kSize, typename Byte = uint8_t>
std::array<Byte, kSize>& ScratchBuffer() {
    thread_local std::unique_ptr<std::array<Byte, kSize>> buffer;
    if (!buffer) buffer = std::make_unique<std::array<Byte, kSize>>();
    return *buffer;
}

// An image of a type the store does not hold still has to be read whole.
int SkipImage(std::FILE* file, const uint8_t* header, uint32_t length) {
    std::array<uint8_t, kMaxBlockImage>& buffer = ScratchBuffer<kMaxBlockImage>();
    std::memcpy(buffer.data(), header, kBlockHeaderSize);
    return ReadBody(file, buffer.data(), length) ? kReadOk : kReadTruncated;
}

// Reads the image straight into the free space of the store when it fits there, else
// through a buffer (it may still fit by replacing its twin).
int StoreImage(std::FILE* file, const uint8_t* header, uint32_t length, BlockStore& store) {
    uint8_t* staged = store.BeginStagedAdd(length);
    if (staged == nullptr) {
        std::array<uint8_t, kMaxBlockImage>& buffer = ScratchBuffer<kMaxBlockImage>();
        std::memcpy(buffer.data(), header, kBlockHeaderSize);
        if (!ReadBody(file, buffer.data(), length)) return kReadTruncated;
        return store.Add(buffer.data(), length) ? kReadOk : kReadStoreRefused;
    }
    std::memcpy(staged, header, kBlockHeaderSize);
    if (!ReadBody(file, staged, length)) {
        store.AbortStagedAdd(length);
        return kReadTruncated;
    }
    return store.CommitStagedAdd(length) ? kReadOk : kReadStoreRefused;
}

int ReadOneImage(std::FILE* file, const uint8_t* header, BlockStore& store,
                 BlockNotification notify, void* context) {
    if (!HasBlockMagic(header)) return kReadNoBlockHeader;
    const int type = BlockImageType(header);
    if (type == BLOCK_TYPE_NONE) return kReadNotABlock;
    const uint32_t length = BlockImageLength(header);
    if (length > kMaxBlockImage) return kReadImageTooLong;
    if (length <= kBlockHeaderSize) return kReadTruncated;
    if (!IsStoreBlockType(type)) return SkipImage(file, header, length);
    const int result = StoreImage(file, header, length, store);
    if (result == kReadOk && notify != nullptr) notify(context, type, BlockImageNumber(header));
    return result;
}

bool WriteImage(platform::ReplacingFile& file, const uint8_t* image) {
    return file.Write(image, BlockImageLength(image));
}

}  // namespace

int ReadProjectFile(const char* path, BlockStore& store, BlockNotification notify, void* context) {
    // A folder opens for reading on Linux but is no project file.
    std::error_code ignored;
    if (path == nullptr || std::filesystem::is_directory(path, ignored)) return kReadCannotOpen;
    FilePtr file(std::fopen(path, "rb"));
    if (!file) return kReadCannotOpen;
    // Headers and small images are served from one large read instead of a system call each.
    std::array<char, 262144>& streamBuffer = ScratchBuffer<262144, char>();
    std::setvbuf(file.get(), streamBuffer.data(), _IOFBF, streamBuffer.size());
    uint8_t header[kBlockHeaderSize];
    while (ReadHeader(file.get(), header)) {
        const int result = ReadOneImage(file.get(), header, store, notify, context);
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
