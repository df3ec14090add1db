// MPI connections. The adapter names, for each station on its bus, the TCP endpoint that
// carries the station's S7 traffic (the way an Ethernet-to-MPI gateway exposes it); from
// there on an MPI record behaves exactly like a TCP record.
#include <memory>

#include "busport_endpoint.h"
#include "connection_record.h"
#include "iso_tcp_transport.h"
#include "tcp_socket.h"

using namespace vexal::cpulink;

namespace {

constexpr int kMaxMpiAddress = 126;

CpuStatus OpenOverEndpoint(LinkSession* session, uint32_t ipv4, uint16_t port) {
    session->settings = ReadLinkSettings();
    session->settings.port = port;
    const int64_t deadline = vexal::platform::MonotonicMs() + session->settings.connectTimeoutMs;
    CpuStatus status = CPULINK_OK;
    auto transport = OpenIsoTcpTransport(ipv4, session->settings, deadline, &status);
    if (!transport) return status;
    auto engine =
        std::make_unique<LinkEngine>(std::move(transport), session->settings.answerTimeoutMs);
    status = engine->SetupCommunication(deadline);
    if (status == CPULINK_CONNECTION_LOST) return CPULINK_CANNOT_CONNECT;
    if (status != CPULINK_OK) return status;
    session->engine = std::move(engine);
    return CPULINK_OK;
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
    uint32_t ipv4 = 0;
    uint16_t port = 0;
    if (mpiAddress < 0 || mpiAddress > kMaxMpiAddress ||
        Busport_StationEndpoint(session->adapterHandle, static_cast<uint8_t>(mpiAddress), &ipv4,
                                &port) == 0) {
        return CPULINK_ADAPTER_OFFLINE;
    }
    return OpenOverEndpoint(session, ipv4, port);
}

}  // extern "C"
