// The serialised reads of system status lists: read the list under the PLC mutex, then
// decode what arrived (status_records.h).
#include <array>

#include "main_app.h"

namespace vexal {
namespace {

constexpr uint16_t kDiagBufferList = 0x00A0;
constexpr uint16_t kLedList = 0x0019;
constexpr uint16_t kModeSelectorList = 0x0132;
constexpr uint16_t kModeSelectorIndex = 4;
constexpr uint16_t kOperationModeList = 0x0424;
constexpr uint16_t kMemoryAreaList = 0x0013;
constexpr uint16_t kMemoryUsageList = 0x001B;

constexpr uint16_t kModuleIdentificationList = 0x0011;
constexpr uint16_t kComponentIdentificationList = 0x001C;
// The start information of OB1, with its cycle times.
constexpr uint16_t kInterruptStartList = 0x0222;
constexpr uint16_t kMainCycleIndex = 1;
constexpr uint32_t kIdentityBufferSize = 1024;

constexpr uint32_t kLedBufferSize = 40;
constexpr uint32_t kModeSelectorBufferSize = 40;
constexpr uint32_t kOperationModeBufferSize = 20;
constexpr uint32_t kMemoryAreaBufferSize = 288;
constexpr uint32_t kMemoryUsageBufferSize = 320;

// The rows of a memory figure read, or the status that stands for the failure.
CpuStatus TakeRows(const std::optional<MemoryRows>& decoded, int* rowCount, MemoryRow* rows) {
    if (!decoded) return kStatusUnusableAnswer;
    std::copy_n(decoded->rows.begin(), decoded->count, rows);
    *rowCount = decoded->count;
    return CPULINK_OK;
}

}  // namespace

CpuStatus CMainApp::ReadStatusList(uint16_t listId, uint16_t index, std::span<uint8_t> buffer,
                                   StatusAnswer* answer) {
    uint16_t length = 0;
    uint16_t count = 0;
    const CpuStatus status = CallReportingFatal([&] {
        return library_->ReadSsl(currentConnection_, listId, index, &length, &count, buffer.data(),
                                 static_cast<uint32_t>(buffer.size()));
    });
    *answer = StatusAnswer{buffer, length, count};
    return status;
}

CpuStatus CMainApp::ReadDiagBuffer(uint8_t* buffer, int* recordCount, uint32_t size) {
    StatusAnswer answer;
    const CpuStatus status = ReadStatusList(kDiagBufferList, 0, {buffer, size}, &answer);
    if (!CpuStatus_IsFatal(status)) *recordCount = DiagnosticEntriesInside(answer);
    return status;
}

int CMainApp::ReadLeds(LedStates* leds) {
    *leds = LedStates{};
    std::array<uint8_t, kLedBufferSize> buffer{};
    StatusAnswer answer;
    if (CpuStatus_IsFatal(ReadStatusList(kLedList, 0, buffer, &answer))) return 0;
    const std::optional<LedStates> decoded = DecodeLedList(answer);
    if (!decoded) return 0;
    *leds = *decoded;
    return 1;
}

int CMainApp::ReadKeySwitch() {
    std::array<uint8_t, kModeSelectorBufferSize> buffer{};
    StatusAnswer answer;
    if (ReadStatusList(kModeSelectorList, kModeSelectorIndex, buffer, &answer) != CPULINK_OK) {
        return -1;
    }
    return DecodeModeSelector(answer).value_or(-1);
}

int CMainApp::ReadOperationMode() {
    std::array<uint8_t, kOperationModeBufferSize> buffer{};
    StatusAnswer answer;
    if (ReadStatusList(kOperationModeList, 0, buffer, &answer) != CPULINK_OK) return -1;
    return DecodeOperationModeList(answer).value_or(-1);
}

CpuStatus CMainApp::ReadMemoryAreas(int* rowCount, MemoryRow rows[2]) {
    std::array<uint8_t, kMemoryAreaBufferSize> buffer{};
    StatusAnswer answer;
    const CpuStatus status = ReadStatusList(kMemoryAreaList, 0, buffer, &answer);
    if (status != CPULINK_OK) return status;
    return TakeRows(DecodeMemoryAreas(answer), rowCount, rows);
}

CpuStatus CMainApp::ReadMemoryUsage(int* rowCount, MemoryRow rows[3]) {
    std::array<uint8_t, kMemoryUsageBufferSize> buffer{};
    StatusAnswer answer;
    const CpuStatus status = ReadStatusList(kMemoryUsageList, 0, buffer, &answer);
    if (status != CPULINK_OK) return status;
    return TakeRows(DecodeMemoryUsage(answer), rowCount, rows);
}

CpuStatus CMainApp::ReadCpuIdentity(CpuIdentity* identity) {
    *identity = CpuIdentity{};
    std::array<uint8_t, kIdentityBufferSize> buffer{};
    StatusAnswer answer;
    // Each read decodes what arrived whole: a refusal or a cut answer leaves fields empty.
    const auto read = [&](uint16_t listId, uint16_t index) {
        const CpuStatus status = ReadStatusList(listId, index, buffer, &answer);
        if (status != CPULINK_OK && status != CPULINK_MORE_ENTRIES) answer.recordCount = 0;
        return status;
    };
    CpuStatus status = read(kModuleIdentificationList, 0);
    if (CpuStatus_IsFatal(status)) return status;
    DecodeModuleIdentification(answer, identity);
    status = read(kComponentIdentificationList, 0);
    if (CpuStatus_IsFatal(status)) return status;
    DecodeComponentIdentification(answer, identity);
    status = read(kModeSelectorList, kModeSelectorIndex);
    if (CpuStatus_IsFatal(status)) return status;
    identity->protectionLevel = DecodeProtectionLevel(answer);
    identity->modeSelector = DecodeModeSelector(answer);
    status = read(kInterruptStartList, kMainCycleIndex);
    if (CpuStatus_IsFatal(status)) return status;
    identity->cycleTimes = DecodeCycleTimes(answer);
    return CPULINK_OK;
}

}  // namespace vexal
