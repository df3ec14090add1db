// The discovery engine scanning a scripted segment: which stations it keeps, in which
// order, what it sends, and how it survives faults of the device.
#include "eth_discovery.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "scripted_net.h"

namespace vexal {
namespace {

using testing::AddressAnswer;
using testing::Bytes;
using testing::IdentifyAnswer;
using testing::kScannerMac;
using testing::ScriptedNet;
using testing::Station;
using testing::StationMac;

std::string Dotted(const uint8_t* quad) {
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", quad[0], quad[1], quad[2], quad[3]);
    return text;
}

// "identify" or "address N" for a request to station N.
std::string Describe(const Bytes& frame) {
    if (frame.size() >= 24 && frame[22] == 0x05) return "identify";
    return "address " + std::to_string(frame[5]);
}

class ScanTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(engine.StartDiscovery()); }

    bool RunScan() { return engine.Scan(L"scr0", &table); }

    std::vector<std::string> FoundIps() const {
        std::vector<std::string> ips;
        for (int i = 0; i < table.Count(); ++i) ips.push_back(Dotted(table.At(i).ip));
        return ips;
    }

    std::vector<std::string> Requests() const {
        std::vector<std::string> requests;
        for (const auto& written : net->Written()) requests.push_back(Describe(written.bytes));
        return requests;
    }

    std::shared_ptr<ScriptedNet> net = ScriptedNet::Install();
    CEthDiscovery engine;
    StationTable table;
};

TEST_F(ScanTest, EmptyNetSucceedsWithNoStationAfterTwoSilentPasses) {
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(RunScan());
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(table.Count(), 0);
    EXPECT_GE(elapsed, std::chrono::milliseconds(320));
    EXPECT_LT(elapsed, std::chrono::seconds(5));
    const Bytes identify = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x00, 0x00, 0x00, 0x00, 0x01,
                            0x00, 0x0A, 0xAA, 0xAA, 0x03, 0x08, 0x00, 0x06, 0x01, 0xFD, 0x05, 0x00};
    const auto written = net->Written();
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[0].bytes, identify);
    EXPECT_EQ(written[1].bytes, identify);
    EXPECT_EQ(net->BoundName(), "scr0");
    EXPECT_EQ(net->OpenDevices(), 0);
}

TEST_F(ScanTest, StationAnsweringRepeatedlyIsListedOnceAtItsFirstPlace) {
    auto first = Station(1, {192, 168, 0, 11});
    first.identifyDelaysMs = {{0, 1}, {0}};  // twice in the first pass, again in the second
    auto second = Station(2, {192, 168, 0, 12});
    second.identifyDelaysMs = {{5}, {0}};
    auto late = Station(3, {192, 168, 0, 13});
    late.identifyDelaysMs = {{}, {3}};  // only the second pass hears it
    net->stations = {late, second, first};
    ASSERT_TRUE(RunScan());
    EXPECT_EQ(FoundIps(),
              (std::vector<std::string>{"192.168.0.11", "192.168.0.12", "192.168.0.13"}));
    EXPECT_EQ(Requests(), (std::vector<std::string>{"identify", "identify", "address 1",
                                                    "address 2", "address 3"}));
    const Bytes addressRequest = {0x02, 0x10, 0x00, 0x00, 0x00, 0x01, 0x02, 0x00, 0x00, 0x00,
                                  0x00, 0x01, 0x00, 0x0E, 0xAA, 0xAA, 0x03, 0x08, 0x00, 0x06,
                                  0x01, 0xFD, 0x03, 0x00, 0x07, 0x00, 0x02, 0x00};
    EXPECT_EQ(net->Written()[2].bytes, addressRequest);
    const testing::Mac firstMac = StationMac(1);
    EXPECT_EQ(std::vector<uint8_t>(table.At(0).mac, table.At(0).mac + 6),
              std::vector<uint8_t>(firstMac.begin(), firstMac.end()));
    EXPECT_EQ(Dotted(table.At(0).mask), "255.255.255.0");
}

TEST_F(ScanTest, StationsOutsideTheAdaptersNetworkOrMaskAreDropped) {
    net->stations = {Station(1, {192, 168, 0, 7}, {255, 255, 0, 0}), Station(2, {192, 168, 1, 9}),
                     Station(3, {192, 168, 0, 8}), Station(4, {10, 0, 0, 8})};
    net->stations[1].identifyDelaysMs = {{1}};
    net->stations[2].identifyDelaysMs = {{2}};
    net->stations[3].identifyDelaysMs = {{3}};
    ASSERT_TRUE(RunScan());
    EXPECT_EQ(FoundIps(), std::vector<std::string>{"192.168.0.8"});
}

TEST_F(ScanTest, StationSilentOnTheAddressRequestIsDroppedAndTheNextAskedAtOnce) {
    net->stations = {Station(1, {192, 168, 0, 11}), Station(2, {192, 168, 0, 12})};
    net->stations[0].answersAddress = false;
    net->stations[1].identifyDelaysMs = {{2}};
    ASSERT_TRUE(RunScan());
    EXPECT_EQ(FoundIps(), std::vector<std::string>{"192.168.0.12"});
    const auto written = net->Written();
    ASSERT_EQ(written.size(), 4u);
    EXPECT_EQ(Describe(written[2].bytes), "address 1");
    EXPECT_EQ(Describe(written[3].bytes), "address 2");
    EXPECT_GE(written[3].at - written[2].at, std::chrono::milliseconds(20));
    EXPECT_LT(written[3].at - written[2].at, std::chrono::seconds(2));
}

TEST_F(ScanTest, AddressAnswerWithLengthFieldBelow30IsIgnored) {
    net->stations = {Station(1, {192, 168, 0, 11}), Station(2, {192, 168, 0, 12})};
    net->stations[0].addressLengthField = 29;
    net->stations[1].identifyDelaysMs = {{2}};
    ASSERT_TRUE(RunScan());
    EXPECT_EQ(FoundIps(), std::vector<std::string>{"192.168.0.12"});
}

TEST_F(ScanTest, OwnFramesAreIgnored) {
    net->echoOwnFrames = true;
    net->stations = {Station(1, {192, 168, 0, 11})};
    net->onWrite = [](const Bytes& frame, int, ScriptedNet& segment) {
        if (frame[22] == 0x05) segment.Deliver(IdentifyAnswer(kScannerMac), 1);
        if (frame[22] == 0x03) {
            segment.Deliver(AddressAnswer(kScannerMac, {192, 168, 0, 1}, {255, 255, 255, 0}));
        }
    };
    ASSERT_TRUE(RunScan());
    EXPECT_EQ(FoundIps(), std::vector<std::string>{"192.168.0.11"});
}

TEST_F(ScanTest, FramesFromOtherStationsAreIgnoredWhileOneIsAsked) {
    net->stations = {Station(1, {192, 168, 0, 11}), Station(2, {192, 168, 0, 12})};
    net->stations[0].addressDelayMs = 8;
    net->stations[1].identifyDelaysMs = {{2}};
    net->onWrite = [](const Bytes& frame, int, ScriptedNet& segment) {
        if (frame[22] != 0x03) return;
        segment.Deliver(AddressAnswer(StationMac(9), {192, 168, 0, 99}, {255, 255, 255, 0}));
        segment.Deliver(IdentifyAnswer(StationMac(9)));
    };
    ASSERT_TRUE(RunScan());
    EXPECT_EQ(FoundIps(), (std::vector<std::string>{"192.168.0.11", "192.168.0.12"}));
}

TEST_F(ScanTest, IdentifyAnswerOfTheAskedStationIsNotTakenForItsAddress) {
    net->stations = {Station(1, {192, 168, 0, 11})};
    net->stations[0].addressDelayMs = 8;
    net->onWrite = [](const Bytes& frame, int, ScriptedNet& segment) {
        if (frame[22] == 0x03) segment.Deliver(IdentifyAnswer(StationMac(1)));
    };
    ASSERT_TRUE(RunScan());
    EXPECT_EQ(FoundIps(), std::vector<std::string>{"192.168.0.11"});
}

TEST_F(ScanTest, SecondAddressAnswerIsNotTakenForTheNextStation) {
    net->stations = {Station(1, {192, 168, 0, 11}), Station(2, {192, 168, 0, 12})};
    net->stations[1].identifyDelaysMs = {{2}};
    net->stations[1].answersAddress = false;
    net->cancelDelayMs = 10;  // the repeated answer arrives before the read ends
    net->onWrite = [](const Bytes& frame, int, ScriptedNet& segment) {
        if (frame[22] == 0x03 && frame[5] == 1) {
            segment.Deliver(AddressAnswer(StationMac(1), {192, 168, 0, 11}, {255, 255, 255, 0}), 2);
        }
    };
    ASSERT_TRUE(RunScan());
    EXPECT_EQ(FoundIps(), std::vector<std::string>{"192.168.0.11"});
}

TEST_F(ScanTest, AnswersLessThan160msApartKeepThePassGoing) {
    for (int i = 0; i < 5; ++i) {
        net->stations.push_back(Station(i + 1, {192, 168, 0, static_cast<uint8_t>(20 + i)}));
        net->stations.back().identifyDelaysMs = {{100 * i}};
    }
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(RunScan());
    EXPECT_EQ(table.Count(), 5);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2 * (400 + 160)));
}

TEST_F(ScanTest, BurstOfManyAnswersKeepsEveryListedStationUniqueAndAsked) {
    for (int i = 0; i < 200; ++i) {
        net->stations.push_back(Station(i, {192, 168, 0, static_cast<uint8_t>(i)}));
    }
    ASSERT_TRUE(RunScan());
    EXPECT_GE(table.Count(), 63);
    EXPECT_LE(table.Count(), 200);
    std::set<std::string> ips;
    for (int i = 0; i < table.Count(); ++i) {
        EXPECT_EQ(table.At(i).mac[5], table.At(i).ip[3]);
        ips.insert(Dotted(table.At(i).ip));
    }
    EXPECT_EQ(static_cast<int>(ips.size()), table.Count());
}

TEST_F(ScanTest, MoreThan512StationsFillTheTableAndTheRestAreDropped) {
    for (int i = 0; i < 600; ++i) {
        auto station = Station(i, {10, 1, static_cast<uint8_t>(i >> 8), static_cast<uint8_t>(i)},
                               {255, 255, 0, 0});
        station.identifyDelaysMs = {{i / 40}};
        net->stations.push_back(station);
    }
    ScriptedNet::ScriptAdapters({ScriptedNet::ScanAdapter("scr0", "10.1.0.1", "255.255.0.0")});
    ASSERT_TRUE(RunScan());
    EXPECT_GT(table.Count(), 63);
    EXPECT_LE(table.Count(), StationTable::kCapacity);
    std::set<int> numbers;
    for (int i = 0; i < table.Count(); ++i) {
        const StationEntry& entry = table.At(i);
        EXPECT_EQ(entry.mac[4], entry.ip[2]);
        EXPECT_EQ(entry.mac[5], entry.ip[3]);
        numbers.insert(entry.mac[4] << 8 | entry.mac[5]);
    }
    EXPECT_EQ(static_cast<int>(numbers.size()), table.Count());
}

struct WriteFault {
    const char* name;
    int failingWrite;
    bool isShort;
};

std::string WriteFaultName(const ::testing::TestParamInfo<WriteFault>& fault) {
    return fault.param.name;
}

class FailedWriteTest : public ScanTest, public ::testing::WithParamInterface<WriteFault> {};

TEST_P(FailedWriteTest, FailsTheScanWithoutCloseAndLeavesTheEngineUsable) {
    net->stations = {Station(1, {192, 168, 0, 11})};
    net->failingWrite = GetParam().failingWrite;
    net->failingWriteIsShort = GetParam().isShort;
    EXPECT_FALSE(RunScan());
    EXPECT_EQ(net->OpenDevices(), 0);
    EXPECT_EQ(static_cast<int>(net->Written().size()), GetParam().failingWrite);
    ASSERT_TRUE(RunScan());
    EXPECT_EQ(FoundIps(), std::vector<std::string>{"192.168.0.11"});
}

INSTANTIATE_TEST_SUITE_P(Writes, FailedWriteTest,
                         ::testing::Values(WriteFault{"FirstIdentify", 1, false},
                                           WriteFault{"SecondIdentifyShort", 2, true},
                                           WriteFault{"AddressRequest", 3, false}),
                         WriteFaultName);

TEST_F(ScanTest, ReadEndingByItselfDuringAPassFailsTheScanAndClosesTheDevice) {
    net->stations = {Station(1, {192, 168, 0, 11})};
    net->onWrite = [](const Bytes&, int number, ScriptedNet& segment) {
        if (number == 1) segment.Deliver({}, 30, true);
    };
    EXPECT_FALSE(RunScan());
    EXPECT_EQ(net->OpenDevices(), 0);
    ASSERT_TRUE(RunScan());
    EXPECT_EQ(table.Count(), 1);
}

TEST_F(ScanTest, ReadEndingByItselfWhileAStationIsAskedDropsOnlyThatStation) {
    net->stations = {Station(1, {192, 168, 0, 11}), Station(2, {192, 168, 0, 12})};
    net->stations[0].answersAddress = false;
    net->stations[1].identifyDelaysMs = {{2}};
    net->onWrite = [](const Bytes& frame, int, ScriptedNet& segment) {
        if (frame[22] == 0x03 && frame[5] == 1) segment.Deliver({}, 2, true);
    };
    ASSERT_TRUE(RunScan());
    EXPECT_EQ(FoundIps(), std::vector<std::string>{"192.168.0.12"});
    EXPECT_EQ(net->OpenDevices(), 0);
}

TEST_F(ScanTest, DeviceThatCannotBeOpenedOrBoundFailsTheScan) {
    net->failOpen = true;
    EXPECT_FALSE(RunScan());
    net->failOpen = false;
    ScriptedNet::ScriptAdapters({ScriptedNet::ScanAdapter("other0")});
    EXPECT_FALSE(engine.Scan(L"other0", &table));  // the segment binds only to scr0
    EXPECT_EQ(net->OpenDevices(), 0);
    ScriptedNet::ScriptAdapters({ScriptedNet::ScanAdapter()});
    EXPECT_TRUE(RunScan());
}

TEST_F(ScanTest, UnusableAdapterFailsBeforeTheDeviceIsTouched) {
    auto noAddress = ScriptedNet::ScanAdapter("noip0", "", "");
    auto loopback = ScriptedNet::ScanAdapter("lo");
    loopback.type = platform::kAdapterTypeLoopback;
    auto shortMac = ScriptedNet::ScanAdapter("short0");
    shortMac.hardwareAddressLength = 4;
    ScriptedNet::ScriptAdapters({noAddress, loopback, shortMac});
    const std::wstring tooLong(300, L'x');
    for (const wchar_t* name : {L"noip0", L"lo", L"short0", L"absent0", tooLong.c_str()}) {
        EXPECT_FALSE(engine.Scan(name, &table)) << name;
    }
    EXPECT_EQ(net->Opens(), 0);
}

TEST(ScanWithoutStart, Fails) {
    auto net = ScriptedNet::Install();
    CEthDiscovery engine;
    StationTable table;
    EXPECT_FALSE(engine.Scan(L"scr0", &table));
    EXPECT_EQ(net->Opens(), 0);
}

}  // namespace
}  // namespace vexal
