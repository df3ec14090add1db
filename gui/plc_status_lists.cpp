// The serialised reads of system status lists. An answer is used only as far as its records
// lie inside the buffer that received them: a record count or length that would reach past
// the buffer makes the answer unusable, never a read past its end.
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

constexpr uint32_t kLedBufferSize = 40;
constexpr uint32_t kModeSelectorBufferSize = 40;
constexpr uint32_t kOperationModeBufferSize = 20;
constexpr uint32_t kMemoryAreaBufferSize = 288;
constexpr uint32_t kMemoryUsageBufferSize = 320;

constexpr uint32_t kDiagRecordLength = 20;
constexpr uint32_t kLedRecordLength = 4;
constexpr uint32_t kModeSelectorRecordEnd = 10;  // the position is at bytes 8 and 9
constexpr uint16_t kMemoryAreaRecordLength = 36;
constexpr uint16_t kMemoryUsageRecordLength = 20;

// The LED ids of list 0x19 the mode page shows.
constexpr uint16_t kLedIdErr = 1;
constexpr uint16_t kLedIdRun = 4;
constexpr uint16_t kLedIdStop = 5;
constexpr uint16_t kLedIdFrce = 6;

// Memory area records of list 0x13.
constexpr uint16_t kWorkMemoryId = 1;
constexpr uint16_t kLoadMemoryId = 2;

// Area codes of the rows.
constexpr int32_t kLoadMemoryArea = 0;
constexpr int32_t kWorkMemoryArea = 18;
constexpr int32_t kNoArea = -1;

uint16_t Be16(const uint8_t* bytes) {
    return static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
}

uint32_t Be32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
           static_cast<uint32_t>(bytes[2]) << 8 | bytes[3];
}

bool RecordsFit(uint32_t recordLength, uint32_t recordCount, uint32_t size) {
    return static_cast<uint64_t>(recordLength) * recordCount <= size;
}

// Free and used bytes of one list 0x13 record; the sums wrap as the controller's
// 32-bit figures do.
MemoryRow MemoryAreaRow(int32_t areaCode, const uint8_t* record) {
    const uint32_t used = Be32(record + 16) + Be32(record + 28);
    const uint32_t free = Be32(record + 12) + Be32(record + 24) - used;
    return {areaCode, static_cast<int32_t>(free), static_cast<int32_t>(used)};
}

struct UsageRowRule {
    uint8_t areaCode;
    uint16_t freeKind;
    uint16_t usedKind;
};

// Rows A (load memory), B (work memory), C and D (the two parts of a split work memory).
constexpr std::array<UsageRowRule, 4> kUsageRules = {{
    {0, 0x70, 0x00},
    {18, 0x70, 0x10},
    {16, 0x70, 0x11},
    {17, 0x70, 0x12},
}};

void ApplyUsageRecord(const uint8_t* record, std::array<MemoryRow, 4>& rows) {
    for (size_t rule = 0; rule < kUsageRules.size(); ++rule) {
        if (record[0] != kUsageRules[rule].areaCode) continue;
        MemoryRow& row = rows[rule];
        row.areaCode = record[0];
        const uint16_t kind = Be16(record + 2);
        const auto value = static_cast<int32_t>(Be32(record + 12));
        if (kind == kUsageRules[rule].freeKind) row.freeBytes = value;
        if (kind == kUsageRules[rule].usedKind) row.usedBytes = value;
    }
}

}  // namespace

CpuStatus CMainApp::ReadStatusList(uint16_t listId, uint16_t index, uint8_t* buffer, uint32_t size,
                                   uint16_t* recordLength, uint16_t* recordCount) {
    *recordLength = 0;
    *recordCount = 0;
    return CallReportingFatal([&] {
        return cpuLink_ReadSsl(currentConnection, listId, index, recordLength, recordCount, buffer,
                               size);
    });
}

CpuStatus CMainApp::ReadFixedRecords(uint16_t listId, uint8_t* buffer, uint32_t size,
                                     uint16_t recordLength, uint16_t* recordCount) {
    uint16_t length = 0;
    const CpuStatus status = ReadStatusList(listId, 0, buffer, size, &length, recordCount);
    if (status != CPULINK_OK) return status;
    if (length != recordLength || !RecordsFit(length, *recordCount, size)) {
        return kStatusUnusableAnswer;
    }
    return CPULINK_OK;
}

// The count covers only whole records of the diagnostic layout that lie inside the buffer.
CpuStatus CMainApp::ReadDiagBuffer(uint8_t* buffer, int* recordCount, uint32_t size) {
    uint16_t length = 0;
    uint16_t count = 0;
    const CpuStatus status = ReadStatusList(kDiagBufferList, 0, buffer, size, &length, &count);
    if (CpuStatus_IsFatal(status)) return status;
    const uint32_t stride = length > kDiagRecordLength ? length : kDiagRecordLength;
    *recordCount = count <= size / stride ? count : static_cast<int>(size / stride);
    return status;
}

int CMainApp::ReadLeds(LedStates* leds) {
    *leds = LedStates{};
    std::array<uint8_t, kLedBufferSize> buffer{};
    uint16_t length = 0;
    uint16_t count = 0;
    const CpuStatus status =
        ReadStatusList(kLedList, 0, buffer.data(), kLedBufferSize, &length, &count);
    if (CpuStatus_IsFatal(status)) return 0;
    if (!RecordsFit(kLedRecordLength, count, kLedBufferSize) ||
        !RecordsFit(length, count, kLedBufferSize)) {
        return 0;
    }
    for (uint32_t offset = 0; offset < count * kLedRecordLength; offset += kLedRecordLength) {
        const uint8_t* record = buffer.data() + offset;
        switch (Be16(record)) {
            case kLedIdErr:
                leds->err = cpuLink_DecodeLedState(record);
                break;
            case kLedIdRun:
                leds->run = cpuLink_DecodeLedState(record);
                break;
            case kLedIdStop:
                leds->stop = cpuLink_DecodeLedState(record);
                break;
            case kLedIdFrce:
                leds->frce = cpuLink_DecodeLedState(record);
                break;
            default:
                break;
        }
    }
    return 1;
}

int CMainApp::ReadKeySwitch() {
    std::array<uint8_t, kModeSelectorBufferSize> buffer{};
    uint16_t length = 0;
    uint16_t count = 0;
    const CpuStatus status = ReadStatusList(kModeSelectorList, kModeSelectorIndex, buffer.data(),
                                            kModeSelectorBufferSize, &length, &count);
    if (status != CPULINK_OK) return -1;
    if (count == 0 || length < kModeSelectorRecordEnd ||
        !RecordsFit(length, count, kModeSelectorBufferSize)) {
        return -1;
    }
    switch (Be16(buffer.data() + 8)) {
        case 1:
            return 1;
        case 2:
            return 0;
        case 3:
            return 2;
        case 4:
            return 3;
        default:
            return -1;
    }
}

int CMainApp::ReadOperationMode() {
    std::array<uint8_t, kOperationModeBufferSize> buffer{};
    uint16_t length = 0;
    uint16_t count = 0;
    const CpuStatus status = ReadStatusList(kOperationModeList, 0, buffer.data(),
                                            kOperationModeBufferSize, &length, &count);
    if (status != CPULINK_OK) return -1;
    if (count == 0 || !RecordsFit(length, count, kOperationModeBufferSize)) return -1;
    return cpuLink_DecodeOperationMode(buffer.data());
}

CpuStatus CMainApp::ReadMemoryAreas(int* rowCount, MemoryRow rows[2]) {
    std::array<uint8_t, kMemoryAreaBufferSize> buffer{};
    uint16_t count = 0;
    const CpuStatus status = ReadFixedRecords(kMemoryAreaList, buffer.data(), kMemoryAreaBufferSize,
                                              kMemoryAreaRecordLength, &count);
    if (status != CPULINK_OK) return status;
    MemoryRow load{kNoArea, 0, 0};
    MemoryRow work{kNoArea, 0, 0};
    for (uint32_t offset = 0; offset < uint32_t{count} * kMemoryAreaRecordLength;
         offset += kMemoryAreaRecordLength) {
        const uint8_t* record = buffer.data() + offset;
        const uint16_t id = Be16(record);
        if (id == kWorkMemoryId) work = MemoryAreaRow(kWorkMemoryArea, record);
        if (id == kLoadMemoryId) load = MemoryAreaRow(kLoadMemoryArea, record);
    }
    if (load.areaCode == kNoArea || work.areaCode == kNoArea) return kStatusUnusableAnswer;
    rows[0] = load;
    rows[1] = work;
    *rowCount = 2;
    return CPULINK_OK;
}

CpuStatus CMainApp::ReadMemoryUsage(int* rowCount, MemoryRow rows[3]) {
    std::array<uint8_t, kMemoryUsageBufferSize> buffer{};
    uint16_t count = 0;
    const CpuStatus status = ReadFixedRecords(
        kMemoryUsageList, buffer.data(), kMemoryUsageBufferSize, kMemoryUsageRecordLength, &count);
    if (status != CPULINK_OK) return status;
    std::array<MemoryRow, 4> candidates;
    candidates.fill(MemoryRow{kNoArea, 0, 0});
    for (uint32_t offset = 0; offset < uint32_t{count} * kMemoryUsageRecordLength;
         offset += kMemoryUsageRecordLength) {
        ApplyUsageRecord(buffer.data() + offset, candidates);
    }
    const auto present = [&](size_t row) { return candidates[row].areaCode != kNoArea; };
    if (!present(0)) return kStatusUnusableAnswer;
    rows[0] = candidates[0];
    if (present(2) && present(3)) {
        rows[1] = candidates[2];
        rows[2] = candidates[3];
        *rowCount = 3;
    } else if (present(1)) {
        rows[1] = candidates[1];
        *rowCount = 2;
    } else {
        return kStatusUnusableAnswer;
    }
    return CPULINK_OK;
}

}  // namespace vexal
