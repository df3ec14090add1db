// The request/answer engine: one open link to a controller over any route. It numbers
// requests, matches answers to them by PDU reference, bounds every wait, reassembles
// userdata answers sent in fragments, and closes the link on any fatal status.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "link_transport.h"
#include "s7_pdu.h"

namespace vexal::cpulink {

// The PDU size the engine asks for: 960 bytes is the largest an S7-400 negotiates.
constexpr size_t kRequestedPduSize = 960;
// Below this no read item header, userdata header and block chunk fit together.
constexpr size_t kSmallestPduSize = 128;

class LinkEngine {
public:
    LinkEngine(std::unique_ptr<LinkTransport> transport, int answerTimeoutMs);

    // Negotiates the PDU size; the first exchange of every link.
    CpuStatus SetupCommunication(int64_t deadlineMs);

    bool IsOpen() const { return transport_ != nullptr; }
    size_t PduSize() const { return pduSize_; }
    int AnswerTimeoutMs() const { return answerTimeoutMs_; }
    // The reference the next request will carry.
    uint16_t NextReference() const { return nextReference_; }

    // Sends a job or a userdata request and waits for its answer; a job is answered by an
    // ack or ack-data, a userdata request by userdata. timeoutMs 0 means the answer
    // time-out of the settings.
    CpuStatus Exchange(uint8_t type, const std::vector<uint8_t>& params,
                       const std::vector<uint8_t>& data, S7Message* answer, int timeoutMs = 0);

    // Waits for a job the controller sends (the block requests of a download).
    CpuStatus AwaitControllerJob(S7Message* job);
    CpuStatus AnswerControllerJob(uint16_t reference, const std::vector<uint8_t>& params,
                                  const std::vector<uint8_t>& data, uint16_t error = 0);

    // A userdata service of group/subfunction with its follow-up requests. On success
    // *payload holds every fragment's payload in order and *controllerError the error the
    // controller reported (0 when none); a refusal is not a failure of the exchange.
    CpuStatus ReadUserdata(uint8_t group, uint8_t subfunction, const std::vector<uint8_t>& request,
                           size_t maxPayload, std::vector<uint8_t>* payload,
                           uint16_t* controllerError);

    void Close();
    // Closes the link because an answer did not parse, and says so.
    CpuStatus ProtocolError() {
        Close();
        return CPULINK_PROTOCOL_ERROR;
    }

private:
    CpuStatus Send(const std::vector<uint8_t>& pdu, int64_t deadlineMs);
    CpuStatus ReceiveMessage(S7Message* message, int64_t deadlineMs);
    CpuStatus Fail(CpuStatus status);
    uint16_t TakeReference();

    std::unique_ptr<LinkTransport> transport_;
    int answerTimeoutMs_;
    size_t pduSize_;
    uint16_t nextReference_ = 1;
    std::vector<uint8_t> request_;  // kept between exchanges, so that none allocates
};

// Userdata function groups and the data-part header of userdata.
constexpr uint8_t kGroupBlocks = 0x03;
constexpr uint8_t kGroupCpu = 0x04;
constexpr uint8_t kGroupSecurity = 0x05;
constexpr uint8_t kGroupTime = 0x07;
constexpr uint8_t kReturnSuccess = 0xFF;
constexpr uint8_t kReturnNoData = 0x0A;
constexpr uint8_t kTransportOctets = 0x09;

// A userdata data part: "FF 09 len payload", or "0A 00 00 00" without payload.
std::vector<uint8_t> UserdataData(const std::vector<uint8_t>& payload);

// The status word for an error a controller reports in an ack or a userdata answer.
CpuStatus StatusOfControllerError(uint16_t error);
// The status word for a read or write item return code other than 0xFF.
CpuStatus StatusOfItemCode(uint8_t code);

}  // namespace vexal::cpulink
