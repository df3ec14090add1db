#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstring>
#include <optional>
#include <string>

#include "cpulink.h"
#include "table_file.h"

namespace {

using ClockBytes = std::array<uint8_t, 8>;
// Year, month 1-12, day, hour, minute, second, weekday 0 Sunday to 6 Saturday.
using Fields = std::array<int, 7>;

BrokenDownTime Time(const Fields& f) {
    BrokenDownTime time{f[5], f[4], f[3], f[2], f[1] - 1, f[0] - 1900, -1};  // weekday not read
    return time;
}

// The clock value of a time, or nullopt when refused (and then nothing was written).
std::optional<ClockBytes> ToClock(const BrokenDownTime& time) {
    CpuClock clock;
    std::memset(&clock, 0xEE, sizeof clock);
    if (cpuLink_TMToS7Time(&clock, &time) == 0) {
        EXPECT_EQ(clock.bytes[0], 0xEE) << "refused, but the clock value was written";
        return std::nullopt;
    }
    ClockBytes bytes;
    std::memcpy(bytes.data(), clock.bytes, sizeof clock.bytes);
    return bytes;
}

// The time of a clock value, or nullopt when refused (and then nothing was written).
std::optional<Fields> ToTime(const ClockBytes& bytes) {
    CpuClock clock;
    std::memcpy(clock.bytes, bytes.data(), sizeof clock.bytes);
    BrokenDownTime time, before;
    std::memset(&time, 0x55, sizeof time);
    before = time;
    if (cpuLink_S7TimeToTM(&time, &clock) == 0) {
        EXPECT_EQ(std::memcmp(&time, &before, sizeof time), 0) << "refused, but written";
        return std::nullopt;
    }
    return Fields{time.yearsSince1900 + 1900,
                  time.month + 1,
                  time.dayOfMonth,
                  time.hour,
                  time.minute,
                  time.second,
                  time.dayOfWeek};
}

Fields FieldsOf(const vexal::testing::TableRow& row) {
    Fields fields{};
    for (size_t i = 0; i < fields.size() && i + 1 < row.size(); ++i) {
        fields[i] = std::stoi(row[i + 1]);
    }
    return fields;
}

ClockBytes BytesOf(const vexal::testing::TableRow& row, size_t from) {
    ClockBytes bytes{};
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<uint8_t>(vexal::testing::Hex(row.at(from + i)));
    }
    return bytes;
}

TEST(Clock, ConvertsOrRefusesTheTimesAndValuesOfTheTable) {
    for (const auto& row : vexal::testing::LoadTable(__FILE__, "clock_values.txt")) {
        const std::string shown = ::testing::PrintToString(row);
        if (row.at(0) == L"both") {
            EXPECT_EQ(ToClock(Time(FieldsOf(row))), BytesOf(row, 8)) << shown;
            EXPECT_EQ(ToTime(BytesOf(row, 8)), FieldsOf(row)) << shown;
        } else if (row[0] == L"time") {
            EXPECT_EQ(ToClock(Time(FieldsOf(row))), std::nullopt) << shown;
        } else {
            EXPECT_EQ(ToTime(BytesOf(row, 1)), std::nullopt) << shown;
        }
    }
    for (int years : {INT_MAX, INT_MIN}) {
        BrokenDownTime time = Time({2014, 8, 20});
        time.yearsSince1900 = years;
        EXPECT_EQ(ToClock(time), std::nullopt) << years;
    }
}

TEST(Clock, MillisecondsAndTheWeekdayNibbleDoNotChangeTheTime) {
    for (uint8_t weekday : {0x0, 0x3, 0x8, 0xF}) {
        EXPECT_EQ(ToTime({0x14, 0x08, 0x20, 0x11, 0x59, 0x43, 0x91, uint8_t(0x20 | weekday)}),
                  (Fields{2014, 8, 20, 11, 59, 43, 3}));
    }
}

TEST(Clock, RefusesDigitsAbove9InAnyField) {
    const ClockBytes good = {0x14, 0x08, 0x20, 0x11, 0x59, 0x43, 0x91, 0x24};
    ASSERT_TRUE(ToTime(good).has_value());
    // A digit above 9 in either nibble of any field, the milliseconds' last one included.
    for (int byte = 0; byte < 8; ++byte) {
        for (uint8_t bad : {uint8_t(good[byte] | 0x0A), uint8_t((good[byte] & 0x0F) | 0xA0)}) {
            ClockBytes bytes = good;
            bytes[byte] = bad;
            if (byte == 7 && bad == (good[byte] | 0x0A)) continue;  // the weekday nibble
            EXPECT_EQ(ToTime(bytes), std::nullopt) << "byte " << byte << " " << int(bad);
        }
    }
}

TEST(Clock, EveryDayFrom1990To2089ConvertsBothWays) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int weekday = 1;  // 1 January 1990 was a Monday
    for (int year = 1990; year <= 2089; ++year) {
        const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
        for (int month = 1; month <= 12; ++month) {
            const int days = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
            for (int day = 1; day <= days && !HasFailure(); ++day) {
                const Fields fields = {year, month, day, 23, 59, 59, weekday};
                const auto clock = ToClock(Time(fields));
                ASSERT_TRUE(clock.has_value()) << year << "-" << month << "-" << day;
                EXPECT_EQ((*clock)[7], weekday + 1) << year << "-" << month << "-" << day;
                EXPECT_EQ(ToTime(*clock), fields);
                weekday = (weekday + 1) % 7;
            }
        }
    }
}

TEST(LedState, OnAndFlashingBytesGiveTheFourStates) {
    const std::pair<std::array<uint8_t, 4>, int> cases[] = {
        {{0x00, 0x04, 0x00, 0x00}, 0},   // off
        {{0x00, 0x04, 0x01, 0x00}, 1},   // on
        {{0x00, 0x04, 0x01, 0x01}, 2},   // flashing at 2 Hz
        {{0x00, 0x04, 0x01, 0x02}, 3},   // flashing at 0.5 Hz
        {{0x00, 0x05, 0x00, 0x01}, 2},   // flashing whatever the on byte says
        {{0x00, 0x06, 0x02, 0x00}, -1},  // values no list gives
        {{0x00, 0x06, 0x01, 0x03}, -1},
    };
    for (const auto& [record, state] : cases) {
        EXPECT_EQ(cpuLink_DecodeLedState(record.data()), state)
            << int(record[2]) << " " << int(record[3]);
    }
}

TEST(OperationMode, TheModeNibbleGivesStopRunHaltOrFault) {
    // The low nibble of byte 3: STOP 1-4, start-up 5-7, RUN 8, HOLD 0xA, DEFECT 0xD.
    const int expected[16] = {-1, 0, 0, 0, 0, 1, 1, 1, 1, -1, 2, -1, -1, 3, -1, -1};
    for (int code = 0; code < 16; ++code) {
        std::array<uint8_t, 20> record{0x51, 0x44, 0xFF, static_cast<uint8_t>(code)};
        EXPECT_EQ(cpuLink_DecodeOperationMode(record.data()), expected[code]) << code;
        record[3] |= 0x60;  // a previous mode changes nothing
        EXPECT_EQ(cpuLink_DecodeOperationMode(record.data()), expected[code]) << code;
    }
}

}  // namespace
