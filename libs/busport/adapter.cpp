// The MPI adapter over a bus file. A handle is a slot in a small table; the bus file named
// by VEXAL_MPI_BUS is read when the adapter opens and parsed again when it goes online,
// so stations published in between are seen.
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "bus_file.h"
#include "busport.h"
#include "busport_endpoint.h"
#include "tcp_socket.h"

namespace {

using vexal::busport::BusDescription;

constexpr int kMaxAdapters = 16;
// A station counts as answering when its endpoint accepts a connection within this time.
constexpr int kProbeTimeoutMs = 100;
// Bus parameters reported besides the two addresses: 187.5 kbit/s, the usual MPI rate.
constexpr uint8_t kRate187k5 = 0x02;
constexpr uint8_t kGapFactor = 10;
constexpr uint16_t kSlotTime = 415;

struct Adapter {
    bool open = false;
    bool online = false;
    std::string path;
    BusDescription bus;
};

std::mutex tableMutex;

// Built by the first call that needs it: a program that never opens an adapter does not
// touch its 25 KB.
Adapter* Adapters() {
    static Adapter table[kMaxAdapters];
    return table;
}

Adapter* Find(int handle) {
    if (handle < 0 || handle >= kMaxAdapters || !Adapters()[handle].open) return nullptr;
    return &Adapters()[handle];
}

// Copies what a caller needs out of the table, so no lock is held across a probe.
bool OnlineStation(int handle, uint8_t address, vexal::busport::StationEndpoint* endpoint) {
    std::lock_guard<std::mutex> guard(tableMutex);
    const Adapter* adapter = Find(handle);
    if (adapter == nullptr || !adapter->online || address > vexal::busport::kMaxStationAddress) {
        return false;
    }
    *endpoint = adapter->bus.stations[address];
    return endpoint->present;
}

}  // namespace

extern "C" {

int Busport_Open(void) {
    const char* path = std::getenv("VEXAL_MPI_BUS");
    std::string text;
    if (path == nullptr || *path == '\0' || !vexal::busport::ReadBusFile(path, &text)) {
        return BUSPORT_INVALID_HANDLE;
    }
    std::lock_guard<std::mutex> guard(tableMutex);
    for (int handle = 0; handle < kMaxAdapters; ++handle) {
        Adapter& adapter = Adapters()[handle];
        if (adapter.open) continue;
        adapter = Adapter{true, false, path, {}};
        return handle;
    }
    return BUSPORT_INVALID_HANDLE;
}

int Busport_GoOnlineDefault(int handle) {
    std::string path;
    {
        std::lock_guard<std::mutex> guard(tableMutex);
        const Adapter* adapter = Find(handle);
        if (adapter == nullptr) return 0;
        path = adapter->path;
    }
    std::string text;
    std::string error;
    BusDescription bus;
    const bool parsed = vexal::busport::ReadBusFile(path, &text) &&
                        vexal::busport::ParseBusFile(text, &bus, &error);
    std::lock_guard<std::mutex> guard(tableMutex);
    Adapter* adapter = Find(handle);
    if (adapter == nullptr) return 0;
    adapter->online = parsed;
    if (parsed) adapter->bus = bus;
    return parsed ? 1 : 0;
}

int Busport_GetCurNetPrm(int handle, BusParameters* parameters) {
    std::lock_guard<std::mutex> guard(tableMutex);
    const Adapter* adapter = Find(handle);
    if (adapter == nullptr || !adapter->online || parameters == nullptr) return 0;
    std::memset(parameters->bytes, 0, sizeof parameters->bytes);
    parameters->bytes[BUSPORT_HIGHEST_ADDRESS_BYTE] =
        static_cast<uint8_t>(adapter->bus.highestAddress);
    parameters->bytes[BUSPORT_OWN_ADDRESS_BYTE] = static_cast<uint8_t>(adapter->bus.ownAddress);
    parameters->bytes[2] = kRate187k5;
    parameters->bytes[3] = kGapFactor;
    parameters->bytes[4] = static_cast<uint8_t>(kSlotTime >> 8);
    parameters->bytes[5] = static_cast<uint8_t>(kSlotTime);
    return 1;
}

int Busport_CheckRemoteOnline(int handle, uint8_t stationAddress) {
    vexal::busport::StationEndpoint endpoint;
    if (!OnlineStation(handle, stationAddress, &endpoint)) return 0;
    vexal::platform::TcpStream probe;
    return probe.Connect(endpoint.ipv4, endpoint.port, kProbeTimeoutMs) ==
                   vexal::platform::IoResult::kOk
               ? 1
               : 0;
}

void Busport_GoOffline(int handle) {
    std::lock_guard<std::mutex> guard(tableMutex);
    Adapter* adapter = Find(handle);
    if (adapter != nullptr) adapter->online = false;
}

void Busport_Close(int handle) {
    std::lock_guard<std::mutex> guard(tableMutex);
    Adapter* adapter = Find(handle);
    if (adapter != nullptr) *adapter = Adapter{};
}

int Busport_StationEndpoint(int handle, uint8_t stationAddress, uint32_t* ipv4, uint16_t* port) {
    vexal::busport::StationEndpoint endpoint;
    if (!OnlineStation(handle, stationAddress, &endpoint)) return 0;
    if (ipv4 != nullptr) *ipv4 = endpoint.ipv4;
    if (port != nullptr) *port = endpoint.port;
    return 1;
}

int Busport_IsOpen(int handle) {
    std::lock_guard<std::mutex> guard(tableMutex);
    return Find(handle) != nullptr ? 1 : 0;
}

}  // extern "C"
