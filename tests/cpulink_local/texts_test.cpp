#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

#include "local_calls.h"

namespace {

using vexal::testing::ParsedAddress;
using vexal::testing::Variable;

std::wstring ErrorText(unsigned status) {
    wchar_t buffer[CPULINK_ERROR_TEXT_CAPACITY];
    EXPECT_NE(
        cpuLink_ErrorString(static_cast<CpuStatus>(status), buffer, CPULINK_ERROR_TEXT_CAPACITY),
        0);
    return buffer;
}

// The text of an event, empty when the call refuses (and then the buffer is empty).
std::wstring EventText(uint16_t id) {
    wchar_t buffer[CPULINK_DIAGNOSE_TEXT_CAPACITY] = L"x";
    if (cpuLink_DiagnoseString(id, buffer, CPULINK_DIAGNOSE_TEXT_CAPACITY) == 0) {
        EXPECT_EQ(buffer[0], L'\0');
        return L"";
    }
    return buffer;
}

TEST(ErrorString, EveryStatusHasItsOwnSentence) {
    std::set<std::wstring> seen;
    for (unsigned status :
         {0x0000, 0x4001, 0x4002, 0x4003, 0x4004, 0x4005, 0x4006, 0x4007, 0x4008, 0x4009,
          0x400F, 0x4010, 0xC001, 0xC002, 0xC003, 0xC004, 0xC005, 0xC006, 0xC007, 0xC008}) {
        const std::wstring text = ErrorText(status);
        EXPECT_GT(text.size(), 20u) << std::hex << status;
        EXPECT_LT(text.size(), 128u) << std::hex << status;
        EXPECT_EQ(text.back(), L'.') << std::hex << status;
        EXPECT_EQ(text.find(L"Unknown"), std::wstring::npos) << text;
        EXPECT_TRUE(seen.insert(text).second) << text;
    }
    EXPECT_NE(ErrorText(0xC008).find(L"password"), std::wstring::npos);
    EXPECT_NE(ErrorText(0xC007).find(L"MPI adapter"), std::wstring::npos);
}

TEST(ErrorString, AnyOtherStatusGetsASentenceWithItsNumber) {
    const std::wstring condition = ErrorText(0x4123);
    EXPECT_NE(condition.find(L"0x4123"), std::wstring::npos) << condition;
    EXPECT_EQ(condition.find(L"lost"), std::wstring::npos) << condition;
    const std::wstring fatal = ErrorText(0xC0FF);
    EXPECT_NE(fatal.find(L"0xC0FF"), std::wstring::npos) << fatal;
    EXPECT_NE(fatal.find(L"lost"), std::wstring::npos) << fatal;
}

TEST(DiagnoseString, KnowsTheCommonEvents) {
    const uint16_t common[] = {
        0x1381, 0x1382, 0x1385, 0x2521, 0x2522, 0x2523, 0x2524, 0x2525, 0x2526, 0x2527, 0x2530,
        0x2532, 0x253A, 0x253C, 0x253E, 0x2942, 0x2943, 0x3501, 0x3502, 0x3505, 0x3509, 0x35A2,
        0x3821, 0x3921, 0x3822, 0x3922, 0x3823, 0x3923, 0x3842, 0x3942, 0x3861, 0x3961, 0x3863,
        0x38B3, 0x39B3, 0x38C1, 0x39C1, 0x39C3, 0x38C4, 0x39C4, 0x39CA, 0x38CB, 0x39CB, 0x4300,
        0x4301, 0x4302, 0x4303, 0x4304, 0x4305, 0x4307, 0x4308, 0x4309, 0x430E, 0x4357, 0x4520,
        0x4521, 0x4522, 0x4530, 0x4540, 0x4545, 0x4548, 0x4550, 0x4555, 0x4556, 0x4562, 0x4563,
        0x4567, 0x4568, 0x456A, 0x456B, 0x456C, 0x456D, 0x456E, 0x456F, 0x4570, 0x4576, 0x457F,
        0x4580, 0x4926, 0x4931, 0x494D, 0x494E, 0x494F, 0x4959, 0x49A0, 0x5961, 0x6316, 0x6501,
        0x6521, 0x6523, 0x6526, 0x6905, 0x6805};
    static_assert(std::size(common) >= 80);
    std::set<std::wstring> seen;
    for (uint16_t id : common) {
        const std::wstring text = EventText(id);
        EXPECT_FALSE(text.empty()) << std::hex << id;
        EXPECT_TRUE(seen.insert(text).second) << text;
    }
    EXPECT_EQ(EventText(0x4302), L"Mode change STARTUP to RUN");
    EXPECT_EQ(EventText(0x4304), L"STOP requested by a programming device or a function block");
}

TEST(DiagnoseString, ModuleEventsAreFoundWhateverTheirStateBits) {
    EXPECT_EQ(EventText(0x8354), L"Module diagnostics: analog input: wire break (coming)");
    EXPECT_EQ(EventText(0x8254), L"Module diagnostics: analog input: wire break (going)");
    EXPECT_EQ(EventText(0x8D00), L"Module diagnostics: module fault (coming)");
    EXPECT_EQ(EventText(0x8087), L"Module diagnostics: digital output: excess temperature (going)");
}

TEST(DiagnoseString, UnknownEventsGiveNoTextAndEveryKnownOneFitsTheDiagnosticsPage) {
    for (uint16_t id : {0x0000, 0xFFFF, 0x4399, 0x9354, 0x3843, 0xA001, 0x8399}) {
        EXPECT_EQ(EventText(id), L"") << std::hex << id;
    }
    for (uint32_t id = 0; id <= 0xFFFF; ++id) {
        ASSERT_LT(EventText(static_cast<uint16_t>(id)).size(),
                  size_t{CPULINK_DIAGNOSE_TEXT_CAPACITY} - 1)
            << std::hex << id;
    }
}

// Every text call, with every capacity up to 256 on a buffer full of marks, writes nothing
// past the capacity (nothing at all with 0) and terminates its text. Sentences are cut to
// fit; an address or value text that does not fit would name something else, so the text
// is left empty and the call returns 0.
TEST(TextCapacity, EveryTextCallWritesWithinItsCapacityAndTerminates) {
    const VariableDescriptor longest = *ParsedAddress(L"DB65535.DBX65535.7");  // fits 20
    const VariableDescriptor array = *ParsedAddress(L"P#DB1.DBX0.0 BYTE 10");  // does not
    const VariableDescriptor widest = *ParsedAddress(L"P#DB65535.DBX65535.0 DWORD 65535");
    const Variable value(VARIABLE_KIND_DWORD, {0x80, 0x00, 0x00, 0x01});
    const std::pair<bool, std::function<int(wchar_t*, int)>> calls[] = {
        {true, [&](wchar_t* out, int n) { return cpuLink_FormatVariable(out, n, &longest); }},
        {true, [&](wchar_t* out, int n) { return cpuLink_FormatVariable(out, n, &array); }},
        {true, [&](wchar_t* out, int n) { return cpuLink_FormatVariable(out, n, &widest); }},
        {true,
         [&](wchar_t* out, int n) {
             return cpuLink_GetVariableValueAsString(out, n, &value.descriptor,
                                                     VARIABLE_FORMAT_BIN);
         }},
        {false, [](wchar_t* out, int n) { return cpuLink_ErrorString(0xC005, out, n); }},
        {false, [](wchar_t* out, int n) { return cpuLink_ErrorString(0xBEEF, out, n); }},
        {false, [](wchar_t* out, int n) { return cpuLink_DiagnoseString(0x49A0, out, n); }},
    };
    for (const auto& [whole, call] : calls) {
        wchar_t reference[300];
        ASSERT_NE(call(reference, 300), 0);
        const std::wstring full = reference;
        SCOPED_TRACE(full);
        for (int capacity = 0; capacity <= 256; ++capacity) {
            wchar_t buffer[300];
            std::fill(std::begin(buffer), std::end(buffer), L'#');
            const int written = call(buffer, capacity);
            std::wstring expected = full.substr(0, capacity > 0 ? capacity - 1 : 0);
            const bool fits = expected == full;
            if (capacity > 0) {
                ASSERT_EQ(written != 0, fits || !whole) << capacity;
                ASSERT_EQ(std::wstring(buffer), whole && !fits ? L"" : expected) << capacity;
            }
            for (int i = capacity; i < 300; ++i) ASSERT_EQ(buffer[i], L'#') << capacity;
        }
    }
}

TEST(NullArguments, EveryCallRefusesThem) {
    VariableDescriptor descriptor = *ParsedAddress(L"MW10");
    Variable variable(VARIABLE_KIND_WORD);
    wchar_t out[20];
    EXPECT_EQ(cpuLink_ParseVariableW(nullptr, L"MW10"), 0);
    EXPECT_EQ(cpuLink_ParseVariableW(&descriptor, nullptr), 0);
    EXPECT_EQ(cpuLink_FormatVariable(out, 20, nullptr), 0);
    EXPECT_EQ(cpuLink_FormatVariable(nullptr, 20, &descriptor), 0);
    EXPECT_EQ(cpuLink_GetVariableValueAsString(out, 20, nullptr, VARIABLE_FORMAT_HEX), 0);
    EXPECT_EQ(cpuLink_GetVariableValueAsString(nullptr, 20, &variable.descriptor, 3), 0);
    EXPECT_EQ(cpuLink_SetVariableValueFromStringW(nullptr, L"1"), 0);
    EXPECT_EQ(cpuLink_SetVariableValueFromStringW(&variable.descriptor, nullptr), 0);
    BrokenDownTime time{};
    CpuClock clock{};
    EXPECT_EQ(cpuLink_TMToS7Time(nullptr, &time), 0);
    EXPECT_EQ(cpuLink_TMToS7Time(&clock, nullptr), 0);
    EXPECT_EQ(cpuLink_S7TimeToTM(&time, nullptr), 0);
    EXPECT_EQ(cpuLink_S7TimeToTM(nullptr, &clock), 0);
    EXPECT_EQ(cpuLink_DecodeLedState(nullptr), -1);
    EXPECT_EQ(cpuLink_DecodeOperationMode(nullptr), -1);
    EXPECT_EQ(cpuLink_ErrorString(0x4001, nullptr, 10), 0);
    EXPECT_EQ(cpuLink_DiagnoseString(0x49A0, nullptr, 10), 0);
}

}  // namespace
