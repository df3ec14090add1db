// The serialised operations on the open connection, against exact statuses of the
// scripted library calls: results, page events and messages.
#include <array>
#include <cstring>
#include <functional>
#include <future>
#include <thread>

#include "block_images.h"
#include "gui_test_support.h"
#include "library_text.h"

namespace vexal {
namespace {

using testing::Events;
using testing::FakeAnswer;
using Bytes = std::vector<uint8_t>;
constexpr CpuStatus kRefused = CPULINK_NOT_FOUND;
constexpr CpuStatus kFatal = CPULINK_CONNECTION_LOST;

// 2026-12-05 23:13:32, a Saturday, as the controller's clock value and as a calendar record.
const Bytes kClockValue = {0x26, 0x12, 0x05, 0x23, 0x13, 0x32, 0x00, 0x07};
constexpr BrokenDownTime kClockTime{32, 13, 23, 5, 11, 126, 6};

// A started application whose sheet carries one more page that writes down every event.
class OperationsTest : public testing::ScriptedSession {
protected:
    void SetUp() override {
        ASSERT_TRUE(MakeApp().StartUp());
        recorder = new testing::CRecordingPage(app->MakePageContext(), &events, "rec");
        app->Sheet()->AddSheetPage(recorder);
    }
    // Forgets what the pages and the user were told, and scripts the next call's answer.
    void Script(FakeAnswer answer) {
        events.clear();
        messages.clear();
        plc.answers.push_back(std::move(answer));
    }
    static QString Text(CpuStatus status) {
        return *LibraryErrorText(status, CPULINK_ERROR_TEXT_CAPACITY);
    }

    Events events;
    testing::CRecordingPage* recorder = nullptr;
};

// Which failures an operation reports with the library's text and which of them drop the
// connection; a fatal status is always reported.
struct Policy {
    bool refusalReported;  // a status that is neither 0 nor fatal
    bool refusalDrops;
    bool fatalDrops;
};
constexpr Policy kOpen{true, false, false};  // a failed open never counts as a lost link
constexpr Policy kCommand{true, false, true};
constexpr Policy kClock{true, true, true};  // any failure of the clock call loses the link
constexpr Policy kQuiet{false, false, true};

// Every operation answered with 0, a refusal and a fatal status: its result, what the pages
// hear and what the user is shown. The answer carries a clock value, which is no block
// image and no usable status list. A block missing from the project is not downloaded.
TEST_F(OperationsTest, EachOperationReportsAndDropsTheConnectionByItsPolicy) {
    Script({kFatal});
    EXPECT_EQ(app->DownloadBlock(BLOCK_TYPE_FB, 3), CPULINK_OK);
    EXPECT_EQ(plc.answers.size(), 1u) << "a missing block was downloaded";
    EXPECT_TRUE(events.empty());
    plc.answers.clear();
    const Bytes image = testing::MakeBlockImage(BLOCK_TYPE_FB, 3, 200, 4);
    ASSERT_TRUE(app->Project().Add(image.data(), image.size()));
    BrokenDownTime time{};  // read by "get clock", sent by "set clock"
    uint16_t numbers[8];
    int count = 0;
    MemoryRow rows[3];
    LedStates leds;
    uint8_t buffer[200];
    using Results = std::array<int64_t, 3>;  // after 0, the refusal and the fatal status
    const Results flag = {1, 0, 0}, status = {0, kRefused, kFatal},
                  unusable = {kStatusUnusableAnswer, kRefused, kFatal};
    struct Operation {
        const char* name;
        Policy policy;
        Results results;
        Events done;  // what the pages hear after 0
        std::function<int64_t()> run;
    };
    CMainApp& a = *app;
    const Operation operations[] = {
        {"tcp", kOpen, flag, {"rec:1"}, [&] { return a.OpenTcp(0x0100007F); }},
        {"mpi", kOpen, flag, {"rec:1"}, [&] { return a.OpenMpi(2); }},
        {"login", kCommand, flag, {}, [&] { return a.LogIn("geheim"); }},
        {"stop", kCommand, flag, {}, [&] { return a.StopCpu(); }},
        {"restart", kCommand, flag, {}, [&] { return a.WarmRestart(); }},
        {"get clock", kClock, flag, {}, [&] { return a.GetClock(&time); }},
        {"set clock", kClock, flag, {}, [&] { return a.SetClock(time); }},
        {"list", kQuiet, {0, 0, -1}, {}, [&] { return a.GetBlockList(2, 0, &count, numbers, 8); }},
        {"delete", kQuiet, status, {"rec:8:131077"}, [&] { return a.DeleteBlock(2, 5); }},
        {"upload", kQuiet, status, {}, [&] { return a.UploadBlock(3, 12); }},
        {"download", kQuiet, status, {"rec:7:65539"}, [&] { return a.DownloadBlock(1, 3); }},
        {"compress", kQuiet, {0, 0, 0}, {}, [&] { return (a.CompressMemory(), 0); }},
        {"read", kQuiet, status, {}, [&] { return a.ReadVariables(nullptr, 0); }},
        {"write", kQuiet, status, {}, [&] { return a.WriteVariables(nullptr, 0); }},
        {"diag", kQuiet, status, {}, [&] { return a.ReadDiagBuffer(buffer, &count, 200); }},
        {"leds", kQuiet, {0, 0, 0}, {}, [&] { return a.ReadLeds(&leds); }},
        {"selector", kQuiet, {-1, -1, -1}, {}, [&] { return a.ReadKeySwitch(); }},
        {"mode", kQuiet, {-1, -1, -1}, {}, [&] { return a.ReadOperationMode(); }},
        {"areas", kQuiet, unusable, {}, [&] { return a.ReadMemoryAreas(&count, rows); }},
        {"usage", kQuiet, unusable, {}, [&] { return a.ReadMemoryUsage(&count, rows); }},
    };
    for (const Operation& operation : operations) {
        for (int answer = 0; answer < 3; ++answer) {
            const CpuStatus given = status[answer];
            SCOPED_TRACE(::testing::Message() << operation.name << " " << given);
            app->CloseConnection();  // a link lost is told once: each case starts afresh
            Script(FakeAnswer{given, kClockValue, {}, 0, 33, 2});
            EXPECT_EQ(operation.run(), operation.results[answer]);
            const Policy& policy = operation.policy;
            const bool fatal = given == kFatal;
            const bool drops = fatal ? policy.fatalDrops : answer == 1 && policy.refusalDrops;
            const bool reported = fatal || (answer == 1 && policy.refusalReported);
            EXPECT_EQ(events, answer == 0 ? operation.done : drops ? Events{"rec:2"} : Events{});
            EXPECT_EQ(messages, reported ? QStringList{Text(given)} : QStringList{});
        }
    }
    EXPECT_EQ(std::memcmp(&time, &kClockTime, sizeof time), 0);
    EXPECT_EQ(plc.lastPassword, L"geheim");
    EXPECT_EQ(plc.lastTimeoutMs, 30000u) << "compressing may take 30 s";
}

// A failed open keeps the connection that was open; a close forgets it.
TEST_F(OperationsTest, AnOpenMakesItsRecordCurrentOnlyOnSuccessAndClosingForgetsIt) {
    const struct {
        bool tcp;
        CpuStatus status;
        const CpuConnection* current;
    } cases[] = {{true, CPULINK_OK, app->TcpRecord()},
                 {false, CPULINK_CANNOT_CONNECT, app->TcpRecord()},
                 {false, CPULINK_OK, app->MpiRecord()},
                 {true, CPULINK_TIMEOUT, app->MpiRecord()}};
    for (const auto& c : cases) {
        Script({c.status});
        c.tcp ? app->OpenTcp(0x0100007F) : app->OpenMpi(2);
        EXPECT_EQ(app->CurrentConnection(), c.current) << c.status;
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
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(plc.answers.size(), 1u) << "the library was called";
}

// A clock value or a time that does not convert only shows "Date/Time error"; such a time
// is never sent.
TEST_F(OperationsTest, AClockValueThatDoesNotConvertShowsDateTimeError) {
    BrokenDownTime read{};
    Bytes badMonth = kClockValue;
    badMonth[1] = 0x13;
    Script({CPULINK_OK, badMonth});
    EXPECT_EQ(app->GetClock(&read), 0);
    BrokenDownTime outOfRange = kClockTime;
    outOfRange.month = 12;
    EXPECT_EQ(app->SetClock(outOfRange), 0);
    EXPECT_EQ(plc.answers.size(), 0u) << "the time was not sent";
    EXPECT_EQ(messages, (QStringList{"Date/Time error", "Date/Time error"}));
    EXPECT_TRUE(events.empty());
}

// The diagnostic buffer counts only whole entries inside the buffer; a fatal status leaves
// the count alone.
TEST_F(OperationsTest, TheBlockListTellsWhetherMoreEntriesRemainAndTheDiagBufferCountsWhatFits) {
    const struct {
        CpuStatus status;
        int count, result, more;
    } cases[] = {{CPULINK_MORE_ENTRIES, 3, 3, 1},
                 {CPULINK_OK, 2, 2, 0},
                 {CPULINK_NOT_FOUND, 0, 0, 0},
                 {kFatal, 5, -1, 7}};
    for (const auto& c : cases) {
        Script(FakeAnswer{c.status, {}, {1, 2, 3}, c.count});
        uint16_t numbers[8] = {};
        int more = 7;
        EXPECT_EQ(app->GetBlockList(BLOCK_TYPE_FC, 40, &more, numbers, 8), c.result) << c.status;
        EXPECT_EQ(more, c.more) << c.status;
    }
    uint8_t buffer[200];
    for (const CpuStatus status : {kFatal, CpuStatus{CPULINK_MORE_ENTRIES}}) {
        Script(FakeAnswer{status, {}, {}, 0, 20, 30});
        int count = -1;
        EXPECT_EQ(app->ReadDiagBuffer(buffer, &count, sizeof buffer), status);
        EXPECT_EQ(count, status == kFatal ? -1 : 10);
    }
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
        {image, CPULINK_OK, {"rec:3:196620"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        Script(FakeAnswer{c.status, c.image});
        EXPECT_EQ(app->UploadBlock(BLOCK_TYPE_DB, 12), c.status);
        EXPECT_EQ(events, c.events);
        EXPECT_EQ(app->Project().BlockCount(), static_cast<int>(c.events.size()));
    }
    const uint8_t* stored = app->Project().Find(BLOCK_TYPE_DB, 12);
    ASSERT_NE(stored, nullptr);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), stored));
}

// A page that polls the controller on the tick while the sheet with every page is shown
// (the nine pages and the polling one fill the sheet's ten): the lost connection reaches
// every page once, the earlier ones included, and nothing calls the library on the lost
// link afterwards. The PLC mutex is held during the call and free when the pages hear of
// its result.
TEST_F(OperationsTest, AFatalStatusDuringATickRaisesOneNestedDisconnect) {
    app->Sheet()->show();
    const auto mutexFree = [this] {
        const bool free = app->PlcMutex()->try_lock();
        if (free) app->PlcMutex()->unlock();
        return free;
    };
    bool heldDuringCall = false, freeForPages = false;
    plc.duringCall = [&] { heldDuringCall = !mutexFree(); };
    recorder->onEvent = [&](int32_t code) {
        if (code == kPageDisconnected) freeForPages = mutexFree();
        if (code == kPageTick && recorder->IsConnected()) app->ReadOperationMode();
    };
    app->BroadcastPageEvent(kPageConnected);
    Script({kFatal});
    plc.answers.push_back({CPULINK_OK});

    app->Sheet()->OnTimer(CMainSheet::kTickTimerId + 1);
    EXPECT_TRUE(events.empty()) << "only the tick timer ticks";
    app->Sheet()->OnTimer(CMainSheet::kTickTimerId);
    app->Sheet()->OnTimer(CMainSheet::kTickTimerId);

    EXPECT_EQ(events, (Events{"rec:0", "rec:2", "rec:0"}));
    EXPECT_EQ(messages, QStringList{Text(kFatal)});
    EXPECT_EQ(plc.answers.size(), 1u) << "a call after the link was lost";
    EXPECT_TRUE(heldDuringCall);
    EXPECT_TRUE(freeForPages);
    for (const CSheetPage* page : app->Sheet()->findChildren<CSheetPage*>())
        EXPECT_FALSE(page->IsConnected()) << page->objectName().toStdString();
}

}  // namespace
}  // namespace vexal
