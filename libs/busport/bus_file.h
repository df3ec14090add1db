// The bus file describes an MPI bus the way an Ethernet-to-MPI gateway exposes it:
//
//     # comment lines and blank lines are ignored
//     own 0
//     highest 31
//     station 2 127.0.0.1:10102
//
// `own` is this device's address (0 to 126), `highest` the highest station address on the
// bus (0 to 255), and each `station` line names one station address (0 to 126, once) and
// the IPv4 endpoint that carries its S7 traffic.
#pragma once

#include <cstdint>
#include <string>

namespace vexal::busport {

inline constexpr int kMaxStationAddress = 126;
inline constexpr int kMaxHighestAddress = 255;
// A bus file larger than this is no bus file.
inline constexpr size_t kMaxBusFileSize = 65536;

struct StationEndpoint {
    bool present = false;
    uint32_t ipv4 = 0;  // first octet in the least significant byte
    uint16_t port = 0;
};

struct BusDescription {
    int ownAddress = -1;
    int highestAddress = -1;
    StationEndpoint stations[kMaxStationAddress + 1];
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
