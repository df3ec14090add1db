#include "network_adapters.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if_arp.h>
#include <netinet/in.h>
#include <netpacket/packet.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <optional>
#include <vector>

namespace vexal::platform {
namespace {

struct Script {
    std::mutex lock;
    std::optional<std::vector<NetworkAdapter>> adapters;
};

Script& AdapterScript() {
    static Script* script = new Script;
    return *script;
}

uint32_t AdapterType(unsigned short hardwareType) {
    if (hardwareType == ARPHRD_ETHER) return kAdapterTypeEthernet;
    if (hardwareType == ARPHRD_LOOPBACK) return kAdapterTypeLoopback;
    return kAdapterTypeOther;
}

// The record for this name, added at the end when new; nullptr when the list is full or
// the name does not fit.
NetworkAdapter* RecordFor(const char* name, NetworkAdapter* out, int capacity, int* count) {
    for (int i = 0; i < *count; ++i) {
        if (std::strcmp(out[i].name, name) == 0) return &out[i];
    }
    if (*count >= capacity || std::strlen(name) >= kAdapterNameCapacity) return nullptr;
    NetworkAdapter* record = &out[(*count)++];
    std::memset(record, 0, sizeof *record);
    std::strcpy(record->name, name);
    record->type = kAdapterTypeOther;
    return record;
}

void TakeHardware(const sockaddr_ll* link, NetworkAdapter* record) {
    record->type = AdapterType(link->sll_hatype);
    record->hardwareAddressLength = std::min<uint32_t>(link->sll_halen, kHardwareAddressCapacity);
    std::memcpy(record->hardwareAddress, link->sll_addr, record->hardwareAddressLength);
}

// The first IPv4 address of an adapter is its current one.
void TakeIpv4(const ifaddrs* entry, NetworkAdapter* record) {
    if (record->ipAddress[0] != '\0' || entry->ifa_netmask == nullptr) return;
    const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
    const auto* mask = reinterpret_cast<const sockaddr_in*>(entry->ifa_netmask);
    if (inet_ntop(AF_INET, &address->sin_addr, record->ipAddress, kAddressTextCapacity) ==
            nullptr ||
        inet_ntop(AF_INET, &mask->sin_addr, record->ipMask, kAddressTextCapacity) == nullptr) {
        record->ipAddress[0] = '\0';
        record->ipMask[0] = '\0';
    }
}

int ListSystemAdapters(NetworkAdapter* out, int capacity) {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return -1;
    int count = 0;
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_name == nullptr || entry->ifa_addr == nullptr) continue;
        NetworkAdapter* record = RecordFor(entry->ifa_name, out, capacity, &count);
        if (record == nullptr) continue;
        if (entry->ifa_addr->sa_family == AF_PACKET) {
            TakeHardware(reinterpret_cast<const sockaddr_ll*>(entry->ifa_addr), record);
        } else if (entry->ifa_addr->sa_family == AF_INET) {
            TakeIpv4(entry, record);
        }
    }
    freeifaddrs(list);
    return count;
}

}  // namespace

int ListNetworkAdapters(NetworkAdapter* out, int capacity) {
    if (out == nullptr || capacity < 0) return -1;
    Script& script = AdapterScript();
    {
        std::lock_guard<std::mutex> guard(script.lock);
        if (script.adapters) {
            const int count = std::min(capacity, static_cast<int>(script.adapters->size()));
            std::copy_n(script.adapters->begin(), count, out);
            return count;
        }
    }
    return ListSystemAdapters(out, capacity);
}

void ScriptNetworkAdapters(const NetworkAdapter* adapters, int count) {
    Script& script = AdapterScript();
    std::lock_guard<std::mutex> guard(script.lock);
    script.adapters.emplace(adapters, adapters + std::max(count, 0));
}

void UseSystemNetworkAdapters() {
    Script& script = AdapterScript();
    std::lock_guard<std::mutex> guard(script.lock);
    script.adapters.reset();
}

}  // namespace vexal::platform
