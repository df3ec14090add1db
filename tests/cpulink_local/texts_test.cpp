#include <gtest/gtest.h>

#include <set>
#include <string>

#include "cpulink.h"

namespace {

std::wstring ErrorText(unsigned status, int capacity = CPULINK_ERROR_TEXT_CAPACITY) {
    wchar_t buffer[300];
    EXPECT_NE(cpuLink_ErrorString(static_cast<CpuStatus>(status), buffer, capacity), 0);
    return buffer;
}

std::wstring EventText(uint16_t id) {
    wchar_t buffer[CPULINK_DIAGNOSE_TEXT_CAPACITY];
    if (cpuLink_DiagnoseString(id, buffer, CPULINK_DIAGNOSE_TEXT_CAPACITY) == 0) {
        EXPECT_EQ(buffer[0], L'\0');
        return L"";
    }
    return buffer;
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

// Writes with every capacity from 1 to `largest` into a buffer full of marks: the text is
// the start of the full one, terminated, and nothing is written past the capacity.
template <typename Call>
void ExpectCutToEveryCapacity(const std::wstring& full, int largest, Call call) {
    for (int capacity = 1; capacity <= largest; ++capacity) {
        wchar_t buffer[300];
        std::fill(std::begin(buffer), std::end(buffer), L'#');
        ASSERT_NE(call(buffer, capacity), 0) << capacity;
        const size_t expected = std::min(full.size(), static_cast<size_t>(capacity) - 1);
        ASSERT_EQ(std::wstring(buffer), full.substr(0, expected)) << capacity;
        for (int i = capacity; i < 300; ++i) ASSERT_EQ(buffer[i], L'#') << capacity;
    }
    wchar_t untouched = L'#';
    EXPECT_EQ(call(&untouched, 0), 0);
    EXPECT_EQ(untouched, L'#');
    EXPECT_EQ(call(nullptr, 10), 0);
}

const unsigned kStatuses[] = {0x0000, 0x4001, 0x4002, 0x4003, 0x4004, 0x4005, 0x4006,
                              0x4007, 0x4008, 0x4009, 0x400F, 0x4010, 0xC001, 0xC002,
                              0xC003, 0xC004, 0xC005, 0xC006, 0xC007, 0xC008};

TEST(ErrorString, EveryStatusHasItsOwnSentence) {
    std::set<std::wstring> seen;
    for (unsigned status : kStatuses) {
        const std::wstring text = ErrorText(status);
        EXPECT_GT(text.size(), 20u) << std::hex << status;
        EXPECT_LT(text.size(), 128u) << std::hex << status;
        EXPECT_EQ(text.back(), L'.') << std::hex << status;
        EXPECT_EQ(text.find(L"Unknown"), std::wstring::npos) << Narrow(text);
        EXPECT_TRUE(seen.insert(text).second) << Narrow(text);
    }
    EXPECT_NE(ErrorText(0xC008).find(L"password"), std::wstring::npos);
    EXPECT_NE(ErrorText(0xC007).find(L"MPI adapter"), std::wstring::npos);
}

TEST(ErrorString, AnyOtherStatusGetsASentenceWithItsNumber) {
    const std::wstring condition = ErrorText(0x4123);
    EXPECT_NE(condition.find(L"0x4123"), std::wstring::npos) << Narrow(condition);
    EXPECT_EQ(condition.find(L"lost"), std::wstring::npos) << Narrow(condition);
    const std::wstring fatal = ErrorText(0xC0FF);
    EXPECT_NE(fatal.find(L"0xC0FF"), std::wstring::npos) << Narrow(fatal);
    EXPECT_NE(fatal.find(L"lost"), std::wstring::npos) << Narrow(fatal);
}

TEST(ErrorString, TextsAreCutToTheCapacity) {
    for (unsigned status : {0x4001u, 0xC005u, 0xBEEFu}) {
        ExpectCutToEveryCapacity(ErrorText(status), 256, [&](wchar_t* buffer, int capacity) {
            return cpuLink_ErrorString(static_cast<CpuStatus>(status), buffer, capacity);
        });
    }
}

// The common events of the diagnostic buffer.
const uint16_t kCommonEvents[] = {
    0x1381, 0x1382, 0x1385, 0x2521, 0x2522, 0x2523, 0x2524, 0x2525, 0x2526, 0x2527, 0x2530, 0x2532,
    0x253A, 0x253C, 0x253E, 0x2942, 0x2943, 0x3501, 0x3502, 0x3505, 0x3509, 0x35A2, 0x3821, 0x3921,
    0x3822, 0x3922, 0x3823, 0x3923, 0x3842, 0x3942, 0x3861, 0x3961, 0x3863, 0x38B3, 0x39B3, 0x38C1,
    0x39C1, 0x39C3, 0x38C4, 0x39C4, 0x39CA, 0x38CB, 0x39CB, 0x4300, 0x4301, 0x4302, 0x4303, 0x4304,
    0x4305, 0x4307, 0x4308, 0x4309, 0x430E, 0x4357, 0x4520, 0x4521, 0x4522, 0x4530, 0x4540, 0x4545,
    0x4548, 0x4550, 0x4555, 0x4556, 0x4562, 0x4563, 0x4567, 0x4568, 0x456A, 0x456B, 0x456C, 0x456D,
    0x456E, 0x456F, 0x4570, 0x4576, 0x457F, 0x4580, 0x4926, 0x4931, 0x494D, 0x494E, 0x494F, 0x4959,
    0x49A0, 0x5961, 0x6316, 0x6501, 0x6521, 0x6523, 0x6526, 0x6905, 0x6805,
};

TEST(DiagnoseString, KnowsTheCommonEvents) {
    static_assert(std::size(kCommonEvents) >= 80);
    std::set<std::wstring> seen;
    for (uint16_t id : kCommonEvents) {
        const std::wstring text = EventText(id);
        EXPECT_FALSE(text.empty()) << std::hex << id;
        EXPECT_TRUE(seen.insert(text).second) << Narrow(text);
    }
    EXPECT_EQ(EventText(0x4302), L"Mode change STARTUP to RUN");
    EXPECT_EQ(EventText(0x4304), L"STOP requested by a programming device or a function block");
}

TEST(DiagnoseString, ModuleEventsAreFoundWhateverTheirStateBits) {
    EXPECT_EQ(EventText(0x8354), L"Module diagnostics: analog input: wire break (coming)");
    EXPECT_EQ(EventText(0x8254), L"Module diagnostics: analog input: wire break (going)");
    EXPECT_EQ(EventText(0x8D00), L"Module diagnostics: module fault (coming)");
    EXPECT_EQ(EventText(0x8087), L"Module diagnostics: digital output: excess temperature (going)");
    EXPECT_EQ(EventText(0x8399), L"");
}

TEST(DiagnoseString, UnknownEventsGiveNoText) {
    for (uint16_t id : {0x0000, 0xFFFF, 0x4399, 0x9354, 0x3843, 0xA001}) {
        EXPECT_EQ(EventText(id), L"") << std::hex << id;
    }
}

TEST(DiagnoseString, EveryTextFitsTheDiagnosticsPageAndIsCutToTheCapacity) {
    int known = 0;
    for (uint32_t id = 0; id <= 0xFFFF; ++id) {
        const std::wstring text = EventText(static_cast<uint16_t>(id));
        if (text.empty()) continue;
        ++known;
        ASSERT_LT(text.size(), size_t{CPULINK_DIAGNOSE_TEXT_CAPACITY}) << std::hex << id;
    }
    EXPECT_GE(known, 80);
    const std::wstring full = EventText(0x49A0);
    ExpectCutToEveryCapacity(full, 128, [](wchar_t* buffer, int capacity) {
        return cpuLink_DiagnoseString(0x49A0, buffer, capacity);
    });
}

}  // namespace
