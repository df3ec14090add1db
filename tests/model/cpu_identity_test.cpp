// The identity decoders over a real CPU's answers and over answers cut short.
#include <gtest/gtest.h>

#include "cpu_identity.h"
#include "table_file.h"

namespace vexal {
namespace {

std::vector<uint8_t> Records(const std::wstring& hex) {
    std::vector<uint8_t> bytes;
    for (size_t at = 0; at + 1 < hex.size(); at += 2)
        bytes.push_back(testing::Hex(hex.substr(at, 2)));
    return bytes;
}

std::string Optional(const std::optional<int>& value) {
    return value ? std::to_string(*value) : "-";
}

std::string Shown(const CpuIdentity& i) {
    std::string text;
    for (const std::string* field :
         {&i.moduleType, &i.moduleName, &i.orderNumber, &i.firmwareVersion, &i.hardwareVersion,
          &i.serialNumber, &i.stationName, &i.plantDesignation, &i.location})
        text += *field + ";";
    const auto cycle = [&i](int CycleTimes::*field) {
        return Optional(i.cycleTimes ? std::optional<int>((*i.cycleTimes).*field) : std::nullopt);
    };
    return text + Optional(i.protectionLevel) + ";" + Optional(i.modeSelector) + ";" +
           cycle(&CycleTimes::lastMs) + ";" + cycle(&CycleTimes::shortestMs) + ";" +
           cycle(&CycleTimes::longestMs);
}

TEST(CpuIdentity, DecodesTheListsAsARealCpuAnswersThem) {
    CpuIdentity identity;
    for (const testing::TableRow& row : testing::LoadTable(__FILE__, "cpu_identity_lists.txt")) {
        if (row[0] == L"=") {
            EXPECT_EQ(Shown(identity), testing::Narrow(row[1]));
            identity = {};
            continue;
        }
        const std::vector<uint8_t> records = Records(row[4]);
        const StatusAnswer answer{records, static_cast<uint16_t>(std::stoi(row[2])),
                                  static_cast<uint16_t>(std::stoi(row[3]))};
        const uint32_t list = testing::Hex(row[0]);
        if (list == 0x0011) DecodeModuleIdentification(answer, &identity);
        if (list == 0x001C) DecodeComponentIdentification(answer, &identity);
        if (list == 0x0132) identity.protectionLevel = DecodeProtectionLevel(answer);
        if (list == 0x0132) identity.modeSelector = DecodeModeSelector(answer);
        if (list == 0x0222) identity.cycleTimes = DecodeCycleTimes(answer);
    }
}

}  // namespace
}  // namespace vexal
