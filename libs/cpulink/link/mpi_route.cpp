// MPI connections. The adapter names, for each station on its bus, the TCP endpoint that
// carries the station's S7 traffic (the way an Ethernet-to-MPI gateway exposes it); from
// there on an MPI record behaves exactly like a TCP record.
#include "busport_endpoint.h"
#include "connection_record.h"

using namespace vexal::cpulink;

namespace {

constexpr int kMaxMpiAddress = 126;

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
    uint32_t ipv4 = 0;
    uint16_t port = 0;
    if (mpiAddress < 0 || mpiAddress > kMaxMpiAddress ||
        Busport_StationEndpoint(session->adapterHandle, static_cast<uint8_t>(mpiAddress), &ipv4,
                                &port) == 0) {
        return CPULINK_ADAPTER_OFFLINE;
    }
    LinkSettings settings = ReadLinkSettings();
    settings.port = port;
    return OpenLink(session, ipv4, settings);
}

}  // extern "C"
