#include "link_settings.h"

#include <cerrno>
#include <cstdlib>

namespace vexal::cpulink {
namespace {

// The variable's value when it is a whole decimal number from lowest to highest.
bool ReadNumber(const char* name, long lowest, long highest, long* value) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') return false;
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || number < lowest || number > highest) return false;
    *value = number;
    return true;
}

}  // namespace

LinkSettings ReadLinkSettings() {
    LinkSettings settings;
    long value = 0;
    if (ReadNumber("VEXAL_S7_PORT", 1, 65535, &value)) settings.port = static_cast<uint16_t>(value);
    if (ReadNumber("VEXAL_S7_RACK", 0, 7, &value)) settings.rack = static_cast<int>(value);
    if (ReadNumber("VEXAL_S7_SLOT", 0, 31, &value)) settings.slot = static_cast<int>(value);
    if (ReadNumber("VEXAL_S7_TIMEOUT_MS", 1, 3600000, &value)) {
        settings.answerTimeoutMs = static_cast<int>(value);
    }
    if (ReadNumber("VEXAL_S7_CONNECT_MS", 1, 3600000, &value)) {
        settings.connectTimeoutMs = static_cast<int>(value);
    }
    return settings;
}

}  // namespace vexal::cpulink
