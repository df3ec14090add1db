#include "frame_device.h"

#include <map>
#include <mutex>
#include <string>

namespace vexal::platform {
namespace {

struct Registry {
    std::mutex lock;
    std::map<std::string, FrameDeviceFactory> factories;
};

Registry& DeviceRegistry() {
    static Registry* registry = new Registry;
    return *registry;
}

}  // namespace

std::unique_ptr<FrameDevice> OpenFrameDevice(const char* name) {
    if (name == nullptr) return nullptr;
    FrameDeviceFactory factory;
    {
        Registry& registry = DeviceRegistry();
        std::lock_guard<std::mutex> guard(registry.lock);
        auto found = registry.factories.find(name);
        if (found != registry.factories.end()) factory = found->second;
    }
    if (factory) return factory();
    if (std::string(name) == kFrameDeviceName) return OpenPacketFrameDevice();
    return nullptr;
}

void RegisterFrameDevice(const char* name, FrameDeviceFactory factory) {
    Registry& registry = DeviceRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    if (factory) {
        registry.factories[name] = std::move(factory);
    } else {
        registry.factories.erase(name);
    }
}

}  // namespace vexal::platform
