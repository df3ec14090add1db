#include "s7_pdu.h"

#include "wire_bytes.h"

namespace vexal::cpulink {
namespace {

std::vector<uint8_t> BuildPdu(uint8_t type, uint16_t reference, const std::vector<uint8_t>& params,
                              const std::vector<uint8_t>& data, bool withError) {
    WireWriter pdu;
    pdu.U8(kS7ProtocolId);
    pdu.U8(type);
    pdu.U16(0);
    pdu.U16(reference);
    pdu.U16(params.size());
    pdu.U16(data.size());
    if (withError) pdu.U16(0);
    pdu.Bytes(params.data(), params.size());
    pdu.Bytes(data.data(), data.size());
    return std::move(pdu.Get());
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

std::vector<uint8_t> BuildS7Request(uint8_t type, uint16_t reference,
                                    const std::vector<uint8_t>& params,
                                    const std::vector<uint8_t>& data) {
    return BuildPdu(type, reference, params, data, false);
}

std::vector<uint8_t> BuildS7AckData(uint16_t reference, const std::vector<uint8_t>& params,
                                    const std::vector<uint8_t>& data) {
    return BuildPdu(kS7AckData, reference, params, data, true);
}

}  // namespace vexal::cpulink
