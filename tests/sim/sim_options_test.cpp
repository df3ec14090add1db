#include <gtest/gtest.h>

#include "sim_options.h"

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

TEST(SimOptions, RefusesBadOptionsAndValues) {
    const std::vector<std::vector<const char*>> bad = {
        {"--listen"},          {"--listen", "localhost"}, {"--listen", "1.2.3.4:70000"},
        {"--mode", "halt"},    {"--keyswitch", "RUN"},    {"--pdu", "100"},
        {"--pdu", "961"},      {"--drop-after", "0"},     {"--delay-ms", "-1"},
        {"--refuse-ssl", "x"}, {"--protect", "SFC1"},     {"--protect", "FB70000"},
        {"--protect", "DB"},   {"--protect", "FC0x1F"},   {"--password", "NINECHARS"},
        {"--password", ""},    {"--verbose", "1"},        {"extra"},
    };
    for (const auto& args : bad) {
        SimOptions options;
        EXPECT_FALSE(Parse(args, &options)) << args[0] << " " << (args.size() > 1 ? args[1] : "");
    }
}

}  // namespace
}  // namespace vexal::sim
