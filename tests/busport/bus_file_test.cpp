#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "bus_file.h"
#include "table_file.h"
#include "temp_dir.h"

namespace vexal::busport {
namespace {

TEST(BusFile, AcceptsCommentsBlanksStationsAndGateways) {
    const std::string text =
        "# a bus\n\n   own 3\nhighest 126\n  # indented comment\n"
        "station 2 127.0.0.1:10102\nstation 126\t10.1.2.3:102\r\n"
        "gateway 192.168.0.50\nstation 9 gateway 10.0.0.7:1102\n";
    BusDescription bus;
    std::string error;
    ASSERT_TRUE(ParseBusFile(text, &bus, &error)) << error;
    EXPECT_EQ(bus.ownAddress, 3);
    EXPECT_EQ(bus.highestAddress, 126);
    ASSERT_TRUE(bus.stations[2].present);
    EXPECT_EQ(bus.stations[2].ipv4, 0x0100007Fu);
    EXPECT_EQ(bus.stations[2].port, 10102);
    EXPECT_TRUE(bus.stations[126].present);
    EXPECT_EQ(FormatEndpoint(bus.stations[126].ipv4, bus.stations[126].port), "10.1.2.3:102");
    EXPECT_FALSE(bus.stations[2].viaGateway);
    for (const auto& [address, gateway] :
         {std::pair{3, "192.168.0.50:102"}, {125, "192.168.0.50:102"}, {9, "10.0.0.7:1102"}}) {
        const StationEndpoint route = bus.RouteTo(address);
        EXPECT_TRUE(route.present && route.viaGateway) << address;
        EXPECT_EQ(FormatEndpoint(route.ipv4, route.port), gateway) << address;
    }
    EXPECT_EQ(bus.ProbesAtOnce(), kDefaultGatewayProbes);
    ASSERT_TRUE(ParseBusFile("own 0\nhighest 31\n", &bus, &error)) << error;
    EXPECT_FALSE(bus.RouteTo(3).present) << "no gateway, no line";
}

TEST(BusFile, RefusesEveryMalformedLine) {
    for (const auto& row : testing::LoadTable(__FILE__, "malformed_bus_files.txt")) {
        BusDescription bus;
        std::string error;
        EXPECT_FALSE(ParseBusFile(testing::Narrow(row.at(1)), &bus, &error)) << row[0];
        EXPECT_FALSE(error.empty()) << row[0];
    }
}

TEST(BusFile, PublishingCreatesTheFileAndReplacesAStationsLine) {
    testing::TempDir dir;
    const std::string path = dir.File("bus");
    std::string error;
    ASSERT_TRUE(PublishStation(path, 4, 0x0100007F, 2000, &error)) << error;
    ASSERT_TRUE(PublishStation(path, 9, 0x0100007F, 2001, &error)) << error;
    ASSERT_TRUE(PublishStation(path, 4, 0x0100007F, 3000, &error)) << error;
    std::string text;
    ASSERT_TRUE(ReadBusFile(path, &text));
    BusDescription bus;
    ASSERT_TRUE(ParseBusFile(text, &bus, &error)) << error << "\n" << text;
    EXPECT_EQ(bus.ownAddress, 0);
    EXPECT_EQ(bus.highestAddress, 31);
    EXPECT_EQ(bus.stations[4].port, 3000);
    EXPECT_EQ(bus.stations[9].port, 2001);
    EXPECT_FALSE(PublishStation(path, 127, 0x0100007F, 1, &error));
}

TEST(BusFile, StationsPublishedAtOnceAllArrive) {
    testing::TempDir dir;
    const std::string path = dir.File("bus");
    std::vector<std::thread> publishers;
    for (int address = 1; address <= 12; ++address) {
        publishers.emplace_back([&path, address] {
            std::string error;
            EXPECT_TRUE(PublishStation(path, address, 0x0100007F,
                                       static_cast<uint16_t>(4000 + address), &error));
        });
    }
    for (auto& publisher : publishers) publisher.join();
    std::string text;
    std::string error;
    BusDescription bus;
    ASSERT_TRUE(ReadBusFile(path, &text));
    ASSERT_TRUE(ParseBusFile(text, &bus, &error)) << error;
    for (int address = 1; address <= 12; ++address) {
        EXPECT_EQ(bus.stations[address].port, 4000 + address) << address;
    }
}

TEST(BusFile, AFileThatCannotBeReadIsNotOverwritten) {
    testing::TempDir dir;
    std::string error;
    EXPECT_FALSE(PublishStation(dir.Path().string(), 4, 0x0100007F, 2000, &error));
    std::string text;
    EXPECT_FALSE(ReadBusFile(dir.File("absent"), &text));
    testing::WriteBytes(dir.File("huge"), std::vector<uint8_t>(kMaxBusFileSize + 1, '#'));
    EXPECT_FALSE(ReadBusFile(dir.File("huge"), &text));
}

}  // namespace
}  // namespace vexal::busport
