// Asking an Ethernet-to-MPI gateway whether a station is behind it: the probe connects,
// sends the connection request for the station and closes as soon as the answer is in.
#pragma once

#include <cstdint>
#include <vector>

namespace vexal::busport {

enum class ProbeOutcome {
    kConfirmed,    // the gateway confirmed a connection to the station
    kRefused,      // it answered otherwise, closed, or stayed silent
    kUnreachable,  // no TCP connection to the gateway
};

// One probe, bounded by timeoutMs from connect to confirm.
ProbeOutcome ProbeStation(uint32_t ipv4, uint16_t port, uint8_t station, int timeoutMs);

// One probe per station, all at once; the outcomes in the order of the stations.
std::vector<ProbeOutcome> ProbeStations(uint32_t ipv4, uint16_t port,
                                        const std::vector<uint8_t>& stations, int timeoutMs);

}  // namespace vexal::busport
