// The controller clock value is an S7 DATE_AND_TIME: eight bytes of BCD digits.
//   0 year (90-99: 1990s, 00-89: 2000s)  1 month 1-12  2 day  3 hour  4 minute  5 second
//   6 milliseconds, hundreds and tens     7 high nibble: milliseconds, units;
//                                           low nibble: weekday 1 Sunday to 7 Saturday
#include "bcd.h"
#include "cpulink.h"

namespace vexal::cpulink::local {
namespace {

// Two year digits reach from 1990 to 2089.
constexpr int kFirstYearSince1900 = 90;
constexpr int kLastYearSince1900 = 189;

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// month 0 to 11
int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 1 && IsLeapYear(year) ? 29 : kDays[month];
}

// 0 Sunday to 6 Saturday, for a date of the Gregorian calendar (month 0 to 11).
int DayOfWeek(int year, int month, int day) {
    static constexpr int kMonthOffsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 2) --year;
    return (year + year / 4 - year / 100 + year / 400 + kMonthOffsets[month] + day) % 7;
}

bool IsValidTime(const BrokenDownTime& time) {
    if (time.yearsSince1900 < kFirstYearSince1900 || time.yearsSince1900 > kLastYearSince1900 ||
        time.month < 0 || time.month > 11) {
        return false;
    }
    const int year = time.yearsSince1900 + 1900;
    if (time.dayOfMonth < 1 || time.dayOfMonth > DaysInMonth(year, time.month)) return false;
    return time.hour >= 0 && time.hour <= 23 && time.minute >= 0 && time.minute <= 59 &&
           time.second >= 0 && time.second <= 59;
}

}  // namespace
}  // namespace vexal::cpulink::local

namespace local = vexal::cpulink::local;

// The weekday nibble is not trusted (a controller whose clock was never set carries odd
// values there); the weekday is computed from the date.
extern "C" int cpuLink_S7TimeToTM(BrokenDownTime* out, const CpuClock* in) {
    if (out == nullptr || in == nullptr) return 0;
    int fields[7];
    for (int i = 0; i < 6; ++i) {
        if (!local::DecodeBcd(in->bytes[i], 2, &fields[i])) return 0;
    }
    // Milliseconds: three digits, checked although the calendar record has no place for them.
    if (!local::DecodeBcd((static_cast<uint32_t>(in->bytes[6]) << 4) | (in->bytes[7] >> 4), 3,
                          &fields[6])) {
        return 0;
    }
    BrokenDownTime time{};
    time.yearsSince1900 = fields[0] >= local::kFirstYearSince1900 ? fields[0] : fields[0] + 100;
    time.month = fields[1] - 1;
    time.dayOfMonth = fields[2];
    time.hour = fields[3];
    time.minute = fields[4];
    time.second = fields[5];
    if (!local::IsValidTime(time)) return 0;
    time.dayOfWeek = local::DayOfWeek(time.yearsSince1900 + 1900, time.month, time.dayOfMonth);
    *out = time;
    return 1;
}

// The record's dayOfWeek is not read: the weekday is computed from the date. The
// milliseconds are zero.
extern "C" int cpuLink_TMToS7Time(CpuClock* out, const BrokenDownTime* in) {
    if (out == nullptr || in == nullptr || !local::IsValidTime(*in)) return 0;
    const int year = in->yearsSince1900 + 1900;
    const int fields[6] = {year % 100, in->month + 1, in->dayOfMonth,
                           in->hour,   in->minute,    in->second};
    for (int i = 0; i < 6; ++i)
        out->bytes[i] = static_cast<unsigned char>(local::EncodeBcd(fields[i], 2));
    out->bytes[6] = 0;
    out->bytes[7] =
        static_cast<unsigned char>(local::DayOfWeek(year, in->month, in->dayOfMonth) + 1);
    return 1;
}
