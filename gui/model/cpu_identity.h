// Decoders of the lists that tell which controller this is: module identification (0x0011),
// component identification (0x001C), protection (0x0132 index 4) and the start information
// of OB1 (0x0222 index 1), which carries the cycle times. Each reads only whole records
// inside the answer; a field without a record stays empty.
#pragma once

#include <optional>
#include <string>

#include "status_records.h"

namespace vexal {

struct CycleTimes {
    int lastMs;
    int shortestMs;
    int longestMs;
};

struct CpuIdentity {
    std::string moduleType;  // "CPU 315-2 PN/DP"
    std::string moduleName;  // the name given in the project
    std::string orderNumber;
    std::string firmwareVersion;  // "V3.2.7"
    std::string hardwareVersion;  // "3"
    std::string serialNumber;
    std::string stationName;
    std::string plantDesignation;
    std::string location;
    std::string copyright;
    std::optional<int> protectionLevel;  // in force: 1 to 3
    std::optional<int> modeSelector;     // as DecodeModeSelector
    std::optional<CycleTimes> cycleTimes;
};

// List 0x0011: order number and hardware version of the module record (index 1), firmware
// version of the firmware record (index 7).
void DecodeModuleIdentification(const StatusAnswer& answer, CpuIdentity* identity);
// List 0x001C: station name (1), module name (2), plant designation (3), copyright (4),
// serial number (5), module type (7), location (0x0B).
void DecodeComponentIdentification(const StatusAnswer& answer, CpuIdentity* identity);
// List 0x0132 index 4: the protection level in force.
std::optional<int> DecodeProtectionLevel(const StatusAnswer& answer);
// List 0x0222 index 1: the last, shortest and longest cycle of OB1 in milliseconds.
std::optional<CycleTimes> DecodeCycleTimes(const StatusAnswer& answer);

}  // namespace vexal
