#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "block_images.h"
#include "block_store.h"

namespace vexal {
namespace {

using testing::MakeBlockImage;
using testing::WithByte;

class BlockStoreTest : public ::testing::Test {
protected:
    bool Add(int type, uint16_t number, uint32_t length, uint8_t seed = 0) {
        const auto image = MakeBlockImage(type, number, length, seed);
        return store->Add(image.data(), image.size());
    }
    bool Holds(int type, uint16_t number, uint32_t length, uint8_t seed) const {
        const auto image = MakeBlockImage(type, number, length, seed);
        const uint8_t* stored = store->Find(type, number);
        return stored != nullptr && std::memcmp(stored, image.data(), length) == 0;
    }
    uint32_t UsedBytes() const {
        uint32_t used = 0;
        for (int p = 0; p < store->BlockCount(); ++p) {
            used += RoundedImageLength(BlockImageLength(store->ImageAt(p)));
        }
        return used;
    }
    // Every invariant of the store at once.
    void ExpectConsistent() const {
        int counts[BLOCK_TYPE_COUNT] = {};
        for (int p = 0; p < store->BlockCount(); ++p) {
            const auto& entry = store->EntryAt(p);
            ASSERT_LT(entry.type, BLOCK_TYPE_COUNT);
            ++counts[entry.type];
            if (p > 0) {
                const auto& prev = store->EntryAt(p - 1);
                ASSERT_TRUE(prev.type < entry.type ||
                            (prev.type == entry.type && prev.number < entry.number));
            }
            ASSERT_EQ(BlockImageNumber(store->ImageAt(p)), entry.number);
        }
        for (int t = 0; t < BLOCK_TYPE_COUNT; ++t) EXPECT_EQ(store->TypeCount(t), counts[t]);
        for (int p = store->BlockCount(); p < kStoreMaxBlocks; ++p) {
            ASSERT_EQ(store->EntryAt(p).type, BlockStore::kUnusedType);
        }
        EXPECT_EQ(store->FreeBytes(), kStoreDataSize - UsedBytes());
        const uint8_t* tail = store->Data() + UsedBytes();
        for (uint32_t i = 0; i < store->FreeBytes(); i += 4093) ASSERT_EQ(tail[i], kEmptyFill);
    }

    std::unique_ptr<BlockStore> store = std::make_unique<BlockStore>();
};

TEST_F(BlockStoreTest, KeepsBlocksOrderedByTypeThenNumber) {
    const int types[] = {3, 0, 2, 3, 1, 4, 0, 2};
    const uint16_t numbers[] = {10, 35, 7, 1, 5, 2, 1, 65535};
    for (int i = 0; i < 8; ++i) ASSERT_TRUE(Add(types[i], numbers[i], 40 + i));
    ExpectConsistent();
    int type = -1;
    uint16_t number = 0;
    std::vector<BlockRef> walked;
    for (bool more = store->First(&type, &number); more; more = store->Next(&type, &number)) {
        walked.push_back(BlockRef_Pack(type, number));
    }
    const std::vector<BlockRef> expected = {
        BlockRef_Pack(0, 1),     BlockRef_Pack(0, 35), BlockRef_Pack(1, 5),  BlockRef_Pack(2, 7),
        BlockRef_Pack(2, 65535), BlockRef_Pack(3, 1),  BlockRef_Pack(3, 10), BlockRef_Pack(4, 2)};
    EXPECT_EQ(walked, expected);
    ASSERT_TRUE(store->Remove(BLOCK_TYPE_FC, 7) && store->Remove(BLOCK_TYPE_FC, 65535));
    EXPECT_FALSE(store->FirstOfType(BLOCK_TYPE_FC, &number));
    EXPECT_FALSE(store->FirstOfType(BLOCK_TYPE_SFB, &number));
    ASSERT_TRUE(store->FirstOfType(BLOCK_TYPE_SDB, &number));
    EXPECT_EQ(number, 2);
    EXPECT_FALSE(store->Next(&type, &number)) << "nothing after the last block";
}

TEST_F(BlockStoreTest, RefusesWhatIsNoStoreBlock) {
    const auto longer = MakeBlockImage(BLOCK_TYPE_DB, 1, 100);
    const struct {
        const char* what;
        std::vector<uint8_t> image;
        size_t available;
    } cases[] = {
        {"SFB", MakeBlockImage(BLOCK_TYPE_SFB, 1, 40), 40},
        {"SFC", MakeBlockImage(BLOCK_TYPE_SFC, 1, 40), 40},
        {"no pp", WithByte(MakeBlockImage(BLOCK_TYPE_OB, 1, 40), 0, 0), 40},
        {"unknown type code", WithByte(MakeBlockImage(BLOCK_TYPE_OB, 1, 40), 5, 0x42), 40},
        {"length below a header", MakeBlockImage(BLOCK_TYPE_OB, 1, 35), 36},
        {"longer than a project file may hold",
         MakeBlockImage(BLOCK_TYPE_DB, 1, kMaxBlockImage + 1), kMaxBlockImage + 1},
        {"length beyond the bytes given", longer, 99},
        {"fewer bytes than a header", longer, 35},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(store->Add(c.image.data(), c.available)) << c.what;
        EXPECT_EQ(store->BlockCount(), 0) << c.what;
        EXPECT_EQ(store->FreeBytes(), kStoreDataSize) << c.what;
    }
}

// The largest image fits: see RefusesABlockThatDoesNotFitEvenAfterItsTwinLeaves.
TEST_F(BlockStoreTest, CopiesExactlyTheImageAndPadsWithEE) {
    auto image = MakeBlockImage(BLOCK_TYPE_FC, 4, 41, 9);
    image.resize(44, 0x55);  // bytes behind the image must not be copied
    ASSERT_TRUE(store->Add(image.data(), 41));
    const uint8_t* stored = store->Find(BLOCK_TYPE_FC, 4);
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(std::memcmp(stored, image.data(), 41), 0);
    EXPECT_EQ(std::vector<uint8_t>(stored + 41, stored + 44), std::vector<uint8_t>(3, kEmptyFill));
    EXPECT_EQ(store->FreeBytes(), kStoreDataSize - 44);
}

TEST_F(BlockStoreTest, ReplacingABlockKeepsOtherImagesAddressable) {
    for (uint16_t n = 1; n <= 20; ++n) ASSERT_TRUE(Add(n % 5, n, 36 + n * 13, uint8_t(n)));
    const struct {
        uint16_t number;
        uint32_t length;
    } replacements[] = {{7, 37}, {7, 5001}, {1, 36}, {20, 999}, {13, 36 + 13 * 13}};
    for (const auto& r : replacements) {
        ASSERT_TRUE(Add(r.number % 5, r.number, r.length, 0xA5));
        ASSERT_TRUE(Holds(r.number % 5, r.number, r.length, 0xA5));
        for (uint16_t n = 1; n <= 20; ++n) {
            if (n == 7 || n == 1 || n == 20 || n == 13) continue;
            ASSERT_TRUE(Holds(n % 5, n, 36 + n * 13, uint8_t(n))) << n;
        }
        EXPECT_EQ(store->BlockCount(), 20);
        ExpectConsistent();
    }
}

TEST_F(BlockStoreTest, RemovingABlockCompactsAndKeepsTheRest) {
    for (uint16_t n = 1; n <= 10; ++n) ASSERT_TRUE(Add(BLOCK_TYPE_FB, n, 50 + n, uint8_t(n)));
    ASSERT_TRUE(store->Remove(BLOCK_TYPE_FB, 4));
    EXPECT_FALSE(store->Remove(BLOCK_TYPE_FB, 4));
    EXPECT_FALSE(store->Remove(BLOCK_TYPE_OB, 5));
    EXPECT_FALSE(store->Remove(9, 5));
    EXPECT_EQ(store->Find(BLOCK_TYPE_FB, 4), nullptr);
    for (uint16_t n = 1; n <= 10; ++n) {
        if (n == 4) continue;
        EXPECT_TRUE(Holds(BLOCK_TYPE_FB, n, 50 + n, uint8_t(n))) << n;
    }
    EXPECT_EQ(store->BlockCount(), 9);
    ExpectConsistent();
    store->Clear();
    EXPECT_EQ(store->Find(BLOCK_TYPE_FB, 1), nullptr);
    int type;
    uint16_t number;
    EXPECT_FALSE(store->First(&type, &number));
    ExpectConsistent();
}

TEST_F(BlockStoreTest, RefusesTheBlockAfter4096EvenWithRoomLeft) {
    for (int i = 0; i < kStoreMaxBlocks; ++i) {
        ASSERT_TRUE(Add(i % 5, static_cast<uint16_t>(i), 36));
    }
    EXPECT_FALSE(Add(BLOCK_TYPE_OB, 60000, 36));
    EXPECT_TRUE(Add(BLOCK_TYPE_OB, 0, 100)) << "replacing needs no new entry";
    EXPECT_EQ(store->BlockCount(), kStoreMaxBlocks);
    ExpectConsistent();
    int type = -1;
    uint16_t number = 0;
    ASSERT_TRUE(store->FirstOfType(BLOCK_TYPE_SDB, &number));
    EXPECT_EQ(number, 4);
    int walked = 1;
    while (store->Next(&type, &number)) ++walked;
    EXPECT_EQ(walked, kStoreMaxBlocks / 5);
}

TEST_F(BlockStoreTest, RefusesABlockThatDoesNotFitEvenAfterItsTwinLeaves) {
    // 31 images of 133120 bytes leave 67584 bytes free.
    for (uint16_t n = 0; n < 31; ++n) ASSERT_TRUE(Add(BLOCK_TYPE_DB, n, kMaxBlockImage));
    ASSERT_EQ(store->FreeBytes(), kStoreDataSize - 31 * kMaxBlockImage);
    ASSERT_TRUE(Add(BLOCK_TYPE_FC, 1, 67584 - 1000));
    EXPECT_FALSE(Add(BLOCK_TYPE_FC, 2, 1001));
    EXPECT_TRUE(Add(BLOCK_TYPE_FC, 1, 67584)) << "free plus the twin's length is enough";
    EXPECT_FALSE(Add(BLOCK_TYPE_FC, 1, 67584 + 1));
    EXPECT_EQ(store->FreeBytes(), 0u);
    EXPECT_TRUE(Holds(BLOCK_TYPE_FC, 1, 67584, 0));
    ExpectConsistent();
}

}  // namespace
}  // namespace vexal
