// The discovery protocol's frames: IEEE 802.3 frames with an LLC/SNAP header (DSAP AA,
// SSAP AA, control 03, organisation code 08-00-06, protocol id 0x01FD) and a 2-byte
// service. Multi-byte numbers are big-endian; addresses and masks travel first octet first.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vexal::discovery {

inline constexpr size_t kMacSize = 6;
inline constexpr size_t kIpSize = 4;

inline constexpr uint16_t kServiceIdentifyRequest = 0x0500;
inline constexpr uint16_t kServiceIdentifyAnswer = 0x0501;
inline constexpr uint16_t kServiceAddressRequest = 0x0300;
inline constexpr uint16_t kServiceAddressAnswer = 0x0301;

inline constexpr size_t kIdentifyRequestSize = 24;
inline constexpr size_t kAddressRequestSize = 28;
inline constexpr size_t kIdentifyAnswerSize = 24;
inline constexpr size_t kAddressAnswerSize = 44;

// The organisation code as the frame device's SNAP filter takes it, least significant
// byte first.
inline constexpr uint8_t kSnapFilterCode[3] = {0x06, 0x00, 0x08};

inline constexpr uint8_t kBroadcastMac[kMacSize] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

bool IsBroadcastMac(const uint8_t* mac);
bool SameMac(const uint8_t* a, const uint8_t* b);

// Requests of the scanning side; `out` holds at least the request's size. Return the size.
size_t BuildIdentifyRequest(const uint8_t* ownMac, uint8_t* out);
size_t BuildAddressRequest(const uint8_t* destMac, const uint8_t* ownMac, uint8_t* out);

struct Answer {
    enum class Kind { kNone, kIdentify, kAddress };
    Kind kind = Kind::kNone;
    uint8_t mac[kMacSize] = {};  // the answering station
    uint8_t ip[kIpSize] = {};    // address answers only
    uint8_t mask[kIpSize] = {};
};

// What a received frame means to the scanning side. `destMac` is all ones while an
// identify request is outstanding and the asked station's MAC while an address request
// is. Frames of the scanner itself, from other stations while one is asked, too short,
// without the header, with an address answer shorter than its fields, or answering the
// other kind of request than the one outstanding, mean nothing.
Answer InspectAnswer(const uint8_t* frame, size_t size, const uint8_t* ownMac,
                     const uint8_t* destMac);

struct Request {
    enum class Kind { kNone, kIdentify, kAddress };
    Kind kind = Kind::kNone;
    uint8_t mac[kMacSize] = {};  // the asking side
};

// What a received frame asks of the station with MAC `stationMac`.
Request InspectRequest(const uint8_t* frame, size_t size, const uint8_t* stationMac);

// Answers of the station side; `out` holds at least the answer's size. Return the size.
size_t BuildIdentifyAnswer(const uint8_t* destMac, const uint8_t* stationMac, uint8_t* out);
size_t BuildAddressAnswer(const uint8_t* destMac, const uint8_t* stationMac, const uint8_t* ip,
                          const uint8_t* mask, uint8_t* out);

}  // namespace vexal::discovery
