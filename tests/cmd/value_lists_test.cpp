#include "value_lists.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace vexal::cmd {
namespace {

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

std::vector<std::wstring> ItemsOf(const wchar_t* list, int capacity, int* failure) {
    ListItems items(list, capacity);
    std::vector<std::wstring> out;
    wchar_t item[64];
    *failure = 0;
    for (int got; (got = items.Next(item)) != 0;) {
        if (got < 0) {
            *failure = got;
            break;
        }
        out.emplace_back(item);
    }
    return out;
}

TEST(ListItemsTest, SplitsAtCommasCutsSpacesAndAcceptsOneTrailingComma) {
    int failure = 0;
    EXPECT_TRUE(ItemsOf(L"", kBlockItemCapacity, &failure).empty());
    EXPECT_EQ(ItemsOf(L"OB1,", kBlockItemCapacity, &failure), std::vector<std::wstring>{L"OB1"});
    EXPECT_EQ(ItemsOf(L" OB1 , FB2 ,,", kBlockItemCapacity, &failure),
              (std::vector<std::wstring>{L"OB1", L"FB2", L""}));
    EXPECT_EQ(ItemsOf(L",", kBlockItemCapacity, &failure), std::vector<std::wstring>{L""});
}

TEST(ListItemsTest, ItemLengthIsCountedBeforeSpacesAreCut) {
    int failure = 0;
    ItemsOf(L"OB1,FC123456789012345678", kBlockItemCapacity, &failure);  // 20 characters
    EXPECT_EQ(failure, 0);
    ItemsOf(L"OB1,FC1234567890123456789", kBlockItemCapacity, &failure);
    EXPECT_EQ(failure, kItemTooLong);
    ItemsOf(L"         OB1          ", kBlockItemCapacity, &failure);  // 22 characters
    EXPECT_EQ(failure, kItemTooLong);
}

struct BlockCase {
    const wchar_t* item;
    int result;
    int type;
    uint32_t first;
    uint32_t last;
};

TEST(BlockItemTest, TypesAndRangesFollowTheGrammar) {
    const BlockCase cases[] = {
        {L"OB1", 0, BLOCK_TYPE_OB, 1, 1},
        {L"ob1", 0, BLOCK_TYPE_OB, 1, 1},
        {L"fB2", 0, BLOCK_TYPE_FB, 2, 2},
        {L"FC1-20", 0, BLOCK_TYPE_FC, 1, 20},
        {L"DB 3 - 7", 0, BLOCK_TYPE_DB, 3, 7},
        {L"SDB*", 0, BLOCK_TYPE_SDB, 0, 65535},
        {L"DB *", 0, BLOCK_TYPE_DB, 0, 65535},
        {L"OB", 0, BLOCK_TYPE_OB, 0, 0},
        {L"DB65535", 0, BLOCK_TYPE_DB, 65535, 65535},
        {L"DB0-65535", 0, BLOCK_TYPE_DB, 0, 65535},
        {L"FC5-5", 0, BLOCK_TYPE_FC, 5, 5},
        {L"FC007", 0, BLOCK_TYPE_FC, 7, 7},
        {L"XY1", kUnknownBlockType},
        {L"", kUnknownBlockType},
        {L"S DB1", kUnknownBlockType},
        {L"SFC1", kUnknownBlockType},
        {L"1", kUnknownBlockType},
        {L"FC5-3", kBadBlockRange},
        {L"OB1-70000", kBadBlockRange},
        {L"DB65536", kBadBlockRange},
        {L"DB99999999999999999999", kBadBlockRange},
        {L"OB*x", kBadBlockRange},
        {L"OB**", kBadBlockRange},
        {L"FC5-", kBadBlockRange},
        {L"FC-5", kBadBlockRange},
        {L"FC1 2", kBadBlockRange},
        {L"FC1-2x", kBadBlockRange},
        {L"FC+1", kBadBlockRange},
        {L"OBX", kBadBlockRange},
        {L"DB1.5", kBadBlockRange},
    };
    for (const auto& c : cases) {
        BlockRange range{};
        ASSERT_EQ(ParseBlockItem(c.item, range), c.result) << Narrow(c.item);
        if (c.result != 0) continue;
        EXPECT_EQ(range.type, c.type) << Narrow(c.item);
        EXPECT_EQ(range.first, c.first) << Narrow(c.item);
        EXPECT_EQ(range.last, c.last) << Narrow(c.item);
    }
}

TEST(BlockListTest, CheckReturnsTheFirstFailingItem) {
    EXPECT_EQ(CheckBlockList(L""), 0);
    EXPECT_EQ(CheckBlockList(L"OB*,FB*,FC*,DB*,SDB*"), 0);
    EXPECT_EQ(CheckBlockList(L"OB1,"), 0);
    EXPECT_EQ(CheckBlockList(L"OB1,,FB1"), kUnknownBlockType);
    EXPECT_EQ(CheckBlockList(L"FC9-1,XY"), kBadBlockRange);
    EXPECT_EQ(CheckBlockList(L"XY,FC9-1"), kUnknownBlockType);
    EXPECT_EQ(CheckBlockList(L"OB1,DB123456789012345678901,XY"), kItemTooLong);
}

struct NumberCase {
    const wchar_t* text;
    bool valid;
    int64_t value;
};

TEST(AssignedNumberTest, PrefixesSelectTheBaseAndTheWholeTextMustBeANumber) {
    const NumberCase cases[] = {
        {L"", true, 0},
        {L"31", true, 31},
        {L"0x1F", true, 31},
        {L"0X1f", true, 31},
        {L"0b101", true, 5},
        {L"0B0", true, 0},
        {L"09", true, 9},
        {L"0", true, 0},
        {L"-5", true, -5},
        {L"+5", true, 5},
        {L"0xFFFFFFFF", true, 0xFFFFFFFFLL},
        {L"4294967296", true, 4294967296LL},
        {L"-2147483649", true, -2147483649LL},
        {L"0z1", false},
        {L"0x", false},
        {L"0b", false},
        {L"0b102", false},
        {L"0x1G", false},
        {L"12a", false},
        {L"-", false},
        {L"1 2", false},
        {L"-0x5", false},
        {L"0x-5", false},
    };
    for (const auto& c : cases) {
        int64_t value = -99;
        ASSERT_EQ(ParseAssignedNumber(c.text, value), c.valid) << Narrow(c.text);
        if (!c.valid) continue;
        EXPECT_EQ(value, c.value) << Narrow(c.text);
    }
    int64_t huge = 0;
    ASSERT_TRUE(ParseAssignedNumber(L"99999999999999999999", huge));
    EXPECT_GT(huge, int64_t{UINT32_MAX});
}

struct EncodeCase {
    uint8_t kind;
    int64_t value;
    bool fits;
    std::vector<uint8_t> bytes;  // the value word's first bytes
};

TEST(EncodeValueTest, ValuesFitTheirKindAndAreWrittenHighByteFirst) {
    const EncodeCase cases[] = {
        {VARIABLE_KIND_BIT, 0, true, {0, 0, 0, 0}},
        {VARIABLE_KIND_BIT, 1, true, {1, 0, 0, 0}},
        {VARIABLE_KIND_BIT, 2, false, {}},
        {VARIABLE_KIND_BIT, -1, false, {}},
        {VARIABLE_KIND_BYTE, 255, true, {0xFF, 0, 0, 0}},
        {VARIABLE_KIND_BYTE, 256, false, {}},
        {VARIABLE_KIND_WORD, 0x1234, true, {0x12, 0x34, 0, 0}},
        {VARIABLE_KIND_WORD, 65536, false, {}},
        {VARIABLE_KIND_WORD, -1, false, {}},
        {VARIABLE_KIND_DWORD, 0x12345678, true, {0x12, 0x34, 0x56, 0x78}},
        {VARIABLE_KIND_DWORD, 0xFFFFFFFFLL, true, {0xFF, 0xFF, 0xFF, 0xFF}},
        {VARIABLE_KIND_DWORD, -1, true, {0xFF, 0xFF, 0xFF, 0xFF}},
        {VARIABLE_KIND_DWORD, -2147483648LL, true, {0x80, 0, 0, 0}},
        {VARIABLE_KIND_DWORD, 4294967296LL, false, {}},
        {VARIABLE_KIND_DWORD, -2147483649LL, false, {}},
        {VARIABLE_KIND_COUNTER, 123, true, {0x01, 0x23, 0, 0}},
        {VARIABLE_KIND_COUNTER, 999, true, {0x09, 0x99, 0, 0}},
        {VARIABLE_KIND_COUNTER, 1000, false, {}},
        {VARIABLE_KIND_TIMER, 0, false, {}},
        {VARIABLE_KIND_NONE, 0, false, {}},
    };
    for (const auto& c : cases) {
        uint32_t word = 0xA5A5A5A5;
        VariableDescriptor descriptor{};
        descriptor.kind = c.kind;
        descriptor.elementCount = 1;
        descriptor.value = &word;
        ASSERT_EQ(EncodeVariableValue(c.value, descriptor), c.fits)
            << "kind " << int{c.kind} << " value " << c.value;
        if (!c.fits) continue;
        uint8_t bytes[4];
        std::memcpy(bytes, &word, 4);
        EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 4), c.bytes)
            << "kind " << int{c.kind} << " value " << c.value;
    }
}

TEST(EncodeValueTest, OnlySingleElementVariablesTakeAValue) {
    uint32_t word = 0;
    VariableDescriptor descriptor{};
    descriptor.kind = VARIABLE_KIND_BYTE;
    descriptor.elementCount = 2;
    descriptor.value = &word;
    EXPECT_FALSE(EncodeVariableValue(1, descriptor));
}

}  // namespace
}  // namespace vexal::cmd
