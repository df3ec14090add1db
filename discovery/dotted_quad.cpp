#include "dotted_quad.h"

#include <cctype>

namespace vexal {
namespace {

// One "%d" conversion that also refuses values outside 0 to 255.
bool ReadOctet(const char** cursor, uint8_t* octet) {
    const char* p = *cursor;
    while (std::isspace(static_cast<unsigned char>(*p))) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    if (!std::isdigit(static_cast<unsigned char>(*p))) return false;
    int value = 0;
    while (std::isdigit(static_cast<unsigned char>(*p))) {
        if (value <= 255) value = value * 10 + (*p - '0');
        ++p;
    }
    if (value > 255 || (negative && value != 0)) return false;
    *octet = static_cast<uint8_t>(value);
    *cursor = p;
    return true;
}

}  // namespace

bool ParseDottedQuad(const char* text, uint8_t* out) {
    if (text == nullptr) return false;
    uint8_t octets[4];
    const char* cursor = text;
    for (int i = 0; i < 4; ++i) {
        if (i > 0 && *cursor++ != '.') return false;
        if (!ReadOctet(&cursor, &octets[i])) return false;
    }
    if (out != nullptr) {
        for (int i = 0; i < 4; ++i) out[i] = octets[i];
    }
    return true;
}

bool SameSubnet(const uint8_t* ip, const uint8_t* mask, const uint8_t* ownIp,
                const uint8_t* ownMask) {
    for (int i = 0; i < 4; ++i) {
        if (mask[i] != ownMask[i]) return false;
    }
    for (int i = 0; i < 4; ++i) {
        if ((ip[i] & mask[i]) != (ownIp[i] & ownMask[i])) return false;
    }
    return true;
}

}  // namespace vexal
