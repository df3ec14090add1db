// Raw Ethernet frame devices, opened by name. "UIO1:" is the system's device: an AF_PACKET
// socket that is bound to one interface by a control code. Tests and benchmarks register
// an in-process device under a name, which then takes the place of the system's device.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace vexal::platform {

inline constexpr const char* kFrameDeviceName = "UIO1:";

// Control codes. Bind: the interface name in UTF-16 (2 bytes a character, no terminator).
// Set SNAP: the 3-byte organisation code, least significant byte first; afterwards only
// IEEE 802.3 LLC/SNAP frames with that code are received. Cancel read: no input.
inline constexpr uint32_t kIoctlUioBind = 0x120800;
inline constexpr uint32_t kIoctlUioSetSnap = 0x120808;
inline constexpr uint32_t kIoctlUioCancelRead = 0x120828;

class FrameDevice {
public:
    virtual ~FrameDevice() = default;

    // False when the device refuses the code or its input. Cancel read may come from another
    // thread while Read blocks: the pending read, or else the next one, returns -1. A cancel
    // that no read consumed before the next Write is forgotten by that Write.
    virtual bool Control(uint32_t code, const void* input, size_t inputSize) = 0;

    // Blocks until one frame arrived and returns its size (the frame from its destination
    // address on, cut at capacity); -1 when cancelled or failed, 0 when the device ended.
    virtual ptrdiff_t Read(uint8_t* buffer, size_t capacity) = 0;

    // Sends the bytes as one frame, short frames padded as the medium needs. Returns the
    // number of bytes given when the frame went out, else -1 or a smaller count.
    virtual ptrdiff_t Write(const uint8_t* frame, size_t size) = 0;
};

using FrameDeviceFactory = std::function<std::unique_ptr<FrameDevice>()>;

// nullptr when no device of that name exists or it cannot be opened; errno is EPERM or
// EACCES when the process lacks the right to open it.
std::unique_ptr<FrameDevice> OpenFrameDevice(const char* name);

// Puts an in-process device under a name for the rest of the process, or until an empty
// factory removes it again.
void RegisterFrameDevice(const char* name, FrameDeviceFactory factory);

// The system's device itself, whatever is registered.
std::unique_ptr<FrameDevice> OpenPacketFrameDevice();

}  // namespace vexal::platform
