#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "busport.h"
#include "cpulink.h"
#include "loopback_simulator.h"
#include "sim_options.h"
#include "sim_publish.h"
#include "simulator.h"
#include "stopwatch.h"
#include "tcp_socket.h"
#include "temp_dir.h"

namespace vexal {
namespace {

using testing::Seconds;

void WriteText(const std::string& path, const std::string& text) {
    testing::WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

// The addresses that answer a scan of the bus, made as the station list makes it.
std::vector<int> Scan(int adapter) {
    BusParameters bus{};
    EXPECT_NE(Busport_GetCurNetPrm(adapter, &bus), 0);
    const int limit = std::min<int>(bus.bytes[BUSPORT_HIGHEST_ADDRESS_BYTE], BUSPORT_MAX_STATION);
    std::vector<int> found;
    for (int address = 0; address < limit; ++address) {
        if (address != bus.bytes[BUSPORT_OWN_ADDRESS_BYTE] &&
            Busport_CheckRemoteOnline(adapter, static_cast<uint8_t>(address)) != 0) {
            found.push_back(address);
        }
    }
    return found;
}

// Two simulated stations published on one bus file with endpoints of their own, and a
// simulated gateway with stations 5 and 40 behind it for every other address, reached
// through the real adapter.
class MpiLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("VEXAL_S7_TIMEOUT_MS", "3000", 1);
        setenv("VEXAL_S7_CONNECT_MS", "3000", 1);
        setenv("VEXAL_S7_PORT", "1", 1);  // an MPI station's port comes from the bus file
        setenv("VEXAL_MPI_BUS", busFile.c_str(), 1);
        sim::SimOptions options;
        options.listen = {{"127.0.0.1", 0}};
        options.mpiStations = {5, 40};
        gateway = std::make_unique<sim::Simulator>(options);
        std::string error;
        ASSERT_TRUE(gateway->Start(&error)) << error;
        WriteText(busFile, "own 0\nhighest 126\ngateway " + gateway->Addresses().front() + "\n");
        adapter = Busport_Open();  // going online reads what was published since
        ASSERT_NE(adapter, BUSPORT_INVALID_HANDLE);
        stations.push_back(StartStation(2, sim::OperatingMode::kRun));
        stations.push_back(StartStation(3, sim::OperatingMode::kStop));
    }
    void TearDown() override {
        cpuLink_DestroyConnection(&record);
        Busport_GoOffline(adapter);
        Busport_Close(adapter);
        for (auto& station : stations) {
            if (station) station->Stop();
        }
        if (gateway) gateway->Stop();
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
    std::unique_ptr<sim::Simulator> gateway;
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
    ASSERT_EQ(cpuBus_OpenConnection(&record, 40), CPULINK_OK) << "through the gateway";
    EXPECT_EQ(cpuLink_Stop(&record), CPULINK_OK);
    EXPECT_EQ(gateway->Station(40)->Mode(), sim::OperatingMode::kStop);
    EXPECT_EQ(gateway->Station(5)->Mode(), sim::OperatingMode::kRun);
}

// A scan asks the gateway for every address without an endpoint of its own, finds what
// is behind it, in bounded time, and leaves no connection open.
TEST_F(MpiLinkTest, AScanFindsExactlyTheStationsBehindTheGatewayAndOnTheBus) {
    ASSERT_NE(Busport_GoOnlineDefault(adapter), 0);
    std::vector<int> found;
    EXPECT_LT(Seconds([&] { found = Scan(adapter); }), 2.0);
    EXPECT_EQ(found, (std::vector<int>{2, 3, 5, 40}));
    for (int wait = 0; wait < 100 && gateway->ConnectionCount() > 0; ++wait) platform::SleepMs(10);
    EXPECT_EQ(gateway->ConnectionCount(), 0u);
}

// Addresses the gateway holds no station for are refused by it.
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

// A gateway at the network boundary that meets every connection request the same way:
// with `answer` and a close, or, when `holds`, with silence; it counts the connections
// its clients keep open at once.
class ScriptedGateway {
public:
    ScriptedGateway(std::vector<uint8_t> answer, bool holds) {
        std::string error;
        EXPECT_TRUE(listener.Listen("127.0.0.1", 0, &error)) << error;
        thread_ = std::thread([this, answer, holds] {
            for (platform::TcpStream stream;
                 listener.Accept(&stream, -1) == platform::IoResult::kOk;) {
                uint8_t request[22];
                stream.ReceiveExact(request, sizeof request, platform::MonotonicMs() + 1000);
                stream.SendAll(answer.data(), answer.size(), 1000);
                if (!holds) continue;
                DropClosed();
                held_.push_back(std::move(stream));
                mostAtOnce = std::max(mostAtOnce, held_.size());
            }
        });
    }
    // Ends the accepting; then the connections that the clients still hold.
    size_t Stop() {
        listener.Shutdown();
        thread_.join();
        DropClosed();
        return held_.size();
    }

    platform::TcpListener listener;
    size_t mostAtOnce = 0;

private:
    void DropClosed() {
        std::erase_if(held_, [](platform::TcpStream& stream) {
            uint8_t byte = 0;
            size_t got = 0;
            return stream.ReceiveSome(&byte, 1, &got, 1) != platform::IoResult::kTimeout;
        });
    }

    std::thread thread_;
    std::vector<platform::TcpStream> held_;
};

// However a gateway refuses, a scan through it finds nothing and a connection ends with
// the adapter's error, each within its bound; a silent gateway never sees more probes at
// once than the bus file allows, and none is left open.
TEST(GatewayRefusals, EndPromptlyWithTheAdaptersError) {
    testing::TempDir dir;
    const std::string bus = dir.File("bus");
    setenv("VEXAL_MPI_BUS", bus.c_str(), 1);
    setenv("VEXAL_S7_CONNECT_MS", "500", 1);
    const struct {
        const char* what;
        std::vector<uint8_t> answer;
        bool holds;
    } cases[] = {{"DR, address unknown", {3, 0, 0, 11, 6, 0x80, 0, 1, 0, 1, 3}, false},
                 {"ER, invalid parameter value", {3, 0, 0, 9, 4, 0x70, 0, 1, 3}, false},
                 {"close", {}, false},
                 {"silence", {}, true}};
    for (const auto& c : cases) {
        ScriptedGateway gateway(c.answer, c.holds);
        // 30 addresses, 10 rounds of at most 100 ms.
        WriteText(bus, "own 0\nhighest 31\nprobes 3 100\ngateway " +
                           gateway.listener.LocalAddress() + "\n");
        const int adapter = Busport_Open();
        ASSERT_NE(Busport_GoOnlineDefault(adapter), 0);
        std::vector<int> found;
        EXPECT_LT(Seconds([&] { found = Scan(adapter); }), 2.0) << c.what;
        EXPECT_TRUE(found.empty()) << c.what;
        CpuConnection record{};
        ASSERT_EQ(cpuBus_InitConnection(&record, adapter), CPULINK_OK);
        CpuStatus status = CPULINK_OK;
        EXPECT_LT(Seconds([&] { status = cpuBus_OpenConnection(&record, 2); }), 1.0) << c.what;
        EXPECT_EQ(status, CPULINK_ADAPTER_OFFLINE) << c.what;
        cpuLink_DestroyConnection(&record);
        Busport_Close(adapter);
        EXPECT_EQ(gateway.Stop(), 0u) << c.what;
        EXPECT_EQ(gateway.mostAtOnce, c.holds ? 3u : 0u) << c.what;
    }
}

}  // namespace
}  // namespace vexal
