#include "status_records.h"

#include "big_endian.h"
#include "cpulink.h"

namespace vexal {
namespace {

constexpr uint32_t kLedRecordLength = 4;
constexpr uint32_t kModeSelectorRecordEnd = 10;  // the position is at bytes 8 and 9
constexpr uint16_t kMemoryAreaRecordLength = 36;
constexpr uint16_t kMemoryUsageRecordLength = 20;
constexpr uint32_t kDiagRecordLength = 20;

// The LED ids of list 0x19 that the mode page shows.
constexpr uint16_t kLedIdErr = 1;
constexpr uint16_t kLedIdRun = 4;
constexpr uint16_t kLedIdStop = 5;
constexpr uint16_t kLedIdFrce = 6;

// Memory area records of list 0x13.
constexpr uint16_t kWorkMemoryId = 1;
constexpr uint16_t kLoadMemoryId = 2;

constexpr int32_t kLoadMemoryArea = 0;
constexpr int32_t kWorkMemoryArea = 18;
constexpr int32_t kNoArea = -1;

bool RecordsFit(uint32_t recordLength, uint32_t recordCount, size_t size) {
    return static_cast<uint64_t>(recordLength) * recordCount <= size;
}

// The records of an answer whose records have exactly this length, or none.
std::optional<std::span<const uint8_t>> FixedRecords(const StatusAnswer& answer, uint16_t length) {
    if (answer.recordLength != length ||
        !RecordsFit(length, answer.recordCount, answer.bytes.size())) {
        return std::nullopt;
    }
    return answer.bytes.first(size_t{length} * answer.recordCount);
}

// Free and used bytes of one list 0x13 record; the sums wrap as the controller's 32-bit
// figures do.
MemoryRow MemoryAreaRow(int32_t areaCode, const uint8_t* record) {
    const uint32_t used = BigEndian32(record + 16) + BigEndian32(record + 28);
    const uint32_t free = BigEndian32(record + 12) + BigEndian32(record + 24) - used;
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
        const uint16_t kind = BigEndian16(record + 2);
        const auto value = static_cast<int32_t>(BigEndian32(record + 12));
        if (kind == kUsageRules[rule].freeKind) row.freeBytes = value;
        if (kind == kUsageRules[rule].usedKind) row.usedBytes = value;
    }
}

}  // namespace

std::optional<LedStates> DecodeLedList(const StatusAnswer& answer) {
    if (!RecordsFit(kLedRecordLength, answer.recordCount, answer.bytes.size()) ||
        !RecordsFit(answer.recordLength, answer.recordCount, answer.bytes.size())) {
        return std::nullopt;
    }
    LedStates leds{};
    for (uint32_t index = 0; index < answer.recordCount; ++index) {
        const uint8_t* record = answer.bytes.data() + index * kLedRecordLength;
        int* led = nullptr;
        switch (BigEndian16(record)) {
            case kLedIdErr: led = &leds.err; break;
            case kLedIdRun: led = &leds.run; break;
            case kLedIdStop: led = &leds.stop; break;
            case kLedIdFrce: led = &leds.frce; break;
            default: break;
        }
        if (led != nullptr) *led = cpuLink_DecodeLedState(record);
    }
    return leds;
}

std::optional<int> DecodeModeSelector(const StatusAnswer& answer) {
    if (answer.recordCount == 0 || answer.recordLength < kModeSelectorRecordEnd ||
        !RecordsFit(answer.recordLength, answer.recordCount, answer.bytes.size())) {
        return std::nullopt;
    }
    switch (BigEndian16(answer.bytes.data() + 8)) {
        case 1: return 1;
        case 2: return 0;
        case 3: return 2;
        case 4: return 3;
        default: return std::nullopt;
    }
}

std::optional<int> DecodeOperationModeList(const StatusAnswer& answer) {
    if (answer.recordCount == 0 ||
        !RecordsFit(answer.recordLength, answer.recordCount, answer.bytes.size())) {
        return std::nullopt;
    }
    return cpuLink_DecodeOperationMode(answer.bytes.data());
}

std::optional<MemoryRows> DecodeMemoryAreas(const StatusAnswer& answer) {
    const std::optional<std::span<const uint8_t>> records =
        FixedRecords(answer, kMemoryAreaRecordLength);
    if (!records) return std::nullopt;
    MemoryRow load{kNoArea, 0, 0};
    MemoryRow work{kNoArea, 0, 0};
    for (size_t offset = 0; offset < records->size(); offset += kMemoryAreaRecordLength) {
        const uint8_t* record = records->data() + offset;
        const uint16_t id = BigEndian16(record);
        if (id == kWorkMemoryId) work = MemoryAreaRow(kWorkMemoryArea, record);
        if (id == kLoadMemoryId) load = MemoryAreaRow(kLoadMemoryArea, record);
    }
    if (load.areaCode == kNoArea || work.areaCode == kNoArea) return std::nullopt;
    return MemoryRows{2, {load, work, MemoryRow{}}};
}

std::optional<MemoryRows> DecodeMemoryUsage(const StatusAnswer& answer) {
    const std::optional<std::span<const uint8_t>> records =
        FixedRecords(answer, kMemoryUsageRecordLength);
    if (!records) return std::nullopt;
    std::array<MemoryRow, 4> candidates;
    candidates.fill(MemoryRow{kNoArea, 0, 0});
    for (size_t offset = 0; offset < records->size(); offset += kMemoryUsageRecordLength) {
        ApplyUsageRecord(records->data() + offset, candidates);
    }
    const auto present = [&](size_t row) { return candidates[row].areaCode != kNoArea; };
    if (!present(0)) return std::nullopt;
    if (present(2) && present(3)) return MemoryRows{3, {candidates[0], candidates[2], candidates[3]}};
    if (present(1)) return MemoryRows{2, {candidates[0], candidates[1], MemoryRow{}}};
    return std::nullopt;
}

int DiagnosticEntriesInside(const StatusAnswer& answer) {
    const uint32_t stride =
        answer.recordLength > kDiagRecordLength ? answer.recordLength : kDiagRecordLength;
    const size_t inside = answer.bytes.size() / stride;
    return answer.recordCount <= inside ? answer.recordCount : static_cast<int>(inside);
}

}  // namespace vexal
