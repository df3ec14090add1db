// Clock values and LED and mode records from arbitrary bytes: the decoders never crash,
// stay within their documented results, and a clock value that decodes encodes back to
// the same date and time.
#include <cstdlib>
#include <cstring>

#include "cpulink.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

bool SameCalendar(const BrokenDownTime& a, const BrokenDownTime& b) {
    return a.second == b.second && a.minute == b.minute && a.hour == b.hour &&
           a.dayOfMonth == b.dayOfMonth && a.month == b.month &&
           a.yearsSince1900 == b.yearsSince1900 && a.dayOfWeek == b.dayOfWeek;
}

void CheckClockValue(const uint8_t* bytes) {
    CpuClock clock;
    std::memcpy(clock.bytes, bytes, sizeof clock.bytes);
    BrokenDownTime calendar{};
    if (!cpuLink_S7TimeToTM(&calendar, &clock)) return;
    Require(calendar.dayOfWeek >= 0 && calendar.dayOfWeek <= 6);
    CpuClock again{};
    Require(cpuLink_TMToS7Time(&again, &calendar) != 0);
    Require(std::memcmp(again.bytes, clock.bytes, 6) == 0);
    BrokenDownTime twice{};
    Require(cpuLink_S7TimeToTM(&twice, &again) != 0 && SameCalendar(calendar, twice));
}

// Seven small fields from the bytes, each around its valid range.
void CheckCalendar(const uint8_t* bytes) {
    const BrokenDownTime calendar{bytes[0] % 64 - 2,         bytes[1] % 64 - 2,
                                  bytes[2] % 32 - 4,          bytes[3] % 40 - 4,
                                  bytes[4] % 16 - 2,          80 + bytes[5] % 128,
                                  static_cast<int8_t>(bytes[6])};
    CpuClock clock{};
    if (!cpuLink_TMToS7Time(&clock, &calendar)) return;
    BrokenDownTime back{};
    Require(cpuLink_S7TimeToTM(&back, &clock) != 0);
    back.dayOfWeek = calendar.dayOfWeek;
    Require(SameCalendar(calendar, back));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint8_t record[20] = {};
    if (size > 0) std::memcpy(record, data, size < sizeof record ? size : sizeof record);
    CheckClockValue(record);
    CheckCalendar(record + 8);
    const int led = cpuLink_DecodeLedState(record);
    Require(led >= -1 && led <= 3);
    const int mode = cpuLink_DecodeOperationMode(record);
    Require(mode >= -1 && mode <= 3);
    return 0;
}
