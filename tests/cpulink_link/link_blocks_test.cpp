#include <algorithm>

#include "block_images.h"
#include "demo_project.h"
#include "link_fixture.h"

namespace vexal::testing {
namespace {

constexpr uint32_t kUploadBuffer = 135168;

class LinkBlocks : public LinkTest {
protected:
    void SetUp() override { StartAndOpen(options); }

    std::vector<uint16_t> ControllerNumbers(int type) {
        std::vector<uint16_t> numbers;
        const BlockStore& blocks = Controller().Blocks();
        for (int p = 0; p < blocks.BlockCount(); ++p) {
            if (blocks.EntryAt(p).type == type) numbers.push_back(blocks.EntryAt(p).number);
        }
        return numbers;
    }

    std::vector<uint8_t> Upload(int type, uint16_t number, CpuStatus* status) {
        std::vector<uint8_t> buffer(kUploadBuffer);
        *status = cpuLink_UploadBlock(&record, type, number, buffer.data(), kUploadBuffer);
        buffer.resize(*status == CPULINK_OK ? BlockImageLength(buffer.data()) : 0);
        return buffer;
    }

    sim::SimOptions options;
};

TEST_F(LinkBlocks, ListsEveryTypesNumbersInAscendingOrder) {
    for (int type = BLOCK_TYPE_OB; type <= BLOCK_TYPE_SDB; ++type) {
        uint16_t numbers[200];
        int count = -1;
        ASSERT_EQ(cpuLink_GetBlockList(&record, type, 0, &count, numbers, 200), CPULINK_OK);
        EXPECT_EQ(std::vector<uint16_t>(numbers, numbers + count), ControllerNumbers(type)) << type;
    }
}

TEST_F(LinkBlocks, DeliversALongListInPagesWithMoreEntriesBetween) {
    const std::vector<uint16_t> all = ControllerNumbers(BLOCK_TYPE_FC);
    ASSERT_GT(all.size(), 30u);
    std::vector<uint16_t> collected;
    int start = 0;
    CpuStatus status = CPULINK_MORE_ENTRIES;
    while (status == CPULINK_MORE_ENTRIES) {
        uint16_t page[16];
        int count = 0;
        status = cpuLink_GetBlockList(&record, BLOCK_TYPE_FC, start, &count, page, 16);
        ASSERT_TRUE(status == CPULINK_OK || status == CPULINK_MORE_ENTRIES) << status;
        collected.insert(collected.end(), page, page + count);
        start += count;
    }
    EXPECT_EQ(collected, all);
}

TEST_F(LinkBlocks, ATypeWithoutBlocksListsNothing) {
    for (uint16_t number : ControllerNumbers(BLOCK_TYPE_SDB)) {
        ASSERT_EQ(cpuLink_DeleteBlock(&record, BLOCK_TYPE_SDB, number), CPULINK_OK);
    }
    int count = -1;
    uint16_t numbers[4];
    EXPECT_EQ(cpuLink_GetBlockList(&record, BLOCK_TYPE_SDB, 0, &count, numbers, 4), CPULINK_OK);
    EXPECT_EQ(count, 0);
}

TEST_F(LinkBlocks, UploadsEveryBlockExactlyAsTheControllerHoldsIt) {
    for (const auto& image : MakeDemoProgram()) {
        const int type = cpuLink_GetBlockType(image.data());
        const uint16_t number = BlockImageNumber(image.data());
        CpuStatus status = 0;
        const auto uploaded = Upload(type, number, &status);
        ASSERT_EQ(status, CPULINK_OK) << type << "/" << number;
        EXPECT_EQ(uploaded, Controller().CurrentImage(type, number));
    }
}

TEST_F(LinkBlocks, UploadIntoATooSmallBufferWritesNothingPastIt) {
    const auto image = Controller().CurrentImage(BLOCK_TYPE_OB, 1);
    std::vector<uint8_t> buffer(image.size() + 16, 0xA5);
    const uint32_t size = static_cast<uint32_t>(image.size() - 1);
    EXPECT_EQ(cpuLink_UploadBlock(&record, BLOCK_TYPE_OB, 1, buffer.data(), size),
              CPULINK_BUFFER_TOO_SMALL);
    for (size_t i = size; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0xA5) << i;
    CpuStatus status = 0;
    EXPECT_EQ(Upload(BLOCK_TYPE_OB, 1, &status), image) << "the link is still usable";
}

TEST_F(LinkBlocks, UploadOfAMissingBlockIsNotFound) {
    CpuStatus status = 0;
    Upload(BLOCK_TYPE_FB, 999, &status);
    EXPECT_EQ(status, CPULINK_NOT_FOUND);
}

TEST_F(LinkBlocks, DownloadedBlocksAreActiveAndUploadIdentical) {
    const struct {
        int type;
        uint16_t number;
        uint32_t length;
    } cases[] = {{BLOCK_TYPE_FC, 500, 92}, {BLOCK_TYPE_DB, 77, 5000}, {BLOCK_TYPE_OB, 1, 20000}};
    for (const auto& c : cases) {
        const auto image = MakeDemoBlock(c.type, c.number, c.length - 92, 9);
        ASSERT_EQ(cpuLink_DownloadBlock(&record, image.data()), CPULINK_OK) << c.number;
        CpuStatus status = 0;
        EXPECT_EQ(Upload(c.type, c.number, &status), image);
        const auto numbers = ControllerNumbers(c.type);
        EXPECT_NE(std::find(numbers.begin(), numbers.end(), c.number), numbers.end());
    }
}

TEST_F(LinkBlocks, ADownloadedDataBlockServesItsBodyAsData) {
    auto image = MakeDemoBlock(BLOCK_TYPE_DB, 42, 8, 3);
    for (int i = 0; i < 8; ++i) image[36 + i] = static_cast<uint8_t>(0x10 + i);
    ASSERT_EQ(cpuLink_DownloadBlock(&record, image.data()), CPULINK_OK);
    Variable word(0x84, 0x04, 2, 42);
    VariableDescriptor* one[] = {&word.descriptor};
    ASSERT_EQ(cpuLink_ReadVariables(&record, one, 1), CPULINK_OK);
    EXPECT_EQ(word.Bytes(2), (std::vector<uint8_t>{0x12, 0x13}));
}

TEST_F(LinkBlocks, MalformedImagesAreRefusedBeforeAnythingIsSent) {
    auto good = MakeDemoBlock(BLOCK_TYPE_FC, 7, 100);
    auto noMagic = good;
    noMagic[1] = 0x71;
    auto shortLength = good;
    shortLength[8] = shortLength[9] = shortLength[10] = 0;
    shortLength[11] = 20;
    auto codeBeyondImage = good;
    codeBeyondImage[34] = 0x7F;
    auto systemBlock = MakeBlockImage(6, 7, 200);
    const uint64_t before = simulator->RequestCount();
    for (const auto* image : {&noMagic, &shortLength, &codeBeyondImage, &systemBlock}) {
        EXPECT_EQ(cpuLink_DownloadBlock(&record, image->data()), CPULINK_INVALID_ARGUMENT);
    }
    EXPECT_EQ(cpuLink_DownloadBlock(&record, nullptr), CPULINK_INVALID_ARGUMENT);
    EXPECT_EQ(simulator->RequestCount(), before);
}

TEST_F(LinkBlocks, DeleteRemovesTheBlockAndAMissingOneIsNotFound) {
    ASSERT_EQ(cpuLink_DeleteBlock(&record, BLOCK_TYPE_FC, 3), CPULINK_OK);
    EXPECT_FALSE(Controller().HasBlock(BLOCK_TYPE_FC, 3));
    EXPECT_EQ(cpuLink_DeleteBlock(&record, BLOCK_TYPE_FC, 3), CPULINK_NOT_FOUND);
}

TEST_F(LinkBlocks, BlockCallsRefuseTypesOutsideTheBlockTypes) {
    int count = 0;
    uint16_t numbers[4];
    std::vector<uint8_t> buffer(100);
    EXPECT_EQ(cpuLink_GetBlockList(&record, 7, 0, &count, numbers, 4), CPULINK_INVALID_ARGUMENT);
    EXPECT_EQ(cpuLink_GetBlockList(&record, 0, -1, &count, numbers, 4), CPULINK_INVALID_ARGUMENT);
    EXPECT_EQ(cpuLink_UploadBlock(&record, -1, 1, buffer.data(), 100), CPULINK_INVALID_ARGUMENT);
    EXPECT_EQ(cpuLink_DeleteBlock(&record, 9, 1), CPULINK_INVALID_ARGUMENT);
}

class LinkProtectedBlock : public LinkBlocks {
protected:
    void SetUp() override {
        options.protectedBlocks.insert(BlockRef_Pack(BLOCK_TYPE_FC, 2));
        LinkBlocks::SetUp();
    }
};

TEST_F(LinkProtectedBlock, RefusesDeleteAndOverwriteButNotUpload) {
    EXPECT_EQ(cpuLink_DeleteBlock(&record, BLOCK_TYPE_FC, 2), CPULINK_BLOCK_PROTECTED);
    const auto image = MakeDemoBlock(BLOCK_TYPE_FC, 2, 300);
    EXPECT_EQ(cpuLink_DownloadBlock(&record, image.data()), CPULINK_BLOCK_PROTECTED);
    CpuStatus status = 0;
    EXPECT_EQ(Upload(BLOCK_TYPE_FC, 2, &status), Controller().CurrentImage(BLOCK_TYPE_FC, 2));
    EXPECT_EQ(cpuLink_DeleteBlock(&record, BLOCK_TYPE_FC, 4), CPULINK_OK) << "others stay free";
}

class LinkSmallPdu : public LinkBlocks {
protected:
    void SetUp() override {
        options.maxPdu = 128;
        LinkBlocks::SetUp();
    }
};

TEST_F(LinkSmallPdu, MovesLargeBlocksAndListsInManyPdus) {
    const auto image = MakeDemoBlock(BLOCK_TYPE_DB, 300, 20000, 5);
    ASSERT_EQ(cpuLink_DownloadBlock(&record, image.data()), CPULINK_OK);
    CpuStatus status = 0;
    EXPECT_EQ(Upload(BLOCK_TYPE_DB, 300, &status), image);
    uint16_t numbers[100];
    int count = 0;
    ASSERT_EQ(cpuLink_GetBlockList(&record, BLOCK_TYPE_FC, 0, &count, numbers, 100), CPULINK_OK);
    EXPECT_EQ(std::vector<uint16_t>(numbers, numbers + count), ControllerNumbers(BLOCK_TYPE_FC));
}

}  // namespace
}  // namespace vexal::testing
