// An in-process Ethernet segment behind the frame device "UIO1:": scripted stations answer
// the frames the engine writes, with delays, repeats and faults chosen per test. Frames are
// built here byte by byte from the protocol layout, independently of the engine's code.
#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "code_page.h"
#include "frame_device.h"
#include "network_adapters.h"

namespace vexal::testing {

using Bytes = std::vector<uint8_t>;
using Mac = std::array<uint8_t, 6>;
using Quad = std::array<uint8_t, 4>;
using Clock = std::chrono::steady_clock;

inline constexpr Mac kScannerMac = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01};
inline constexpr Mac kBroadcast = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
inline constexpr Quad kMask24 = {255, 255, 255, 0};
inline constexpr const char* kScanAdapter = "scr0";

inline Bytes SnapFrame(const Mac& dest, const Mac& source, int lengthField, int service,
                       size_t size) {
    Bytes frame(dest.begin(), dest.end());
    frame.insert(frame.end(), source.begin(), source.end());
    for (int byte : {lengthField >> 8, lengthField & 0xFF, 0xAA, 0xAA, 0x03, 0x08, 0x00, 0x06, 0x01,
                     0xFD, service >> 8, service & 0xFF}) {
        frame.push_back(static_cast<uint8_t>(byte));
    }
    frame.resize(size);
    return frame;
}

inline Bytes IdentifyAnswer(const Mac& station) {
    return SnapFrame(kScannerMac, station, 10, 0x0501, 24);
}

// At least 40 bytes: a short length field does not hide the address fields.
inline Bytes AddressAnswer(const Mac& station, const Quad& ip, const Quad& mask = kMask24,
                           int lengthField = 30) {
    Bytes frame =
        SnapFrame(kScannerMac, station, lengthField, 0x0301, std::max(40, 14 + lengthField));
    std::copy(ip.begin(), ip.end(), frame.begin() + 32);
    std::copy(mask.begin(), mask.end(), frame.begin() + 36);
    return frame;
}

struct ScriptedStation {
    Mac mac{};
    Quad ip{};
    Quad mask{};
    // Per identify request (first, second, ...; the last plan repeats): the delays of this
    // station's answers.
    std::vector<std::vector<int>> identifyDelaysMs{{0}};
    bool answersAddress = true;
    int addressDelayMs = 0;
    int addressLengthField = 30;
};

inline Mac StationMac(int number) {
    return {0x02, 0x10, 0, 0, static_cast<uint8_t>(number >> 8), static_cast<uint8_t>(number)};
}

inline ScriptedStation Station(int number, Quad ip, Quad mask = kMask24, int identifyDelayMs = 0) {
    return {StationMac(number), ip, mask, {{identifyDelayMs}}};
}

struct WrittenFrame {
    Bytes bytes;
    Clock::time_point at;
};

class ScriptedNet : public std::enable_shared_from_this<ScriptedNet> {
public:
    std::vector<ScriptedStation> stations;
    // 1-based numbers of the open, bound device, or write that fails; 0: none.
    int failingOpen = 0;
    bool openDenied = false;  // every open fails as for a process without CAP_NET_RAW
    int failingBind = 0;
    int failingWrite = 0;
    int shortWrite = 0;
    int cancelDelayMs = 0;  // a device slow to end the pending read
    // Called for every written frame after the stations reacted (under the net's lock).
    std::function<void(const Bytes& frame, int writeNumber, ScriptedNet& net)> onWrite;

    // Registers the segment as "UIO1:" and an adapter list of the scanner's adapter alone.
    static std::shared_ptr<ScriptedNet> Install() {
        auto net = std::make_shared<ScriptedNet>();
        std::weak_ptr<ScriptedNet> weak = net;
        platform::RegisterFrameDevice(platform::kFrameDeviceName,
                                      [weak]() -> std::unique_ptr<platform::FrameDevice> {
                                          auto alive = weak.lock();
                                          return alive ? alive->Open() : nullptr;
                                      });
        ScriptAdapters({ScanAdapter()});
        return net;
    }

    static platform::NetworkAdapter ScanAdapter(const char* name = kScanAdapter,
                                                const char* ip = "192.168.0.1",
                                                const char* mask = "255.255.255.0") {
        platform::NetworkAdapter adapter{};
        std::strncpy(adapter.name, name, sizeof adapter.name - 1);
        adapter.type = platform::kAdapterTypeEthernet;
        adapter.hardwareAddressLength = 6;
        std::memcpy(adapter.hardwareAddress, kScannerMac.data(), 6);
        std::strncpy(adapter.ipAddress, ip, sizeof adapter.ipAddress - 1);
        std::strncpy(adapter.ipMask, mask, sizeof adapter.ipMask - 1);
        return adapter;
    }

    static void ScriptAdapters(const std::vector<platform::NetworkAdapter>& adapters) {
        platform::ScriptNetworkAdapters(adapters.data(), static_cast<int>(adapters.size()));
    }

    // Holds a frame for the reader, due after `delayMs`; with `endsRead`, the end of the
    // pending read instead. Under the lock (in onWrite), or as DeliverLocked.
    void Deliver(Bytes frame, int delayMs = 0, bool endsRead = false) {
        pending_.emplace(Clock::now() + std::chrono::milliseconds(delayMs),
                         Delivery{std::move(frame), endsRead});
        changed_.notify_all();
    }
    void DeliverLocked(Bytes frame) {
        std::lock_guard<std::mutex> guard(lock_);
        Deliver(std::move(frame));
    }

    std::vector<WrittenFrame> Written() {
        std::lock_guard<std::mutex> guard(lock_);
        return written_;
    }

    std::atomic<int> opens{0};
    std::atomic<int> openDevices{0};  // opened and not yet closed

private:
    struct Delivery {
        Bytes frame;
        bool endsRead = false;
    };
    class Device;

    std::unique_ptr<platform::FrameDevice> Open();

    void StationsReact(const Bytes& frame) {
        if (frame.size() < 24 || frame[23] != 0x00) return;
        for (const ScriptedStation& station : stations) {
            if (frame[22] == 0x05) {
                const auto& plans = station.identifyDelaysMs;
                for (int delay : plans[std::min(identifyRequests_, plans.size() - 1)]) {
                    Deliver(IdentifyAnswer(station.mac), delay);
                }
            } else if (frame[22] == 0x03 && station.answersAddress &&
                       std::equal(station.mac.begin(), station.mac.end(), frame.begin())) {
                Deliver(AddressAnswer(station.mac, station.ip, station.mask,
                                      station.addressLengthField),
                        station.addressDelayMs);
            }
        }
        if (frame[22] == 0x05) ++identifyRequests_;
    }

    std::mutex lock_;
    std::condition_variable changed_;
    std::multimap<Clock::time_point, Delivery> pending_;
    std::vector<WrittenFrame> written_;
    size_t identifyRequests_ = 0;
    bool cancelPending_ = false;
};

class ScriptedNet::Device final : public platform::FrameDevice {
public:
    Device(std::shared_ptr<ScriptedNet> net, bool refusesBind)
        : net_(std::move(net)), refusesBind_(refusesBind) {}
    ~Device() override { --net_->openDevices; }

    bool Control(uint32_t code, const void* input, size_t inputSize) override {
        if (code == platform::kIoctlUioCancelRead) {
            std::this_thread::sleep_for(std::chrono::milliseconds(net_->cancelDelayMs));
            std::lock_guard<std::mutex> guard(net_->lock_);
            net_->cancelPending_ = true;
            net_->changed_.notify_all();
            return true;
        }
        if (code == platform::kIoctlUioSetSnap) {
            return inputSize == 3 && std::memcmp(input, "\x06\x00\x08", 3) == 0;
        }
        // Binds only to the scanner's adapter, named in UTF-16 without terminator.
        if (code != platform::kIoctlUioBind || refusesBind_ || inputSize % 2 != 0) return false;
        std::vector<char16_t> units(inputSize / 2);
        std::memcpy(units.data(), input, inputSize);
        char name[512];
        return platform::Utf16ToNarrow(units.data(), units.size(), name, sizeof name) &&
               std::strcmp(name, kScanAdapter) == 0;
    }

    // Blocks until a frame is due or the read is cancelled; gives up after ten idle seconds
    // so that a broken engine fails a test instead of hanging it.
    ptrdiff_t Read(uint8_t* buffer, size_t capacity) override {
        std::unique_lock<std::mutex> guard(net_->lock_);
        const auto giveUp = Clock::now() + std::chrono::seconds(10);
        auto& pending = net_->pending_;
        while (!net_->cancelPending_ && Clock::now() < giveUp) {
            if (!pending.empty() && pending.begin()->first <= Clock::now()) {
                Delivery delivery = std::move(pending.begin()->second);
                pending.erase(pending.begin());
                if (delivery.endsRead) return 0;
                const size_t size = std::min(capacity, delivery.frame.size());
                std::memcpy(buffer, delivery.frame.data(), size);
                return static_cast<ptrdiff_t>(size);
            }
            net_->changed_.wait_until(
                guard, pending.empty() ? giveUp : std::min(giveUp, pending.begin()->first));
        }
        net_->cancelPending_ = false;
        return -1;
    }

    // Forgets a cancel that no read consumed, as the frame device's contract says.
    ptrdiff_t Write(const uint8_t* frame, size_t size) override {
        std::lock_guard<std::mutex> guard(net_->lock_);
        net_->cancelPending_ = false;
        net_->written_.push_back({Bytes(frame, frame + size), Clock::now()});
        const int number = static_cast<int>(net_->written_.size());
        if (number == net_->failingWrite) return -1;
        if (number == net_->shortWrite) return static_cast<ptrdiff_t>(size) - 1;
        net_->StationsReact(net_->written_.back().bytes);
        if (net_->onWrite) net_->onWrite(net_->written_.back().bytes, number, *net_);
        return static_cast<ptrdiff_t>(size);
    }

private:
    std::shared_ptr<ScriptedNet> net_;
    bool refusesBind_;
};

inline std::unique_ptr<platform::FrameDevice> ScriptedNet::Open() {
    const int number = ++opens;
    if (openDenied) errno = EPERM;
    if (number == failingOpen || openDenied) return nullptr;
    ++openDevices;
    return std::make_unique<Device>(shared_from_this(), number == failingBind);
}

}  // namespace vexal::testing
