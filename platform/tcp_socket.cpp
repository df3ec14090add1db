#include "tcp_socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vexal::platform {
namespace {

// A connected stream blocks in recv, bounded by its receive time-out, so that waiting for
// an answer and reading it is one system call; sends never block (MSG_DONTWAIT).
void MakeBlocking(int fd) {
    const int flags = fcntl(fd, F_GETFL, 0);
    fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
}

// The receive time-out armed for a wait of timeoutMs: never longer than the wait, and
// rounded down to a step that grows with it, so that a fresh deadline of the same length
// (T or T - 1 ms left) arms the same value and needs no new setsockopt. 0 means no limit.
int ArmedTimeoutMs(int timeoutMs) {
    if (timeoutMs < 0) return 0;
    if (timeoutMs < 100) return timeoutMs;
    const int step = timeoutMs < 1000 ? 10 : 100;
    return (timeoutMs - 1) / step * step;
}

constexpr int64_t kNoDeadlineYet = -2;

int64_t DeadlineIn(int timeoutMs) {
    return timeoutMs < 0 ? -1 : MonotonicMs() + timeoutMs;
}

void SetNoDelay(int fd) {
    int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

// Polls one descriptor; kOk when it is ready for `events`, kClosed on hang-up or error.
IoResult WaitFor(int fd, short events, int timeoutMs) {
    pollfd entry{fd, events, 0};
    const int64_t deadline = DeadlineIn(timeoutMs);
    for (;;) {
        const int ready = poll(&entry, 1, RemainingMs(deadline));
        if (ready > 0) {
            if (entry.revents & events) return IoResult::kOk;
            return IoResult::kClosed;
        }
        if (ready == 0) return IoResult::kTimeout;
        if (errno != EINTR) return IoResult::kFailed;
    }
}

IoResult ResultOfErrno(int error) {
    if (error == ECONNRESET || error == EPIPE || error == ENOTCONN || error == ESHUTDOWN) {
        return IoResult::kClosed;
    }
    return IoResult::kFailed;
}

sockaddr_in Ipv4Address(uint32_t ipv4, uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    // The first octet sits in the least significant byte, which is network order in
    // memory on a little-endian machine; build it octet by octet to stay portable.
    const uint8_t octets[4] = {static_cast<uint8_t>(ipv4), static_cast<uint8_t>(ipv4 >> 8),
                               static_cast<uint8_t>(ipv4 >> 16), static_cast<uint8_t>(ipv4 >> 24)};
    std::memcpy(&address.sin_addr.s_addr, octets, 4);
    return address;
}

bool ResolveIpv4(const std::string& host, in_addr* out) {
    if (inet_pton(AF_INET, host.c_str(), out) == 1) return true;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return false;
    *out = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return true;
}

}  // namespace

int64_t MonotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

int RemainingMs(int64_t deadlineMs) {
    if (deadlineMs < 0) return -1;
    const int64_t left = deadlineMs - MonotonicMs();
    return left <= 0 ? 0 : static_cast<int>(left);
}

void SleepMs(int milliseconds) {
    timespec wait{milliseconds / 1000, static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

TcpStream& TcpStream::operator=(TcpStream&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = other.fd_;
        armedTimeoutMs_ = other.armedTimeoutMs_;
        other.fd_ = -1;
    }
    return *this;
}

IoResult TcpStream::Connect(uint32_t ipv4, uint16_t port, int timeoutMs) {
    Close();
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd_ < 0) return IoResult::kFailed;
    SetNoDelay(fd_);
    const sockaddr_in address = Ipv4Address(ipv4, port);
    if (connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        MakeBlocking(fd_);
        return IoResult::kOk;
    }
    if (errno != EINPROGRESS) {
        Close();
        return IoResult::kFailed;
    }
    const IoResult waited = WaitFor(fd_, POLLOUT, timeoutMs);
    int error = 0;
    socklen_t length = sizeof error;
    if (waited == IoResult::kTimeout) {
        Close();
        return IoResult::kTimeout;
    }
    if (getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
        Close();
        return IoResult::kFailed;
    }
    MakeBlocking(fd_);
    return IoResult::kOk;
}

IoResult TcpStream::SendAll(const void* data, size_t size, int timeoutMs) {
    return Send(static_cast<const uint8_t*>(data), size, timeoutMs, kNoDeadlineYet);
}

IoResult TcpStream::SendAllBy(const void* data, size_t size, int64_t deadlineMs) {
    return Send(static_cast<const uint8_t*>(data), size, 0, deadlineMs);
}

IoResult TcpStream::Send(const uint8_t* bytes, size_t size, int timeoutMs, int64_t deadline) {
    if (fd_ < 0) return IoResult::kClosed;
    while (size > 0) {
        const ssize_t sent = send(fd_, bytes, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) {
            bytes += sent;
            size -= static_cast<size_t>(sent);
            continue;
        }
        if (sent < 0 && errno == EINTR) continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // A send that finds room takes no time, so a time-out starts at the first wait.
            if (deadline == kNoDeadlineYet) deadline = DeadlineIn(timeoutMs);
            const IoResult waited = WaitFor(fd_, POLLOUT, RemainingMs(deadline));
            if (waited != IoResult::kOk) return waited;
            continue;
        }
        return ResultOfErrno(errno);
    }
    return IoResult::kOk;
}

IoResult TcpStream::ReceiveSome(void* buffer, size_t size, size_t* received, int timeoutMs) {
    return ReceiveSomeBy(buffer, size, received, DeadlineIn(timeoutMs));
}

IoResult TcpStream::ReceiveSomeBy(void* buffer, size_t size, size_t* received, int64_t deadline) {
    *received = 0;
    if (fd_ < 0) return IoResult::kClosed;
    for (;;) {
        const int left = RemainingMs(deadline);
        if (left != 0 && !ArmReceiveTimeout(left)) return IoResult::kFailed;
        const ssize_t got = recv(fd_, buffer, size, left == 0 ? MSG_DONTWAIT : 0);
        if (got > 0) {
            *received = static_cast<size_t>(got);
            return IoResult::kOk;
        }
        if (got == 0) return IoResult::kClosed;
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) return ResultOfErrno(errno);
        // The armed time ran out before the deadline, or the descriptor does not block.
        const IoResult waited = WaitFor(fd_, POLLIN, RemainingMs(deadline));
        // A hang-up still lets recv deliver what arrived before it.
        if (waited == IoResult::kTimeout || waited == IoResult::kFailed) return waited;
    }
}

IoResult TcpStream::ReceiveReady(void* buffer, size_t size, size_t* received) {
    *received = 0;
    if (fd_ < 0) return IoResult::kClosed;
    for (;;) {
        const ssize_t got = recv(fd_, buffer, size, MSG_DONTWAIT);
        if (got > 0) {
            *received = static_cast<size_t>(got);
            return IoResult::kOk;
        }
        if (got == 0) return IoResult::kClosed;
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return IoResult::kTimeout;
        return ResultOfErrno(errno);
    }
}

bool TcpStream::ArmReceiveTimeout(int timeoutMs) {
    const int armed = ArmedTimeoutMs(timeoutMs);
    if (armed == armedTimeoutMs_) return true;
    const timeval limit{armed / 1000, static_cast<suseconds_t>(armed % 1000) * 1000};
    if (setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit) != 0) return false;
    armedTimeoutMs_ = armed;
    return true;
}

IoResult TcpStream::ReceiveExact(void* buffer, size_t size, int64_t deadlineMs) {
    auto* bytes = static_cast<uint8_t*>(buffer);
    while (size > 0) {
        size_t got = 0;
        const IoResult result = ReceiveSomeBy(bytes, size, &got, deadlineMs);
        if (result != IoResult::kOk) return result;
        bytes += got;
        size -= got;
    }
    return IoResult::kOk;
}

void TcpStream::Shutdown() {
    if (fd_ >= 0) shutdown(fd_, SHUT_RDWR);
}

void TcpStream::Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    armedTimeoutMs_ = kNotArmed;
}

bool TcpListener::Listen(const std::string& host, uint16_t port, std::string* error) {
    Close();
    in_addr address{};
    if (!ResolveIpv4(host, &address)) {
        *error = "cannot resolve " + host;
        return false;
    }
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd_ < 0) {
        *error = std::strerror(errno);
        return false;
    }
    int on = 1;
    setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in bound{};
    bound.sin_family = AF_INET;
    bound.sin_port = htons(port);
    bound.sin_addr = address;
    if (bind(fd_, reinterpret_cast<sockaddr*>(&bound), sizeof bound) != 0 || listen(fd_, 16) != 0) {
        *error = std::strerror(errno);
        Close();
        return false;
    }
    return true;
}

std::string TcpListener::LocalAddress() const {
    sockaddr_in bound{};
    socklen_t length = sizeof bound;
    if (fd_ < 0 || getsockname(fd_, reinterpret_cast<sockaddr*>(&bound), &length) != 0) return "";
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &bound.sin_addr, text, sizeof text);
    return std::string(text) + ":" + std::to_string(ntohs(bound.sin_port));
}

uint16_t TcpListener::LocalPort() const {
    sockaddr_in bound{};
    socklen_t length = sizeof bound;
    if (fd_ < 0 || getsockname(fd_, reinterpret_cast<sockaddr*>(&bound), &length) != 0) return 0;
    return ntohs(bound.sin_port);
}

IoResult TcpListener::Accept(TcpStream* stream, int timeoutMs) {
    if (fd_ < 0) return IoResult::kClosed;
    for (;;) {
        // The accepted stream blocks in recv; only the listener itself is non-blocking.
        const int fd = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) {
            SetNoDelay(fd);
            *stream = TcpStream(fd);
            return IoResult::kOk;
        }
        if (errno == EINTR || errno == ECONNABORTED) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) return IoResult::kClosed;
        const IoResult waited = WaitFor(fd_, POLLIN, timeoutMs);
        if (waited != IoResult::kOk) return waited;
    }
}

void TcpListener::Shutdown() {
    if (fd_ >= 0) shutdown(fd_, SHUT_RDWR);
}

void TcpListener::Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

}  // namespace vexal::platform
