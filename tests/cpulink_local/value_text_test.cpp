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

constexpr uint8_t kBit = VARIABLE_KIND_BIT;
constexpr uint8_t kByte = VARIABLE_KIND_BYTE;
constexpr uint8_t kWord = VARIABLE_KIND_WORD;
constexpr uint8_t kDword = VARIABLE_KIND_DWORD;
constexpr uint8_t kCounter = VARIABLE_KIND_COUNTER;
constexpr uint8_t kTimer = VARIABLE_KIND_TIMER;

constexpr int kBin = VARIABLE_FORMAT_BIN;
constexpr int kDec = VARIABLE_FORMAT_DEC;
constexpr int kHex = VARIABLE_FORMAT_HEX;
constexpr int kFloat = VARIABLE_FORMAT_FLOAT;
constexpr int kPointer = VARIABLE_FORMAT_POINTER;
constexpr int kCounterFormat = VARIABLE_FORMAT_COUNTER;
constexpr int kS5Time = VARIABLE_FORMAT_S5_TIME;

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

struct FormatCase {
    uint8_t kind;
    ValueBytes bytes;
    int format;
    const wchar_t* text;
};

const FormatCase kFormatted[] = {
    {kBit, {1}, kDec, L"1"},
    {kBit, {0}, kDec, L"0"},
    {kByte, {5}, kBin, L"2#0000_0101"},
    {kByte, {5}, kDec, L"5"},
    {kByte, {0xFF}, kDec, L"255"},
    {kByte, {0xFF}, kHex, L"16#FF"},
    {kByte, {0x05}, kHex, L"16#05"},
    {kWord, {0x00, 0xFF}, kHex, L"16#00FF"},
    {kWord, {0xFF, 0xF4}, kDec, L"-12"},
    {kWord, {0x7F, 0xFF}, kDec, L"32767"},
    {kWord, {0x80, 0x00}, kDec, L"-32768"},
    {kWord, {0x12, 0x34}, kBin, L"2#0001_0010_0011_0100"},
    {kWord, {0x01, 0x23}, kCounterFormat, L"C#123"},
    {kWord, {0x01, 0x20}, kS5Time, L"S5T#1S_200MS"},
    {kWord, {0x21, 0x50}, kS5Time, L"S5T#2M_30S"},
    {kWord, {0x21, 0x27}, kS5Time, L"S5T#2M_7S"},
    {kWord, {0x39, 0x99}, kS5Time, L"S5T#2H_46M_30S"},
    {kWord, {0x00, 0x00}, kS5Time, L"S5T#0MS"},
    {kWord, {0x00, 0x13}, kS5Time, L"S5T#130MS"},
    {kDword, {0x3F, 0xC0, 0x00, 0x00}, kFloat, L"1.500000e+00"},
    {kDword, {0x00, 0x00, 0x00, 0x00}, kFloat, L"0.000000e+00"},
    {kDword, {0x80, 0x00, 0x00, 0x00}, kFloat, L"-0.000000e+00"},
    {kDword, {0x3D, 0xCC, 0xCC, 0xCD}, kFloat, L"1.000000e-01"},
    {kDword, {0x4B, 0x80, 0x00, 0x01}, kFloat, L"1.6777218e+07"},  // needs 8 digits
    {kDword, {0x00, 0x00, 0x00, 0x01}, kFloat, L"1.401298e-45"},
    {kDword, {0xFF, 0xFF, 0xFF, 0xF4}, kDec, L"-12"},
    {kDword, {0x80, 0x00, 0x00, 0x00}, kDec, L"-2147483648"},
    {kDword, {0x00, 0x00, 0x00, 0xFF}, kHex, L"16#000000FF"},
    {kDword, {0x80, 0x00, 0x00, 0x01}, kBin, L"2#1000_0000_0000_0000_0000_0000_0000_0001"},
    {kDword, {0x83, 0x00, 0x00, 0x53}, kPointer, L"P#M10.3"},
    {kDword, {0x84, 0x00, 0x00, 0x13}, kPointer, L"P#DBX2.3"},
    {kDword, {0x00, 0x00, 0x00, 0x53}, kPointer, L"P#10.3"},
    {kDword, {0x80, 0x07, 0xFF, 0xFF}, kPointer, L"P#P65535.7"},
    {kDword, {0x87, 0x00, 0x00, 0x08}, kPointer, L"P#V1.0"},
    {kCounter, {0x01, 0x23}, kCounterFormat, L"C#123"},
    {kCounter, {0x09, 0x99}, kCounterFormat, L"C#999"},
    {kCounter, {0x00, 0x00}, kCounterFormat, L"C#0"},
    {kCounter, {0x01, 0x23}, kHex, L"16#0123"},
    {kCounter, {0x01, 0x23}, kBin, L"2#0000_0001_0010_0011"},
    {kTimer, {0x01, 0x20}, kS5Time, L"S5T#1S_200MS"},
    {kTimer, {0x30, 0x01}, kS5Time, L"S5T#10S"},
    {kTimer, {0x01, 0x20}, kHex, L"16#0120"},
    // Only the variable's own bytes count.
    {kWord, {0x00, 0xFF, 0xAB, 0xCD}, kHex, L"16#00FF"},
    {kBit, {1, 0xFF, 0xFF, 0xFF}, kDec, L"1"},
    // A format that does not suit the kind gives the kind's own text.
    {kBit, {1}, kBin, L"1"},
    {kBit, {1}, kS5Time, L"1"},
    {kByte, {5}, kFloat, L"16#05"},
    {kByte, {5}, kCounterFormat, L"16#05"},
    {kWord, {0x01, 0x23}, kFloat, L"16#0123"},
    {kWord, {0x01, 0x23}, kPointer, L"16#0123"},
    {kDword, {0x00, 0x00, 0x01, 0x23}, kCounterFormat, L"16#00000123"},
    {kDword, {0x00, 0x00, 0x01, 0x20}, kS5Time, L"16#00000120"},
    {kCounter, {0x01, 0x23}, kDec, L"C#123"},
    {kCounter, {0x01, 0x23}, kS5Time, L"C#123"},
    {kTimer, {0x01, 0x20}, kDec, L"S5T#1S_200MS"},
    {kTimer, {0x01, 0x20}, kCounterFormat, L"S5T#1S_200MS"},
    // A value the format cannot show comes in hexadecimal.
    {kWord, {0x0A, 0x00}, kCounterFormat, L"16#0A00"},
    {kWord, {0x10, 0x00}, kCounterFormat, L"16#1000"},
    {kWord, {0x40, 0x00}, kS5Time, L"16#4000"},
    {kWord, {0x00, 0x1A}, kS5Time, L"16#001A"},
    {kDword, {0x7F, 0x80, 0x00, 0x00}, kFloat, L"16#7F800000"},
    {kDword, {0xFF, 0x80, 0x00, 0x00}, kFloat, L"16#FF800000"},
    {kDword, {0x7F, 0xC0, 0x00, 0x00}, kFloat, L"16#7FC00000"},
    {kDword, {0x83, 0x08, 0x00, 0x00}, kPointer, L"16#83080000"},
    {kDword, {0x88, 0x00, 0x00, 0x00}, kPointer, L"16#88000000"},
    {kDword, {0x01, 0x00, 0x00, 0x00}, kPointer, L"16#01000000"},
    {kCounter, {0x0F, 0xFF}, kCounterFormat, L"16#0FFF"},
    {kTimer, {0xC1, 0x20}, kS5Time, L"16#C120"},
};

TEST(ValueText, EachFormatWritesItsLiteral) {
    for (const FormatCase& c : kFormatted) {
        Variable variable(c.kind, c.bytes);
        EXPECT_EQ(ValueText(variable, c.format), std::wstring(c.text))
            << "kind " << int(c.kind) << " format " << c.format;
    }
}

struct ParseCase {
    uint8_t kind;
    const wchar_t* text;
    ValueBytes bytes;
};

const ParseCase kParsed[] = {
    {kBit, L"1", {1}},
    {kBit, L"0", {0}},
    {kBit, L"TRUE", {1}},
    {kBit, L"true", {1}},
    {kBit, L"False", {0}},
    {kBit, L" 1 ", {1}},
    {kBit, L"2#1", {1}},
    {kBit, L"16#0", {0}},
    {kByte, L"255", {0xFF}},
    {kByte, L"0", {0}},
    {kByte, L"16#FF", {0xFF}},
    {kByte, L"B#16#1F", {0x1F}},
    {kByte, L"byte#16#1f", {0x1F}},
    {kByte, L"2#0000_0101", {5}},
    {kByte, L"2#101", {5}},
    {kByte, L"16#000000FF", {0xFF}},
    {kWord, L"-12", {0xFF, 0xF4}},
    {kWord, L"65535", {0xFF, 0xFF}},
    {kWord, L"-32768", {0x80, 0x00}},
    {kWord, L"+7", {0x00, 0x07}},
    {kWord, L"W#16#00FF", {0x00, 0xFF}},
    {kWord, L"16#ff", {0x00, 0xFF}},
    {kWord, L"2#1111_1111_1111_1111", {0xFF, 0xFF}},
    {kWord, L"C#123", {0x01, 0x23}},
    {kWord, L"c#7", {0x00, 0x07}},
    {kWord, L"S5T#1S_200MS", {0x01, 0x20}},
    {kWord, L"S5T#1S200MS", {0x01, 0x20}},
    {kWord, L"S5T#1200MS", {0x01, 0x20}},
    {kWord, L"s5time#1s_200ms", {0x01, 0x20}},
    {kWord, L"S5T#2M_30S", {0x21, 0x50}},
    {kWord, L"S5T#2M30S", {0x21, 0x50}},
    {kWord, L"S5T#127S", {0x21, 0x27}},
    {kWord, L"S5T#2H_46M_30S", {0x39, 0x99}},
    {kWord, L"S5T#137MS", {0x00, 0x13}},  // the finest base drops the 7 ms
    {kWord, L"S5T#5MS", {0x00, 0x00}},
    {kWord, L"S5T#0MS", {0x00, 0x00}},
    {kWord, L"S5T#1H", {0x33, 0x60}},
    {kWord, L"S5T#99S", {0x19, 0x90}},
    {kDword, L"-12", {0xFF, 0xFF, 0xFF, 0xF4}},
    {kDword, L"4294967295", {0xFF, 0xFF, 0xFF, 0xFF}},
    {kDword, L"-2147483648", {0x80, 0x00, 0x00, 0x00}},
    {kDword, L"L#-1", {0xFF, 0xFF, 0xFF, 0xFF}},
    {kDword, L"DW#16#00A2_1234", {0x00, 0xA2, 0x12, 0x34}},
    {kDword, L"dword#16#DEADBEEF", {0xDE, 0xAD, 0xBE, 0xEF}},
    {kDword, L"1.5", {0x3F, 0xC0, 0x00, 0x00}},
    {kDword, L"1.500000e+00", {0x3F, 0xC0, 0x00, 0x00}},
    {kDword, L"+1.5", {0x3F, 0xC0, 0x00, 0x00}},
    {kDword, L"-2.5E-1", {0xBE, 0x80, 0x00, 0x00}},
    {kDword, L"1e3", {0x44, 0x7A, 0x00, 0x00}},
    {kDword, L".5", {0x3F, 0x00, 0x00, 0x00}},
    {kDword, L"P#M10.3", {0x83, 0x00, 0x00, 0x53}},
    {kDword, L"P#M 10.3", {0x83, 0x00, 0x00, 0x53}},
    {kDword, L"p#dbx2.3", {0x84, 0x00, 0x00, 0x13}},
    {kDword, L"P#E1.0", {0x81, 0x00, 0x00, 0x08}},
    {kDword, L"P#A1.0", {0x82, 0x00, 0x00, 0x08}},
    {kDword, L"P#DIX0.0", {0x85, 0x00, 0x00, 0x00}},
    {kDword, L"P#10.3", {0x00, 0x00, 0x00, 0x53}},
    {kCounter, L"123", {0x01, 0x23}},
    {kCounter, L"C#999", {0x09, 0x99}},
    {kCounter, L"0", {0x00, 0x00}},
    {kCounter, L"16#0123", {0x01, 0x23}},
    {kCounter, L"2#0000_0001_0010_0011", {0x01, 0x23}},
    {kTimer, L"S5T#1S_200MS", {0x01, 0x20}},
    {kTimer, L"16#2099", {0x20, 0x99}},
    {kTimer, L"W#16#3999", {0x39, 0x99}},
};

TEST(ValueText, AcceptedTextsGiveTheirValueWord) {
    for (const ParseCase& c : kParsed) {
        EXPECT_EQ(ParsedValue(c.kind, c.text), c.bytes)
            << "kind " << int(c.kind) << " text " << Narrow(c.text);
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
         {L"65536",
          L"-32769",
          L"C#1000",
          L"C#-1",
          L"C#",
          L"S5T#",
          L"S5T#2H_46M_31S",
          L"S5T#3H",
          L"S5T#1S_1M",
          L"S5T#1S1S",
          L"S5T#1.5S",
          L"S5T#1X",
          L"S5T#1",
          L"S5T#_1S",
          L"S5T#1S_",
          L"S5T#1S__200MS",
          L"S5T#99999999999999999999MS",
          L"1.5",
          L"P#M10.0",
          L"L#1",
          L"TRUE",
          L"W#16#12345",
          L"DW#16#123456789",
          L"16#123456789"}},
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
            Variable variable(kind, {0xA5, 0x5A, 0xC3, 0x3C});
            EXPECT_EQ(cpuLink_SetVariableValueFromStringW(&variable.descriptor, text), 0)
                << "kind " << int(kind) << " text " << Narrow(text);
            EXPECT_EQ(variable.Bytes(), (ValueBytes{0xA5, 0x5A, 0xC3, 0x3C}));
        }
    }
}

TEST(ValueText, AConversionClearsTheBytesBehindTheVariable) {
    Variable variable(kWord, {0xA5, 0x5A, 0xC3, 0x3C});
    ASSERT_NE(cpuLink_SetVariableValueFromStringW(&variable.descriptor, L"16#1234"), 0);
    EXPECT_EQ(variable.Bytes(), (ValueBytes{0x12, 0x34, 0x00, 0x00}));
}

TEST(ValueText, VariablesWithoutOneValueWordAreRefused) {
    Variable variable(kWord, {0x12, 0x34});
    wchar_t out[50];
    auto refusesBoth = [&](const char* what) {
        out[0] = L'x';
        EXPECT_EQ(cpuLink_GetVariableValueAsString(out, 50, &variable.descriptor, kHex), 0) << what;
        EXPECT_EQ(out[0], L'\0') << what;
        EXPECT_EQ(cpuLink_SetVariableValueFromStringW(&variable.descriptor, L"1"), 0) << what;
    };
    variable.descriptor.kind = 0;
    refusesBoth("kind 0");
    variable.descriptor.kind = 7;
    refusesBoth("kind 7");
    variable.descriptor.kind = kWord;
    variable.descriptor.elementCount = 2;
    refusesBoth("two elements");
    variable.descriptor.elementCount = 0;
    refusesBoth("no element");
    variable.descriptor.elementCount = 1;
    variable.descriptor.value = nullptr;
    refusesBoth("no value word");
    EXPECT_EQ(cpuLink_GetVariableValueAsString(out, 50, nullptr, kHex), 0);
    EXPECT_EQ(cpuLink_SetVariableValueFromStringW(nullptr, L"1"), 0);
    Variable fine(kWord);
    EXPECT_EQ(cpuLink_SetVariableValueFromStringW(&fine.descriptor, nullptr), 0);
}

TEST(ValueText, FormatCodesOutsideOneToSevenAreRefused) {
    Variable variable(kWord, {0x12, 0x34});
    for (int format : {0, 8, -1, 1000}) {
        EXPECT_EQ(ValueText(variable, format), std::nullopt) << format;
    }
}

TEST(ValueText, ATextThatDoesNotFitIsNeverCut) {
    Variable variable(kDword, {0x80, 0x00, 0x00, 0x01});
    const std::wstring full = L"2#1000_0000_0000_0000_0000_0000_0000_0001";
    EXPECT_EQ(ValueText(variable, kBin, static_cast<int>(full.size()) + 1), full);
    for (int capacity = 1; capacity <= static_cast<int>(full.size()); ++capacity) {
        wchar_t out[64];
        std::fill(std::begin(out), std::end(out), L'x');
        EXPECT_EQ(cpuLink_GetVariableValueAsString(out, capacity, &variable.descriptor, kBin), 0);
        EXPECT_EQ(out[0], L'\0');
        for (int i = capacity; i < 64; ++i) ASSERT_EQ(out[i], L'x') << capacity;
    }
    wchar_t untouched = L'x';
    EXPECT_EQ(cpuLink_GetVariableValueAsString(&untouched, 0, &variable.descriptor, kBin), 0);
    EXPECT_EQ(untouched, L'x');
}

ValueBytes BytesOf(uint8_t kind, uint32_t raw) {
    switch (kind) {
        case kBit:
        case kByte:
            return {static_cast<uint8_t>(raw)};
        case kDword:
            return {static_cast<uint8_t>(raw >> 24), static_cast<uint8_t>(raw >> 16),
                    static_cast<uint8_t>(raw >> 8), static_cast<uint8_t>(raw)};
        default:
            return {static_cast<uint8_t>(raw >> 8), static_cast<uint8_t>(raw)};
    }
}

// Every format text reads back to the same value word. An S5TIME word in a coarser base
// than needed reads back as the same time in the finest base, which shows the same text.
void ExpectRoundTrip(uint8_t kind, ValueBytes bytes) {
    Variable variable(kind, bytes);
    for (int format = kBin; format <= kS5Time; ++format) {
        const auto text = ValueText(variable, format);
        ASSERT_TRUE(text.has_value()) << "kind " << int(kind) << " format " << format;
        ASSERT_LT(text->size(), size_t{CPULINK_VALUE_TEXT_CAPACITY});
        const auto back = ParsedValue(kind, *text);
        ASSERT_TRUE(back.has_value()) << "kind " << int(kind) << " text " << Narrow(*text);
        if (*back == bytes) continue;
        ASSERT_EQ(text->rfind(L"S5T#", 0), 0u) << "kind " << int(kind) << " text " << Narrow(*text);
        Variable again(kind, *back);
        ASSERT_EQ(ValueText(again, format), text);
    }
}

TEST(ValueTextRoundTrip, EveryValueOfTheShortKindsReadsBackInEveryFormat) {
    for (uint8_t kind : {kBit, kByte, kWord, kCounter, kTimer}) {
        const uint32_t last = kind == kBit ? 1 : kind == kByte ? 0xFF : 0xFFFF;
        for (uint32_t raw = 0; raw <= last; ++raw) {
            const ValueBytes bytes = BytesOf(kind, raw);
            // Counters and timers hold only what their own texts can give.
            Variable probe(kind, bytes);
            const auto own = ValueText(probe, kind == kCounter ? kCounterFormat : kS5Time);
            if ((kind == kCounter || kind == kTimer) && own->rfind(L"16#", 0) == 0) continue;
            ExpectRoundTrip(kind, bytes);
            if (testing::Test::HasFatalFailure()) return;
        }
    }
}

TEST(ValueTextRoundTrip, DoubleWordsReadBackInEveryFormat) {
    std::mt19937 random(20261206);
    std::vector<uint32_t> values = {0,          1,          0x7F7FFFFF, 0x00800000, 0x007FFFFF,
                                    0x80000000, 0x7F800000, 0x7FC00001, 0xFFFFFFFF, 0x3FC00000,
                                    0x83000053, 0x8407FFFF, 0x00000053, 0x4B800001};
    for (int i = 0; i < 100000; ++i) values.push_back(random());
    for (uint32_t raw : values) {
        ExpectRoundTrip(kDword, BytesOf(kDword, raw));
        if (testing::Test::HasFatalFailure()) return;
    }
}

TEST(ValueTextRoundTrip, ATimerInACoarseBaseKeepsItsTime) {
    // 99 s counted in 1 s steps, as a timer started with S5T#100S shows it.
    Variable variable(kTimer, {0x20, 0x99});
    EXPECT_EQ(ValueText(variable, kS5Time), std::wstring(L"S5T#1M_39S"));
    EXPECT_EQ(ParsedValue(kTimer, L"S5T#1M_39S"), (ValueBytes{0x19, 0x90}));
    EXPECT_EQ(ParsedValue(kTimer, L"16#2099"), (ValueBytes{0x20, 0x99}));
}

}  // namespace
