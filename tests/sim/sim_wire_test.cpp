// The simulator's answers on the wire, compared with frames from the protocol notes.
#include <gtest/gtest.h>

#include "s7_exchanges.h"
#include "sim_fixture.h"

namespace vexal::testing {
namespace {

using SimWire = SimFixture;

TEST_F(SimWire, AnswersEachExchangeOfTheNotesInOneSession) {
    Start();
    simulator->Controller().Area(0x83, 0, true).data[10] = 0x08;
    ASSERT_TRUE(client.Connect(simulator->Port()));
    const std::vector<S7Exchange> exchanges = LoadS7Exchanges();
    ASSERT_GE(exchanges.size(), 20u);
    for (const S7Exchange& exchange : exchanges) {
        for (size_t i = 0; !exchange.Captured() && i < exchange.steps.size(); ++i) {
            const S7Exchange::Step& step = exchange.steps[i];
            EXPECT_TRUE(client.Send(step.request));
            for (const Bytes& answer : step.answers) {
                EXPECT_EQ(ToHex(client.Receive()), ToHex(answer)) << exchange.name << " " << i;
            }
        }
    }
    const std::string clock = Ask("32 07 0000 0008 0008 0004 00 01 12 04 11 47 01 00 0A 00 00 00");
    EXPECT_EQ(clock.substr(0, 3 * 33),
              "03 00 00 2B 02 F0 80 32 07 00 00 00 08 00 0C 00 0E 00 01 12 08 12 87 01 01 00 00 00 "
              "00 FF 09 00 0A ");
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
    const Bytes confirm =
        client.Exchange(Hex("03 00 00 16 11 E0 00 00 00 01 00 C0 01 07 C1 02 01 00 C2 02 01 02"));
    ASSERT_GT(confirm.size(), 13u);
    ASSERT_EQ(confirm[13], 0x07);
    const auto setup = Hex("32 01 0000 0001 0008 0000 F0 00 0001 0001 00F0");
    ASSERT_TRUE(client.Send(Hex("03 00 00 0C 02 F0 00 32 01 00 00 00")));
    Bytes rest = {0x03, 0x00, 0x00, static_cast<uint8_t>(7 + setup.size() - 5), 0x02, 0xF0, 0x80};
    rest.insert(rest.end(), setup.begin() + 5, setup.end());
    ASSERT_TRUE(client.Send(rest));
    EXPECT_EQ(ToHex(client.Receive()),
              "03 00 00 1B 02 F0 80 32 03 00 00 00 01 00 08 00 00 00 00 F0 00 00 01 00 01 00 F0");
    // An upload chunk of 222 bytes comes in segments of at most 125 bytes.
    ASSERT_GT(client
                  .Exchange(Frame(Hex("32 01 0000 0002 0012 0000 1D 00 00 00 00 00 00 00 09 5F "
                                      "30 38 30 30 30 30 31 41")))
                  .size(),
              30u);
    ASSERT_TRUE(client.Send(Frame(Hex("32 01 0000 0003 0008 0000 1E 00 00 00 00 00 00 01"))));
    const Bytes first = client.Receive();
    const Bytes second = client.Receive();
    ASSERT_EQ(first.size(), 4u + 128) << "TPKT header and a whole 128-byte TPDU";
    ASSERT_GT(second.size(), 7u);
    EXPECT_EQ(first[6], 0x00) << "not the last segment";
    EXPECT_EQ(second[6], 0x80);
    EXPECT_EQ(first.size() - 7 + second.size() - 7, 12u + 2 + 4 + 222);
}

}  // namespace
}  // namespace vexal::testing
