// The simulator as independent S7 clients see it: refusals, fragments, block info, status
// lists, upload ids, connection confirms, stalled peers and all-or-nothing block jobs.
#include <gtest/gtest.h>

#include <mutex>

#include "block_images.h"
#include "sim_fixture.h"
#include "temp_dir.h"
#include "vexal_types.h"

namespace vexal::testing {
namespace {

uint16_t ErrorOf(const Bytes& frame) {
    return frame.size() >= 19 ? static_cast<uint16_t>(frame[17] << 8 | frame[18]) : 0xFFFF;
}

class SimServices : public SimFixture {
protected:
    // A program of OB1, DB1 and FB1 to FB60, started and opened at `pdu`.
    void StartWithProgram(uint16_t pdu, sim::SimOptions options = {}) {
        Bytes project;
        Append(project, MakeBlockImage(BLOCK_TYPE_OB, 1, 150, 1));
        Append(project, MakeBlockImage(BLOCK_TYPE_DB, 1, 90, 2));
        for (uint16_t number = 1; number <= 60; ++number) {
            Append(project, MakeBlockImage(BLOCK_TYPE_FB, number, 100, 3));
        }
        WriteBytes(dir.File("p.wld"), project);
        options.programFile = dir.File("p.wld");
        StartAndOpen(options, pdu);
    }
    Bytes AskJob(const std::string& params) {
        return client.Exchange(Frame(Pdu(0x01, Hex(params), {})));
    }
    bool HasBlock(int type, uint16_t number) {
        std::lock_guard<std::mutex> hold(simulator->Controller().Lock());
        return simulator->Controller().HasBlock(type, number);
    }

    TempDir dir;
};

// Other refused jobs are in the exchange file, played by SimWire.
TEST_F(SimServices, APasswordRefusesUploadDownloadAndControlWithAnAckAndNoParameter) {
    sim::SimOptions options;
    options.password = "PW";
    StartAndOpen(options, 240);
    for (const char* params : {"1D 00 00 00 00 00 00 00 09 5F 30 38 30 30 30 30 31 41",
                               "1A 00 01 00 00 00 00 00 09 5F 30 41 30 30 30 30 31 50",
                               "29 00 00 00 00 00 09 50 5F 50 52 4F 47 52 41 4D"}) {
        EXPECT_EQ(ToHex(AskJob(params)), "03 00 00 13 02 F0 80 32 02 00 00 00 01 00 00 00 00 D2 41")
            << params;
    }
}

TEST_F(SimServices, FragmentsEndAtEntryBoundaries) {
    const struct {
        uint16_t pdu;
        uint8_t subfunction;
        Bytes request;
        std::vector<size_t> sizes;
    } cases[] = {
        {240, 0x02, Hex("30 45"), {212, 28}},         // 60 FBs, 53 per fragment
        {240, 0x01, Hex("00 1C 00 00"), {212, 136}},  // list header and 34-byte records
        {128, 0x01, Hex("00 1C 00 00"), {76, 102, 102, 68}},
    };
    for (const auto& c : cases) {
        StartWithProgram(c.pdu);
        uint16_t error = 0;
        const std::vector<Bytes> fragments =
            AskUserdata(c.subfunction == 0x02 ? 3 : 4, c.subfunction, c.request, &error);
        EXPECT_EQ(error, 0);
        std::vector<size_t> sizes;
        Bytes whole;
        for (const Bytes& fragment : fragments) {
            sizes.push_back(fragment.size());
            Append(whole, fragment);
        }
        EXPECT_EQ(sizes, c.sizes);
        // Sixty entries of four bytes, numbered 1 to 60; checked only when they all came.
        for (int i = 0; c.subfunction == 0x02 && whole.size() >= 240 && i < 60; ++i) {
            EXPECT_EQ(whole[i * 4] << 8 | whole[i * 4 + 1], i + 1);
        }
        Restart();
    }
}

TEST_F(SimServices, ListsAnswerTheIndexAskedForAndTheBufferCapacity) {
    const struct {
        uint16_t list;
        uint16_t index;
        uint16_t error;
        uint16_t count;
        size_t size;
    } cases[] = {
        {0x0111, 0x0001, 0, 1, 8 + 28}, {0x0111, 0x0007, 0, 1, 8 + 28},
        {0x0111, 0x0005, 0xD402, 0, 0}, {0x0011, 0x0000, 0, 4, 8 + 112},
        {0x011C, 0x0002, 0, 1, 8 + 34}, {0x0FA0, 0x0000, 0, 100, 8},
    };
    StartAndOpen();
    for (const auto& c : cases) {
        const Bytes request = {static_cast<uint8_t>(c.list >> 8), static_cast<uint8_t>(c.list),
                               static_cast<uint8_t>(c.index >> 8), static_cast<uint8_t>(c.index)};
        uint16_t error = 0;
        const std::vector<Bytes> answer = AskUserdata(4, 0x01, request, &error);
        EXPECT_EQ(error, c.error) << std::hex << c.list << " " << c.index;
        EXPECT_EQ(answer.size() == 1 ? answer[0].size() : 0xFFFF, c.size) << std::hex << c.list;
        if (answer.size() != 1 || answer[0].size() != c.size || c.size == 0) continue;
        EXPECT_EQ(answer[0][6] << 8 | answer[0][7], c.count);
        if (c.list == 0x0111) {
            EXPECT_EQ(answer[0][8] << 8 | answer[0][9], c.index);
        }
    }
}

// The info of stored blocks is checked by the independent peer (SimPeers).
TEST_F(SimServices, BlockInfoOfAnAbsentBlockIsRefusedAndUploadIdsStayWithinOneByte) {
    StartWithProgram(240);
    uint16_t error = 0;
    EXPECT_EQ(AskUserdata(3, 0x03, Hex("30 43 30 30 30 30 39 41"), &error), std::vector<Bytes>(1));
    EXPECT_EQ(error, 0xD209);
    for (int upload = 0; upload < 300; ++upload) {
        const Bytes started = AskJob("1D 00 00 00 00 00 00 00 09 5F 30 38 30 30 30 30 31 41");
        ASSERT_GT(started.size(), 26u);
        ASSERT_EQ(ErrorOf(started), 0);
        const uint8_t* id = started.data() + 23;
        ASSERT_EQ(id[0] | id[1] | id[2], 0);
        ASSERT_GE(id[3], 1);
        char end[32];
        std::snprintf(end, sizeof end, "1F 00 00 00 00 00 00 %02X", id[3]);
        ASSERT_EQ(ErrorOf(AskJob(end)), 0) << upload;
    }
}

TEST_F(SimServices, ARefusedStartLeavesTheRunningUploadWhole) {
    StartWithProgram(240);
    const Bytes started = AskJob("1D 00 00 00 00 00 00 00 09 5F 30 38 30 30 30 30 31 41");
    ASSERT_EQ(ErrorOf(started), 0);
    ASSERT_GT(started.size(), 26u);
    char id[16];
    std::snprintf(id, sizeof id, "%02X", started[26]);
    const std::string upload = std::string("1E 00 00 00 00 00 00 ") + id;
    const Bytes first = AskJob(upload);
    ASSERT_EQ(ErrorOf(first), 0);
    ASSERT_GT(first.size(), 20u);
    ASSERT_EQ(first[20], 0x00) << "OB1 comes whole in one chunk";
    EXPECT_EQ(ErrorOf(AskJob("1D 00 00 00 00 00 00 00 09 5F 30 43 30 30 39 39 39 41")), 0xD209);
    const Bytes rest = AskJob(upload);
    ASSERT_EQ(ErrorOf(rest), 0) << "the upload goes on where it stood";
    ASSERT_GT(rest.size(), 21u);
    EXPECT_EQ(ToHex(Bytes(rest.begin() + 21, rest.end())), "00 00 00 FB") << "an empty chunk";
    EXPECT_EQ(ErrorOf(AskJob(std::string("1F 00 00 00 00 00 00 ") + id)), 0);
}

TEST_F(SimServices, ConfirmsEchoOnlyTheTsapsAndRefuseWhatWouldNotFit) {
    std::string filler = " C5 ED";  // an unknown 237-byte parameter
    for (int i = 0; i < 237; ++i) filler += " 00";
    std::string longTsaps = " C1 7A";
    for (int i = 0; i < 122; ++i) longTsaps += " 01";
    longTsaps += " C2 7A";
    for (int i = 0; i < 122; ++i) longTsaps += " 02";
    const struct {
        std::string parameters;
        std::string answer;
    } cases[] = {
        {"C1 02 01 00 C2 02 01 02" + filler,
         "03 00 00 16 11 D0 00 01 00 01 00 C0 01 07 C1 02 01 00 C2 02 01 02"},
        {longTsaps, "03 00 00 0B 06 80 00 01 00 01 8A"},
    };
    Start();
    for (const auto& c : cases) {
        Bytes request = Hex("03 00 00 00 00 E0 00 00 00 01 00" + c.parameters);
        request[2] = static_cast<uint8_t>(request.size() >> 8);
        request[3] = static_cast<uint8_t>(request.size());
        request[4] = static_cast<uint8_t>(request.size() - 5);
        RawIsoClient raw;
        ASSERT_TRUE(raw.Connect(simulator->Port()));
        EXPECT_EQ(ToHex(raw.Exchange(request)), c.answer);
    }
}

TEST_F(SimServices, SilentAndStalledPeersAreClosedWhileIdleSessionsStay) {
    sim::SimOptions options;
    constexpr int kLimitMs = 2000;  // long enough to connect 63 peers on a busy machine
    options.stallLimitMs = kLimitMs;
    StartAndOpen(options);
    std::vector<RawIsoClient> silent(63);
    for (RawIsoClient& peer : silent) {
        const size_t before = simulator->ConnectionCount();  // before: the accept may be quick
        ASSERT_TRUE(peer.Connect(simulator->Port()));
        for (int wait = 0; wait < 1000 && simulator->ConnectionCount() == before; ++wait) {
            platform::SleepMs(1);
        }
    }
    ASSERT_EQ(simulator->ConnectionCount(), 64u);
    const int64_t flooded = platform::MonotonicMs();
    RawIsoClient late;
    EXPECT_FALSE(late.Open(simulator->Port())) << "a 65th connection while 64 are held";
    do {
        ASSERT_LT(platform::MonotonicMs() - flooded, kLimitMs + 1000) << "locked out";
        late = RawIsoClient();
        platform::SleepMs(20);
    } while (!late.Open(simulator->Port()));
    EXPECT_TRUE(silent[0].Receive().empty());
    // The session opened first has idled all along and is still served.
    EXPECT_EQ(Ask("32 07 0000 0008 0008 0004 00 01 12 04 11 47 01 00 0A 00 00 00").substr(0, 8),
              "03 00 00");
    ASSERT_TRUE(late.Send(Hex("03 00 00 20 02 F0 80 32")));
    const int64_t stalled = platform::MonotonicMs();
    EXPECT_TRUE(late.Receive().empty());
    EXPECT_LT(platform::MonotonicMs() - stalled, kLimitMs + 1000);
}

// A client logged on for mode transitions and diagnostic entries gets them pushed as a CPU
// 315 pushes them (the first two recorded from one stopped by the engineering tool), also
// when another client causes them; logged off, it gets none.
TEST_F(SimServices, ClientsLoggedOnForMessagesGetTheEntriesAndModesPushed) {
    const std::string stopped =
        "03 00 00 31 02 F0 80 32 07 00 00 00 00 00 08 00 18 00 01 12 04 11 "
        "04 03 00 FF 09 00 14 43 04 FF 84 00 00 00 00 00 00 00 00";
    const std::string mode =
        "03 00 00 19 02 F0 80 32 07 00 00 00 00 00 08 00 00 01 00 10 10 00 00 ";
    StartAndOpen({}, 240);
    RawIsoClient other;
    ASSERT_TRUE(other.Open(simulator->Port(), 240));
    const auto logOn = [this](const char* events) {
        return ToHex(client.Exchange(Frame(UserdataRequest(4, 2, Hex(events)))));
    };
    const std::string loggedOn = logOn("03 00 55 53 45 52 31 00 00 00");
    EXPECT_EQ(loggedOn.substr(loggedOn.size() - 17), "FF 09 00 02 02 00");
    // Stopped and restarted at once: every entry and both modes, in their order.
    other.Exchange(Frame(Pdu(0x01, Hex("29 00 00 00 00 00 09 50 5F 50 52 4F 47 52 41 4D"), {})));
    other.Exchange(
        Frame(Pdu(0x01, Hex("28 00 00 00 00 00 00 FD 00 00 09 50 5F 50 52 4F 47 52 41 4D"), {})));
    EXPECT_EQ(ToHex(client.Receive()).substr(0, stopped.size()), stopped);
    EXPECT_EQ(ToHex(client.Receive()), mode + "00 00");
    for (const char* event : {"13 81", "43 01", "43 02"})
        EXPECT_EQ(ToHex(client.Receive()).substr(87, 5), event);
    EXPECT_EQ(ToHex(client.Receive()), mode + "02 00");
    logOn("00 00 55 53 45 52 31 00 00 00");
    other.Exchange(Frame(Pdu(0x01, Hex("29 00 00 00 00 00 09 50 5F 50 52 4F 47 52 41 4D"), {})));
    EXPECT_EQ(ToHex(client.Exchange(Frame(UserdataRequest(7, 1, {})))).substr(66, 5), "87 01");
}

// A change-driven read of DB areas as S7-400 panels ask for it (every 0.1 s): the answer
// carries the job's number and the values, a push then the areas that changed and the
// others as 0xFE; an ended job pushes nothing.
TEST_F(SimServices, ChangeDrivenReadsPushTheAreasThatChanged) {
    StartWithProgram(240);
    RawIsoClient other;
    ASSERT_TRUE(other.Open(simulator->Port(), 240));
    const std::string subscribed = ToHex(client.Exchange(Frame(
        UserdataRequest(2, 5, Hex("00 01 00 01 12 0C B0 02 02 00 01 00 00 02 00 01 00 04")))));
    EXPECT_EQ(subscribed.substr(66, 8), "82 05 01") << subscribed;
    EXPECT_EQ(subscribed.substr(99, 20), "00 01 FF 09 00 06 FF") << subscribed;
    const Bytes write = Frame(
        Pdu(0x01, Hex("05 01 12 0A 10 02 00 02 00 01 84 00 00 20"), Hex("00 04 00 10 12 34")));
    other.Exchange(write);
    const std::string pushed = ToHex(client.Receive());
    EXPECT_EQ(pushed.substr(66, 8), "02 05 01") << pushed;
    EXPECT_EQ(pushed.substr(99), "00 01 FF 09 00 04 FE FF 12 34") << pushed;
    client.Exchange(Frame(UserdataRequest(2, 4, Hex("05 01"))));
    other.Exchange(WithReference(write, 2));
    EXPECT_EQ(ToHex(client.Exchange(Frame(UserdataRequest(7, 1, {})))).substr(66, 5), "87 01");
    // At most 32 jobs: the next is refused, not put in place of one.
    for (int job = 1; job <= 33; ++job) {
        const std::string answer = ToHex(client.Exchange(
            Frame(UserdataRequest(2, 5, Hex("00 01 02 01 12 07 B0 01 02 00 01 00 00")))));
        EXPECT_EQ(answer.substr(81, 5), job <= 32 ? "00 00" : "D8 01") << job;
    }
}

TEST_F(SimServices, InsertAndDeleteChangeNothingWhenOneBlockFails) {
    StartWithProgram(240);
    const std::string deleteTwo =
        "28 00 00 00 00 00 00 FD 00 12 02 00 30 38 30 30 30 30 31 42 30 45 30 30 39 39 39 42 05 "
        "5F 44 45 4C 45";
    EXPECT_EQ(ErrorOf(AskJob(deleteTwo)), 0xD209);
    EXPECT_TRUE(HasBlock(BLOCK_TYPE_OB, 1));

    // FC50 arrives as a passive block; the controller pulls it in one chunk.
    const Bytes fc50 = MakeBlockImage(BLOCK_TYPE_FC, 50, 80, 5);
    ASSERT_EQ(ErrorOf(AskJob("1A 00 01 00 00 00 00 00 09 5F 30 43 30 30 30 35 30 50")), 0);
    Bytes pull = client.Receive();
    Bytes chunk = {0x00, static_cast<uint8_t>(fc50.size()), 0x00, 0xFB};
    Append(chunk, fc50);
    ASSERT_TRUE(client.Send(Frame(Pdu(0x03, {0x1B, 0x00}, chunk, ReferenceOf(pull)))));
    const Bytes ended = client.Receive();
    ASSERT_EQ(ended.size(), 7u + 28);
    ASSERT_TRUE(client.Send(Frame(Pdu(0x03, {0x1C}, {}, ReferenceOf(ended)))));

    const std::string insert = "28 00 00 00 00 00 00 FD 00 ", fc50Name = " 30 43 30 30 30 35 30 50",
                      fc51Name = " 30 43 30 30 30 35 31 50", service = " 05 5F 49 4E 53 45";
    EXPECT_EQ(ErrorOf(AskJob(insert + "12 02 00" + fc50Name + fc51Name + service)), 0xD209);
    EXPECT_FALSE(HasBlock(BLOCK_TYPE_FC, 50));
    EXPECT_EQ(ErrorOf(AskJob(insert + "0A 01 00" + fc50Name + service)), 0);
    EXPECT_TRUE(HasBlock(BLOCK_TYPE_FC, 50));
}

}  // namespace
}  // namespace vexal::testing
