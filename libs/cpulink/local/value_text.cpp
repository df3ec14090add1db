// Value texts: the value word of a variable shown in a display format, and a typed value
// text turned into the value word. The value word holds the variable's bytes in controller
// order from its first byte on; the rest of the word is zero after a conversion.
#include <charconv>
#include <cmath>
#include <cstring>

#include "bcd.h"
#include "cpulink.h"
#include "local_text.h"

namespace vexal::cpulink::local {
namespace {

constexpr unsigned FormatBit(int format) {
    return 1u << format;
}

struct KindRules {
    uint8_t kind;
    int width;         // bytes of the value word the variable occupies
    unsigned formats;  // the display formats meant for the kind (FormatBit)
    int fallback;      // shown for any other format
};

constexpr unsigned kNumberFormats = FormatBit(VARIABLE_FORMAT_BIN) |
                                    FormatBit(VARIABLE_FORMAT_DEC) | FormatBit(VARIABLE_FORMAT_HEX);

// The formats per kind are those the edit dialog offers.
constexpr KindRules kKindRules[] = {
    {VARIABLE_KIND_BIT, 1, FormatBit(VARIABLE_FORMAT_DEC), VARIABLE_FORMAT_DEC},
    {VARIABLE_KIND_BYTE, 1, kNumberFormats, VARIABLE_FORMAT_HEX},
    {VARIABLE_KIND_WORD, 2,
     kNumberFormats | FormatBit(VARIABLE_FORMAT_COUNTER) | FormatBit(VARIABLE_FORMAT_S5_TIME),
     VARIABLE_FORMAT_HEX},
    {VARIABLE_KIND_DWORD, 4,
     kNumberFormats | FormatBit(VARIABLE_FORMAT_FLOAT) | FormatBit(VARIABLE_FORMAT_POINTER),
     VARIABLE_FORMAT_HEX},
    {VARIABLE_KIND_COUNTER, 2,
     FormatBit(VARIABLE_FORMAT_BIN) | FormatBit(VARIABLE_FORMAT_HEX) |
         FormatBit(VARIABLE_FORMAT_COUNTER),
     VARIABLE_FORMAT_COUNTER},
    {VARIABLE_KIND_TIMER, 2,
     FormatBit(VARIABLE_FORMAT_BIN) | FormatBit(VARIABLE_FORMAT_HEX) |
         FormatBit(VARIABLE_FORMAT_S5_TIME),
     VARIABLE_FORMAT_S5_TIME},
};

// A variable whose value fits the value word: one element of a known kind, with a word.
const KindRules* RulesFor(const VariableDescriptor* variable) {
    if (variable == nullptr || variable->value == nullptr || variable->elementCount != 1) {
        return nullptr;
    }
    for (const KindRules& rules : kKindRules) {
        if (rules.kind == variable->kind) return &rules;
    }
    return nullptr;
}

uint32_t LoadRaw(const KindRules& rules, const uint32_t* word) {
    uint8_t bytes[4];
    std::memcpy(bytes, word, sizeof bytes);
    if (rules.kind == VARIABLE_KIND_BIT) return bytes[0] != 0 ? 1 : 0;
    uint32_t raw = 0;
    for (int i = 0; i < rules.width; ++i) raw = (raw << 8) | bytes[i];
    return raw;
}

void StoreRaw(const KindRules& rules, uint32_t raw, uint32_t* word) {
    uint8_t bytes[4] = {};
    for (int i = rules.width - 1; i >= 0; --i) {
        bytes[i] = static_cast<uint8_t>(raw);
        raw >>= 8;
    }
    std::memcpy(word, bytes, sizeof bytes);
}

// ---- Counter and S5TIME words --------------------------------------------------------

constexpr int kMaxCount = 999;  // three BCD digits

bool CounterValue(uint32_t word, int* count) {
    return word <= 0x0FFF && DecodeBcd(word, 3, count);
}

// Time bases of an S5TIME word (bits 13-12) in milliseconds.
constexpr uint64_t kS5Bases[] = {10, 100, 1000, 10000};
constexpr uint64_t kMaxS5Milliseconds = 9990000;  // 999 in the 10 s base: 2H_46M_30S

// Bits 15-14 must be zero: a word with them set is no S5TIME value.
bool S5TimeMilliseconds(uint32_t word, uint64_t* milliseconds) {
    int count = 0;
    if (word > 0x3FFF || !DecodeBcd(word, 3, &count)) return false;
    *milliseconds = static_cast<uint64_t>(count) * kS5Bases[word >> 12];
    return true;
}

// The finest base that holds the time; finer parts are dropped (137 ms gives 130 ms).
bool S5TimeWord(uint64_t milliseconds, uint32_t* word) {
    if (milliseconds > kMaxS5Milliseconds) return false;
    for (uint32_t base = 0; base < 4; ++base) {
        const uint64_t count = milliseconds / kS5Bases[base];
        if (count <= kMaxCount) {
            *word = (base << 12) | EncodeBcd(static_cast<int>(count), 3);
            return true;
        }
    }
    return false;
}

// ---- Pointers ------------------------------------------------------------------------

// Area-crossing pointer: byte 0 is 0x80 + area (P, I, Q, M, DB, DI, L, V), bits 18-3 the
// byte, bits 2-0 the bit. Byte 0 zero: area-internal pointer ("P#10.3").
constexpr const char* kPointerAreas[] = {"P", "I", "Q", "M", "DBX", "DIX", "L", "V"};
constexpr uint32_t kPointerReservedBits = 0x78F80000;  // bits 30-27 and 23-19

bool FormatPointer(uint32_t value, TextBuilder* text) {
    const uint32_t area = value >> 24;
    if ((value & kPointerReservedBits) != 0 || (area != 0 && area < 0x80)) return false;
    text->Append("P#");
    if (area != 0) text->Append(kPointerAreas[area - 0x80]);
    text->AppendDecimal((value >> 3) & 0xFFFF);
    text->Append(L'.');
    text->AppendDecimal(value & 7);
    return true;
}

// ---- Texts of a value ----------------------------------------------------------------

void AppendBinary(uint32_t raw, int bits, TextBuilder* text) {
    text->Append("2#");
    for (int i = bits - 1; i >= 0; --i) {
        text->Append((raw >> i) & 1 ? L'1' : L'0');
        if (i % 4 == 0 && i != 0) text->Append(L'_');
    }
}

void AppendHexValue(const KindRules& rules, uint32_t raw, TextBuilder* text) {
    text->Append("16#");
    text->AppendHex(raw, 2 * rules.width);
}

void AppendDecimalValue(const KindRules& rules, uint32_t raw, TextBuilder* text) {
    switch (rules.kind) {
        case VARIABLE_KIND_WORD:
            text->AppendSigned(static_cast<int16_t>(raw));
            break;
        case VARIABLE_KIND_DWORD:
            text->AppendSigned(static_cast<int32_t>(raw));
            break;
        default:
            text->AppendDecimal(raw);
            break;
    }
}

// The shortest of 7, 8 or 9 significant digits that reads back as the same float; 9
// always do.
bool AppendFloat(uint32_t raw, TextBuilder* text) {
    float value;
    std::memcpy(&value, &raw, sizeof value);
    if (!std::isfinite(value)) return false;
    char digits[32];
    for (int precision = 6; precision <= 8; ++precision) {
        const auto written = std::to_chars(digits, digits + sizeof digits, value,
                                           std::chars_format::scientific, precision);
        float back = 0;
        std::from_chars(digits, written.ptr, back);
        if (std::memcmp(&back, &value, sizeof value) == 0 || precision == 8) {
            text->Append(std::string_view(digits, static_cast<size_t>(written.ptr - digits)));
            return true;
        }
    }
    return false;
}

bool AppendCounter(uint32_t raw, TextBuilder* text) {
    int count = 0;
    if (!CounterValue(raw, &count)) return false;
    text->Append("C#");
    text->AppendDecimal(static_cast<uint64_t>(count));
    return true;
}

bool AppendS5Time(uint32_t raw, TextBuilder* text) {
    uint64_t milliseconds = 0;
    if (!S5TimeMilliseconds(raw, &milliseconds)) return false;
    text->Append("S5T#");
    if (milliseconds == 0) {
        text->Append("0MS");
        return true;
    }
    struct Unit {
        uint64_t milliseconds;
        const char* name;
    };
    static constexpr Unit kUnits[] = {{3600000, "H"}, {60000, "M"}, {1000, "S"}, {1, "MS"}};
    bool first = true;
    for (const Unit& unit : kUnits) {
        const uint64_t count = milliseconds / unit.milliseconds;
        milliseconds %= unit.milliseconds;
        if (count == 0) continue;
        if (!first) text->Append(L'_');
        text->AppendDecimal(count);
        text->Append(unit.name);
        first = false;
    }
    return true;
}

// A value the chosen format cannot show exactly falls back to hexadecimal.
void FormatValue(const KindRules& rules, uint32_t raw, int format, TextBuilder* text) {
    const int shown = (rules.formats & FormatBit(format)) != 0 ? format : rules.fallback;
    bool done = true;
    switch (shown) {
        case VARIABLE_FORMAT_BIN:
            AppendBinary(raw, 8 * rules.width, text);
            break;
        case VARIABLE_FORMAT_DEC:
            AppendDecimalValue(rules, raw, text);
            break;
        case VARIABLE_FORMAT_FLOAT:
            done = AppendFloat(raw, text);
            break;
        case VARIABLE_FORMAT_POINTER:
            done = FormatPointer(raw, text);
            break;
        case VARIABLE_FORMAT_COUNTER:
            done = AppendCounter(raw, text);
            break;
        case VARIABLE_FORMAT_S5_TIME:
            done = AppendS5Time(raw, text);
            break;
        default:
            done = false;
            break;
    }
    if (!done) AppendHexValue(rules, raw, text);
}

// ---- Reading value texts -------------------------------------------------------------

// Whether a raw value is one the kind can hold.
bool FitsKind(const KindRules& rules, uint32_t raw) {
    int count = 0;
    uint64_t milliseconds = 0;
    switch (rules.kind) {
        case VARIABLE_KIND_BIT:
            return raw <= 1;
        case VARIABLE_KIND_BYTE:
            return raw <= 0xFF;
        case VARIABLE_KIND_WORD:
            return raw <= 0xFFFF;
        case VARIABLE_KIND_COUNTER:
            return CounterValue(raw, &count);
        case VARIABLE_KIND_TIMER:
            return S5TimeMilliseconds(raw, &milliseconds);
        default:
            return true;
    }
}

int DigitValue(wchar_t c, int radix) {
    int value = 99;
    if (c >= L'0' && c <= L'9') value = c - L'0';
    if (c >= L'A' && c <= L'F') value = c - L'A' + 10;
    return value < radix ? value : -1;
}

// Digits of a radix with single underscores between them, at most `maxDigits` of them.
bool TakeRadixDigits(Scanner& in, int radix, int maxDigits, uint32_t* value) {
    uint32_t result = 0;
    int digits = 0;
    while (true) {
        // A digit comes first and after every underscore.
        const int digit = DigitValue(in.Peek(), radix);
        if (digit < 0 || ++digits > maxDigits) return false;
        in.Advance();
        result = result * static_cast<uint32_t>(radix) + static_cast<uint32_t>(digit);
        if (in.Take('_')) continue;
        if (DigitValue(in.Peek(), radix) < 0) break;
    }
    *value = result;
    return true;
}

struct HexPrefix {
    const char* text;
    int maxDigits;
};

// Longer prefixes first: "B#16#" must not be taken for the start of "BYTE#16#".
constexpr HexPrefix kHexPrefixes[] = {
    {"DWORD#16#", 8}, {"DW#16#", 8}, {"WORD#16#", 4}, {"W#16#", 4},
    {"BYTE#16#", 2},  {"B#16#", 2},  {"16#", 8},
};

bool TakeSigned(Scanner& in, int64_t* value) {
    const bool negative = in.Take('-');
    if (!negative) in.Take('+');
    uint64_t magnitude = 0;
    if (!in.TakeNumber(0xFFFFFFFFu, &magnitude)) return false;
    *value = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
    return true;
}

// Plain decimal, in the kind's own meaning: a count for counters, signed or unsigned for
// words and double words.
bool DecimalToRaw(const KindRules& rules, int64_t value, uint32_t* raw) {
    switch (rules.kind) {
        case VARIABLE_KIND_BIT:
        case VARIABLE_KIND_BYTE:
            if (value < 0 || value > (rules.kind == VARIABLE_KIND_BIT ? 1 : 0xFF)) return false;
            break;
        case VARIABLE_KIND_WORD:
            if (value < INT16_MIN || value > UINT16_MAX) return false;
            value &= 0xFFFF;
            break;
        case VARIABLE_KIND_DWORD:
            if (value < INT32_MIN || value > UINT32_MAX) return false;
            break;
        case VARIABLE_KIND_COUNTER:
            if (value < 0 || value > kMaxCount) return false;
            value = EncodeBcd(static_cast<int>(value), 3);
            break;
        default:
            return false;  // a timer takes S5T#, hexadecimal or binary
    }
    *raw = static_cast<uint32_t>(value);
    return true;
}

// A decimal number with a point or an exponent ("1.5", "-2.5e-3", "1.500000e+00"). The
// characters taken are only digits, point, exponent and signs, so the conversion never
// sees "inf", "nan" or a hexadecimal float; it must use all of them.
bool TakeFloat(Scanner& in, uint32_t* raw) {
    char chars[64];
    size_t length = 0;
    bool pointOrExponent = false;
    while (length + 1 < sizeof chars) {
        const wchar_t c = in.Peek();
        const bool exponent = c == L'E';
        if (!in.PeekDigit() && c != L'.' && !exponent && c != L'+' && c != L'-') break;
        pointOrExponent = pointOrExponent || c == L'.' || exponent;
        chars[length++] = exponent ? 'e' : static_cast<char>(c);
        in.Advance();
    }
    const char* begin = chars;
    const char* end = chars + length;
    // The conversion takes a minus sign only; a plus sign is allowed once in front.
    if (begin != end && *begin == '+') ++begin;
    if (!pointOrExponent || begin == end || (begin != chars && *begin == '-')) return false;
    float value = 0;
    const auto read = std::from_chars(begin, end, value);
    if (read.ec != std::errc() || read.ptr != end || !std::isfinite(value)) return false;
    std::memcpy(raw, &value, sizeof value);
    return true;
}

bool TakePointer(Scanner& in, uint32_t* raw) {
    in.SkipBlanks();
    uint32_t area = 0;
    if (!in.PeekDigit()) {
        char letters[4];
        size_t length = 0;
        if (!in.TakeLetters(letters, sizeof letters, &length)) return false;
        std::string_view name(letters, length);
        // German mnemonics: E inputs, A outputs.
        if (name == "E") name = "I";
        if (name == "A") name = "Q";
        for (uint32_t i = 0; i < 8; ++i) {
            if (name == kPointerAreas[i]) area = 0x80 + i;
        }
        if (area == 0) return false;
        in.SkipBlanks();
    }
    uint64_t byte = 0;
    uint64_t bit = 0;
    if (!in.TakeNumber(0xFFFF, &byte) || !in.Take('.') || !in.TakeNumber(7, &bit)) return false;
    *raw = (area << 24) | static_cast<uint32_t>(byte << 3) | static_cast<uint32_t>(bit);
    return true;
}

// (number unit) repeated with units in the order H, M, S, MS, each at most once, with
// optional single underscores between them.
bool TakeS5Time(Scanner& in, uint32_t* raw) {
    static constexpr uint64_t kUnitMilliseconds[] = {3600000, 60000, 1000, 1};
    static constexpr std::string_view kUnitNames[] = {"H", "M", "S", "MS"};
    uint64_t total = 0;
    size_t nextUnit = 0;
    while (true) {
        uint64_t count = 0;
        char letters[3];
        size_t length = 0;
        // Larger counts cannot give a time within the range anyway.
        if (!in.TakeNumber(kMaxS5Milliseconds, &count)) return false;
        if (!in.TakeLetters(letters, sizeof letters, &length)) return false;
        const std::string_view unit(letters, length);
        size_t index = nextUnit;
        while (index < 4 && kUnitNames[index] != unit) ++index;
        if (index == 4) return false;
        total += count * kUnitMilliseconds[index];
        if (total > kMaxS5Milliseconds) return false;
        nextUnit = index + 1;
        if (in.Take('_')) continue;
        if (!in.PeekDigit()) break;
    }
    return S5TimeWord(total, raw);
}

bool KindIs(const KindRules& rules, uint8_t first, uint8_t second) {
    return rules.kind == first || rules.kind == second;
}

// Reads the whole text as one value of the kind into `raw`.
bool ParseValue(const KindRules& rules, const wchar_t* text, uint32_t* raw) {
    Scanner in(text);
    in.SkipBlanks();
    bool parsed = false;
    bool checkRange = true;  // forms that state raw bits are checked against the kind
    const HexPrefix* hex = nullptr;
    for (const HexPrefix& prefix : kHexPrefixes) {
        if (hex == nullptr && in.TakeWord(prefix.text)) hex = &prefix;
    }
    uint64_t count = 0;
    int64_t value = 0;
    if (hex != nullptr) {
        parsed = TakeRadixDigits(in, 16, hex->maxDigits, raw);
    } else if (in.TakeWord("2#")) {
        parsed = TakeRadixDigits(in, 2, 32, raw);
    } else if (in.TakeWord("C#")) {
        parsed = KindIs(rules, VARIABLE_KIND_WORD, VARIABLE_KIND_COUNTER) &&
                 in.TakeNumber(kMaxCount, &count);
        *raw = EncodeBcd(static_cast<int>(count), 3);
    } else if (in.TakeWord("S5TIME#") || in.TakeWord("S5T#")) {
        parsed = KindIs(rules, VARIABLE_KIND_WORD, VARIABLE_KIND_TIMER) && TakeS5Time(in, raw);
    } else if (in.TakeWord("P#")) {
        parsed = rules.kind == VARIABLE_KIND_DWORD && TakePointer(in, raw);
    } else if (in.TakeWord("L#")) {
        parsed = rules.kind == VARIABLE_KIND_DWORD && TakeSigned(in, &value) &&
                 value >= INT32_MIN && value <= INT32_MAX;
        *raw = static_cast<uint32_t>(value);
    } else if (rules.kind == VARIABLE_KIND_BIT && in.TakeWord("TRUE")) {
        parsed = true;
        *raw = 1;
    } else if (rules.kind == VARIABLE_KIND_BIT && in.TakeWord("FALSE")) {
        parsed = true;
        *raw = 0;
    } else {
        const Scanner start = in;
        checkRange = false;
        parsed = TakeSigned(in, &value) && in.AtEndAfterBlanks() && DecimalToRaw(rules, value, raw);
        if (!parsed && rules.kind == VARIABLE_KIND_DWORD) {
            in = start;
            parsed = TakeFloat(in, raw);
        }
    }
    if (!parsed || !in.AtEndAfterBlanks()) return false;
    return !checkRange || FitsKind(rules, *raw);
}

}  // namespace
}  // namespace vexal::cpulink::local

namespace local = vexal::cpulink::local;

extern "C" int cpuLink_GetVariableValueAsString(wchar_t* out, int capacity,
                                                const VariableDescriptor* variable, int format) {
    const local::KindRules* rules = local::RulesFor(variable);
    if (rules == nullptr || format < VARIABLE_FORMAT_BIN || format > VARIABLE_FORMAT_S5_TIME) {
        if (out != nullptr && capacity > 0) out[0] = L'\0';
        return 0;
    }
    local::TextBuilder text;
    local::FormatValue(*rules, local::LoadRaw(*rules, variable->value), format, &text);
    return local::WriteWhole(text, out, capacity);
}

extern "C" int cpuLink_SetVariableValueFromStringW(VariableDescriptor* variable,
                                                   const wchar_t* text) {
    const local::KindRules* rules = local::RulesFor(variable);
    uint32_t raw = 0;
    if (rules == nullptr || text == nullptr || !local::ParseValue(*rules, text, &raw)) return 0;
    local::StoreRaw(*rules, raw, variable->value);
    return 1;
}
