// Any bytes as an MPI bus file: the parser never crashes or writes outside the station
// table, and what it accepts lies within the documented ranges.
#include <cstdlib>
#include <string>

#include "bus_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vexal::busport;
    BusDescription bus;  // on the stack, where a stray index meets a red zone
    std::string error;
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (!ParseBusFile(text, &bus, &error)) {
        if (error.empty()) std::abort();
        return 0;
    }
    if (bus.ownAddress < 0 || bus.ownAddress > kMaxStationAddress || bus.highestAddress < 0 ||
        bus.highestAddress > kMaxHighestAddress) {
        std::abort();
    }
    for (const StationEndpoint& station : bus.stations) {
        if (station.present && station.port == 0) std::abort();
    }
    return 0;
}
