#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "busport.h"
#include "cpulink.h"
#include "loopback_simulator.h"
#include "sim_options.h"
#include "sim_publish.h"
#include "simulator.h"
#include "temp_dir.h"

namespace vexal {
namespace {

// Two simulated stations published on one bus file, reached through the real adapter.
class MpiLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("VEXAL_S7_TIMEOUT_MS", "3000", 1);
        setenv("VEXAL_S7_CONNECT_MS", "3000", 1);
        setenv("VEXAL_S7_PORT", "1", 1);  // an MPI station's port comes from the bus file
        setenv("VEXAL_MPI_BUS", busFile.c_str(), 1);
        stations.push_back(StartStation(2, sim::OperatingMode::kRun));
        stations.push_back(StartStation(3, sim::OperatingMode::kStop));
        adapter = Busport_Open();
        ASSERT_NE(adapter, BUSPORT_INVALID_HANDLE);
    }
    void TearDown() override {
        cpuLink_DestroyConnection(&record);
        Busport_GoOffline(adapter);
        Busport_Close(adapter);
        for (auto& station : stations) {
            if (station) station->Stop();
        }
    }

    std::unique_ptr<sim::Simulator> StartStation(int address, sim::OperatingMode mode) {
        sim::SimOptions options;
        options.mode = mode;
        options.mpiBusFile = busFile;
        options.mpiAddress = address;
        auto station = testing::StartLoopbackSimulator(options);
        std::string error;
        EXPECT_TRUE(station && sim::PublishOnMpiBus(options, station->Addresses().front(), &error))
            << error;
        return station;
    }

    CpuStatus OpenStation(int address) {
        EXPECT_NE(Busport_GoOnlineDefault(adapter), 0);
        EXPECT_EQ(cpuBus_InitConnection(&record, adapter), CPULINK_OK);
        return cpuBus_OpenConnection(&record, address);
    }

    testing::TempDir dir;
    std::string busFile = dir.File("bus");
    std::vector<std::unique_ptr<sim::Simulator>> stations;
    int adapter = BUSPORT_INVALID_HANDLE;
    CpuConnection record{};
};

// Each address reaches its own station, with the calls of a TCP link.
TEST_F(MpiLinkTest, EachAddressReachesItsOwnStation) {
    ASSERT_EQ(OpenStation(3), CPULINK_OK);
    EXPECT_EQ(cpuLink_WarmRestart(&record), CPULINK_OK);
    EXPECT_EQ(stations[1]->Controller().Mode(), sim::OperatingMode::kRun);
    ASSERT_EQ(cpuBus_OpenConnection(&record, 2), CPULINK_OK) << "reopening drops the old link";
    std::vector<uint8_t> image(CPULINK_MAX_BLOCK_IMAGE);
    ASSERT_EQ(cpuLink_UploadBlock(&record, BLOCK_TYPE_OB, 1, image.data(),
                                  static_cast<uint32_t>(image.size())),
              CPULINK_OK);
    EXPECT_EQ(cpuLink_GetBlockType(image.data()), BLOCK_TYPE_OB);
    EXPECT_EQ(cpuLink_Stop(&record), CPULINK_OK);
    EXPECT_EQ(stations[0]->Controller().Mode(), sim::OperatingMode::kStop);
    EXPECT_EQ(stations[1]->Controller().Mode(), sim::OperatingMode::kRun);
}

TEST_F(MpiLinkTest, WhatIsNotOnTheBusIsFatal) {
    for (int address : {4, 0, 126, 127, -1, 255}) {
        const CpuStatus status = OpenStation(address);
        EXPECT_EQ(status, CPULINK_ADAPTER_OFFLINE) << address;
        EXPECT_TRUE(CpuStatus_IsFatal(status));
        EXPECT_EQ(cpuLink_Stop(&record), CPULINK_NOT_CONNECTED) << address;
    }
}

TEST_F(MpiLinkTest, AnAdapterMustBeOpenToBindAndOnlineToConnect) {
    EXPECT_EQ(cpuBus_InitConnection(&record, BUSPORT_INVALID_HANDLE), CPULINK_ADAPTER_OFFLINE);
    EXPECT_EQ(cpuBus_InitConnection(&record, adapter + 1), CPULINK_ADAPTER_OFFLINE);
    ASSERT_EQ(cpuBus_InitConnection(&record, adapter), CPULINK_OK) << "open but not online";
    EXPECT_EQ(cpuBus_OpenConnection(&record, 2), CPULINK_ADAPTER_OFFLINE);
    ASSERT_NE(Busport_GoOnlineDefault(adapter), 0);
    EXPECT_EQ(cpuBus_OpenConnection(&record, 2), CPULINK_OK);
    Busport_GoOffline(adapter);
    EXPECT_EQ(cpuBus_OpenConnection(&record, 2), CPULINK_ADAPTER_OFFLINE);
    CpuConnection never{};
    EXPECT_EQ(cpuBus_OpenConnection(&never, 2), CPULINK_ADAPTER_OFFLINE);
}

TEST(SimulatorBusOptions, BusFileAndAddressGoTogether) {
    const struct {
        std::vector<const char*> args;
        bool valid;
    } cases[] = {
        {{"--mpi-bus", "/tmp/x", "--mpi-address", "5"}, true},
        {{"--mpi-bus", "/tmp/x"}, false},
        {{"--mpi-address", "5"}, false},
        {{"--mpi-bus", "/tmp/x", "--mpi-address", "127"}, false},
        {{"--mpi-bus", "/tmp/x", "--mpi-address", "-1"}, false},
        {{"--discovery", "eth0", "--ip", "10.0.0.2", "--mask", "255.0.0.0"}, true},
        {{"--discovery", "eth0", "--ip", "10.0.0.2"}, false},
        {{"--ip", "10.0.0.2", "--mask", "255.0.0.0"}, false},
    };
    for (const auto& c : cases) {
        sim::SimOptions options;
        std::string error;
        EXPECT_EQ(
            sim::ParseSimOptions(static_cast<int>(c.args.size()), c.args.data(), &options, &error),
            c.valid)
            << c.args[0] << " " << c.args.size() << " " << error;
    }
}

}  // namespace
}  // namespace vexal
