#include <gtest/gtest.h>

#include <array>

#include "diag_records.h"

namespace vexal {
namespace {

// Time stamps in BCD down to the millisecond, 9s in every digit included; OB numbers
// padded to three places; a description with quotes and commas is quoted.
TEST(DiagRecordsTest, EntryFieldsBecomeTheTextsShownAndExported) {
    const struct {
        std::array<uint8_t, kDiagRecordSize> bytes;
        const char* date;
        const char* time;
        const char* ident;
        const char* info;
        const char* description;
        const char* csv;
    } cases[] = {
        {{0x43, 0x04, 0xFF, 0x01, 0x0A, 0xB2, 0x12, 0x34, 0xDE, 0xAD,
          0xBE, 0xEF, 0x26, 0x12, 0x05, 0x23, 0x13, 0x32, 0x12, 0x37},
         "05.12.26",
         "23:13:32.123",
         "ID: 4304, OB:   1, PK: FF",
         "Dat ID: 0A B2, Info: 1234 DEAD BEEF",
         "a \"b\", c",
         "05.12.26,23:13:32.123,4304,\"a \"\"b\"\", c\",1,FF,0A B2,1234 DEAD BEEF"},
        {{0x00, 0x0A, 0x01, 0xFF, 0,    0,    0,    0,    0,    0,
          0,    1,    0x99, 0x01, 0x31, 0x00, 0x00, 0x00, 0x99, 0x94},
         "31.01.99",
         "00:00:00.999",
         "ID: 000A, OB: 255, PK: 01",
         "Dat ID: 00 00, Info: 0000 0000 0001",
         "plain",
         "31.01.99,00:00:00.999,000A,plain,255,01,00 00,0000 0000 0001"},
    };
    for (const auto& c : cases) {
        const DiagRecord record = DecodeDiagRecord(c.bytes.data());
        EXPECT_EQ(DiagDateText(record), c.date);
        EXPECT_EQ(DiagTimeText(record), c.time);
        EXPECT_EQ(DiagIdentLine(record), c.ident);
        EXPECT_EQ(DiagInfoLine(record), c.info);
        EXPECT_EQ(DiagCsvLine(record, c.description), c.csv);
    }
}

}  // namespace
}  // namespace vexal
