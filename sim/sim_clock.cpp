#include "sim_clock.h"

#include <chrono>

namespace vexal::sim {
namespace {

using namespace std::chrono;

uint8_t ToBcd(unsigned value) {
    return static_cast<uint8_t>((value / 10) << 4 | (value % 10));
}

bool FromBcd(uint8_t bcd, unsigned highest, unsigned* value) {
    if ((bcd >> 4) > 9 || (bcd & 0x0F) > 9) return false;
    *value = (bcd >> 4) * 10u + (bcd & 0x0Fu);
    return *value <= highest;
}

}  // namespace

int64_t HostTimeMs() {
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

void EncodeDateAndTime(int64_t timeMs, uint8_t out[8]) {
    const sys_days day = floor<days>(sys_time<milliseconds>(milliseconds(timeMs)));
    const year_month_day date(day);
    const int64_t msOfDay = timeMs - duration_cast<milliseconds>(day.time_since_epoch()).count();
    const unsigned ms = static_cast<unsigned>(msOfDay % 1000);
    const unsigned seconds = static_cast<unsigned>(msOfDay / 1000);
    out[0] = ToBcd(static_cast<unsigned>(static_cast<int>(date.year()) % 100));
    out[1] = ToBcd(static_cast<unsigned>(date.month()));
    out[2] = ToBcd(static_cast<unsigned>(date.day()));
    out[3] = ToBcd(seconds / 3600);
    out[4] = ToBcd(seconds / 60 % 60);
    out[5] = ToBcd(seconds % 60);
    out[6] = ToBcd(ms / 10);
    out[7] = static_cast<uint8_t>((ms % 10) << 4 | (weekday(day).c_encoding() + 1));
}

bool DecodeDateAndTime(const uint8_t in[8], int64_t* timeMs) {
    unsigned y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, msHigh = 0;
    if (!FromBcd(in[0], 99, &y) || !FromBcd(in[1], 12, &mo) || !FromBcd(in[2], 31, &d) ||
        !FromBcd(in[3], 23, &h) || !FromBcd(in[4], 59, &mi) || !FromBcd(in[5], 59, &s) ||
        !FromBcd(in[6], 99, &msHigh) || (in[7] >> 4) > 9) {
        return false;
    }
    const year_month_day date{year(static_cast<int>(y >= 90 ? 1900 + y : 2000 + y)), month(mo),
                              day(d)};
    if (!date.ok()) return false;
    const int64_t dayMs = duration_cast<milliseconds>(sys_days(date).time_since_epoch()).count();
    *timeMs = dayMs + ((h * 60 + mi) * 60 + s) * 1000LL + msHigh * 10 + (in[7] >> 4);
    return true;
}

}  // namespace vexal::sim
