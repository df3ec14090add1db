#include "plc_server.h"

#include <algorithm>

#include "plc_session.h"
#include "sim_bytes.h"

namespace vexal::sim {
namespace {

using platform::IoResult;

constexpr uint8_t kTpktVersion = 0x03;
constexpr uint8_t kConnectionRequest = 0xE0;
constexpr uint8_t kConnectionConfirm = 0xD0;
constexpr uint8_t kData = 0xF0;
constexpr uint8_t kDisconnectRequest = 0x80;
constexpr uint8_t kEndOfTransmission = 0x80;
constexpr uint8_t kParameterTpduSize = 0xC0;
constexpr uint16_t kLocalReference = 0x0001;
// Class 0 allows 128-byte TPDUs when the request names no size.
constexpr uint8_t kDefaultTpduCode = 0x07;
constexpr uint8_t kLargestTpduCode = 0x0A;  // 1024 bytes carry a 960-byte PDU whole
constexpr size_t kMaxPduBytes = 65536;
constexpr size_t kMaxConnections = 64;

// Reads frames from a connection through a buffer, so that a frame whose header and body
// arrive together costs one system call.
class FrameReader {
public:
    explicit FrameReader(platform::TcpStream& stream) : stream_(stream) {}

    // One TPKT's TPDU with its length indicator checked; false when the stream ends or
    // the framing is broken.
    bool ReadTpdu(Bytes* tpdu) {
        uint8_t header[4];
        if (!Fill(header, sizeof header)) return false;
        const size_t length = Big16(header + 2);
        if (header[0] != kTpktVersion || length < 7) return false;
        tpdu->resize(length - sizeof header);
        if (!Fill(tpdu->data(), tpdu->size())) return false;
        return static_cast<size_t>((*tpdu)[0]) + 1 <= tpdu->size() && (*tpdu)[0] >= 2;
    }

private:
    bool Fill(uint8_t* out, size_t size) {
        while (size > 0) {
            if (position_ == end_) {
                size_t got = 0;
                if (stream_.ReceiveSome(buffer_, sizeof buffer_, &got, -1) != IoResult::kOk) {
                    return false;
                }
                position_ = 0;
                end_ = got;
            }
            const size_t part = std::min(size, end_ - position_);
            std::copy(buffer_ + position_, buffer_ + position_ + part, out);
            position_ += part;
            out += part;
            size -= part;
        }
        return true;
    }

    platform::TcpStream& stream_;
    uint8_t buffer_[4096];
    size_t position_ = 0;
    size_t end_ = 0;
};

// The confirm for a connection request: references set, TPDU size at most 1024, the
// TSAPs echoed. *tpduSize receives the size both sides use from now on.
Bytes ConnectionConfirm(const Bytes& request, size_t* tpduSize) {
    ByteReader reader(request.data() + 2, request[0] - 1u);
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
        } else if (code != kParameterTpduSize) {
            echoed.U8(code).U8(length).Put(value, length);
        }
    }
    *tpduSize = size_t{1} << sizeCode;
    const Bytes parameters = echoed.Take();
    ByteWriter confirm;
    const size_t headerLength = 6 + 3 + parameters.size();
    confirm.U8(kTpktVersion).U8(0).U16(4 + 1 + headerLength);
    confirm.U8(headerLength).U8(kConnectionConfirm).U16(clientReference).U16(kLocalReference).U8(0);
    confirm.U8(kParameterTpduSize).U8(1).U8(sizeCode).Put(parameters);
    return confirm.Take();
}

bool SendPdu(platform::TcpStream& stream, const Bytes& pdu, size_t tpduSize) {
    const size_t room = tpduSize - 3;
    size_t offset = 0;
    do {
        const size_t part = std::min(room, pdu.size() - offset);
        const bool last = offset + part == pdu.size();
        ByteWriter frame;
        frame.U8(kTpktVersion)
            .U8(0)
            .U16(7 + part)
            .U8(2)
            .U8(kData)
            .U8(last ? kEndOfTransmission : 0);
        frame.Put(pdu.data() + offset, part);
        const Bytes bytes = frame.Take();
        if (stream.SendAll(bytes.data(), bytes.size(), 10000) != IoResult::kOk) return false;
        offset += part;
    } while (offset < pdu.size());
    return true;
}

}  // namespace

PlcServer::PlcServer(PlcController& controller, const SimOptions& options)
    : controller_(controller), options_(options) {}

bool PlcServer::Start(std::string* error) {
    for (const Endpoint& endpoint : options_.listen) {
        auto listener = std::make_unique<platform::TcpListener>();
        if (!listener->Listen(endpoint.host, endpoint.port, error)) {
            *error = endpoint.host + ":" + std::to_string(endpoint.port) + ": " + *error;
            Stop();
            return false;
        }
        listeners_.push_back(std::move(listener));
    }
    for (auto& listener : listeners_) {
        acceptThreads_.emplace_back([this, raw = listener.get()] { AcceptLoop(raw); });
    }
    return true;
}

std::vector<std::string> PlcServer::Addresses() const {
    std::vector<std::string> addresses;
    for (const auto& listener : listeners_) addresses.push_back(listener->LocalAddress());
    return addresses;
}

uint16_t PlcServer::Port(size_t listener) const {
    return listener < listeners_.size() ? listeners_[listener]->LocalPort() : 0;
}

void PlcServer::Stop() {
    stopping_ = true;
    for (auto& listener : listeners_) listener->Shutdown();
    for (std::thread& thread : acceptThreads_) thread.join();
    acceptThreads_.clear();
    std::lock_guard<std::mutex> hold(connectionsMutex_);
    for (auto& connection : connections_) connection->stream.Shutdown();
    for (auto& connection : connections_) connection->thread.join();
    connections_.clear();
    listeners_.clear();
}

void PlcServer::AcceptLoop(platform::TcpListener* listener) {
    while (!stopping_) {
        platform::TcpStream stream;
        if (listener->Accept(&stream, -1) != IoResult::kOk) return;
        std::lock_guard<std::mutex> hold(connectionsMutex_);
        ReapFinished();
        if (stopping_ || connections_.size() >= kMaxConnections) continue;
        auto connection = std::make_unique<Connection>();
        connection->stream = std::move(stream);
        Connection* raw = connection.get();
        connections_.push_back(std::move(connection));
        raw->thread = std::thread([this, raw] { Serve(raw); });
    }
}

void PlcServer::ReapFinished() {
    for (auto it = connections_.begin(); it != connections_.end();) {
        if (!(*it)->finished) {
            ++it;
            continue;
        }
        (*it)->thread.join();
        it = connections_.erase(it);
    }
}

void PlcServer::Pause(uint32_t milliseconds) const {
    const int64_t deadline = platform::MonotonicMs() + milliseconds;
    while (!stopping_ && platform::RemainingMs(deadline) > 0) {
        platform::SleepMs(std::min(10, platform::RemainingMs(deadline)));
    }
}

void PlcServer::Serve(Connection* connection) {
    platform::TcpStream& stream = connection->stream;
    PlcSession session(controller_, options_.maxPdu);
    size_t tpduSize = size_t{1} << kDefaultTpduCode;
    bool connected = false;
    uint32_t received = 0;
    Bytes pdu;
    Bytes tpdu;
    FrameReader reader(stream);
    while (!stopping_ && reader.ReadTpdu(&tpdu)) {
        const uint8_t code = tpdu[1] & 0xF0;
        if (code == kDisconnectRequest) break;
        if (code == kConnectionRequest) {
            const Bytes confirm = ConnectionConfirm(tpdu, &tpduSize);
            connected = stream.SendAll(confirm.data(), confirm.size(), 10000) == IoResult::kOk;
            continue;
        }
        if (code != kData || !connected) continue;
        pdu.insert(pdu.end(), tpdu.begin() + tpdu[0] + 1, tpdu.end());
        if (pdu.size() > kMaxPduBytes) break;
        if (!(tpdu[2] & kEndOfTransmission)) continue;
        ++requests_;
        if (++received == options_.dropAfter) break;
        std::vector<Bytes> answers;
        session.Handle(pdu.data(), pdu.size(), &answers);
        pdu.clear();
        if (!answers.empty() && options_.delayMs > 0) Pause(options_.delayMs);
        bool sent = true;
        for (const Bytes& answer : answers) sent = sent && SendPdu(stream, answer, tpduSize);
        if (!sent) break;
    }
    stream.Shutdown();
    connection->finished = true;
}

}  // namespace vexal::sim
