// Entries of the controller's diagnostic buffer (system status list 0xA0): 20 bytes each,
// numbers big-endian, the time stamp in BCD. Turned into the texts the diagnostics page
// shows and exports; no Qt here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace vexal {

inline constexpr size_t kDiagRecordSize = 20;
// The diagnostics page reads at most this many entries.
inline constexpr size_t kDiagMaxEntries = 100;

struct DiagRecord {
    uint16_t eventId;
    uint8_t priorityClass;
    uint8_t obNumber;
    std::array<uint8_t, 2> dataId;
    std::array<uint16_t, 3> info;  // the 16-bit word and the two halves of the 32-bit one
    std::array<uint8_t, 8> stamp;  // year, month, day, hour, minute, second, ms, ms|weekday
};

DiagRecord DecodeDiagRecord(const uint8_t* record);

// "05.12.26": day, month, year as their BCD digits.
std::string DiagDateText(const DiagRecord& record);
// "23:13:32.123": hours, minutes, seconds and three millisecond digits.
std::string DiagTimeText(const DiagRecord& record);
// "ID: 4304, OB:   0, PK: FF"
std::string DiagIdentLine(const DiagRecord& record);
// "Dat ID: 00 00, Info: 0000 0000 0000"
std::string DiagInfoLine(const DiagRecord& record);

// One exported line: date, time, event id, description, OB, PK, data id and the three info
// words, comma separated; the description is quoted when it needs it. No line end.
std::string DiagCsvLine(const DiagRecord& record, const std::string& description);
// The heading line of the export, without a line end.
std::string DiagCsvHeading();

}  // namespace vexal
