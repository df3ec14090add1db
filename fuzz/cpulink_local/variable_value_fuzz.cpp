// Arbitrary value texts for every kind. The first byte picks the kind ('0' to '5' give the
// kinds 1 to 6), the rest is the text. Nothing may crash or read past the text; a refused
// text leaves the value word alone; an accepted one gives a value whose text in every
// format reads back to the same value word. The one exception is an S5TIME word in a
// coarser base than needed: it reads back as the same time, so its text is the same.
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "cpulink.h"
#include "fuzz_text.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

constexpr uint32_t kUntouched = 0xA55AC33C;

struct Variable {
    VariableDescriptor descriptor{};
    uint32_t word = kUntouched;

    explicit Variable(uint8_t kind) {
        descriptor.kind = kind;
        descriptor.elementCount = 1;
        descriptor.value = &word;
    }
};

// The bytes of the value word behind the variable's own.
size_t OwnBytes(uint8_t kind) {
    switch (kind) {
        case VARIABLE_KIND_BIT:
        case VARIABLE_KIND_BYTE:
            return 1;
        case VARIABLE_KIND_DWORD:
            return 4;
        default:
            return 2;
    }
}

void CheckFormat(uint8_t kind, uint32_t word, int format) {
    Variable shown(kind);
    shown.word = word;
    wchar_t text[CPULINK_VALUE_TEXT_CAPACITY + 8];
    std::wmemset(text, L'#', CPULINK_VALUE_TEXT_CAPACITY + 8);
    Require(cpuLink_GetVariableValueAsString(text, CPULINK_VALUE_TEXT_CAPACITY, &shown.descriptor,
                                             format) != 0);
    Require(text[CPULINK_VALUE_TEXT_CAPACITY] == L'#');

    Variable back(kind);
    Require(cpuLink_SetVariableValueFromStringW(&back.descriptor, text) != 0);
    if (back.word == word) return;
    Require(std::wcsncmp(text, L"S5T#", 4) == 0);
    wchar_t again[CPULINK_VALUE_TEXT_CAPACITY];
    Require(cpuLink_GetVariableValueAsString(again, CPULINK_VALUE_TEXT_CAPACITY, &back.descriptor,
                                             format) != 0);
    Require(std::wcscmp(again, text) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t kind = static_cast<uint8_t>(VARIABLE_KIND_BIT + data[0] % 6);
    const std::vector<wchar_t> text = vexal::fuzzing::WideText(data + 1, size - 1);
    Variable variable(kind);
    if (cpuLink_SetVariableValueFromStringW(&variable.descriptor, text.data()) == 0) {
        Require(variable.word == kUntouched);
        return 0;
    }
    uint8_t bytes[4];
    std::memcpy(bytes, &variable.word, sizeof bytes);
    for (size_t i = OwnBytes(kind); i < sizeof bytes; ++i) Require(bytes[i] == 0);
    for (int format = VARIABLE_FORMAT_BIN; format <= VARIABLE_FORMAT_S5_TIME; ++format) {
        CheckFormat(kind, variable.word, format);
    }
    return 0;
}
