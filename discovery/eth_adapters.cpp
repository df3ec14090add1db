// The adapter operations of the discovery engine, used by start-up and the network dialog.
#include <cstring>

#include "code_page.h"
#include "dotted_quad.h"
#include "eth_discovery.h"

namespace vexal {
namespace {

// The adapter list is read into room for ten records, and only those are looked at.
constexpr int kMaxAdapters = 10;

bool IsEthernetWithMac(const platform::NetworkAdapter& adapter) {
    return adapter.type == platform::kAdapterTypeEthernet &&
           adapter.hardwareAddressLength == discovery::kMacSize;
}

}  // namespace

bool CEthDiscovery::FindAdapter(const char* name, platform::NetworkAdapter* adapter) {
    if (name == nullptr) return false;
    platform::NetworkAdapter adapters[kMaxAdapters];
    const int listed = platform::ListNetworkAdapters(adapters, kMaxAdapters);
    for (int i = 0; i < listed; ++i) {
        const platform::NetworkAdapter& candidate = adapters[i];
        if (std::strcmp(candidate.name, name) != 0) continue;
        if (!IsEthernetWithMac(candidate) || !ParseDottedQuad(candidate.ipAddress, nullptr) ||
            !ParseDottedQuad(candidate.ipMask, nullptr)) {
            return false;
        }
        if (adapter != nullptr) *adapter = candidate;
        return true;
    }
    return false;
}

bool CEthDiscovery::FindAdapter(const wchar_t* name, platform::NetworkAdapter* adapter) {
    char narrow[platform::kAdapterNameCapacity];
    return platform::WideToNarrow(name, narrow, sizeof narrow) && FindAdapter(narrow, adapter);
}

int CEthDiscovery::ListAdapters(wchar_t* buffer, int capacity) {
    if (buffer == nullptr || capacity <= 0) return 0;
    platform::NetworkAdapter adapters[kMaxAdapters];
    const int listed = platform::ListNetworkAdapters(adapters, kMaxAdapters);
    int written = 0;
    size_t used = 0;
    for (int i = 0; i < listed; ++i) {
        const platform::NetworkAdapter& adapter = adapters[i];
        if (adapter.name[0] == '\0' || !IsEthernetWithMac(adapter)) continue;
        wchar_t name[platform::kAdapterNameCapacity];
        size_t length = 0;
        if (!platform::NarrowToWide(adapter.name, name, platform::kAdapterNameCapacity, &length)) {
            continue;
        }
        if (length + 1 > static_cast<size_t>(capacity) - used) break;
        std::memcpy(buffer + used, name, (length + 1) * sizeof(wchar_t));
        used += length + 1;
        ++written;
    }
    return written;
}

}  // namespace vexal
