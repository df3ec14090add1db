#include <gtest/gtest.h>

#include "sim_options.h"
#include "table_file.h"

namespace vexal::sim {
namespace {

bool Parse(std::vector<const char*> args, SimOptions* options) {
    std::string error;
    return ParseSimOptions(static_cast<int>(args.size()), args.data(), options, &error);
}

TEST(SimOptions, DefaultsToOneListenerOnPort102) {
    SimOptions options;
    ASSERT_TRUE(Parse({}, &options));
    ASSERT_EQ(options.listen.size(), 1u);
    EXPECT_EQ(options.listen[0].host, "127.0.0.1");
    EXPECT_EQ(options.listen[0].port, 102);
}

TEST(SimOptions, ReadsEveryOption) {
    SimOptions options;
    ASSERT_TRUE(Parse({"--listen",     "127.0.0.1:0", "--listen",     "0.0.0.0:1102",
                       "--program",    "p.wld",       "--password",   "ABC",
                       "--mode",       "stop",        "--keyswitch",  "run",
                       "--pdu",        "480",         "--drop-after", "3",
                       "--delay-ms",   "250",         "--refuse-ssl", "0x1B",
                       "--refuse-ssl", "0x0132",      "--protect",    "fC010",
                       "--protect",    "sdb1000",     "--dump",       "out.json"},
                      &options));
    EXPECT_EQ(options.listen.size(), 2u);
    EXPECT_EQ(options.listen[1].port, 1102);
    EXPECT_EQ(options.programFile, "p.wld");
    EXPECT_EQ(options.password, "ABC");
    EXPECT_EQ(options.mode, OperatingMode::kStop);
    EXPECT_EQ(options.keyswitch, Keyswitch::kRun);
    EXPECT_EQ(options.maxPdu, 480);
    EXPECT_EQ(options.dropAfter, 3u);
    EXPECT_EQ(options.delayMs, 250u);
    EXPECT_EQ(options.refusedLists, (std::set<uint16_t>{0x001B, 0x0132}));
    EXPECT_EQ(options.protectedBlocks, (std::set<BlockRef>{BlockRef_Pack(BLOCK_TYPE_FC, 10),
                                                           BlockRef_Pack(BLOCK_TYPE_SDB, 1000)}));
    EXPECT_EQ(options.dumpFile, "out.json");
}

TEST(SimOptions, AcceptsOrRefusesEachCommandLineOfTheTable) {
    for (const auto& row : testing::LoadTable(__FILE__, "sim_command_lines.txt")) {
        std::vector<std::string> words;
        for (size_t i = 1; i < row.size(); ++i) words.push_back(testing::Narrow(row[i]));
        std::vector<const char*> args;
        for (const std::string& word : words) args.push_back(word.c_str());
        SimOptions options;
        EXPECT_EQ(Parse(args, &options), row[0] == L"accept") << testing::Narrow(row.back());
    }
}

}  // namespace
}  // namespace vexal::sim
