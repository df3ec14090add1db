#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "local_calls.h"

namespace {

using vexal::testing::ParsedValue;
using vexal::testing::ValueBytes;
using vexal::testing::ValueText;
using vexal::testing::Variable;

constexpr uint8_t kBit = VARIABLE_KIND_BIT, kByte = VARIABLE_KIND_BYTE, kWord = VARIABLE_KIND_WORD,
                  kDword = VARIABLE_KIND_DWORD, kCounter = VARIABLE_KIND_COUNTER,
                  kTimer = VARIABLE_KIND_TIMER;
constexpr int kBin = VARIABLE_FORMAT_BIN, kDec = VARIABLE_FORMAT_DEC, kHex = VARIABLE_FORMAT_HEX,
              kFloat = VARIABLE_FORMAT_FLOAT, kPointer = VARIABLE_FORMAT_POINTER,
              kCount = VARIABLE_FORMAT_COUNTER, kS5Time = VARIABLE_FORMAT_S5_TIME;

struct FormatCase {
    uint8_t kind;
    ValueBytes bytes;
    int format;
    const wchar_t* text;
};

// clang-format off
const FormatCase kFormatted[] = {
    {kByte, {0xFF}, kDec, L"255"}, {kByte, {0x05}, kHex, L"16#05"},
    {kWord, {0x80, 0x00}, kDec, L"-32768"}, {kWord, {0x12, 0x34}, kBin, L"2#0001_0010_0011_0100"},
    {kWord, {0x01, 0x23}, kCount, L"C#123"}, {kWord, {0x21, 0x27}, kS5Time, L"S5T#2M_7S"},
    {kWord, {0x39, 0x99}, kS5Time, L"S5T#2H_46M_30S"}, {kWord, {0x00, 0x00}, kS5Time, L"S5T#0MS"},
    {kWord, {0x00, 0x13}, kS5Time, L"S5T#130MS"},
    {kDword, {0x3D, 0xCC, 0xCC, 0xCD}, kFloat, L"1.000000e-01"},
    {kDword, {0x80, 0x00, 0x00, 0x00}, kDec, L"-2147483648"},
    {kDword, {0x00, 0x00, 0x00, 0xFF}, kHex, L"16#000000FF"},
    {kDword, {0x80, 0x00, 0x00, 0x01}, kBin, L"2#1000_0000_0000_0000_0000_0000_0000_0001"},
    {kDword, {0x83, 0x00, 0x00, 0x53}, kPointer, L"P#M10.3"},
    {kDword, {0x84, 0x00, 0x00, 0x13}, kPointer, L"P#DBX2.3"},
    {kDword, {0x00, 0x00, 0x00, 0x53}, kPointer, L"P#10.3"},
    {kDword, {0x80, 0x07, 0xFF, 0xFF}, kPointer, L"P#P65535.7"},
    {kCounter, {0x00, 0x00}, kCount, L"C#0"}, {kTimer, {0x30, 0x01}, kS5Time, L"S5T#10S"},
    {kTimer, {0x20, 0x99}, kS5Time, L"S5T#1M_39S"},  // 99 s counted in 1 s steps
    // Only the variable's own bytes count.
    {kWord, {0x00, 0xFF, 0xAB, 0xCD}, kHex, L"16#00FF"}, {kBit, {1, 0xFF, 0xFF, 0xFF}, kDec, L"1"},
    // A format that does not suit the kind gives the kind's own text.
    {kBit, {1}, kBin, L"1"}, {kByte, {5}, kFloat, L"16#05"},
    {kWord, {0x01, 0x23}, kPointer, L"16#0123"},
    {kDword, {0x00, 0x00, 0x01, 0x23}, kCount, L"16#00000123"},
    {kCounter, {0x01, 0x23}, kDec, L"C#123"}, {kTimer, {0x01, 0x20}, kDec, L"S5T#1S_200MS"},
    // A value the format cannot show comes in hexadecimal.
    {kWord, {0x10, 0x00}, kCount, L"16#1000"},
    {kDword, {0x7F, 0xC0, 0x00, 0x00}, kFloat, L"16#7FC00000"},
    {kCounter, {0x0F, 0xFF}, kCount, L"16#0FFF"}, {kTimer, {0xC1, 0x20}, kS5Time, L"16#C120"},
};
// clang-format on

TEST(ValueText, EachFormatWritesItsLiteral) {
    for (const FormatCase& c : kFormatted) {
        Variable variable(c.kind, c.bytes);
        EXPECT_EQ(ValueText(variable, c.format), std::wstring(c.text))
            << "kind " << int(c.kind) << " format " << c.format;
    }
    Variable variable(kWord, {0x12, 0x34});
    for (int format : {0, 8, -1, 1000}) EXPECT_EQ(ValueText(variable, format), std::nullopt);
}

// The value word of a kind holding `raw`: its bytes in controller order, the rest cleared.
ValueBytes WordOf(uint8_t kind, uint32_t raw) {
    const int width = kind == kBit || kind == kByte ? 1 : kind == kDword ? 4 : 2;
    ValueBytes bytes{};
    for (int i = 0; i < width; ++i) bytes[i] = static_cast<uint8_t>(raw >> 8 * (width - 1 - i));
    return bytes;
}

// Texts the formatter does not write (what it writes is read back by the round trips).
// S5TIME in the finest base drops the 7 ms of 137 ms.
TEST(ValueText, AcceptedTextsGiveTheirValueWord) {
    using Texts = std::vector<std::pair<const wchar_t*, uint32_t>>;
    // clang-format off
    const std::pair<uint8_t, Texts> accepted[] = {
        {kBit, {{L"TRUE", 1}, {L"False", 0}, {L" 1 ", 1}}},
        {kByte, {{L"B#16#1F", 0x1F}, {L"byte#16#1f", 0x1F}, {L"2#101", 5}, {L"16#000000FF", 0xFF}}},
        {kWord, {{L"65535", 0xFFFF}, {L"+7", 7}, {L"W#16#00FF", 0xFF}, {L"16#ff", 0xFF},
                 {L"c#7", 7}, {L"S5T#1S200MS", 0x0120}, {L"S5T#1200MS", 0x0120},
                 {L"s5time#1s_200ms", 0x0120}, {L"S5T#127S", 0x2127}, {L"S5T#137MS", 0x0013},
                 {L"S5T#1H", 0x3360}, {L"S5T#99S", 0x1990}}},
        {kDword, {{L"4294967295", 0xFFFFFFFF}, {L"L#-1", 0xFFFFFFFF},
                  {L"DW#16#00A2_1234", 0x00A21234}, {L"dword#16#DEADBEEF", 0xDEADBEEF},
                  {L"+1.5", 0x3FC00000}, {L"-2.5E-1", 0xBE800000}, {L"1e3", 0x447A0000},
                  {L".5", 0x3F000000}, {L"P#M 10.3", 0x83000053}, {L"p#dbx2.3", 0x84000013},
                  {L"P#E1.0", 0x81000008}, {L"P#A1.0", 0x82000008}}},
        {kCounter, {{L"123", 0x0123}}},
        {kTimer, {{L"S5T#1M_39S", 0x1990}, {L"16#2099", 0x2099}, {L"W#16#3999", 0x3999}}}};
    // clang-format on
    for (const auto& [kind, texts] : accepted) {
        for (const auto& [text, raw] : texts) {
            EXPECT_EQ(ParsedValue(kind, text), WordOf(kind, raw))
                << "kind " << int(kind) << " " << text;
        }
    }
}

TEST(ValueText, RefusedTextsLeaveTheValueWordUnchanged) {
    const std::vector<std::pair<uint8_t, std::vector<const wchar_t*>>> refused = {
        {kBit, {L"2", L"-1", L"16#2", L"yes", L"TRUE1", L"", L"  ", L"C#1", L"1.0", L"1 1"}},
        {kByte, {L"256", L"-1",           L"16#100", L"B#16#123", L"2#1_0000_0000", L"1.5",
                 L"C#1", L"S5T#1S",       L"P#M0.0", L"TRUE",     L"0x1F",          L"1 2",
                 L"16#", L"16#G",         L"16#_1",  L"16#1_",    L"16#1__2",       L"2#2",
                 L"2#",  L"16#1FF\x00A0", L"\xFF11"}},
        {kWord,
         {L"65536", L"-32769", L"C#1000", L"C#-1", L"C#", L"1.5", L"P#M10.0", L"L#1", L"TRUE",
          L"W#16#12345", L"DW#16#123456789", L"16#123456789"}},
        {kWord,
         {L"S5T#", L"S5T#2H_46M_31S", L"S5T#3H", L"S5T#1S_1M", L"S5T#1S1S", L"S5T#1.5S", L"S5T#1X",
          L"S5T#1", L"S5T#_1S", L"S5T#1S_", L"S5T#1S__200MS", L"S5T#99999999999999999999MS"}},
        {kDword, {L"4294967296",   L"-2147483649", L"L#2147483648", L"L#",         L"1e39",
                  L"-1e39",        L"1e-50",       L"inf",          L"nan",        L"1.5f",
                  L"0x1p3",        L"1..5",        L"1e",           L"--1",        L"+-1.5",
                  L"++1",          L"1.5.",        L"P#M10.8",      L"P#M65536.0", L"P#X1.0",
                  L"P#DB1.DBX2.3", L"P#M10",       L"C#1",          L"S5T#1S",     L"TRUE"}},
        {kCounter, {L"1000", L"-1", L"C#1000", L"16#0A00", L"16#1000", L"S5T#1S", L"1.5", L"TRUE"}},
        {kTimer, {L"100", L"16#4000", L"16#001A", L"C#1", L"S5T#9991S", L"TRUE", L"1.5"}},
    };
    for (const auto& [kind, texts] : refused) {
        for (const wchar_t* text : texts) {
            EXPECT_EQ(ParsedValue(kind, text), std::nullopt) << "kind " << int(kind) << " " << text;
        }
    }
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
