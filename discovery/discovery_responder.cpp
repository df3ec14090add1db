#include "discovery_responder.h"

#include <cstring>
#include <system_error>
#include <vector>

#include "code_page.h"
#include "dotted_quad.h"
#include "network_adapters.h"

namespace vexal::discovery {
namespace {

// The responder looks through every adapter, not just the first few the scanner examines.
constexpr int kAdapterSearchLimit = 256;
constexpr size_t kReadCapacity = 2048;

bool InterfaceMac(const char* interfaceName, uint8_t* mac) {
    std::vector<platform::NetworkAdapter> adapters(kAdapterSearchLimit);
    const int listed = platform::ListNetworkAdapters(adapters.data(), kAdapterSearchLimit);
    for (int i = 0; i < listed; ++i) {
        const platform::NetworkAdapter& adapter = adapters[static_cast<size_t>(i)];
        if (std::strcmp(adapter.name, interfaceName) != 0) continue;
        if (adapter.type != platform::kAdapterTypeEthernet ||
            adapter.hardwareAddressLength != kMacSize) {
            return false;
        }
        std::memcpy(mac, adapter.hardwareAddress, kMacSize);
        return true;
    }
    return false;
}

std::unique_ptr<platform::FrameDevice> OpenBoundDevice(const char* interfaceName) {
    char16_t name[platform::kAdapterNameCapacity];
    size_t length = 0;
    if (!platform::NarrowToUtf16(interfaceName, name, platform::kAdapterNameCapacity, &length)) {
        return nullptr;
    }
    auto device = platform::OpenFrameDevice(platform::kFrameDeviceName);
    if (!device || !device->Control(platform::kIoctlUioBind, name, length * sizeof(char16_t)) ||
        !device->Control(platform::kIoctlUioSetSnap, kSnapFilterCode, sizeof kSnapFilterCode)) {
        return nullptr;
    }
    return device;
}

}  // namespace

size_t AnswerFor(const StationIdentity& station, const uint8_t* frame, size_t size, uint8_t* out) {
    const Request request = InspectRequest(frame, size, station.mac);
    switch (request.kind) {
        case Request::Kind::kIdentify:
            return BuildIdentifyAnswer(request.mac, station.mac, out);
        case Request::Kind::kAddress:
            return BuildAddressAnswer(request.mac, station.mac, station.ip, station.mask, out);
        case Request::Kind::kNone:
            break;
    }
    return 0;
}

bool DiscoveryResponder::Start(const char* interfaceName, const char* ipText,
                               const char* maskText) {
    StationIdentity station{};
    if (interfaceName == nullptr || !ParseDottedQuad(ipText, station.ip) ||
        !ParseDottedQuad(maskText, station.mask) || !InterfaceMac(interfaceName, station.mac)) {
        return false;
    }
    auto device = OpenBoundDevice(interfaceName);
    return device && Start(std::move(device), station);
}

bool DiscoveryResponder::Start(std::unique_ptr<platform::FrameDevice> device,
                               const StationIdentity& station) {
    if (!device || IsRunning()) return false;
    device_ = std::move(device);
    station_ = station;
    stopping_ = false;
    try {
        thread_ = std::thread(&DiscoveryResponder::Run, this);
    } catch (const std::system_error&) {
        device_.reset();
        return false;
    }
    return true;
}

void DiscoveryResponder::Stop() {
    if (!IsRunning()) return;
    stopping_ = true;
    device_->Control(platform::kIoctlUioCancelRead, nullptr, 0);
    thread_.join();
    device_.reset();
}

// A cancel that a Write forgets is harmless: Stop sets the flag before it cancels, and the
// flag is checked after every Write.
void DiscoveryResponder::Run() {
    uint8_t frame[kReadCapacity];
    uint8_t answer[kAddressAnswerSize];
    while (!stopping_) {
        const ptrdiff_t got = device_->Read(frame, sizeof frame);
        if (got <= 0) break;
        const size_t size = AnswerFor(station_, frame, static_cast<size_t>(got), answer);
        if (size > 0 && device_->Write(answer, size) == static_cast<ptrdiff_t>(size)) {
            ++answersSent_;
        }
    }
}

}  // namespace vexal::discovery
