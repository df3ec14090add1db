// Connection settings, read from the environment at every open.
#pragma once

#include <cstdint>

namespace vexal::cpulink {

struct LinkSettings {
    uint16_t port = 102;          // VEXAL_S7_PORT: ISO-on-TCP
    int rack = 0;                 // VEXAL_S7_RACK
    int slot = 2;                 // VEXAL_S7_SLOT: an S7-300 CPU sits in slot 2
    int answerTimeoutMs = 5000;   // VEXAL_S7_TIMEOUT_MS
    int connectTimeoutMs = 3000;  // VEXAL_S7_CONNECT_MS
};

// The settings with every variable that is set to a valid number applied; other values
// keep their default.
LinkSettings ReadLinkSettings();

}  // namespace vexal::cpulink
