// What the request/answer engine needs from a transport: whole S7 PDUs in both
// directions, each wait bounded by a deadline. ISO-on-TCP is the only transport; an MPI
// record resolves its station to the TCP endpoint the adapter names for it and then
// uses the same ISO-on-TCP transport.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "cpulink.h"

namespace vexal::cpulink {

class LinkTransport {
public:
    virtual ~LinkTransport() = default;

    // The largest S7 PDU the route itself can carry; the engine asks the controller for
    // no more than this.
    virtual size_t MaxPduSize() const = 0;

    // Sends one whole S7 PDU. Deadlines are of platform::MonotonicMs.
    virtual CpuStatus Send(const uint8_t* pdu, size_t size, int64_t deadlineMs) = 0;

    // Receives the next whole S7 PDU, at most maxSize bytes. CPULINK_TIMEOUT when the
    // deadline passes, CPULINK_CONNECTION_LOST when the peer closes, CPULINK_PROTOCOL_ERROR
    // for framing that does not parse.
    virtual CpuStatus Receive(std::vector<uint8_t>* pdu, size_t maxSize, int64_t deadlineMs) = 0;

    virtual void Close() = 0;
};

}  // namespace vexal::cpulink
