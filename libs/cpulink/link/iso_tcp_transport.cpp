#include "iso_tcp_transport.h"

#include <sched.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "cotp_request.h"
#include "tcp_socket.h"
#include "wire_bytes.h"

namespace vexal::cpulink {
namespace {

using platform::IoResult;

constexpr uint8_t kTpktVersion = 0x03;
constexpr size_t kTpktHeaderSize = 4;
constexpr uint8_t kCotpData = 0xF0;
constexpr uint8_t kCotpEndOfTransmission = 0x80;
constexpr uint8_t kParameterTpduSize = 0xC0;
// Without a size parameter in the confirm, class 0 allows 128-byte TPDUs.
constexpr size_t kDefaultTpduSize = 128;
constexpr size_t kLargestTpduSize = 1024;
constexpr size_t kDataHeaderSize = 3;

// A simulator on this machine answers within microseconds, a controller on a network within
// milliseconds. While answers come that quickly, the link looks for the next one, giving
// up the CPU in between, for this long before it blocks in recv: a reader blocked in recv
// must be woken by the sender, which on an idle machine costs both ends more than looking.
constexpr std::chrono::microseconds kQuickAnswer{50};

// Whether the answer to the request just sent is worth looking for before blocking: the
// last answer came within kQuickAnswer of its request. A slow answer stops the looking
// until an answer that was waited for comes quickly again.
class AnswerPace {
public:
    using Clock = std::chrono::steady_clock;

    void RequestSent() {
        sentAt_ = Clock::now();
        awaiting_ = true;
    }
    bool ExpectSoon() const { return awaiting_ && quick_; }
    Clock::time_point LookUntil() const { return sentAt_ + kQuickAnswer; }
    void BytesArrived() {
        if (!awaiting_) return;
        awaiting_ = false;
        quick_ = Clock::now() <= LookUntil();
    }

private:
    Clock::time_point sentAt_;
    bool awaiting_ = false;
    bool quick_ = false;
};

CpuStatus StatusOf(IoResult result) {
    switch (result) {
        case IoResult::kOk:
            return CPULINK_OK;
        case IoResult::kTimeout:
            return CPULINK_TIMEOUT;
        default:
            return CPULINK_CONNECTION_LOST;
    }
}

class IsoTcpTransport : public LinkTransport {
public:
    explicit IsoTcpTransport(platform::TcpStream stream) : stream_(std::move(stream)) {}

    size_t MaxPduSize() const override { return 960; }

    CpuStatus Send(const uint8_t* pdu, size_t size, int64_t deadlineMs) override {
        const size_t segmentRoom = tpduSize_ - kDataHeaderSize;
        size_t offset = 0;
        do {
            const size_t part = std::min(segmentRoom, size - offset);
            const bool last = offset + part == size;
            const CpuStatus status = SendData(pdu + offset, part, last, deadlineMs);
            if (status != CPULINK_OK) return status;
            offset += part;
        } while (offset < size);
        return CPULINK_OK;
    }

    // Each DT TPDU's payload is read straight behind what the PDU already holds.
    CpuStatus Receive(std::vector<uint8_t>* pdu, size_t maxSize, int64_t deadlineMs) override {
        pdu->clear();
        for (;;) {
            size_t length = 0;
            uint8_t head[3];  // length indicator, code, end-of-transmission flag
            CpuStatus status = ReceiveTpktHeader(&length, deadlineMs);
            if (status == CPULINK_OK)
                status = ReceiveBuffered(head, std::min(length, sizeof head), deadlineMs);
            if (status != CPULINK_OK) return status;
            const size_t headerEnd = static_cast<size_t>(head[0]) + 1;
            if (headerEnd > length) return CPULINK_PROTOCOL_ERROR;
            const uint8_t code = head[1] & 0xF0;
            if (code == cotp::kDisconnectRequest) return CPULINK_CONNECTION_LOST;
            if (code != kCotpData || head[0] < 2) return CPULINK_PROTOCOL_ERROR;
            if (headerEnd > sizeof head) status = SkipBuffered(headerEnd - sizeof head, deadlineMs);
            if (status != CPULINK_OK) return status;
            const size_t payload = length - headerEnd;
            if (pdu->size() + payload > maxSize) return CPULINK_PROTOCOL_ERROR;
            status = AppendBuffered(pdu, payload, deadlineMs);
            if (status != CPULINK_OK) return status;
            if ((head[2] & kCotpEndOfTransmission) && !pdu->empty()) return CPULINK_OK;
        }
    }

    void Close() override { stream_.Close(); }

    // Sends the connection request and takes the TPDU size from the confirm.
    CpuStatus Handshake(int rack, int slot, int64_t deadlineMs) {
        const std::vector<uint8_t> request = BuildConnectionRequest(rack, slot);
        CpuStatus status = StatusOf(
            stream_.SendAll(request.data(), request.size(), platform::RemainingMs(deadlineMs)));
        if (status != CPULINK_OK) return status;
        std::vector<uint8_t> confirm;
        status = ReceiveTpdu(&confirm, deadlineMs);
        if (status != CPULINK_OK) return status;
        const uint8_t code = confirm[1] & 0xF0;
        if (code == cotp::kDisconnectRequest || code == cotp::kTpduError) {
            return CPULINK_CONNECTION_LOST;  // the request was refused
        }
        if (code != cotp::kConnectionConfirm || confirm[0] < 6) return CPULINK_PROTOCOL_ERROR;
        tpduSize_ = ConfirmedTpduSize(confirm);
        return tpduSize_ == 0 ? CPULINK_PROTOCOL_ERROR : CPULINK_OK;
    }

private:
    CpuStatus SendData(const uint8_t* data, size_t size, bool last, int64_t deadlineMs) {
        uint8_t frame[kTpktHeaderSize + kLargestTpduSize];
        const size_t length = kTpktHeaderSize + kDataHeaderSize + size;
        const uint8_t header[] = {kTpktVersion,
                                  0,
                                  static_cast<uint8_t>(length >> 8),
                                  static_cast<uint8_t>(length),
                                  2,
                                  kCotpData,
                                  last ? kCotpEndOfTransmission : uint8_t{0}};
        std::memcpy(frame, header, sizeof header);
        std::memcpy(frame + sizeof header, data, size);
        const CpuStatus status = StatusOf(stream_.SendAllBy(frame, length, deadlineMs));
        if (last) pace_.RequestSent();
        return status;
    }

    // Reads what the socket has once everything buffered is used up.
    CpuStatus Refill(int64_t deadlineMs) {
        size_t got = 0;
        IoResult result = pace_.ExpectSoon() ? LookForAnswer(&got) : IoResult::kTimeout;
        if (result == IoResult::kTimeout)
            result = stream_.ReceiveSomeBy(readBuffer_, sizeof readBuffer_, &got, deadlineMs);
        pace_.BytesArrived();
        if (result != IoResult::kOk) return StatusOf(result);
        readPosition_ = 0;
        readEnd_ = got;
        return CPULINK_OK;
    }

    // kTimeout when nothing came by the pace's look-out time. Giving up the CPU lets the
    // answering process run at once when it waits for this CPU.
    IoResult LookForAnswer(size_t* got) {
        const AnswerPace::Clock::time_point until = pace_.LookUntil();
        for (;;) {
            const IoResult result = stream_.ReceiveReady(readBuffer_, sizeof readBuffer_, got);
            if (result != IoResult::kTimeout || AnswerPace::Clock::now() >= until) return result;
            sched_yield();
        }
    }

    // Fills `size` bytes from what the socket delivered; one read usually brings a whole
    // frame, header and body, so a frame costs one system call instead of two.
    CpuStatus ReceiveBuffered(uint8_t* out, size_t size, int64_t deadlineMs) {
        while (size > 0) {
            if (readPosition_ == readEnd_) {
                const CpuStatus status = Refill(deadlineMs);
                if (status != CPULINK_OK) return status;
            }
            const size_t part = std::min(size, readEnd_ - readPosition_);
            std::memcpy(out, readBuffer_ + readPosition_, part);
            readPosition_ += part;
            out += part;
            size -= part;
        }
        return CPULINK_OK;
    }

    // The same, appending to *out.
    CpuStatus AppendBuffered(std::vector<uint8_t>* out, size_t size, int64_t deadlineMs) {
        while (size > 0) {
            if (readPosition_ == readEnd_) {
                const CpuStatus status = Refill(deadlineMs);
                if (status != CPULINK_OK) return status;
            }
            const size_t part = std::min(size, readEnd_ - readPosition_);
            out->insert(out->end(), readBuffer_ + readPosition_,
                        readBuffer_ + readPosition_ + part);
            readPosition_ += part;
            size -= part;
        }
        return CPULINK_OK;
    }

    CpuStatus SkipBuffered(size_t size, int64_t deadlineMs) {
        uint8_t skipped[256];
        return ReceiveBuffered(skipped, size, deadlineMs);
    }

    // The length of the TPDU that follows a good TPKT header.
    CpuStatus ReceiveTpktHeader(size_t* tpduLength, int64_t deadlineMs) {
        uint8_t header[kTpktHeaderSize];
        const CpuStatus status = ReceiveBuffered(header, sizeof header, deadlineMs);
        if (status != CPULINK_OK) return status;
        const size_t length = BigEndian16(header + 2);
        if (header[0] != kTpktVersion || length < kTpktHeaderSize + 2)
            return CPULINK_PROTOCOL_ERROR;
        *tpduLength = length - kTpktHeaderSize;
        return CPULINK_OK;
    }

    // One TPDU with its length indicator checked against what arrived.
    CpuStatus ReceiveTpdu(std::vector<uint8_t>* tpdu, int64_t deadlineMs) {
        size_t length = 0;
        CpuStatus status = ReceiveTpktHeader(&length, deadlineMs);
        if (status != CPULINK_OK) return status;
        tpdu->resize(length);
        status = ReceiveBuffered(tpdu->data(), tpdu->size(), deadlineMs);
        if (status != CPULINK_OK) return status;
        if (static_cast<size_t>((*tpdu)[0]) + 1 > tpdu->size()) return CPULINK_PROTOCOL_ERROR;
        return CPULINK_OK;
    }

    // The TPDU size the confirm grants, 0 when its parameters do not parse.
    static size_t ConfirmedTpduSize(const std::vector<uint8_t>& confirm) {
        const size_t headerEnd = static_cast<size_t>(confirm[0]) + 1;
        WireReader parameters(confirm.data() + 7, headerEnd - 7);
        size_t size = kDefaultTpduSize;
        while (parameters.Remaining() > 0) {
            const uint8_t code = parameters.U8();
            const uint8_t length = parameters.U8();
            const uint8_t* value = parameters.Take(length);
            if (value == nullptr) return 0;
            if (code == kParameterTpduSize && length == 1 && value[0] >= 7 && value[0] <= 13) {
                size = size_t{1} << value[0];
            }
        }
        return std::min(size, kLargestTpduSize);
    }

    platform::TcpStream stream_;
    AnswerPace pace_;
    size_t tpduSize_ = kDefaultTpduSize;
    uint8_t readBuffer_[4096];
    size_t readPosition_ = 0;
    size_t readEnd_ = 0;
};

}  // namespace

std::vector<uint8_t> BuildConnectionRequest(int rack, int slot) {
    const auto request =
        cotp::ConnectionRequest(static_cast<uint8_t>((rack & 7) << 5 | (slot & 31)));
    return {request.begin(), request.end()};
}

std::unique_ptr<LinkTransport> OpenIsoTcpTransport(uint32_t ipv4, const LinkSettings& settings,
                                                   int64_t deadlineMs, CpuStatus* status) {
    platform::TcpStream stream;
    const IoResult connected =
        stream.Connect(ipv4, settings.port, platform::RemainingMs(deadlineMs));
    if (connected != IoResult::kOk) {
        *status = CPULINK_CANNOT_CONNECT;
        return nullptr;
    }
    auto transport = std::make_unique<IsoTcpTransport>(std::move(stream));
    *status = transport->Handshake(settings.rack, settings.slot, deadlineMs);
    if (*status == CPULINK_CONNECTION_LOST) *status = CPULINK_CANNOT_CONNECT;
    if (*status != CPULINK_OK) return nullptr;
    return transport;
}

}  // namespace vexal::cpulink
