#include <gtest/gtest.h>

#include <array>

#include "diag_records.h"
#include "table_file.h"

namespace vexal {
namespace {

using testing::Narrow;

TEST(DiagRecordsTest, EntryFieldsBecomeTheTextsShownAndExported) {
    for (const auto& row : testing::LoadTable(__FILE__, "diag_records.txt")) {
        std::array<uint8_t, kDiagRecordSize> bytes{};
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = testing::Hex(row[0].substr(2 * i, 2));
        const DiagRecord record = DecodeDiagRecord(bytes.data());
        EXPECT_EQ(DiagDateText(record), Narrow(row[1]));
        EXPECT_EQ(DiagTimeText(record), Narrow(row[2]));
        EXPECT_EQ(DiagIdentLine(record), Narrow(row[3]));
        EXPECT_EQ(DiagInfoLine(record), Narrow(row[4]));
        EXPECT_EQ(DiagCsvLine(record, Narrow(row[5])), Narrow(row[6]));
    }
}

}  // namespace
}  // namespace vexal
