#include "replacing_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vexal::platform {
namespace {

// A link is followed so that the file it names is replaced, not the link.
std::string ResolveTarget(const char* target) {
    char resolved[PATH_MAX];
    if (realpath(target, resolved) != nullptr) return resolved;
    return target;
}

std::string TemporaryName(const std::string& target, int attempt) {
    static std::atomic<unsigned> counter{0};
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, ".%ld.%u.%d.tmp", static_cast<long>(getpid()),
                  counter.fetch_add(1), attempt);
    return target + suffix;
}

}  // namespace

ReplacingFile::~ReplacingFile() {
    Discard();
}

void ReplacingFile::Discard() {
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
        unlink(temporary_.c_str());
    }
}

bool ReplacingFile::Open(const char* target) {
    Discard();
    pendingCount_ = 0;
    pendingBytes_ = 0;
    if (target == nullptr || *target == '\0') return false;
    target_ = ResolveTarget(target);
    mode_t mode = 0666;
    struct stat existing {};
    if (stat(target_.c_str(), &existing) == 0) {
        if (!S_ISREG(existing.st_mode) || access(target_.c_str(), W_OK) != 0) return false;
        mode = existing.st_mode & 07777;
    }
    for (int attempt = 0; attempt < 16 && fd_ < 0; ++attempt) {
        temporary_ = TemporaryName(target_, attempt);
        fd_ = open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) return false;
    }
    if (fd_ < 0) return false;
    // Keep the permissions a replaced file had; a new file gets the usual ones.
    if (existing.st_mode != 0) fchmod(fd_, mode);
    return true;
}

// Writes every gathered piece, going on after partial writes.
bool ReplacingFile::Flush() {
    iovec* piece = pending_.data();
    size_t count = pendingCount_;
    pendingCount_ = 0;
    pendingBytes_ = 0;
    while (count > 0) {
        const ssize_t written = writev(fd_, piece, static_cast<int>(count));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        size_t done = static_cast<size_t>(written);
        while (count > 0 && done >= piece->iov_len) {
            done -= piece->iov_len;
            ++piece;
            --count;
        }
        if (count > 0) {
            piece->iov_base = static_cast<char*>(piece->iov_base) + done;
            piece->iov_len -= done;
        }
    }
    return true;
}

bool ReplacingFile::Write(const void* data, size_t size) {
    if (fd_ < 0) return false;
    if (size == 0) return true;
    pending_[pendingCount_++] = iovec{const_cast<void*>(data), size};
    pendingBytes_ += size;
    if (pendingCount_ < kMaxPending && pendingBytes_ < kFlushBytes) return true;
    return Flush();
}

bool ReplacingFile::Commit() {
    if (fd_ < 0) return false;
    if (!Flush()) {
        Discard();
        return false;
    }
    const bool synced = fsync(fd_) == 0;
    const bool closed = close(fd_) == 0;
    fd_ = -1;
    if (!synced || !closed || rename(temporary_.c_str(), target_.c_str()) != 0) {
        unlink(temporary_.c_str());
        return false;
    }
    return true;
}

}  // namespace vexal::platform
