#include "diag_records.h"

#include <cstdio>

namespace vexal {
namespace {

uint16_t Be16(const uint8_t* bytes) {
    return static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
}

template <typename... Args>
std::string Format(const char* format, Args... args) {
    char text[96];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

// A field as CSV wants it: quoted, with inner quotes doubled, when it holds a comma, a
// quote or a line break.
std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string DataIdText(const DiagRecord& record) {
    return Format("%02X %02X", unsigned{record.dataId[0]}, unsigned{record.dataId[1]});
}

std::string InfoText(const DiagRecord& record) {
    return Format("%04X %04X %04X", unsigned{record.info[0]}, unsigned{record.info[1]},
                  unsigned{record.info[2]});
}

}  // namespace

DiagRecord DecodeDiagRecord(const uint8_t* record) {
    DiagRecord decoded{};
    decoded.eventId = Be16(record);
    decoded.priorityClass = record[2];
    decoded.obNumber = record[3];
    decoded.dataId = {record[4], record[5]};
    decoded.info = {Be16(record + 6), Be16(record + 8), Be16(record + 10)};
    for (size_t index = 0; index < decoded.stamp.size(); ++index) {
        decoded.stamp[index] = record[12 + index];
    }
    return decoded;
}

std::string DiagDateText(const DiagRecord& record) {
    return Format("%02x.%02x.%02x", unsigned{record.stamp[2]}, unsigned{record.stamp[1]},
                  unsigned{record.stamp[0]});
}

std::string DiagTimeText(const DiagRecord& record) {
    return Format("%02x:%02x:%02x.%02x%01x", unsigned{record.stamp[3]}, unsigned{record.stamp[4]},
                  unsigned{record.stamp[5]}, unsigned{record.stamp[6]},
                  unsigned{record.stamp[7]} >> 4);
}

std::string DiagIdentLine(const DiagRecord& record) {
    return Format("ID: %04X, OB: %3d, PK: %02X", unsigned{record.eventId}, int{record.obNumber},
                  unsigned{record.priorityClass});
}

std::string DiagInfoLine(const DiagRecord& record) {
    return "Dat ID: " + DataIdText(record) + ", Info: " + InfoText(record);
}

std::string DiagCsvHeading() {
    return "Date,Time,Event ID,Description,OB,PK,Dat ID,Info";
}

std::string DiagCsvLine(const DiagRecord& record, const std::string& description) {
    return DiagDateText(record) + ',' + DiagTimeText(record) + ',' +
           Format("%04X", unsigned{record.eventId}) + ',' + CsvField(description) + ',' +
           Format("%d,%02X,", int{record.obNumber}, unsigned{record.priorityClass}) +
           DataIdText(record) + ',' + InfoText(record);
}

}  // namespace vexal
