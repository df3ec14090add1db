#include "plc_server.h"

#include <algorithm>
#include <optional>

#include "iso_framing.h"
#include "plc_session.h"
#include "sim_bytes.h"

namespace vexal::sim {
namespace {

using platform::IoResult;

constexpr size_t kMaxConnections = 64;
constexpr int kSendTimeoutMs = 10000;
// How often a connection logged on for messages looks for new ones while its client is quiet.
constexpr int kMessageLookMs = 50;

bool SendAll(platform::TcpStream& stream, const Bytes& bytes) {
    return stream.SendAll(bytes.data(), bytes.size(), kSendTimeoutMs) == IoResult::kOk;
}

}  // namespace

PlcServer::PlcServer(StationPicker pick, const SimOptions& options)
    : pick_(std::move(pick)), options_(options) {}

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

size_t PlcServer::ConnectionCount() {
    std::lock_guard<std::mutex> hold(connectionsMutex_);
    return static_cast<size_t>(std::count_if(connections_.begin(), connections_.end(),
                                             [](const auto& c) { return !c->finished; }));
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

// How long the connection may stay silent: until the set-up is done, and while a frame
// is incomplete, the time left of the stall limit; otherwise as long as it likes.
int PlcServer::WaitLimitMs(int64_t* since, bool setUp, bool midFrame) const {
    if (setUp && !midFrame) {
        *since = -1;
        return -1;
    }
    if (*since < 0) *since = platform::MonotonicMs();
    return std::max(0, platform::RemainingMs(*since + options_.stallLimitMs));
}

void PlcServer::Serve(Connection* connection) {
    platform::TcpStream& stream = connection->stream;
    std::optional<PlcSession> session;  // from the connection confirm on
    IsoFraming framing([this](int rackSlot) { return pick_(rackSlot) != nullptr; });
    uint32_t received = 0;
    int64_t since = platform::MonotonicMs();
    uint8_t buffer[4096];
    // Kept across requests, so that answering stops allocating once they have grown.
    Bytes unit;
    Answers answers;
    bool open = true;
    while (open && !stopping_) {
        size_t got = 0;
        const int limitMs = WaitLimitMs(&since, session && session->SetUp(), framing.MidFrame());
        const bool looks =
            session && session->AwaitsMessages() && (limitMs < 0 || limitMs > kMessageLookMs);
        const IoResult result =
            stream.ReceiveSome(buffer, sizeof buffer, &got, looks ? kMessageLookMs : limitMs);
        if (looks && result == IoResult::kTimeout) {
            open = SendMessages(stream, *session, framing.TpduSize(), answers);
            continue;
        }
        if (result != IoResult::kOk) break;
        framing.Append(buffer, got);
        for (;;) {
            const IsoFraming::Event event = framing.Next(&unit);
            if (event == IsoFraming::Event::kNeedMore) break;
            if (event != IsoFraming::Event::kPdu) {
                open = event == IsoFraming::Event::kConfirm;
                if (open) session.emplace(*pick_(framing.CalledRackSlot()), options_.maxPdu);
                if (!unit.empty()) open = SendAll(stream, unit) && open;
                if (!open) break;
                continue;
            }
            ++requests_;
            if (session->SetUp()) since = -1;
            if (++received == options_.dropAfter) {
                open = false;
                break;
            }
            open = Answer(stream, *session, unit, framing.TpduSize(), answers);
            if (!open) break;
        }
    }
    stream.Shutdown();
    connection->finished = true;
}

bool PlcServer::Answer(platform::TcpStream& stream, PlcSession& session, const Bytes& pdu,
                       size_t tpduSize, Answers& answers) {
    answers.pdus.clear();
    answers.wire.clear();
    session.Handle(pdu.data(), pdu.size(), &answers.pdus);
    if (answers.pdus.empty()) return true;
    if (options_.delayMs > 0) Pause(options_.delayMs);
    if (session.AwaitsMessages()) session.TakeMessages(&answers.pdus);
    for (const Bytes& answer : answers.pdus) AppendS7Frames(answer, tpduSize, &answers.wire);
    return SendAll(stream, answers.wire);
}

bool PlcServer::SendMessages(platform::TcpStream& stream, PlcSession& session, size_t tpduSize,
                             Answers& messages) {
    messages.pdus.clear();
    messages.wire.clear();
    session.TakeMessages(&messages.pdus);
    for (const Bytes& message : messages.pdus) AppendS7Frames(message, tpduSize, &messages.wire);
    return messages.wire.empty() || SendAll(stream, messages.wire);
}

}  // namespace vexal::sim
