#include <gtest/gtest.h>

#include "plc_controller.h"
#include "sha256.h"
#include "sim_clock.h"

namespace vexal::sim {
namespace {

TEST(SimClock, EncodesAndDecodesTheNotesExamples) {
    const struct {
        uint8_t bytes[8];
    } examples[] = {{{0x14, 0x08, 0x20, 0x11, 0x59, 0x43, 0x91, 0x24}},
                    {{0x99, 0x12, 0x31, 0x23, 0x59, 0x59, 0x99, 0x96}},
                    {{0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x07}},
                    {{0x89, 0x12, 0x31, 0x23, 0x59, 0x59, 0x99, 0x97}}};
    for (const auto& e : examples) {
        int64_t ms = 0;
        ASSERT_TRUE(DecodeDateAndTime(e.bytes, &ms));
        uint8_t again[8];
        EncodeDateAndTime(ms, again);
        EXPECT_EQ(std::vector<uint8_t>(again, again + 8),
                  std::vector<uint8_t>(e.bytes, e.bytes + 8));
    }
}

TEST(SimClock, RefusesDigitsThatAreNoDate) {
    const uint8_t bad[][8] = {{0x14, 0x02, 0x30, 0, 0, 0, 0, 1},
                              {0x1A, 0x01, 0x01, 0, 0, 0, 0, 1},
                              {0x14, 0x01, 0x01, 0x24, 0, 0, 0, 1},
                              {0x14, 0x01, 0x01, 0, 0, 0, 0, 0xA1}};
    for (const auto& b : bad) {
        int64_t ms = 0;
        EXPECT_FALSE(DecodeDateAndTime(b, &ms));
    }
}

TEST(Sha256, MatchesTheStandardVectors) {
    const std::string abc = "abc";
    EXPECT_EQ(Sha256Hex(reinterpret_cast<const uint8_t*>(abc.data()), abc.size()),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(Sha256Hex(nullptr, 0),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    const std::string twoBlocks = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    EXPECT_EQ(Sha256Hex(reinterpret_cast<const uint8_t*>(twoBlocks.data()), twoBlocks.size()),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}

TEST(SimController, MemoryResetClearsProgramAndDataButKeepsTheDiagnostics) {
    SimOptions options;
    options.mode = OperatingMode::kStop;
    PlcController controller(options);
    std::string error;
    ASSERT_TRUE(controller.LoadProgram("", &error));
    controller.Area(0x83, 0, true).data[0] = 0x55;
    ASSERT_EQ(controller.MemoryReset(), kNoError);
    EXPECT_EQ(controller.Blocks().BlockCount(), 0);
    EXPECT_EQ(controller.Flags()[0], 0);
    EXPECT_EQ(controller.Area(0x84, 1, false).data, nullptr);
    EXPECT_EQ(controller.LoadMemoryUsed(), 0u);
    EXPECT_EQ(controller.Diagnostics().front()[0] << 8 | controller.Diagnostics().front()[1],
              0x430E);
}

TEST(SimController, DataBlocksHoldTheirBodyAndUploadWhatWasWritten) {
    PlcController controller(SimOptions{});
    std::string error;
    ASSERT_TRUE(controller.LoadProgram("", &error));
    const Bytes before = controller.CurrentImage(BLOCK_TYPE_DB, 2);
    const PlcController::AreaBytes data = controller.Area(0x84, 2, true);
    ASSERT_EQ(data.size, static_cast<size_t>(before[34] << 8 | before[35]));
    data.data[0] ^= 0xFF;
    const Bytes after = controller.CurrentImage(BLOCK_TYPE_DB, 2);
    EXPECT_EQ(after[36], before[36] ^ 0xFF);
    EXPECT_TRUE(std::equal(after.begin() + 37, after.end(), before.begin() + 37));
}

}  // namespace
}  // namespace vexal::sim
