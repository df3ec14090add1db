#include "plc_session.h"

#include <algorithm>
#include <cstring>

#include "plc_lists.h"
#include "sim_clock.h"

namespace vexal::sim {
namespace {

constexpr uint8_t kProtocolId = 0x32;
constexpr uint8_t kJob = 0x01;
constexpr uint8_t kAck = 0x02;
constexpr uint8_t kAckData = 0x03;
constexpr uint8_t kUserdata = 0x07;
constexpr uint8_t kFunctionSetup = 0xF0;
constexpr uint8_t kFunctionRead = 0x04;
constexpr uint8_t kFunctionWrite = 0x05;
constexpr uint8_t kFunctionRequestDownload = 0x1A;
constexpr uint8_t kFunctionStartUpload = 0x1D;
constexpr uint8_t kFunctionUpload = 0x1E;
constexpr uint8_t kFunctionEndUpload = 0x1F;
constexpr uint8_t kFunctionPiService = 0x28;
constexpr uint8_t kFunctionStop = 0x29;
constexpr size_t kItemSpecSize = 12;
constexpr size_t kUserdataOverhead = 26;  // header 10, long parameter 12, data header 4
constexpr uint8_t kItemOk = 0xFF;
constexpr uint8_t kItemAccessDenied = 0x03;
constexpr uint8_t kItemInvalidAddress = 0x05;
constexpr uint8_t kItemTypeNotSupported = 0x06;
constexpr uint8_t kItemLengthMismatch = 0x07;
constexpr uint8_t kItemNoObject = 0x0A;
constexpr uint8_t kSizeBit = 0x01;
constexpr uint8_t kSizeChar = 0x03;
constexpr uint8_t kSizeInt = 0x05;
constexpr uint8_t kSizeDint = 0x07;
constexpr uint8_t kSizeReal = 0x08;
constexpr uint8_t kAreaCounters = 0x1C;
constexpr uint8_t kAreaTimers = 0x1D;
constexpr uint8_t kAreaDataBlock = 0x84;
constexpr uint8_t kSyntaxDbAreas = 0xB0;
constexpr size_t kDbAreaSize = 5;
constexpr uint8_t kAreaUnchanged = 0xFE;
constexpr uint16_t kSmallestPdu = 128;
constexpr uint8_t kJobSlot = 1;

struct Item {
    uint8_t transport = 0;
    uint16_t count = 0;
    uint16_t dbNumber = 0;
    uint8_t area = 0;
    uint32_t address = 0;
    bool wellFormed = false;
};

Item ParseItem(ByteReader& reader) {
    Item item;
    const uint8_t* spec = reader.Take(kItemSpecSize);
    if (spec == nullptr) return item;
    item.wellFormed = spec[0] == 0x12 && spec[1] == 0x0A && spec[2] == 0x10;
    item.transport = spec[3];
    item.count = Big16(spec + 4);
    item.dbNumber = Big16(spec + 6);
    item.area = spec[8];
    item.address = static_cast<uint32_t>(spec[9]) << 16 | Big16(spec + 10);
    return item;
}

uint32_t ElementSize(uint8_t transport) {
    static const uint8_t sizes[] = {0, 1, 1, 1, 2, 2, 4, 4, 4, 2, 4, 4, 2};
    if (transport < sizeof sizes) return sizes[transport];
    return transport == kAreaCounters || transport == kAreaTimers ? 2 : 0;
}

bool IsCounted(uint8_t code) {
    return code == kAreaCounters || code == kAreaTimers;
}

// Where an item's bytes lie in the controller, or the item code that refuses it.
struct Location {
    uint8_t code = kItemOk;
    uint8_t* at = nullptr;
    size_t bytes = 0;
    int bit = -1;  // 0 to 7 for a bit item
};

Location Locate(PlcController& controller, const Item& item, bool forWrite) {
    Location location;
    const uint32_t element = ElementSize(item.transport);
    if (!item.wellFormed) return {kItemInvalidAddress};
    if (element == 0) return {kItemTypeNotSupported};
    if (item.count == 0 || (item.transport == kSizeBit && item.count != 1))
        return {kItemInvalidAddress};
    if (IsCounted(item.area) != IsCounted(item.transport) ||
        (IsCounted(item.area) && item.area != item.transport)) {
        return {kItemInvalidAddress};
    }
    const PlcController::AreaBytes area = controller.Area(item.area, item.dbNumber, forWrite);
    if (area.data == nullptr)
        return {item.area == kAreaDataBlock ? kItemNoObject : kItemInvalidAddress};
    const size_t offset = IsCounted(item.area) ? size_t{item.address} * 2 : item.address >> 3;
    location.bytes = size_t{element} * item.count;
    if (offset > area.size || location.bytes > area.size - offset) return {kItemInvalidAddress};
    location.at = area.data + offset;
    if (item.transport == kSizeBit) location.bit = static_cast<int>(item.address & 7);
    return location;
}

// As a real CPU answers: bits, bytes of characters, counters and timers, integers counted
// in bits, a REAL counted in bytes, everything else as bytes counted in bits.
uint8_t DataTransportOf(uint8_t transport) {
    if (transport == kSizeBit) return 0x03;
    if (transport == kSizeChar || IsCounted(transport)) return 0x09;
    if (transport == kSizeInt || transport == kSizeDint) return 0x05;
    if (transport == kSizeReal) return 0x07;
    return 0x04;
}

bool CountsInBits(uint8_t dataTransport) {
    return dataTransport == 0x03 || dataTransport == 0x04 || dataTransport == 0x05;
}

void PutReadItem(ByteWriter& data, const Location& location, uint8_t transport, bool last) {
    if (location.code != kItemOk) {
        data.U8(location.code).U8(0).U16(0);
        return;
    }
    const uint8_t dataTransport = DataTransportOf(transport);
    if (location.bit >= 0) {
        data.U8(kItemOk).U8(dataTransport).U16(1).U8((*location.at >> location.bit) & 1);
    } else {
        const size_t length = CountsInBits(dataTransport) ? location.bytes * 8 : location.bytes;
        data.U8(kItemOk).U8(dataTransport).U16(length).Put(location.at, location.bytes);
    }
    const size_t valueBytes = location.bit >= 0 ? 1 : location.bytes;
    if (!last && (valueBytes & 1)) data.U8(0);
}

// Areas of DBs as S7-400 operator panels read them: after the item's head the number of
// areas, then each area's byte count, DB number and start byte. The answer is one octet
// string of each area's code followed, when it was read, by its bytes.
bool PutDbAreas(PlcController& controller, ByteReader& params, ByteWriter& data, bool last,
                SentValues* sent) {
    const uint8_t* head = params.Take(4);
    if (head == nullptr || head[1] != 2 + kDbAreaSize * head[3]) return false;
    const uint8_t* areas = params.Take(kDbAreaSize * head[3]);
    if (areas == nullptr) return false;
    ByteWriter octets;
    for (const uint8_t* area = areas; area < areas + kDbAreaSize * head[3]; area += kDbAreaSize) {
        const PlcController::AreaBytes db = controller.Area(kAreaDataBlock, Big16(area + 1), false);
        const size_t start = Big16(area + 3);
        ByteWriter value;
        if (db.data == nullptr)
            value.U8(kItemNoObject);
        else if (start > db.size || area[0] > db.size - start)
            value.U8(kItemInvalidAddress);
        else
            value.U8(kItemOk).Put(db.data + start, area[0]);
        const Bytes bytes = value.Take();
        if (sent != nullptr && !sent->Changes(bytes))
            octets.U8(kAreaUnchanged);
        else
            octets.Put(bytes);
    }
    const size_t length = octets.Size();
    data.OctetString(octets.Take());
    if (!last && (length & 1)) data.U8(0);
    return true;
}

// Writes one data item's value where the item points; the item code.
uint8_t StoreWriteItem(ByteReader& data, const Location& location, bool last) {
    data.U8();
    const uint8_t dataTransport = data.U8();
    const uint16_t length = data.U16();
    const size_t bytes = CountsInBits(dataTransport) ? (length + 7u) / 8u : length;
    const uint8_t* value = data.Take(bytes);
    if (value == nullptr) return kItemLengthMismatch;
    if (!last && (bytes & 1) && data.Remaining() > 0) data.U8();
    if (location.code != kItemOk) return location.code;
    if (location.bit >= 0) {
        if (bytes != 1) return kItemLengthMismatch;
        const uint8_t mask = static_cast<uint8_t>(1u << location.bit);
        *location.at = (value[0] & 1) ? (*location.at | mask) : (*location.at & ~mask);
        return kItemOk;
    }
    if (bytes != location.bytes) return kItemLengthMismatch;
    std::memcpy(location.at, value, bytes);
    return kItemOk;
}

// A PDU's header, with room reserved for the parameter and data that the caller appends.
ByteWriter PduWriter(uint8_t type, uint16_t reference, size_t paramLength, size_t dataLength,
                     const uint16_t* error) {
    const auto high = [](size_t value) { return static_cast<uint8_t>(value >> 8); };
    const auto low = [](size_t value) { return static_cast<uint8_t>(value); };
    const uint16_t code = error != nullptr ? *error : 0;
    const uint8_t header[] = {kProtocolId,
                              type,
                              0,
                              0,
                              high(reference),
                              low(reference),
                              high(paramLength),
                              low(paramLength),
                              high(dataLength),
                              low(dataLength),
                              high(code),
                              low(code)};
    ByteWriter pdu(12 + paramLength + dataLength);
    pdu.Put(header, error != nullptr ? 12 : 10);
    return pdu;
}

// Answers made of fixed-size entries are cut at entry boundaries, as a CPU does: a
// system status list behind its 8-byte header, a block list of 4-byte entries.
void SetEntryLayout(uint8_t group, uint8_t subfunction, PlcSession::PendingAnswer* answer) {
    const uint16_t service = static_cast<uint16_t>(group << 8 | subfunction);
    if (service == 0x0302) answer->entry = 4;
    if (service == 0x0401 && answer->payload.size() >= 8) {
        answer->head = 8;
        answer->entry = std::max<size_t>(1, Big16(answer->payload.data() + 4));
    }
}

// The payload bytes of the next fragment: whole entries, never none.
size_t FragmentSize(const PlcSession::PendingAnswer& answer, size_t room) {
    const size_t head = answer.offset == 0 ? answer.head : 0;
    size_t part = head + (room - head) / answer.entry * answer.entry;
    if (part == head) part = room;
    return std::min(part, answer.payload.size() - answer.offset);
}

}  // namespace

Bytes BuildPdu(uint8_t type, uint16_t reference, const Bytes& params, const Bytes& data,
               const uint16_t* error) {
    ByteWriter pdu = PduWriter(type, reference, params.size(), data.size(), error);
    pdu.Put(params).Put(data);
    return pdu.Take();
}

bool ParseMessage(const uint8_t* pdu, size_t size, PlcSession::Message* message) {
    ByteReader reader(pdu, size);
    if (reader.U8() != kProtocolId) return false;
    message->type = reader.U8();
    reader.U16();
    message->reference = reader.U16();
    message->paramLength = reader.U16();
    message->dataLength = reader.U16();
    if (message->type == 0x02 || message->type == kAckData) message->error = reader.U16();
    if (!reader.Ok() || reader.Remaining() != message->paramLength + message->dataLength)
        return false;
    message->params = reader.Take(message->paramLength);
    message->data = reader.Take(message->dataLength);
    return reader.Ok();
}

PlcSession::PlcSession(PlcController& controller, uint16_t maxPdu)
    : controller_(controller), maxPdu_(maxPdu), pduSize_(maxPdu) {}

void PlcSession::Handle(const uint8_t* pdu, size_t size, std::vector<Bytes>* out) {
    Message message;
    if (!ParseMessage(pdu, size, &message)) return;
    std::lock_guard<std::mutex> hold(controller_.Lock());
    reference_ = message.reference;
    if (message.type == kJob) {
        Bytes answer = HandleJob(message, out);
        if (!answer.empty()) out->insert(out->begin(), std::move(answer));
    } else if (message.type == kUserdata) {
        out->push_back(HandleUserdata(message));
    } else if (message.type == kAckData) {
        TakeDownloadAnswer(message, out);
    }
}

ByteWriter PlcSession::AckWriter(size_t paramLength, size_t dataLength) const {
    const uint16_t error = kNoError;
    return PduWriter(kAckData, reference_, paramLength, dataLength, &error);
}

Bytes PlcSession::Ack(uint16_t error, const Bytes& params, const Bytes& data) const {
    return BuildPdu(kAckData, reference_, params, data, &error);
}

Bytes PlcSession::Refuse(uint16_t error) const {
    return BuildPdu(kAck, reference_, {}, {}, &error);
}

Bytes PlcSession::Reply(uint16_t error, uint8_t function) const {
    return error == kNoError ? Ack(kNoError, {function}) : Refuse(error);
}

Bytes PlcSession::HandleJob(const Message& job, std::vector<Bytes>* out) {
    if (job.paramLength == 0) return Refuse(kInvalidFrame);
    const uint8_t function = job.params[0];
    if (size_t{10} + job.paramLength + job.dataLength > pduSize_) return Refuse(kFrameTooLarge);
    // A new job of the client ends a download it left unfinished.
    if (function != kFunctionPiService) download_ = Download{};
    switch (function) {
        case kFunctionSetup:
            return Setup(job);
        case kFunctionRead:
            return ReadVariables(job);
        case kFunctionWrite:
            return WriteVariables(job);
        case kFunctionRequestDownload:
            return RequestDownload(job, out);
        case kFunctionStartUpload:
            return StartUpload(job);
        case kFunctionUpload:
            return Upload(job);
        case kFunctionEndUpload:
            return EndUpload(job);
        case kFunctionPiService:
            return PiService(job);
        case kFunctionStop:
            return StopCpu(job);
        default:
            return Refuse(kInvalidFrame);
    }
}

Bytes PlcSession::Setup(const Message& job) {
    if (job.paramLength < 8) return Refuse(kInvalidFrame);
    const uint16_t wanted = Big16(job.params + 6);
    pduSize_ = std::clamp<uint16_t>(wanted, kSmallestPdu, maxPdu_);
    setUp_ = true;
    ByteWriter params;
    // Parallel jobs each way as a CPU 315 grants them: what was asked for, at most two.
    const auto granted = [&job](size_t at) {
        return std::clamp<uint16_t>(Big16(job.params + at), 1, 2);
    };
    params.U8(kFunctionSetup).U8(0).U16(granted(2)).U16(granted(4)).U16(pduSize_);
    return Ack(kNoError, params.Take());
}

bool PutItemValue(PlcController& controller, ByteReader& params, ByteWriter& data, bool last,
                  SentValues* sent) {
    const uint8_t* head = params.Peek(3);
    if (head != nullptr && head[2] == kSyntaxDbAreas)
        return PutDbAreas(controller, params, data, last, sent);
    const Item item = ParseItem(params);
    if (!params.Ok()) return false;
    ByteWriter value;
    PutReadItem(value, Locate(controller, item, false), item.transport, last);
    const Bytes bytes = value.Take();
    if (sent != nullptr) sent->Changes(bytes);
    data.Put(bytes);
    return true;
}

Bytes PlcSession::ReadVariables(const Message& job) {
    ByteReader params(job.params + 1, job.paramLength - 1);
    const uint8_t count = params.U8();
    ByteWriter data;
    for (uint8_t i = 0; i < count; ++i) {
        if (!PutItemValue(controller_, params, data, i + 1 == count)) return Refuse(kInvalidFrame);
    }
    Bytes items = data.Take();
    if (size_t{14} + items.size() > pduSize_) return Refuse(kFrameTooLarge);
    return Ack(kNoError, {kFunctionRead, count}, items);
}

Bytes PlcSession::WriteVariables(const Message& job) {
    ByteReader params(job.params + 1, job.paramLength - 1);
    ByteReader data(job.data, job.dataLength);
    const uint8_t count = params.U8();
    Bytes codes;
    for (uint8_t i = 0; i < count; ++i) {
        const Item item = ParseItem(params);
        if (!params.Ok()) return Refuse(kInvalidFrame);
        Location location = Locate(controller_, item, true);
        // A CPU 315 takes no timers or counters through this service.
        if (Locked() || IsCounted(item.area)) location = {kItemAccessDenied};
        codes.push_back(StoreWriteItem(data, location, i + 1 == count));
    }
    return Ack(kNoError, {kFunctionWrite, count}, codes);
}

Bytes PlcSession::StopCpu(const Message& job) {
    if (job.paramLength < 7) return Refuse(kInvalidFrame);
    if (Locked()) return Refuse(kProtectionLevel);
    const uint16_t error = controller_.Stop();
    // Status 7 of a remote stop: the partner was already in STOP.
    if (error == kServiceNotInState) return Ack(error, {kFunctionStop, 0x07});
    return Reply(error, kFunctionStop);
}

// ---- Userdata ------------------------------------------------------------------------

Bytes PlcSession::HandleUserdata(const Message& request) {
    ByteReader params(request.params, request.paramLength);
    const uint8_t* head = params.Take(8);
    if (head == nullptr || head[0] != 0x00 || head[1] != 0x01 || head[2] != 0x12) {
        return UserdataAnswer(0, 0, kInvalidFrame, {});
    }
    const uint8_t group = head[5] & 0x3F;
    const uint8_t subfunction = head[6];
    // A follow-up names the job slot of the answer it continues, not the answer itself.
    if (head[3] == 0x08 && head[7] != 0) return NextFragment(group, subfunction);
    ByteReader data(request.data, request.dataLength);
    const uint8_t returnCode = data.U8();
    data.U8();
    const uint16_t length = data.U16();
    const uint8_t* payload = returnCode == kItemOk ? data.Take(length) : nullptr;
    const Bytes body = payload != nullptr ? Bytes(payload, payload + length) : Bytes{};
    Bytes answer;
    requestSequence_ = head[7];
    const uint16_t error = Userdata(group, subfunction, body, &answer);
    return UserdataAnswer(group, subfunction, error, std::move(answer));
}

uint16_t PlcSession::Userdata(uint8_t group, uint8_t subfunction, const Bytes& request,
                              Bytes* payload) {
    const uint16_t service = static_cast<uint16_t>(group << 8 | subfunction);
    switch (service) {
        case 0x0401:
            if (request.size() < 4) return kInvalidFrame;
            return BuildSystemList(controller_, Big16(request.data()), Big16(request.data() + 2),
                                   legitimated_, payload);
        case 0x0301:
            return BlockCounts(payload);
        case 0x0302:
            return BlockList(request, payload);
        case 0x0303:
            return BlockInfo(request, payload);
        case 0x0501:
            return LogIn(request);
        case 0x0502:
            legitimated_ = false;
            return kNoError;
        case 0x0701:
        case 0x0703:
            return ReadClock(payload);
        case 0x0702:
        case 0x0704:
            if (request.size() != 10) return kInvalidFrame;
            return SetClock(request.data() + 2);
        case 0x0205:
        case 0x0207:
            return CyclicRead(subfunction, request, payload);
        case 0x0204:
            return EndCyclicRead(request);
        case 0x0402:
            return MessageLogOn(request, payload);
        case 0x0413:
            return AlarmQuery(payload);
        default:
            if (group == 1) return ProgrammerCommand(subfunction, payload);
            return kInvalidFrame;
    }
}

// The first fragment of an answer, or the whole answer when it fits one PDU.
Bytes PlcSession::UserdataAnswer(uint8_t group, uint8_t subfunction, uint16_t error,
                                 Bytes payload) {
    const size_t room = pduSize_ - kUserdataOverhead;
    const uint8_t slot = answerSlot_ != 0 ? answerSlot_ : JobSlot(group, subfunction);
    answerSlot_ = 0;
    if (error != kNoError) payload.clear();
    if (payload.size() > room) {
        nextSequence_ = static_cast<uint8_t>(nextSequence_ % 255 + 1);
        pending_ = PendingAnswer{nextSequence_, group, subfunction, std::move(payload), 0};
        SetEntryLayout(group, subfunction, &pending_);
        return NextFragment(group, subfunction);
    }
    ByteWriter params;
    params.U8(0x00).U8(0x01).U8(0x12).U8(0x08).U8(0x12).U8(0x80 | group).U8(subfunction);
    params.U8(slot).U8(0).U8(0).U16(error);
    ByteWriter data;
    if (payload.empty())
        data.U32(0x0A000000);
    else
        data.OctetString(payload);
    return BuildPdu(kUserdata, reference_, params.Take(), data.Take(), nullptr);
}

// A real CPU numbers its answers with the job slot that serves them (none for block
// counts and block information) and marks the fragments of one split answer with a data
// unit reference.
uint8_t PlcSession::JobSlot(uint8_t group, uint8_t subfunction) {
    return group == 3 && subfunction != 2 ? 0 : kJobSlot;
}

Bytes PlcSession::NextFragment(uint8_t group, uint8_t subfunction) {
    if (pending_.payload.empty() || pending_.group != group || pending_.subfunction != subfunction)
        return UserdataAnswer(group, subfunction, kIndexNotAvailable, {});
    const size_t part = FragmentSize(pending_, pduSize_ - kUserdataOverhead);
    const bool more = pending_.offset + part < pending_.payload.size();
    ByteWriter params;
    params.U8(0x00).U8(0x01).U8(0x12).U8(0x08).U8(0x12).U8(0x80 | group).U8(subfunction);
    params.U8(JobSlot(group, subfunction)).U8(pending_.sequence).U8(more ? 1 : 0).U16(kNoError);
    ByteWriter data;
    data.OctetString(pending_.payload.data() + pending_.offset, part);
    pending_.offset += part;
    if (!more) pending_ = PendingAnswer{};
    return BuildPdu(kUserdata, reference_, params.Take(), data.Take(), nullptr);
}

uint16_t PlcSession::LogIn(const Bytes& request) {
    if (request.size() != 8) return kInvalidFrame;
    if (!controller_.HasPassword()) return kNoPasswordConfigured;
    if (!controller_.PasswordMatches(request.data())) return kWrongPassword;
    if (legitimated_) return kAlreadyLegitimated;
    legitimated_ = true;
    return kNoError;
}

uint16_t PlcSession::ReadClock(Bytes* payload) const {
    uint8_t time[8];
    EncodeDateAndTime(controller_.ClockMs(), time);
    ByteWriter out;
    out.U8(0x00).U8(0x19).Put(time, sizeof time);  // real CPUs report 0x19 whatever the year
    *payload = out.Take();
    return kNoError;
}

uint16_t PlcSession::SetClock(const uint8_t* dateAndTime) {
    int64_t timeMs = 0;
    if (!DecodeDateAndTime(dateAndTime, &timeMs)) return kInvalidDateTime;
    controller_.SetClockMs(timeMs);
    return kNoError;
}

}  // namespace vexal::sim
