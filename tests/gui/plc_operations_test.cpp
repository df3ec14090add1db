#include <gtest/gtest.h>

#include <functional>
#include <future>
#include <thread>

#include "app_test_support.h"
#include "block_images.h"

namespace vexal {
namespace {

using testing::FakeAnswer;
using testing::FakePlc;
using Events = std::vector<std::string>;

class OperationsTest : public testing::OperationsFixture {};

constexpr CpuStatus kFatal = CPULINK_CONNECTION_LOST;

TEST_F(OperationsTest, AnOpenThatSucceedsMakesItsRecordCurrentAndTellsThePages) {
    const struct {
        bool tcp;
        CpuStatus status;
        int result;
        Events events;
    } cases[] = {
        {true, CPULINK_OK, 1, {"rec:1"}}, {false, CPULINK_OK, 1, {"rec:1"}},
        {true, CPULINK_NOT_FOUND, 0, {}}, {false, CPULINK_CANNOT_CONNECT, 0, {}},
        {true, CPULINK_TIMEOUT, 0, {}},
    };
    for (const auto& c : cases) {
        events.clear();
        prompts.messages.clear();
        app->currentConnection = nullptr;
        Answer(c.status);
        const int result = c.tcp ? app->OpenTcp(0x0A00A8C0) : app->OpenMpi(2);
        EXPECT_EQ(result, c.result) << c.status;
        EXPECT_EQ(events, c.events) << c.status;
        CpuConnection* opened = c.tcp ? &app->tcpRecord : &app->mpiRecord;
        EXPECT_EQ(app->currentConnection, c.result == 1 ? opened : nullptr);
        EXPECT_EQ(prompts.messages.size(), c.result == 1 ? 0 : 1);
        if (c.result == 0) {
            EXPECT_EQ(prompts.messages.front(), Text(c.status));
        }
    }
    EXPECT_EQ(FakePlc().lastIpv4, 0x0A00A8C0u);
    EXPECT_EQ(FakePlc().lastMpiAddress, 2);
}

TEST_F(OperationsTest, AFailedOpenKeepsTheConnectionThatWasOpen) {
    Answer(CPULINK_OK);
    ASSERT_EQ(app->OpenMpi(3), 1);
    Answer(CPULINK_CANNOT_CONNECT);
    EXPECT_EQ(app->OpenTcp(0x0100007F), 0);
    EXPECT_EQ(app->currentConnection, &app->mpiRecord);
}

TEST_F(OperationsTest, AnOpenGivesUpQuietlyWhenThePlcMutexStaysTaken) {
    std::promise<void> taken;
    std::thread holder([&] {
        app->plcMutex->lock();
        taken.set_value();
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        app->plcMutex->unlock();
    });
    taken.get_future().wait();
    Answer(CPULINK_OK);
    EXPECT_EQ(app->OpenTcp(0x0100007F), 0);
    holder.join();
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(prompts.messages.isEmpty());
    EXPECT_EQ(FakePlc().answers.size(), 1u) << "the library was called";
}

TEST_F(OperationsTest, ClosingForgetsTheConnectionAndTellsThePages) {
    Answer(CPULINK_OK);
    app->OpenTcp(0x0100007F);
    events.clear();
    app->CloseConnection();
    EXPECT_EQ(app->currentConnection, nullptr);
    EXPECT_EQ(FakePlc().lastRecord, &app->tcpRecord);
    EXPECT_EQ(events, (Events{"rec:2"}));
    EXPECT_FALSE(recorder->IsConnected());
}

TEST_F(OperationsTest, EveryOperationUsesTheOpenConnection) {
    Answer(CPULINK_OK);
    app->OpenMpi(4);
    app->StopCpu();
    EXPECT_EQ(FakePlc().lastRecord, &app->mpiRecord);
}

// For the operations that answer 1 on success and 0 on failure, with a message for every
// failure and a lost connection only for a fatal one.
TEST_F(OperationsTest, LogInStopAndRestartReportEveryFailure) {
    const struct {
        const char* name;
        std::function<int(CMainApp&)> run;
    } operations[] = {
        {"LogIn", [](CMainApp& a) { return a.LogIn(QStringLiteral("geheim")); }},
        {"StopCpu", [](CMainApp& a) { return a.StopCpu(); }},
        {"WarmRestart", [](CMainApp& a) { return a.WarmRestart(); }},
    };
    const struct {
        CpuStatus status;
        int result;
        Events events;
        bool message;
    } cases[] = {{CPULINK_OK, 1, {}, false},
                 {CPULINK_WRONG_MODE, 0, {}, true},
                 {CPULINK_PASSWORD_REFUSED, 0, {"rec:2"}, true}};
    for (const auto& operation : operations) {
        for (const auto& c : cases) {
            events.clear();
            prompts.messages.clear();
            Answer(c.status);
            EXPECT_EQ(operation.run(*app), c.result) << operation.name << " " << c.status;
            EXPECT_EQ(events, c.events) << operation.name << " " << c.status;
            EXPECT_EQ(prompts.messages, c.message ? QStringList{Text(c.status)} : QStringList{})
                << operation.name << " " << c.status;
        }
    }
    EXPECT_EQ(FakePlc().lastPassword, L"geheim");
}

TEST_F(OperationsTest, AFatalStatusWithoutLibraryTextStillDropsTheConnection) {
    FakePlc().errorTextKnown = false;
    Answer(kFatal);
    EXPECT_EQ(app->StopCpu(), 0);
    EXPECT_EQ(events, (Events{"rec:2"}));
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(OperationsTest, ALostConnectionLeavesTheRecordToTheStationList) {
    Answer(CPULINK_OK);
    app->OpenTcp(0x0100007F);
    Answer(kFatal);
    app->CompressMemory();
    EXPECT_EQ(app->currentConnection, &app->tcpRecord);
    EXPECT_FALSE(recorder->IsConnected());
}

TEST_F(OperationsTest, ThePlcMutexIsFreeWhenThePagesHearOfTheResult) {
    bool mutexFree = false;
    recorder->onEvent = [&](int32_t) {
        mutexFree = app->plcMutex->try_lock();
        if (mutexFree) app->plcMutex->unlock();
    };
    bool heldDuringCall = false;
    FakePlc().duringCall = [&] {
        heldDuringCall = !app->plcMutex->try_lock();
        if (!heldDuringCall) app->plcMutex->unlock();
    };
    Answer(kFatal);
    app->ReadOperationMode();
    EXPECT_TRUE(heldDuringCall);
    EXPECT_TRUE(mutexFree);
}

TEST_F(OperationsTest, ReadingTheClockConvertsTheControllersValue) {
    Answer(FakeAnswer{CPULINK_OK, {12, 34, 5, 6, 11, 126, 0}});
    BrokenDownTime time{};
    EXPECT_EQ(app->GetClock(&time), 1);
    EXPECT_EQ(time.second, 12);
    EXPECT_EQ(time.hour, 5);
    EXPECT_EQ(time.month, 11);
    EXPECT_EQ(time.yearsSince1900, 126);
    EXPECT_TRUE(events.empty());
}

TEST_F(OperationsTest, AnyClockReadFailureDropsTheConnection) {
    for (CpuStatus status : {CpuStatus{CPULINK_NOT_FOUND}, kFatal}) {
        events.clear();
        prompts.messages.clear();
        Answer(status);
        BrokenDownTime time{};
        EXPECT_EQ(app->GetClock(&time), 0);
        EXPECT_EQ(events, (Events{"rec:2"})) << status;
        EXPECT_EQ(prompts.messages, QStringList{Text(status)}) << status;
    }
}

TEST_F(OperationsTest, AClockValueThatDoesNotConvertShowsDateTimeError) {
    FakePlc().clockConversions = false;
    Answer(CPULINK_OK);
    BrokenDownTime time{};
    EXPECT_EQ(app->GetClock(&time), 0);
    Answer(CPULINK_OK);
    EXPECT_EQ(app->SetClock(time), 0);
    EXPECT_EQ(prompts.messages, (QStringList{"Date/Time error", "Date/Time error"}));
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(FakePlc().answers.size(), 1u) << "the clock was set";
}

TEST_F(OperationsTest, SettingTheClockSendsTheConvertedValue) {
    const BrokenDownTime time{32, 13, 23, 5, 11, 126, 6};
    Answer(CPULINK_OK);
    EXPECT_EQ(app->SetClock(time), 1);
    EXPECT_EQ(FakePlc().lastClockSet, (std::vector<uint8_t>{32, 13, 23, 5, 11, 126, 6, 0}));
    Answer(CPULINK_WRONG_MODE);
    EXPECT_EQ(app->SetClock(time), 0);
    EXPECT_EQ(events, (Events{"rec:2"}));
    EXPECT_EQ(prompts.messages, QStringList{Text(CPULINK_WRONG_MODE)});
}

TEST_F(OperationsTest, TheBlockListTellsWhetherMoreEntriesRemain) {
    const struct {
        CpuStatus status;
        int count;
        int result;
        int more;
        Events events;
    } cases[] = {{CPULINK_MORE_ENTRIES, 3, 3, 1, {}},
                 {CPULINK_OK, 2, 2, 0, {}},
                 {CPULINK_NOT_FOUND, 0, 0, 0, {}},
                 {kFatal, 5, -1, 7, {"rec:2"}}};
    for (const auto& c : cases) {
        events.clear();
        Answer(FakeAnswer{c.status, {}, {1, 2, 3}, c.count});
        uint16_t numbers[8] = {};
        int more = 7;
        EXPECT_EQ(app->GetBlockList(BLOCK_TYPE_FC, 40, &more, numbers, 8), c.result) << c.status;
        EXPECT_EQ(more, c.more) << c.status;
        EXPECT_EQ(events, c.events) << c.status;
    }
    EXPECT_EQ(FakePlc().lastType, BLOCK_TYPE_FC);
    EXPECT_EQ(FakePlc().lastStart, 40);
    EXPECT_EQ(prompts.messages, QStringList{Text(kFatal)});
}

TEST_F(OperationsTest, DeletingABlockTellsThePagesOnlyWhenItIsGone) {
    const struct {
        CpuStatus status;
        Events events;
        int messages;
    } cases[] = {{CPULINK_OK, {"rec:8:131077"}, 0},
                 {CPULINK_BLOCK_PROTECTED, {}, 0},
                 {kFatal, {"rec:2"}, 1}};
    for (const auto& c : cases) {
        events.clear();
        prompts.messages.clear();
        Answer(c.status);
        EXPECT_EQ(app->DeleteBlock(BLOCK_TYPE_FC, 5), c.status);
        EXPECT_EQ(events, c.events) << c.status;
        EXPECT_EQ(prompts.messages.size(), c.messages) << c.status;
    }
}

TEST_F(OperationsTest, AnUploadedBlockLandsInTheProject) {
    const std::vector<uint8_t> image = testing::MakeBlockImage(BLOCK_TYPE_DB, 12, 300, 9);
    Answer(FakeAnswer{CPULINK_OK, image});
    EXPECT_EQ(app->UploadBlock(BLOCK_TYPE_DB, 12), CPULINK_OK);
    EXPECT_EQ(FakePlc().lastSize, kUploadBufferSize);
    const uint8_t* stored = app->project->Find(BLOCK_TYPE_DB, 12);
    ASSERT_NE(stored, nullptr);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), stored));
    EXPECT_EQ(events, (Events{"rec:3:196620"}));
}

TEST_F(OperationsTest, AnUploadTheProjectRefusesIsNotAnnounced) {
    const struct {
        std::vector<uint8_t> image;
        CpuStatus status;
        Events events;
    } cases[] = {
        {testing::MakeBlockImage(BLOCK_TYPE_SFC, 1, 100), CPULINK_OK, {}},
        {std::vector<uint8_t>(64, 0x55), CPULINK_OK, {}},
        {testing::MakeBlockImage(BLOCK_TYPE_OB, 1, 100), CPULINK_NOT_FOUND, {}},
        {testing::MakeBlockImage(BLOCK_TYPE_OB, 1, 100), kFatal, {"rec:2"}},
    };
    for (const auto& c : cases) {
        events.clear();
        Answer(FakeAnswer{c.status, c.image});
        EXPECT_EQ(app->UploadBlock(BLOCK_TYPE_OB, 1), c.status);
        EXPECT_EQ(events, c.events) << c.status;
        EXPECT_EQ(app->project->BlockCount(), 0) << c.status;
    }
}

TEST_F(OperationsTest, DownloadingSendsTheProjectsImage) {
    const std::vector<uint8_t> image = testing::MakeBlockImage(BLOCK_TYPE_FB, 3, 200, 4);
    ASSERT_TRUE(app->project->Add(image.data(), image.size()));
    Answer(CPULINK_OK);
    EXPECT_EQ(app->DownloadBlock(BLOCK_TYPE_FB, 3), CPULINK_OK);
    EXPECT_EQ(FakePlc().lastDownload, image);
    EXPECT_EQ(events, (Events{"rec:7:65539"}));

    events.clear();
    Answer(CPULINK_BLOCK_PROTECTED);
    EXPECT_EQ(app->DownloadBlock(BLOCK_TYPE_FB, 3), CPULINK_BLOCK_PROTECTED);
    Answer(kFatal);
    EXPECT_EQ(app->DownloadBlock(BLOCK_TYPE_FB, 3), kFatal);
    EXPECT_EQ(events, (Events{"rec:2"}));
}

TEST_F(OperationsTest, ABlockMissingFromTheProjectIsNotDownloaded) {
    Answer(kFatal);
    EXPECT_EQ(app->DownloadBlock(BLOCK_TYPE_FB, 3), CPULINK_OK);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(FakePlc().answers.size(), 1u) << "the library was called";
}

TEST_F(OperationsTest, CompressingReportsOnlyAFatalStatus) {
    Answer(CPULINK_WRONG_MODE);
    app->CompressMemory();
    EXPECT_EQ(FakePlc().lastTimeoutMs, 30000u);
    EXPECT_TRUE(prompts.messages.isEmpty());
    Answer(kFatal);
    app->CompressMemory();
    EXPECT_EQ(events, (Events{"rec:2"}));
    EXPECT_EQ(prompts.messages, QStringList{Text(kFatal)});
}

TEST_F(OperationsTest, VariableExchangesReportOnlyAFatalStatus) {
    for (bool write : {false, true}) {
        for (CpuStatus status :
             {CpuStatus{CPULINK_OK}, CpuStatus{CPULINK_ADDRESS_OUT_OF_RANGE}, kFatal}) {
            events.clear();
            prompts.messages.clear();
            Answer(status);
            EXPECT_EQ(write ? app->WriteVariables(nullptr, 0) : app->ReadVariables(nullptr, 0),
                      status);
            const bool fatal = status == kFatal;
            EXPECT_EQ(events, fatal ? Events{"rec:2"} : Events{}) << write << " " << status;
            EXPECT_EQ(prompts.messages.size(), fatal ? 1 : 0) << write << " " << status;
        }
    }
}

// A page that polls the controller on the tick: the lost connection reaches every page,
// the earlier ones included, before the tick goes on to the later pages.
TEST_F(OperationsTest, AFatalStatusDuringATickRaisesANestedDisconnect) {
    CMainSheet sheet(QStringLiteral("Vexal"), nullptr, 0);
    auto* poller = new testing::CRecordingPage(&events, "poll");
    sheet.AddSheetPage(new testing::CRecordingPage(&events, "a"));
    sheet.AddSheetPage(poller);
    sheet.AddSheetPage(new testing::CRecordingPage(&events, "b"));
    poller->onEvent = [this](int32_t code) {
        if (code == kPageTick) app->ReadOperationMode();
    };
    CMainSheet* running = app->sheet;
    app->sheet = &sheet;
    Answer(kFatal);

    sheet.OnTimer(CMainSheet::kTickTimerId);

    app->sheet = running;
    EXPECT_EQ(events, (Events{"a:0", "poll:0", "a:2", "poll:2", "b:2", "b:0"}));
    EXPECT_EQ(prompts.messages, QStringList{Text(kFatal)});
}

}  // namespace
}  // namespace vexal
