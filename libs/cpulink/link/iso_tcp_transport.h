// The ISO-on-TCP route (RFC 1006): TPKT framing, a class 0 COTP connection, S7 PDUs in
// DT TPDUs, cut into segments when the confirmed TPDU size is smaller than a PDU.
#pragma once

#include <memory>

#include "link_settings.h"
#include "link_transport.h"

namespace vexal::cpulink {

// Connects to the controller and sets up the COTP connection. On failure returns null
// with *status CPULINK_CANNOT_CONNECT (refused, unreachable, closed during the set-up,
// connect time-out), CPULINK_TIMEOUT (no connection confirm in time) or
// CPULINK_PROTOCOL_ERROR.
std::unique_ptr<LinkTransport> OpenIsoTcpTransport(uint32_t ipv4, const LinkSettings& settings,
                                                   int64_t deadlineMs, CpuStatus* status);

// The connection request a PG sends: TPDU size 1024, calling TSAP 0x0100, called TSAP of
// the CPU in this rack and slot.
std::vector<uint8_t> BuildConnectionRequest(int rack, int slot);

}  // namespace vexal::cpulink
