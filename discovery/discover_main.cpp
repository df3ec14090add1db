// vexal-discover IFACE: runs one discovery scan on the named adapter and prints one line
// per station found, "IP MASK MAC", in scan order. Exit 0 after a scan (also when nothing
// answered), 1 when the scan fails, 2 on bad usage.
#include <cstdio>

#include "code_page.h"
#include "eth_discovery.h"
#include "frame_device.h"

namespace {

void PrintStation(const vexal::StationEntry& station) {
    std::printf("%u.%u.%u.%u %u.%u.%u.%u %02x:%02x:%02x:%02x:%02x:%02x\n", station.ip[0],
                station.ip[1], station.ip[2], station.ip[3], station.mask[0], station.mask[1],
                station.mask[2], station.mask[3], station.mac[0], station.mac[1], station.mac[2],
                station.mac[3], station.mac[4], station.mac[5]);
}

// The scan runs on the engine's worker thread, so its errno is gone: a second attempt
// here tells a missing right from other failures.
bool LacksRawFrameRight() {
    errno = 0;
    if (vexal::platform::OpenPacketFrameDevice()) return false;
    return errno == EPERM || errno == EACCES;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '\0') {
        std::fprintf(stderr, "usage: vexal-discover IFACE\n");
        return 2;
    }
    wchar_t name[vexal::platform::kAdapterNameCapacity];
    if (!vexal::platform::NarrowToWide(argv[1], name, vexal::platform::kAdapterNameCapacity,
                                       nullptr)) {
        std::fprintf(stderr, "vexal-discover: no such adapter: %s\n", argv[1]);
        return 1;
    }
    static vexal::CEthDiscovery engine;
    static vexal::StationTable stations;
    if (!engine.StartDiscovery()) {
        std::fprintf(stderr, "vexal-discover: the discovery engine cannot start\n");
        return 1;
    }
    if (!engine.Scan(name, &stations)) {
        if (LacksRawFrameRight()) {
            std::fprintf(stderr,
                         "vexal-discover: no right to send raw frames: run it as root or grant "
                         "it CAP_NET_RAW (setcap cap_net_raw+ep)\n");
            return 1;
        }
        std::fprintf(stderr, "vexal-discover: the scan on %s failed\n", argv[1]);
        return 1;
    }
    for (int i = 0; i < stations.Count(); ++i) PrintStation(stations.At(i));
    return std::fflush(stdout) == 0 ? 0 : 1;
}
