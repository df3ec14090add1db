// The command line of vexal-plcsim:
//   vexal-plcsim [--listen ADDR:PORT]... [--program FILE.wld] [--password TEXT]
//                [--mode run|stop] [--keyswitch run|run-p|stop|mres] [--pdu N]
//                [--drop-after N] [--delay-ms N] [--refuse-ssl ID]... [--protect BLOCK]...
//                [--dump FILE] [--mpi-bus FILE --mpi-address N] [--mpi-station N]...
//                [--discovery IFACE --ip A.B.C.D --mask A.B.C.D]
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "vexal_types.h"

namespace vexal::sim {

enum class OperatingMode { kStop, kRun };

// Mode selector positions, numbered as list 0x0132 index 4 reports them.
enum class Keyswitch : uint16_t { kRun = 1, kRunP = 2, kStop = 3, kMres = 4 };

struct Endpoint {
    std::string host;
    uint16_t port = 0;
};

struct SimOptions {
    std::vector<Endpoint> listen;  // empty: 127.0.0.1:102
    std::string programFile;       // empty: the demo program
    std::string password;          // empty: no password protection
    OperatingMode mode = OperatingMode::kRun;
    Keyswitch keyswitch = Keyswitch::kRunP;
    uint16_t maxPdu = 240;   // an S7-300 negotiates 240 bytes
    uint32_t dropAfter = 0;  // 0: never drop
    uint32_t delayMs = 0;
    // A connection must finish its connect request and set-up, and every S7 PDU must
    // arrive whole, within this time once begun; a peer that stalls is disconnected.
    uint32_t stallLimitMs = 5000;
    std::set<uint16_t> refusedLists;
    std::set<BlockRef> protectedBlocks;
    std::string dumpFile;
    std::string mpiBusFile;  // empty: not on an MPI bus
    int mpiAddress = -1;
    // Empty: one controller answers every connection request. Otherwise one controller per
    // address, behind the listeners as behind an Ethernet-to-MPI gateway: a connection
    // request reaches the station of its called TSAP's rack/slot byte, or is refused.
    std::set<int> mpiStations;
    std::string discoveryInterface;  // empty: no answers to Ethernet discovery
    std::string discoveryIp;
    std::string discoveryMask;
};

extern const char kSimUsage[];

// Fills options from the arguments after the program name. On a bad option returns false
// with *error naming it.
bool ParseSimOptions(int argc, const char* const* argv, SimOptions* options, std::string* error);

// "OB1", "fc2", "SDB0" as a block reference; false for anything else.
bool ParseBlockName(const std::string& text, BlockRef* block);

}  // namespace vexal::sim
