#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstring>
#include <optional>

#include "cpulink.h"

namespace {

using ClockBytes = std::array<uint8_t, 8>;

BrokenDownTime Time(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    BrokenDownTime time{};
    time.yearsSince1900 = year - 1900;
    time.month = month - 1;
    time.dayOfMonth = day;
    time.hour = hour;
    time.minute = minute;
    time.second = second;
    return time;
}

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

std::optional<BrokenDownTime> ToTime(const ClockBytes& bytes) {
    CpuClock clock;
    std::memcpy(clock.bytes, bytes.data(), sizeof clock.bytes);
    BrokenDownTime time;
    std::memset(&time, 0x55, sizeof time);
    const BrokenDownTime before = time;
    if (cpuLink_S7TimeToTM(&time, &clock) == 0) {
        EXPECT_EQ(std::memcmp(&time, &before, sizeof time), 0) << "refused, but written";
        return std::nullopt;
    }
    return time;
}

void ExpectTime(const std::optional<BrokenDownTime>& time, const BrokenDownTime& expected,
                int dayOfWeek) {
    ASSERT_TRUE(time.has_value());
    EXPECT_EQ(time->yearsSince1900, expected.yearsSince1900);
    EXPECT_EQ(time->month, expected.month);
    EXPECT_EQ(time->dayOfMonth, expected.dayOfMonth);
    EXPECT_EQ(time->hour, expected.hour);
    EXPECT_EQ(time->minute, expected.minute);
    EXPECT_EQ(time->second, expected.second);
    EXPECT_EQ(time->dayOfWeek, dayOfWeek);
}

TEST(Clock, ReadsDateAndTimeInBcd) {
    // 2014-08-20 11:59:43.912, a Wednesday; 1999-12-31 23:59:59.999, a Friday.
    ExpectTime(ToTime({0x14, 0x08, 0x20, 0x11, 0x59, 0x43, 0x91, 0x24}),
               Time(2014, 8, 20, 11, 59, 43), 3);
    ExpectTime(ToTime({0x99, 0x12, 0x31, 0x23, 0x59, 0x59, 0x99, 0x96}),
               Time(1999, 12, 31, 23, 59, 59), 5);
}

TEST(Clock, WritesDateAndTimeInBcdWithTheWeekdayOfTheDate) {
    BrokenDownTime time = Time(2014, 8, 20, 11, 59, 43);
    time.dayOfWeek = 0;  // not read
    EXPECT_EQ(ToClock(time), (ClockBytes{0x14, 0x08, 0x20, 0x11, 0x59, 0x43, 0x00, 0x04}));
}

TEST(Clock, YearsReachFrom1990To2089) {
    EXPECT_EQ(ToClock(Time(1989, 12, 31, 23, 59, 59)), std::nullopt);
    EXPECT_EQ(ToClock(Time(1990, 1, 1)), (ClockBytes{0x90, 0x01, 0x01, 0, 0, 0, 0, 0x02}));
    EXPECT_EQ(ToClock(Time(2089, 12, 31, 23, 59, 59)),
              (ClockBytes{0x89, 0x12, 0x31, 0x23, 0x59, 0x59, 0x00, 0x07}));
    EXPECT_EQ(ToClock(Time(2090, 1, 1)), std::nullopt);
    ExpectTime(ToTime({0x90, 0x01, 0x01, 0, 0, 0, 0, 0x02}), Time(1990, 1, 1), 1);
    ExpectTime(ToTime({0x89, 0x12, 0x31, 0x23, 0x59, 0x59, 0, 0x07}),
               Time(2089, 12, 31, 23, 59, 59), 6);
    ExpectTime(ToTime({0x00, 0x01, 0x01, 0, 0, 0, 0, 0x07}), Time(2000, 1, 1), 6);
}

TEST(Clock, TheTwentyNinthOfFebruaryOnlyInLeapYears) {
    EXPECT_EQ(ToClock(Time(2000, 2, 29)), (ClockBytes{0x00, 0x02, 0x29, 0, 0, 0, 0, 0x03}));
    EXPECT_EQ(ToClock(Time(2024, 2, 29)), (ClockBytes{0x24, 0x02, 0x29, 0, 0, 0, 0, 0x05}));
    EXPECT_EQ(ToClock(Time(2023, 2, 29)), std::nullopt);
    EXPECT_EQ(ToClock(Time(2000, 2, 30)), std::nullopt);
    ExpectTime(ToTime({0x00, 0x02, 0x29, 0, 0, 0, 0, 0}), Time(2000, 2, 29), 2);
    EXPECT_EQ(ToTime({0x01, 0x02, 0x29, 0, 0, 0, 0, 0}), std::nullopt);
    EXPECT_EQ(ToTime({0x00, 0x02, 0x30, 0, 0, 0, 0, 0}), std::nullopt);
}

TEST(Clock, RefusesInvalidDigitsAndFieldsOutOfRange) {
    const ClockBytes good = {0x14, 0x08, 0x20, 0x11, 0x59, 0x43, 0x91, 0x24};
    ASSERT_TRUE(ToTime(good).has_value());
    for (int byte = 0; byte < 7; ++byte) {
        for (uint8_t bad : {uint8_t(good[byte] | 0x0A), uint8_t((good[byte] & 0x0F) | 0xA0)}) {
            ClockBytes bytes = good;
            bytes[byte] = bad;
            EXPECT_EQ(ToTime(bytes), std::nullopt) << "byte " << byte;
        }
    }
    ClockBytes milliseconds = good;
    milliseconds[7] = 0xA4;
    EXPECT_EQ(ToTime(milliseconds), std::nullopt);
    const std::pair<int, uint8_t> outOfRange[] = {{1, 0x00}, {1, 0x13}, {2, 0x00}, {2, 0x32},
                                                  {3, 0x24}, {4, 0x60}, {5, 0x60}};
    for (const auto& [byte, value] : outOfRange) {
        ClockBytes bytes = good;
        bytes[byte] = value;
        EXPECT_EQ(ToTime(bytes), std::nullopt) << "byte " << byte << " value " << int(value);
    }
    EXPECT_EQ(ToTime({0x14, 0x04, 0x31, 0, 0, 0, 0, 0}), std::nullopt);  // 31 April
}

TEST(Clock, TheWeekdayNibbleIsNotTrusted) {
    for (uint8_t weekday : {0x0, 0x3, 0x8, 0xF}) {
        ExpectTime(ToTime({0x14, 0x08, 0x20, 0x11, 0x59, 0x43, 0x91, uint8_t(0x20 | weekday)}),
                   Time(2014, 8, 20, 11, 59, 43), 3);
    }
}

TEST(Clock, RefusesCalendarFieldsOutOfRange) {
    const BrokenDownTime good = Time(2014, 8, 20, 11, 59, 43);
    ASSERT_TRUE(ToClock(good).has_value());
    struct Change {
        int BrokenDownTime::*field;
        int value;
    };
    const Change changes[] = {
        {&BrokenDownTime::month, -1},
        {&BrokenDownTime::month, 12},
        {&BrokenDownTime::dayOfMonth, 0},
        {&BrokenDownTime::dayOfMonth, 32},
        {&BrokenDownTime::hour, -1},
        {&BrokenDownTime::hour, 24},
        {&BrokenDownTime::minute, -1},
        {&BrokenDownTime::minute, 60},
        {&BrokenDownTime::second, -1},
        {&BrokenDownTime::second, 60},
        {&BrokenDownTime::yearsSince1900, INT_MAX},
        {&BrokenDownTime::yearsSince1900, INT_MIN},
    };
    for (const Change& change : changes) {
        BrokenDownTime time = good;
        time.*change.field = change.value;
        EXPECT_EQ(ToClock(time), std::nullopt) << change.value;
    }
    EXPECT_EQ(cpuLink_TMToS7Time(nullptr, &good), 0);
    CpuClock clock{};
    EXPECT_EQ(cpuLink_TMToS7Time(&clock, nullptr), 0);
    BrokenDownTime time{};
    EXPECT_EQ(cpuLink_S7TimeToTM(&time, nullptr), 0);
    EXPECT_EQ(cpuLink_S7TimeToTM(nullptr, &clock), 0);
}

TEST(Clock, EveryDayFrom1990To2089ConvertsBothWays) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int weekday = 1;  // 1 January 1990 was a Monday
    for (int year = 1990; year <= 2089; ++year) {
        const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
        for (int month = 1; month <= 12; ++month) {
            const int days = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
            for (int day = 1; day <= days; ++day) {
                const BrokenDownTime time = Time(year, month, day, 23, 59, 59);
                const auto clock = ToClock(time);
                ASSERT_TRUE(clock.has_value()) << year << "-" << month << "-" << day;
                ASSERT_EQ((*clock)[7], weekday + 1);
                const auto back = ToTime(*clock);
                ASSERT_TRUE(back.has_value());
                ASSERT_EQ(back->dayOfMonth, day);
                ASSERT_EQ(back->month, month - 1);
                ASSERT_EQ(back->yearsSince1900, year - 1900);
                ASSERT_EQ(back->dayOfWeek, weekday);
                weekday = (weekday + 1) % 7;
            }
        }
    }
}

}  // namespace
