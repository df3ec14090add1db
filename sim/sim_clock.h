// The controller's clock values: DATE_AND_TIME, eight BCD bytes (year, month, day, hour,
// minute, second, milliseconds in three digits, weekday 1 = Sunday), years 1990 to 2089.
#pragma once

#include <cstdint>

namespace vexal::sim {

// Milliseconds since 1970-01-01 of the host's clock.
int64_t HostTimeMs();

void EncodeDateAndTime(int64_t timeMs, uint8_t out[8]);

// False when a digit is not BCD or the date or time does not exist; the weekday is not
// checked.
bool DecodeDateAndTime(const uint8_t in[8], int64_t* timeMs);

}  // namespace vexal::sim
