#include <gtest/gtest.h>

#include "block_facts.h"
#include "block_images.h"
#include "demo_project.h"

namespace vexal {
namespace {

// The fields themselves are checked against a controller's block info of the same image.
TEST(BlockFacts, AreReadOnlyFromAWholeImage) {
    const auto image = MakeDemoBlock(BLOCK_TYPE_FC, 12, 100, 3);
    BlockFacts f;
    ASSERT_TRUE(ReadBlockFacts(image.data(), image.size(), &f));
    EXPECT_EQ(f.codeTime, (36003000ull << 16) + 14003);
    const std::vector<uint8_t> broken[] = {testing::WithByte(image, 0, 0x71),
                                           testing::WithByte(image, 11, 71),
                                           testing::MakeBlockImage(BLOCK_TYPE_FC, 1, 60)};
    for (const auto& b : broken) EXPECT_FALSE(ReadBlockFacts(b.data(), b.size(), &f));
    EXPECT_FALSE(ReadBlockFacts(image.data(), image.size() - 1, &f));
}

TEST(BlockFacts, CompareByLengthsTimeStampsAndChecksum) {
    const BlockFacts base{2, 12, 192, 100, 0x1234, 0x5678, 0xABCD};
    const struct {
        const char* name;
        void (*change)(BlockFacts&);
        BlockMatch match;
    } cases[] = {
        {"same", [](BlockFacts&) {}, BlockMatch::kSame},
        {"code time", [](BlockFacts& f) { f.codeTime++; }, BlockMatch::kDiffers},
        {"interface time", [](BlockFacts& f) { f.interfaceTime++; }, BlockMatch::kDiffers},
        {"load length", [](BlockFacts& f) { f.loadLength += 2; }, BlockMatch::kDiffers},
        {"code length", [](BlockFacts& f) { f.codeLength--; }, BlockMatch::kDiffers},
        {"checksum", [](BlockFacts& f) { f.checksum = 1; }, BlockMatch::kDiffers},
        {"one checksum missing", [](BlockFacts& f) { f.checksum = 0; }, BlockMatch::kSame},
        {"info unknown", [](BlockFacts& f) { f.loadLength = 0; }, BlockMatch::kUndecided},
    };
    for (const auto& c : cases) {
        BlockFacts project = base;
        c.change(project);
        EXPECT_EQ(CompareBlockFacts(base, project), c.match) << c.name;
    }
    const BlockFacts unstamped{2, 12, 192, 100, 0, 0, 0};
    EXPECT_EQ(CompareBlockFacts(unstamped, unstamped), BlockMatch::kUndecided);
}

TEST(BlockFacts, ListCompareHasOneEntryPerBlockOfEitherSide) {
    const auto f = [](int type, uint16_t number, uint64_t time) {
        return BlockFacts{type, number, 200, 100, time, 7, 0};
    };
    std::string text;
    for (const BlockComparison& c : CompareBlockLists({f(2, 5, 7), f(2, 2, 7), f(0, 1, 7)},
                                                      {f(3, 1, 7), f(2, 2, 8), f(0, 1, 7)}))
        text += std::to_string(c.type) + ":" + std::to_string(c.number) + "=" +
                std::to_string(static_cast<int>(c.match)) + " ";
    EXPECT_EQ(text, "0:1=0 2:2=1 2:5=2 3:1=3 ");
}

}  // namespace
}  // namespace vexal
