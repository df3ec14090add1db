// The system's frame device: an AF_PACKET socket bound to one interface, with a socket
// filter for LLC/SNAP frames of one organisation code and an eventfd that ends a pending
// read.
#include <arpa/inet.h>
#include <linux/filter.h>
#include <net/if.h>
#include <netinet/if_ether.h>
#include <netpacket/packet.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "code_page.h"
#include "frame_device.h"

namespace vexal::platform {
namespace {

// The shortest frame Ethernet carries, without its checksum.
constexpr size_t kMinimumFrame = 60;
constexpr size_t kMaximumFrame = 1514;
// Frames that arrived between binding and filtering; more than this are left to the reader.
constexpr int kDrainLimit = 4096;

class PacketFrameDevice final : public FrameDevice {
public:
    PacketFrameDevice(int socketFd, int cancelFd) : socket_(socketFd), cancel_(cancelFd) {}
    ~PacketFrameDevice() override {
        close(socket_);
        close(cancel_);
    }
    PacketFrameDevice(const PacketFrameDevice&) = delete;
    PacketFrameDevice& operator=(const PacketFrameDevice&) = delete;

    bool Control(uint32_t code, const void* input, size_t inputSize) override {
        switch (code) {
            case kIoctlUioBind:
                return Bind(static_cast<const uint8_t*>(input), inputSize);
            case kIoctlUioSetSnap:
                return SetSnap(static_cast<const uint8_t*>(input), inputSize);
            case kIoctlUioCancelRead:
                return CancelRead();
            default:
                return false;
        }
    }

    ptrdiff_t Read(uint8_t* buffer, size_t capacity) override;
    ptrdiff_t Write(const uint8_t* frame, size_t size) override;

private:
    bool Bind(const uint8_t* input, size_t inputSize);
    bool SetSnap(const uint8_t* input, size_t inputSize);
    bool CancelRead() {
        const uint64_t one = 1;
        return write(cancel_, &one, sizeof one) == sizeof one;
    }
    bool TakeCancel() {
        uint64_t count = 0;
        return read(cancel_, &count, sizeof count) == sizeof count;
    }
    void DrainQueuedFrames();

    int socket_;
    int cancel_;
};

bool PacketFrameDevice::Bind(const uint8_t* input, size_t inputSize) {
    constexpr size_t kMaxUnits = 255;
    if (input == nullptr || inputSize == 0 || inputSize % 2 != 0 || inputSize / 2 > kMaxUnits) {
        return false;
    }
    char16_t units[kMaxUnits];
    std::memcpy(units, input, inputSize);
    char name[IF_NAMESIZE * 4];
    if (!Utf16ToNarrow(units, inputSize / 2, name, sizeof name)) return false;
    const unsigned index = if_nametoindex(name);
    if (index == 0) return false;
    sockaddr_ll address{};
    address.sll_family = AF_PACKET;
    address.sll_protocol = htons(ETH_P_802_2);
    address.sll_ifindex = static_cast<int>(index);
    return bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
}

// Passes IEEE 802.3 frames (length field up to 1500) with DSAP AA, SSAP AA, control 03 and
// the organisation code; the code arrives least significant byte first.
bool PacketFrameDevice::SetSnap(const uint8_t* input, size_t inputSize) {
    if (input == nullptr || inputSize != 3) return false;
    const uint32_t organisation = input[0] | (input[1] << 8) | (input[2] << 16);
    const uint32_t headerWord = 0xAAAA0300u | (organisation >> 16);
    const uint32_t organisationTail = organisation & 0xFFFFu;
    sock_filter program[] = {
        BPF_STMT(BPF_LD | BPF_H | BPF_ABS, 12),
        BPF_JUMP(BPF_JMP | BPF_JGT | BPF_K, 1500, 5, 0),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, 14),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, headerWord, 0, 3),
        BPF_STMT(BPF_LD | BPF_H | BPF_ABS, 18),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, organisationTail, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, 0xFFFF),
        BPF_STMT(BPF_RET | BPF_K, 0),
    };
    sock_fprog filter{};
    filter.len = sizeof program / sizeof program[0];
    filter.filter = program;
    if (setsockopt(socket_, SOL_SOCKET, SO_ATTACH_FILTER, &filter, sizeof filter) != 0) {
        return false;
    }
    DrainQueuedFrames();
    return true;
}

void PacketFrameDevice::DrainQueuedFrames() {
    uint8_t discard[kMaximumFrame];
    for (int i = 0; i < kDrainLimit; ++i) {
        if (recv(socket_, discard, sizeof discard, MSG_DONTWAIT) < 0) return;
    }
}

ptrdiff_t PacketFrameDevice::Read(uint8_t* buffer, size_t capacity) {
    for (;;) {
        pollfd waits[2] = {{cancel_, POLLIN, 0}, {socket_, POLLIN, 0}};
        const int ready = poll(waits, 2, -1);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return -1;
        if ((waits[0].revents & POLLIN) != 0 && TakeCancel()) return -1;
        if ((waits[1].revents & (POLLERR | POLLNVAL)) != 0) return -1;
        if ((waits[1].revents & POLLIN) == 0) continue;
        sockaddr_ll from{};
        socklen_t fromSize = sizeof from;
        const ssize_t got = recvfrom(socket_, buffer, capacity, MSG_DONTWAIT,
                                     reinterpret_cast<sockaddr*>(&from), &fromSize);
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) continue;
        if (got < 0) return -1;
        // An adapter hands up only what is addressed to it, not what it sent or overheard.
        if (from.sll_pkttype == PACKET_OTHERHOST || from.sll_pkttype == PACKET_OUTGOING) continue;
        return got;
    }
}

ptrdiff_t PacketFrameDevice::Write(const uint8_t* frame, size_t size) {
    if (frame == nullptr || size == 0 || size > kMaximumFrame) return -1;
    uint64_t staleCancel = 0;
    (void)!read(cancel_, &staleCancel, sizeof staleCancel);
    uint8_t padded[kMinimumFrame] = {};
    const uint8_t* bytes = frame;
    size_t length = size;
    if (size < kMinimumFrame) {
        std::memcpy(padded, frame, size);
        bytes = padded;
        length = kMinimumFrame;
    }
    const ssize_t sent = send(socket_, bytes, length, MSG_DONTWAIT);
    if (sent < 0) return -1;
    return static_cast<size_t>(sent) == length ? static_cast<ptrdiff_t>(size) : 0;
}

}  // namespace

std::unique_ptr<FrameDevice> OpenPacketFrameDevice() {
    // Protocol 0: nothing is received before the device is bound to an interface.
    const int socketFd = socket(AF_PACKET, SOCK_RAW | SOCK_CLOEXEC, 0);
    if (socketFd < 0) return nullptr;
    const int cancelFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (cancelFd < 0) {
        const int error = errno;
        close(socketFd);
        errno = error;
        return nullptr;
    }
    return std::make_unique<PacketFrameDevice>(socketFd, cancelFd);
}

}  // namespace vexal::platform
