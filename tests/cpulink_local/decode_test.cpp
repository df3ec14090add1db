#include <gtest/gtest.h>

#include <array>

#include "cpulink.h"

namespace {

TEST(LedState, OnAndFlashingBytesGiveTheFourStates) {
    struct Case {
        std::array<uint8_t, 4> record;
        int state;
    };
    const Case cases[] = {
        {{0x00, 0x04, 0x00, 0x00}, 0},  // off
        {{0x00, 0x04, 0x01, 0x00}, 1},  // on
        {{0x00, 0x04, 0x01, 0x01}, 2},  // flashing at 2 Hz
        {{0x00, 0x04, 0x01, 0x02}, 3},  // flashing at 0.5 Hz
        {{0x00, 0x05, 0x00, 0x01}, 2},  // flashing whatever the on byte says
        {{0x00, 0x05, 0x00, 0x02}, 3},  {{0x00, 0x06, 0x02, 0x00}, -1},  // values no list gives
        {{0x00, 0x06, 0x01, 0x03}, -1}, {{0x00, 0x06, 0xFF, 0xFF}, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(cpuLink_DecodeLedState(c.record.data()), c.state)
            << int(c.record[2]) << " " << int(c.record[3]);
    }
    EXPECT_EQ(cpuLink_DecodeLedState(nullptr), -1);
}

TEST(OperationMode, TheModeNibbleGivesStopRunHaltOrFault) {
    // The low nibble of byte 3: STOP 1-4, start-up 5-7, RUN 8, HOLD 0xA, DEFECT 0xD.
    const int expected[16] = {-1, 0, 0, 0, 0, 1, 1, 1, 1, -1, 2, -1, -1, 3, -1, -1};
    for (int code = 0; code < 16; ++code) {
        std::array<uint8_t, 20> record{};
        record[0] = 0x51;
        record[1] = 0x44;
        record[2] = 0xFF;
        record[3] = static_cast<uint8_t>(code);
        EXPECT_EQ(cpuLink_DecodeOperationMode(record.data()), expected[code]) << code;
        record[3] = static_cast<uint8_t>(0x60 | code);  // a previous mode changes nothing
        EXPECT_EQ(cpuLink_DecodeOperationMode(record.data()), expected[code]) << code;
    }
    EXPECT_EQ(cpuLink_DecodeOperationMode(nullptr), -1);
}

TEST(OperationMode, ACapturedRunRecordReadsAsRun) {
    const uint8_t record[20] = {0x51, 0x44, 0xFF, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                0x00, 0x00, 0x94, 0x02, 0x05, 0x02, 0x01, 0x55, 0x90, 0x67};
    EXPECT_EQ(cpuLink_DecodeOperationMode(record), 1);
}

}  // namespace
