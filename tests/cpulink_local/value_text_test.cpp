#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "local_calls.h"

namespace {

using vexal::testing::Code;
using vexal::testing::Hex;
using vexal::testing::KindOf;
using vexal::testing::LoadTable;
using vexal::testing::ParsedValue;
using vexal::testing::ValueBytes;
using vexal::testing::ValueText;
using vexal::testing::Variable;

constexpr uint8_t kBit = VARIABLE_KIND_BIT, kByte = VARIABLE_KIND_BYTE, kWord = VARIABLE_KIND_WORD,
                  kDword = VARIABLE_KIND_DWORD, kCounter = VARIABLE_KIND_COUNTER,
                  kTimer = VARIABLE_KIND_TIMER;
constexpr int kBin = VARIABLE_FORMAT_BIN, kHex = VARIABLE_FORMAT_HEX,
              kCount = VARIABLE_FORMAT_COUNTER, kS5Time = VARIABLE_FORMAT_S5_TIME;

// The value word of a kind holding `raw`: its bytes in controller order, the rest cleared.
ValueBytes WordOf(uint8_t kind, uint32_t raw) {
    const int width = kind == kBit || kind == kByte ? 1 : kind == kDword ? 4 : 2;
    ValueBytes bytes{};
    for (int i = 0; i < width; ++i) bytes[i] = static_cast<uint8_t>(raw >> 8 * (width - 1 - i));
    return bytes;
}

ValueBytes BytesOf(const std::wstring& field) {
    ValueBytes bytes{};
    for (size_t i = 0; i + 1 < field.size() && i < 8; i += 2) {
        bytes[i / 2] = static_cast<uint8_t>(Hex(field.substr(i, 2)));
    }
    return bytes;
}

// Each row of value_texts.txt; a refused text leaves the value word unchanged.
TEST(ValueText, TextsAreShownReadAndRefusedAsTheTableSays) {
    for (const auto& row : LoadTable(__FILE__, "value_texts.txt")) {
        const uint8_t kind = KindOf(row.at(1));
        if (row[0] == L"show") {
            const int format = Code(
                row.at(3), {L"bin", L"dec", L"hex", L"float", L"pointer", L"counter", L"s5time"});
            EXPECT_EQ(ValueText(Variable(kind, BytesOf(row[2])), format), row.at(4))
                << "kind " << int(kind) << " format " << format;
        } else if (row[0] == L"read") {
            EXPECT_EQ(ParsedValue(kind, row.at(3)), BytesOf(row[2])) << row[3];
        } else {
            EXPECT_EQ(ParsedValue(kind, row.at(2)), std::nullopt)
                << "kind " << int(kind) << " " << row[2];
        }
    }
    Variable variable(kWord, {0x12, 0x34});
    for (int format : {0, 8, -1, 1000}) EXPECT_EQ(ValueText(variable, format), std::nullopt);
}

TEST(ValueText, VariablesWithoutOneValueWordAreRefused) {
    using Change = void (*)(VariableDescriptor&);
    const std::pair<const char*, Change> broken[] = {
        {"kind 0", [](VariableDescriptor& d) { d.kind = 0; }},
        {"kind 7", [](VariableDescriptor& d) { d.kind = 7; }},
        {"two elements", [](VariableDescriptor& d) { d.elementCount = 2; }},
        {"no element", [](VariableDescriptor& d) { d.elementCount = 0; }},
        {"no value word", [](VariableDescriptor& d) { d.value = nullptr; }},
    };
    for (const auto& [what, change] : broken) {
        Variable variable(kWord, {0x12, 0x34});
        change(variable.descriptor);
        wchar_t out[50] = L"x";
        EXPECT_EQ(cpuLink_GetVariableValueAsString(out, 50, &variable.descriptor, kHex), 0) << what;
        EXPECT_EQ(out[0], L'\0') << what;
        EXPECT_EQ(cpuLink_SetVariableValueFromStringW(&variable.descriptor, L"1"), 0) << what;
        EXPECT_EQ(variable.Bytes(), (ValueBytes{0x12, 0x34})) << what;
    }
}

// Every format text fits the value text capacity and reads back to the same value word.
// An S5TIME word in a coarser base than needed reads back as the same time in the finest
// base, which shows the same text.
void ExpectRoundTrip(uint8_t kind, uint32_t raw) {
    const ValueBytes bytes = WordOf(kind, raw);
    Variable variable(kind, bytes);
    // Counters and timers hold only what their own texts can give.
    if (kind == kCounter || kind == kTimer) {
        if (ValueText(variable, kind == kCounter ? kCount : kS5Time)->rfind(L"16#", 0) == 0) return;
    }
    for (int format = kBin; format <= kS5Time; ++format) {
        const auto text = ValueText(variable, format);
        ASSERT_TRUE(text.has_value()) << "kind " << int(kind) << " format " << format;
        const auto back = ParsedValue(kind, *text);
        ASSERT_TRUE(back.has_value()) << "kind " << int(kind) << " " << *text;
        if (*back == bytes) continue;
        ASSERT_EQ(text->rfind(L"S5T#", 0), 0u) << "kind " << int(kind) << " " << *text;
        Variable again(kind, *back);
        ASSERT_EQ(ValueText(again, format), text);
    }
}

TEST(ValueTextRoundTrip, EveryValueOfTheShortKindsReadsBackInEveryFormat) {
    for (uint8_t kind : {kBit, kByte, kWord, kCounter, kTimer}) {
        const uint32_t last = kind == kBit ? 1 : kind == kByte ? 0xFF : 0xFFFF;
        for (uint32_t raw = 0; raw <= last && !HasFatalFailure(); ++raw) ExpectRoundTrip(kind, raw);
    }
}

TEST(ValueTextRoundTrip, DoubleWordsReadBackInEveryFormat) {
    std::mt19937 random(20261206);
    std::vector<uint32_t> values = {0,          1,          0x7F7FFFFF, 0x00800000, 0x007FFFFF,
                                    0x80000000, 0x7F800000, 0x7FC00001, 0xFFFFFFFF, 0x3FC00000,
                                    0x83000053, 0x8407FFFF, 0x00000053, 0x4B800001};
    for (int i = 0; i < 100000; ++i) values.push_back(random());
    for (size_t i = 0; i < values.size() && !HasFatalFailure(); ++i) {
        ExpectRoundTrip(kDword, values[i]);
    }
}

}  // namespace
