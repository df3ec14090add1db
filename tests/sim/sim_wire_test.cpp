// The simulator's answers on the wire, compared with frames from the protocol notes.
#include <gtest/gtest.h>

#include "sim_fixture.h"

namespace vexal::testing {
namespace {

using SimWire = SimFixture;

TEST_F(SimWire, ConfirmsTheConnectionAndGrantsAtMostItsPduSize) {
    Start();
    ASSERT_TRUE(client.Connect(simulator->Port()));
    EXPECT_EQ(ToHex(client.Exchange(
                  Hex("03 00 00 16 11 E0 00 00 00 01 00 C0 01 0A C1 02 01 00 C2 02 01 02"))),
              "03 00 00 16 11 D0 00 01 00 01 00 C0 01 0A C1 02 01 00 C2 02 01 02");
    EXPECT_EQ(ToHex(client.Exchange(Hex(
                  "03 00 00 19 02 F0 80 32 01 00 00 00 01 00 08 00 00 F0 00 00 01 00 01 01 E0"))),
              "03 00 00 1B 02 F0 80 32 03 00 00 00 01 00 08 00 00 00 00 F0 00 00 01 00 01 00 F0");
}

TEST_F(SimWire, AnswersReadsWithFillBytesAndFourByteErrorItems) {
    StartAndOpen();
    simulator->Controller().Area(0x83, 0, true).data[10] = 0x08;
    // M10.3, MB10, DB999.DBB0, MW10: fill after the bit and the byte, none after the last.
    EXPECT_EQ(Ask("32 01 0000 0002 0032 0000 04 04 "
                  "12 0A 10 01 00 01 00 00 83 00 00 53  12 0A 10 02 00 01 00 00 83 00 00 50 "
                  "12 0A 10 02 00 01 03 E7 84 00 00 00  12 0A 10 04 00 01 00 00 83 00 00 50"),
              "03 00 00 2B 02 F0 80 32 03 00 00 00 02 00 02 00 16 00 00 04 04 "
              "FF 03 00 01 01 00 FF 04 00 08 08 00 0A 00 00 00 FF 04 00 10 08 00");
}

TEST_F(SimWire, AcknowledgesTheNotesWriteExample) {
    StartAndOpen();
    const std::vector<uint8_t> db5 =
        sim::DataBlockBody(simulator->Controller().CurrentImage(BLOCK_TYPE_DB, 5).data());
    ASSERT_GE(db5.size(), 8u);
    EXPECT_EQ(ToHex(client.Exchange(Hex("03 00 00 25 02 F0 80 32 01 00 00 00 03 00 0E 00 06 05 01 "
                                        "12 0A 10 02 00 02 00 05 84 00 00 30 00 04 00 10 12 34"))),
              "03 00 00 16 02 F0 80 32 03 00 00 00 03 00 02 00 01 00 00 05 01 FF");
    EXPECT_EQ(simulator->Controller().Area(0x84, 5, false).data[6], 0x12);
}

TEST_F(SimWire, StopOfAStoppedControllerAnswersAsTheNotesSuggest) {
    sim::SimOptions options;
    options.mode = sim::OperatingMode::kStop;
    StartAndOpen(options);
    EXPECT_EQ(ToHex(client.Exchange(Hex("03 00 00 21 02 F0 80 32 01 00 00 00 04 00 10 00 00 29 00 "
                                        "00 00 00 00 09 50 5F 50 52 4F 47 52 41 4D"))),
              "03 00 00 15 02 F0 80 32 03 00 00 00 04 00 02 00 00 84 02 29 07");
}

TEST_F(SimWire, AnswersTheClockAndAnUnknownListInUserdataForm) {
    StartAndOpen();
    const std::string clock = Ask("32 07 0000 0008 0008 0004 00 01 12 04 11 47 01 00 0A 00 00 00");
    EXPECT_EQ(clock.substr(0, 3 * 33),
              "03 00 00 2B 02 F0 80 32 07 00 00 00 08 00 0C 00 0E 00 01 12 08 12 87 01 00 00 00 00 "
              "00 FF 09 00 0A ");
    EXPECT_EQ(Ask("32 07 0000 0009 0008 0008 00 01 12 04 11 44 01 00 FF 09 00 04 00 77 00 00"),
              "03 00 00 21 02 F0 80 32 07 00 00 00 09 00 0C 00 04 00 01 12 08 12 84 01 00 00 00 D4 "
              "01 0A 00 00 00");
}

TEST_F(SimWire, IgnoresWhatIsNotS7AndKeepsServing) {
    StartAndOpen();
    ASSERT_TRUE(client.Send(Frame(Hex("33 01 0000 0001 0000 0000"))));
    ASSERT_TRUE(client.Send(Frame(Hex("32 01 0000 0001 0005 0000 F0"))));  // lengths lie
    EXPECT_EQ(Ask("32 01 0000 000A 0001 0000 77").substr(0, 8), "03 00 00");
}

TEST_F(SimWire, ReassemblesSegmentedRequestsAndSegmentsItsAnswers) {
    Start();
    ASSERT_TRUE(client.Connect(simulator->Port()));
    // TPDU size code 07: 128 bytes, so answers of 240 bytes arrive in two DT TPDUs.
    ASSERT_EQ(client.Exchange(
                  Hex("03 00 00 16 11 E0 00 00 00 01 00 C0 01 07 C1 02 01 00 C2 02 01 02"))[13],
              0x07);
    const auto setup = Hex("32 01 0000 0001 0008 0000 F0 00 0001 0001 00F0");
    ASSERT_TRUE(client.Send(Hex("03 00 00 0C 02 F0 00 32 01 00 00 00")));
    Bytes rest = {0x03, 0x00, 0x00, static_cast<uint8_t>(7 + setup.size() - 5), 0x02, 0xF0, 0x80};
    rest.insert(rest.end(), setup.begin() + 5, setup.end());
    ASSERT_TRUE(client.Send(rest));
    EXPECT_EQ(ToHex(client.Receive()),
              "03 00 00 1B 02 F0 80 32 03 00 00 00 01 00 08 00 00 00 00 F0 00 00 01 00 01 00 F0");
    // An upload chunk of 222 bytes comes in segments of at most 125 bytes.
    Bytes start = Frame(
        Hex("32 01 0000 0002 0012 0000 1D 00 00 00 00 00 00 00 09 5F 30 38 30 30 30 30 31 41"));
    const Bytes started = client.Exchange(start);
    ASSERT_GT(started.size(), 30u);
    Bytes upload = Frame(Hex("32 01 0000 0003 0008 0000 1E 00 00 00 00 00 00 01"));
    ASSERT_TRUE(client.Send(upload));
    const Bytes first = client.Receive();
    const Bytes second = client.Receive();
    EXPECT_EQ(first[6], 0x00) << "not the last segment";
    EXPECT_EQ(first.size(), 4u + 128) << "TPKT header and a whole 128-byte TPDU";
    EXPECT_EQ(second[6], 0x80);
    EXPECT_EQ(first.size() - 7 + second.size() - 7, 12u + 2 + 4 + 222);
}

}  // namespace
}  // namespace vexal::testing
