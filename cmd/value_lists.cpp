#include "value_lists.h"

#include <cstring>
#include <cwchar>

namespace vexal::cmd {
namespace {

bool IsSpace(wchar_t c) {
    return c == L' ';
}

void TrimSpaces(const wchar_t*& begin, const wchar_t*& end) {
    while (begin < end && IsSpace(*begin)) ++begin;
    while (end > begin && IsSpace(end[-1])) --end;
}

void CopyText(const wchar_t* begin, const wchar_t* end, wchar_t* out) {
    const size_t length = static_cast<size_t>(end - begin);
    std::wmemcpy(out, begin, length);
    out[length] = L'\0';
}

bool IsDecimalDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

int DigitValue(wchar_t c) {
    if (IsDecimalDigit(c)) return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return 99;
}

// Far beyond every variable's range, and small enough never to overflow.
constexpr int64_t kNumberCeiling = int64_t{1} << 40;

// At least one digit of the base, up to the end of the text.
bool ParseDigits(const wchar_t* p, int base, int64_t& value) {
    if (*p == L'\0') return false;
    value = 0;
    for (; *p != L'\0'; ++p) {
        const int digit = DigitValue(*p);
        if (digit >= base) return false;
        value = value * base + digit;
        if (value > kNumberCeiling) value = kNumberCeiling;
    }
    return true;
}

// Decimal digits from p on; the number saturates above 65535 so it can be refused.
bool ParseBlockNumber(const wchar_t*& p, uint32_t& number) {
    if (!IsDecimalDigit(*p)) return false;
    number = 0;
    for (; IsDecimalDigit(*p); ++p) {
        number = number * 10 + static_cast<uint32_t>(*p - L'0');
        if (number > 65536) number = 65536;
    }
    return number <= 65535;
}

const wchar_t* SkipSpaces(const wchar_t* p) {
    while (IsSpace(*p)) ++p;
    return p;
}

// The type letters in either case; `name` is upper case.
bool StartsWithLetters(const wchar_t* text, const char* name) {
    for (; *name != '\0'; ++name, ++text) {
        if (*text != *name && *text != *name + (L'a' - L'A')) return false;
    }
    return true;
}

int ParseBlockType(const wchar_t*& p) {
    static const struct {
        const char* name;
        int type;
    } kTypes[] = {{"SDB", BLOCK_TYPE_SDB},
                  {"OB", BLOCK_TYPE_OB},
                  {"FB", BLOCK_TYPE_FB},
                  {"FC", BLOCK_TYPE_FC},
                  {"DB", BLOCK_TYPE_DB}};
    for (const auto& candidate : kTypes) {
        if (StartsWithLetters(p, candidate.name)) {
            p += std::strlen(candidate.name);
            return candidate.type;
        }
    }
    return BLOCK_TYPE_NONE;
}

int ParseBlockNumbers(const wchar_t* p, BlockRange& range) {
    p = SkipSpaces(p);
    if (*p == L'\0') {
        range.first = range.last = 0;
        return 0;
    }
    if (*p == L'*') {
        range.first = 0;
        range.last = 65535;
        return p[1] == L'\0' ? 0 : kBadBlockRange;
    }
    if (!ParseBlockNumber(p, range.first)) return kBadBlockRange;
    range.last = range.first;
    p = SkipSpaces(p);
    if (*p == L'\0') return 0;
    if (*p != L'-') return kBadBlockRange;
    p = SkipSpaces(p + 1);
    if (!ParseBlockNumber(p, range.last) || *p != L'\0') return kBadBlockRange;
    return range.last >= range.first ? 0 : kBadBlockRange;
}

// Splits "address=value" with the length limits counted before the spaces are cut.
int SplitAssignment(const wchar_t* item, wchar_t* address, wchar_t* value) {
    const wchar_t* end = item + std::wcslen(item);
    const wchar_t* equals = std::wcschr(item, L'=');
    const wchar_t* addressEnd = equals != nullptr ? equals : end;
    const wchar_t* valueBegin = equals != nullptr ? equals + 1 : end;
    if (addressEnd - item > kMaxVariableAddress) return kAddressTooLong;
    if (end - valueBegin > kMaxVariableValue) return kValueTextTooLong;
    const wchar_t* addressBegin = item;
    TrimSpaces(addressBegin, addressEnd);
    TrimSpaces(valueBegin, end);
    CopyText(addressBegin, addressEnd, address);
    CopyText(valueBegin, end, value);
    return 0;
}

void PutBigEndian(uint32_t value, int size, uint32_t& valueWord) {
    uint8_t bytes[4] = {};
    for (int i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * (size - 1 - i)));
    valueWord = 0;
    std::memcpy(&valueWord, bytes, sizeof bytes);
}

uint32_t CounterBcd(uint32_t value) {
    return ((value / 100) << 8) | (((value / 10) % 10) << 4) | (value % 10);
}

}  // namespace

ListItems::ListItems(const wchar_t* list, int capacity)
    : next_(list), end_(list + std::wcslen(list)), capacity_(capacity) {}

int ListItems::Next(wchar_t* item) {
    if (next_ == end_) return 0;
    const wchar_t* comma = std::wcschr(next_, L',');
    const wchar_t* itemEnd = comma != nullptr ? comma : end_;
    const wchar_t* itemBegin = next_;
    next_ = comma != nullptr ? comma + 1 : end_;
    if (itemEnd - itemBegin >= capacity_) return kItemTooLong;
    TrimSpaces(itemBegin, itemEnd);
    CopyText(itemBegin, itemEnd, item);
    return 1;
}

int ParseBlockItem(const wchar_t* item, BlockRange& range) {
    const wchar_t* p = item;
    range.type = ParseBlockType(p);
    if (range.type == BLOCK_TYPE_NONE) return kUnknownBlockType;
    return ParseBlockNumbers(p, range);
}

bool ParseAssignedNumber(const wchar_t* text, int64_t& value) {
    value = 0;
    if (*text == L'\0') return true;
    if (text[0] == L'0' && text[1] != L'\0' && !IsDecimalDigit(text[1])) {
        if (text[1] == L'x' || text[1] == L'X') return ParseDigits(text + 2, 16, value);
        if (text[1] == L'b' || text[1] == L'B') return ParseDigits(text + 2, 2, value);
        return false;
    }
    const bool negative = *text == L'-';
    if (*text == L'-' || *text == L'+') ++text;
    if (!ParseDigits(text, 10, value)) return false;
    if (negative) value = -value;
    return true;
}

bool EncodeVariableValue(int64_t value, VariableDescriptor& descriptor) {
    if (descriptor.elementCount != 1 || descriptor.value == nullptr) return false;
    uint32_t& word = *descriptor.value;
    const auto unsignedValue = static_cast<uint32_t>(value);
    switch (descriptor.kind) {
        case VARIABLE_KIND_BIT:
            if (value < 0 || value > 1) return false;
            PutBigEndian(unsignedValue, 1, word);
            return true;
        case VARIABLE_KIND_BYTE:
            if (value < 0 || value > 0xFF) return false;
            PutBigEndian(unsignedValue, 1, word);
            return true;
        case VARIABLE_KIND_WORD:
            if (value < 0 || value > 0xFFFF) return false;
            PutBigEndian(unsignedValue, 2, word);
            return true;
        case VARIABLE_KIND_DWORD:
            if (value < INT32_MIN || value > UINT32_MAX) return false;
            PutBigEndian(unsignedValue, 4, word);
            return true;
        case VARIABLE_KIND_COUNTER:
            if (value < 0 || value > 999) return false;
            PutBigEndian(CounterBcd(unsignedValue), 2, word);
            return true;
        default:
            return false;
    }
}

int DecodeVariableItem(const wchar_t* item, VariableDescriptor& descriptor, uint32_t& valueWord) {
    wchar_t address[kVariableItemCapacity];
    wchar_t valueText[kVariableItemCapacity];
    const int split = SplitAssignment(item, address, valueText);
    if (split != 0) return split;
    int64_t value = 0;
    if (!ParseAssignedNumber(valueText, value)) return kNotANumber;
    descriptor = VariableDescriptor{};
    if (cpuLink_ParseVariableW(&descriptor, address) == 0) return kAddressRefused;
    descriptor.value = &valueWord;
    return EncodeVariableValue(value, descriptor) ? 0 : kValueDoesNotFit;
}

int CheckBlockList(const wchar_t* list) {
    ListItems items(list, kBlockItemCapacity);
    wchar_t item[kBlockItemCapacity];
    BlockRange range;
    for (int got; (got = items.Next(item)) != 0;) {
        if (got < 0) return got;
        const int result = ParseBlockItem(item, range);
        if (result != 0) return result;
    }
    return 0;
}

int CheckVariableList(const wchar_t* list) {
    ListItems items(list, kVariableItemCapacity);
    wchar_t item[kVariableItemCapacity];
    VariableDescriptor descriptor;
    uint32_t valueWord = 0;
    for (int got; (got = items.Next(item)) != 0;) {
        if (got < 0) return got;
        const int result = DecodeVariableItem(item, descriptor, valueWord);
        if (result != 0) return result;
    }
    return 0;
}

}  // namespace vexal::cmd
