// The bus file describes an MPI bus and how its stations are reached:
//
//     # comment lines and blank lines are ignored
//     own 0
//     highest 31
//     gateway 192.168.0.50          every station behind an Ethernet-to-MPI gateway (port 102)
//     station 2 127.0.0.1:10102     a station with an ISO-on-TCP endpoint of its own
//     station 9 gateway 10.0.0.7:102   a station behind a gateway of its own
//     probes 4 300                  a scan's probes through one gateway: at once, ms each
//
// `own` is this device's address (0 to 126), `highest` the highest station address on the
// bus (0 to 255), each `station` line names one station address (0 to 126, once) and its
// route. A gateway is asked for station N by the rack/slot byte N of the called TSAP.
#pragma once

#include <cstdint>
#include <string>

namespace vexal::busport {

inline constexpr int kMaxStationAddress = 126;
inline constexpr int kMaxHighestAddress = 255;
// A bus file larger than this is no bus file.
inline constexpr size_t kMaxBusFileSize = 65536;

inline constexpr uint16_t kIsoOnTcpPort = 102;
// Gateways accept only a few connections at once; a scan stays below that.
inline constexpr int kDefaultGatewayProbes = 4;
inline constexpr int kMaxGatewayProbes = 16;
// Connect and connection confirm of one probe; a gateway on a healthy bus confirms a
// present station well within this.
inline constexpr int kDefaultProbeMs = 300;
inline constexpr int kMinProbeMs = 20;
inline constexpr int kMaxProbeMs = 10000;

struct StationEndpoint {
    bool present = false;
    bool viaGateway = false;  // the endpoint is a gateway that is asked for the station
    uint32_t ipv4 = 0;        // first octet in the least significant byte
    uint16_t port = 0;

    bool SameGateway(const StationEndpoint& other) const {
        return present && other.present && viaGateway && other.viaGateway && ipv4 == other.ipv4 &&
               port == other.port;
    }
};

struct BusDescription {
    int ownAddress = -1;
    int highestAddress = -1;
    StationEndpoint gateway;  // present: the route of every station without a line
    int gatewayProbes = -1;   // -1 until a `probes` line sets it
    int probeMs = kDefaultProbeMs;
    StationEndpoint stations[kMaxStationAddress + 1];

    // The station's own line, else the bus's gateway; not present when neither.
    StationEndpoint RouteTo(int address) const {
        if (address < 0 || address > kMaxStationAddress) return {};
        return stations[address].present ? stations[address] : gateway;
    }
    int ProbesAtOnce() const { return gatewayProbes < 0 ? kDefaultGatewayProbes : gatewayProbes; }
};

// Parses a bus file's text. On failure *error names the line and what is wrong with it.
bool ParseBusFile(const std::string& text, BusDescription* bus, std::string* error);

// The text of a station line's endpoint, "a.b.c.d:port".
std::string FormatEndpoint(uint32_t ipv4, uint16_t port);

// Reads a whole bus file; false when it cannot be read or is too large.
bool ReadBusFile(const std::string& path, std::string* text);

// Adds the station to the bus file or replaces its line, creating the file with `own 0`
// and `highest 31` when it is absent. Several processes may do this at once: the file is
// locked while it is read and replaced. On failure *error says why.
bool PublishStation(const std::string& path, int address, uint32_t ipv4, uint16_t port,
                    std::string* error);

}  // namespace vexal::busport
