// The system's network adapters as the discovery engine and the network dialog see them:
// name, hardware type and address, and the current IPv4 address and mask as dotted text.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vexal::platform {

inline constexpr uint32_t kAdapterTypeOther = 1;
inline constexpr uint32_t kAdapterTypeEthernet = 6;
inline constexpr uint32_t kAdapterTypeLoopback = 24;

inline constexpr size_t kAdapterNameCapacity = 256;  // 255 bytes and the terminator
inline constexpr size_t kAddressTextCapacity = 16;   // "255.255.255.255" and the terminator
inline constexpr size_t kHardwareAddressCapacity = 8;

struct NetworkAdapter {
    char name[kAdapterNameCapacity];
    uint32_t type;
    uint32_t hardwareAddressLength;
    uint8_t hardwareAddress[kHardwareAddressCapacity];
    char ipAddress[kAddressTextCapacity];  // empty when the adapter has no IPv4 address
    char ipMask[kAddressTextCapacity];
};

// Fills at most `capacity` records in the order the system lists the adapters. Returns the
// number filled, or -1 when the system cannot tell.
int ListNetworkAdapters(NetworkAdapter* out, int capacity);

// Replaces the system's list by a scripted one for the rest of the process (tests, demos).
void ScriptNetworkAdapters(const NetworkAdapter* adapters, int count);
void UseSystemNetworkAdapters();

}  // namespace vexal::platform
