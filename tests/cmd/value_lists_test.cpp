// The grammar of block items; the exit codes of the list checks are in the offline table.
#include "value_lists.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace vexal::cmd {
namespace {

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

TEST(BlockItemTest, TypesAndRangesFollowTheGrammar) {
    const struct {
        const wchar_t* item;
        int result;
        int type;
        uint32_t first;
        uint32_t last;
    } cases[] = {
        {L"ob1", 0, BLOCK_TYPE_OB, 1, 1},
        {L"FC1-20", 0, BLOCK_TYPE_FC, 1, 20},
        {L"DB 3 - 7", 0, BLOCK_TYPE_DB, 3, 7},
        {L"SDB*", 0, BLOCK_TYPE_SDB, 0, 65535},
        {L"OB", 0, BLOCK_TYPE_OB, 0, 0},
        {L"DB65535", 0, BLOCK_TYPE_DB, 65535, 65535},
        {L"FC5-5", 0, BLOCK_TYPE_FC, 5, 5},
        {L"FC007", 0, BLOCK_TYPE_FC, 7, 7},
        {L"", kUnknownBlockType},
        {L"S DB1", kUnknownBlockType},
        {L"SFC1", kUnknownBlockType},
        {L"1", kUnknownBlockType},
        {L"OB1-70000", kBadBlockRange},
        {L"DB65536", kBadBlockRange},
        {L"DB99999999999999999999", kBadBlockRange},
        {L"OB*x", kBadBlockRange},
        {L"FC5-", kBadBlockRange},
        {L"FC-5", kBadBlockRange},
        {L"FC1 2", kBadBlockRange},
        {L"FC+1", kBadBlockRange},
        {L"DB1.5", kBadBlockRange},
    };
    for (const auto& c : cases) {
        BlockRange range{};
        const int result = ParseBlockItem(c.item, range);
        EXPECT_EQ(result, c.result) << Narrow(c.item);
        if (result != 0 || c.result != 0) continue;
        EXPECT_EQ(range.type, c.type) << Narrow(c.item);
        EXPECT_EQ(range.first, c.first) << Narrow(c.item);
        EXPECT_EQ(range.last, c.last) << Narrow(c.item);
    }
    // A list is judged by its first failing item.
    EXPECT_EQ(CheckBlockList(L"FC9-1,XY"), kBadBlockRange);
    EXPECT_EQ(CheckBlockList(L"XY,FC9-1"), kUnknownBlockType);
}

// The simulator's dump shows flags only, so the counters' encoding is checked here.
TEST(EncodeValueTest, CountersAreWrittenInBcdHighByteFirst) {
    for (const auto& [value, bcd] : {std::pair<int64_t, int>{123, 0x0123}, {999, 0x0999}}) {
        uint32_t word = 0;
        VariableDescriptor counter{};
        counter.kind = VARIABLE_KIND_COUNTER;
        counter.elementCount = 1;
        counter.value = &word;
        ASSERT_TRUE(EncodeVariableValue(value, counter)) << value;
        const auto* bytes = reinterpret_cast<const uint8_t*>(&word);
        EXPECT_EQ(bytes[0] << 8 | bytes[1], bcd) << value;
    }
}

}  // namespace
}  // namespace vexal::cmd
