// An exclusive lock between processes, held on a lock file for as long as the object
// lives. The lock file itself stays.
#pragma once

#include <string>

namespace vexal::platform {

class FileLock {
public:
    FileLock() = default;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();

    // Creates the lock file when needed and waits until the lock is held.
    bool Acquire(const std::string& lockPath);

private:
    int fd_ = -1;
};

}  // namespace vexal::platform
