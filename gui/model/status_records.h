// Decoders of the system status list records that the GUI shows: the LED list, the mode
// selector, the operation mode, the memory figures and the size of a diagnostic answer.
// Each reads only the records that lie whole inside the answer it is given and has no
// result for an answer it cannot use.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace vexal {

// One memory figure row: area code (0 load memory, 18 work memory, 16 and 17 the two parts
// of a split work memory), free bytes, used bytes.
struct MemoryRow {
    int32_t areaCode;
    int32_t freeBytes;
    int32_t usedBytes;
};

struct MemoryRows {
    int count = 0;
    std::array<MemoryRow, 3> rows{};
};

// 0 off, 1 on, 2 and 3 flashing, as the library decodes an LED record.
struct LedStates {
    int run;
    int stop;
    int err;
    int frce;
};

// What the library delivered for one list: the bytes received and its record layout.
struct StatusAnswer {
    std::span<const uint8_t> bytes;
    uint16_t recordLength;
    uint16_t recordCount;
};

// List 0x19: RUN, STOP, ERR and FRCE from the records with ids 4, 5, 1 and 6; LEDs without
// a record stay 0.
std::optional<LedStates> DecodeLedList(const StatusAnswer& answer);
// List 0x132 index 4: the mode selector, 0 RUN-P, 1 RUN, 2 STOP, 3 MRES.
std::optional<int> DecodeModeSelector(const StatusAnswer& answer);
// List 0x424: the library's mode number of the first record.
std::optional<int> DecodeOperationModeList(const StatusAnswer& answer);
// List 0x13: load memory, then work memory.
std::optional<MemoryRows> DecodeMemoryAreas(const StatusAnswer& answer);
// List 0x1B: load memory, then either work memory or its two parts.
std::optional<MemoryRows> DecodeMemoryUsage(const StatusAnswer& answer);
// List 0xA0: how many diagnostic entries of at least 20 bytes lie inside the answer.
int DiagnosticEntriesInside(const StatusAnswer& answer);

}  // namespace vexal
