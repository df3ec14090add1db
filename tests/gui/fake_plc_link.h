// A scripted stand-in for the two closed libraries, linked into GUI tests in place of
// libcpulink and libbusport. It produces exact statuses on demand (a 0x4002 with a count,
// a fatal status in the middle of a tick) that a real controller cannot be made to give.
#pragma once

#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "busport.h"
#include "cpulink.h"

namespace vexal::testing {

// The answer of one call on a connection.
struct FakeAnswer {
    CpuStatus status = CPULINK_OK;
    std::vector<uint8_t> data;      // an uploaded image, system status list records or a clock
    std::vector<uint16_t> numbers;  // block list numbers delivered
    int count = 0;                  // block list count reported
    uint16_t recordLength = 0;
    uint16_t recordCount = 0;
};

// A call that the tests follow in order: start-up and shutdown steps.
struct FakeCall {
    std::string name;
    const void* record;  // the connection record, or nullptr
    int handle;          // the adapter handle, or 0
};

struct FakePlcScript {
    // The adapter.
    int adapterHandle = BUSPORT_INVALID_HANDLE;
    int goOnlineResult = 1;
    int netParametersResult = 1;
    BusParameters busParameters{};
    std::set<int> onlineStations;

    CpuStatus mpiInitStatus = CPULINK_OK;
    CpuStatus tcpInitStatus = CPULINK_OK;

    // Consumed one per call on a connection, in order; with none left a call succeeds
    // with nothing delivered.
    std::deque<FakeAnswer> answers;
    // Runs inside every call on a connection.
    std::function<void()> duringCall;

    // cpuLink_ErrorString writes "status 0x%04X" unless told to know no text.
    bool errorTextKnown = true;
    // The clock conversions succeed; the fake clock value holds the fields of the time.
    bool clockConversions = true;

    // What the calls received.
    std::vector<FakeCall> journal;
    uint32_t lastIpv4 = 0;
    int lastMpiAddress = -1;
    std::wstring lastPassword;
    int lastType = -1;
    int lastNumber = -1;
    int lastStart = -1;
    uint32_t lastSize = 0;
    uint32_t lastTimeoutMs = 0;
    uint16_t lastListId = 0;
    uint16_t lastListIndex = 0;
    std::vector<uint8_t> lastDownload;
    std::vector<uint8_t> lastClockSet;
    const CpuConnection* lastRecord = nullptr;
};

// The script of this process; ResetFakePlc starts a new one.
FakePlcScript& FakePlc();
void ResetFakePlc();

// The text the fake gives for a status.
std::wstring FakeErrorText(CpuStatus status);

// Whether the journal holds this call, and where.
int JournalIndex(const std::string& name, const void* record = nullptr);

}  // namespace vexal::testing
