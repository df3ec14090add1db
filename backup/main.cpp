// vexal-backup: backs up every controller of a plant into a git archive.
#include <atomic>
#include <cstdio>

#include "program.h"
#include "termination_signals.h"

int main(int argc, char** argv) {
    // SIGINT and SIGTERM are taken by one thread, so the library's calls in the workers are
    // never interrupted; the workers see the request between two blocks.
    vexal::platform::BlockTerminationSignals();
    std::atomic<bool> stopRequested{false};
    vexal::platform::TerminationWatch watch([&stopRequested] { stopRequested = true; });
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return vexal::backup::RunBackupProgram(arguments, stdout, stderr, stopRequested);
}
