#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

#include "local_calls.h"

namespace {

using vexal::testing::Hex;
using vexal::testing::LoadTable;
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
         {0x0000, 0x4001, 0x4002, 0x4003, 0x4004, 0x4005, 0x4006, 0x4007, 0x4008, 0x4009, 0x400A,
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

TEST(DiagnoseString, EventsHaveTheTextsOfTheTable) {
    std::set<std::wstring> seen;
    for (const auto& row : LoadTable(__FILE__, "event_texts.txt")) {
        const auto id = static_cast<uint16_t>(Hex(row.at(0)));
        const std::wstring text = EventText(id);
        if (row.at(1) == L"*") {
            EXPECT_FALSE(text.empty()) << std::hex << id;
        } else {
            EXPECT_EQ(text, row[1]) << std::hex << id;
        }
        EXPECT_TRUE(text.empty() || seen.insert(text).second) << text;
    }
}

TEST(DiagnoseString, EveryKnownEventFitsTheDiagnosticsPage) {
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
