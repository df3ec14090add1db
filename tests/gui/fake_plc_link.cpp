#include "fake_plc_link.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

#include "block_images.h"

namespace vexal::testing {
namespace {

FakePlcScript script;

void Note(const char* name, const void* record, int handle) {
    script.journal.push_back({name, record, handle});
}

FakeAnswer Next() {
    if (script.duringCall) script.duringCall();
    if (script.answers.empty()) return {};
    FakeAnswer answer = std::move(script.answers.front());
    script.answers.pop_front();
    return answer;
}

CpuStatus CopyData(const FakeAnswer& answer, uint8_t* buffer, uint32_t size) {
    if (!answer.data.empty())
        std::memcpy(buffer, answer.data.data(), std::min<size_t>(answer.data.size(), size));
    return answer.status;
}

}  // namespace

FakePlcScript& FakePlc() {
    return script;
}

void ResetFakePlc() {
    script = FakePlcScript{};
}

std::wstring FakeErrorText(CpuStatus status) {
    wchar_t text[32];
    std::swprintf(text, 32, L"status 0x%04X", static_cast<unsigned>(status));
    return text;
}

int JournalIndex(const std::string& name, const void* record) {
    for (size_t index = 0; index < script.journal.size(); ++index) {
        const FakeCall& call = script.journal[index];
        if (call.name == name && (record == nullptr || call.record == record)) {
            return static_cast<int>(index);
        }
    }
    return -1;
}

}  // namespace vexal::testing

using vexal::testing::CopyData;
using vexal::testing::FakeAnswer;
using vexal::testing::Next;
using vexal::testing::Note;
using vexal::testing::script;

// A call on a connection whose answer is only its status.
#define FAKE_STATUS_CALL(name, ...)                             \
    CpuStatus name(CpuConnection* __VA_OPT__(, ) __VA_ARGS__) { \
        return Next().status;                                   \
    }

extern "C" {

int Busport_Open(void) {
    return script.adapterHandle;
}
int Busport_GoOnlineDefault(int handle) {
    Note("Busport_GoOnlineDefault", nullptr, handle);
    return script.goOnlineResult;
}
int Busport_GetCurNetPrm(int, BusParameters* parameters) {
    if (script.netParametersResult != 0) *parameters = script.busParameters;
    return script.netParametersResult;
}
int Busport_CheckRemoteOnline(int, uint8_t stationAddress) {
    return script.onlineStations.count(stationAddress) != 0 ? 1 : 0;
}
void Busport_GoOffline(int handle) {
    Note("Busport_GoOffline", nullptr, handle);
}
void Busport_Close(int handle) {
    Note("Busport_Close", nullptr, handle);
}

CpuStatus cpuBus_InitConnection(CpuConnection*, int) {
    return script.mpiInitStatus;
}
CpuStatus cpuNet_InitConnection(CpuConnection*) {
    return script.tcpInitStatus;
}
void cpuLink_DestroyConnection(CpuConnection* record) {
    Note("cpuLink_DestroyConnection", record, 0);
}
FAKE_STATUS_CALL(cpuBus_OpenConnection, int)
FAKE_STATUS_CALL(cpuNet_OpenConnection, uint32_t)
void cpuLink_CloseConnection(CpuConnection*) {
    Next();
}
CpuStatus cpuLink_LogInW(CpuConnection*, const wchar_t* password) {
    script.lastPassword = password;
    return Next().status;
}

int cpuLink_ErrorString(CpuStatus status, wchar_t* buffer, int capacity) {
    if (!script.errorTextKnown || capacity < 1) return 0;
    std::swprintf(buffer, static_cast<size_t>(capacity), L"%ls",
                  vexal::testing::FakeErrorText(status).c_str());
    return 1;
}
int cpuLink_DiagnoseString(uint16_t, wchar_t*, int) {
    return 0;
}

FAKE_STATUS_CALL(cpuLink_GetClock, CpuClock*)
FAKE_STATUS_CALL(cpuLink_SetClock, const CpuClock*)
int cpuLink_S7TimeToTM(BrokenDownTime*, const CpuClock*) {
    return script.clockConversions ? 1 : 0;
}
int cpuLink_TMToS7Time(CpuClock*, const BrokenDownTime*) {
    return script.clockConversions ? 1 : 0;
}

CpuStatus cpuLink_GetBlockList(CpuConnection*, int, int, int* count, uint16_t* numbers,
                               int capacity) {
    const FakeAnswer answer = Next();
    const size_t delivered = std::min<size_t>(answer.numbers.size(), static_cast<size_t>(capacity));
    std::copy_n(answer.numbers.begin(), delivered, numbers);
    *count = answer.count;
    return answer.status;
}
CpuStatus cpuLink_UploadBlock(CpuConnection*, int, uint16_t, uint8_t* buffer, uint32_t size) {
    return CopyData(Next(), buffer, size);
}
FAKE_STATUS_CALL(cpuLink_DownloadBlock, const uint8_t*)
FAKE_STATUS_CALL(cpuLink_DeleteBlock, int, uint16_t)
int cpuLink_GetBlockType(const uint8_t* image) {
    if (image[0] != 0x70 || image[1] != 0x70) return BLOCK_TYPE_NONE;
    for (int type = 0; type < 7; ++type) {
        if (vexal::testing::BlockTypeCode(type) == image[5]) return type;
    }
    return BLOCK_TYPE_NONE;
}

CpuStatus cpuLink_CompressMemory(CpuConnection*, uint32_t timeoutMs) {
    script.lastTimeoutMs = timeoutMs;
    return Next().status;
}
FAKE_STATUS_CALL(cpuLink_CopyRamToRom, uint32_t)
FAKE_STATUS_CALL(cpuLink_Clear)
FAKE_STATUS_CALL(cpuLink_Stop)
FAKE_STATUS_CALL(cpuLink_WarmRestart)
CpuStatus cpuLink_ReadSsl(CpuConnection*, uint16_t, uint16_t, uint16_t* recordLength,
                          uint16_t* recordCount, uint8_t* buffer, uint32_t size) {
    const FakeAnswer answer = Next();
    *recordLength = answer.recordLength;
    *recordCount = answer.recordCount;
    return CopyData(answer, buffer, size);
}

FAKE_STATUS_CALL(cpuLink_ReadVariables, VariableDescriptor* const*, int)
FAKE_STATUS_CALL(cpuLink_WriteVariables, VariableDescriptor* const*, int)
int cpuLink_ParseVariableW(VariableDescriptor*, const wchar_t*) {
    return 0;
}
int cpuLink_SetVariableValueFromStringW(VariableDescriptor*, const wchar_t*) {
    return 0;
}
int cpuLink_FormatVariable(wchar_t*, int, const VariableDescriptor*) {
    return 0;
}
int cpuLink_GetVariableValueAsString(wchar_t*, int, const VariableDescriptor*, int) {
    return 0;
}

// The fake's LED state is byte 2 of the record, its operating mode byte 3.
int cpuLink_DecodeLedState(const uint8_t* ledRecord) {
    return ledRecord[2];
}
int cpuLink_DecodeOperationMode(const uint8_t* modeRecord) {
    return modeRecord[3];
}

}  // extern "C"
