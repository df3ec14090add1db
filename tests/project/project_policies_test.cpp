#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "block_images.h"
#include "project_policies.h"
#include "temp_dir.h"

namespace vexal {
namespace {

using testing::Append;
using testing::MakeBlockImage;

// A notification that collects the blocks named.
void Record(void* context, int type, uint16_t number) {
    static_cast<std::vector<BlockRef>*>(context)->push_back(BlockRef_Pack(type, number));
}

class ProjectPoliciesTest : public ::testing::Test {
protected:
    void AddBlock(BlockStore& into, int type, uint16_t number) {
        const auto image = MakeBlockImage(type, number, 48);
        ASSERT_TRUE(into.Add(image.data(), image.size()));
    }

    testing::TempDir dir;
    std::unique_ptr<BlockStore> store = std::make_unique<BlockStore>();
};

TEST_F(ProjectPoliciesTest, LoadingMergesAWholeFileAndReplacesTwins) {
    AddBlock(*store, BLOCK_TYPE_OB, 1);
    AddBlock(*store, BLOCK_TYPE_FC, 2);
    std::vector<uint8_t> file;
    Append(file, MakeBlockImage(BLOCK_TYPE_FC, 2, 60, 9));
    Append(file, MakeBlockImage(BLOCK_TYPE_DB, 3, 40));
    testing::WriteBytes(dir.File("good.wld"), file);
    std::vector<BlockRef> stored;
    ASSERT_EQ(LoadProjectFile(dir.File("good.wld").c_str(), *store, Record, &stored), kReadOk);
    EXPECT_EQ(store->BlockCount(), 3);
    EXPECT_EQ(BlockImageLength(store->Find(BLOCK_TYPE_FC, 2)), 60u);
    EXPECT_EQ(stored, (std::vector<BlockRef>{BlockRef_Pack(2, 2), BlockRef_Pack(3, 3)}));
}

// A file that fails half-way, or does not fit beside the project, changes nothing: an
// unsaved upload survives trying to open the wrong file.
TEST_F(ProjectPoliciesTest, AFailedLoadLeavesTheProjectAsItWas) {
    for (uint16_t number = 1; number < kStoreMaxBlocks; ++number) AddBlock(*store, 0, number);
    std::vector<uint8_t> good;
    Append(good, MakeBlockImage(BLOCK_TYPE_FC, 2, 40));
    std::vector<uint8_t> damaged = good;
    damaged.push_back(0x70);
    damaged.resize(damaged.size() + 40, 0x00);
    std::vector<uint8_t> tooMany = good;
    Append(tooMany, MakeBlockImage(BLOCK_TYPE_FC, 3, 40));
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        int result;
    } cases[] = {{"damaged", damaged, kReadNoBlockHeader},
                 {"too many", tooMany, kReadStoreRefused}};
    const std::vector<uint8_t> before(store->Data(), store->Data() + kStoreDataSize);
    for (const auto& c : cases) {
        testing::WriteBytes(dir.File("bad.wld"), c.bytes);
        EXPECT_EQ(LoadProjectFile(dir.File("bad.wld").c_str(), *store, nullptr, nullptr), c.result)
            << c.name;
        EXPECT_EQ(store->BlockCount(), kStoreMaxBlocks - 1) << c.name;
        EXPECT_TRUE(std::equal(before.begin(), before.end(), store->Data())) << c.name;
    }
    testing::WriteBytes(dir.File("good.wld"), good);
    EXPECT_EQ(LoadProjectFile(dir.File("good.wld").c_str(), *store, nullptr, nullptr), kReadOk);
}

TEST_F(ProjectPoliciesTest, DeletingStopsAtTheFirstBlockNotInTheProject) {
    AddBlock(*store, BLOCK_TYPE_OB, 1);
    AddBlock(*store, BLOCK_TYPE_FB, 2);
    AddBlock(*store, BLOCK_TYPE_DB, 3);
    std::vector<BlockRef> removed;
    const BlockRef selection[] = {BlockRef_Pack(1, 2), BlockRef_Pack(2, 9), BlockRef_Pack(0, 1)};
    EXPECT_FALSE(DeleteProjectBlocks(*store, selection, 3, Record, &removed));
    EXPECT_EQ(removed, std::vector<BlockRef>{BlockRef_Pack(1, 2)});
    EXPECT_NE(store->Find(BLOCK_TYPE_OB, 1), nullptr);
    EXPECT_TRUE(DeleteProjectBlocks(*store, selection + 2, 1, Record, &removed));
    EXPECT_EQ(store->BlockCount(), 1);
}

}  // namespace
}  // namespace vexal
