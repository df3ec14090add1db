// MPI connections. The adapter names, for each station on its bus, the TCP endpoint that
// carries its S7 traffic: one of its own, or an Ethernet-to-MPI gateway that is asked for
// the station by the rack/slot byte of the called TSAP (rack × 32 + slot = MPI address).
// From there on an MPI record behaves exactly like a TCP record.
#include "busport_endpoint.h"
#include "connection_record.h"

using namespace vexal::cpulink;

namespace {

constexpr int kMaxMpiAddress = 126;
constexpr int kSlotsPerRack = 32;

// A station behind a gateway: whatever keeps the gateway from giving us the station
// (no connection to it, a refused or unanswered request) is the adapter's failure.
CpuStatus OpenThroughGateway(LinkSession* session, uint8_t station, LinkSettings settings) {
    uint32_t ipv4 = 0;
    if (Busport_StationGateway(session->adapterHandle, station, &ipv4, &settings.port) == 0) {
        return CPULINK_ADAPTER_OFFLINE;
    }
    settings.rack = station / kSlotsPerRack;
    settings.slot = station % kSlotsPerRack;
    const CpuStatus status = OpenLink(session, ipv4, settings);
    if (status == CPULINK_CANNOT_CONNECT || status == CPULINK_TIMEOUT)
        return CPULINK_ADAPTER_OFFLINE;
    return status;
}

}  // namespace

extern "C" {

CpuStatus cpuBus_InitConnection(CpuConnection* record, int adapterHandle) {
    if (record == nullptr) return CPULINK_INVALID_ARGUMENT;
    if (Busport_IsOpen(adapterHandle) == 0) return CPULINK_ADAPTER_OFFLINE;
    InitialiseRecord(record, LinkRoute::kMpi);
    SessionOf(record)->adapterHandle = adapterHandle;
    return CPULINK_OK;
}

CpuStatus cpuBus_OpenConnection(CpuConnection* record, int mpiAddress) {
    LinkSession* session = SessionOf(record);
    if (session == nullptr) return CPULINK_ADAPTER_OFFLINE;
    session->engine.reset();
    if (mpiAddress < 0 || mpiAddress > kMaxMpiAddress) return CPULINK_ADAPTER_OFFLINE;
    const auto station = static_cast<uint8_t>(mpiAddress);
    LinkSettings settings = ReadLinkSettings();
    uint32_t ipv4 = 0;
    if (Busport_StationEndpoint(session->adapterHandle, station, &ipv4, &settings.port) == 0) {
        return OpenThroughGateway(session, station, settings);
    }
    return OpenLink(session, ipv4, settings);
}

}  // extern "C"
