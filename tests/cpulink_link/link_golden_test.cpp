// The library's requests compared byte for byte with frames from the protocol notes, and
// its reading of captured controller answers, against a scripted peer.
#include <functional>

#include "link_fixture.h"
#include "raw_iso.h"

namespace vexal::testing {
namespace {

const Bytes kConnectionRequest =
    Hex("03 00 00 16 11 E0 00 00 00 01 00 C0 01 0A C1 02 01 00 C2 02 01 02");
const Bytes kConnectionConfirm =
    Hex("03 00 00 16 11 D0 00 01 00 44 00 C0 01 0A C1 02 01 00 C2 02 01 02");
const Bytes kSetupAnswer = Frame(Hex("32 03 0000 0001 0008 0000 0000 F0 00 0001 0001 00F0"));

Bytes Concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A request frame: S7 header of `type` with this reference, then parameter and data.
Bytes RequestFrame(uint8_t type, uint16_t reference, const Bytes& params, const Bytes& data = {}) {
    Bytes pdu = {0x32,
                 type,
                 0,
                 0,
                 static_cast<uint8_t>(reference >> 8),
                 static_cast<uint8_t>(reference),
                 static_cast<uint8_t>(params.size() >> 8),
                 static_cast<uint8_t>(params.size()),
                 static_cast<uint8_t>(data.size() >> 8),
                 static_cast<uint8_t>(data.size())};
    return Frame(Concat(Concat(pdu, params), data));
}

// An ack-data frame without error.
Bytes AckFrame(uint16_t reference, const Bytes& params, const Bytes& data) {
    Bytes pdu = {0x32,
                 3,
                 0,
                 0,
                 static_cast<uint8_t>(reference >> 8),
                 static_cast<uint8_t>(reference),
                 static_cast<uint8_t>(params.size() >> 8),
                 static_cast<uint8_t>(params.size()),
                 static_cast<uint8_t>(data.size() >> 8),
                 static_cast<uint8_t>(data.size()),
                 0,
                 0};
    return Frame(Concat(Concat(pdu, params), data));
}

// Opens a link to a peer that confirms, grants 240 bytes and then plays `steps`.
class LinkGolden : public LinkTest {
protected:
    ~LinkGolden() override { cpuLink_CloseConnection(&record); }

    void Play(std::vector<ScriptedPeer::Step> steps) {
        steps.insert(steps.begin(), {{kSetupAnswer}});
        steps.insert(steps.begin(), {{kConnectionConfirm}});
        peer = std::make_unique<ScriptedPeer>(std::move(steps));
        SetLinkSettings(peer->Port(), 1000);
        ASSERT_EQ(Open(), CPULINK_OK);
    }

    // The frames the library sent, after closing the link.
    std::vector<Bytes> Sent() {
        cpuLink_CloseConnection(&record);
        return peer->Finish();
    }

    std::unique_ptr<ScriptedPeer> peer;
};

TEST_F(LinkGolden, ConnectsWithThePgConnectionRequestAndAsksFor960Bytes) {
    Play({});
    const auto sent = Sent();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(ToHex(sent[0]), ToHex(kConnectionRequest));
    EXPECT_EQ(ToHex(sent[1]), ToHex(RequestFrame(1, 1, Hex("F0 00 0001 0001 03C0"))));
}

TEST_F(LinkGolden, ReadsFourBytesOfADataBlockAsTheNotesShow) {
    Play({{{WithReference(Hex("03 00 00 1D 02 F0 80 32 03 00 00 00 02 00 02 00 08 00 00 04 01 FF "
                              "04 00 20 11 22 33 44"),
                          2)}}});
    Variable bytes(0x84, 0x02, 0, 1);
    bytes.descriptor.elementCount = 4;
    VariableDescriptor* one[] = {&bytes.descriptor};
    ASSERT_EQ(cpuLink_ReadVariables(&record, one, 1), CPULINK_OK);
    EXPECT_EQ(bytes.Bytes(4), Hex("11 22 33 44"));
    EXPECT_EQ(ToHex(Sent()[2]), ToHex(Hex("03 00 00 1F 02 F0 80 32 01 00 00 00 02 00 0E 00 00 04 "
                                          "01 12 0A 10 02 00 04 00 01 84 00 00 00")));
}

TEST_F(LinkGolden, ReadsABitATimerAndAByteWithTheirFillBytes) {
    // The bit's one byte is followed by a fill byte; the last item never has one.
    Play({{{AckFrame(2, Hex("04 03"), Hex("FF 03 0001 01 00  FF 09 0002 21 50  FF 04 0008 7E"))}}});
    std::vector<Variable> variables = {Variable(0x83, 0x01, 10, 0, 3), Variable(0x1D, 0x1D, 5),
                                       Variable(0x83, 0x02, 1)};
    auto pointers = Pointers(variables);
    ASSERT_EQ(cpuLink_ReadVariables(&record, pointers.data(), 3), CPULINK_OK);
    EXPECT_EQ(variables[0].Bytes(1), Hex("01"));
    EXPECT_EQ(variables[1].Bytes(2), Hex("21 50"));
    EXPECT_EQ(variables[2].Bytes(1), Hex("7E"));
    EXPECT_EQ(ToHex(Sent()[2]), ToHex(RequestFrame(1, 2,
                                                   Hex("04 03  12 0A 10 01 00 01 00 00 83 00 00 53 "
                                                       "12 0A 10 1D 00 01 00 00 1D 00 00 05 "
                                                       "12 0A 10 02 00 01 00 00 83 00 00 08"))));
}

TEST_F(LinkGolden, WritesTwoBytesOfADataBlockAsTheNotesShow) {
    Play({{{WithReference(Hex("03 00 00 16 02 F0 80 32 03 00 00 00 03 00 02 00 01 00 00 05 01 FF"),
                          2)}}});
    Variable bytes(0x84, 0x02, 6, 5);
    bytes.descriptor.elementCount = 2;
    bytes.SetBytes({0x12, 0x34});
    VariableDescriptor* one[] = {&bytes.descriptor};
    ASSERT_EQ(cpuLink_WriteVariables(&record, one, 1), CPULINK_OK);
    EXPECT_EQ(ToHex(Sent()[2]),
              ToHex(WithReference(Hex("03 00 00 25 02 F0 80 32 01 00 00 00 03 00 0E 00 06 05 01 12 "
                                      "0A 10 02 00 02 00 05 84 00 00 30 00 04 00 10 12 34"),
                                  2)));
}

TEST_F(LinkGolden, ControlJobsSendTheNotesParameters) {
    const Bytes ok28 = Frame(Hex("32 03 0000 0002 0001 0000 0000 28"));
    const struct {
        std::function<CpuStatus(CpuConnection*)> call;
        Bytes params;
    } cases[] = {
        {[](CpuConnection* r) { return cpuLink_CompressMemory(r, 30000); },
         Hex("28 00 00 00 00 00 00 FD 00 00 05 5F 47 41 52 42")},
        {[](CpuConnection* r) { return cpuLink_CopyRamToRom(r, 120000); },
         Hex("28 00 00 00 00 00 00 FD 00 02 45 50 05 5F 4D 4F 44 55")},
        {[](CpuConnection* r) { return cpuLink_DeleteBlock(r, BLOCK_TYPE_DB, 3); },
         Hex("28 00 00 00 00 00 00 FD 00 0A 01 00 30 41 30 30 30 30 33 42 05 5F 44 45 4C 45")},
        {[](CpuConnection* r) { return cpuLink_WarmRestart(r); },
         Hex("28 00 00 00 00 00 00 FD 00 00 09 50 5F 50 52 4F 47 52 41 4D")},
    };
    for (const auto& c : cases) {
        Play({{{ok28}}});
        EXPECT_EQ(c.call(&record), CPULINK_OK);
        EXPECT_EQ(ToHex(Sent()[2]), ToHex(RequestFrame(1, 2, c.params)));
    }
}

TEST_F(LinkGolden, StopSendsTheNotesFrameAndReadsAlreadyStoppedAsWrongMode) {
    Play({{{Frame(Hex("32 03 0000 0002 0002 0000 8402 29 07"))}}});
    EXPECT_EQ(cpuLink_Stop(&record), CPULINK_WRONG_MODE);
    EXPECT_EQ(ToHex(Sent()[2]),
              ToHex(WithReference(Hex("03 00 00 21 02 F0 80 32 01 00 00 00 04 00 10 00 00 29 00 00 "
                                      "00 00 00 09 50 5F 50 52 4F 47 52 41 4D"),
                                  2)));
}

TEST_F(LinkGolden, ReadsTheClockOfACapturedAnswer) {
    Play(
        {{{Frame(Hex("32 07 0000 0002 000C 000E  00 01 12 08 12 87 01 01 00 00 00 00  FF 09 00 0A "
                     "00 19 14 08 20 11 59 43 91 24"))}}});
    CpuClock clock{};
    ASSERT_EQ(cpuLink_GetClock(&record, &clock), CPULINK_OK);
    EXPECT_EQ(ToHex(Bytes(clock.bytes, clock.bytes + 8)), "14 08 20 11 59 43 91 24");
    EXPECT_EQ(ToHex(Sent()[2]),
              ToHex(RequestFrame(7, 2, Hex("00 01 12 04 11 47 01 00"), Hex("0A 00 00 00"))));
}

TEST_F(LinkGolden, ALateAnswerToAnEarlierRequestIsNotTakenForTheCurrentOne) {
    const Bytes stale =
        Frame(Hex("32 07 0000 0001 000C 000E  00 01 12 08 12 87 01 01 00 00 00 00  FF 09 00 0A 00 "
                  "19 99 12 31 23 59 59 99 96"));
    const Bytes current =
        Frame(Hex("32 07 0000 0002 000C 000E  00 01 12 08 12 87 01 01 00 00 00 00  FF 09 00 0A 00 "
                  "19 14 08 20 11 59 43 91 24"));
    Play({{{stale, current}}});
    CpuClock clock{};
    ASSERT_EQ(cpuLink_GetClock(&record, &clock), CPULINK_OK);
    EXPECT_EQ(clock.bytes[0], 0x14);
}

TEST_F(LinkGolden, SendsThePasswordScrambled) {
    Play({{{Frame(
        Hex("32 07 0000 0002 000C 0004  00 01 12 08 12 85 01 01 00 00 00 00  0A 00 00 00"))}}});
    ASSERT_EQ(cpuLink_LogInW(&record, L"ABC"), CPULINK_OK);
    EXPECT_EQ(ToHex(Sent()[2]), ToHex(RequestFrame(7, 2, Hex("00 01 12 04 11 45 01 00"),
                                                   Hex("FF 09 00 08 14 17 02 62 77 17 02 62"))));
}

TEST_F(LinkGolden, ReadsACapturedLedListAndAsksForItAsTheNotesShow) {
    Play(
        {{{Frame(Hex("32 07 0000 0002 000C 0028  00 01 12 08 12 84 01 01 00 00 00 00 "
                     "FF 09 00 24 00 19 00 00 00 04 00 07 00 01 00 00 00 04 01 00 00 05 00 00 "
                     "00 06 00 00 00 0B 00 00 00 0C 00 00 00 15 00 00"))}}});
    uint8_t records[40];
    uint16_t length = 0, count = 0;
    ASSERT_EQ(cpuLink_ReadSsl(&record, 0x19, 0, &length, &count, records, 40), CPULINK_OK);
    EXPECT_EQ(length, 4);
    EXPECT_EQ(count, 7);
    EXPECT_EQ(ToHex(Bytes(records + 4, records + 8)), "00 04 01 00");
    EXPECT_EQ(ToHex(Sent()[2]), ToHex(RequestFrame(7, 2, Hex("00 01 12 04 11 44 01 00"),
                                                   Hex("FF 09 00 04 00 19 00 00"))));
}

TEST_F(LinkGolden, FollowsAFragmentedListWithFollowUpRequests) {
    Play({{{Frame(Hex("32 07 0000 0002 000C 000E  00 01 12 08 12 84 01 05 07 01 00 00 "
                      "FF 09 00 0A 00 11 00 00 00 02 00 03 AA BB"))}},
          {{Frame(Hex("32 07 0000 0003 000C 0008  00 01 12 08 12 84 01 05 07 00 00 00 "
                      "FF 09 00 04 CC DD EE FF"))}}});
    uint8_t records[12];
    uint16_t length = 0, count = 0;
    ASSERT_EQ(cpuLink_ReadSsl(&record, 0x11, 0, &length, &count, records, 12), CPULINK_OK);
    EXPECT_EQ(length, 2);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(ToHex(Bytes(records, records + 6)), "AA BB CC DD EE FF");
    EXPECT_EQ(ToHex(Sent()[3]), ToHex(RequestFrame(7, 3, Hex("00 01 12 08 12 44 01 05 00 00 00 00"),
                                                   Hex("0A 00 00 00"))));
}

TEST_F(LinkGolden, StartsAnUploadWithTheNotesFileName) {
    Play({{{Frame(Hex("32 03 0000 0002 0001 0000 D209 1D"))}}});
    std::vector<uint8_t> buffer(1000);
    EXPECT_EQ(cpuLink_UploadBlock(&record, BLOCK_TYPE_DB, 1, buffer.data(), 1000),
              CPULINK_NOT_FOUND);
    EXPECT_EQ(
        ToHex(Sent()[2]),
        ToHex(RequestFrame(1, 2, Hex("1D 00 00 00 00 00 00 00 09 5F 30 41 30 30 30 30 31 41"))));
}

TEST_F(LinkGolden, AnswersThatDoNotParseAreProtocolErrorsAndCloseTheLink) {
    const Bytes broken[] = {
        Frame(Hex("33 07 0000 0002 000C 000E")),                                       // not S7
        Frame(Hex("32 07 0000 0002 000C 0020  00 01 12 08 12 87 01 01 00 00 00 00")),  // lengths
        Frame(Hex("32 07 0000 0002 000C 0008  00 01 12 08 12 87 01 01 00 00 00 00  FF 09 00 0A 00 "
                  "19 14 08")),
        Frame(Hex("32 07 0000 0002 000C 0004  00 01 12 08 12 84 01 01 00 00 00 00  FF 09 00 00")),
        Hex("04 00 00 07 02 F0 80"),  // not TPKT version 3
    };
    for (const Bytes& answer : broken) {
        Play({{{answer}}});
        CpuClock clock{};
        EXPECT_EQ(cpuLink_GetClock(&record, &clock), CPULINK_PROTOCOL_ERROR) << ToHex(answer);
        EXPECT_EQ(cpuLink_GetClock(&record, &clock), CPULINK_NOT_CONNECTED);
        Sent();
    }
}

}  // namespace
}  // namespace vexal::testing
