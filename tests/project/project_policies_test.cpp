#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "block_images.h"
#include "project_policies.h"
#include "temp_dir.h"

namespace vexal {
namespace {

using testing::MakeBlockImage;

class ProjectPoliciesTest : public ::testing::Test {
protected:
    void AddBlock(BlockStore& into, int type, uint16_t number) {
        const auto image = MakeBlockImage(type, number, 48);
        ASSERT_TRUE(into.Add(image.data(), image.size()));
    }

    testing::TempDir dir;
    std::unique_ptr<BlockStore> store = std::make_unique<BlockStore>();
};

TEST_F(ProjectPoliciesTest, LoadingAddsToTheProjectAndAFailureClearsIt) {
    AddBlock(*store, BLOCK_TYPE_OB, 1);
    const std::vector<uint8_t> good = MakeBlockImage(BLOCK_TYPE_FC, 2, 40);
    testing::WriteBytes(dir.File("good.wld"), good);
    ASSERT_EQ(LoadProjectFile(dir.File("good.wld").c_str(), *store, nullptr, nullptr), kReadOk);
    EXPECT_EQ(store->BlockCount(), 2);

    std::vector<uint8_t> bad = good;
    bad.push_back(0x70);
    bad.resize(bad.size() + 40, 0x00);
    testing::WriteBytes(dir.File("bad.wld"), bad);
    EXPECT_EQ(LoadProjectFile(dir.File("bad.wld").c_str(), *store, nullptr, nullptr),
              kReadNoBlockHeader);
    EXPECT_EQ(store->BlockCount(), 0);
}

TEST_F(ProjectPoliciesTest, DeletingStopsAtTheFirstBlockNotInTheProject) {
    AddBlock(*store, BLOCK_TYPE_OB, 1);
    AddBlock(*store, BLOCK_TYPE_FB, 2);
    AddBlock(*store, BLOCK_TYPE_DB, 3);
    std::vector<BlockRef> removed;
    auto record = [](void* context, int type, uint16_t number) {
        static_cast<std::vector<BlockRef>*>(context)->push_back(BlockRef_Pack(type, number));
    };
    const BlockRef selection[] = {BlockRef_Pack(1, 2), BlockRef_Pack(2, 9), BlockRef_Pack(0, 1)};
    EXPECT_FALSE(DeleteProjectBlocks(*store, selection, 3, record, &removed));
    EXPECT_EQ(removed, std::vector<BlockRef>{BlockRef_Pack(1, 2)});
    EXPECT_NE(store->Find(BLOCK_TYPE_OB, 1), nullptr);
    EXPECT_TRUE(DeleteProjectBlocks(*store, selection + 2, 1, record, &removed));
    EXPECT_EQ(store->BlockCount(), 1);
}

TEST_F(ProjectPoliciesTest, CommandProgramFilesAreCreatedEmptyAndFilledAtTheEnd) {
    const std::string upload = dir.File("upload.wld");
    AddBlock(*store, BLOCK_TYPE_OB, 1);
    ASSERT_EQ(CreateUploadFile(upload.c_str(), *store), kWriteOk);
    EXPECT_EQ(store->BlockCount(), 0);
    EXPECT_TRUE(testing::ReadBytes(upload).empty());
    AddBlock(*store, BLOCK_TYPE_FC, 4);
    AddBlock(*store, BLOCK_TYPE_OB, 7);
    ASSERT_EQ(WriteUploadFile(upload.c_str(), *store), kWriteOk);

    auto downloads = std::make_unique<BlockStore>();
    AddBlock(*downloads, BLOCK_TYPE_SDB, 1);
    ASSERT_EQ(LoadDownloadFile(upload.c_str(), *downloads), kReadOk);
    EXPECT_EQ(downloads->BlockCount(), 2) << "the download store starts empty";
    EXPECT_EQ(CreateUploadFile(dir.File("no/such/folder.wld").c_str(), *store), kWriteCannotOpen);
    EXPECT_EQ(LoadDownloadFile(dir.File("absent.wld").c_str(), *downloads), kReadCannotOpen);
}

}  // namespace
}  // namespace vexal
