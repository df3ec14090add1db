#include <gtest/gtest.h>

#include "app_test_support.h"

namespace vexal {
namespace {

using testing::FakeAnswer;
using testing::FakePlc;
using Bytes = std::vector<uint8_t>;
using Events = std::vector<std::string>;

class StatusListTest : public testing::OperationsFixture {
protected:
    static void AnswerRecords(CpuStatus status, uint16_t length, uint16_t count, Bytes data) {
        Answer(FakeAnswer{status, std::move(data), {}, 0, length, count});
    }
};

constexpr CpuStatus kFatal = CPULINK_TIMEOUT;

void Put16(Bytes& bytes, size_t at, uint16_t value) {
    bytes[at] = static_cast<uint8_t>(value >> 8);
    bytes[at + 1] = static_cast<uint8_t>(value);
}

void Put32(Bytes& bytes, size_t at, uint32_t value) {
    for (size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

// LED records of list 0x19: id, and the fake library's state in byte 2.
Bytes LedRecords(std::initializer_list<std::pair<uint16_t, uint8_t>> leds) {
    Bytes bytes;
    for (const auto& [id, state] : leds) {
        bytes.insert(bytes.end(),
                     {static_cast<uint8_t>(id >> 8), static_cast<uint8_t>(id), state, 0});
    }
    return bytes;
}

TEST_F(StatusListTest, TheLedsAreTakenFromTheirRecords) {
    AnswerRecords(CPULINK_OK, 4, 5, LedRecords({{4, 1}, {9, 1}, {5, 0}, {1, 2}, {0x104, 1}}));
    LedStates leds{7, 7, 7, 7};
    EXPECT_EQ(app->ReadLeds(&leds), 1);
    EXPECT_EQ(leds.run, 1);
    EXPECT_EQ(leds.stop, 0);
    EXPECT_EQ(leds.err, 2);
    EXPECT_EQ(leds.frce, 0);
    EXPECT_EQ(FakePlc().lastListId, 0x19);
    EXPECT_EQ(FakePlc().lastSize, 40u);
}

TEST_F(StatusListTest, APartialLedAnswerIsStillShown) {
    AnswerRecords(CPULINK_MORE_ENTRIES, 4, 2, LedRecords({{6, 1}, {4, 2}}));
    LedStates leds{};
    EXPECT_EQ(app->ReadLeds(&leds), 1);
    EXPECT_EQ(leds.frce, 1);
    EXPECT_EQ(leds.run, 2);
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(StatusListTest, LedRecordsReachingPastTheBufferAreNotRead) {
    const struct {
        uint16_t length;
        uint16_t count;
    } cases[] = {{4, 11}, {8, 6}, {0xFFFF, 1}};
    for (const auto& c : cases) {
        AnswerRecords(CPULINK_OK, c.length, c.count, LedRecords({{4, 1}, {5, 1}}));
        LedStates leds{7, 7, 7, 7};
        EXPECT_EQ(app->ReadLeds(&leds), 0) << c.length << " " << c.count;
        EXPECT_EQ(leds.run + leds.stop + leds.err + leds.frce, 0);
    }
    EXPECT_TRUE(events.empty());
}

TEST_F(StatusListTest, AFatalLedReadDropsTheConnection) {
    AnswerRecords(kFatal, 4, 1, LedRecords({{4, 1}}));
    LedStates leds{7, 7, 7, 7};
    EXPECT_EQ(app->ReadLeds(&leds), 0);
    EXPECT_EQ(leds.run, 0);
    EXPECT_EQ(events, (Events{"rec:2"}));
    EXPECT_EQ(prompts.messages, QStringList{Text(kFatal)});
}

Bytes SelectorRecord(uint16_t position) {
    Bytes record(40, 0);
    Put16(record, 8, position);
    return record;
}

TEST_F(StatusListTest, TheModeSelectorPositionIsMapped) {
    const struct {
        CpuStatus status;
        uint16_t length;
        uint16_t count;
        uint16_t position;
        int result;
    } cases[] = {
        {CPULINK_OK, 40, 1, 1, 1},         {CPULINK_OK, 40, 1, 2, 0},  {CPULINK_OK, 40, 1, 3, 2},
        {CPULINK_OK, 40, 1, 4, 3},         {CPULINK_OK, 40, 1, 5, -1}, {CPULINK_OK, 40, 1, 0, -1},
        {CPULINK_NOT_FOUND, 40, 1, 1, -1}, {CPULINK_OK, 40, 0, 1, -1}, {CPULINK_OK, 8, 1, 1, -1},
        {CPULINK_OK, 40, 2, 1, -1},
    };
    for (const auto& c : cases) {
        AnswerRecords(c.status, c.length, c.count, SelectorRecord(c.position));
        EXPECT_EQ(app->ReadKeySwitch(), c.result)
            << c.status << " " << c.length << " " << c.count << " " << c.position;
    }
    EXPECT_EQ(FakePlc().lastListId, 0x132);
    EXPECT_EQ(FakePlc().lastListIndex, 4);
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(StatusListTest, TheOperationModeIsDecodedFromTheFirstRecord) {
    Bytes record(20, 0);
    record[3] = 8;
    const struct {
        CpuStatus status;
        uint16_t count;
        int result;
        Events events;
    } cases[] = {{CPULINK_OK, 1, 8, {}},
                 {CPULINK_OK, 0, -1, {}},
                 {CPULINK_NOT_FOUND, 1, -1, {}},
                 {kFatal, 1, -1, {"rec:2"}}};
    for (const auto& c : cases) {
        events.clear();
        AnswerRecords(c.status, 20, c.count, record);
        EXPECT_EQ(app->ReadOperationMode(), c.result) << c.status << " " << c.count;
        EXPECT_EQ(events, c.events) << c.status;
    }
    EXPECT_EQ(FakePlc().lastListId, 0x424);
    EXPECT_EQ(FakePlc().lastSize, 20u);
}

// A list 0x13 record: id, then the two pairs of total and used figures whose sums the
// memory page shows.
Bytes AreaRecord(uint16_t id, uint32_t total1, uint32_t used1, uint32_t total2, uint32_t used2) {
    Bytes record(36, 0);
    Put16(record, 0, id);
    Put32(record, 12, total1);
    Put32(record, 16, used1);
    Put32(record, 24, total2);
    Put32(record, 28, used2);
    return record;
}

Bytes Join(std::initializer_list<Bytes> records) {
    Bytes bytes;
    for (const Bytes& record : records) bytes.insert(bytes.end(), record.begin(), record.end());
    return bytes;
}

TEST_F(StatusListTest, MemoryAreasGiveLoadThenWorkMemory) {
    AnswerRecords(CPULINK_OK, 36, 4,
                  Join({AreaRecord(1, 1000, 100, 0, 0), AreaRecord(3, 9, 9, 9, 9),
                        AreaRecord(2, 5000, 700, 3000, 300), AreaRecord(1, 2000, 500, 100, 50)}));
    int rows = 0;
    MemoryRow memory[2] = {};
    EXPECT_EQ(app->ReadMemoryAreas(&rows, memory), CPULINK_OK);
    ASSERT_EQ(rows, 2);
    EXPECT_EQ(memory[0].areaCode, 0);
    EXPECT_EQ(memory[0].usedBytes, 1000);
    EXPECT_EQ(memory[0].freeBytes, 7000);
    EXPECT_EQ(memory[1].areaCode, 18);
    EXPECT_EQ(memory[1].usedBytes, 550);
    EXPECT_EQ(memory[1].freeBytes, 1550);
    EXPECT_EQ(FakePlc().lastSize, 288u);
}

TEST_F(StatusListTest, UnusableMemoryAreaAnswersAreRefused) {
    const Bytes both = Join({AreaRecord(1, 10, 1, 0, 0), AreaRecord(2, 10, 1, 0, 0)});
    const struct {
        const char* what;
        uint16_t length;
        uint16_t count;
        Bytes data;
    } cases[] = {
        {"record length", 20, 2, both},
        {"no work memory", 36, 1, AreaRecord(2, 10, 1, 0, 0)},
        {"no load memory", 36, 1, AreaRecord(1, 10, 1, 0, 0)},
        {"no records", 36, 0, both},
        {"count past the buffer", 36, 9, both},
    };
    for (const auto& c : cases) {
        AnswerRecords(CPULINK_OK, c.length, c.count, c.data);
        int rows = 0;
        MemoryRow memory[2] = {};
        EXPECT_EQ(app->ReadMemoryAreas(&rows, memory), kStatusUnusableAnswer) << c.what;
        EXPECT_EQ(rows, 0) << c.what;
    }
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(StatusListTest, AFailedMemoryReadReturnsItsStatus) {
    for (bool usage : {false, true}) {
        for (CpuStatus status : {CpuStatus{CPULINK_NOT_FOUND}, kFatal}) {
            events.clear();
            AnswerRecords(status, usage ? 20 : 36, 0, {});
            int rows = 0;
            MemoryRow memory[3] = {};
            EXPECT_EQ(
                usage ? app->ReadMemoryUsage(&rows, memory) : app->ReadMemoryAreas(&rows, memory),
                status);
            EXPECT_EQ(events, status == kFatal ? Events{"rec:2"} : Events{}) << usage << status;
        }
    }
    EXPECT_EQ(prompts.messages, (QStringList{Text(kFatal), Text(kFatal)}));
}

// A list 0x1B record: area code, kind, value.
Bytes UsageRecord(uint8_t area, uint16_t kind, uint32_t value) {
    Bytes record(20, 0);
    record[0] = area;
    Put16(record, 2, kind);
    Put32(record, 12, value);
    return record;
}

Bytes UsageRows(const std::string& rows) {
    const struct {
        char row;
        uint8_t area;
        uint16_t usedKind;
    } kRows[] = {{'A', 0, 0x00}, {'B', 18, 0x10}, {'C', 16, 0x11}, {'D', 17, 0x12}};
    Bytes bytes;
    for (const auto& row : kRows) {
        if (rows.find(row.row) == std::string::npos) continue;
        const Bytes free = UsageRecord(row.area, 0x70, 1000u + row.area);
        const Bytes used = UsageRecord(row.area, row.usedKind, 100u + row.area);
        bytes.insert(bytes.end(), free.begin(), free.end());
        bytes.insert(bytes.end(), used.begin(), used.end());
    }
    return bytes;
}

TEST_F(StatusListTest, MemoryUsageRowsFollowTheAreasPresent) {
    const struct {
        std::string present;
        CpuStatus status;
        std::vector<int32_t> areas;
    } cases[] = {
        {"AB", CPULINK_OK, {0, 18}},      {"ABC", CPULINK_OK, {0, 18}},
        {"ACD", CPULINK_OK, {0, 16, 17}}, {"ABCD", CPULINK_OK, {0, 16, 17}},
        {"A", kStatusUnusableAnswer, {}}, {"BCD", kStatusUnusableAnswer, {}},
    };
    for (const auto& c : cases) {
        const Bytes records = UsageRows(c.present);
        AnswerRecords(CPULINK_OK, 20, static_cast<uint16_t>(records.size() / 20), records);
        int rows = 0;
        MemoryRow memory[3] = {};
        EXPECT_EQ(app->ReadMemoryUsage(&rows, memory), c.status) << c.present;
        std::vector<int32_t> areas;
        for (int row = 0; row < rows; ++row) {
            areas.push_back(memory[row].areaCode);
            EXPECT_EQ(memory[row].freeBytes, 1000 + memory[row].areaCode) << c.present;
            EXPECT_EQ(memory[row].usedBytes, 100 + memory[row].areaCode) << c.present;
        }
        EXPECT_EQ(areas, c.areas) << c.present;
    }
    EXPECT_EQ(FakePlc().lastListId, 0x1B);
    EXPECT_EQ(FakePlc().lastSize, 320u);
}

TEST_F(StatusListTest, UnusableMemoryUsageAnswersAreRefused) {
    const Bytes records = UsageRows("AB");
    for (const auto& [length, count] : {std::pair<uint16_t, uint16_t>{36, 4}, {20, 17}}) {
        AnswerRecords(CPULINK_OK, length, count, records);
        int rows = 0;
        MemoryRow memory[3] = {};
        EXPECT_EQ(app->ReadMemoryUsage(&rows, memory), kStatusUnusableAnswer)
            << length << " " << count;
        EXPECT_EQ(rows, 0);
    }
}

TEST_F(StatusListTest, TheDiagnosticCountCoversOnlyRecordsInsideTheBuffer) {
    const struct {
        CpuStatus status;
        uint16_t length;
        uint16_t count;
        int stored;
    } cases[] = {{CPULINK_OK, 20, 12, 12},     {CPULINK_MORE_ENTRIES, 20, 100, 100},
                 {CPULINK_OK, 20, 101, 100},   {CPULINK_OK, 40, 60, 50},
                 {CPULINK_NOT_FOUND, 0, 0, 0}, {kFatal, 20, 5, -1}};
    Bytes buffer(2000);
    for (const auto& c : cases) {
        AnswerRecords(c.status, c.length, c.count, {});
        int count = -1;
        EXPECT_EQ(app->ReadDiagBuffer(buffer.data(), &count, 2000), c.status);
        EXPECT_EQ(count, c.stored) << c.status << " " << c.count;
    }
    EXPECT_EQ(FakePlc().lastListId, 0xA0);
    EXPECT_EQ(events, (Events{"rec:2"}));
}

}  // namespace
}  // namespace vexal
