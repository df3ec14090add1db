#include "termination_signals.h"

#include <pthread.h>
#include <signal.h>

namespace vexal::platform {
namespace {

sigset_t TerminationSet() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

}  // namespace

void BlockTerminationSignals() {
    const sigset_t set = TerminationSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

int WaitForTerminationSignal() {
    const sigset_t set = TerminationSet();
    int number = 0;
    while (sigwait(&set, &number) != 0) {
    }
    return number;
}

}  // namespace vexal::platform

namespace vexal::platform {

TerminationWatch::TerminationWatch(std::function<void()> onSignal)
    : onSignal_(std::move(onSignal)), watcher_(&TerminationWatch::Watch, this) {}

TerminationWatch::~TerminationWatch() {
    ending_ = true;
    pthread_kill(watcher_.native_handle(), SIGTERM);
    watcher_.join();
}

void TerminationWatch::Watch() {
    WaitForTerminationSignal();
    if (!ending_) onSignal_();
}

}  // namespace vexal::platform
