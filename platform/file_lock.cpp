#include "file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace vexal::platform {

FileLock::~FileLock() {
    if (fd_ >= 0) close(fd_);  // closing releases the lock
}

bool FileLock::Acquire(const std::string& lockPath) {
    if (fd_ >= 0) return true;
    const int fd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    int result;
    do {
        result = flock(fd, LOCK_EX);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

}  // namespace vexal::platform
