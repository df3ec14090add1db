#include "discovery_frames.h"

#include <cstring>

namespace vexal::discovery {
namespace {

constexpr uint8_t kSnapHeader[8] = {0xAA, 0xAA, 0x03, 0x08, 0x00, 0x06, 0x01, 0xFD};
// The address request's trailing bytes, sent as they are; the station echoes them.
constexpr uint8_t kAddressRequestTail[4] = {0x07, 0x00, 0x02, 0x00};

constexpr size_t kSourceOffset = 6;
constexpr size_t kLengthOffset = 12;
constexpr size_t kSnapOffset = 14;
constexpr size_t kServiceOffset = 22;
constexpr size_t kHeaderSize = 24;  // through the service
constexpr size_t kAnswerIpOffset = 32;
constexpr size_t kAnswerMaskOffset = 36;
// The IEEE 802.3 length counts the bytes after the 14-byte MAC header.
constexpr size_t kLengthFieldBase = 14;
// An address answer carries 30 bytes after the MAC header; a shorter one is not taken.
constexpr uint16_t kMinAddressAnswerLength = 30;

uint16_t ReadBig16(const uint8_t* bytes) {
    return static_cast<uint16_t>((bytes[0] << 8) | bytes[1]);
}

void WriteBig16(uint8_t* bytes, uint16_t value) {
    bytes[0] = static_cast<uint8_t>(value >> 8);
    bytes[1] = static_cast<uint8_t>(value);
}

// Destination, source, length, SNAP header and service: the first 24 bytes of every frame.
void WriteHeader(const uint8_t* destMac, const uint8_t* sourceMac, size_t frameSize,
                 uint16_t service, uint8_t* out) {
    std::memcpy(out, destMac, kMacSize);
    std::memcpy(out + kSourceOffset, sourceMac, kMacSize);
    WriteBig16(out + kLengthOffset, static_cast<uint16_t>(frameSize - kLengthFieldBase));
    std::memcpy(out + kSnapOffset, kSnapHeader, sizeof kSnapHeader);
    WriteBig16(out + kServiceOffset, service);
}

// The common checks: at least the 24 header bytes, the length field within what arrived,
// and the SNAP header. Returns the length field, or -1.
int CheckedLength(const uint8_t* frame, size_t size) {
    if (frame == nullptr || size < kHeaderSize) return -1;
    const uint16_t length = ReadBig16(frame + kLengthOffset);
    if (size < static_cast<size_t>(length) + kLengthFieldBase) return -1;
    if (std::memcmp(frame + kSnapOffset, kSnapHeader, sizeof kSnapHeader) != 0) return -1;
    return length;
}

}  // namespace

bool IsBroadcastMac(const uint8_t* mac) {
    return SameMac(mac, kBroadcastMac);
}

bool SameMac(const uint8_t* a, const uint8_t* b) {
    return std::memcmp(a, b, kMacSize) == 0;
}

size_t BuildIdentifyRequest(const uint8_t* ownMac, uint8_t* out) {
    WriteHeader(kBroadcastMac, ownMac, kIdentifyRequestSize, kServiceIdentifyRequest, out);
    return kIdentifyRequestSize;
}

size_t BuildAddressRequest(const uint8_t* destMac, const uint8_t* ownMac, uint8_t* out) {
    WriteHeader(destMac, ownMac, kAddressRequestSize, kServiceAddressRequest, out);
    std::memcpy(out + kHeaderSize, kAddressRequestTail, sizeof kAddressRequestTail);
    return kAddressRequestSize;
}

Answer InspectAnswer(const uint8_t* frame, size_t size, const uint8_t* ownMac,
                     const uint8_t* destMac) {
    Answer answer;
    if (frame == nullptr || size < kSourceOffset + kMacSize) return answer;
    const uint8_t* source = frame + kSourceOffset;
    if (SameMac(source, ownMac)) return answer;
    const bool askingOneStation = !IsBroadcastMac(destMac);
    if (askingOneStation && !SameMac(source, destMac)) return answer;
    const int length = CheckedLength(frame, size);
    if (length < 0) return answer;
    const uint16_t service = ReadBig16(frame + kServiceOffset);
    if (service == kServiceAddressAnswer) {
        if (length < kMinAddressAnswerLength) return answer;
        std::memcpy(answer.ip, frame + kAnswerIpOffset, kIpSize);
        std::memcpy(answer.mask, frame + kAnswerMaskOffset, kIpSize);
        answer.kind = Answer::Kind::kAddress;
    } else if (service == kServiceIdentifyAnswer && !askingOneStation) {
        answer.kind = Answer::Kind::kIdentify;
    } else {
        return answer;
    }
    std::memcpy(answer.mac, source, kMacSize);
    return answer;
}

Request InspectRequest(const uint8_t* frame, size_t size, const uint8_t* stationMac) {
    Request request;
    if (CheckedLength(frame, size) < 0) return request;
    const uint8_t* source = frame + kSourceOffset;
    if (SameMac(source, stationMac)) return request;
    const bool toStation = SameMac(frame, stationMac);
    const uint16_t service = ReadBig16(frame + kServiceOffset);
    if (service == kServiceIdentifyRequest && (toStation || IsBroadcastMac(frame))) {
        request.kind = Request::Kind::kIdentify;
    } else if (service == kServiceAddressRequest && toStation) {
        request.kind = Request::Kind::kAddress;
    } else {
        return request;
    }
    std::memcpy(request.mac, source, kMacSize);
    return request;
}

size_t BuildIdentifyAnswer(const uint8_t* destMac, const uint8_t* stationMac, uint8_t* out) {
    WriteHeader(destMac, stationMac, kIdentifyAnswerSize, kServiceIdentifyAnswer, out);
    return kIdentifyAnswerSize;
}

size_t BuildAddressAnswer(const uint8_t* destMac, const uint8_t* stationMac, const uint8_t* ip,
                          const uint8_t* mask, uint8_t* out) {
    std::memset(out, 0, kAddressAnswerSize);
    WriteHeader(destMac, stationMac, kAddressAnswerSize, kServiceAddressAnswer, out);
    std::memcpy(out + kHeaderSize, kAddressRequestTail, sizeof kAddressRequestTail);
    std::memcpy(out + kAnswerIpOffset, ip, kIpSize);
    std::memcpy(out + kAnswerMaskOffset, mask, kIpSize);
    return kAddressAnswerSize;
}

}  // namespace vexal::discovery
