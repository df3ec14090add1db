// SIGINT and SIGTERM as an orderly request to end a long-running program.
#pragma once

namespace vexal::platform {

// Blocks SIGINT and SIGTERM in the calling thread and in every thread it starts later,
// and ignores SIGPIPE. Call it first in main.
void BlockTerminationSignals();

// Waits until SIGINT or SIGTERM arrives and returns its number.
int WaitForTerminationSignal();

}  // namespace vexal::platform
