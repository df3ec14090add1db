// An in-process Ethernet segment behind the frame device "UIO1:": scripted stations answer
// the frames the engine writes, with delays, repeats and faults chosen per test. Frames are
// built here byte by byte from the protocol layout, independently of the engine's code.
#pragma once

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
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
inline constexpr const char* kScanAdapter = "scr0";

inline Bytes SnapFrame(const Mac& dest, const Mac& source, uint16_t lengthField, uint16_t service,
                       size_t size) {
    Bytes frame(size, 0);
    std::memcpy(frame.data(), dest.data(), 6);
    std::memcpy(frame.data() + 6, source.data(), 6);
    frame[12] = static_cast<uint8_t>(lengthField >> 8);
    frame[13] = static_cast<uint8_t>(lengthField);
    const uint8_t snap[8] = {0xAA, 0xAA, 0x03, 0x08, 0x00, 0x06, 0x01, 0xFD};
    std::memcpy(frame.data() + 14, snap, 8);
    frame[22] = static_cast<uint8_t>(service >> 8);
    frame[23] = static_cast<uint8_t>(service);
    return frame;
}

inline Bytes IdentifyAnswer(const Mac& station, const Mac& dest = kScannerMac) {
    return SnapFrame(dest, station, 10, 0x0501, 24);
}

inline Bytes AddressAnswer(const Mac& station, const Quad& ip, const Quad& mask,
                           uint16_t lengthField = 30, const Mac& dest = kScannerMac) {
    Bytes frame = SnapFrame(dest, station, lengthField, 0x0301, 14u + lengthField);
    if (frame.size() < 40) frame.resize(40);  // the fields are there; the length says not
    std::memcpy(frame.data() + 32, ip.data(), 4);
    std::memcpy(frame.data() + 36, mask.data(), 4);
    return frame;
}

struct ScriptedStation {
    Mac mac{};
    Quad ip{};
    Quad mask{255, 255, 255, 0};
    // Per identify request (first, second, ...; the last plan repeats): the delays of this
    // station's answers.
    std::vector<std::vector<int>> identifyDelaysMs{{0}, {0}};
    bool answersAddress = true;
    int addressDelayMs = 0;
    uint16_t addressLengthField = 30;
};

inline Mac StationMac(int number) {
    return {
        0x02, 0x10, 0x00, 0x00, static_cast<uint8_t>(number >> 8), static_cast<uint8_t>(number)};
}

inline ScriptedStation Station(int number, Quad ip, Quad mask = {255, 255, 255, 0}) {
    ScriptedStation station;
    station.mac = StationMac(number);
    station.ip = ip;
    station.mask = mask;
    return station;
}

struct WrittenFrame {
    Bytes bytes;
    Clock::time_point at;
};

class ScriptedNet : public std::enable_shared_from_this<ScriptedNet> {
public:
    // A frame the segment holds for the reader, or the end of the pending read (empty).
    struct Delivery {
        Bytes frame;
        bool endsRead = false;
    };

    std::vector<ScriptedStation> stations;
    bool echoOwnFrames = false;
    bool failOpen = false;
    int failingWrite = 0;  // 1-based number of the write that fails; 0: none
    bool failingWriteIsShort = false;
    int cancelDelayMs = 0;  // a device slow to end the pending read
    // Called for every written frame after the stations reacted (under the net's lock).
    std::function<void(const Bytes& frame, int writeNumber, ScriptedNet& net)> onWrite;

    // Registers the segment as "UIO1:" and a scripted adapter list with the scanner's
    // adapter first; both stay until the process ends or another net is installed.
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

    // Holds a frame (or the end of the read) for the reader, due after `delayMs`.
    void Deliver(Bytes frame, int delayMs = 0, bool endsRead = false) {
        pending_.emplace(Clock::now() + std::chrono::milliseconds(delayMs),
                         Delivery{std::move(frame), endsRead});
        changed_.notify_all();
    }
    void DeliverLocked(Bytes frame, int delayMs = 0, bool endsRead = false) {
        std::lock_guard<std::mutex> guard(lock_);
        Deliver(std::move(frame), delayMs, endsRead);
    }

    std::vector<WrittenFrame> Written() {
        std::lock_guard<std::mutex> guard(lock_);
        return written_;
    }
    int Opens() {
        std::lock_guard<std::mutex> guard(lock_);
        return opens_;
    }
    int OpenDevices() {
        std::lock_guard<std::mutex> guard(lock_);
        return openDevices_;
    }
    std::string BoundName() {
        std::lock_guard<std::mutex> guard(lock_);
        return boundName_;
    }

private:
    class Device;
    friend class Device;

    std::unique_ptr<platform::FrameDevice> Open();
    void StationsReact(const Bytes& frame) {
        if (frame.size() < 24) return;
        const uint16_t service = static_cast<uint16_t>((frame[22] << 8) | frame[23]);
        if (service == 0x0500) {
            for (const ScriptedStation& station : stations) {
                if (station.identifyDelaysMs.empty()) continue;
                const size_t plan =
                    std::min(identifyRequests_, station.identifyDelaysMs.size() - 1);
                for (int delay : station.identifyDelaysMs[plan]) {
                    Deliver(IdentifyAnswer(station.mac), delay);
                }
            }
            ++identifyRequests_;
        } else if (service == 0x0300) {
            for (const ScriptedStation& station : stations) {
                if (!station.answersAddress || std::memcmp(frame.data(), station.mac.data(), 6))
                    continue;
                Deliver(AddressAnswer(station.mac, station.ip, station.mask,
                                      station.addressLengthField),
                        station.addressDelayMs);
            }
        }
    }

    std::mutex lock_;
    std::condition_variable changed_;
    std::multimap<Clock::time_point, Delivery> pending_;
    std::vector<WrittenFrame> written_;
    size_t identifyRequests_ = 0;
    int opens_ = 0;
    int openDevices_ = 0;
    bool cancelPending_ = false;
    std::string boundName_;
};

class ScriptedNet::Device final : public platform::FrameDevice {
public:
    explicit Device(std::shared_ptr<ScriptedNet> net) : net_(std::move(net)) {}
    ~Device() override {
        std::lock_guard<std::mutex> guard(net_->lock_);
        --net_->openDevices_;
    }

    bool Control(uint32_t code, const void* input, size_t inputSize) override {
        if (code == platform::kIoctlUioCancelRead) return Cancel();
        std::lock_guard<std::mutex> guard(net_->lock_);
        if (code == platform::kIoctlUioBind) return Bind(input, inputSize);
        if (code == platform::kIoctlUioSetSnap) {
            const uint8_t expected[3] = {0x06, 0x00, 0x08};
            return inputSize == 3 && std::memcmp(input, expected, 3) == 0;
        }
        return false;
    }

    // Blocks until a frame is due or the read is cancelled; gives up after ten idle seconds
    // so that a broken engine fails a test instead of hanging it.
    ptrdiff_t Read(uint8_t* buffer, size_t capacity) override {
        std::unique_lock<std::mutex> guard(net_->lock_);
        const auto giveUp = Clock::now() + std::chrono::seconds(10);
        for (;;) {
            if (net_->cancelPending_) {
                net_->cancelPending_ = false;
                return -1;
            }
            auto& pending = net_->pending_;
            const auto now = Clock::now();
            if (!pending.empty() && pending.begin()->first <= now) {
                Delivery delivery = std::move(pending.begin()->second);
                pending.erase(pending.begin());
                if (delivery.endsRead) return 0;
                const size_t size = std::min(capacity, delivery.frame.size());
                std::memcpy(buffer, delivery.frame.data(), size);
                return static_cast<ptrdiff_t>(size);
            }
            if (now >= giveUp) return -1;
            const auto until = pending.empty() ? giveUp : std::min(giveUp, pending.begin()->first);
            net_->changed_.wait_until(guard, until);
        }
    }

    ptrdiff_t Write(const uint8_t* frame, size_t size) override {
        std::lock_guard<std::mutex> guard(net_->lock_);
        net_->cancelPending_ = false;
        Bytes bytes(frame, frame + size);
        net_->written_.push_back({bytes, Clock::now()});
        const int number = static_cast<int>(net_->written_.size());
        if (number == net_->failingWrite) {
            return net_->failingWriteIsShort ? static_cast<ptrdiff_t>(size) - 1 : -1;
        }
        if (net_->echoOwnFrames) net_->Deliver(bytes);
        net_->StationsReact(bytes);
        if (net_->onWrite) net_->onWrite(bytes, number, *net_);
        return static_cast<ptrdiff_t>(size);
    }

private:
    bool Cancel() {
        int delayMs = 0;
        {
            std::lock_guard<std::mutex> guard(net_->lock_);
            delayMs = net_->cancelDelayMs;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        std::lock_guard<std::mutex> guard(net_->lock_);
        net_->cancelPending_ = true;
        net_->changed_.notify_all();
        return true;
    }

    bool Bind(const void* input, size_t inputSize) {
        std::vector<char16_t> units(inputSize / 2);
        std::memcpy(units.data(), input, units.size() * 2);
        char name[512];
        if (inputSize % 2 != 0 ||
            !platform::Utf16ToNarrow(units.data(), units.size(), name, sizeof name)) {
            return false;
        }
        net_->boundName_ = name;
        return net_->boundName_ == kScanAdapter;
    }

    std::shared_ptr<ScriptedNet> net_;
};

inline std::unique_ptr<platform::FrameDevice> ScriptedNet::Open() {
    std::lock_guard<std::mutex> guard(lock_);
    ++opens_;
    if (failOpen) return nullptr;
    ++openDevices_;
    return std::make_unique<Device>(shared_from_this());
}

}  // namespace vexal::testing
