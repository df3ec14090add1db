// Texts that the communication library gives for its statuses.
#pragma once

#include <QString>
#include <optional>

#include "cpulink.h"

namespace vexal {

// The library's text for a status, asked with a buffer of `capacity` characters; none when
// the library knows no text for it.
std::optional<QString> LibraryErrorText(CpuStatus status, int capacity);

}  // namespace vexal
