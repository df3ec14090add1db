// vexal-backup: backs up every controller of a plant into a git archive.
#include <signal.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "program.h"

namespace {

std::atomic<bool> stopRequested{false};

// SIGINT and SIGTERM are taken by one thread, so the library's calls in the workers are
// never interrupted; the workers see the request between two blocks. SIGUSR1 from main
// ends the thread.
void WatchSignals(sigset_t signals) {
    for (int signal = 0; signal != SIGUSR1;) {
        if (sigwait(&signals, &signal) == 0 && signal != SIGUSR1) stopRequested = true;
    }
}

}  // namespace

int main(int argc, char** argv) {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread watcher(WatchSignals, signals);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const int status = vexal::backup::RunBackupProgram(arguments, stdout, stderr, stopRequested);
    pthread_kill(watcher.native_handle(), SIGUSR1);
    watcher.join();
    return status;
}
