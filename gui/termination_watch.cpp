#include "termination_watch.h"

#include <pthread.h>

#include <QApplication>
#include <csignal>

#include "termination_signals.h"

namespace vexal {

void CTerminationWatch::BlockSignals() {
    platform::BlockTerminationSignals();
}

CTerminationWatch::CTerminationWatch() : watcher_(&CTerminationWatch::Watch, this) {}

// Wakes the watcher with a signal of its own; it sees that the program is ending anyway.
CTerminationWatch::~CTerminationWatch() {
    ending_ = true;
    pthread_kill(watcher_.native_handle(), SIGTERM);
    watcher_.join();
}

void CTerminationWatch::Watch() {
    platform::WaitForTerminationSignal();
    if (ending_) return;
    QMetaObject::invokeMethod(
        qApp, [] { QApplication::closeAllWindows(); }, Qt::QueuedConnection);
}

}  // namespace vexal
