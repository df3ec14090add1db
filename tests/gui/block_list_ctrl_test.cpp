#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "block_list_ctrl.h"

namespace vexal {
namespace {

std::vector<std::string> Texts(const CBlockListCtrl& list) {
    std::vector<std::string> texts;
    for (int index = 0; index < list.count(); ++index) {
        texts.push_back(list.item(index)->text().toStdString());
    }
    return texts;
}

std::vector<int> Counts(const CBlockListCtrl& list) {
    std::vector<int> counts;
    for (int type = 0; type < BLOCK_TYPE_COUNT; ++type) counts.push_back(list.TypeCount(type));
    return counts;
}

TEST(BlockListText, ShowsTypeAndRightAlignedNumber) {
    const struct {
        int type;
        uint16_t number;
        const char* text;
    } cases[] = {
        {BLOCK_TYPE_OB, 1, "OB   1"},      {BLOCK_TYPE_OB, 12345, "OB12345"},
        {BLOCK_TYPE_FB, 7, "FB    7"},     {BLOCK_TYPE_FC, 300, "FC  300"},
        {BLOCK_TYPE_DB, 65535, "DB65535"}, {BLOCK_TYPE_SDB, 2, "SDB    2"},
        {BLOCK_TYPE_SFC, 1, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BlockListText(c.type, c.number).toStdString(), c.text)
            << c.type << " " << c.number;
    }
}

TEST(BlockListCtrl, KeepsBlocksGroupedByTypeAndOrderedByNumber) {
    CBlockListCtrl list(1);
    const struct {
        int type;
        uint16_t number;
        int index;
    } inserts[] = {
        {BLOCK_TYPE_DB, 10, 0},    {BLOCK_TYPE_OB, 100, 0}, {BLOCK_TYPE_DB, 2, 1},
        {BLOCK_TYPE_FC, 5, 1},     {BLOCK_TYPE_OB, 1, 0},   {BLOCK_TYPE_SDB, 0, 5},
        {BLOCK_TYPE_FC, 65535, 3}, {BLOCK_TYPE_FB, 3, 2},   {BLOCK_TYPE_DB, 5, 6},
    };
    for (const auto& insert : inserts) {
        EXPECT_EQ(list.InsertBlock(insert.type, insert.number), insert.index)
            << insert.type << " " << insert.number;
    }
    EXPECT_EQ(Texts(list),
              (std::vector<std::string>{"OB   1", "OB 100", "FB    3", "FC    5", "FC65535",
                                        "DB    2", "DB    5", "DB   10", "SDB    0"}));
    EXPECT_EQ(Counts(list), (std::vector<int>{2, 1, 2, 3, 1}));
    EXPECT_EQ(list.ItemData(3), BlockRef_Pack(BLOCK_TYPE_FC, 5));
}

TEST(BlockListCtrl, TheFirstBlockOfTheLastTypeGoesToTheTopOfAnEmptyList) {
    CBlockListCtrl list(1);
    EXPECT_EQ(list.InsertBlock(BLOCK_TYPE_SDB, 7), 0);
    EXPECT_EQ(list.TypeCount(BLOCK_TYPE_SDB), 1);
}

TEST(BlockListCtrl, AListedBlockIsNotAddedTwiceAndLosesItsStaleMark) {
    CBlockListCtrl list(1);
    list.InsertBlock(BLOCK_TYPE_FC, 1);
    list.InsertBlock(BLOCK_TYPE_FC, 2);
    list.MarkAllStale();
    EXPECT_EQ(list.InsertBlock(BLOCK_TYPE_FC, 2), -1);
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.TypeCount(BLOCK_TYPE_FC), 2);
    EXPECT_EQ(list.ItemData(0), BlockRef_Pack(BLOCK_TYPE_FC, 1) | kStaleMark);
    EXPECT_EQ(list.ItemData(1), BlockRef_Pack(BLOCK_TYPE_FC, 2));
}

TEST(BlockListCtrl, RemovingAnUnlistedBlockChangesNothing) {
    CBlockListCtrl list(1);
    list.InsertBlock(BLOCK_TYPE_OB, 1);
    list.InsertBlock(BLOCK_TYPE_FB, 1);
    EXPECT_EQ(list.RemoveBlock(BLOCK_TYPE_OB, 2), 0);
    EXPECT_EQ(list.RemoveBlock(BLOCK_TYPE_FC, 1), 0);
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"OB   1", "FB    1"}));
    EXPECT_EQ(list.RemoveBlock(BLOCK_TYPE_FB, 1), 1);
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"OB   1"}));
    EXPECT_EQ(Counts(list), (std::vector<int>{1, 0, 0, 0, 0}));
}

TEST(BlockListCtrl, TypesOutsideTheStoreAreRefusedWithoutChange) {
    CBlockListCtrl list(1);
    list.InsertBlock(BLOCK_TYPE_OB, 1);
    for (int type : {-1, int{BLOCK_TYPE_SFB}, int{BLOCK_TYPE_SFC}, 0x7FFF}) {
        EXPECT_EQ(list.InsertBlock(type, 1), -1) << type;
        EXPECT_EQ(list.RemoveBlock(type, 1), 0) << type;
    }
    EXPECT_EQ(list.count(), 1);
    EXPECT_EQ(Counts(list), (std::vector<int>{1, 0, 0, 0, 0}));
}

TEST(BlockListCtrl, ARefreshKeepsExactlyTheBlocksListedAgain) {
    CBlockListCtrl list(1);
    list.InsertBlock(BLOCK_TYPE_OB, 1);
    list.InsertBlock(BLOCK_TYPE_FC, 4);
    list.InsertBlock(BLOCK_TYPE_DB, 9);

    list.MarkAllStale();
    list.InsertBlock(BLOCK_TYPE_OB, 1);
    list.InsertBlock(BLOCK_TYPE_DB, 9);
    list.RemoveStale();

    EXPECT_EQ(Texts(list), (std::vector<std::string>{"OB   1", "DB    9"}));
    EXPECT_EQ(Counts(list), (std::vector<int>{1, 0, 0, 1, 0}));
    EXPECT_EQ(list.InsertBlock(BLOCK_TYPE_FB, 2), 1);
    EXPECT_EQ(list.InsertBlock(BLOCK_TYPE_SDB, 0), 3);
    EXPECT_EQ(list.InsertBlock(BLOCK_TYPE_DB, 3), 2);
    EXPECT_EQ(Texts(list),
              (std::vector<std::string>{"OB   1", "FB    2", "DB    3", "DB    9", "SDB    0"}));
}

TEST(BlockListCtrl, ClearingEmptiesTheListAndItsCounters) {
    CBlockListCtrl list(1);
    list.InsertBlock(BLOCK_TYPE_FB, 1);
    list.InsertBlock(BLOCK_TYPE_SDB, 1);
    list.ClearBlocks();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(Counts(list), (std::vector<int>{0, 0, 0, 0, 0}));
    EXPECT_EQ(list.InsertBlock(BLOCK_TYPE_SDB, 1), 0);
}

}  // namespace
}  // namespace vexal
