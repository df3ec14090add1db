#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

#include "local_calls.h"

namespace {

using vexal::testing::ParsedAddress;

std::wstring Canonical(const VariableDescriptor& descriptor) {
    wchar_t out[64];
    return cpuLink_FormatVariable(out, 64, &descriptor) != 0 ? out : L"(refused)";
}

bool SameDescriptor(const VariableDescriptor& a, const VariableDescriptor& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

struct AddressCase {
    const wchar_t* text;
    uint8_t kind, area, transportSize;
    uint16_t dbNumber;
    uint32_t byteOffset;
    uint8_t bitOffset;
    uint16_t elementCount;
    const wchar_t* canonical;
};

const AddressCase kAccepted[] = {
    // English and German mnemonics of every area and size.
    {L"E0.1", 1, 0x81, 0x01, 0, 0, 1, 1, L"I0.1"},
    {L"A4.0", 1, 0x82, 0x01, 0, 4, 0, 1, L"Q4.0"},
    {L"EB0", 2, 0x81, 0x02, 0, 0, 0, 1, L"IB0"},
    {L"MB1", 2, 0x83, 0x02, 0, 1, 0, 1, L"MB1"},
    {L"AW2", 3, 0x82, 0x04, 0, 2, 0, 1, L"QW2"},
    {L"ED4", 4, 0x81, 0x06, 0, 4, 0, 1, L"ID4"},
    {L"PEB256", 2, 0x80, 0x02, 0, 256, 0, 1, L"PIB256"},
    {L"PEW256", 3, 0x80, 0x04, 0, 256, 0, 1, L"PIW256"},
    {L"PQW256", 3, 0x80, 0x04, 0, 256, 0, 1, L"PIW256"},
    {L"PAW256", 3, 0x80, 0x04, 0, 256, 0, 1, L"PIW256"},
    {L"PID260", 4, 0x80, 0x06, 0, 260, 0, 1, L"PID260"},
    {L"DB1.DBB3", 2, 0x84, 0x02, 1, 3, 0, 1, L"DB1.DBB3"},
    {L"DB1.DBW2", 3, 0x84, 0x04, 1, 2, 0, 1, L"DB1.DBW2"},
    {L"T5", 6, 0x1D, 0x1D, 0, 5, 0, 1, L"T5"},
    // Any case, blanks around the text and between its parts, leading zeros.
    {L"mw10", 3, 0x83, 0x04, 0, 10, 0, 1, L"MW10"},
    {L"  MW010 \t", 3, 0x83, 0x04, 0, 10, 0, 1, L"MW10"},
    {L"M 10.3", 1, 0x83, 0x01, 0, 10, 3, 1, L"M10.3"},
    {L"M10 . 3", 1, 0x83, 0x01, 0, 10, 3, 1, L"M10.3"},
    {L"DB 10.DBD 4", 4, 0x84, 0x06, 10, 4, 0, 1, L"DB10.DBD4"},
    {L"db1.dbx2.3", 1, 0x84, 0x01, 1, 2, 3, 1, L"DB1.DBX2.3"},
    {L"z 3", 5, 0x1C, 0x1C, 0, 3, 0, 1, L"C3"},
    // Limits.
    {L"DB65535.DBX65535.7", 1, 0x84, 0x01, 65535, 65535, 7, 1, L"DB65535.DBX65535.7"},
    {L"MD65535", 4, 0x83, 0x06, 0, 65535, 0, 1, L"MD65535"},
    {L"C65535", 5, 0x1C, 0x1C, 0, 65535, 0, 1, L"C65535"},
    // The any-pointer form names several elements; with one it is the plain address.
    {L"P#DB1.DBX0.0 BYTE 10", 2, 0x84, 0x02, 1, 0, 0, 10, L"P#DB1.DBX0.0 BYTE 10"},
    {L"P#DB1.DBX 4.0 BYTE 10", 2, 0x84, 0x02, 1, 4, 0, 10, L"P#DB1.DBX4.0 BYTE 10"},
    {L"P#M10.0 WORD 2", 3, 0x83, 0x04, 0, 10, 0, 2, L"P#M10.0 WORD 2"},
    {L"P#E0.0 DWORD 3", 4, 0x81, 0x06, 0, 0, 0, 3, L"P#I0.0 DWORD 3"},
    {L"p#m 10.3 bool 4", 1, 0x83, 0x01, 0, 10, 3, 4, L"P#M10.3 BOOL 4"},
    {L"P#M10.0 BYTE 1", 2, 0x83, 0x02, 0, 10, 0, 1, L"MB10"},
    {L"P#DB2.DBX3.5 BOOL 1", 1, 0x84, 0x01, 2, 3, 5, 1, L"DB2.DBX3.5"},
};

// Each text gives its item and its canonical form, which parses back to the same item.
TEST(VariableAddress, AcceptedTextsGiveTheirItemAndCanonicalForm) {
    for (const AddressCase& c : kAccepted) {
        const auto parsed = ParsedAddress(c.text);
        ASSERT_TRUE(parsed.has_value()) << c.text;
        const auto& d = *parsed;
        EXPECT_EQ(std::tie(d.kind, d.area, d.transportSize, d.dbNumber, d.byteOffset, d.bitOffset,
                           d.elementCount),
                  std::tie(c.kind, c.area, c.transportSize, c.dbNumber, c.byteOffset, c.bitOffset,
                           c.elementCount))
            << c.text;
        EXPECT_EQ(Canonical(d), c.canonical);
        const auto again = ParsedAddress(c.canonical);
        EXPECT_TRUE(again.has_value() && SameDescriptor(d, *again)) << c.text;
    }
}

TEST(VariableAddress, RefusedTextsReturnZeroAndLeaveTheDescriptorAlone) {
    const wchar_t* const refused[] = {
        L"", L"   ", L"M10.8", L"M10", L"MW", L"MW-1", L"MW65536", L"M10.3.1", L"MX10.0", L"X0.0",
        L"I0", L"IB0.0", L"PI0.0", L"PIX0.0", L"P0.0", L"PW256", L"DB0.DBW2", L"DB1.DBW",
        L"DB1.DBX2", L"DB1.DBX2.8", L"DB1DBW2", L"DBW2", L"DB65536.DBW0", L"DB1.DBW2.0",
        L"DB1.DBY2", L"DB1.DW2", L"T", L"T65536", L"Z", L"T5.0", L"T5 6", L"MW10 x", L"M W10",
        L"MWW10", L"MW1 0", L"MW10,", L"+MW10", L"L0.0", L"DIW0", L"P#DB1.DBX0.1 BYTE 10",
        L"P#M10.0 BYTE 0", L"P#M10.0 BYTE", L"P#M10.0 REAL 2", L"P#M10.0 BYTE 65536",
        L"P#PIW256 BYTE 2", L"P#P256.0 BYTE 2", L"P#T5 TIMER 2", L"P#M10 BYTE 2",
        L"P#DB1.DBB0 BYTE 2", L"P#MW10", L"P #M10.0 BYTE 2", L"P#M10.0",
        // Only ASCII counts: full-width digits and letters, a no-break space, umlauts.
        L"MW1\xFF10", L"\xFF2DW10", L"MW10\x00A0", L"\x00C4W2", L"M\x017F", L"\xFFFFMW10"};
    for (const wchar_t* text : refused) {
        VariableDescriptor descriptor, before;
        std::memset(&descriptor, 0xA5, sizeof descriptor);
        before = descriptor;
        EXPECT_EQ(cpuLink_ParseVariableW(&descriptor, text), 0) << text;
        EXPECT_TRUE(SameDescriptor(descriptor, before)) << text;
    }
}

TEST(VariableAddress, FormatRefusesDescriptorsThatNoAddressGives) {
    using Change = void (*)(VariableDescriptor&);
    const struct {
        const char* what;
        const wchar_t* address;
        Change change;
    } broken[] = {
        {"no kind", L"MW10", [](VariableDescriptor& d) { d.kind = 0; }},
        {"kind 7", L"MW10", [](VariableDescriptor& d) { d.kind = 7; }},
        {"kind and size differ", L"MW10", [](VariableDescriptor& d) { d.transportSize = 2; }},
        {"unknown area", L"MW10", [](VariableDescriptor& d) { d.area = 0x86; }},
        {"bit on a word", L"MW10", [](VariableDescriptor& d) { d.bitOffset = 3; }},
        {"bit 8", L"DB1.DBX2.3", [](VariableDescriptor& d) { d.bitOffset = 8; }},
        {"data block 0", L"DB1.DBX2.3", [](VariableDescriptor& d) { d.dbNumber = 0; }},
        {"DB number outside blocks", L"MW10", [](VariableDescriptor& d) { d.dbNumber = 5; }},
        {"byte beyond 65535", L"MW10", [](VariableDescriptor& d) { d.byteOffset = 65536; }},
        {"no elements", L"MW10", [](VariableDescriptor& d) { d.elementCount = 0; }},
        {"timer in a data block", L"T5", [](VariableDescriptor& d) { d.area = 0x84; }},
        {"several timers", L"T5", [](VariableDescriptor& d) { d.elementCount = 2; }},
        {"peripheral bit", L"PIW256", [](VariableDescriptor& d) { d.kind = d.transportSize = 1; }},
        {"peripheral array", L"PIW256", [](VariableDescriptor& d) { d.elementCount = 2; }},
    };
    for (const auto& b : broken) {
        VariableDescriptor descriptor = *ParsedAddress(b.address);
        b.change(descriptor);
        wchar_t out[64];
        std::fill(std::begin(out), std::end(out), L'x');
        EXPECT_EQ(cpuLink_FormatVariable(out, 64, &descriptor), 0) << b.what;
        EXPECT_EQ(out[0], L'\0') << b.what;
    }
}

}  // namespace
