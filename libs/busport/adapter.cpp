// The MPI adapter over a bus file. A handle is a slot in a small table; the bus file named
// by VEXAL_MPI_BUS is read when the adapter opens and parsed again when it goes online,
// so stations published in between are seen.
//
// A scan asks for one address after the other. Through a gateway each probe waits for a
// connection confirm, so a probe also asks, at the same time, for the next few stations
// behind that gateway; their answers are kept for the calls that follow.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "bus_file.h"
#include "busport.h"
#include "busport_endpoint.h"
#include "gateway_probe.h"
#include "tcp_socket.h"

namespace {

using vexal::busport::BusDescription;
using vexal::busport::ProbeOutcome;
using vexal::busport::StationEndpoint;

constexpr int kMaxAdapters = 16;
// A station counts as answering when its endpoint accepts a connection within this time.
constexpr int kProbeTimeoutMs = 100;
// Bus parameters reported besides the two addresses: 187.5 kbit/s, the usual MPI rate.
constexpr uint8_t kRate187k5 = 0x02;
constexpr uint8_t kGapFactor = 10;
constexpr uint16_t kSlotTime = 415;
// How long the answer of a probe made ahead waits for its call: a scan makes its calls
// back to back, a later single call probes afresh.
constexpr int kForeseenLifetimeMs = 2000;

// The answer for a station that a probe made ahead of its call.
struct Foreseen {
    bool present = false;
    int64_t expiresMs = 0;  // 0: none
};

struct Adapter {
    bool open = false;
    bool online = false;
    std::string path;
    BusDescription bus;
    Foreseen foreseen[vexal::busport::kMaxStationAddress + 1];

    void Forget() { std::fill(std::begin(foreseen), std::end(foreseen), Foreseen{}); }
};

// The stations one gateway probe asks for: the one called for first.
struct GatewayProbe {
    std::vector<uint8_t> stations;
    int timeoutMs = 0;
};

std::mutex tableMutex;

// Built by the first call that needs it: a program that never opens an adapter does not
// touch its table.
Adapter* Adapters() {
    static Adapter table[kMaxAdapters];
    return table;
}

Adapter* Find(int handle) {
    if (handle < 0 || handle >= kMaxAdapters || !Adapters()[handle].open) return nullptr;
    return &Adapters()[handle];
}

// The route to a station of an online adapter, copied out of the table so that no lock is
// held across a probe.
bool OnlineRoute(int handle, uint8_t address, StationEndpoint* route) {
    std::lock_guard<std::mutex> guard(tableMutex);
    const Adapter* adapter = Find(handle);
    if (adapter == nullptr || !adapter->online) return false;
    *route = adapter->bus.RouteTo(address);
    return route->present;
}

// The stations behind the same gateway as `address`, from it upwards in the order a scan
// asks for them (up to the highest address unless asked above it, without this device's
// own), at most `count`.
std::vector<uint8_t> StationsFrom(const BusDescription& bus, uint8_t address, size_t count) {
    const StationEndpoint gateway = bus.RouteTo(address);
    const int last = address < bus.highestAddress
                         ? std::min(bus.highestAddress, vexal::busport::kMaxStationAddress)
                         : vexal::busport::kMaxStationAddress;
    std::vector<uint8_t> stations{address};
    for (int next = address + 1; next <= last && stations.size() < count; ++next) {
        if (next != bus.ownAddress && bus.RouteTo(next).SameGateway(gateway)) {
            stations.push_back(static_cast<uint8_t>(next));
        }
    }
    return stations;
}

// Either takes the answer a probe made ahead left for this station (*answered), or plans
// the probe for it and the stations after it.
bool PlanGatewayProbe(int handle, uint8_t address, int* answered, GatewayProbe* probe) {
    std::lock_guard<std::mutex> guard(tableMutex);
    Adapter* adapter = Find(handle);
    if (adapter == nullptr || !adapter->online) return false;
    Foreseen& foreseen = adapter->foreseen[address];
    if (foreseen.expiresMs > vexal::platform::MonotonicMs()) {
        *answered = foreseen.present ? 1 : 0;
        foreseen = Foreseen{};
        return false;
    }
    const BusDescription& bus = adapter->bus;
    *probe = GatewayProbe{StationsFrom(bus, address, static_cast<size_t>(bus.ProbesAtOnce())),
                          bus.probeMs};
    return true;
}

// Keeps the answers for the stations probed ahead. A gateway that took no connection at
// all has no station to give: every station after the first is then known absent.
void Foresee(int handle, const GatewayProbe& probe, const std::vector<ProbeOutcome>& outcomes) {
    std::lock_guard<std::mutex> guard(tableMutex);
    Adapter* adapter = Find(handle);
    if (adapter == nullptr || !adapter->online) return;
    const int64_t expires = vexal::platform::MonotonicMs() + kForeseenLifetimeMs;
    for (size_t i = 1; i < probe.stations.size(); ++i) {
        adapter->foreseen[probe.stations[i]] = {outcomes[i] == ProbeOutcome::kConfirmed, expires};
    }
    const bool unreachable = std::all_of(outcomes.begin(), outcomes.end(), [](ProbeOutcome o) {
        return o == ProbeOutcome::kUnreachable;
    });
    if (!unreachable) return;
    for (const uint8_t station : StationsFrom(adapter->bus, probe.stations[0], SIZE_MAX)) {
        if (station != probe.stations[0]) adapter->foreseen[station] = {false, expires};
    }
}

// The endpoint of a station whose route is (or is not) a gateway.
int RouteEndpoint(int handle, uint8_t address, bool viaGateway, uint32_t* ipv4, uint16_t* port) {
    StationEndpoint route;
    if (!OnlineRoute(handle, address, &route) || route.viaGateway != viaGateway) return 0;
    if (ipv4 != nullptr) *ipv4 = route.ipv4;
    if (port != nullptr) *port = route.port;
    return 1;
}

int CheckThroughGateway(int handle, uint8_t address, const StationEndpoint& gateway) {
    int answered = 0;
    GatewayProbe probe;
    if (!PlanGatewayProbe(handle, address, &answered, &probe)) return answered;
    const std::vector<ProbeOutcome> outcomes =
        vexal::busport::ProbeStations(gateway.ipv4, gateway.port, probe.stations, probe.timeoutMs);
    Foresee(handle, probe, outcomes);
    return outcomes[0] == ProbeOutcome::kConfirmed ? 1 : 0;
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
        adapter = Adapter{};
        adapter.open = true;
        adapter.path = path;
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
    adapter->Forget();
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
    StationEndpoint route;
    if (!OnlineRoute(handle, stationAddress, &route)) return 0;
    if (route.viaGateway) return CheckThroughGateway(handle, stationAddress, route);
    vexal::platform::TcpStream probe;
    return probe.Connect(route.ipv4, route.port, kProbeTimeoutMs) == vexal::platform::IoResult::kOk
               ? 1
               : 0;
}

void Busport_GoOffline(int handle) {
    std::lock_guard<std::mutex> guard(tableMutex);
    Adapter* adapter = Find(handle);
    if (adapter == nullptr) return;
    adapter->online = false;
    adapter->Forget();
}

void Busport_Close(int handle) {
    std::lock_guard<std::mutex> guard(tableMutex);
    Adapter* adapter = Find(handle);
    if (adapter != nullptr) *adapter = Adapter{};
}

int Busport_StationEndpoint(int handle, uint8_t stationAddress, uint32_t* ipv4, uint16_t* port) {
    return RouteEndpoint(handle, stationAddress, false, ipv4, port);
}

int Busport_StationGateway(int handle, uint8_t stationAddress, uint32_t* ipv4, uint16_t* port) {
    return RouteEndpoint(handle, stationAddress, true, ipv4, port);
}

int Busport_IsOpen(int handle) {
    std::lock_guard<std::mutex> guard(tableMutex);
    return Find(handle) != nullptr ? 1 : 0;
}

}  // extern "C"
