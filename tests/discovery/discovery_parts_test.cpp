// The engine's parts on their own: the answer checks, the MAC queue, the station table,
// dotted quads, the adapter look-ups, and the station side that the simulator runs.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "discovery_frames.h"
#include "discovery_responder.h"
#include "dotted_quad.h"
#include "eth_discovery.h"
#include "mac_queue.h"
#include "scripted_net.h"
#include "table_file.h"

namespace vexal {
namespace {

using namespace testing;  // the scripted segment and its frames

Bytes Changed(Bytes frame, size_t size, size_t offset = 0, uint8_t value = 0) {
    frame.resize(size);
    if (offset != 0) frame[offset] = value;
    return frame;
}

TEST(InspectAnswer, AcceptsOnlyWellFormedAnswersToTheOutstandingRequest) {
    using Kind = discovery::Answer::Kind;
    const auto kind = [](const Bytes& frame, const testing::Mac& outstanding) {
        return discovery::InspectAnswer(frame.data(), frame.size(), kScannerMac.data(),
                                        outstanding.data())
            .kind;
    };
    const Bytes identify = IdentifyAnswer(StationMac(2));
    const Bytes address = AddressAnswer(StationMac(1), {192, 168, 0, 5});
    EXPECT_EQ(kind(identify, kBroadcast), Kind::kIdentify);
    EXPECT_EQ(kind(Changed(identify, 60), kBroadcast), Kind::kIdentify);  // padded by the wire
    EXPECT_EQ(kind(address, StationMac(1)), Kind::kAddress);
    EXPECT_EQ(kind(Changed(address, 43), StationMac(1)), Kind::kNone);  // length past the end
    // Too short; wrong DSAP, organisation or protocol id; a request or an unknown service.
    for (const Bytes& frame :
         {Changed(identify, 23), Changed(identify, 11), Bytes{}, Changed(identify, 24, 14, 0xAB),
          Changed(identify, 24, 19, 0x07), Changed(identify, 24, 21, 0xFE),
          Changed(identify, 24, 23, 0x00), Changed(identify, 24, 22, 0x07)}) {
        EXPECT_EQ(kind(frame, kBroadcast), Kind::kNone) << ::testing::PrintToString(frame);
    }
}

TEST(MacQueue, HoldsAtMost63AndKeepsOrderAcrossTheWrap) {
    MacQueue queue;
    uint8_t mac[6] = {};
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 70; ++i) {
            mac[5] = static_cast<uint8_t>(i);
            queue.Push(mac);
        }
        for (int i = 0; i < 63; ++i) {
            ASSERT_TRUE(queue.Pop(mac));
            EXPECT_EQ(mac[5], i);
        }
        EXPECT_FALSE(queue.Pop(mac));
        queue.Push(mac);  // moves the indices so that the next round wraps elsewhere
        ASSERT_TRUE(queue.Pop(mac));
    }
    queue.Push(mac);
    queue.Reset();
    EXPECT_FALSE(queue.Pop(mac));
}

TEST(ParseDottedQuad, ReadsAsTheDecimalFormatDoesAndRefusesWhatIsNoOctet) {
    for (const auto& row : LoadTable(__FILE__, "dotted_quads.txt")) {
        const std::string text = Narrow(row.at(1));
        const bool accepted = row[0] == L"accept";
        uint8_t out[4] = {7, 7, 7, 7};
        EXPECT_EQ(ParseDottedQuad(text.c_str(), accepted ? out : nullptr), accepted) << text;
        for (size_t i = 0; i < 4 && accepted; ++i) {
            EXPECT_EQ(out[i], std::stoi(row[2 + i])) << text;
        }
    }
    EXPECT_TRUE(ParseDottedQuad("1.2.3.4", nullptr));
    EXPECT_FALSE(ParseDottedQuad(nullptr, nullptr));
}

platform::NetworkAdapter Adapter(const char* name, uint32_t type = 6, const char* ip = "10.0.0.2") {
    auto adapter = ScriptedNet::ScanAdapter(name, ip, "255.0.0.0");
    adapter.type = type;
    return adapter;
}

std::vector<std::wstring> Listed(int capacity) {
    std::vector<wchar_t> buffer(static_cast<size_t>(capacity) + 1, L'#');
    const int count = CEthDiscovery::ListAdapters(buffer.data(), capacity);
    std::vector<std::wstring> names;
    for (const wchar_t* cursor = buffer.data(); names.size() < static_cast<size_t>(count);
         cursor += names.back().size() + 1) {
        names.emplace_back(cursor);
    }
    EXPECT_EQ(buffer[static_cast<size_t>(capacity)], L'#');  // nothing beyond capacity
    return names;
}

TEST(Adapters, FindAdapterTakesTheFirstOfTenWithExactNameEthernetMacAndAddress) {
    auto shortMac = Adapter("short0");
    shortMac.hardwareAddressLength = 4;
    std::vector<platform::NetworkAdapter> adapters = {Adapter("lo", platform::kAdapterTypeLoopback),
                                                      Adapter("eth0", 6, ""), shortMac,
                                                      Adapter("eth1"), Adapter("eth1", 6, "")};
    for (int i = 5; i < 12; ++i) adapters.push_back(Adapter(("e" + std::to_string(i)).c_str()));
    ScriptedNet::ScriptAdapters(adapters);
    platform::NetworkAdapter found{};
    EXPECT_TRUE(CEthDiscovery::FindAdapter("eth1", &found));
    EXPECT_STREQ(found.ipAddress, "10.0.0.2");
    EXPECT_TRUE(CEthDiscovery::FindAdapter(L"eth1", nullptr));
    EXPECT_TRUE(CEthDiscovery::FindAdapter("e9", nullptr));
    for (const char* refused : {"ETH1", "eth", "lo", "eth0", "short0", "e10"}) {
        EXPECT_FALSE(CEthDiscovery::FindAdapter(refused, nullptr)) << refused;
    }
    EXPECT_EQ(Listed(1000).size(), 8u);  // of the first ten, the Ethernet ones with a MAC
}

TEST(Adapters, ListAdaptersNamesEthernetAdaptersEvenWithoutAddressAsFarAsTheyFit) {
    auto noMac = Adapter("ppp0");
    noMac.hardwareAddressLength = 0;
    ScriptedNet::ScriptAdapters({Adapter("lo", platform::kAdapterTypeLoopback),
                                 Adapter("eth0", 6, ""), Adapter("", 6), noMac,
                                 Adapter("w\xC3\xA4n0"), Adapter("bad\xFF"), Adapter("eth2")});
    EXPECT_EQ(Listed(100), (std::vector<std::wstring>{L"eth0", L"w\u00E4n0", L"eth2"}));
    EXPECT_EQ(Listed(10), (std::vector<std::wstring>{L"eth0", L"w\u00E4n0"}));
    EXPECT_EQ(Listed(9), (std::vector<std::wstring>{L"eth0"}));
    EXPECT_EQ(Listed(4), std::vector<std::wstring>{});
    EXPECT_EQ(CEthDiscovery::ListAdapters(nullptr, 10), 0);
}

// ---- The station side ----------------------------------------------------------------

const discovery::StationIdentity kStation = {
    {0x02, 0x20, 0x00, 0x00, 0x00, 0x07}, {192, 168, 0, 7}, {255, 255, 255, 0}};
const testing::Mac kStationMac = {0x02, 0x20, 0x00, 0x00, 0x00, 0x07};

Bytes StationAnswer(const Bytes& request) {
    uint8_t out[discovery::kAddressAnswerSize];
    return Bytes(out, out + discovery::AnswerFor(kStation, request.data(), request.size(), out));
}

TEST(StationAnswers, IdentifyAndAddressAnswersHaveTheProtocolsBytesOnlyForRequestsToTheStation) {
    const Bytes identifyAnswer = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01, 0x02, 0x20,
                                  0x00, 0x00, 0x00, 0x07, 0x00, 0x0A, 0xAA, 0xAA,
                                  0x03, 0x08, 0x00, 0x06, 0x01, 0xFD, 0x05, 0x01};
    EXPECT_EQ(StationAnswer(SnapFrame(kBroadcast, kScannerMac, 10, 0x0500, 60)), identifyAnswer);
    EXPECT_EQ(StationAnswer(SnapFrame(kStationMac, kScannerMac, 10, 0x0500, 24)), identifyAnswer);
    const Bytes addressAnswer = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01, 0x02, 0x20, 0x00, 0x00, 0x00,
                                 0x07, 0x00, 0x1E, 0xAA, 0xAA, 0x03, 0x08, 0x00, 0x06, 0x01, 0xFD,
                                 0x03, 0x01, 0x07, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0,
                                 0xA8, 0x00, 0x07, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(StationAnswer(SnapFrame(kStationMac, kScannerMac, 14, 0x0300, 28)), addressAnswer);
    // Silent on frames not meant for it.
    const testing::Mac otherStation = {0x02, 0x20, 0, 0, 0, 8};
    const Bytes silent[] = {
        SnapFrame(otherStation, kScannerMac, 14, 0x0300, 28),  // another station's address
        SnapFrame(kStationMac, kStationMac, 10, 0x0500, 24),   // its own frame
        SnapFrame(kStationMac, kScannerMac, 10, 0x0501, 24),   // an answer, not a request
        SnapFrame(kStationMac, kScannerMac, 40, 0x0500, 24),   // length past the frame
        Bytes(23, 0xAA),
    };
    for (const Bytes& frame : silent) EXPECT_TRUE(StationAnswer(frame).empty());
}

TEST(DiscoveryResponder, AnswersOnTheNamedInterfaceUntilStoppedAndRefusesBadInput) {
    auto net = ScriptedNet::Install();
    discovery::DiscoveryResponder responder;
    EXPECT_FALSE(responder.Start("scr0", "192.168.0.300", "255.255.255.0"));
    EXPECT_FALSE(responder.Start("scr0", "192.168.0.7", "mask"));
    EXPECT_FALSE(responder.Start("absent0", "192.168.0.7", "255.255.255.0"));
    EXPECT_FALSE(responder.IsRunning());
    // It answers with the adapter's MAC on its own device of the scripted segment: it
    // reads what the test delivers, and its answers are recorded as written frames.
    ASSERT_TRUE(responder.Start("scr0", "192.168.0.7", "255.255.255.0"));
    EXPECT_FALSE(responder.Start("scr0", "192.168.0.7", "255.255.255.0"));
    net->DeliverLocked(SnapFrame(kBroadcast, StationMac(1), 10, 0x0500, 24));
    net->DeliverLocked(SnapFrame(kScannerMac, StationMac(1), 14, 0x0300, 28));
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (responder.AnswersSent() < 2 && std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    responder.Stop();
    EXPECT_FALSE(responder.IsRunning());
    const auto written = net->Written();
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[0].bytes[23], 0x01);
    EXPECT_EQ(written[1].bytes[32], 192);
    EXPECT_EQ(net->openDevices.load(), 0);
}

}  // namespace
}  // namespace vexal
