#include "link_engine.h"

#include <algorithm>

#include "tcp_socket.h"
#include "wire_bytes.h"

namespace vexal::cpulink {
namespace {

constexpr uint8_t kFunctionSetup = 0xF0;
// A runaway controller that never ends a fragmented answer is cut off here.
constexpr int kMaxUserdataFragments = 4096;
constexpr size_t kUserdataAnswerParamSize = 12;

int64_t DeadlineAfter(int timeoutMs) {
    return platform::MonotonicMs() + timeoutMs;
}

struct ControllerErrorStatus {
    uint16_t error;
    CpuStatus status;
};

// Codes whose meaning the status table names; every other refusal is a negative answer.
constexpr ControllerErrorStatus kControllerErrors[] = {
    {0xD241, CPULINK_ACCESS_DENIED},
    {0xD0A1, CPULINK_ACCESS_DENIED},
    {0x8103, CPULINK_ACCESS_DENIED},
    {0x8703, CPULINK_ACCESS_DENIED},
    {0xD242, CPULINK_ACCESS_DENIED},
    {0xD209, CPULINK_NOT_FOUND},
    {0x810A, CPULINK_NOT_FOUND},
    {0xD20E, CPULINK_NOT_FOUND},
    {0xD401, CPULINK_NOT_FOUND},
    {0xD402, CPULINK_NOT_FOUND},
    {0xD406, CPULINK_NOT_FOUND},
    {0xD204, CPULINK_NOT_FOUND},
    {0xD081, CPULINK_WRONG_MODE},
    {0x8001, CPULINK_WRONG_MODE},
    {0x8402, CPULINK_WRONG_MODE},
    {0xD0AD, CPULINK_WRONG_MODE},
    {0x8105, CPULINK_ADDRESS_OUT_OF_RANGE},
    {0x8701, CPULINK_ADDRESS_OUT_OF_RANGE},
    {0x8702, CPULINK_ADDRESS_OUT_OF_RANGE},
    {0x8106, CPULINK_TYPE_NOT_SUPPORTED},
    {0x8107, CPULINK_TYPE_NOT_SUPPORTED},
    {0x0116, CPULINK_BLOCK_PROTECTED},
};

std::vector<uint8_t> UserdataParams(uint8_t group, uint8_t subfunction, uint8_t sequence,
                                    bool followUp) {
    WireWriter params;
    params.U8(0x00);
    params.U8(0x01);
    params.U8(0x12);
    params.U8(followUp ? 0x08 : 0x04);
    params.U8(followUp ? 0x12 : 0x11);
    params.U8(0x40 | group);
    params.U8(subfunction);
    params.U8(sequence);
    if (followUp) params.U32(0);  // data unit reference, last-unit flag, error code
    return std::move(params.Get());
}

struct UserdataFragment {
    uint8_t sequence = 0;
    bool more = false;
    uint16_t error = 0;
    const uint8_t* payload = nullptr;
    size_t payloadLength = 0;
};

// Checks that a userdata answer belongs to this service and locates its payload.
bool ParseUserdataAnswer(const S7Message& answer, uint8_t group, uint8_t subfunction,
                         UserdataFragment* fragment) {
    if (answer.type != kS7Userdata || answer.paramLength < kUserdataAnswerParamSize) return false;
    const uint8_t* p = answer.Params();
    if (p[0] != 0x00 || p[1] != 0x01 || p[2] != 0x12 || p[3] != 0x08) return false;
    if ((p[5] & 0x3F) != group || (p[5] >> 6) != 2 || p[6] != subfunction) return false;
    fragment->sequence = p[7];
    fragment->more = p[9] != 0;
    fragment->error = BigEndian16(p + 10);
    WireReader data(answer.Data(), answer.dataLength);
    if (answer.dataLength == 0 && fragment->error != 0) return true;
    const uint8_t returnCode = data.U8();
    data.Skip(1);
    const uint16_t length = data.U16();
    if (!data.Ok()) return false;
    if (returnCode != kReturnSuccess) return true;
    fragment->payload = data.Take(length);
    fragment->payloadLength = length;
    return fragment->payload != nullptr || length == 0;
}

}  // namespace

std::vector<uint8_t> UserdataData(const std::vector<uint8_t>& payload) {
    WireWriter data;
    if (payload.empty()) {
        data.U32(0x0A000000);
        return std::move(data.Get());
    }
    data.U8(kReturnSuccess);
    data.U8(kTransportOctets);
    data.U16(payload.size());
    data.Bytes(payload.data(), payload.size());
    return std::move(data.Get());
}

CpuStatus StatusOfControllerError(uint16_t error) {
    if (error == 0) return CPULINK_OK;
    for (const ControllerErrorStatus& entry : kControllerErrors) {
        if (entry.error == error) return entry.status;
    }
    if ((error & 0xFF00) == 0xD400) return CPULINK_NOT_FOUND;
    return CPULINK_NEGATIVE_ANSWER;
}

CpuStatus StatusOfItemCode(uint8_t code) {
    switch (code) {
        case 0x03:
            return CPULINK_ACCESS_DENIED;
        case 0x05:
            return CPULINK_ADDRESS_OUT_OF_RANGE;
        case 0x06:
        case 0x07:
            return CPULINK_TYPE_NOT_SUPPORTED;
        case 0x0A:
            return CPULINK_NOT_FOUND;
        default:
            return CPULINK_NEGATIVE_ANSWER;
    }
}

LinkEngine::LinkEngine(std::unique_ptr<LinkTransport> transport, int answerTimeoutMs)
    : transport_(std::move(transport)),
      answerTimeoutMs_(answerTimeoutMs),
      pduSize_(transport_->MaxPduSize()) {}

CpuStatus LinkEngine::SetupCommunication(int64_t deadlineMs) {
    const size_t wanted = std::min(kRequestedPduSize, transport_->MaxPduSize());
    WireWriter params;
    params.U8(kFunctionSetup);
    params.U8(0);
    params.U16(1);  // one job outstanding at a time, in both directions
    params.U16(1);
    params.U16(wanted);
    const uint16_t reference = TakeReference();
    CpuStatus status = Send(BuildS7Request(kS7Job, reference, params.Get(), {}), deadlineMs);
    S7Message answer;
    while (status == CPULINK_OK) {
        status = ReceiveMessage(&answer, deadlineMs);
        if (status == CPULINK_OK && answer.reference == reference) break;
    }
    if (status != CPULINK_OK) return status;
    if (answer.type != kS7AckData || answer.error != 0 || answer.paramLength < 8 ||
        answer.Params()[0] != kFunctionSetup) {
        return Fail(CPULINK_PROTOCOL_ERROR);
    }
    const size_t granted = BigEndian16(answer.Params() + 6);
    if (granted < kSmallestPduSize) return Fail(CPULINK_PROTOCOL_ERROR);
    pduSize_ = std::min(granted, wanted);
    return CPULINK_OK;
}

CpuStatus LinkEngine::Exchange(uint8_t type, const std::vector<uint8_t>& params,
                               const std::vector<uint8_t>& data, S7Message* answer, int timeoutMs) {
    if (!IsOpen()) return CPULINK_NOT_CONNECTED;
    const int64_t deadline = DeadlineAfter(timeoutMs > 0 ? timeoutMs : answerTimeoutMs_);
    const uint16_t reference = TakeReference();
    WriteS7Request(type, reference, params, data, &request_);
    CpuStatus status = Send(request_, deadline);
    while (status == CPULINK_OK) {
        status = ReceiveMessage(answer, deadline);
        // Jobs of the controller and late answers to earlier requests are passed over.
        if (status != CPULINK_OK || answer->type == kS7Job || answer->reference != reference) {
            continue;
        }
        const bool expected =
            type == kS7Userdata ? answer->type == kS7Userdata : answer->type != kS7Userdata;
        if (!expected) return Fail(CPULINK_PROTOCOL_ERROR);
        return CPULINK_OK;
    }
    return status;
}

CpuStatus LinkEngine::AwaitControllerJob(S7Message* job) {
    if (!IsOpen()) return CPULINK_NOT_CONNECTED;
    const int64_t deadline = DeadlineAfter(answerTimeoutMs_);
    for (;;) {
        const CpuStatus status = ReceiveMessage(job, deadline);
        if (status != CPULINK_OK || job->type == kS7Job) return status;
    }
}

CpuStatus LinkEngine::AnswerControllerJob(uint16_t reference, const std::vector<uint8_t>& params,
                                          const std::vector<uint8_t>& data, uint16_t error) {
    if (!IsOpen()) return CPULINK_NOT_CONNECTED;
    return Send(BuildS7AckData(reference, params, data, error), DeadlineAfter(answerTimeoutMs_));
}

CpuStatus LinkEngine::ReadUserdata(uint8_t group, uint8_t subfunction,
                                   const std::vector<uint8_t>& request, size_t maxPayload,
                                   std::vector<uint8_t>* payload, uint16_t* controllerError) {
    payload->clear();
    *controllerError = 0;
    std::vector<uint8_t> params = UserdataParams(group, subfunction, 0, false);
    std::vector<uint8_t> data = UserdataData(request);
    for (int fragmentCount = 0; fragmentCount < kMaxUserdataFragments; ++fragmentCount) {
        S7Message answer;
        const CpuStatus status = Exchange(kS7Userdata, params, data, &answer);
        if (status != CPULINK_OK) return status;
        UserdataFragment fragment;
        if (!ParseUserdataAnswer(answer, group, subfunction, &fragment)) {
            return Fail(CPULINK_PROTOCOL_ERROR);
        }
        if (fragment.error != 0) {
            payload->clear();
            *controllerError = fragment.error;
            return CPULINK_OK;
        }
        if (payload->size() + fragment.payloadLength > maxPayload) {
            return Fail(CPULINK_PROTOCOL_ERROR);
        }
        payload->insert(payload->end(), fragment.payload,
                        fragment.payload + fragment.payloadLength);
        if (!fragment.more) return CPULINK_OK;
        params = UserdataParams(group, subfunction, fragment.sequence, true);
        data = UserdataData({});
    }
    return Fail(CPULINK_PROTOCOL_ERROR);
}

void LinkEngine::Close() {
    if (transport_) transport_->Close();
    transport_.reset();
}

CpuStatus LinkEngine::Send(const std::vector<uint8_t>& pdu, int64_t deadlineMs) {
    if (pdu.size() > pduSize_) return CPULINK_INVALID_ARGUMENT;
    const CpuStatus status = transport_->Send(pdu.data(), pdu.size(), deadlineMs);
    return status == CPULINK_OK ? status : Fail(status);
}

CpuStatus LinkEngine::ReceiveMessage(S7Message* message, int64_t deadlineMs) {
    const CpuStatus status = transport_->Receive(&message->bytes, pduSize_, deadlineMs);
    if (status != CPULINK_OK) return Fail(status);
    if (!ParseS7Message(message)) return Fail(CPULINK_PROTOCOL_ERROR);
    return CPULINK_OK;
}

CpuStatus LinkEngine::Fail(CpuStatus status) {
    if (CpuStatus_IsFatal(status)) Close();
    return status;
}

uint16_t LinkEngine::TakeReference() {
    const uint16_t reference = nextReference_;
    nextReference_ = nextReference_ == 0xFFFF ? 1 : nextReference_ + 1;
    return reference;
}

}  // namespace vexal::cpulink
