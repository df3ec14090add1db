#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "local_calls.h"

namespace {

using vexal::testing::Hex;
using vexal::testing::KindOf;
using vexal::testing::LoadTable;
using vexal::testing::ParsedAddress;

uint32_t Decimal(const std::wstring& field) {
    return std::stoul(field);
}

std::wstring Canonical(const VariableDescriptor& descriptor) {
    wchar_t out[64];
    return cpuLink_FormatVariable(out, 64, &descriptor) != 0 ? out : L"(refused)";
}

bool SameDescriptor(const VariableDescriptor& a, const VariableDescriptor& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Each accepted text of addresses.txt gives its item and its canonical form, which parses
// back to the same item; each refused one returns 0 and leaves the descriptor alone.
TEST(VariableAddress, TextsAreAcceptedAndRefusedAsTheTableSays) {
    for (const auto& row : LoadTable(__FILE__, "addresses.txt")) {
        const std::wstring& text = row.at(1);
        if (row[0] == L"refuse") {
            VariableDescriptor descriptor, before;
            std::memset(&descriptor, 0xA5, sizeof descriptor);
            before = descriptor;
            EXPECT_EQ(cpuLink_ParseVariableW(&descriptor, text.c_str()), 0) << text;
            EXPECT_TRUE(SameDescriptor(descriptor, before)) << text;
            continue;
        }
        const auto parsed = ParsedAddress(text);
        ASSERT_TRUE(parsed.has_value()) << text;
        const auto& d = *parsed;
        EXPECT_EQ((std::vector<uint32_t>{d.kind, d.area, d.transportSize, d.dbNumber, d.byteOffset,
                                         d.bitOffset, d.elementCount}),
                  (std::vector<uint32_t>{KindOf(row.at(2)), Hex(row.at(3)), Hex(row.at(4)),
                                         Decimal(row.at(5)), Decimal(row.at(6)), Decimal(row.at(7)),
                                         Decimal(row.at(8))}))
            << text;
        EXPECT_EQ(Canonical(d), row.at(9));
        const auto again = ParsedAddress(row[9]);
        EXPECT_TRUE(again.has_value() && SameDescriptor(d, *again)) << text;
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
