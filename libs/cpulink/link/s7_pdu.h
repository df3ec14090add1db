// The S7 PDU header (protocol id 0x32) and the answers the engine receives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vexal::cpulink {

enum S7MessageType : uint8_t {
    kS7Job = 0x01,
    kS7Ack = 0x02,
    kS7AckData = 0x03,
    kS7Userdata = 0x07,
};

constexpr uint8_t kS7ProtocolId = 0x32;
constexpr size_t kS7RequestHeaderSize = 10;  // jobs and userdata
constexpr size_t kS7AnswerHeaderSize = 12;   // acks carry the error class and code

// A received PDU with its parts located. The offsets stay valid when the message is
// copied or moved.
struct S7Message {
    std::vector<uint8_t> bytes;
    uint8_t type = 0;
    uint16_t reference = 0;
    uint16_t error = 0;  // error class and code of an ack, 0 otherwise
    size_t paramOffset = 0;
    size_t paramLength = 0;
    size_t dataOffset = 0;
    size_t dataLength = 0;

    const uint8_t* Params() const { return bytes.data() + paramOffset; }
    const uint8_t* Data() const { return bytes.data() + dataOffset; }
};

// Locates the parts of message->bytes; false when the header is not an S7 header or its
// lengths do not add up to exactly the bytes that arrived.
bool ParseS7Message(S7Message* message);

// A job or userdata PDU, written over *pdu (its storage is kept) or returned.
void WriteS7Request(uint8_t type, uint16_t reference, const std::vector<uint8_t>& params,
                    const std::vector<uint8_t>& data, std::vector<uint8_t>* pdu);
std::vector<uint8_t> BuildS7Request(uint8_t type, uint16_t reference,
                                    const std::vector<uint8_t>& params,
                                    const std::vector<uint8_t>& data);

// An ack-data PDU, the answer to a job the controller sent; error 0 accepts the job,
// any other class/code refuses it.
std::vector<uint8_t> BuildS7AckData(uint16_t reference, const std::vector<uint8_t>& params,
                                    const std::vector<uint8_t>& data, uint16_t error = 0);

}  // namespace vexal::cpulink
