// Arbitrary address texts: nothing may crash or read past the text; a refused text leaves
// the descriptor alone; an accepted one has a canonical text that parses back to the same
// descriptor and formats to the same text again.
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "cpulink.h"
#include "fuzz_text.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<wchar_t> text = vexal::fuzzing::WideText(data, size);
    uint32_t word = 0x5AA55AA5;
    VariableDescriptor variable;
    std::memset(&variable, 0xA5, sizeof variable);
    variable.value = &word;
    const VariableDescriptor before = variable;
    if (cpuLink_ParseVariableW(&variable, text.data()) == 0) {
        Require(std::memcmp(&variable, &before, sizeof variable) == 0);
        return 0;
    }
    Require(variable.kind >= VARIABLE_KIND_BIT && variable.kind <= VARIABLE_KIND_TIMER);
    Require(variable.value == &word && variable.valuePresent == 0 && variable.elementCount >= 1);

    wchar_t canonical[64];
    std::wmemset(canonical, L'#', 64);
    Require(cpuLink_FormatVariable(canonical, 40, &variable) != 0);
    Require(canonical[39] == L'#');
    if (variable.elementCount == 1) {
        wchar_t fitted[CPULINK_ADDRESS_TEXT_CAPACITY];
        Require(cpuLink_FormatVariable(fitted, CPULINK_ADDRESS_TEXT_CAPACITY, &variable) != 0);
        Require(std::wcscmp(fitted, canonical) == 0);
    }

    VariableDescriptor again;
    std::memset(&again, 0, sizeof again);
    again.value = &word;
    Require(cpuLink_ParseVariableW(&again, canonical) != 0);
    Require(std::memcmp(&again, &variable, sizeof again) == 0);
    wchar_t second[64];
    Require(cpuLink_FormatVariable(second, 64, &again) != 0);
    Require(std::wcscmp(second, canonical) == 0);
    return 0;
}
