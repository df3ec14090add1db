// The station side: which frames a station answers and with which bytes, and a responder
// thread answering on a scripted device until it is stopped.
#include "responder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "eth_discovery.h"
#include "scripted_net.h"

namespace vexal::discovery {
namespace {

using vexal::testing::Bytes;
using vexal::testing::kScannerMac;
using vexal::testing::SnapFrame;

const StationIdentity kStation = {
    {0x02, 0x20, 0x00, 0x00, 0x00, 0x07}, {192, 168, 0, 7}, {255, 255, 255, 0}};
const vexal::testing::Mac kStationMac = {0x02, 0x20, 0x00, 0x00, 0x00, 0x07};

Bytes Answer(const Bytes& request) {
    uint8_t out[kAddressAnswerSize];
    const size_t size = AnswerFor(kStation, request.data(), request.size(), out);
    return Bytes(out, out + size);
}

TEST(StationAnswers, IdentifyAndAddressAnswersHaveTheProtocolsBytes) {
    const Bytes identify = SnapFrame(vexal::testing::kBroadcast, kScannerMac, 10, 0x0500, 60);
    const Bytes identifyAnswer = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01, 0x02, 0x20,
                                  0x00, 0x00, 0x00, 0x07, 0x00, 0x0A, 0xAA, 0xAA,
                                  0x03, 0x08, 0x00, 0x06, 0x01, 0xFD, 0x05, 0x01};
    EXPECT_EQ(Answer(identify), identifyAnswer);

    Bytes address = SnapFrame(kStationMac, kScannerMac, 14, 0x0300, 28);
    const Bytes addressAnswer = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01, 0x02, 0x20, 0x00, 0x00, 0x00,
                                 0x07, 0x00, 0x1E, 0xAA, 0xAA, 0x03, 0x08, 0x00, 0x06, 0x01, 0xFD,
                                 0x03, 0x01, 0x07, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0,
                                 0xA8, 0x00, 0x07, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(Answer(address), addressAnswer);
}

TEST(StationAnswers, StationStaysSilentOnFramesNotMeantForIt) {
    const vexal::testing::Mac otherStation = {0x02, 0x20, 0, 0, 0, 8};
    const Bytes cases[] = {
        SnapFrame(otherStation, kScannerMac, 14, 0x0300, 28),  // another station's address
        SnapFrame(kStationMac, kStationMac, 10, 0x0500, 24),   // its own frame
        SnapFrame(kStationMac, kScannerMac, 10, 0x0501, 24),   // an answer, not a request
        SnapFrame(kStationMac, kScannerMac, 40, 0x0500, 24),   // length past the frame
        Bytes(23, 0xAA),
    };
    for (const Bytes& frame : cases) EXPECT_TRUE(Answer(frame).empty());
    const Bytes unicastIdentify = SnapFrame(kStationMac, kScannerMac, 10, 0x0500, 24);
    EXPECT_EQ(Answer(unicastIdentify).size(), kIdentifyAnswerSize);
}

TEST(DiscoveryResponder, AnswersAScanOnTheSegmentUntilStopped) {
    auto net = vexal::testing::ScriptedNet::Install();
    // The responder's device is a second device on the same scripted segment: it sees what
    // the test delivers and its answers are recorded as written frames.
    auto device = platform::OpenFrameDevice(platform::kFrameDeviceName);
    ASSERT_TRUE(device);
    DiscoveryResponder responder;
    ASSERT_TRUE(responder.Start(std::move(device), kStation));
    EXPECT_FALSE(responder.Start(platform::OpenFrameDevice(platform::kFrameDeviceName), kStation));
    net->DeliverLocked(SnapFrame(vexal::testing::kBroadcast, kScannerMac, 10, 0x0500, 24));
    net->DeliverLocked(SnapFrame(kStationMac, kScannerMac, 14, 0x0300, 28));
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
    EXPECT_EQ(net->OpenDevices(), 0);
}

TEST(DiscoveryResponder, RefusesBadAddressesAndUnknownInterfaces) {
    auto net = vexal::testing::ScriptedNet::Install();
    DiscoveryResponder responder;
    EXPECT_FALSE(responder.Start("scr0", "192.168.0.300", "255.255.255.0"));
    EXPECT_FALSE(responder.Start("scr0", "192.168.0.7", "mask"));
    EXPECT_FALSE(responder.Start("absent0", "192.168.0.7", "255.255.255.0"));
    EXPECT_FALSE(responder.IsRunning());
    EXPECT_TRUE(responder.Start("scr0", "192.168.0.7", "255.255.255.0"));
    responder.Stop();
    platform::UseSystemNetworkAdapters();
}

}  // namespace
}  // namespace vexal::discovery
