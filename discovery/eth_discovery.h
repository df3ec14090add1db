// The Ethernet discovery engine: finds the controllers on the local subnet of one network
// adapter with identify and address requests sent below IP. A worker thread owns every
// call of the frame device; the scanning thread hands it requests through events and
// receives identify answers through the MAC queue.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <thread>

#include "discovery_frames.h"
#include "event.h"
#include "frame_device.h"
#include "mac_queue.h"
#include "network_adapters.h"
#include "station_table.h"

namespace vexal {

class CEthDiscovery {
public:
    CEthDiscovery();
    ~CEthDiscovery();
    CEthDiscovery(const CEthDiscovery&) = delete;
    CEthDiscovery& operator=(const CEthDiscovery&) = delete;

    // Creates the events and starts the worker. Called once; false when either fails.
    bool StartDiscovery();

    // Finds the stations on the adapter's subnet. Blocks until the scan is over; true also
    // when none was found.
    bool Scan(const wchar_t* adapterName, StationTable* table);

    // The first of the system's first ten adapters with this exact name, when it is
    // Ethernet with a 6-byte address and a valid current IPv4 address and mask.
    static bool FindAdapter(const char* name, platform::NetworkAdapter* adapter);
    static bool FindAdapter(const wchar_t* name, platform::NetworkAdapter* adapter);

    // Writes the names of the Ethernet adapters one after the other, each with its
    // terminator, into `capacity` characters. Returns the number of names written.
    static int ListAdapters(wchar_t* buffer, int capacity);

    // Whether the last scan could not open the frame device because the process lacks the
    // right to send raw frames (CAP_NET_RAW, or root).
    bool RawFramesDenied() const { return rawFramesDenied_.load(); }

    // What the worker does with one received frame. Public so that the frame handler can
    // be driven directly by the fuzzer; only the worker calls it while the engine runs.
    void HandleFrame(const uint8_t* frame, size_t size);

private:
    enum class WorkerState { kIdle, kOpen, kReceiving, kEnded };
    enum class PassResult { kDone, kFailed, kSendFailed };
    enum class QueryResult { kAnswered, kNoAnswer, kSendFailed };

    void WorkerMain();
    WorkerState OnIdle();
    WorkerState OnOpen();
    WorkerState OnReceiving();
    bool OpenDriver();
    bool WriteFrame();

    bool PrepareScan(const wchar_t* adapterName, StationTable* table);
    PassResult IdentifyPass(StationTable* table);
    bool QueryStations(StationTable* table);
    QueryResult QueryStation(StationEntry* entry);
    void DrainMacQueue(StationTable* table);
    bool RequestOpen();
    void RequestClose();
    bool RequestSend();
    void StopReading();
    int WaitForWorker(std::initializer_list<platform::Event*> events);

    std::thread worker_;
    std::unique_ptr<platform::FrameDevice> driver_;
    char adapterName_[platform::kAdapterNameCapacity] = {};
    uint8_t ownMac_[discovery::kMacSize] = {};
    uint8_t ownMask_[discovery::kIpSize] = {};
    uint8_t ownIp_[discovery::kIpSize] = {};
    platform::Event evOpen_;
    platform::Event evClose_;
    platform::Event evQuit_;
    platform::Event evSend_;
    uint8_t destMac_[discovery::kMacSize] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    uint32_t frameLength_ = 0;
    uint8_t frameBuffer_[64] = {};
    platform::Event evFailed_;
    platform::Event evDone_;
    platform::Event evFrame_;
    MacQueue macQueue_;
    // The address and mask of the last address answer, packed so that the worker can
    // replace them while the scanning thread reads: address in the high 32 bits.
    std::atomic<uint64_t> answer_{0};
    uint8_t readBuffer_[2048] = {};
    // Set when the worker did not answer a request in time; every later scan then fails.
    bool outOfService_ = false;
    std::atomic<bool> rawFramesDenied_{false};
};

}  // namespace vexal
