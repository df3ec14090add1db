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

// Emits aboutToQuit, which the program's own run never does (the sheet runs its own loop),
// so that what waits for it ends while the display is still open: Qt's on-screen keyboard
// destroys its window then; left to the end of the QApplication it crashes, the connection
// to the X server being closed already. Call last, before the QApplication ends.
void AnnounceQuit();

}  // namespace vexal
