// Variable addresses: the S7 address texts technicians type, in English and German
// mnemonics, and the canonical English text of a descriptor. The descriptor carries what a
// read or write item needs: S7 area code, item transport size, DB number, first byte (or
// timer/counter number), bit, element count.
#include "cpulink.h"
#include "local_text.h"

namespace vexal::cpulink::local {
namespace {

// S7 area codes of a read/write item.
constexpr uint8_t kAreaPeripheral = 0x80;  // reading gives inputs, writing drives outputs
constexpr uint8_t kAreaInputs = 0x81;
constexpr uint8_t kAreaOutputs = 0x82;
constexpr uint8_t kAreaFlags = 0x83;
constexpr uint8_t kAreaDataBlock = 0x84;
constexpr uint8_t kAreaCounters = 0x1C;
constexpr uint8_t kAreaTimers = 0x1D;

// Item transport sizes.
constexpr uint8_t kTransportBit = 0x01;
constexpr uint8_t kTransportByte = 0x02;
constexpr uint8_t kTransportWord = 0x04;
constexpr uint8_t kTransportDword = 0x06;
constexpr uint8_t kTransportCounter = 0x1C;
constexpr uint8_t kTransportTimer = 0x1D;

// The item address holds byte * 8 + bit in 24 bits; like the common tools we keep byte
// offsets within 16 bits, which is also all an area-crossing pointer can name.
constexpr uint64_t kMaxByteOffset = 65535;
constexpr uint64_t kMaxNumber = 65535;  // DB, timer and counter numbers are 16 bits
constexpr uint64_t kMaxBit = 7;

struct Address {
    uint8_t kind = VARIABLE_KIND_NONE;
    uint8_t area = 0;
    uint8_t transportSize = 0;
    uint8_t bitOffset = 0;
    uint16_t elementCount = 1;
    uint16_t dbNumber = 0;
    uint32_t byteOffset = 0;
};

struct SizeCode {
    uint8_t kind;
    uint8_t transportSize;
    char letter;  // B, W, D in a mnemonic (DBB, MW, PID); 0 for a bit
    const char* anyType;
};

constexpr SizeCode kSizes[] = {
    {VARIABLE_KIND_BIT, kTransportBit, 0, "BOOL"},
    {VARIABLE_KIND_BYTE, kTransportByte, 'B', "BYTE"},
    {VARIABLE_KIND_WORD, kTransportWord, 'W', "WORD"},
    {VARIABLE_KIND_DWORD, kTransportDword, 'D', "DWORD"},
};

const SizeCode* SizeByLetter(char letter) {
    for (const SizeCode& size : kSizes) {
        if (size.letter == letter) return &size;
    }
    return nullptr;
}

const SizeCode* SizeByKind(uint8_t kind) {
    for (const SizeCode& size : kSizes) {
        if (size.kind == kind) return &size;
    }
    return nullptr;
}

// The area part of a mnemonic: "I", "E", "PQ", ... Bit access is not possible on the
// peripheral area.
struct AreaName {
    const char* name;
    uint8_t area;
};

constexpr AreaName kAreaNames[] = {
    {"I", kAreaInputs},      {"E", kAreaInputs},      {"Q", kAreaOutputs},
    {"A", kAreaOutputs},     {"M", kAreaFlags},       {"PI", kAreaPeripheral},
    {"PE", kAreaPeripheral}, {"PQ", kAreaPeripheral}, {"PA", kAreaPeripheral},
};

bool FindArea(std::string_view name, uint8_t* area) {
    for (const AreaName& entry : kAreaNames) {
        if (name == entry.name) {
            *area = entry.area;
            return true;
        }
    }
    return false;
}

bool TakeNumber(Scanner& in, uint64_t limit, uint64_t* value) {
    in.SkipBlanks();
    return in.TakeNumber(limit, value);
}

bool TakeDot(Scanner& in) {
    in.SkipBlanks();
    return in.Take('.');
}

bool TakeLetters(Scanner& in, char* out, size_t room, std::string_view* word) {
    size_t length = 0;
    in.SkipBlanks();
    if (!in.TakeLetters(out, room, &length)) return false;
    *word = std::string_view(out, length);
    return true;
}

// byte "." bit
bool TakeBitAddress(Scanner& in, Address* address) {
    uint64_t byte = 0;
    uint64_t bit = 0;
    if (!TakeNumber(in, kMaxByteOffset, &byte) || !TakeDot(in) || !TakeNumber(in, kMaxBit, &bit)) {
        return false;
    }
    address->byteOffset = static_cast<uint32_t>(byte);
    address->bitOffset = static_cast<uint8_t>(bit);
    return true;
}

void SetSize(const SizeCode& size, Address* address) {
    address->kind = size.kind;
    address->transportSize = size.transportSize;
}

// After "DB": number "." ("DBX" byte "." bit | ("DBB"|"DBW"|"DBD") byte)
bool TakeDataBlockAddress(Scanner& in, bool bitOnly, Address* address) {
    uint64_t number = 0;
    char letters[4];
    std::string_view word;
    if (!TakeNumber(in, kMaxNumber, &number) || number == 0 || !TakeDot(in) ||
        !TakeLetters(in, letters, sizeof letters, &word) || word.size() != 3 ||
        word.substr(0, 2) != "DB") {
        return false;
    }
    address->area = kAreaDataBlock;
    address->dbNumber = static_cast<uint16_t>(number);
    if (word[2] == 'X') {
        SetSize(kSizes[0], address);
        return TakeBitAddress(in, address);
    }
    const SizeCode* size = SizeByLetter(word[2]);
    if (bitOnly || size == nullptr) return false;
    SetSize(*size, address);
    uint64_t byte = 0;
    if (!TakeNumber(in, kMaxByteOffset, &byte)) return false;
    address->byteOffset = static_cast<uint32_t>(byte);
    return true;
}

bool TakeTimerOrCounter(Scanner& in, uint8_t kind, Address* address) {
    uint64_t number = 0;
    if (!TakeNumber(in, kMaxNumber, &number)) return false;
    const bool timer = kind == VARIABLE_KIND_TIMER;
    address->kind = kind;
    address->area = timer ? kAreaTimers : kAreaCounters;
    address->transportSize = timer ? kTransportTimer : kTransportCounter;
    address->byteOffset = static_cast<uint32_t>(number);
    return true;
}

// I0.1, MW10, PIW256, DB1.DBX0.0, T5, C3 ...
bool TakeSimpleAddress(Scanner& in, Address* address) {
    char letters[4];
    std::string_view word;
    if (!TakeLetters(in, letters, sizeof letters, &word)) return false;
    if (word == "DB") return TakeDataBlockAddress(in, false, address);
    if (word == "T") return TakeTimerOrCounter(in, VARIABLE_KIND_TIMER, address);
    if (word == "C" || word == "Z") return TakeTimerOrCounter(in, VARIABLE_KIND_COUNTER, address);

    if (FindArea(word, &address->area)) {
        if (address->area == kAreaPeripheral) return false;
        SetSize(kSizes[0], address);
        return TakeBitAddress(in, address);
    }
    const SizeCode* size = SizeByLetter(word.back());
    if (size == nullptr || !FindArea(word.substr(0, word.size() - 1), &address->area)) {
        return false;
    }
    SetSize(*size, address);
    uint64_t byte = 0;
    if (!TakeNumber(in, kMaxByteOffset, &byte)) return false;
    address->byteOffset = static_cast<uint32_t>(byte);
    return true;
}

// After "P#": area byte "." bit, blanks, type, blanks, repetition factor; the any-pointer
// that names an array of elements ("P#DB1.DBX0.0 BYTE 10").
bool TakeAnyPointer(Scanner& in, Address* address) {
    char letters[6];
    std::string_view word;
    if (!TakeLetters(in, letters, sizeof letters, &word)) return false;
    if (word == "DB") {
        if (!TakeDataBlockAddress(in, true, address)) return false;
    } else {
        if (!FindArea(word, &address->area) || address->area == kAreaPeripheral) return false;
        if (!TakeBitAddress(in, address)) return false;
    }
    const SizeCode* size = nullptr;
    if (!TakeLetters(in, letters, sizeof letters, &word)) return false;
    for (const SizeCode& candidate : kSizes) {
        if (word == candidate.anyType) size = &candidate;
    }
    uint64_t count = 0;
    if (size == nullptr || !TakeNumber(in, kMaxNumber, &count) || count == 0) return false;
    // Only a BOOL element starts at a bit; every other type starts on a byte.
    if (size->kind != VARIABLE_KIND_BIT && address->bitOffset != 0) return false;
    SetSize(*size, address);
    address->elementCount = static_cast<uint16_t>(count);
    return true;
}

bool ParseAddress(const wchar_t* text, Address* address) {
    Scanner in(text);
    in.SkipBlanks();
    const bool parsed =
        in.TakeWord("P#") ? TakeAnyPointer(in, address) : TakeSimpleAddress(in, address);
    return parsed && in.AtEndAfterBlanks();
}

// The descriptor as the parser would have filled it, or false when no text gives it.
bool AddressOf(const VariableDescriptor& variable, Address* address) {
    address->kind = variable.kind;
    address->area = variable.area;
    address->transportSize = variable.transportSize;
    address->bitOffset = variable.bitOffset;
    address->elementCount = variable.elementCount;
    address->dbNumber = variable.dbNumber;
    address->byteOffset = variable.byteOffset;

    if (address->elementCount == 0 || address->byteOffset > kMaxByteOffset) return false;
    const bool isDataBlock = address->area == kAreaDataBlock;
    if (isDataBlock != (address->dbNumber != 0)) return false;

    if (address->kind == VARIABLE_KIND_TIMER || address->kind == VARIABLE_KIND_COUNTER) {
        const bool timer = address->kind == VARIABLE_KIND_TIMER;
        return address->area == (timer ? kAreaTimers : kAreaCounters) &&
               address->transportSize == (timer ? kTransportTimer : kTransportCounter) &&
               address->bitOffset == 0 && address->elementCount == 1;
    }
    const SizeCode* size = SizeByKind(address->kind);
    if (size == nullptr || size->transportSize != address->transportSize) return false;
    const bool bit = address->kind == VARIABLE_KIND_BIT;
    if (address->bitOffset > (bit ? kMaxBit : 0)) return false;
    switch (address->area) {
        case kAreaInputs:
        case kAreaOutputs:
        case kAreaFlags:
        case kAreaDataBlock:
            return true;
        case kAreaPeripheral:
            return !bit && address->elementCount == 1;
        default:
            return false;
    }
}

void AppendAreaPrefix(const Address& address, TextBuilder* text) {
    switch (address.area) {
        case kAreaInputs:
            text->Append("I");
            break;
        case kAreaOutputs:
            text->Append("Q");
            break;
        case kAreaFlags:
            text->Append("M");
            break;
        // One item serves both directions; the descriptor keeps no direction, so the
        // canonical text names the one that a read shows.
        case kAreaPeripheral:
            text->Append("PI");
            break;
        default:
            break;
    }
}

void FormatAddress(const Address& address, TextBuilder* text) {
    const bool bit = address.kind == VARIABLE_KIND_BIT;
    if (address.kind == VARIABLE_KIND_TIMER || address.kind == VARIABLE_KIND_COUNTER) {
        text->Append(address.kind == VARIABLE_KIND_TIMER ? "T" : "C");
        text->AppendDecimal(address.byteOffset);
        return;
    }
    const bool array = address.elementCount != 1;
    const SizeCode& size = *SizeByKind(address.kind);
    if (array) text->Append("P#");
    if (address.area == kAreaDataBlock) {
        text->Append("DB");
        text->AppendDecimal(address.dbNumber);
        text->Append(".DB");
        text->Append(static_cast<wchar_t>(bit || array ? 'X' : size.letter));
    } else {
        AppendAreaPrefix(address, text);
        if (!bit && !array) text->Append(static_cast<wchar_t>(size.letter));
    }
    text->AppendDecimal(address.byteOffset);
    if (bit || array) {
        text->Append(L'.');
        text->AppendDecimal(address.bitOffset);
    }
    if (array) {
        text->Append(L' ');
        text->Append(size.anyType);
        text->Append(L' ');
        text->AppendDecimal(address.elementCount);
    }
}

}  // namespace
}  // namespace vexal::cpulink::local

namespace local = vexal::cpulink::local;

extern "C" int cpuLink_ParseVariableW(VariableDescriptor* variable, const wchar_t* text) {
    if (variable == nullptr || text == nullptr) return 0;
    local::Address address;
    if (!local::ParseAddress(text, &address)) return 0;
    variable->kind = address.kind;
    variable->area = address.area;
    variable->transportSize = address.transportSize;
    variable->bitOffset = address.bitOffset;
    variable->valuePresent = 0;
    variable->elementCount = address.elementCount;
    variable->dbNumber = address.dbNumber;
    variable->byteOffset = address.byteOffset;
    return 1;
}

extern "C" int cpuLink_FormatVariable(wchar_t* out, int capacity,
                                      const VariableDescriptor* variable) {
    local::TextBuilder text;
    local::Address address;
    if (variable != nullptr && local::AddressOf(*variable, &address)) {
        local::FormatAddress(address, &text);
        return local::WriteWhole(text, out, capacity);
    }
    if (out != nullptr && capacity > 0) out[0] = L'\0';
    return 0;
}
