// The two networks the station list finds controllers on: MPI through the adapter, and
// Ethernet through the discovery engine on the chosen adapter. Whether each is available
// and switched on, the three settings that remember the user's choice, the station scans,
// and the one operation that applies a choice made in the network dialog.
#pragma once

#include <QString>
#include <cstdint>
#include <memory>

#include "eth_discovery.h"
#include "plc_library.h"

namespace vexal {

struct NetworkState {
    bool mpiAvailable = false;       // the adapter was opened
    bool mpiEnabled = false;         // setting "Mpi"; after start-up whether MPI is online
    bool ethernetAvailable = false;  // the discovery engine started
    bool ethernetEnabled = false;    // setting "Ethernet"; after start-up whether the
                                     // chosen adapter was found
    QString ethernetIface;           // setting "EthernetIface": the Ethernet adapter's name
    // The last Ethernet scan found nothing because the process may not send raw frames.
    bool rawFramesDenied = false;
};

// What the user chose in the network dialog.
struct NetworkChoice {
    bool mpiOn = false;
    bool tcpOn = false;
    QString chosenAdapter;
};

struct MpiStations {
    int count;
    uint8_t addresses[BUSPORT_MAX_STATION];
};

struct EthernetStations {
    int count;
    uint8_t addresses[StationTable::kCapacity][discovery::kIpSize];  // first octet first
};

// Starts the discovery engine; tests replace it to make the start fail.
class CNetworkStart {
public:
    virtual ~CNetworkStart() = default;
    virtual bool StartDiscovery(CEthDiscovery& engine) { return engine.StartDiscovery(); }
};

class CNetworks {
public:
    CNetworks(CPlcLibrary& library, std::unique_ptr<CNetworkStart> start);

    // Reads the settings, starts the discovery engine, opens the adapter and brings up each
    // network that the settings switch on.
    void StartUp();
    // The adapter offline, then closed, whatever its handle; only closed.
    void ReleaseAdapter();
    void CloseAdapter();
    // Stores what came up, so that a network that failed is not tried at the next start.
    void WriteSettings() const;

    void GoMpiOnline();
    // Takes the adapter only when a network adapter has exactly this name.
    bool SelectEthernetAdapter(const QString& adapterName);
    // Switches the networks as chosen; true when the stations need listing again.
    bool Apply(const NetworkChoice& choice);

    bool ScanMpiStations(MpiStations* stations);
    bool ScanEthernetStations(EthernetStations* stations);

    NetworkState State() const;
    int AdapterHandle() const { return adapterHandle_; }

private:
    void ReadSettings();
    bool SelectFirstEthernetAdapter();
    void RenewMpiBus();
    bool ApplyMpi(bool mpiOn);
    bool ApplyEthernet(bool tcpOn, const QString& chosenAdapter);

    CPlcLibrary& library_;
    std::unique_ptr<CNetworkStart> start_;
    CEthDiscovery discovery_;
    int adapterHandle_ = BUSPORT_INVALID_HANDLE;
    BusParameters busParams_{};
    NetworkState state_;
    // The settings held an adapter name: the user's choice, kept even when it is missing.
    bool ifaceChosen_ = false;
};

}  // namespace vexal
