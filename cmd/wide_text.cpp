#include "wide_text.h"

#include <cstdint>

namespace vexal::cmd {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsScalarValue(uint32_t c) {
    return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}

// The UTF-8 bytes of one scalar value; returns their count.
size_t EncodeOne(uint32_t c, unsigned char* bytes) {
    if (c < 0x80) {
        bytes[0] = static_cast<unsigned char>(c);
        return 1;
    }
    if (c < 0x800) {
        bytes[0] = static_cast<unsigned char>(0xC0 | (c >> 6));
        bytes[1] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        return 2;
    }
    if (c < 0x10000) {
        bytes[0] = static_cast<unsigned char>(0xE0 | (c >> 12));
        bytes[1] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
        bytes[2] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        return 3;
    }
    bytes[0] = static_cast<unsigned char>(0xF0 | (c >> 18));
    bytes[1] = static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F));
    bytes[2] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
    bytes[3] = static_cast<unsigned char>(0x80 | (c & 0x3F));
    return 4;
}

// Decodes the sequence at p; `length` receives how many bytes it took (1 for a byte that
// starts no well-formed sequence, which decodes as U+FFFD).
char32_t DecodeOne(const unsigned char* p, size_t& length) {
    length = 1;
    if (p[0] < 0x80) return p[0];
    int extra = 0;
    uint32_t c = 0;
    if ((p[0] & 0xE0) == 0xC0) {
        extra = 1;
        c = p[0] & 0x1F;
    } else if ((p[0] & 0xF0) == 0xE0) {
        extra = 2;
        c = p[0] & 0x0F;
    } else if ((p[0] & 0xF8) == 0xF0) {
        extra = 3;
        c = p[0] & 0x07;
    } else {
        return kReplacement;
    }
    for (int i = 1; i <= extra; ++i) {
        if ((p[i] & 0xC0) != 0x80) return kReplacement;  // also stops at the terminator
        c = (c << 6) | (p[i] & 0x3F);
    }
    static const uint32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[extra] || !IsScalarValue(c)) return kReplacement;
    length = static_cast<size_t>(extra) + 1;
    return c;
}

}  // namespace

bool WideToUtf8(const wchar_t* text, char* out, size_t capacity) {
    if (capacity == 0) return false;
    size_t used = 0;
    for (; *text != L'\0'; ++text) {
        auto c = static_cast<uint32_t>(*text);
        if (!IsScalarValue(c)) c = kReplacement;
        unsigned char bytes[kMaxUtf8PerCharacter];
        const size_t length = EncodeOne(c, bytes);
        if (used + length >= capacity) {
            out[used] = '\0';
            return false;
        }
        for (size_t i = 0; i < length; ++i) out[used++] = static_cast<char>(bytes[i]);
    }
    out[used] = '\0';
    return true;
}

std::wstring Utf8ToWide(const char* text) {
    std::wstring wide;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    while (*p != 0) {
        size_t length = 0;
        wide.push_back(static_cast<wchar_t>(DecodeOne(p, length)));
        p += length;
    }
    return wide;
}

}  // namespace vexal::cmd
