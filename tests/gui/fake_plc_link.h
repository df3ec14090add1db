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
    std::vector<uint8_t> data;      // an uploaded image, status list records or a clock
    std::vector<uint16_t> numbers;  // block list numbers delivered
    int count = 0;                  // block list count reported
    uint16_t recordLength = 0;
    uint16_t recordCount = 0;
};

// A start-up or shutdown step: its name, connection record and adapter handle.
struct FakeCall {
    std::string name;
    const void* record;
    int handle;
};

struct FakePlcScript {
    int adapterHandle = BUSPORT_INVALID_HANDLE;
    int goOnlineResult = 1;
    int netParametersResult = 1;
    BusParameters busParameters{};
    std::set<int> onlineStations;
    CpuStatus mpiInitStatus = CPULINK_OK;
    CpuStatus tcpInitStatus = CPULINK_OK;
    // Consumed one per call on a connection; with none left a call succeeds empty.
    std::deque<FakeAnswer> answers;
    std::function<void()> duringCall;  // runs inside every call on a connection
    bool errorTextKnown = true;        // cpuLink_ErrorString writes "status 0x%04X"
    bool clockConversions = true;      // the fake clock holds the time's fields in order

    std::vector<FakeCall> journal;
    std::wstring lastPassword;
    uint32_t lastTimeoutMs = 0;
};

// The script of this process; ResetFakePlc starts a new one.
FakePlcScript& FakePlc();
void ResetFakePlc();
std::wstring FakeErrorText(CpuStatus status);
// Where the journal holds this call (with this record, when given), or -1.
int JournalIndex(const std::string& name, const void* record = nullptr);

}  // namespace vexal::testing
