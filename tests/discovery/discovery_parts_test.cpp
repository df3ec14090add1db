// The engine's parts on their own: the answer checks, the MAC queue, the station table,
// dotted quads and subnets, and the adapter look-ups.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "discovery_frames.h"
#include "dotted_quad.h"
#include "eth_discovery.h"
#include "mac_queue.h"
#include "scripted_net.h"
#include "station_table.h"

namespace vexal {
namespace {

using testing::AddressAnswer;
using testing::Bytes;
using testing::IdentifyAnswer;
using testing::kBroadcast;
using testing::kScannerMac;
using testing::ScriptedNet;
using testing::StationMac;

const testing::Mac kAsked = StationMac(1);
const testing::Mac kOther = StationMac(2);

Bytes Resized(Bytes frame, size_t size) {
    frame.resize(size);
    return frame;
}

Bytes WithByte(Bytes frame, size_t offset, uint8_t value) {
    frame[offset] = value;
    return frame;
}

struct AnswerCase {
    const char* name;
    Bytes frame;
    const testing::Mac* outstanding;  // destMac of the scanner
    discovery::Answer::Kind expected;
};

TEST(InspectAnswer, AcceptsOnlyAnswersToTheOutstandingRequest) {
    const Bytes address = AddressAnswer(kAsked, {192, 168, 0, 5}, {255, 255, 255, 0});
    const Bytes identify = IdentifyAnswer(kOther);
    using Kind = discovery::Answer::Kind;
    const std::vector<AnswerCase> cases = {
        {"identify during identify", identify, &kBroadcast, Kind::Identify},
        {"identify padded by the wire", Resized(identify, 60), &kBroadcast, Kind::Identify},
        {"identify of the asked station", IdentifyAnswer(kAsked), &kAsked, Kind::None},
        {"address of the asked station", address, &kAsked, Kind::Address},
        {"address of another station", AddressAnswer(kOther, {1, 2, 3, 4}, {255, 0, 0, 0}), &kAsked,
         Kind::None},
        {"own identify answer", IdentifyAnswer(kScannerMac), &kBroadcast, Kind::None},
        {"length field 29", AddressAnswer(kAsked, {1, 2, 3, 4}, {255, 0, 0, 0}, 29), &kAsked,
         Kind::None},
        {"length field past the frame", Resized(address, 43), &kAsked, Kind::None},
        {"23 bytes", Resized(identify, 23), &kBroadcast, Kind::None},
        {"11 bytes", Resized(identify, 11), &kBroadcast, Kind::None},
        {"empty", Bytes{}, &kBroadcast, Kind::None},
        {"wrong DSAP", WithByte(identify, 14, 0xAB), &kBroadcast, Kind::None},
        {"wrong organisation", WithByte(identify, 19, 0x07), &kBroadcast, Kind::None},
        {"wrong protocol id", WithByte(identify, 21, 0xFE), &kBroadcast, Kind::None},
        {"identify request", WithByte(identify, 23, 0x00), &kBroadcast, Kind::None},
        {"unknown service", WithByte(identify, 22, 0x07), &kBroadcast, Kind::None},
    };
    for (const AnswerCase& c : cases) {
        const auto answer = discovery::InspectAnswer(c.frame.data(), c.frame.size(),
                                                     kScannerMac.data(), c.outstanding->data());
        EXPECT_EQ(answer.kind, c.expected) << c.name;
    }
}

TEST(InspectAnswer, TakesAddressAndMaskFromTheirOffsets) {
    Bytes frame = AddressAnswer(kAsked, {10, 20, 30, 40}, {255, 255, 254, 0}, 46);
    const auto answer =
        discovery::InspectAnswer(frame.data(), frame.size(), kScannerMac.data(), kAsked.data());
    ASSERT_EQ(answer.kind, discovery::Answer::Kind::Address);
    EXPECT_EQ(std::vector<uint8_t>(answer.ip, answer.ip + 4),
              (std::vector<uint8_t>{10, 20, 30, 40}));
    EXPECT_EQ(std::vector<uint8_t>(answer.mask, answer.mask + 4),
              (std::vector<uint8_t>{255, 255, 254, 0}));
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
        mac[5] = 200;
        queue.Push(mac);  // moves the indices so that the next round wraps elsewhere
        ASSERT_TRUE(queue.Pop(mac));
    }
    queue.Push(mac);
    queue.Reset();
    EXPECT_FALSE(queue.Pop(mac));
}

TEST(StationTable, AppendsUpTo512AndRemovesKeepingOrder) {
    static StationTable table;
    uint8_t mac[6] = {};
    for (int i = 0; i < StationTable::kCapacity; ++i) {
        mac[4] = static_cast<uint8_t>(i >> 8);
        mac[5] = static_cast<uint8_t>(i);
        ASSERT_TRUE(table.Append(mac));
    }
    EXPECT_FALSE(table.Append(mac));
    table.RemoveAt(0);
    table.RemoveAt(table.Count() - 1);
    EXPECT_EQ(table.Count(), 510);
    EXPECT_EQ(table.At(0).mac[5], 1);
    EXPECT_EQ(table.At(509).mac[5], 254);
    EXPECT_EQ(table.At(510).mac[0], 0xFF);  // cleared behind the last entry
}

TEST(StationTable, DuplicateRemovalKeepsFirstPlaces) {
    StationTable table;
    for (uint8_t last : {3, 1, 3, 2, 1, 3, 4}) {
        const uint8_t mac[6] = {2, 0, 0, 0, 0, last};
        table.Append(mac);
    }
    table.RemoveDuplicateMacs();
    std::vector<int> order;
    for (int i = 0; i < table.Count(); ++i) order.push_back(table.At(i).mac[5]);
    EXPECT_EQ(order, (std::vector<int>{3, 1, 2, 4}));
}

TEST(ParseDottedQuad, ReadsAsTheDecimalFormatDoes) {
    struct Case {
        const char* text;
        bool valid;
        std::vector<uint8_t> bytes;
    };
    const std::vector<Case> cases = {
        {"192.168.0.1", true, {192, 168, 0, 1}},
        {"0.0.0.0", true, {0, 0, 0, 0}},
        {"255.255.255.255", true, {255, 255, 255, 255}},
        {"10.0.0.1 trailing", true, {10, 0, 0, 1}},
        {"10.0.0.1.7", true, {10, 0, 0, 1}},
        {" 10. 1.+2.3", true, {10, 1, 2, 3}},
        {"-0.1.2.3", true, {0, 1, 2, 3}},
        {"256.0.0.1", false, {}},
        {"1.2.3.-1", false, {}},
        {"1.2.3", false, {}},
        {"1.2.3.", false, {}},
        {"1..2.3", false, {}},
        {"1 .2.3.4", false, {}},
        {"99999999999999999999.1.1.1", false, {}},
        {"", false, {}},
        {"a.b.c.d", false, {}},
    };
    for (const Case& c : cases) {
        uint8_t out[4] = {7, 7, 7, 7};
        EXPECT_EQ(ParseDottedQuad(c.text, out), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(std::vector<uint8_t>(out, out + 4), c.bytes) << c.text;
        }
    }
    EXPECT_TRUE(ParseDottedQuad("1.2.3.4", nullptr));
    EXPECT_FALSE(ParseDottedQuad(nullptr, nullptr));
}

TEST(SameSubnet, NeedsEqualMasksAndEqualNetworkParts) {
    const uint8_t ownIp[4] = {192, 168, 0, 1};
    const uint8_t ownMask[4] = {255, 255, 255, 0};
    struct Case {
        uint8_t ip[4];
        uint8_t mask[4];
        bool same;
    };
    const Case cases[] = {
        {{192, 168, 0, 200}, {255, 255, 255, 0}, true},
        {{192, 168, 0, 200}, {255, 255, 0, 0}, false},
        {{192, 168, 1, 200}, {255, 255, 255, 0}, false},
        {{192, 168, 0, 1}, {255, 255, 255, 128}, false},
    };
    for (const Case& c : cases) EXPECT_EQ(SameSubnet(c.ip, c.mask, ownIp, ownMask), c.same);
}

class AdapterTest : public ::testing::Test {
protected:
    void TearDown() override { platform::UseSystemNetworkAdapters(); }

    static platform::NetworkAdapter Adapter(const char* name, uint32_t type = 6,
                                            const char* ip = "10.0.0.2") {
        auto adapter = ScriptedNet::ScanAdapter(name, ip, "255.0.0.0");
        adapter.type = type;
        return adapter;
    }

    static std::vector<std::wstring> Listed(int capacity) {
        std::vector<wchar_t> buffer(static_cast<size_t>(capacity) + 1, L'#');
        const int count = CEthDiscovery::ListAdapters(buffer.data(), capacity);
        std::vector<std::wstring> names;
        const wchar_t* cursor = buffer.data();
        for (int i = 0; i < count; ++i) {
            names.emplace_back(cursor);
            cursor += names.back().size() + 1;
        }
        EXPECT_EQ(buffer[static_cast<size_t>(capacity)], L'#');  // nothing beyond capacity
        return names;
    }
};

TEST_F(AdapterTest, FindAdapterNeedsExactNameEthernetAndAValidAddress) {
    ScriptedNet::ScriptAdapters({Adapter("lo", platform::kAdapterTypeLoopback),
                                 Adapter("eth0", 6, ""), Adapter("eth1"), Adapter("eth1", 6, "")});
    platform::NetworkAdapter found{};
    EXPECT_TRUE(CEthDiscovery::FindAdapter("eth1", &found));
    EXPECT_STREQ(found.ipAddress, "10.0.0.2");
    EXPECT_TRUE(CEthDiscovery::FindAdapter(L"eth1", nullptr));
    EXPECT_FALSE(CEthDiscovery::FindAdapter("ETH1", nullptr));
    EXPECT_FALSE(CEthDiscovery::FindAdapter("eth", nullptr));
    EXPECT_FALSE(CEthDiscovery::FindAdapter("lo", nullptr));
    EXPECT_FALSE(CEthDiscovery::FindAdapter("eth0", nullptr));  // no IPv4 address
}

TEST_F(AdapterTest, OnlyTheFirstTenAdaptersAreLookedAt) {
    std::vector<platform::NetworkAdapter> adapters;
    for (int i = 0; i < 12; ++i) adapters.push_back(Adapter(("e" + std::to_string(i)).c_str()));
    ScriptedNet::ScriptAdapters(adapters);
    EXPECT_TRUE(CEthDiscovery::FindAdapter("e9", nullptr));
    EXPECT_FALSE(CEthDiscovery::FindAdapter("e10", nullptr));
    EXPECT_EQ(Listed(1000).size(), 10u);
}

TEST_F(AdapterTest, ListAdaptersNamesEthernetAdaptersEvenWithoutAddress) {
    auto shortMac = Adapter("ppp0");
    shortMac.hardwareAddressLength = 0;
    ScriptedNet::ScriptAdapters({Adapter("lo", platform::kAdapterTypeLoopback),
                                 Adapter("eth0", 6, ""), Adapter("", 6), shortMac,
                                 Adapter("w\xC3\xA4n0"), Adapter("bad\xFF"), Adapter("eth2")});
    EXPECT_EQ(Listed(100), (std::vector<std::wstring>{L"eth0", L"w\u00E4n0", L"eth2"}));
    EXPECT_EQ(Listed(10), (std::vector<std::wstring>{L"eth0", L"w\u00E4n0"}));
    EXPECT_EQ(Listed(9), (std::vector<std::wstring>{L"eth0"}));
    EXPECT_EQ(Listed(4), std::vector<std::wstring>{});
    EXPECT_EQ(CEthDiscovery::ListAdapters(nullptr, 10), 0);
}

}  // namespace
}  // namespace vexal
