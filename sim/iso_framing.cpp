#include "iso_framing.h"

#include <algorithm>

namespace vexal::sim {
namespace {

constexpr uint8_t kTpktVersion = 0x03;
constexpr size_t kTpktHeader = 4;
constexpr uint8_t kConnectionRequest = 0xE0;
constexpr uint8_t kConnectionConfirm = 0xD0;
constexpr uint8_t kData = 0xF0;
constexpr uint8_t kDisconnectRequest = 0x80;
constexpr uint8_t kEndOfTransmission = 0x80;
constexpr uint8_t kParameterTpduSize = 0xC0;
constexpr uint8_t kParameterCallingTsap = 0xC1;
constexpr uint8_t kParameterCalledTsap = 0xC2;
constexpr uint16_t kLocalReference = 0x0001;
// Class 0 allows 128-byte TPDUs when the request names no size.
constexpr uint8_t kDefaultTpduCode = 0x07;
constexpr uint8_t kLargestTpduCode = 0x0A;  // 1024 bytes carry a 960-byte PDU whole
constexpr size_t kLargestHeaderLength = 254;
constexpr uint8_t kReasonLengthInvalid = 138;
constexpr uint8_t kReasonAddressUnknown = 3;
constexpr size_t kMaxPduBytes = 65536;

Bytes Disconnect(uint16_t clientReference, uint8_t reason) {
    ByteWriter frame;
    frame.U8(kTpktVersion).U8(0).U16(kTpktHeader + 7);
    frame.U8(6).U8(kDisconnectRequest).U16(clientReference).U16(kLocalReference);
    frame.U8(reason);
    return frame.Take();
}

// The confirm of a connection request: references set, TPDU size at most 1024, the two
// TSAPs echoed and every other parameter left out. A DR when the confirm would not fit or
// the called TSAP is not accepted.
bool ConnectionConfirm(const uint8_t* request, size_t size, const IsoFraming::Acceptor& accepts,
                       Bytes* out, size_t* tpduSize, int* calledRackSlot) {
    *calledRackSlot = -1;
    ByteReader reader(request + 2, size - 2);
    reader.U16();
    const uint16_t clientReference = reader.U16();
    reader.U8();
    uint8_t sizeCode = kDefaultTpduCode;
    ByteWriter echoed;
    while (reader.Remaining() >= 2) {
        const uint8_t code = reader.U8();
        const uint8_t length = reader.U8();
        const uint8_t* value = reader.Take(length);
        if (value == nullptr) break;
        if (code == kParameterTpduSize && length == 1 && value[0] >= 7) {
            sizeCode = std::min(value[0], kLargestTpduCode);
        } else if (code == kParameterCallingTsap || code == kParameterCalledTsap) {
            echoed.U8(code).U8(length).Put(value, length);
            if (code == kParameterCalledTsap && length == 2) *calledRackSlot = value[1];
        }
    }
    const Bytes parameters = echoed.Take();
    const size_t headerLength = 6 + 3 + parameters.size();
    if (headerLength > kLargestHeaderLength) {
        *out = Disconnect(clientReference, kReasonLengthInvalid);
        return false;
    }
    if (accepts && !accepts(*calledRackSlot)) {
        *out = Disconnect(clientReference, kReasonAddressUnknown);
        return false;
    }
    *tpduSize = size_t{1} << sizeCode;
    ByteWriter confirm;
    confirm.U8(kTpktVersion).U8(0).U16(kTpktHeader + 1 + headerLength);
    confirm.U8(headerLength).U8(kConnectionConfirm).U16(clientReference).U16(kLocalReference).U8(0);
    confirm.U8(kParameterTpduSize).U8(1).U8(sizeCode).Put(parameters);
    *out = confirm.Take();
    return true;
}

}  // namespace

void IsoFraming::Append(const uint8_t* data, size_t size) {
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(start_));
    start_ = 0;
    buffer_.insert(buffer_.end(), data, data + size);
}

IsoFraming::Event IsoFraming::Next(Bytes* out) {
    out->clear();
    for (;;) {
        const size_t available = buffer_.size() - start_;
        if (available < kTpktHeader) return Event::kNeedMore;
        const uint8_t* header = buffer_.data() + start_;
        const size_t length = Big16(header + 2);
        if (header[0] != kTpktVersion || length < 7) return Event::kClose;
        if (available < length) return Event::kNeedMore;
        start_ += length;
        const Event event = Take(header + kTpktHeader, length - kTpktHeader, out);
        if (event != Event::kNeedMore) return event;
    }
}

// One TPDU; kNeedMore when it is only part of an S7 PDU or is passed over.
IsoFraming::Event IsoFraming::Take(const uint8_t* tpdu, size_t size, Bytes* out) {
    const size_t headerLength = tpdu[0];
    if (headerLength < 2 || headerLength + 1 > size) return Event::kClose;
    const uint8_t code = tpdu[1] & 0xF0;
    if (code == kDisconnectRequest) return Event::kClose;
    if (code == kConnectionRequest) {
        connected_ =
            ConnectionConfirm(tpdu, headerLength + 1, accepts_, out, &tpduSize_, &calledRackSlot_);
        return connected_ ? Event::kConfirm : Event::kClose;
    }
    if (code != kData || !connected_) return Event::kNeedMore;
    pdu_.insert(pdu_.end(), tpdu + headerLength + 1, tpdu + size);
    if (pdu_.size() > kMaxPduBytes) return Event::kClose;
    if (!(tpdu[2] & kEndOfTransmission)) return Event::kNeedMore;
    // The storage of *out becomes the next PDU's, so that reassembly stops allocating.
    out->swap(pdu_);
    pdu_.clear();
    return Event::kPdu;
}

void AppendS7Frames(const Bytes& pdu, size_t tpduSize, Bytes* wire) {
    const size_t room = tpduSize - 3;
    size_t offset = 0;
    do {
        const size_t part = std::min(room, pdu.size() - offset);
        const bool last = offset + part == pdu.size();
        const size_t length = kTpktHeader + 3 + part;
        const uint8_t header[] = {kTpktVersion,
                                  0,
                                  static_cast<uint8_t>(length >> 8),
                                  static_cast<uint8_t>(length),
                                  2,
                                  kData,
                                  last ? kEndOfTransmission : uint8_t{0}};
        wire->insert(wire->end(), header, header + sizeof header);
        wire->insert(wire->end(), pdu.data() + offset, pdu.data() + offset + part);
        offset += part;
    } while (offset < pdu.size());
}

}  // namespace vexal::sim
