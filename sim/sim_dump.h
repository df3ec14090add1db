// The state dump vexal-plcsim writes at exit with --dump: a JSON file with the mode,
// the mode selector, the blocks (type, number, length, SHA-256 of the image), the bytes
// of M0 to M255, the contents of every DB, the clock offset and the diagnostic entries.
#pragma once

#include <string>

#include "plc_controller.h"

namespace vexal::sim {

// The dump as JSON text. The caller holds the controller's lock.
std::string DumpJson(const PlcController& controller);

// Writes the dump to a file; false when it cannot be written.
bool WriteDump(PlcController& controller, const std::string& path);

}  // namespace vexal::sim
