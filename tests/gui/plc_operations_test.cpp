// The serialised operations on the open connection, against exact statuses of the
// scripted libraries: results, page events and messages.
#include <functional>
#include <future>
#include <optional>
#include <span>
#include <thread>

#include "block_images.h"
#include "gui_test_support.h"

namespace vexal {
namespace {

using testing::Events;
using testing::FakeAnswer;
using testing::FakePlc;
using Bytes = std::vector<uint8_t>;
using OperationsTest = testing::OperationsFixture;

constexpr CpuStatus kFatal = CPULINK_CONNECTION_LOST;

// A failed open is reported, keeps the connection that was open and never counts as a
// lost link, not even with a fatal status.
TEST_F(OperationsTest, AnOpenMakesItsRecordCurrentOnlyOnSuccessAndClosingForgetsIt) {
    const struct {
        bool tcp;
        CpuStatus status;
    } cases[] = {{true, CPULINK_OK},
                 {false, CPULINK_CANNOT_CONNECT},
                 {false, CPULINK_OK},
                 {true, CPULINK_NOT_FOUND},
                 {true, CPULINK_TIMEOUT}};
    const CpuConnection* current = nullptr;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        Script({c.status});
        const bool opened = c.status == CPULINK_OK;
        EXPECT_EQ(c.tcp ? app->OpenTcp(0x0100007F) : app->OpenMpi(2), opened ? 1 : 0);
        if (opened) current = c.tcp ? app->TcpRecord() : app->MpiRecord();
        EXPECT_EQ(app->CurrentConnection(), current);
        EXPECT_EQ(events, opened ? Events{"rec:1"} : Events{});
        EXPECT_EQ(messages, opened ? QStringList{} : QStringList{Text(c.status)});
    }
    Script({});
    app->CloseConnection();
    EXPECT_EQ(app->CurrentConnection(), nullptr);
    EXPECT_EQ(events, Events{"rec:2"});
    EXPECT_FALSE(recorder->IsConnected());
}

TEST_F(OperationsTest, AnOpenGivesUpQuietlyWhenThePlcMutexStaysTaken) {
    std::promise<void> taken;
    std::thread holder([&] {
        app->PlcMutex()->lock();
        taken.set_value();
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        app->PlcMutex()->unlock();
    });
    taken.get_future().wait();
    Script({CPULINK_OK});
    EXPECT_EQ(app->OpenTcp(0x0100007F), 0);
    holder.join();
    ExpectLost(false, CPULINK_OK);
    EXPECT_EQ(FakePlc().answers.size(), 1u) << "the library was called";
}

TEST_F(OperationsTest, ThePlcMutexIsHeldDuringTheCallAndFreeWhenThePagesHearOfTheResult) {
    bool freeForPages = false;
    recorder->onEvent = [&](int32_t) {
        freeForPages = app->PlcMutex()->try_lock();
        if (freeForPages) app->PlcMutex()->unlock();
    };
    bool heldDuringCall = false;
    FakePlc().duringCall = [&] {
        heldDuringCall = !app->PlcMutex()->try_lock();
        if (!heldDuringCall) app->PlcMutex()->unlock();
    };
    Script({kFatal});
    app->ReadOperationMode();
    EXPECT_TRUE(heldDuringCall);
    EXPECT_TRUE(freeForPages);
}

// Every failure is reported, the library's text permitting; only a fatal one is a lost link.
TEST_F(OperationsTest, LogInStopAndRestartReportEveryFailure) {
    const std::function<int(CMainApp&)> operations[] = {
        [](CMainApp& a) { return a.LogIn(QStringLiteral("geheim")); },
        [](CMainApp& a) { return a.StopCpu(); },
        [](CMainApp& a) { return a.WarmRestart(); },
    };
    const struct {
        CpuStatus status;
        bool textKnown;
    } cases[] = {{CPULINK_OK, true},
                 {CPULINK_WRONG_MODE, true},
                 {CPULINK_PASSWORD_REFUSED, true},
                 {kFatal, false}};
    for (size_t operation = 0; operation < 3; ++operation) {
        for (const auto& c : cases) {
            SCOPED_TRACE(::testing::Message() << operation << " " << c.status);
            FakePlc().errorTextKnown = c.textKnown;
            Script({c.status});
            EXPECT_EQ(operations[operation](*app), c.status == CPULINK_OK ? 1 : 0);
            EXPECT_EQ(events, CpuStatus_IsFatal(c.status) ? Events{"rec:2"} : Events{});
            const bool message = c.status != CPULINK_OK && c.textKnown;
            EXPECT_EQ(messages, message ? QStringList{Text(c.status)} : QStringList{});
        }
    }
    EXPECT_EQ(FakePlc().lastPassword, L"geheim");
}

// Any failure of the controller's clock call drops the connection; a value that does not
// convert only shows "Date/Time error", and one to be set is then not sent.
TEST_F(OperationsTest, ClockFailuresDropTheConnectionButConversionFailuresDoNot) {
    const struct {
        bool set;
        CpuStatus status;
        bool converts;
    } cases[] = {{false, CPULINK_OK, true}, {false, CPULINK_NOT_FOUND, true},
                 {false, kFatal, true},     {false, CPULINK_OK, false},
                 {true, CPULINK_OK, true},  {true, CPULINK_WRONG_MODE, true},
                 {true, CPULINK_OK, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.set << " " << c.status << " " << c.converts);
        FakePlc().answers.clear();
        FakePlc().clockConversions = c.converts;
        Script({c.status});
        BrokenDownTime time{32, 13, 23, 5, 11, 126, 6};
        const int result = c.set ? app->SetClock(time) : app->GetClock(&time);
        EXPECT_EQ(result, c.status == CPULINK_OK && c.converts ? 1 : 0);
        const bool failed = c.status != CPULINK_OK;
        EXPECT_EQ(events, failed ? Events{"rec:2"} : Events{});
        EXPECT_EQ(messages, failed       ? QStringList{Text(c.status)}
                            : c.converts ? QStringList{}
                                         : QStringList{"Date/Time error"});
        EXPECT_EQ(FakePlc().answers.empty(), c.converts || !c.set);
    }
}

TEST_F(OperationsTest, TheBlockListTellsWhetherMoreEntriesRemain) {
    const struct {
        CpuStatus status;
        int count, result, more;
    } cases[] = {{CPULINK_MORE_ENTRIES, 3, 3, 1},
                 {CPULINK_OK, 2, 2, 0},
                 {CPULINK_NOT_FOUND, 0, 0, 0},
                 {kFatal, 5, -1, 7}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        Script(FakeAnswer{c.status, {}, {1, 2, 3}, c.count});
        uint16_t numbers[8] = {};
        int more = 7;
        EXPECT_EQ(app->GetBlockList(BLOCK_TYPE_FC, 40, &more, numbers, 8), c.result);
        EXPECT_EQ(more, c.more);
        ExpectLost(c.status == kFatal, c.status);
    }
}

// A refused operation only returns its status; a block deleted or downloaded is announced.
TEST_F(OperationsTest, BlockVariableAndMemoryOperationsReportOnlyAFatalStatus) {
    const Bytes image = testing::MakeBlockImage(BLOCK_TYPE_FB, 3, 200, 4);
    ASSERT_TRUE(app->Project().Add(image.data(), image.size()));
    const struct {
        std::function<std::optional<CpuStatus>(CMainApp&)> run;
        Events done;
    } operations[] = {
        {[](CMainApp& a) { return a.DeleteBlock(BLOCK_TYPE_FC, 5); }, {"rec:8:131077"}},
        {[](CMainApp& a) { return a.DownloadBlock(BLOCK_TYPE_FB, 3); }, {"rec:7:65539"}},
        {[](CMainApp& a) { return a.ReadVariables(nullptr, 0); }, {}},
        {[](CMainApp& a) { return a.WriteVariables(nullptr, 0); }, {}},
        {[](CMainApp& a) { return (a.CompressMemory(), std::nullopt); }, {}},
    };
    for (size_t operation = 0; operation < 5; ++operation) {
        for (CpuStatus status :
             {CpuStatus{CPULINK_OK}, CpuStatus{CPULINK_BLOCK_PROTECTED}, kFatal}) {
            SCOPED_TRACE(::testing::Message() << operation << " " << status);
            Script({status});
            EXPECT_EQ(operations[operation].run(*app).value_or(status), status);
            if (status == CPULINK_OK) {
                EXPECT_EQ(events, operations[operation].done);
            } else {
                ExpectLost(status == kFatal, status);
            }
        }
    }
    EXPECT_EQ(FakePlc().lastTimeoutMs, 30000u) << "compressing may take 30 s";
}

TEST_F(OperationsTest, ABlockMissingFromTheProjectIsNotDownloaded) {
    Script({kFatal});
    EXPECT_EQ(app->DownloadBlock(BLOCK_TYPE_FB, 3), CPULINK_OK);
    ExpectLost(false, kFatal);
    EXPECT_EQ(FakePlc().answers.size(), 1u) << "the library was called";
}

// An image the project refuses costs the event, not the status.
TEST_F(OperationsTest, OnlyAnUploadedBlockTheProjectTakesIsAnnounced) {
    const Bytes image = testing::MakeBlockImage(BLOCK_TYPE_DB, 12, 300, 9);
    const struct {
        Bytes image;
        CpuStatus status;
        Events events;
    } cases[] = {
        {testing::MakeBlockImage(BLOCK_TYPE_SFC, 12, 100), CPULINK_OK, {}},
        {Bytes(64, 0x55), CPULINK_OK, {}},
        {image, CPULINK_NOT_FOUND, {}},
        {image, kFatal, {"rec:2"}},
        {image, CPULINK_OK, {"rec:3:196620"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        Script(FakeAnswer{c.status, c.image});
        EXPECT_EQ(app->UploadBlock(BLOCK_TYPE_DB, 12), c.status);
        EXPECT_EQ(events, c.events);
        EXPECT_EQ(app->Project().BlockCount(), c.events.size() == 1 && c.status == CPULINK_OK);
    }
    const uint8_t* stored = app->Project().Find(BLOCK_TYPE_DB, 12);
    ASSERT_NE(stored, nullptr);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), stored));
}

// A page that polls the controller on the tick while the sheet with every page is shown:
// the lost connection reaches every page once, the earlier ones included, before the tick
// goes on to the later pages, and nothing calls the library on the lost link afterwards.
TEST_F(OperationsTest, AFatalStatusDuringATickRaisesOneNestedDisconnect) {
    app->Sheet()->AddSheetPage(new testing::CRecordingPage(app->MakePageContext(), &events, "b"));
    app->Sheet()->show();
    recorder->onEvent = [this](int32_t code) {
        if (code == kPageTick && recorder->IsConnected()) app->ReadOperationMode();
    };
    app->BroadcastPageEvent(kPageConnected);
    Script({kFatal});
    FakePlc().answers.push_back({CPULINK_OK});

    app->Sheet()->OnTimer(CMainSheet::kTickTimerId + 1);
    EXPECT_TRUE(events.empty()) << "only the tick timer ticks";
    app->Sheet()->OnTimer(CMainSheet::kTickTimerId);
    app->Sheet()->OnTimer(CMainSheet::kTickTimerId);

    EXPECT_EQ(events, (Events{"rec:0", "rec:2", "b:2", "b:0", "rec:0", "b:0"}));
    EXPECT_EQ(messages, QStringList{Text(kFatal)});
    EXPECT_EQ(FakePlc().answers.size(), 1u) << "a call after the link was lost";
    for (const CSheetPage* page : app->Sheet()->findChildren<CSheetPage*>())
        EXPECT_FALSE(page->IsConnected()) << page->objectName().toStdString();
}

// ---- System status lists: only records that lie inside the buffer are read -----------

class StatusListTest : public testing::OperationsFixture {
protected:
    void ScriptRecords(CpuStatus status, uint16_t length, uint16_t count, Bytes data) {
        Script(FakeAnswer{status, std::move(data), {}, 0, length, count});
    }
    static constexpr CpuStatus kFatal = CPULINK_TIMEOUT;
};

void Put16(Bytes& bytes, size_t at, uint16_t value) {
    bytes[at] = static_cast<uint8_t>(value >> 8);
    bytes[at + 1] = static_cast<uint8_t>(value);
}

void Put32(Bytes& bytes, size_t at, uint32_t value) {
    Put16(bytes, at, static_cast<uint16_t>(value >> 16));
    Put16(bytes, at + 2, static_cast<uint16_t>(value));
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

TEST_F(StatusListTest, TheLedsComeFromTheirRecordsEvenInAPartialAnswer) {
    const Bytes two = LedRecords({{4, 1}, {5, 1}});
    const struct {
        CpuStatus status;
        uint16_t length, count;
        Bytes data;
        int result;
        std::array<int, 4> runStopErrFrce;
    } cases[] = {
        {CPULINK_OK,
         4,
         5,
         LedRecords({{4, 1}, {9, 1}, {5, 0}, {1, 2}, {0x104, 1}}),
         1,
         {1, 0, 2, 0}},
        {CPULINK_MORE_ENTRIES, 4, 2, LedRecords({{6, 1}, {4, 2}}), 1, {2, 0, 0, 1}},
        {CPULINK_OK, 4, 11, two, 0, {}},
        {CPULINK_OK, 8, 6, two, 0, {}},
        {CPULINK_OK, 0xFFFF, 1, two, 0, {}},
        {kFatal, 4, 1, two, 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.status << " " << c.length << " " << c.count);
        ScriptRecords(c.status, c.length, c.count, c.data);
        LedStates leds{7, 7, 7, 7};
        EXPECT_EQ(app->ReadLeds(&leds), c.result);
        EXPECT_EQ((std::array{leds.run, leds.stop, leds.err, leds.frce}), c.runStopErrFrce);
        ExpectLost(c.status == kFatal, c.status);
    }
}

TEST_F(StatusListTest, TheModeSelectorPositionIsMapped) {
    const struct {
        CpuStatus status;
        uint16_t length, count, position;
        int result;
    } cases[] = {
        {CPULINK_OK, 40, 1, 1, 1},         {CPULINK_OK, 40, 1, 2, 0},  {CPULINK_OK, 40, 1, 3, 2},
        {CPULINK_OK, 40, 1, 4, 3},         {CPULINK_OK, 40, 1, 5, -1}, {CPULINK_OK, 40, 1, 0, -1},
        {CPULINK_NOT_FOUND, 40, 1, 1, -1}, {CPULINK_OK, 40, 0, 1, -1}, {CPULINK_OK, 8, 1, 1, -1},
        {CPULINK_OK, 40, 2, 1, -1},        {kFatal, 40, 1, 1, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << c.status << " " << c.length << " " << c.count << " " << c.position);
        Bytes record(40, 0);
        Put16(record, 8, c.position);
        ScriptRecords(c.status, c.length, c.count, record);
        EXPECT_EQ(app->ReadKeySwitch(), c.result);
        ExpectLost(c.status == kFatal, c.status);
    }
}

TEST_F(StatusListTest, TheOperationModeIsDecodedFromTheFirstRecord) {
    Bytes record(20, 0);
    record[3] = 8;
    const struct {
        CpuStatus status;
        uint16_t count;
        int result;
    } cases[] = {{CPULINK_OK, 1, 8},
                 {CPULINK_OK, 0, -1},
                 {CPULINK_OK, 2, -1},
                 {CPULINK_NOT_FOUND, 1, -1},
                 {kFatal, 1, -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.status << " " << c.count);
        ScriptRecords(c.status, 20, c.count, record);
        EXPECT_EQ(app->ReadOperationMode(), c.result);
        ExpectLost(c.status == kFatal, c.status);
    }
}

// A list 0x13 record: id, then the two pairs of total and used figures whose sums the
// memory page shows.
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
TEST_F(StatusListTest, MemoryAreasGiveLoadThenWorkMemory) {
    const Bytes both = AreaRecords({{1, 10, 1, 0, 0}, {2, 10, 1, 0, 0}});
    const struct {
        const char* what;
        CpuStatus status;
        uint16_t length, count;
        Bytes data;
        CpuStatus result;
        std::vector<std::array<int32_t, 3>> rows;
    } cases[] = {
        {"last record counts",
         CPULINK_OK,
         36,
         4,
         AreaRecords({{1, 1000, 100, 0, 0},
                      {3, 9, 9, 9, 9},
                      {2, 5000, 700, 3000, 300},
                      {1, 2000, 500, 100, 50}}),
         CPULINK_OK,
         {{0, 7000, 1000}, {18, 1550, 550}}},
        {"record length", CPULINK_OK, 20, 2, both, kStatusUnusableAnswer, {}},
        {"no work memory",
         CPULINK_OK,
         36,
         1,
         AreaRecords({{2, 10, 1, 0, 0}}),
         kStatusUnusableAnswer,
         {}},
        {"no load memory",
         CPULINK_OK,
         36,
         1,
         AreaRecords({{1, 10, 1, 0, 0}}),
         kStatusUnusableAnswer,
         {}},
        {"no records", CPULINK_OK, 36, 0, both, kStatusUnusableAnswer, {}},
        {"count past the buffer", CPULINK_OK, 36, 9, both, kStatusUnusableAnswer, {}},
        {"not found", CPULINK_NOT_FOUND, 36, 2, both, CPULINK_NOT_FOUND, {}},
        {"fatal", kFatal, 36, 2, both, kFatal, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptRecords(c.status, c.length, c.count, c.data);
        int count = 0;
        MemoryRow memory[2] = {};
        EXPECT_EQ(app->ReadMemoryAreas(&count, memory), c.result);
        std::vector<std::array<int32_t, 3>> rows;
        for (const MemoryRow& row : std::span(memory, static_cast<size_t>(count)))
            rows.push_back({row.areaCode, row.freeBytes, row.usedBytes});
        EXPECT_EQ(rows, c.rows);
        ExpectLost(c.status == kFatal, c.status);
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

TEST_F(StatusListTest, MemoryUsageRowsFollowTheAreasPresent) {
    const struct {
        std::string present;
        CpuStatus status;
        uint16_t length, count;  // count 0: the records given
        CpuStatus result;
        std::vector<int32_t> areas;
    } cases[] = {
        {"AB", CPULINK_OK, 20, 0, CPULINK_OK, {0, 18}},
        {"ABC", CPULINK_OK, 20, 0, CPULINK_OK, {0, 18}},
        {"ACD", CPULINK_OK, 20, 0, CPULINK_OK, {0, 16, 17}},
        {"ABCD", CPULINK_OK, 20, 0, CPULINK_OK, {0, 16, 17}},
        {"A", CPULINK_OK, 20, 0, kStatusUnusableAnswer, {}},
        {"BCD", CPULINK_OK, 20, 0, kStatusUnusableAnswer, {}},
        {"AB", CPULINK_OK, 36, 4, kStatusUnusableAnswer, {}},
        {"AB", CPULINK_OK, 20, 17, kStatusUnusableAnswer, {}},
        {"AB", CPULINK_NOT_FOUND, 20, 0, CPULINK_NOT_FOUND, {}},
        {"AB", kFatal, 20, 0, kFatal, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.present << " " << c.status << " " << c.count);
        const Bytes records = UsageRows(c.present);
        ScriptRecords(c.status, c.length,
                      static_cast<uint16_t>(c.count != 0 ? c.count : records.size() / 20), records);
        int rows = 0;
        MemoryRow memory[3] = {};
        EXPECT_EQ(app->ReadMemoryUsage(&rows, memory), c.result);
        std::vector<int32_t> areas;
        for (const MemoryRow& row : std::span(memory, static_cast<size_t>(rows))) {
            areas.push_back(row.areaCode);
            EXPECT_EQ(row.freeBytes, 1000 + row.areaCode);
            EXPECT_EQ(row.usedBytes, 100 + row.areaCode);
        }
        EXPECT_EQ(areas, c.areas);
        ExpectLost(c.status == kFatal, c.status);
    }
}

TEST_F(StatusListTest, TheDiagnosticCountCoversOnlyRecordsInsideTheBuffer) {
    const struct {
        CpuStatus status;
        uint16_t length, count;
        int stored;
    } cases[] = {{CPULINK_OK, 20, 12, 12},     {CPULINK_MORE_ENTRIES, 20, 100, 100},
                 {CPULINK_OK, 20, 101, 100},   {CPULINK_OK, 40, 60, 50},
                 {CPULINK_NOT_FOUND, 0, 0, 0}, {kFatal, 20, 5, -1}};
    Bytes buffer(2000);
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.status << " " << c.count);
        ScriptRecords(c.status, c.length, c.count, {});
        int count = -1;
        EXPECT_EQ(app->ReadDiagBuffer(buffer.data(), &count, 2000), c.status);
        EXPECT_EQ(count, c.stored);
        ExpectLost(c.status == kFatal, c.status);
    }
}

}  // namespace
}  // namespace vexal
