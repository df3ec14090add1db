// vexal-plcsim as a program: its command line, its ready line, its orderly end and dump.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "block_images.h"
#include "sha256.h"
#include "sim_process.h"
#include "temp_dir.h"
#include "vexal_types.h"

namespace vexal::testing {
namespace {

TEST(SimProgram, BadOptionsPrintTheUsageAndExitWithTwo) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--pdu", "5"}, std::vector<std::string>{"--nonsense"}}) {
        SimProcess program;
        ASSERT_TRUE(program.Start(args));
        std::string output;
        for (std::string line; !(line = program.Line()).empty();) output += line;
        EXPECT_NE(output.find("usage: vexal-plcsim"), std::string::npos) << output;
        EXPECT_EQ(program.Stop(0), 2);
    }
}

TEST(SimProgram, AnUnreadableProgramFileEndsWithOne) {
    TempDir dir;
    SimProcess program;
    ASSERT_TRUE(program.Start({"--listen", "127.0.0.1:0", "--program", dir.File("missing.wld")}));
    EXPECT_EQ(program.Stop(0), 1);
}

TEST(SimProgram, ReportsEachListenerAndDumpsItsStateOnSigterm) {
    TempDir dir;
    const std::vector<uint8_t> fc7 = MakeBlockImage(BLOCK_TYPE_FC, 7, 120);
    std::vector<uint8_t> project = fc7;
    Append(project, MakeBlockImage(BLOCK_TYPE_DB, 3, 60, 9));
    WriteBytes(dir.File("p.wld"), project);
    SimProcess program;
    ASSERT_TRUE(program.Start({"--listen", "127.0.0.1:0", "--listen", "127.0.0.1:0", "--program",
                               dir.File("p.wld"), "--mode", "stop", "--dump", dir.File("d.json")}));
    EXPECT_GT(program.ListeningPort(), 0);
    EXPECT_GT(program.ListeningPort(), 0);
    EXPECT_EQ(program.Stop(), 0);
    const auto dump = ReadBytes(dir.File("d.json"));
    const std::string json(dump.begin(), dump.end());
    const std::string expectations[] = {
        "\"mode\": \"STOP\"",
        "\"keyswitch\": \"RUN-P\"",
        "\"type\": \"FC\", \"number\": 7, \"length\": 120, \"sha256\": \"" +
            sim::Sha256Hex(fc7.data(), fc7.size()) + "\"",
        "\"type\": \"DB\", \"number\": 3, \"length\": 60",
        "\"flags\": \"0000",
        "\"clockOffsetMs\": 0",
        "\"event\": \"0x4304\""};
    for (const std::string& expected : expectations) {
        EXPECT_NE(json.find(expected), std::string::npos) << expected << "\n" << json;
    }
}

}  // namespace
}  // namespace vexal::testing
