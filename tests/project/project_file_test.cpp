#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "block_images.h"
#include "file_size_limit.h"
#include "project_file.h"
#include "temp_dir.h"

namespace vexal {
namespace {

using testing::Append;
using testing::FileSizeLimit;
using testing::MakeBlockImage;
using testing::ReadBytes;
using testing::WithByte;
using testing::WriteBytes;
using Bytes = std::vector<uint8_t>;

Bytes Concat(std::initializer_list<Bytes> images) {
    Bytes file;
    for (const Bytes& image : images) Append(file, image);
    return file;
}

Bytes Blocks(int type, int count, uint32_t length) {
    Bytes file;
    for (int n = 0; n < count; ++n) Append(file, MakeBlockImage(type, uint16_t(n), length));
    return file;
}

class ProjectFileTest : public ::testing::Test {
protected:
    int Load(const Bytes& content) {
        WriteBytes(path, content);
        return ReadProjectFile(path.c_str(), *store);
    }

    testing::TempDir dir;
    std::string path = dir.File("project.wld");
    std::unique_ptr<BlockStore> store = std::make_unique<BlockStore>();
};

TEST_F(ProjectFileTest, ReaderResultsForEveryKindOfFile) {
    const Bytes ob1 = MakeBlockImage(BLOCK_TYPE_OB, 1, 120);
    const Bytes fc5 = MakeBlockImage(BLOCK_TYPE_FC, 5, 77);
    struct Case {
        const char* what;
        Bytes content;
        int result;
        int blocksAfter;
    };
    const Case cases[] = {
        {"empty file", {}, kReadOk, 0},
        {"one block", ob1, kReadOk, 1},
        {"two blocks", Concat({ob1, fc5}), kReadOk, 2},
        {"trailing fragment of 35 bytes", Concat({ob1, Bytes(35, 0x70)}), kReadOk, 1},
        {"file shorter than a header", Bytes(20, 0x70), kReadOk, 0},
        {"header without pp", WithByte(ob1, 1, 0x71), kReadNoBlockHeader, 0},
        {"second header without pp", Concat({ob1, WithByte(fc5, 0, 0)}), kReadNoBlockHeader, 1},
        {"unknown type code", WithByte(ob1, 5, 0x33), kReadNotABlock, 0},
        {"largest image", MakeBlockImage(BLOCK_TYPE_DB, 1, kMaxBlockImage), kReadOk, 1},
        {"image too long", MakeBlockImage(BLOCK_TYPE_DB, 1, kMaxBlockImage + 1), kReadImageTooLong,
         0},
        {"the 4097th distinct block", Blocks(BLOCK_TYPE_FC, kStoreMaxBlocks + 1, 40),
         kReadStoreRefused, kStoreMaxBlocks},
        {"a block without room", Blocks(BLOCK_TYPE_DB, 32, kMaxBlockImage), kReadStoreRefused, 31},
        {"fragment of a header and more", Concat({ob1, Bytes(fc5.begin(), fc5.end() - 1)}),
         kReadTruncated, 1},
        {"length of exactly a header", MakeBlockImage(BLOCK_TYPE_OB, 2, 36), kReadTruncated, 0},
        {"length below a header", WithByte(ob1, 11, 10), kReadTruncated, 0},
        {"system blocks are skipped",
         Concat(
             {MakeBlockImage(BLOCK_TYPE_SFB, 1, 50), ob1, MakeBlockImage(BLOCK_TYPE_SFC, 2, 60)}),
         kReadOk, 1},
    };
    for (const Case& c : cases) {
        store->Clear();
        EXPECT_EQ(Load(c.content), c.result) << c.what;
        EXPECT_EQ(store->BlockCount(), c.blocksAfter) << c.what;
    }
}

TEST_F(ProjectFileTest, NeitherReaderNorWriterCanOpenAFolderOrWhatIsNoFile) {
    EXPECT_EQ(ReadProjectFile(dir.File("absent.wld").c_str(), *store), kReadCannotOpen);
    EXPECT_EQ(ReadProjectFile(dir.Path().c_str(), *store), kReadCannotOpen);
    EXPECT_EQ(ReadProjectFile(nullptr, *store), kReadCannotOpen);
    EXPECT_EQ(WriteProjectFile(dir.File("missing/p.wld").c_str(), *store), kWriteCannotOpen);
    EXPECT_EQ(WriteProjectFile(dir.Path().c_str(), *store), kWriteCannotOpen);
    EXPECT_EQ(WriteProjectFile("", *store), kWriteCannotOpen);
}

// Into a nearly full store: the later image only fits in place of the earlier one.
TEST_F(ProjectFileTest, ALaterImageOfABlockReplacesTheEarlierOne) {
    const Bytes twin = MakeBlockImage(BLOCK_TYPE_DB, 5, kMaxBlockImage - 100, 2);
    ASSERT_EQ(Load(Concat({Blocks(BLOCK_TYPE_DB, 31, kMaxBlockImage), twin})), kReadOk);
    EXPECT_EQ(store->BlockCount(), 31);
    EXPECT_EQ(std::memcmp(store->Find(BLOCK_TYPE_DB, 5), twin.data(), twin.size()), 0);
    EXPECT_EQ(store->FreeBytes(), kStoreDataSize - 31 * kMaxBlockImage + 100);
}

TEST_F(ProjectFileTest, AnImageCutShortLeavesTheFreeAreaEmpty) {
    const Bytes ob1 = MakeBlockImage(BLOCK_TYPE_OB, 1, 64);
    const Bytes fb2 = MakeBlockImage(BLOCK_TYPE_FB, 2, 5000, 9);
    ASSERT_EQ(Load(Concat({ob1, Bytes(fb2.begin(), fb2.begin() + 4900)})), kReadTruncated);
    ASSERT_EQ(store->BlockCount(), 1);
    const uint8_t* tail = store->Data() + ob1.size();
    for (size_t i = 0; i < 5000; ++i) ASSERT_EQ(tail[i], kEmptyFill) << i;
}

TEST_F(ProjectFileTest, ReaderNamesBlocksInFileOrderWriterSortsThemAndReadsBackTheSame) {
    const Bytes images[] = {
        MakeBlockImage(BLOCK_TYPE_SDB, 2, 90, 1), MakeBlockImage(BLOCK_TYPE_OB, 100, 37, 2),
        MakeBlockImage(BLOCK_TYPE_FC, 1, 4000, 3), MakeBlockImage(BLOCK_TYPE_OB, 1, 38, 4),
        MakeBlockImage(BLOCK_TYPE_DB, 7, 41, 5)};
    // The reader names each stored block in file order, the skipped system block not.
    WriteBytes(path, Concat({images[0], images[1], MakeBlockImage(BLOCK_TYPE_SFC, 1, 40), images[2],
                             images[3], images[4]}));
    std::vector<BlockRef> notified;
    auto record = [](void* context, int type, uint16_t number) {
        static_cast<std::vector<BlockRef>*>(context)->push_back(BlockRef_Pack(type, number));
    };
    ASSERT_EQ(ReadProjectFile(path.c_str(), *store, record, &notified), kReadOk);
    EXPECT_EQ(notified, (std::vector<BlockRef>{
                            BlockRef_Pack(BLOCK_TYPE_SDB, 2), BlockRef_Pack(BLOCK_TYPE_OB, 100),
                            BlockRef_Pack(BLOCK_TYPE_FC, 1), BlockRef_Pack(BLOCK_TYPE_OB, 1),
                            BlockRef_Pack(BLOCK_TYPE_DB, 7)}));
    const std::string saved = dir.File("saved.wld");
    ASSERT_EQ(WriteProjectFile(saved.c_str(), *store), kWriteOk);
    EXPECT_EQ(ReadBytes(saved), Concat({images[3], images[1], images[2], images[4], images[0]}));

    auto again = std::make_unique<BlockStore>();
    ASSERT_EQ(ReadProjectFile(saved.c_str(), *again), kReadOk);
    ASSERT_EQ(WriteProjectFile(path.c_str(), *again), kWriteOk);
    EXPECT_EQ(ReadBytes(path), ReadBytes(saved));
    EXPECT_EQ(again->FreeBytes(), store->FreeBytes());
}

TEST_F(ProjectFileTest, WriterFollowsTheListAndSkipsBlocksNotStored) {
    const Bytes ob1 = MakeBlockImage(BLOCK_TYPE_OB, 1, 50);
    const Bytes db2 = MakeBlockImage(BLOCK_TYPE_DB, 2, 60);
    ASSERT_EQ(Load(Concat({ob1, db2})), kReadOk);
    const BlockRef refs[] = {BlockRef_Pack(3, 2), BlockRef_Pack(2, 9), BlockRef_Pack(0, 1)};
    const std::string saved = dir.File("selection.wld");
    ASSERT_EQ(WriteProjectFile(saved.c_str(), *store, refs, 3), kWriteOk);
    EXPECT_EQ(ReadBytes(saved), Concat({db2, ob1}));
    ASSERT_EQ(WriteProjectFile(saved.c_str(), *store, refs, 0), kWriteOk);
    EXPECT_TRUE(ReadBytes(saved).empty());
    EXPECT_TRUE(std::filesystem::exists(saved));
}

// That the target stays whole, keeps its permissions and leaves no temporary file behind
// is the replacing file's part (ReplacingFile in the platform suite).
TEST_F(ProjectFileTest, WriterReportsAFailedWrite) {
    ASSERT_EQ(Load(Blocks(BLOCK_TYPE_FC, 10, 1000)), kReadOk);
    FileSizeLimit limit(4096);
    EXPECT_EQ(WriteProjectFile(path.c_str(), *store), kWriteFailed);
}

}  // namespace
}  // namespace vexal
