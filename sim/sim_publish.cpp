#include "sim_publish.h"

#include <cstdio>

#include "bus_file.h"

namespace vexal::sim {
namespace {

// "a.b.c.d:port" into an address with the first octet lowest and a port.
bool SplitBoundAddress(const std::string& text, uint32_t* ipv4, uint16_t* port) {
    unsigned octets[4];
    unsigned number = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%3u.%3u.%3u.%3u:%5u%c", &octets[0], &octets[1], &octets[2],
                    &octets[3], &number, &tail) != 5) {
        return false;
    }
    *ipv4 = 0;
    for (int i = 0; i < 4; ++i) {
        if (octets[i] > 255) return false;
        *ipv4 |= octets[i] << (8 * i);
    }
    if (number == 0 || number > 65535) return false;
    if (*ipv4 == 0) *ipv4 = 0x0100007F;
    *port = static_cast<uint16_t>(number);
    return true;
}

}  // namespace

bool PublishOnMpiBus(const SimOptions& options, const std::string& boundAddress,
                     std::string* error) {
    if (options.mpiBusFile.empty()) return true;
    uint32_t ipv4 = 0;
    uint16_t port = 0;
    if (!SplitBoundAddress(boundAddress, &ipv4, &port)) {
        *error = "cannot publish " + boundAddress + " on an MPI bus";
        return false;
    }
    return busport::PublishStation(options.mpiBusFile, options.mpiAddress, ipv4, port, error);
}

}  // namespace vexal::sim
