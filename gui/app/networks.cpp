#include "networks.h"

#include <QSettings>
#include <algorithm>
#include <cstring>
#include <string>

#include "network_adapters.h"

namespace vexal {
namespace {

// The application profile: company key "Norrik", the values directly in the program's key.
const QString kProfileCompany = QStringLiteral("Norrik");
const QString kProfileApplication = QStringLiteral("VexalCE");
const QString kMpiValue = QStringLiteral("Mpi");
const QString kEthernetValue = QStringLiteral("Ethernet");
const QString kEthernetIfaceValue = QStringLiteral("EthernetIface");
const QString kDefaultEthernetIface = QStringLiteral("DM9CE1");
// The first adapters of the system that an Ethernet adapter is looked for among.
constexpr int kAdaptersLookedAt = 10;

}  // namespace

CNetworks::CNetworks(CPlcLibrary& library, std::unique_ptr<CNetworkStart> start)
    : library_(library), start_(std::move(start)) {}

void CNetworks::StartUp() {
    ReadSettings();
    state_.ethernetAvailable = start_->StartDiscovery(discovery_);
    adapterHandle_ = library_.OpenAdapter();
    state_.mpiAvailable = adapterHandle_ != BUSPORT_INVALID_HANDLE;
    if (state_.ethernetEnabled && !SelectEthernetAdapter(state_.ethernetIface) && !ifaceChosen_) {
        SelectFirstEthernetAdapter();
    }
    if (state_.mpiEnabled) GoMpiOnline();
}

// Until an adapter was stored, the default name stands for "any Ethernet adapter": the
// first one that discovery can use is taken, and stored at exit.
bool CNetworks::SelectFirstEthernetAdapter() {
    platform::NetworkAdapter adapters[kAdaptersLookedAt];
    const int listed = platform::ListNetworkAdapters(adapters, kAdaptersLookedAt);
    for (int index = 0; index < listed; ++index) {
        if (SelectEthernetAdapter(QString::fromLocal8Bit(adapters[index].name))) return true;
    }
    return false;
}

void CNetworks::ReleaseAdapter() {
    library_.GoOffline(adapterHandle_);
    CloseAdapter();
}

void CNetworks::CloseAdapter() {
    library_.CloseAdapter(adapterHandle_);
}

// The flags are stored as the integers 0 and 1.
void CNetworks::ReadSettings() {
    const QSettings profile(kProfileCompany, kProfileApplication);
    state_.mpiEnabled = profile.value(kMpiValue, 1).toInt() != 0;
    state_.ethernetEnabled = profile.value(kEthernetValue, 1).toInt() != 0;
    state_.ethernetIface = profile.value(kEthernetIfaceValue, kDefaultEthernetIface).toString();
    ifaceChosen_ = profile.contains(kEthernetIfaceValue);
}

void CNetworks::WriteSettings() const {
    QSettings profile(kProfileCompany, kProfileApplication);
    profile.setValue(kMpiValue, state_.mpiEnabled ? 1 : 0);
    profile.setValue(kEthernetValue, state_.ethernetEnabled ? 1 : 0);
    if (!state_.ethernetIface.isEmpty())
        profile.setValue(kEthernetIfaceValue, state_.ethernetIface);
    profile.sync();
}

void CNetworks::GoMpiOnline() {
    state_.mpiEnabled = state_.mpiAvailable && library_.GoOnlineDefault(adapterHandle_) != 0 &&
                        library_.GetCurNetPrm(adapterHandle_, &busParams_) != 0;
}

bool CNetworks::SelectEthernetAdapter(const QString& adapterName) {
    const std::wstring name = adapterName.toStdWString();
    state_.ethernetEnabled =
        state_.ethernetAvailable && CEthDiscovery::FindAdapter(name.c_str(), nullptr);
    if (state_.ethernetEnabled) state_.ethernetIface = adapterName;
    return state_.ethernetEnabled;
}

bool CNetworks::Apply(const NetworkChoice& choice) {
    const bool mpiChanged = ApplyMpi(choice.mpiOn);
    const bool ethernetChanged = ApplyEthernet(choice.tcpOn, choice.chosenAdapter);
    return mpiChanged || ethernetChanged;
}

bool CNetworks::ApplyMpi(bool mpiOn) {
    if (!state_.mpiAvailable || state_.mpiEnabled == mpiOn) return false;
    if (mpiOn) {
        GoMpiOnline();
    } else {
        state_.mpiEnabled = false;
        library_.GoOffline(adapterHandle_);
    }
    return true;
}

// A new adapter name counts only while Ethernet is on or being switched on.
bool CNetworks::ApplyEthernet(bool tcpOn, const QString& chosenAdapter) {
    const bool differs = tcpOn != state_.ethernetEnabled || chosenAdapter != state_.ethernetIface;
    if (!state_.ethernetAvailable || !differs || (!state_.ethernetEnabled && !tcpOn)) return false;
    state_.ethernetEnabled = false;
    if (tcpOn) SelectEthernetAdapter(chosenAdapter);
    return true;
}

// Going online again makes the adapter take in the bus as it is now, so that a station
// that joined since start-up is probed too. An adapter that cannot does not answer probes.
void CNetworks::RenewMpiBus() {
    if (library_.GoOnlineDefault(adapterHandle_) != 0) {
        library_.GetCurNetPrm(adapterHandle_, &busParams_);
    }
}

// Probes every address below the bus's highest station address except the device's own.
// The probes do not use the PLC mutex: they go to the adapter, not to a connection.
bool CNetworks::ScanMpiStations(MpiStations* stations) {
    stations->count = 0;
    if (!state_.mpiAvailable || !state_.mpiEnabled) return false;
    RenewMpiBus();
    const int limit =
        std::min<int>(busParams_.bytes[BUSPORT_HIGHEST_ADDRESS_BYTE], BUSPORT_MAX_STATION);
    const int ownAddress = busParams_.bytes[BUSPORT_OWN_ADDRESS_BYTE];
    for (int address = 0; address < limit; ++address) {
        if (address == ownAddress) continue;
        if (library_.CheckRemoteOnline(adapterHandle_, static_cast<uint8_t>(address)) != 0) {
            stations->addresses[stations->count++] = static_cast<uint8_t>(address);
        }
    }
    return true;
}

bool CNetworks::ScanEthernetStations(EthernetStations* stations) {
    stations->count = 0;
    if (!state_.ethernetEnabled) return false;
    StationTable table;
    const std::wstring adapterName = state_.ethernetIface.toStdWString();
    if (!discovery_.Scan(adapterName.c_str(), &table)) return false;
    for (int index = 0; index < table.Count(); ++index) {
        std::memcpy(stations->addresses[index], table.At(index).ip, discovery::kIpSize);
    }
    stations->count = table.Count();
    return true;
}

NetworkState CNetworks::State() const {
    NetworkState state = state_;
    state.rawFramesDenied = discovery_.RawFramesDenied();
    return state;
}

}  // namespace vexal
