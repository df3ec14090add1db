// The record decoders over good, short and malformed answers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cpulink.h"
#include "status_records.h"

namespace vexal {
namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& bytes, size_t at, uint16_t value) {
    bytes[at] = static_cast<uint8_t>(value >> 8);
    bytes[at + 1] = static_cast<uint8_t>(value);
}

void Put32(Bytes& bytes, size_t at, uint32_t value) {
    Put16(bytes, at, static_cast<uint16_t>(value >> 16));
    Put16(bytes, at + 2, static_cast<uint16_t>(value));
}

// LED records of list 0x19: id, on, flashing (1 fast, 2 slowly).
Bytes LedRecords(std::initializer_list<std::array<uint16_t, 3>> leds) {
    Bytes bytes;
    for (const auto& [id, on, flashing] : leds) {
        bytes.insert(bytes.end(), {static_cast<uint8_t>(id >> 8), static_cast<uint8_t>(id),
                                   static_cast<uint8_t>(on), static_cast<uint8_t>(flashing)});
    }
    return bytes;
}

TEST(StatusRecords, LedsComeFromTheirRecordsOnlyInsideTheAnswer) {
    const Bytes two = LedRecords({{4, 1, 0}, {5, 1, 0}});
    const struct {
        Bytes data;
        uint16_t length, count;
        std::optional<std::array<int, 4>> runStopErrFrce;
    } cases[] = {
        {LedRecords({{4, 1, 0}, {9, 1, 0}, {5, 0, 0}, {1, 0, 1}, {0x104, 1, 0}}), 4, 5,
         std::array{1, 0, 2, 0}},
        {LedRecords({{6, 1, 0}, {4, 0, 2}}), 4, 2, std::array{3, 0, 0, 1}},
        {LedRecords({{4, 5, 0}}), 4, 1, std::array{-1, 0, 0, 0}},
        {two, 4, 0, std::array{0, 0, 0, 0}},
        {two, 4, 3, std::nullopt},
        {two, 8, 2, std::nullopt},
        {two, 0xFFFF, 1, std::nullopt},
        {Bytes(3), 4, 1, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.data.size() << " " << c.length << " " << c.count);
        const std::optional<LedStates> leds =
            DecodeLedList(StatusAnswer{c.data, c.length, c.count});
        ASSERT_EQ(leds.has_value(), c.runStopErrFrce.has_value());
        if (leds) {
            EXPECT_EQ((std::array{leds->run, leds->stop, leds->err, leds->frce}),
                      *c.runStopErrFrce);
        }
    }
}

TEST(StatusRecords, TheModeSelectorPositionIsMapped) {
    const struct {
        uint16_t length, count, position;
        size_t size;
        std::optional<int> result;
    } cases[] = {
        {40, 1, 1, 40, 1},  {40, 1, 2, 40, 0},  {40, 1, 3, 40, 2},  {40, 1, 4, 40, 3},
        {40, 1, 5, 40, {}}, {40, 1, 0, 40, {}}, {40, 0, 1, 40, {}}, {8, 1, 1, 40, {}},
        {40, 2, 1, 40, {}}, {10, 1, 1, 10, 1},  {10, 1, 1, 9, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.length << " " << c.count << " " << c.position);
        Bytes record(40, 0);
        Put16(record, 8, c.position);
        record.resize(c.size);
        EXPECT_EQ(DecodeModeSelector(StatusAnswer{record, c.length, c.count}), c.result);
    }
}

TEST(StatusRecords, TheOperationModeIsThatOfTheFirstRecord) {
    Bytes record(20, 0);
    record[3] = 8;
    const struct {
        uint16_t length, count;
        std::optional<int> result;
    } cases[] = {
        {20, 1, cpuLink_DecodeOperationMode(record.data())}, {20, 0, {}}, {20, 2, {}}, {21, 1, {}}};
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeOperationModeList(StatusAnswer{record, c.length, c.count}), c.result)
            << c.length << " " << c.count;
    }
}

using Rows = std::vector<std::array<int32_t, 3>>;

std::optional<Rows> RowsOf(const std::optional<MemoryRows>& decoded) {
    if (!decoded) return std::nullopt;
    Rows rows;
    for (int index = 0; index < decoded->count; ++index) {
        const MemoryRow& row = decoded->rows[static_cast<size_t>(index)];
        rows.push_back({row.areaCode, row.freeBytes, row.usedBytes});
    }
    return rows;
}

// A list 0x13 record: id, then the two pairs of total and used figures that are summed.
Bytes AreaRecords(std::initializer_list<std::array<uint32_t, 5>> records) {
    Bytes bytes;
    for (const auto& [id, total1, used1, total2, used2] : records) {
        Bytes record(36, 0);
        Put16(record, 0, static_cast<uint16_t>(id));
        Put32(record, 12, total1);
        Put32(record, 16, used1);
        Put32(record, 24, total2);
        Put32(record, 28, used2);
        bytes.insert(bytes.end(), record.begin(), record.end());
    }
    return bytes;
}

// Rows as area code, free and used bytes: load memory (record 2), then work memory (1).
TEST(StatusRecords, MemoryAreasGiveLoadThenWorkMemory) {
    const Bytes both = AreaRecords({{1, 10, 1, 0, 0}, {2, 10, 1, 0, 0}});
    const struct {
        const char* what;
        Bytes data;
        uint16_t length, count;
        std::optional<Rows> rows;
    } cases[] = {
        {"the last record of an id counts",
         AreaRecords({{1, 1000, 100, 0, 0},
                      {3, 9, 9, 9, 9},
                      {2, 5000, 700, 3000, 300},
                      {1, 2000, 500, 100, 50}}),
         36, 4, Rows{{0, 7000, 1000}, {18, 1550, 550}}},
        {"sums wrap", AreaRecords({{1, 0, 1, 0, 0}, {2, 0xFFFFFFFF, 0, 1, 0}}), 36, 2,
         Rows{{0, 0, 0}, {18, -1, 1}}},
        {"record length", both, 20, 2, {}},
        {"no work memory", AreaRecords({{2, 10, 1, 0, 0}}), 36, 1, {}},
        {"no load memory", AreaRecords({{1, 10, 1, 0, 0}}), 36, 1, {}},
        {"no records", both, 36, 0, {}},
        {"count past the answer", both, 36, 3, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RowsOf(DecodeMemoryAreas(StatusAnswer{c.data, c.length, c.count})), c.rows)
            << c.what;
    }
}

// List 0x1B records, a free (kind 0x70) and a used one for each row present: A is load
// memory (area 0), B work memory (18), C and D the two parts of a split work memory.
Bytes UsageRows(const std::string& rows) {
    const struct {
        char row;
        uint8_t area;
        uint16_t usedKind;
    } kRows[] = {{'A', 0, 0x00}, {'B', 18, 0x10}, {'C', 16, 0x11}, {'D', 17, 0x12}};
    Bytes bytes;
    for (const auto& row : kRows) {
        if (rows.find(row.row) == std::string::npos) continue;
        for (const auto& [kind, value] : {std::pair{uint16_t{0x70}, 1000u}, {row.usedKind, 100u}}) {
            Bytes record(20, 0);
            record[0] = row.area;
            Put16(record, 2, kind);
            Put32(record, 12, value + row.area);
            bytes.insert(bytes.end(), record.begin(), record.end());
        }
    }
    return bytes;
}

TEST(StatusRecords, MemoryUsageRowsFollowTheAreasPresent) {
    const auto rows = [](std::initializer_list<int32_t> areas) {
        Rows result;
        for (int32_t area : areas) result.push_back({area, 1000 + area, 100 + area});
        return result;
    };
    const struct {
        std::string present;
        uint16_t length, count;  // count 0: the records given
        std::optional<Rows> rows;
    } cases[] = {
        {"AB", 20, 0, rows({0, 18})},
        {"ABC", 20, 0, rows({0, 18})},
        {"ACD", 20, 0, rows({0, 16, 17})},
        {"ABCD", 20, 0, rows({0, 16, 17})},
        {"A", 20, 0, {}},
        {"BCD", 20, 0, {}},
        {"AB", 36, 2, {}},
        {"AB", 20, 5, {}},
    };
    for (const auto& c : cases) {
        const Bytes records = UsageRows(c.present);
        const auto count = static_cast<uint16_t>(c.count != 0 ? c.count : records.size() / 20);
        EXPECT_EQ(RowsOf(DecodeMemoryUsage(StatusAnswer{records, c.length, count})), c.rows)
            << c.present << " " << c.length << " " << c.count;
    }
}

TEST(StatusRecords, TheDiagnosticCountCoversOnlyEntriesInsideTheAnswer) {
    const Bytes buffer(2000);
    const struct {
        uint16_t length, count;
        int inside;
    } cases[] = {{20, 12, 12}, {20, 100, 100}, {20, 101, 100},
                 {40, 60, 50}, {0, 0, 0},      {4, 200, 100}};
    for (const auto& c : cases) {
        EXPECT_EQ(DiagnosticEntriesInside(StatusAnswer{buffer, c.length, c.count}), c.inside)
            << c.length << " " << c.count;
    }
}

}  // namespace
}  // namespace vexal
