// The two station scans of the application object that the station list runs.
#include <algorithm>
#include <cstring>
#include <string>

#include "main_app.h"

namespace vexal {

// Probes every address below the bus's highest station address except the device's own.
// The probes do not use the PLC mutex: they go to the adapter, not to a connection.
bool CMainApp::ScanMpiStations(MpiStations* stations) {
    stations->count = 0;
    if (!mpiAvailable || !mpiEnabled) return false;
    const int limit =
        std::min<int>(busParams.bytes[BUSPORT_HIGHEST_ADDRESS_BYTE], BUSPORT_MAX_STATION);
    const int ownAddress = busParams.bytes[BUSPORT_OWN_ADDRESS_BYTE];
    for (int address = 0; address < limit; ++address) {
        if (address == ownAddress) continue;
        if (library_->CheckRemoteOnline(adapterHandle, static_cast<uint8_t>(address)) != 0) {
            stations->addresses[stations->count++] = static_cast<uint8_t>(address);
        }
    }
    return true;
}

bool CMainApp::ScanEthernetStations(EthernetStations* stations) {
    stations->count = 0;
    if (!ethernetEnabled) return false;
    StationTable table;
    const std::wstring adapterName = ethernetIface.toStdWString();
    if (!discovery.Scan(adapterName.c_str(), &table)) return false;
    for (int index = 0; index < table.Count(); ++index) {
        std::memcpy(stations->addresses[index], table.At(index).ip, discovery::kIpSize);
    }
    stations->count = table.Count();
    return true;
}

}  // namespace vexal
