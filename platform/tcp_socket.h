// TCP streams and listeners for IPv4, every wait bounded by a time-out; a wait of -1
// milliseconds means no limit. A stream reads by blocking in recv under a receive time-out
// and never blocks in send.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vexal::platform {

// Milliseconds of a clock that never jumps, for deadlines.
int64_t MonotonicMs();

// Milliseconds left until a deadline of MonotonicMs(), never below 0; -1 stays -1.
int RemainingMs(int64_t deadlineMs);

// Waits in a way that no signal cuts short.
void SleepMs(int milliseconds);

enum class IoResult {
    kOk,
    kTimeout,
    kClosed,  // the peer closed or reset the connection, or it was shut down here
    kFailed,  // anything else: unreachable, refused, a bad address
};

class TcpStream {
public:
    TcpStream() = default;
    explicit TcpStream(int fd) : fd_(fd) {}
    TcpStream(TcpStream&& other) noexcept : fd_(other.fd_), armedTimeoutMs_(other.armedTimeoutMs_) {
        other.fd_ = -1;
    }
    TcpStream& operator=(TcpStream&& other) noexcept;
    TcpStream(const TcpStream&) = delete;
    TcpStream& operator=(const TcpStream&) = delete;
    ~TcpStream() { Close(); }

    // ipv4 holds the first octet in its least significant byte. A refused or unreachable
    // peer gives kFailed.
    IoResult Connect(uint32_t ipv4, uint16_t port, int timeoutMs);
    // The By forms take a deadline of MonotonicMs (-1 for none) instead of a time-out.
    IoResult SendAll(const void* data, size_t size, int timeoutMs);
    IoResult SendAllBy(const void* data, size_t size, int64_t deadlineMs);
    // Waits for at least one byte and reads what is there, at most size bytes.
    IoResult ReceiveSome(void* buffer, size_t size, size_t* received, int timeoutMs);
    IoResult ReceiveSomeBy(void* buffer, size_t size, size_t* received, int64_t deadlineMs);
    // Reads what is there without waiting; kTimeout when nothing is.
    IoResult ReceiveReady(void* buffer, size_t size, size_t* received);
    // Reads exactly size bytes unless the deadline passes.
    IoResult ReceiveExact(void* buffer, size_t size, int64_t deadlineMs);

    // Wakes a reader blocked in another thread; the stream then reads as closed.
    void Shutdown();
    void Close();
    bool IsOpen() const { return fd_ >= 0; }

private:
    static constexpr int kNotArmed = -1;
    bool ArmReceiveTimeout(int timeoutMs);
    IoResult Send(const uint8_t* bytes, size_t size, int timeoutMs, int64_t deadlineMs);

    int fd_ = -1;
    int armedTimeoutMs_ = kNotArmed;  // the socket's SO_RCVTIMEO in ms, 0 for none
};

class TcpListener {
public:
    TcpListener() = default;
    TcpListener(const TcpListener&) = delete;
    TcpListener& operator=(const TcpListener&) = delete;
    ~TcpListener() { Close(); }

    // host is a dotted IPv4 address or a name that resolves to one; port 0 picks a free
    // port. On failure *error says why.
    bool Listen(const std::string& host, uint16_t port, std::string* error);
    // "ADDR:PORT" of the bound socket.
    std::string LocalAddress() const;
    uint16_t LocalPort() const;

    // Waits up to timeoutMs for a connection. kClosed after Shutdown.
    IoResult Accept(TcpStream* stream, int timeoutMs);
    // Makes a waiting Accept return; no later connection is accepted.
    void Shutdown();
    void Close();

private:
    int fd_ = -1;
};

}  // namespace vexal::platform
