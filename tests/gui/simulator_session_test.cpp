// The application's operations over the real libraries against an in-process simulator.
#include <cstdlib>

#include "bus_file.h"
#include "page_session.h"

namespace vexal {
namespace {

using testing::Events;

// The application with one more page that writes down every event; the sheet is hidden
// again once its pages are initialised, so that only the operations raise events.
class SimulatorSessionTest : public testing::PageSession {
protected:
    void StartApp() {
        PageSession::StartApp();
        app->Sheet()->hide();
        recorder = new testing::CRecordingPage(app->MakePageContext(), &events, "rec");
        app->Sheet()->AddSheetPage(recorder);
    }
    void TearDown() override {
        PageSession::TearDown();
        unsetenv("VEXAL_MPI_BUS");
    }

    testing::CRecordingPage* recorder = nullptr;
    Events events;
};

TEST_F(SimulatorSessionTest, EveryOperationWorksOverTcp) {
    StartSimulator();
    StartApp();
    ASSERT_EQ(app->OpenTcp(testing::kLoopbackKey), 1);
    EXPECT_EQ(events, Events{"rec:1"});
    EXPECT_TRUE(recorder->IsConnected());
    events.clear();

    EXPECT_EQ(app->ReadKeySwitch(), 0) << "RUN-P";
    LedStates leds{};
    EXPECT_EQ(app->ReadLeds(&leds), 1);
    EXPECT_NE(leds.run, 0);
    EXPECT_EQ(leds.stop, 0);
    int rows = 0;
    MemoryRow memory[3] = {};
    EXPECT_EQ(app->ReadMemoryUsage(&rows, memory), CPULINK_OK);
    EXPECT_GE(rows, 2);
    EXPECT_EQ(memory[0].areaCode, 0);
    EXPECT_EQ(app->ReadMemoryAreas(&rows, memory), CPULINK_OK);
    EXPECT_EQ(rows, 2);
    EXPECT_GT(memory[0].usedBytes, 0);

    const BrokenDownTime set{32, 13, 23, 5, 11, 126, 6};
    ASSERT_EQ(app->SetClock(set), 1);
    BrokenDownTime read{};
    ASSERT_EQ(app->GetClock(&read), 1);
    EXPECT_EQ((std::array{read.yearsSince1900, read.month, read.dayOfMonth, read.hour}),
              (std::array{126, 11, 5, 23}));

    uint16_t numbers[64] = {};
    int more = 1;
    ASSERT_GE(app->GetBlockList(BLOCK_TYPE_OB, 0, &more, numbers, 64), 1);
    EXPECT_EQ(more, 0);
    ASSERT_EQ(app->UploadBlock(BLOCK_TYPE_OB, numbers[0]), CPULINK_OK);
    EXPECT_NE(app->Project().Find(BLOCK_TYPE_OB, numbers[0]), nullptr);
    ASSERT_EQ(app->DeleteBlock(BLOCK_TYPE_OB, numbers[0]), CPULINK_OK);
    EXPECT_EQ(app->DeleteBlock(BLOCK_TYPE_OB, numbers[0]), CPULINK_NOT_FOUND);
    ASSERT_EQ(app->DownloadBlock(BLOCK_TYPE_OB, numbers[0]), CPULINK_OK);
    const std::string ref = ":" + std::to_string(BlockRef_Pack(BLOCK_TYPE_OB, numbers[0]));
    EXPECT_EQ(events, (Events{"rec:3" + ref, "rec:8" + ref, "rec:7" + ref}));
    EXPECT_TRUE(messages.isEmpty());

    const int running = app->ReadOperationMode();
    ASSERT_GE(running, 0);
    ASSERT_EQ(app->StopCpu(), 1);
    EXPECT_NE(app->ReadOperationMode(), running);
    EXPECT_EQ(app->StopCpu(), 0) << "a stopped controller refuses another stop";
    EXPECT_EQ(messages.size(), 1);
    ASSERT_EQ(app->WarmRestart(), 1);
    EXPECT_EQ(app->ReadOperationMode(), running);
    std::vector<uint8_t> buffer(2000);
    int entries = 0;
    EXPECT_EQ(app->ReadDiagBuffer(buffer.data(), &entries, 2000), CPULINK_OK);
    EXPECT_GE(entries, 2) << "the stop and the restart";

    app->CloseConnection();
    EXPECT_FALSE(recorder->IsConnected());
    EXPECT_EQ(app->CurrentConnection(), nullptr);
}

// The record stays current: closing it is left to the station list.
TEST_F(SimulatorSessionTest, ALostConnectionDisconnectsEveryPageWithTheLibraryText) {
    sim::SimOptions options;
    options.dropAfter = 2;
    StartSimulator(options);
    StartApp();
    ASSERT_EQ(app->OpenTcp(testing::kLoopbackKey), 1);
    events.clear();

    EXPECT_EQ(app->ReadOperationMode(), -1);

    EXPECT_EQ(events, Events{"rec:2"});
    for (int index = 0; index < app->Sheet()->PageCount(); ++index) {
        EXPECT_FALSE(app->Sheet()->Page(index)->IsConnected()) << index;
    }
    ASSERT_EQ(messages.size(), 1);
    EXPECT_FALSE(messages.front().isEmpty());
    EXPECT_EQ(app->CurrentConnection(), app->TcpRecord());
}

TEST_F(SimulatorSessionTest, StationsOnTheMpiBusAreFoundAndOpened) {
    StartSimulator();
    const std::string bus = profile.Path() + "/bus";
    std::string error;
    ASSERT_TRUE(busport::PublishStation(bus, 2, testing::kLoopbackKey, simulator->Port(), &error)) << error;
    setenv("VEXAL_MPI_BUS", bus.c_str(), 1);
    StartApp();
    ASSERT_EQ(app->mpiEnabled, 1);

    MpiStations stations{};
    ASSERT_TRUE(app->ScanMpiStations(&stations));
    ASSERT_EQ(std::vector<int>(stations.addresses, stations.addresses + stations.count),
              std::vector<int>{2});
    ASSERT_EQ(app->OpenMpi(2), 1) << messages.join(" ").toStdString();
    EXPECT_EQ(app->CurrentConnection(), app->MpiRecord());
    EXPECT_EQ(app->ReadKeySwitch(), 0);
}

}  // namespace
}  // namespace vexal
