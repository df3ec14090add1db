// S7 PDUs built byte by byte from the protocol layout, for tests and fuzz targets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vexal::testing {

using Bytes = std::vector<uint8_t>;

inline void AppendBe16(Bytes& bytes, size_t value) {
    bytes.insert(bytes.end(), {static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)});
}

// A PDU of `type` (0x01 job, 0x03 acknowledgement with data, 0x07 userdata) with its
// lengths filled in; an acknowledgement carries the error field 0.
inline Bytes Pdu(uint8_t type, const Bytes& params, const Bytes& data, uint16_t reference = 1) {
    Bytes pdu = {0x32, type, 0, 0};
    AppendBe16(pdu, reference);
    AppendBe16(pdu, params.size());
    AppendBe16(pdu, data.size());
    if (type == 0x03) AppendBe16(pdu, 0);
    pdu.insert(pdu.end(), params.begin(), params.end());
    pdu.insert(pdu.end(), data.begin(), data.end());
    return pdu;
}

// The first userdata request of function `group` (3 blocks, 4 status lists, 7 clock).
inline Bytes UserdataRequest(uint8_t group, uint8_t subfunction, const Bytes& payload) {
    Bytes data = {0x0A, 0x00, 0x00, 0x00};
    if (!payload.empty()) {
        data = {0xFF, 0x09};
        AppendBe16(data, payload.size());
        data.insert(data.end(), payload.begin(), payload.end());
    }
    const uint8_t function = static_cast<uint8_t>(0x40 | group);
    return Pdu(0x07, {0x00, 0x01, 0x12, 0x04, 0x11, function, subfunction, 0x00}, data);
}

}  // namespace vexal::testing
