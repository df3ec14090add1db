// SIGINT and SIGTERM close the program's windows, so that the run ends the orderly way:
// the sheet closes, everything is released and the settings are written.
#pragma once

#include "termination_signals.h"

namespace vexal {

class CTerminationWatch {
public:
    // Call first in main, before any thread exists: every thread started later leaves the
    // two signals to the watch.
    static void BlockSignals() { platform::BlockTerminationSignals(); }

    // Watches while it lives; create it after the QApplication and let it end before.
    CTerminationWatch();

private:
    platform::TerminationWatch watch_;
};

}  // namespace vexal
