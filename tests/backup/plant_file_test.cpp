#include <gtest/gtest.h>

#include "plant_file.h"
#include "table_file.h"

namespace vexal::backup {
namespace {

using vexal::testing::LoadTable;
using vexal::testing::Narrow;

bool ReadTestPassword(const std::string& path, std::string* password) {
    *password = path == "long.pw" ? "123456789" : "secret";
    return path != "missing.pw";
}

TEST(PlantFile, EveryMalformedLineIsReportedWithItsNumber) {
    std::string text;
    std::vector<std::string> expected;
    for (const auto& row : LoadTable(__FILE__, "plant_lines.txt")) {
        text += Narrow(row[0]) + "\n";
        expected.push_back(Narrow(row[1]));
    }
    std::vector<Station> stations;
    const std::vector<PlantError> errors = ParsePlant(text, ReadTestPassword, &stations);
    std::vector<std::string> got(expected.size());
    for (const PlantError& error : errors) got[error.line - 1] = error.message;
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(got[i], expected[i]) << "line " << i + 1;
    ASSERT_EQ(stations.size(), 3u);
    EXPECT_EQ(stations[1].slot, 3);
    EXPECT_EQ(stations[2].password, "secret");
    EXPECT_EQ(ControllerKey(stations[2]), "mpi 126");
}

}  // namespace
}  // namespace vexal::backup
