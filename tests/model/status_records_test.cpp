// The record decoders over good, short and malformed answers.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cpulink.h"
#include "status_records.h"
#include "table_file.h"

namespace vexal {
namespace {

using Bytes = std::vector<uint8_t>;
using testing::LoadTable;
using testing::Narrow;
using testing::TableRow;

void Put16(Bytes& bytes, size_t at, uint16_t value) {
    bytes[at] = static_cast<uint8_t>(value >> 8);
    bytes[at + 1] = static_cast<uint8_t>(value);
}

void Put32(Bytes& bytes, size_t at, uint32_t value) {
    Put16(bytes, at, static_cast<uint16_t>(value >> 16));
    Put16(bytes, at + 2, static_cast<uint16_t>(value));
}

using Groups = std::vector<std::vector<int64_t>>;

// A row of status_records.txt: the answer's length and count, the input groups and the
// result groups, if any.
struct Case {
    std::string text;
    uint16_t length, count;
    Groups in;
    std::optional<Groups> out;
};

std::vector<Case> Cases(const wchar_t* kind) {
    std::vector<Case> cases;
    for (const TableRow& row : LoadTable(__FILE__, "status_records.txt")) {
        if (row[0] != kind) continue;
        Case& c = cases.emplace_back();
        for (const std::wstring& field : row) c.text += Narrow(field) + " ";
        c.length = static_cast<uint16_t>(std::stoul(row[1], nullptr, 0));
        c.count = static_cast<uint16_t>(std::stoul(row[2]));
        Groups* groups = &c.in;
        for (size_t i = 3; i < row.size(); ++i) {
            if (row[i] == L"=") groups = &c.out.emplace();
            if (row[i] == L"-") c.out.reset();
            if (row[i] == L"=" || row[i] == L"-") continue;
            std::wistringstream numbers(row[i]);
            Groups::value_type& group = groups->emplace_back();
            for (std::wstring n; std::getline(numbers, n, L',');)
                group.push_back(std::stoll(n, nullptr, 0));
        }
    }
    return cases;
}

TEST(StatusRecords, LedsComeFromTheirRecordsOnlyInsideTheAnswer) {
    for (const Case& c : Cases(L"led")) {
        Bytes data;
        for (const auto& group : c.in) {
            const auto id = static_cast<uint16_t>(group[0]);
            if (group.size() == 1)
                data.resize(data.size() + id);
            else
                data.insert(data.end(),
                            {static_cast<uint8_t>(id >> 8), static_cast<uint8_t>(id),
                             static_cast<uint8_t>(group[1]), static_cast<uint8_t>(group[2])});
        }
        const std::optional<LedStates> leds = DecodeLedList(StatusAnswer{data, c.length, c.count});
        std::optional<Groups> got;
        if (leds) got = Groups{{leds->run, leds->stop, leds->err, leds->frce}};
        EXPECT_EQ(got, c.out) << c.text;
    }
}

TEST(StatusRecords, TheModeSelectorPositionIsMapped) {
    for (const Case& c : Cases(L"mode")) {
        Bytes record(40, 0);
        Put16(record, 8, static_cast<uint16_t>(c.in[0][0]));
        record.resize(static_cast<size_t>(c.in[0][1]));
        const std::optional<int> mode = DecodeModeSelector(StatusAnswer{record, c.length, c.count});
        EXPECT_EQ(mode, c.out ? std::optional<int>(static_cast<int>((*c.out)[0][0])) : std::nullopt)
            << c.text;
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

std::optional<Groups> RowsOf(const std::optional<MemoryRows>& decoded) {
    if (!decoded) return std::nullopt;
    Groups rows;
    for (int index = 0; index < decoded->count; ++index) {
        const MemoryRow& row = decoded->rows[static_cast<size_t>(index)];
        rows.push_back({row.areaCode, row.freeBytes, row.usedBytes});
    }
    return rows;
}

TEST(StatusRecords, MemoryAreasGiveLoadThenWorkMemory) {
    for (const Case& c : Cases(L"areas")) {
        Bytes bytes;
        for (const auto& group : c.in) {
            Bytes record(36, 0);
            Put16(record, 0, static_cast<uint16_t>(group[0]));
            for (size_t i = 1; i < 5; ++i)
                Put32(record, i < 3 ? 8 + 4 * i : 12 + 4 * i, static_cast<uint32_t>(group[i]));
            bytes.insert(bytes.end(), record.begin(), record.end());
        }
        EXPECT_EQ(RowsOf(DecodeMemoryAreas(StatusAnswer{bytes, c.length, c.count})), c.out)
            << c.text;
    }
}

// List 0x1B records, a free (kind 0x70) and a used one for each area present; the used
// kind tells the area.
TEST(StatusRecords, MemoryUsageRowsFollowTheAreasPresent) {
    const std::map<int64_t, uint16_t> kUsedKind = {{0, 0x00}, {18, 0x10}, {16, 0x11}, {17, 0x12}};
    for (const Case& c : Cases(L"usage")) {
        Bytes bytes;
        for (const auto& [area, usedKind] : kUsedKind) {
            if (std::find(c.in.begin(), c.in.end(), Groups::value_type{area}) == c.in.end())
                continue;
            for (const auto& [kind, value] : {std::pair{uint16_t{0x70}, 1000u}, {usedKind, 100u}}) {
                Bytes record(20, 0);
                record[0] = static_cast<uint8_t>(area);
                Put16(record, 2, kind);
                Put32(record, 12, value + static_cast<uint32_t>(area));
                bytes.insert(bytes.end(), record.begin(), record.end());
            }
        }
        std::optional<Groups> rows;
        if (c.out) rows.emplace();
        for (const auto& area : c.out.value_or(Groups{}))
            rows->push_back({area[0], 1000 + area[0], 100 + area[0]});
        const auto count = static_cast<uint16_t>(c.count != 0 ? c.count : bytes.size() / 20);
        EXPECT_EQ(RowsOf(DecodeMemoryUsage(StatusAnswer{bytes, c.length, count})), rows) << c.text;
    }
}

TEST(StatusRecords, TheDiagnosticCountCoversOnlyEntriesInsideTheAnswer) {
    const Bytes buffer(2000);
    for (const Case& c : Cases(L"diag")) {
        EXPECT_EQ(DiagnosticEntriesInside(StatusAnswer{buffer, c.length, c.count}), (*c.out)[0][0])
            << c.text;
    }
}

}  // namespace
}  // namespace vexal
