// SIGINT and SIGTERM as an orderly request to end a long-running program.
#pragma once

namespace vexal::platform {

// Blocks SIGINT and SIGTERM in the calling thread and in every thread it starts later,
// and ignores SIGPIPE. Call it first in main.
void BlockTerminationSignals();

// Waits until SIGINT or SIGTERM arrives and returns its number.
int WaitForTerminationSignal();

}  // namespace vexal::platform

#include <atomic>
#include <functional>
#include <thread>

namespace vexal::platform {

// A thread that waits for SIGINT or SIGTERM for as long as the watch lives and then calls
// `onSignal` once, from that thread. Needs BlockTerminationSignals first; ending the
// watch wakes the thread with a signal of its own, which calls nothing.
class TerminationWatch {
public:
    explicit TerminationWatch(std::function<void()> onSignal);
    ~TerminationWatch();
    TerminationWatch(const TerminationWatch&) = delete;
    TerminationWatch& operator=(const TerminationWatch&) = delete;

private:
    void Watch();

    std::function<void()> onSignal_;
    std::atomic<bool> ending_{false};
    std::thread watcher_;
};

}  // namespace vexal::platform
