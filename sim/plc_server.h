// The simulator's network side: ISO-on-TCP listeners, one thread per connection, COTP
// connection set-up and TPKT/DT framing around the sessions, and the fault options that
// drop connections and delay answers.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "plc_controller.h"
#include "plc_session.h"
#include "sim_options.h"
#include "tcp_socket.h"

namespace vexal::sim {

// The controller a connection request reaches by its called TSAP's rack/slot byte (-1 when
// it names none); null refuses the request.
using StationPicker = std::function<PlcController*(int rackSlot)>;

class PlcServer {
public:
    PlcServer(StationPicker pick, const SimOptions& options);
    PlcServer(const PlcServer&) = delete;
    PlcServer& operator=(const PlcServer&) = delete;
    ~PlcServer() { Stop(); }

    // Binds every listen address; false with *error when one cannot be bound.
    bool Start(std::string* error);
    // "ADDR:PORT" of each listener, in option order.
    std::vector<std::string> Addresses() const;
    uint16_t Port(size_t listener = 0) const;
    // Ends every connection and waits for the threads.
    void Stop();

    // S7 PDUs received on all connections so far.
    uint64_t RequestCount() const { return requests_.load(); }
    // Connections being served now.
    size_t ConnectionCount();

private:
    struct Connection {
        platform::TcpStream stream;
        std::thread thread;
        std::atomic<bool> finished{false};
    };

    // The answers to one request, and their frames as one send.
    struct Answers {
        std::vector<Bytes> pdus;
        Bytes wire;
    };

    void AcceptLoop(platform::TcpListener* listener);
    void Serve(Connection* connection);
    void ReapFinished();
    void Pause(uint32_t milliseconds) const;
    int WaitLimitMs(int64_t* since, bool setUp, bool midFrame) const;
    bool Answer(platform::TcpStream& stream, PlcSession& session, const Bytes& pdu, size_t tpduSize,
                Answers& answers);
    // Sends the messages the session's client logged on for that are due; false when the
    // connection failed.
    bool SendMessages(platform::TcpStream& stream, PlcSession& session, size_t tpduSize,
                      Answers& messages);

    StationPicker pick_;
    SimOptions options_;
    std::vector<std::unique_ptr<platform::TcpListener>> listeners_;
    std::vector<std::thread> acceptThreads_;
    std::mutex connectionsMutex_;
    std::list<std::unique_ptr<Connection>> connections_;
    std::atomic<bool> stopping_{false};
    std::atomic<uint64_t> requests_{0};
};

}  // namespace vexal::sim
