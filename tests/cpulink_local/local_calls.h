// Helpers around the library calls that need no controller: a variable that owns its
// value word, and the calls' results as optionals.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "cpulink.h"
#include "table_file.h"

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
        std::memcpy(&word, bytes.data(), sizeof word);
    }
    Variable(const Variable&) = delete;
    Variable& operator=(const Variable&) = delete;

    ValueBytes Bytes() const {
        ValueBytes bytes;
        std::memcpy(bytes.data(), &word, sizeof word);
        return bytes;
    }
};

// The text of a value, or nullopt when the call refuses.
inline std::optional<std::wstring> ValueText(const Variable& variable, int format) {
    wchar_t out[CPULINK_VALUE_TEXT_CAPACITY];
    if (cpuLink_GetVariableValueAsString(out, CPULINK_VALUE_TEXT_CAPACITY, &variable.descriptor,
                                         format) == 0) {
        return std::nullopt;
    }
    return std::wstring(out);
}

// The value word a text gives a variable of this kind, or nullopt when it is refused (and
// then the word must be unchanged). The word starts out full of other bytes, so that what
// a conversion leaves behind the variable's own bytes shows.
inline std::optional<ValueBytes> ParsedValue(uint8_t kind, const std::wstring& text) {
    const ValueBytes before = {0xA5, 0x5A, 0xC3, 0x3C};
    Variable variable(kind, before);
    if (cpuLink_SetVariableValueFromStringW(&variable.descriptor, text.c_str()) == 0) {
        EXPECT_EQ(variable.Bytes(), before) << "refused, but the value word changed";
        return std::nullopt;
    }
    return variable.Bytes();
}

// The position plus one of a name in a table field among the names, as kinds and formats
// are numbered.
inline int Code(const std::wstring& field, std::initializer_list<const wchar_t*> names) {
    int code = 1;
    for (const wchar_t* name : names) {
        if (field == name) return code;
        ++code;
    }
    ADD_FAILURE() << "no such name in a table";
    return 0;
}

inline uint8_t KindOf(const std::wstring& field) {
    return static_cast<uint8_t>(
        Code(field, {L"bit", L"byte", L"word", L"dword", L"counter", L"timer"}));
}

inline std::optional<VariableDescriptor> ParsedAddress(const std::wstring& text) {
    VariableDescriptor descriptor{};
    if (cpuLink_ParseVariableW(&descriptor, text.c_str()) == 0) return std::nullopt;
    return descriptor;
}

}  // namespace vexal::testing
