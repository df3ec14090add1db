// vexal-backup: backs up every controller of a plant into a git archive.
#include <signal.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "program.h"

namespace {

std::atomic<bool> stopRequested{false};
std::atomic<bool> finished{false};

// SIGINT and SIGTERM are taken by one thread, so the library's calls in the workers are
// never interrupted; the workers see the request between two blocks.
void WatchSignals(sigset_t signals) {
    const timespec poll{0, 100 * 1000 * 1000};
    while (!finished) {
        if (sigtimedwait(&signals, nullptr, &poll) > 0) stopRequested = true;
    }
}

}  // namespace

int main(int argc, char** argv) {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread watcher(WatchSignals, signals);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const int status = vexal::backup::RunBackupProgram(arguments, stdout, stderr, stopRequested);
    finished = true;
    watcher.join();
    return status;
}
