#include "s7_pdu.h"

#include "wire_bytes.h"

namespace vexal::cpulink {
namespace {

// Overwrites *pdu, keeping its storage: the request of every exchange goes through here.
void WritePdu(uint8_t type, uint16_t reference, const std::vector<uint8_t>& params,
              const std::vector<uint8_t>& data, bool withError, std::vector<uint8_t>* pdu) {
    const auto high = [](size_t value) { return static_cast<uint8_t>(value >> 8); };
    const auto low = [](size_t value) { return static_cast<uint8_t>(value); };
    const uint8_t header[] = {kS7ProtocolId,
                              type,
                              0,
                              0,
                              high(reference),
                              low(reference),
                              high(params.size()),
                              low(params.size()),
                              high(data.size()),
                              low(data.size()),
                              0,
                              0};
    pdu->assign(header, header + (withError ? 12 : 10));
    pdu->insert(pdu->end(), params.begin(), params.end());
    pdu->insert(pdu->end(), data.begin(), data.end());
}

}  // namespace

bool ParseS7Message(S7Message* message) {
    WireReader reader(message->bytes.data(), message->bytes.size());
    if (reader.U8() != kS7ProtocolId) return false;
    message->type = reader.U8();
    reader.Skip(2);
    message->reference = reader.U16();
    message->paramLength = reader.U16();
    message->dataLength = reader.U16();
    const bool isAck = message->type == kS7Ack || message->type == kS7AckData;
    if (message->type != kS7Job && message->type != kS7Userdata && !isAck) return false;
    message->error = isAck ? reader.U16() : 0;
    if (!reader.Ok()) return false;
    message->paramOffset = reader.Position();
    message->dataOffset = message->paramOffset + message->paramLength;
    return reader.Remaining() == message->paramLength + message->dataLength;
}

void WriteS7Request(uint8_t type, uint16_t reference, const std::vector<uint8_t>& params,
                    const std::vector<uint8_t>& data, std::vector<uint8_t>* pdu) {
    WritePdu(type, reference, params, data, false, pdu);
}

std::vector<uint8_t> BuildS7Request(uint8_t type, uint16_t reference,
                                    const std::vector<uint8_t>& params,
                                    const std::vector<uint8_t>& data) {
    std::vector<uint8_t> pdu;
    WriteS7Request(type, reference, params, data, &pdu);
    return pdu;
}

std::vector<uint8_t> BuildS7AckData(uint16_t reference, const std::vector<uint8_t>& params,
                                    const std::vector<uint8_t>& data, uint16_t error) {
    std::vector<uint8_t> pdu;
    WritePdu(kS7AckData, reference, params, data, true, &pdu);
    pdu[10] = static_cast<uint8_t>(error >> 8);
    pdu[11] = static_cast<uint8_t>(error);
    return pdu;
}

}  // namespace vexal::cpulink
