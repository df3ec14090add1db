// A scripted stand-in for the adapter and connection calls of the two libraries. It gives
// exact statuses on demand (a 0x4002 with a count, a fatal status in the middle of a tick)
// that a real controller cannot be made to give.
#pragma once

#include <algorithm>
#include <cstring>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "plc_library.h"

namespace vexal::testing {

// The answer of one call on a connection.
struct FakeAnswer {
    CpuStatus status = CPULINK_OK;
    std::vector<uint8_t> data;      // an uploaded image, status list records or a clock value
    std::vector<uint16_t> numbers;  // block list numbers delivered
    int count = 0;                  // block list count reported
    uint16_t recordLength = 0;
    uint16_t recordCount = 0;
};

// An adapter or record step: its name, connection record and adapter handle.
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

    std::vector<FakeCall> journal;
    std::wstring lastPassword;
    uint32_t lastTimeoutMs = 0;
};

class CFakePlcLibrary final : public CPlcLibrary {
public:
    explicit CFakePlcLibrary(FakePlcScript& script) : script_(script) {}

    int OpenAdapter() override { return script_.adapterHandle; }
    int GoOnlineDefault(int handle) override {
        Note("GoOnlineDefault", nullptr, handle);
        return script_.goOnlineResult;
    }
    int GetCurNetPrm(int, BusParameters* parameters) override {
        if (script_.netParametersResult != 0) *parameters = script_.busParameters;
        return script_.netParametersResult;
    }
    int CheckRemoteOnline(int, uint8_t stationAddress) override {
        return script_.onlineStations.count(stationAddress) != 0 ? 1 : 0;
    }
    void GoOffline(int handle) override { Note("GoOffline", nullptr, handle); }
    void CloseAdapter(int handle) override { Note("CloseAdapter", nullptr, handle); }

    CpuStatus InitMpiConnection(CpuConnection*, int) override { return script_.mpiInitStatus; }
    CpuStatus InitTcpConnection(CpuConnection*) override { return script_.tcpInitStatus; }
    CpuStatus OpenMpiConnection(CpuConnection*, int) override { return Next().status; }
    CpuStatus OpenTcpConnection(CpuConnection*, uint32_t) override { return Next().status; }
    void CloseConnection(CpuConnection*) override { Next(); }
    void DestroyConnection(CpuConnection* record) override { Note("DestroyConnection", record, 0); }

    CpuStatus LogInW(CpuConnection*, const wchar_t* password) override {
        script_.lastPassword = password;
        return Next().status;
    }
    CpuStatus GetClock(CpuConnection*, CpuClock* clock) override {
        return CopyData(Next(), clock->bytes, sizeof clock->bytes);
    }
    CpuStatus SetClock(CpuConnection*, const CpuClock*) override { return Next().status; }
    CpuStatus GetBlockList(CpuConnection*, int, int, int* count, uint16_t* numbers,
                           int capacity) override {
        const FakeAnswer answer = Next();
        std::copy_n(answer.numbers.begin(),
                    std::min<size_t>(answer.numbers.size(), static_cast<size_t>(capacity)),
                    numbers);
        *count = answer.count;
        return answer.status;
    }
    CpuStatus UploadBlock(CpuConnection*, int, uint16_t, uint8_t* buffer, uint32_t size) override {
        return CopyData(Next(), buffer, size);
    }
    CpuStatus DownloadBlock(CpuConnection*, const uint8_t*) override { return Next().status; }
    void SetCancelCheck(CpuConnection*, CpuCancelCheck, void*) override {}
    CpuStatus GetBlockInfo(CpuConnection*, int, uint16_t, CpuBlockInfo* info) override {
        return CopyData(Next(), reinterpret_cast<uint8_t*>(info), sizeof *info);
    }
    CpuStatus DeleteBlock(CpuConnection*, int, uint16_t) override { return Next().status; }
    CpuStatus CompressMemory(CpuConnection*, uint32_t timeoutMs) override {
        script_.lastTimeoutMs = timeoutMs;
        return Next().status;
    }
    CpuStatus Stop(CpuConnection*) override { return Next().status; }
    CpuStatus WarmRestart(CpuConnection*) override { return Next().status; }
    CpuStatus ReadSsl(CpuConnection*, uint16_t, uint16_t, uint16_t* recordLength,
                      uint16_t* recordCount, uint8_t* buffer, uint32_t size) override {
        const FakeAnswer answer = Next();
        *recordLength = answer.recordLength;
        *recordCount = answer.recordCount;
        return CopyData(answer, buffer, size);
    }
    CpuStatus ReadVariables(CpuConnection*, VariableDescriptor* const*, int) override {
        return Next().status;
    }
    CpuStatus WriteVariables(CpuConnection*, VariableDescriptor* const*, int) override {
        return Next().status;
    }

private:
    void Note(const char* name, const void* record, int handle) {
        script_.journal.push_back({name, record, handle});
    }
    FakeAnswer Next() {
        if (script_.duringCall) script_.duringCall();
        if (script_.answers.empty()) return {};
        FakeAnswer answer = std::move(script_.answers.front());
        script_.answers.pop_front();
        return answer;
    }
    static CpuStatus CopyData(const FakeAnswer& answer, uint8_t* buffer, uint32_t size) {
        if (!answer.data.empty())
            std::memcpy(buffer, answer.data.data(), std::min<size_t>(answer.data.size(), size));
        return answer.status;
    }

    FakePlcScript& script_;
};

}  // namespace vexal::testing
