// The COTP connection request (class 0, RFC 905) that opens an S7 link over ISO-on-TCP,
// shared by the link and by the MPI adapter, which asks gateways for stations with it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vexal::cotp {

inline constexpr uint8_t kConnectionConfirm = 0xD0;
inline constexpr uint8_t kDisconnectRequest = 0x80;
inline constexpr uint8_t kTpduError = 0x70;
inline constexpr size_t kRequestSize = 22;

// A PG connection request in its TPKT: source reference 1, TPDU size 1024 (code 0x0A, a
// 960-byte PDU fits whole), calling TSAP 0x0100, called TSAP 0x01 followed by the
// rack/slot byte (rack × 32 + slot; behind a gateway the station's MPI address).
inline std::array<uint8_t, kRequestSize> ConnectionRequest(uint8_t rackSlot) {
    return {0x03, 0x00, 0x00, kRequestSize, 17,   0xE0, 0x00, 0x00, 0x00, 0x01, 0x00,
            0xC0, 0x01, 0x0A, 0xC1,         0x02, 0x01, 0x00, 0xC2, 0x02, 0x01, rackSlot};
}

}  // namespace vexal::cotp
