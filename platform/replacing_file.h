// Writes a new version of a file without ever leaving a half-written one in its place:
// the bytes go to a temporary file beside the target, which replaces the target only on
// Commit. A ReplacingFile destroyed without a successful Commit removes its temporary
// file and leaves the target as it was.
#pragma once

#include <sys/uio.h>

#include <array>
#include <cstddef>
#include <string>

namespace vexal::platform {

class ReplacingFile {
public:
    ReplacingFile() = default;
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;
    ~ReplacingFile();

    // False when the target cannot be written: its folder refuses a new file, or the
    // target exists and is not a writable regular file.
    bool Open(const char* target);
    // False when not all bytes were written (a full device, a size limit). The bytes are
    // gathered and written in batches: they must stay unchanged until Commit returns.
    bool Write(const void* data, size_t size);
    // Flushes the bytes to the device and renames the temporary file over the target.
    bool Commit();

private:
    void Discard();
    bool Flush();

    // Writes are gathered so that a file of many small blocks takes few system calls and
    // no extra copy.
    static constexpr size_t kMaxPending = 512;
    static constexpr size_t kFlushBytes = 1 << 20;
    std::array<iovec, kMaxPending> pending_;
    size_t pendingCount_ = 0;
    size_t pendingBytes_ = 0;
    int fd_ = -1;
    std::string target_;
    std::string temporary_;
};

}  // namespace vexal::platform
