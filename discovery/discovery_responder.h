// The station side of discovery, as a controller does it: answers identify requests with
// its MAC and address requests with its IPv4 address and mask. The simulator runs one per
// interface it is asked to answer on.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <thread>

#include "discovery_frames.h"
#include "frame_device.h"

namespace vexal::discovery {

struct StationIdentity {
    uint8_t mac[kMacSize];
    uint8_t ip[kIpSize];
    uint8_t mask[kIpSize];
};

// The answer of a station to one received frame, written into `out` (room for
// kAddressAnswerSize bytes). Returns its size, 0 when the frame asks nothing of it.
size_t AnswerFor(const StationIdentity& station, const uint8_t* frame, size_t size, uint8_t* out);

class DiscoveryResponder {
public:
    DiscoveryResponder() = default;
    ~DiscoveryResponder() { Stop(); }
    DiscoveryResponder(const DiscoveryResponder&) = delete;
    DiscoveryResponder& operator=(const DiscoveryResponder&) = delete;

    // Answers on the named interface through the frame device, with the interface's MAC
    // and the address and mask given as dotted text. False, with nothing started, when the
    // interface is unknown or not Ethernet, a text is no dotted quad, or the device cannot
    // be opened and bound.
    bool Start(const char* interfaceName, const char* ipText, const char* maskText);
    // Answers on a device that is already bound and filtered.
    bool Start(std::unique_ptr<platform::FrameDevice> device, const StationIdentity& station);
    // Ends the answering thread; safe when nothing runs.
    void Stop();

    bool IsRunning() const { return thread_.joinable(); }
    uint64_t AnswersSent() const { return answersSent_.load(); }

private:
    void Run();

    std::unique_ptr<platform::FrameDevice> device_;
    StationIdentity station_{};
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::atomic<uint64_t> answersSent_{0};
};

}  // namespace vexal::discovery
