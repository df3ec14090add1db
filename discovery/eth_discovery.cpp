#include "eth_discovery.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#include "code_page.h"
#include "dotted_quad.h"
#include "thread_priority.h"

namespace vexal {
namespace {

using platform::kWaitFailed;
using platform::kWaitTimedOut;

// An identify pass listens in waits of 10 ms and ends after 16 of them in a row passed
// without an answer: 160 ms of silence.
constexpr int kIdentifyWaitMs = 10;
constexpr int kSilentWaitsEndingPass = 16;
constexpr int kAddressWaitMs = 20;
// The worker answers every request within a few system calls; a worker silent for this
// long is stuck in a device that broke its contract.
constexpr int kWorkerAnswerLimitMs = 5000;
constexpr int kReadingCapacity = 2048;

uint64_t PackAnswer(const uint8_t* ip, const uint8_t* mask) {
    uint64_t packed = 0;
    for (size_t i = 0; i < discovery::kIpSize; ++i) packed = (packed << 8) | ip[i];
    for (size_t i = 0; i < discovery::kIpSize; ++i) packed = (packed << 8) | mask[i];
    return packed;
}

void UnpackAnswer(uint64_t packed, uint8_t* ip, uint8_t* mask) {
    for (int i = 3; i >= 0; --i, packed >>= 8) mask[i] = static_cast<uint8_t>(packed);
    for (int i = 3; i >= 0; --i, packed >>= 8) ip[i] = static_cast<uint8_t>(packed);
}

}  // namespace

CEthDiscovery::CEthDiscovery() = default;

CEthDiscovery::~CEthDiscovery() {
    if (!worker_.joinable()) return;
    evQuit_.Set();
    worker_.join();
}

bool CEthDiscovery::StartDiscovery() {
    if (worker_.joinable()) return true;
    for (platform::Event* event :
         {&evOpen_, &evClose_, &evQuit_, &evSend_, &evFailed_, &evDone_, &evFrame_}) {
        if (!event->Create()) return false;
    }
    try {
        worker_ = std::thread(&CEthDiscovery::WorkerMain, this);
    } catch (const std::system_error&) {
        return false;
    }
    driver_.reset();
    macQueue_.Reset();
    return true;
}

// ---- Worker thread ----------------------------------------------------------------

void CEthDiscovery::WorkerMain() {
    // Answers are read as soon as they arrive; without the priority the scan still works.
    platform::RaiseThreadToTimeCritical();
    WorkerState state = WorkerState::kIdle;
    while (state != WorkerState::kEnded) {
        switch (state) {
            case WorkerState::kIdle:
                state = OnIdle();
                break;
            case WorkerState::kOpen:
                state = OnOpen();
                break;
            case WorkerState::kReceiving:
                state = OnReceiving();
                break;
            case WorkerState::kEnded:
                break;
        }
    }
}

CEthDiscovery::WorkerState CEthDiscovery::OnIdle() {
    const int got = platform::WaitAny({&evQuit_, &evOpen_}, platform::kWaitForever);
    if (got == 0) return WorkerState::kEnded;
    if (got != 1) return WorkerState::kIdle;
    if (OpenDriver()) {
        evDone_.Set();
        return WorkerState::kOpen;
    }
    evFailed_.Set();
    return WorkerState::kIdle;
}

CEthDiscovery::WorkerState CEthDiscovery::OnOpen() {
    const int got = platform::WaitAny({&evClose_, &evSend_, &evQuit_}, platform::kWaitForever);
    if (got == 0) {
        driver_.reset();
        evDone_.Set();
        return WorkerState::kIdle;
    }
    if (got == 1) {
        if (WriteFrame()) {
            evDone_.Set();
            return WorkerState::kReceiving;
        }
        driver_.reset();
        evFailed_.Set();
        return WorkerState::kIdle;
    }
    if (got == 2) {
        driver_.reset();
        return WorkerState::kEnded;
    }
    return WorkerState::kOpen;
}

CEthDiscovery::WorkerState CEthDiscovery::OnReceiving() {
    const ptrdiff_t got = driver_->Read(readBuffer_, kReadingCapacity);
    if (got <= 0) {
        evFailed_.Set();
        return WorkerState::kOpen;
    }
    HandleFrame(readBuffer_, static_cast<size_t>(got));
    return WorkerState::kReceiving;
}

bool CEthDiscovery::OpenDriver() {
    char16_t name[platform::kAdapterNameCapacity];
    size_t length = 0;
    if (!platform::NarrowToUtf16(adapterName_, name, platform::kAdapterNameCapacity, &length)) {
        return false;
    }
    errno = 0;
    driver_ = platform::OpenFrameDevice(platform::kFrameDeviceName);
    rawFramesDenied_ = !driver_ && (errno == EPERM || errno == EACCES);
    if (!driver_) return false;
    if (!driver_->Control(platform::kIoctlUioBind, name, length * sizeof(char16_t)) ||
        !driver_->Control(platform::kIoctlUioSetSnap, discovery::kSnapFilterCode,
                          sizeof discovery::kSnapFilterCode)) {
        driver_.reset();
        return false;
    }
    return true;
}

bool CEthDiscovery::WriteFrame() {
    return driver_->Write(frameBuffer_, frameLength_) == static_cast<ptrdiff_t>(frameLength_);
}

void CEthDiscovery::HandleFrame(const uint8_t* frame, size_t size) {
    const discovery::Answer answer = discovery::InspectAnswer(frame, size, ownMac_, destMac_);
    switch (answer.kind) {
        case discovery::Answer::Kind::kAddress:
            answer_.store(PackAnswer(answer.ip, answer.mask));
            evFrame_.Set();
            break;
        case discovery::Answer::Kind::kIdentify:
            macQueue_.Push(answer.mac);
            evFrame_.Set();
            break;
        case discovery::Answer::Kind::kNone:
            break;
    }
}

// ---- Scanning thread ----------------------------------------------------------------

bool CEthDiscovery::Scan(const wchar_t* adapterName, StationTable* table) {
    if (table == nullptr || !worker_.joinable() || outOfService_) return false;
    if (!PrepareScan(adapterName, table)) return false;
    if (!RequestOpen()) return false;
    PassResult pass = IdentifyPass(table);
    if (pass == PassResult::kDone) pass = IdentifyPass(table);
    if (pass != PassResult::kDone) return false;
    table->RemoveDuplicateMacs();
    if (!QueryStations(table)) return false;
    RequestClose();
    return !outOfService_;
}

bool CEthDiscovery::PrepareScan(const wchar_t* adapterName, StationTable* table) {
    char name[platform::kAdapterNameCapacity];
    if (!platform::WideToNarrow(adapterName, name, sizeof name)) return false;
    platform::NetworkAdapter adapter;
    if (!FindAdapter(name, &adapter)) return false;
    table->Clear();
    macQueue_.Reset();
    std::memcpy(adapterName_, name, sizeof adapterName_);
    std::memcpy(ownMac_, adapter.hardwareAddress, sizeof ownMac_);
    ParseDottedQuad(adapter.ipAddress, ownIp_);
    ParseDottedQuad(adapter.ipMask, ownMask_);
    return true;
}

CEthDiscovery::PassResult CEthDiscovery::IdentifyPass(StationTable* table) {
    std::memcpy(destMac_, discovery::kBroadcastMac, sizeof destMac_);
    frameLength_ = static_cast<uint32_t>(discovery::BuildIdentifyRequest(ownMac_, frameBuffer_));
    if (!RequestSend()) return PassResult::kSendFailed;
    for (int silentWaits = 0; silentWaits < kSilentWaitsEndingPass;) {
        const int got = platform::WaitAny({&evFrame_, &evFailed_}, kIdentifyWaitMs);
        if (got == 0) {
            DrainMacQueue(table);
            silentWaits = 0;
        } else if (got == kWaitTimedOut) {
            ++silentWaits;
        } else {
            if (got == kWaitFailed) StopReading();
            RequestClose();
            return PassResult::kFailed;
        }
    }
    StopReading();
    return outOfService_ ? PassResult::kFailed : PassResult::kDone;
}

void CEthDiscovery::DrainMacQueue(StationTable* table) {
    uint8_t mac[discovery::kMacSize];
    while (macQueue_.Pop(mac)) table->Append(mac);
}

bool CEthDiscovery::QueryStations(StationTable* table) {
    for (int i = 0; i < table->Count();) {
        StationEntry& entry = table->At(i);
        const QueryResult result = QueryStation(&entry);
        if (result == QueryResult::kSendFailed || outOfService_) return false;
        if (result == QueryResult::kAnswered && SameSubnet(entry.ip, entry.mask, ownIp_, ownMask_)) {
            ++i;
        } else {
            table->RemoveAt(i);
        }
    }
    return true;
}

CEthDiscovery::QueryResult CEthDiscovery::QueryStation(StationEntry* entry) {
    std::memcpy(destMac_, entry->mac, sizeof destMac_);
    frameLength_ =
        static_cast<uint32_t>(discovery::BuildAddressRequest(destMac_, ownMac_, frameBuffer_));
    // An answer that came after the previous wait ended must not count for this station.
    // The worker is not reading now, so nothing can set the event in between.
    evFrame_.Reset();
    if (!RequestSend()) return QueryResult::kSendFailed;
    const int got = platform::WaitAny({&evFrame_, &evFailed_}, kAddressWaitMs);
    if (got == 0) {
        UnpackAnswer(answer_.load(), entry->ip, entry->mask);
        StopReading();
        return QueryResult::kAnswered;
    }
    if (got != 1) StopReading();
    return QueryResult::kNoAnswer;
}

bool CEthDiscovery::RequestOpen() {
    evOpen_.Set();
    return WaitForWorker({&evDone_, &evFailed_}) == 0;
}

void CEthDiscovery::RequestClose() {
    evClose_.Set();
    WaitForWorker({&evDone_});
}

bool CEthDiscovery::RequestSend() {
    evSend_.Set();
    return WaitForWorker({&evDone_, &evFailed_}) == 0;
}

void CEthDiscovery::StopReading() {
    if (outOfService_) return;
    driver_->Control(platform::kIoctlUioCancelRead, nullptr, 0);
    WaitForWorker({&evFailed_});
}

int CEthDiscovery::WaitForWorker(std::initializer_list<platform::Event*> events) {
    if (outOfService_) return kWaitFailed;
    const int got = platform::WaitAny(events, kWorkerAnswerLimitMs);
    if (got == kWaitTimedOut) outOfService_ = true;
    return got;
}

}  // namespace vexal
