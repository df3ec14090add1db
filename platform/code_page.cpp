#include "code_page.h"

#include <cstdint>

namespace vexal::platform {
namespace {

constexpr char32_t kInvalid = 0xFFFFFFFF;

bool IsScalarValue(char32_t c) {
    return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}

// One code point from UTF-8 at text[*position]; kInvalid for a malformed sequence.
char32_t DecodeUtf8(const char* text, size_t* position) {
    const auto lead = static_cast<uint8_t>(text[(*position)++]);
    if (lead < 0x80) return lead;
    int extra = 0;
    char32_t value = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        value = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        value = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        value = lead & 0x07;
    } else {
        return kInvalid;
    }
    for (int i = 0; i < extra; ++i) {
        const auto next = static_cast<uint8_t>(text[*position]);
        if ((next & 0xC0) != 0x80) return kInvalid;  // also stops at the terminator
        value = (value << 6) | (next & 0x3F);
        ++*position;
    }
    static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (value < kSmallest[extra] || !IsScalarValue(value)) return kInvalid;
    return value;
}

// Appends c as UTF-8; false when it does not fit before the terminator.
bool EncodeUtf8(char32_t c, char* out, size_t capacity, size_t* used) {
    char bytes[4];
    size_t count = 0;
    if (c < 0x80) {
        bytes[count++] = static_cast<char>(c);
    } else if (c < 0x800) {
        bytes[count++] = static_cast<char>(0xC0 | (c >> 6));
        bytes[count++] = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        bytes[count++] = static_cast<char>(0xE0 | (c >> 12));
        bytes[count++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        bytes[count++] = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        bytes[count++] = static_cast<char>(0xF0 | (c >> 18));
        bytes[count++] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        bytes[count++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        bytes[count++] = static_cast<char>(0x80 | (c & 0x3F));
    }
    if (*used + count + 1 > capacity) return false;
    for (size_t i = 0; i < count; ++i) out[(*used)++] = bytes[i];
    return true;
}

bool EncodeUtf16(char32_t c, char16_t* out, size_t capacity, size_t* used) {
    const size_t count = c < 0x10000 ? 1 : 2;
    if (*used + count + 1 > capacity) return false;
    if (count == 1) {
        out[(*used)++] = static_cast<char16_t>(c);
    } else {
        out[(*used)++] = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
        out[(*used)++] = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
    return true;
}

char32_t DecodeUtf16(const char16_t* text, size_t length, size_t* position) {
    const char32_t unit = text[(*position)++];
    if (unit < 0xD800 || unit > 0xDFFF) return unit;
    if (unit > 0xDBFF || *position >= length) return kInvalid;
    const char32_t low = text[*position];
    if (low < 0xDC00 || low > 0xDFFF) return kInvalid;
    ++*position;
    return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
}

template <typename Unit>
bool Fail(Unit* out, size_t capacity) {
    if (out != nullptr && capacity > 0) out[0] = 0;
    return false;
}

template <typename Unit>
bool Finish(Unit* out, size_t used, size_t* length) {
    out[used] = 0;
    if (length != nullptr) *length = used;
    return true;
}

}  // namespace

bool WideToNarrow(const wchar_t* text, char* out, size_t capacity) {
    if (text == nullptr || out == nullptr || capacity == 0) return Fail(out, capacity);
    size_t used = 0;
    for (size_t i = 0; text[i] != 0; ++i) {
        const auto c = static_cast<char32_t>(text[i]);
        if (!IsScalarValue(c) || !EncodeUtf8(c, out, capacity, &used)) return Fail(out, capacity);
    }
    return Finish(out, used, nullptr);
}

bool NarrowToWide(const char* text, wchar_t* out, size_t capacity, size_t* length) {
    static_assert(sizeof(wchar_t) == 4, "wide text holds one code point a unit");
    if (text == nullptr || out == nullptr || capacity == 0) return Fail(out, capacity);
    size_t used = 0;
    for (size_t position = 0; text[position] != 0;) {
        const char32_t c = DecodeUtf8(text, &position);
        if (c == kInvalid || used + 2 > capacity) return Fail(out, capacity);
        out[used++] = static_cast<wchar_t>(c);
    }
    return Finish(out, used, length);
}

bool NarrowToUtf16(const char* text, char16_t* out, size_t capacity, size_t* length) {
    if (text == nullptr || out == nullptr || capacity == 0) return Fail(out, capacity);
    size_t used = 0;
    for (size_t position = 0; text[position] != 0;) {
        const char32_t c = DecodeUtf8(text, &position);
        if (c == kInvalid || !EncodeUtf16(c, out, capacity, &used)) return Fail(out, capacity);
    }
    return Finish(out, used, length);
}

bool Utf16ToNarrow(const char16_t* text, size_t length, char* out, size_t capacity) {
    if ((text == nullptr && length > 0) || out == nullptr || capacity == 0) {
        return Fail(out, capacity);
    }
    size_t used = 0;
    for (size_t position = 0; position < length;) {
        const char32_t c = DecodeUtf16(text, length, &position);
        if (c == 0 || c == kInvalid || !EncodeUtf8(c, out, capacity, &used)) {
            return Fail(out, capacity);
        }
    }
    return Finish(out, used, nullptr);
}

}  // namespace vexal::platform
