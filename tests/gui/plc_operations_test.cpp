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
constexpr CpuStatus kFatal = CPULINK_CONNECTION_LOST;

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
        FakePlc().answers.push_back(std::move(answer));
    }
    static QString Text(CpuStatus status) {
        return QString::fromStdWString(testing::FakeErrorText(status));
    }
    // Either the pages heard of a lost connection and the status's text was shown, or neither.
    void ExpectLost(bool lost, CpuStatus status) {
        EXPECT_EQ(events, lost ? Events{"rec:2"} : Events{});
        EXPECT_EQ(messages, lost ? QStringList{Text(status)} : QStringList{});
    }

    Events events;
    testing::CRecordingPage* recorder = nullptr;
};

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

// ---- System status lists: read under the mutex, then decoded --------------------------

// Every status-list operation: a fatal status loses the link with the library's text, any
// other failure or an answer that does not decode gives the operation's failure quietly.
TEST_F(OperationsTest, StatusListReadsFailQuietlyUnlessTheLinkIsLost) {
    struct Operation {
        const char* name;
        std::function<int64_t(CMainApp&)> run;
        int64_t failure;
    };
    uint8_t buffer[200];
    int count = 0;
    MemoryRow rows[3];
    LedStates leds;
    const Operation operations[] = {
        {"leds", [&](CMainApp& a) { return a.ReadLeds(&leds); }, 0},
        {"selector", [](CMainApp& a) { return a.ReadKeySwitch(); }, -1},
        {"mode", [](CMainApp& a) { return a.ReadOperationMode(); }, -1},
        {"areas", [&](CMainApp& a) { return a.ReadMemoryAreas(&count, rows); },
         kStatusUnusableAnswer},
        {"usage", [&](CMainApp& a) { return a.ReadMemoryUsage(&count, rows); },
         kStatusUnusableAnswer},
    };
    for (const Operation& operation : operations) {
        for (const CpuStatus status :
             {kFatal, CpuStatus{CPULINK_NOT_FOUND}, CpuStatus{CPULINK_OK}}) {
            SCOPED_TRACE(::testing::Message() << operation.name << " " << status);
            Script(FakeAnswer{status, Bytes(8, 0xFF), {}, 0, 33, 2});
            const int64_t result = operation.run(*app);
            const bool statusResult = operation.failure == kStatusUnusableAnswer;
            EXPECT_EQ(result, statusResult && status != CPULINK_OK ? status : operation.failure);
            ExpectLost(status == kFatal, status);
        }
    }
    for (const CpuStatus status : {kFatal, CpuStatus{CPULINK_MORE_ENTRIES}}) {
        Script(FakeAnswer{status, {}, {}, 0, 20, 30});
        count = -1;
        EXPECT_EQ(app->ReadDiagBuffer(buffer, &count, sizeof buffer), status);
        EXPECT_EQ(count, status == kFatal ? -1 : 10) << "only whole entries inside the buffer";
        ExpectLost(status == kFatal, status);
    }
}

}  // namespace
}  // namespace vexal
