#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "local_calls.h"

namespace {

using vexal::testing::AddressText;
using vexal::testing::ParsedAddress;

struct AddressCase {
    const wchar_t* text;
    uint8_t kind;
    uint8_t area;
    uint8_t transportSize;
    uint16_t dbNumber;
    uint32_t byteOffset;
    uint8_t bitOffset;
    uint16_t elementCount;
    const wchar_t* canonical;
};

const AddressCase kAccepted[] = {
    {L"I0.1", 1, 0x81, 0x01, 0, 0, 1, 1, L"I0.1"},
    {L"E0.1", 1, 0x81, 0x01, 0, 0, 1, 1, L"I0.1"},
    {L"Q4.0", 1, 0x82, 0x01, 0, 4, 0, 1, L"Q4.0"},
    {L"A4.0", 1, 0x82, 0x01, 0, 4, 0, 1, L"Q4.0"},
    {L"M10.3", 1, 0x83, 0x01, 0, 10, 3, 1, L"M10.3"},
    {L"IB0", 2, 0x81, 0x02, 0, 0, 0, 1, L"IB0"},
    {L"EB0", 2, 0x81, 0x02, 0, 0, 0, 1, L"IB0"},
    {L"QB7", 2, 0x82, 0x02, 0, 7, 0, 1, L"QB7"},
    {L"AB7", 2, 0x82, 0x02, 0, 7, 0, 1, L"QB7"},
    {L"MB1", 2, 0x83, 0x02, 0, 1, 0, 1, L"MB1"},
    {L"IW6", 3, 0x81, 0x04, 0, 6, 0, 1, L"IW6"},
    {L"EW6", 3, 0x81, 0x04, 0, 6, 0, 1, L"IW6"},
    {L"QW2", 3, 0x82, 0x04, 0, 2, 0, 1, L"QW2"},
    {L"AW2", 3, 0x82, 0x04, 0, 2, 0, 1, L"QW2"},
    {L"MW10", 3, 0x83, 0x04, 0, 10, 0, 1, L"MW10"},
    {L"ID4", 4, 0x81, 0x06, 0, 4, 0, 1, L"ID4"},
    {L"ED4", 4, 0x81, 0x06, 0, 4, 0, 1, L"ID4"},
    {L"QD8", 4, 0x82, 0x06, 0, 8, 0, 1, L"QD8"},
    {L"AD8", 4, 0x82, 0x06, 0, 8, 0, 1, L"QD8"},
    {L"MD4", 4, 0x83, 0x06, 0, 4, 0, 1, L"MD4"},
    {L"PIB256", 2, 0x80, 0x02, 0, 256, 0, 1, L"PIB256"},
    {L"PEB256", 2, 0x80, 0x02, 0, 256, 0, 1, L"PIB256"},
    {L"PIW256", 3, 0x80, 0x04, 0, 256, 0, 1, L"PIW256"},
    {L"PEW256", 3, 0x80, 0x04, 0, 256, 0, 1, L"PIW256"},
    {L"PQW256", 3, 0x80, 0x04, 0, 256, 0, 1, L"PIW256"},
    {L"PAW256", 3, 0x80, 0x04, 0, 256, 0, 1, L"PIW256"},
    {L"PID260", 4, 0x80, 0x06, 0, 260, 0, 1, L"PID260"},
    {L"PQB4", 2, 0x80, 0x02, 0, 4, 0, 1, L"PIB4"},
    {L"DB1.DBX0.0", 1, 0x84, 0x01, 1, 0, 0, 1, L"DB1.DBX0.0"},
    {L"DB1.DBB3", 2, 0x84, 0x02, 1, 3, 0, 1, L"DB1.DBB3"},
    {L"DB1.DBW2", 3, 0x84, 0x04, 1, 2, 0, 1, L"DB1.DBW2"},
    {L"DB1.DBD4", 4, 0x84, 0x06, 1, 4, 0, 1, L"DB1.DBD4"},
    {L"T5", 6, 0x1D, 0x1D, 0, 5, 0, 1, L"T5"},
    {L"T0", 6, 0x1D, 0x1D, 0, 0, 0, 1, L"T0"},
    {L"C3", 5, 0x1C, 0x1C, 0, 3, 0, 1, L"C3"},
    {L"Z3", 5, 0x1C, 0x1C, 0, 3, 0, 1, L"C3"},
    // Any case, blanks around the text and between its parts, leading zeros.
    {L"mw10", 3, 0x83, 0x04, 0, 10, 0, 1, L"MW10"},
    {L"  MW10 \t", 3, 0x83, 0x04, 0, 10, 0, 1, L"MW10"},
    {L"M 10.3", 1, 0x83, 0x01, 0, 10, 3, 1, L"M10.3"},
    {L"M10 . 3", 1, 0x83, 0x01, 0, 10, 3, 1, L"M10.3"},
    {L"DB 10.DBD 4", 4, 0x84, 0x06, 10, 4, 0, 1, L"DB10.DBD4"},
    {L"db1.dbx2.3", 1, 0x84, 0x01, 1, 2, 3, 1, L"DB1.DBX2.3"},
    {L"pew256", 3, 0x80, 0x04, 0, 256, 0, 1, L"PIW256"},
    {L"T 5", 6, 0x1D, 0x1D, 0, 5, 0, 1, L"T5"},
    {L"z 3", 5, 0x1C, 0x1C, 0, 3, 0, 1, L"C3"},
    {L"MW010", 3, 0x83, 0x04, 0, 10, 0, 1, L"MW10"},
    // Limits.
    {L"DB65535.DBX65535.7", 1, 0x84, 0x01, 65535, 65535, 7, 1, L"DB65535.DBX65535.7"},
    {L"MD65535", 4, 0x83, 0x06, 0, 65535, 0, 1, L"MD65535"},
    {L"C65535", 5, 0x1C, 0x1C, 0, 65535, 0, 1, L"C65535"},
    // The any-pointer form names several elements.
    {L"P#DB1.DBX0.0 BYTE 10", 2, 0x84, 0x02, 1, 0, 0, 10, L"P#DB1.DBX0.0 BYTE 10"},
    {L"P#DB1.DBX 4.0 BYTE 10", 2, 0x84, 0x02, 1, 4, 0, 10, L"P#DB1.DBX4.0 BYTE 10"},
    {L"P#M10.0 WORD 2", 3, 0x83, 0x04, 0, 10, 0, 2, L"P#M10.0 WORD 2"},
    {L"P#E0.0 DWORD 3", 4, 0x81, 0x06, 0, 0, 0, 3, L"P#I0.0 DWORD 3"},
    {L"P#A4.0 BYTE 2", 2, 0x82, 0x02, 0, 4, 0, 2, L"P#Q4.0 BYTE 2"},
    {L"p#m 10.3 bool 4", 1, 0x83, 0x01, 0, 10, 3, 4, L"P#M10.3 BOOL 4"},
    // With one element it is the plain address.
    {L"P#M10.0 BYTE 1", 2, 0x83, 0x02, 0, 10, 0, 1, L"MB10"},
    {L"P#DB2.DBX3.5 BOOL 1", 1, 0x84, 0x01, 2, 3, 5, 1, L"DB2.DBX3.5"},
};

TEST(VariableAddress, AcceptedTextsGiveTheirItemAndCanonicalForm) {
    for (const AddressCase& c : kAccepted) {
        SCOPED_TRACE(testing::Message() << "text " << std::wstring(c.text).c_str());
        const auto parsed = ParsedAddress(c.text);
        ASSERT_TRUE(parsed.has_value());
        EXPECT_EQ(parsed->kind, c.kind);
        EXPECT_EQ(parsed->area, c.area);
        EXPECT_EQ(parsed->transportSize, c.transportSize);
        EXPECT_EQ(parsed->dbNumber, c.dbNumber);
        EXPECT_EQ(parsed->byteOffset, c.byteOffset);
        EXPECT_EQ(parsed->bitOffset, c.bitOffset);
        EXPECT_EQ(parsed->elementCount, c.elementCount);
        EXPECT_EQ(AddressText(*parsed, 64), std::wstring(c.canonical));
    }
}

TEST(VariableAddress, CanonicalTextParsesBackToTheSameDescriptor) {
    for (const AddressCase& c : kAccepted) {
        const auto parsed = ParsedAddress(c.text);
        ASSERT_TRUE(parsed.has_value());
        const auto again = ParsedAddress(c.canonical);
        ASSERT_TRUE(again.has_value()) << std::wstring(c.canonical).c_str();
        EXPECT_EQ(std::memcmp(&*parsed, &*again, sizeof *parsed), 0)
            << std::wstring(c.canonical).c_str();
    }
}

TEST(VariableAddress, RefusedTextsReturnZeroAndLeaveTheDescriptorAlone) {
    const wchar_t* const refused[] = {
        L"",
        L"   ",
        L"M10.8",
        L"M10",
        L"MW",
        L"MW-1",
        L"MW65536",
        L"M10.3.1",
        L"MX10.0",
        L"X0.0",
        L"I0",
        L"IB0.0",
        L"IW",
        L"PI0.0",
        L"PIX0.0",
        L"P0.0",
        L"PW256",
        L"DB0.DBW2",
        L"DB1.DBW",
        L"DB1.DBX2",
        L"DB1.DBX2.8",
        L"DB1DBW2",
        L"DBW2",
        L"DB65536.DBW0",
        L"DB1.DBW2.0",
        L"DB1.DBY2",
        L"DB1.DW2",
        L"T",
        L"T65536",
        L"C-1",
        L"Z",
        L"T5.0",
        L"T5 6",
        L"MW10 x",
        L"M W10",
        L"MWW10",
        L"MW1 0",
        L"L0.0",
        L"LW0",
        L"DIW0",
        L"MW10,",
        L"+MW10",
        L"P#DB1.DBX0.1 BYTE 10",
        L"P#M10.0 BYTE 0",
        L"P#M10.0 BYTE",
        L"P#M10.0 REAL 2",
        L"P#M10.0 BYTE 65536",
        L"P#PIW256 BYTE 2",
        L"P#P256.0 BYTE 2",
        L"P#T5 TIMER 2",
        L"P#M10 BYTE 2",
        L"P#DB1.DBB0 BYTE 2",
        L"P#MW10",
        L"P #M10.0 BYTE 2",
        L"P#M10.0",
        // Only ASCII counts: full-width digits and letters, a no-break space, umlauts.
        L"MW1\xFF10",
        L"\xFF2DW10",
        L"MW10\x00A0",
        L"\x00C4W2",
        L"M\x017F",
        L"\xFFFFMW10",
    };
    for (const wchar_t* text : refused) {
        VariableDescriptor descriptor;
        std::memset(&descriptor, 0xA5, sizeof descriptor);
        VariableDescriptor before = descriptor;
        EXPECT_EQ(cpuLink_ParseVariableW(&descriptor, text), 0) << std::wstring(text).c_str();
        EXPECT_EQ(std::memcmp(&descriptor, &before, sizeof descriptor), 0);
    }
}

TEST(VariableAddress, ParsingKeepsTheValueAddressAndClearsValuePresent) {
    uint32_t word = 0;
    VariableDescriptor descriptor{};
    descriptor.value = &word;
    descriptor.valuePresent = 1;
    ASSERT_NE(cpuLink_ParseVariableW(&descriptor, L"MW10"), 0);
    EXPECT_EQ(descriptor.value, &word);
    EXPECT_EQ(descriptor.valuePresent, 0u);
}

TEST(VariableAddress, NullArgumentsAreRefused) {
    VariableDescriptor descriptor{};
    EXPECT_EQ(cpuLink_ParseVariableW(nullptr, L"MW10"), 0);
    EXPECT_EQ(cpuLink_ParseVariableW(&descriptor, nullptr), 0);
    wchar_t out[20];
    EXPECT_EQ(cpuLink_FormatVariable(out, 20, nullptr), 0);
    EXPECT_EQ(out[0], L'\0');
    descriptor = *ParsedAddress(L"MW10");
    EXPECT_EQ(cpuLink_FormatVariable(nullptr, 20, &descriptor), 0);
}

TEST(VariableAddress, FormatRefusesDescriptorsThatNoAddressGives) {
    const VariableDescriptor word = *ParsedAddress(L"MW10");
    const VariableDescriptor bit = *ParsedAddress(L"DB1.DBX2.3");
    const VariableDescriptor timer = *ParsedAddress(L"T5");
    const VariableDescriptor peripheral = *ParsedAddress(L"PIW256");
    struct Broken {
        const char* what;
        VariableDescriptor descriptor;
    };
    std::vector<Broken> broken;
    auto add = [&](const char* what, VariableDescriptor d, auto change) {
        change(d);
        broken.push_back({what, d});
    };
    add("no kind", word, [](VariableDescriptor& d) { d.kind = 0; });
    add("kind 7", word, [](VariableDescriptor& d) { d.kind = 7; });
    add("kind and size differ", word, [](VariableDescriptor& d) { d.transportSize = 0x02; });
    add("unknown area", word, [](VariableDescriptor& d) { d.area = 0x86; });
    add("bit on a word", word, [](VariableDescriptor& d) { d.bitOffset = 3; });
    add("bit 8", bit, [](VariableDescriptor& d) { d.bitOffset = 8; });
    add("data block 0", bit, [](VariableDescriptor& d) { d.dbNumber = 0; });
    add("DB number outside blocks", word, [](VariableDescriptor& d) { d.dbNumber = 5; });
    add("byte beyond 65535", word, [](VariableDescriptor& d) { d.byteOffset = 65536; });
    add("no elements", word, [](VariableDescriptor& d) { d.elementCount = 0; });
    add("timer in a data block", timer, [](VariableDescriptor& d) { d.area = 0x84; });
    add("several timers", timer, [](VariableDescriptor& d) { d.elementCount = 2; });
    add("peripheral bit", peripheral, [](VariableDescriptor& d) {
        d.kind = 1;
        d.transportSize = 0x01;
    });
    add("peripheral array", peripheral, [](VariableDescriptor& d) { d.elementCount = 2; });
    for (const Broken& b : broken) {
        wchar_t out[64];
        std::fill(std::begin(out), std::end(out), L'x');
        EXPECT_EQ(cpuLink_FormatVariable(out, 64, &b.descriptor), 0) << b.what;
        EXPECT_EQ(out[0], L'\0') << b.what;
    }
}

TEST(VariableAddress, FormatWritesOnlyWholeAddressesWithinTheCapacity) {
    const VariableDescriptor longest = *ParsedAddress(L"DB65535.DBX65535.7");
    EXPECT_EQ(AddressText(longest, CPULINK_ADDRESS_TEXT_CAPACITY),
              std::wstring(L"DB65535.DBX65535.7"));
    for (int capacity = 0; capacity <= 19; ++capacity) {
        wchar_t out[24];
        std::fill(std::begin(out), std::end(out), L'x');
        const int written = cpuLink_FormatVariable(out, capacity, &longest);
        EXPECT_EQ(written != 0, capacity == 19) << capacity;
        if (capacity > 0 && capacity < 19) {
            EXPECT_EQ(out[0], L'\0') << capacity;
        }
        if (capacity == 0) {
            EXPECT_EQ(out[0], L'x');
        }
        for (int i = std::max(capacity, 1); i < 24; ++i) EXPECT_EQ(out[i], L'x') << capacity;
    }
    // An array address does not fit the programs' 20 characters, and is never cut.
    const VariableDescriptor array = *ParsedAddress(L"P#DB1.DBX0.0 BYTE 10");
    EXPECT_EQ(AddressText(array, 20), std::nullopt);
    EXPECT_EQ(AddressText(array, 21), std::wstring(L"P#DB1.DBX0.0 BYTE 10"));
    const VariableDescriptor widest = *ParsedAddress(L"P#DB65535.DBX65535.0 DWORD 65535");
    EXPECT_EQ(AddressText(widest, 33), std::wstring(L"P#DB65535.DBX65535.0 DWORD 65535"));
}

}  // namespace
