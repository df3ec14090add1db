// The platform parts the discovery engine stands on: events, text conversions and the
// system's frame device (on the loopback interface only).
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "code_page.h"
#include "event.h"
#include "frame_device.h"
#include "network_adapters.h"

namespace vexal::platform {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

TEST(Event, FirstListedSetEventWinsOnlyItIsClearedAndAnUncreatedOneFailsTheWait) {
    Event a, b, c, uncreated;
    ASSERT_TRUE(a.Create() && b.Create() && c.Create());
    c.Set();
    b.Set();
    EXPECT_EQ(WaitAny({&a, &b, &c}, 0), 1);
    EXPECT_EQ(WaitAny({&a, &b, &c}, 0), 2);
    EXPECT_EQ(WaitAny({&a, &b, &c}, 0), kWaitTimedOut);
    uncreated.Set();
    EXPECT_EQ(WaitAny({&a, &uncreated}, 10), kWaitFailed);
    EXPECT_EQ(WaitAny({}, 10), kWaitFailed);
}

TEST(Event, ResetForgetsATimeOutEndsTheWaitNoEarlierThanAskedAndSetWakesAWaiter) {
    Event done;
    ASSERT_TRUE(done.Create());
    done.Set();
    done.Reset();
    const auto start = steady_clock::now();
    EXPECT_EQ(WaitAny({&done}, 30), kWaitTimedOut);
    EXPECT_GE(steady_clock::now() - start, milliseconds(30));
    EXPECT_LT(steady_clock::now() - start, milliseconds(3000));
    std::thread setter([&done] {
        std::this_thread::sleep_for(milliseconds(20));
        done.Set();
    });
    EXPECT_EQ(WaitAny({&done}, kWaitForever), 0);
    setter.join();
}

TEST(CodePage, ConvertsBetweenNarrowWideAndUtf16) {
    wchar_t wide[8];
    size_t length = 0;
    ASSERT_TRUE(NarrowToWide("w\xC3\xA4n\xF0\x9F\x98\x80", wide, 8, &length));
    EXPECT_EQ(std::wstring(wide), L"w\u00E4n\U0001F600");
    char narrow[16];
    ASSERT_TRUE(WideToNarrow(wide, narrow, sizeof narrow));
    EXPECT_STREQ(narrow, "w\xC3\xA4n\xF0\x9F\x98\x80");
    char16_t units[8];
    ASSERT_TRUE(NarrowToUtf16(narrow, units, 8, &length));
    EXPECT_EQ(length, 5u);  // the emoji takes a surrogate pair
    ASSERT_TRUE(Utf16ToNarrow(units, length, narrow, sizeof narrow));
    EXPECT_STREQ(narrow, "w\xC3\xA4n\xF0\x9F\x98\x80");
}

TEST(CodePage, RefusesInvalidTextAndTextThatDoesNotFit) {
    wchar_t wide[4];
    char narrow[4];
    char16_t units[4];
    EXPECT_FALSE(NarrowToWide("abcd", wide, 4, nullptr));  // no room for the terminator
    EXPECT_TRUE(NarrowToWide("abc", wide, 4, nullptr));
    for (const char* bad : {"\xFF", "\xC3", "\xC0\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80"}) {
        EXPECT_FALSE(NarrowToWide(bad, wide, 4, nullptr)) << bad;
        EXPECT_FALSE(NarrowToUtf16(bad, units, 4, nullptr)) << bad;
    }
    const wchar_t surrogate[] = {0xD800, 0};
    EXPECT_FALSE(WideToNarrow(surrogate, narrow, sizeof narrow));
    EXPECT_FALSE(WideToNarrow(L"\u00E4\u00E4", narrow, sizeof narrow));  // 5 bytes
    EXPECT_EQ(narrow[0], '\0');
    const char16_t lonely[] = {u'a', 0xDC00};
    EXPECT_FALSE(Utf16ToNarrow(lonely, 2, narrow, sizeof narrow));
    const char16_t withZero[] = {u'a', 0};
    EXPECT_FALSE(Utf16ToNarrow(withZero, 2, narrow, sizeof narrow));
}

TEST(NetworkAdapters, SystemListHasLoopbackWithoutEthernetType) {
    UseSystemNetworkAdapters();
    NetworkAdapter adapters[64];
    const int count = ListNetworkAdapters(adapters, 64);
    ASSERT_GT(count, 0);
    bool sawLoopback = false;
    for (int i = 0; i < count; ++i) {
        if (std::strcmp(adapters[i].name, "lo") != 0) continue;
        sawLoopback = true;
        EXPECT_EQ(adapters[i].type, kAdapterTypeLoopback);
        EXPECT_STREQ(adapters[i].ipAddress, "127.0.0.1");
        EXPECT_STREQ(adapters[i].ipMask, "255.0.0.0");
    }
    EXPECT_TRUE(sawLoopback);
    EXPECT_EQ(ListNetworkAdapters(adapters, 0), 0);
}

std::unique_ptr<FrameDevice> BoundLoopbackDevice(const uint8_t* code) {
    auto device = OpenPacketFrameDevice();
    if (!device) return nullptr;
    EXPECT_TRUE(device->Control(kIoctlUioBind, u"lo", 4));
    EXPECT_TRUE(device->Control(kIoctlUioSetSnap, code, 3));
    return device;
}

// Frames go out on the loopback interface only; an organisation code of its own keeps the
// test apart from anything else on it.
TEST(PacketFrameDevice, PassesOnlySnapFramesOfItsCodeAndEndsOnlyACancelledRead) {
    const uint8_t code[3] = {0x5A, 0x7E, 0x02};  // 02-7E-5A, least significant byte first
    auto receiver = BoundLoopbackDevice(code);
    if (!receiver) GTEST_SKIP() << "AF_PACKET sockets need CAP_NET_RAW (run as root)";
    auto sender = BoundLoopbackDevice(code);
    ASSERT_TRUE(sender);

    const std::vector<uint8_t> wanted = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0,
                                         0,    0,    0,    9,    0x00, 0x0A, 0xAA, 0xAA,
                                         0x03, 0x02, 0x7E, 0x5A, 0x01, 0xFD, 0x05, 0x00};
    auto other = wanted;
    other[19] = 0x5B;
    EXPECT_EQ(sender->Write(other.data(), other.size()), 24);
    EXPECT_EQ(sender->Write(wanted.data(), wanted.size()), 24);
    uint8_t buffer[2048];
    const ptrdiff_t got = receiver->Read(buffer, sizeof buffer);
    ASSERT_EQ(got, 60);  // padded to the Ethernet minimum
    EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 24), wanted);

    std::thread canceller([&receiver] {
        std::this_thread::sleep_for(milliseconds(20));
        receiver->Control(kIoctlUioCancelRead, nullptr, 0);
    });
    EXPECT_EQ(receiver->Read(buffer, sizeof buffer), -1);
    canceller.join();

    // A cancel that no read consumed is forgotten by the next write.
    ASSERT_TRUE(receiver->Control(kIoctlUioCancelRead, nullptr, 0));
    EXPECT_EQ(receiver->Write(wanted.data(), wanted.size()), 24);
    EXPECT_EQ(receiver->Read(buffer, sizeof buffer), 60);
}

TEST(PacketFrameDevice, RefusesUnknownInterfacesAndMalformedInput) {
    auto device = OpenPacketFrameDevice();
    if (!device) GTEST_SKIP() << "AF_PACKET sockets need CAP_NET_RAW (run as root)";
    EXPECT_FALSE(device->Control(kIoctlUioBind, u"vexal-absent0", 26));
    EXPECT_FALSE(device->Control(kIoctlUioBind, u"lo", 3));
    EXPECT_FALSE(device->Control(kIoctlUioBind, nullptr, 0));
    EXPECT_FALSE(device->Control(kIoctlUioSetSnap, "\x06\x00", 2));
    EXPECT_FALSE(device->Control(0x120804, nullptr, 0));
    EXPECT_EQ(OpenFrameDevice("UIO2:"), nullptr);
}

}  // namespace
}  // namespace vexal::platform
