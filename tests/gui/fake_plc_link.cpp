#include "fake_plc_link.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

namespace vexal::testing {
namespace {

FakePlcScript script;

void Note(const char* name, const void* record = nullptr, int handle = 0) {
    script.journal.push_back({name, record, handle});
}

FakeAnswer NextAnswer(const char* name, const CpuConnection* record) {
    Note(name, record);
    script.lastRecord = record;
    if (script.duringCall) script.duringCall();
    if (script.answers.empty()) return {};
    FakeAnswer answer = std::move(script.answers.front());
    script.answers.pop_front();
    return answer;
}

void CopyData(const FakeAnswer& answer, uint8_t* buffer, uint32_t size) {
    if (answer.data.empty()) return;
    std::memcpy(buffer, answer.data.data(), std::min<size_t>(answer.data.size(), size));
}

uint32_t ImageLength(const uint8_t* image) {
    return static_cast<uint32_t>(image[8]) << 24 | static_cast<uint32_t>(image[9]) << 16 |
           static_cast<uint32_t>(image[10]) << 8 | image[11];
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

using vexal::testing::FakeAnswer;
using vexal::testing::script;

extern "C" {

// ---- libbusport ---------------------------------------------------------------------

int Busport_Open(void) {
    vexal::testing::Note("Busport_Open");
    return script.adapterHandle;
}

int Busport_GoOnlineDefault(int handle) {
    vexal::testing::Note("Busport_GoOnlineDefault", nullptr, handle);
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
    vexal::testing::Note("Busport_GoOffline", nullptr, handle);
}

void Busport_Close(int handle) {
    vexal::testing::Note("Busport_Close", nullptr, handle);
}

// ---- libcpulink: connections --------------------------------------------------------

CpuStatus cpuBus_InitConnection(CpuConnection* record, int adapterHandle) {
    vexal::testing::Note("cpuBus_InitConnection", record, adapterHandle);
    return script.mpiInitStatus;
}

CpuStatus cpuNet_InitConnection(CpuConnection* record) {
    vexal::testing::Note("cpuNet_InitConnection", record);
    return script.tcpInitStatus;
}

CpuStatus cpuBus_OpenConnection(CpuConnection* record, int mpiAddress) {
    script.lastMpiAddress = mpiAddress;
    return vexal::testing::NextAnswer("cpuBus_OpenConnection", record).status;
}

CpuStatus cpuNet_OpenConnection(CpuConnection* record, uint32_t ipv4Address) {
    script.lastIpv4 = ipv4Address;
    return vexal::testing::NextAnswer("cpuNet_OpenConnection", record).status;
}

CpuStatus cpuLink_LogInW(CpuConnection* record, const wchar_t* password) {
    script.lastPassword = password != nullptr ? password : L"";
    return vexal::testing::NextAnswer("cpuLink_LogInW", record).status;
}

void cpuLink_CloseConnection(CpuConnection* record) {
    vexal::testing::NextAnswer("cpuLink_CloseConnection", record);
}

void cpuLink_DestroyConnection(CpuConnection* record) {
    vexal::testing::Note("cpuLink_DestroyConnection", record);
}

// ---- libcpulink: texts --------------------------------------------------------------

int cpuLink_ErrorString(CpuStatus status, wchar_t* buffer, int capacity) {
    if (!script.errorTextKnown || capacity < 1) return 0;
    std::swprintf(buffer, static_cast<size_t>(capacity), L"%ls",
                  vexal::testing::FakeErrorText(status).c_str());
    return 1;
}

int cpuLink_DiagnoseString(uint16_t, wchar_t*, int) {
    return 0;
}

// ---- libcpulink: clock --------------------------------------------------------------

CpuStatus cpuLink_GetClock(CpuConnection* record, CpuClock* clock) {
    const FakeAnswer answer = vexal::testing::NextAnswer("cpuLink_GetClock", record);
    vexal::testing::CopyData(answer, clock->bytes, CPULINK_CLOCK_SIZE);
    return answer.status;
}

CpuStatus cpuLink_SetClock(CpuConnection* record, const CpuClock* clock) {
    script.lastClockSet.assign(clock->bytes, clock->bytes + CPULINK_CLOCK_SIZE);
    return vexal::testing::NextAnswer("cpuLink_SetClock", record).status;
}

// The fake clock value holds second, minute, hour, day, month, year - 1900 and weekday.
int cpuLink_S7TimeToTM(BrokenDownTime* out, const CpuClock* in) {
    if (!script.clockConversions) return 0;
    const uint8_t* bytes = in->bytes;
    *out = BrokenDownTime{bytes[0], bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6]};
    return 1;
}

int cpuLink_TMToS7Time(CpuClock* out, const BrokenDownTime* in) {
    if (!script.clockConversions) return 0;
    const int fields[] = {in->second, in->minute,         in->hour,     in->dayOfMonth,
                          in->month,  in->yearsSince1900, in->dayOfWeek};
    for (size_t index = 0; index < 7; ++index)
        out->bytes[index] = static_cast<uint8_t>(fields[index]);
    out->bytes[7] = 0;
    return 1;
}

// ---- libcpulink: blocks -------------------------------------------------------------

CpuStatus cpuLink_GetBlockList(CpuConnection* record, int type, int start, int* count,
                               uint16_t* numbers, int capacity) {
    script.lastType = type;
    script.lastStart = start;
    const FakeAnswer answer = vexal::testing::NextAnswer("cpuLink_GetBlockList", record);
    const size_t delivered = std::min<size_t>(answer.numbers.size(), static_cast<size_t>(capacity));
    std::copy_n(answer.numbers.begin(), delivered, numbers);
    *count = answer.count;
    return answer.status;
}

CpuStatus cpuLink_UploadBlock(CpuConnection* record, int type, uint16_t number, uint8_t* buffer,
                              uint32_t size) {
    script.lastType = type;
    script.lastNumber = number;
    script.lastSize = size;
    const FakeAnswer answer = vexal::testing::NextAnswer("cpuLink_UploadBlock", record);
    vexal::testing::CopyData(answer, buffer, size);
    return answer.status;
}

CpuStatus cpuLink_DownloadBlock(CpuConnection* record, const uint8_t* image) {
    script.lastDownload.assign(image, image + vexal::testing::ImageLength(image));
    return vexal::testing::NextAnswer("cpuLink_DownloadBlock", record).status;
}

CpuStatus cpuLink_DeleteBlock(CpuConnection* record, int type, uint16_t number) {
    script.lastType = type;
    script.lastNumber = number;
    return vexal::testing::NextAnswer("cpuLink_DeleteBlock", record).status;
}

int cpuLink_GetBlockType(const uint8_t* image) {
    static const uint8_t kTypeCodes[] = {0x08, 0x0E, 0x0C, 0x0A, 0x0B, 0x0F, 0x0D};
    if (image[0] != 0x70 || image[1] != 0x70) return BLOCK_TYPE_NONE;
    for (int type = 0; type < 7; ++type) {
        if (kTypeCodes[type] == image[5]) return type;
    }
    return BLOCK_TYPE_NONE;
}

// ---- libcpulink: controller control -------------------------------------------------

CpuStatus cpuLink_CompressMemory(CpuConnection* record, uint32_t timeoutMs) {
    script.lastTimeoutMs = timeoutMs;
    return vexal::testing::NextAnswer("cpuLink_CompressMemory", record).status;
}

CpuStatus cpuLink_CopyRamToRom(CpuConnection* record, uint32_t timeoutMs) {
    script.lastTimeoutMs = timeoutMs;
    return vexal::testing::NextAnswer("cpuLink_CopyRamToRom", record).status;
}

CpuStatus cpuLink_Clear(CpuConnection* record) {
    return vexal::testing::NextAnswer("cpuLink_Clear", record).status;
}

CpuStatus cpuLink_Stop(CpuConnection* record) {
    return vexal::testing::NextAnswer("cpuLink_Stop", record).status;
}

CpuStatus cpuLink_WarmRestart(CpuConnection* record) {
    return vexal::testing::NextAnswer("cpuLink_WarmRestart", record).status;
}

CpuStatus cpuLink_ReadSsl(CpuConnection* record, uint16_t listId, uint16_t index,
                          uint16_t* recordLength, uint16_t* recordCount, uint8_t* buffer,
                          uint32_t size) {
    script.lastListId = listId;
    script.lastListIndex = index;
    script.lastSize = size;
    const FakeAnswer answer = vexal::testing::NextAnswer("cpuLink_ReadSsl", record);
    vexal::testing::CopyData(answer, buffer, size);
    *recordLength = answer.recordLength;
    *recordCount = answer.recordCount;
    return answer.status;
}

// ---- libcpulink: variables ----------------------------------------------------------

CpuStatus cpuLink_ReadVariables(CpuConnection* record, VariableDescriptor* const*, int) {
    return vexal::testing::NextAnswer("cpuLink_ReadVariables", record).status;
}

CpuStatus cpuLink_WriteVariables(CpuConnection* record, VariableDescriptor* const*, int) {
    return vexal::testing::NextAnswer("cpuLink_WriteVariables", record).status;
}

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

// ---- libcpulink: record decoding ----------------------------------------------------

// The fake's LED state is byte 2 of the record, its operating mode byte 3 of the record.
int cpuLink_DecodeLedState(const uint8_t* ledRecord) {
    return ledRecord[2];
}

int cpuLink_DecodeOperationMode(const uint8_t* modeRecord) {
    return modeRecord[3];
}

}  // extern "C"
