// The discovery engine scanning a scripted segment: which stations it keeps, in which
// order, what it sends, and how it survives faults of the device.
#include "eth_discovery.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "scripted_net.h"

namespace vexal {
namespace {

using std::chrono::milliseconds;
using namespace testing;  // the scripted segment and its frames
using Texts = std::vector<std::string>;

const Texts kBoth = {"192.168.0.11", "192.168.0.12"};

class ScanTest : public ::testing::Test {
protected:
    // Station 1 at .11 answers the identify requests at once, station 2 at .12 2 ms later.
    void SetUp() override {
        ASSERT_TRUE(engine.StartDiscovery());
        ScriptTwoStations();
    }
    void ScriptTwoStations() {
        net->stations = {Station(1, {192, 168, 0, 11}), Station(2, {192, 168, 0, 12}, kMask24, 2)};
    }

    bool RunScan() { return engine.Scan(L"scr0", &table); }

    Texts FoundIps() const {
        Texts ips;
        for (int i = 0; i < table.Count(); ++i) {
            const uint8_t* ip = table.At(i).ip;
            ips.push_back(std::to_string(ip[0]) + "." + std::to_string(ip[1]) + "." +
                          std::to_string(ip[2]) + "." + std::to_string(ip[3]));
        }
        return ips;
    }

    void ExpectScanKeeps(const Texts& ips) {
        ASSERT_TRUE(RunScan());
        EXPECT_EQ(FoundIps(), ips);
        EXPECT_EQ(net->openDevices.load(), 0);
    }

    // "identify" or "address N" for each request written, N the asked station.
    Texts Requests() const {
        Texts requests;
        for (const auto& written : net->Written()) {
            const Bytes& frame = written.bytes;
            requests.push_back(frame[22] == 5 ? "identify" : "address " + std::to_string(frame[5]));
        }
        return requests;
    }

    // Runs `act` on the segment whenever station `number` is asked for its address.
    void OnAddressRequestTo(int number, std::function<void(ScriptedNet&)> act) {
        net->onWrite = [number, act](const Bytes& frame, int, ScriptedNet& segment) {
            if (frame[22] == 3 && frame[5] == number) act(segment);
        };
    }

    std::shared_ptr<ScriptedNet> net = ScriptedNet::Install();
    CEthDiscovery engine;
    StationTable table;
};

TEST_F(ScanTest, EmptyNetSucceedsWithNoStationAfterTwoSilentPasses) {
    net->stations.clear();
    const auto start = std::chrono::steady_clock::now();
    ExpectScanKeeps({});
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, milliseconds(320));
    EXPECT_LT(elapsed, milliseconds(5000));
    const Bytes identify = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x00, 0x00, 0x00, 0x00, 0x01,
                            0x00, 0x0A, 0xAA, 0xAA, 0x03, 0x08, 0x00, 0x06, 0x01, 0xFD, 0x05, 0x00};
    const auto written = net->Written();
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[0].bytes, identify);
    EXPECT_EQ(written[1].bytes, identify);
}

TEST_F(ScanTest, StationAnsweringBothPassesIsListedOnceAtItsFirstPlace) {
    net->stations[0].identifyDelaysMs = {{0, 1}, {0}};  // twice in the first pass
    net->stations[1].identifyDelaysMs = {{5}, {0}};
    auto late = Station(3, {192, 168, 0, 13});
    late.identifyDelaysMs = {{}, {3}};                           // only the second pass hears it
    net->stations = {late, net->stations[1], net->stations[0]};  // not in answer order
    ExpectScanKeeps({"192.168.0.11", "192.168.0.12", "192.168.0.13"});
    EXPECT_EQ(Requests(), (Texts{"identify", "identify", "address 1", "address 2", "address 3"}));
    const Bytes addressRequest = {0x02, 0x10, 0x00, 0x00, 0x00, 0x01, 0x02, 0x00, 0x00, 0x00,
                                  0x00, 0x01, 0x00, 0x0E, 0xAA, 0xAA, 0x03, 0x08, 0x00, 0x06,
                                  0x01, 0xFD, 0x03, 0x00, 0x07, 0x00, 0x02, 0x00};
    EXPECT_EQ(net->Written()[2].bytes, addressRequest);
}

TEST_F(ScanTest, StationsOfAnotherMaskOrNetworkOrWithAShortAddressAnswerAreDropped) {
    net->stations = {
        Station(1, {192, 168, 0, 7}, {255, 255, 0, 0}), Station(2, {192, 168, 1, 9}, kMask24, 1),
        Station(3, {192, 168, 0, 8}, kMask24, 2), Station(4, {10, 0, 0, 8}, kMask24, 3),
        Station(5, {192, 168, 0, 9}, kMask24, 4)};
    net->stations[4].addressLengthField = 29;
    ExpectScanKeeps({"192.168.0.8"});
}

TEST_F(ScanTest, StationSilentOnTheAddressRequestIsDroppedAndTheNextAskedAtOnce) {
    net->stations[0].answersAddress = false;
    ExpectScanKeeps({"192.168.0.12"});
    EXPECT_EQ(Requests(), (Texts{"identify", "identify", "address 1", "address 2"}));
    const auto written = net->Written();
    EXPECT_GE(written[3].at - written[2].at, milliseconds(20));
    EXPECT_LT(written[3].at - written[2].at, milliseconds(2000));
}

// Neither the scanner's own frames, nor another station's, nor a stale identify answer of
// the asked one is taken for a station or its address.
TEST_F(ScanTest, OnlyTheAskedStationsAddressAnswerIsTaken) {
    net->stations[0].addressDelayMs = 8;
    net->onWrite = [](const Bytes& frame, int, ScriptedNet& segment) {
        segment.Deliver(frame);
        segment.Deliver(IdentifyAnswer(kScannerMac), 1);
        segment.Deliver(AddressAnswer(kScannerMac, {192, 168, 0, 1}));
        if (frame[22] != 3 || frame[5] != 1) return;
        segment.Deliver(AddressAnswer(StationMac(9), {192, 168, 0, 99}));
        segment.Deliver(IdentifyAnswer(StationMac(9)));
        segment.Deliver(IdentifyAnswer(StationMac(1)));
    };
    ExpectScanKeeps(kBoth);
}

TEST_F(ScanTest, RepeatedAddressAnswerIsNotTakenForTheNextStation) {
    net->stations[1].answersAddress = false;
    net->cancelDelayMs = 10;  // the repeat arrives before the read ends
    OnAddressRequestTo(1, [](ScriptedNet& segment) {
        segment.Deliver(AddressAnswer(StationMac(1), {192, 168, 0, 11}), 2);
    });
    ExpectScanKeeps({"192.168.0.11"});
}

TEST_F(ScanTest, ReadEndingByItselfWhileAStationIsAskedDropsOnlyThatStation) {
    net->stations[0].answersAddress = false;
    OnAddressRequestTo(1, [](ScriptedNet& segment) { segment.Deliver({}, 2, true); });
    ExpectScanKeeps({"192.168.0.12"});
}

TEST_F(ScanTest, AnswersLessThan160msApartKeepThePassGoing) {
    net->stations.clear();
    for (int i = 0; i < 5; ++i) {
        net->stations.push_back(Station(i + 1, {192, 168, 0, uint8_t(20 + i)}, kMask24, 100 * i));
    }
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(RunScan());
    EXPECT_EQ(table.Count(), 5);
    EXPECT_GE(std::chrono::steady_clock::now() - start, milliseconds(2 * (400 + 160)));
}

// More answers than the MAC queue holds between two drains (all at once), and more stations
// than the table holds: every station kept is a real one, listed once, and was asked.
TEST_F(ScanTest, CrowdsOfStationsAreKeptUniqueAndAsked) {
    ScriptedNet::ScriptAdapters({ScriptedNet::ScanAdapter("scr0", "10.1.0.1", "255.255.0.0")});
    for (const int crowd : {200, 600}) {
        net->stations.clear();
        for (int i = 0; i < crowd; ++i) {
            net->stations.push_back(Station(i, {10, 1, uint8_t(i >> 8), uint8_t(i)},
                                            {255, 255, 0, 0}, crowd > 512 ? i / 40 : 0));
        }
        ASSERT_TRUE(RunScan());
        EXPECT_GE(table.Count(), crowd > 512 ? 64 : 63);
        EXPECT_LE(table.Count(), std::min(crowd, StationTable::kCapacity));
        std::set<int> numbers;
        for (int i = 0; i < table.Count(); ++i) {
            const StationEntry& entry = table.At(i);
            EXPECT_EQ(entry.mac[4], entry.ip[2]);
            EXPECT_EQ(entry.mac[5], entry.ip[3]);
            numbers.insert(entry.mac[4] << 8 | entry.mac[5]);
        }
        EXPECT_EQ(static_cast<int>(numbers.size()), table.Count());
    }
}

TEST_F(ScanTest, FailsBeforeTouchingTheDeviceWhenNotStartedOrTheAdapterIsUnusable) {
    CEthDiscovery unstarted;
    EXPECT_FALSE(unstarted.Scan(L"scr0", &table));
    auto loopback = ScriptedNet::ScanAdapter("lo");
    loopback.type = platform::kAdapterTypeLoopback;
    ScriptedNet::ScriptAdapters({loopback});
    const std::wstring tooLong(300, L'x');
    for (const wchar_t* name : {L"lo", L"scr0", tooLong.c_str()}) {
        EXPECT_FALSE(engine.Scan(name, &table)) << name;
    }
    EXPECT_EQ(net->opens.load(), 0);
}

// A device fault fails the scan with the device closed; the next scan works again.
TEST_F(ScanTest, DeviceFaultFailsTheScanClosesTheDeviceAndLeavesTheEngineUsable) {
    const struct {
        const char* name;
        std::function<void(ScriptedNet&)> inject;
        size_t writes;  // frames written by the failing scan
    } faults[] = {{"open refused", [](ScriptedNet& n) { n.failingOpen = 1; }, 0},
                  {"bind refused", [](ScriptedNet& n) { n.failingBind = 1; }, 0},
                  {"first identify write fails", [](ScriptedNet& n) { n.failingWrite = 1; }, 1},
                  {"second identify write short", [](ScriptedNet& n) { n.shortWrite = 2; }, 2},
                  {"address request write fails", [](ScriptedNet& n) { n.failingWrite = 3; }, 3},
                  {"read ends by itself during a pass",
                   [](ScriptedNet& n) {
                       n.onWrite = [](const Bytes&, int number, ScriptedNet& segment) {
                           if (number == 1) segment.Deliver({}, 30, true);
                       };
                   },
                   1}};
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.name);
        net = ScriptedNet::Install();
        ScriptTwoStations();
        fault.inject(*net);
        EXPECT_FALSE(RunScan());
        EXPECT_EQ(net->openDevices.load(), 0);
        EXPECT_EQ(net->Written().size(), fault.writes);
        ExpectScanKeeps(kBoth);
    }
}

}  // namespace
}  // namespace vexal
