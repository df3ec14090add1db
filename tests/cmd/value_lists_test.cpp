// The grammar of block items; the exit codes of the list checks are in the offline table.
#include "value_lists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "table_file.h"

namespace vexal::cmd {
namespace {

TEST(BlockItemTest, TypesAndRangesFollowTheGrammar) {
    const std::vector<std::wstring> types = {L"OB", L"FB", L"FC", L"DB", L"SDB"};
    for (const auto& row : testing::LoadTable(__FILE__, "block_items.txt")) {
        BlockRange range{};
        const int result = ParseBlockItem(row.at(0).c_str(), range);
        const std::string item = testing::Narrow(row[0]);
        if (row.at(1) == L"unknown" || row[1] == L"range") {
            EXPECT_EQ(result, row[1] == L"unknown" ? kUnknownBlockType : kBadBlockRange) << item;
            continue;
        }
        EXPECT_EQ(result, 0) << item;
        EXPECT_EQ(range.type, std::find(types.begin(), types.end(), row[1]) - types.begin())
            << item;
        EXPECT_EQ(range.first, std::stoul(row.at(2))) << item;
        EXPECT_EQ(range.last, std::stoul(row.at(3))) << item;
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
