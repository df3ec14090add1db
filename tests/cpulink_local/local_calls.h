// Helpers around the library calls that need no controller: a variable that owns its
// value word, and the text calls with their results as std::wstring.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "cpulink.h"

namespace vexal::testing {

using ValueBytes = std::array<uint8_t, 4>;

// A descriptor whose value address points at its own word. Not copyable: a copy would
// point at the original's word.
struct Variable {
    VariableDescriptor descriptor{};
    uint32_t word = 0;

    explicit Variable(uint8_t kind, ValueBytes bytes = {}) {
        descriptor.kind = kind;
        descriptor.elementCount = 1;
        descriptor.value = &word;
        SetBytes(bytes);
    }
    Variable(const Variable&) = delete;
    Variable& operator=(const Variable&) = delete;

    void SetBytes(ValueBytes bytes) { std::memcpy(&word, bytes.data(), sizeof word); }
    ValueBytes Bytes() const {
        ValueBytes bytes;
        std::memcpy(bytes.data(), &word, sizeof word);
        return bytes;
    }
};

// The text of a value, or nullopt when the call refuses.
inline std::optional<std::wstring> ValueText(const Variable& variable, int format,
                                             int capacity = CPULINK_VALUE_TEXT_CAPACITY) {
    wchar_t out[256];
    if (cpuLink_GetVariableValueAsString(out, capacity, &variable.descriptor, format) == 0) {
        return std::nullopt;
    }
    return std::wstring(out);
}

// The value word a text gives a variable of this kind, or nullopt when it is refused.
inline std::optional<ValueBytes> ParsedValue(uint8_t kind, const std::wstring& text) {
    Variable variable(kind);
    if (cpuLink_SetVariableValueFromStringW(&variable.descriptor, text.c_str()) == 0) {
        return std::nullopt;
    }
    return variable.Bytes();
}

inline std::optional<VariableDescriptor> ParsedAddress(const std::wstring& text) {
    VariableDescriptor descriptor{};
    if (cpuLink_ParseVariableW(&descriptor, text.c_str()) == 0) return std::nullopt;
    return descriptor;
}

inline std::optional<std::wstring> AddressText(const VariableDescriptor& descriptor,
                                               int capacity = CPULINK_ADDRESS_TEXT_CAPACITY) {
    wchar_t out[64];
    if (cpuLink_FormatVariable(out, capacity, &descriptor) == 0) return std::nullopt;
    return std::wstring(out);
}

}  // namespace vexal::testing
