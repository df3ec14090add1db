// Arbitrary received frames through both sides of discovery. The first byte picks the
// request the scanner has outstanding (identify, or an address request to the frame's
// source); the rest is the frame. Checked: nothing reads outside the frame, an address
// answer's fields come from their offsets, and whatever a station answers is taken by the
// scanner as the answer it asked for.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "discovery_frames.h"
#include "eth_discovery.h"
#include "discovery_responder.h"

namespace {

using vexal::discovery::Answer;
using vexal::discovery::StationIdentity;

constexpr uint8_t kOwnMac[6] = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01};
constexpr StationIdentity kStation = {{0x02, 0x20, 0, 0, 0, 7}, {10, 0, 0, 7}, {255, 0, 0, 0}};

void Require(bool condition) {
    if (!condition) std::abort();
}

void CheckScannerSide(const std::vector<uint8_t>& frame, bool askingOne) {
    uint8_t destMac[6];
    std::memcpy(destMac, vexal::discovery::kBroadcastMac, 6);
    if (askingOne && frame.size() >= 12) std::memcpy(destMac, frame.data() + 6, 6);
    const Answer answer =
        vexal::discovery::InspectAnswer(frame.data(), frame.size(), kOwnMac, destMac);
    if (answer.kind == Answer::Kind::kAddress) {
        Require(frame.size() >= 44);
        Require(std::memcmp(answer.ip, frame.data() + 32, 4) == 0);
        Require(std::memcmp(answer.mask, frame.data() + 36, 4) == 0);
    }
    static vexal::CEthDiscovery engine;  // never started: the handler alone runs
    engine.HandleFrame(frame.data(), frame.size());
}

void CheckStationSide(const std::vector<uint8_t>& frame) {
    uint8_t reply[vexal::discovery::kAddressAnswerSize];
    const size_t size = vexal::discovery::AnswerFor(kStation, frame.data(), frame.size(), reply);
    if (size == 0) return;
    const uint8_t* asker = frame.data() + 6;
    const bool address = reply[23] == 0x01 && reply[22] == 0x03;
    const Answer taken = vexal::discovery::InspectAnswer(
        reply, size, asker, address ? kStation.mac : vexal::discovery::kBroadcastMac);
    Require(taken.kind == (address ? Answer::Kind::kAddress : Answer::Kind::kIdentify));
    Require(std::memcmp(taken.mac, kStation.mac, 6) == 0);
    if (address) Require(std::memcmp(taken.ip, kStation.ip, 4) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::vector<uint8_t> frame(data + 1, data + size);
    CheckScannerSide(frame, (data[0] & 1) != 0);
    CheckStationSide(frame);
    return 0;
}
