// SIGINT and SIGTERM close the program's windows, so that the run ends the orderly way:
// the sheet closes, everything is released and the settings are written.
#pragma once

#include <atomic>
#include <thread>

namespace vexal {

class CTerminationWatch {
public:
    // Call first in main, before any thread exists: every thread started later leaves the
    // two signals to the watch.
    static void BlockSignals();

    // Watches while it lives; create it after the QApplication and let it end before.
    CTerminationWatch();
    ~CTerminationWatch();
    CTerminationWatch(const CTerminationWatch&) = delete;
    CTerminationWatch& operator=(const CTerminationWatch&) = delete;

private:
    void Watch();

    std::atomic<bool> ending_{false};
    std::thread watcher_;
};

}  // namespace vexal
