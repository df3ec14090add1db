// Whole command lines against vexal-plcsim, over TCP on 127.0.0.1 and over an MPI bus
// file: each command, warnings, the end of the sequence at the first non-zero result,
// a refused password, a connection dropped mid-upload, variable writes and downloads.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "block_images.h"
#include "cpulink.h"
#include "demo_project.h"
#include "run_line.h"
#include "scripted_upload.h"
#include "sha256.h"
#include "sim_process.h"
#include "table_file.h"
#include "temp_dir.h"

namespace vexal::cmd {
namespace {

using vexal::testing::LoadTable;
using vexal::testing::Narrow;
using vexal::testing::ReadBytes;
using vexal::testing::WriteBytes;
using Bytes = std::vector<uint8_t>;

// Small images of the named blocks ("OB1 FC2"), one after another as a project file holds
// them; every block travels in one upload request. The controller's program has seed 1.
Bytes Blocks(const std::string& names, uint32_t seed = 1) {
    std::istringstream words(names);
    Bytes bytes;
    for (std::string name; words >> name;) {
        const int code = static_cast<int>(std::string("OBFBFCDB").find(name.substr(0, 2)) / 2);
        const auto number = static_cast<uint16_t>(std::stoi(name.substr(2)));
        vexal::testing::Append(bytes, MakeDemoBlock(code, number, 40 + number * 4, seed));
    }
    return bytes;
}

enum class Link { kTcp, kMpi };

class SessionTest : public ::testing::TestWithParam<Link> {
protected:
    void SetUp() override {
        unsetenv("VEXAL_MPI_BUS");
        WriteBytes(dir.File("program.wld"), Blocks("OB1 FB1 FC1 FC2 FC3 FC4 FC5 DB1 DB2"));
    }

    // Starts the simulator and points the link at it: over MPI it is station 2.
    void Start(std::vector<std::string> options = {}) {
        options.insert(options.end(),
                       {"--program", dir.File("program.wld"), "--dump", dir.File("dump.json")});
        options.insert(options.begin(), {"--listen", "127.0.0.1:0"});
        ASSERT_TRUE(simulator.Start(options));
        const std::string port = std::to_string(simulator.ListeningPort());
        ASSERT_NE(port, "0");
        setenv("VEXAL_S7_PORT", port.c_str(), 1);
        if (GetParam() == Link::kTcp) return;
        const std::string bus = "own 0\nhighest 31\nstation 2 127.0.0.1:" + port + "\n";
        WriteBytes(dir.File("bus"), Bytes(bus.begin(), bus.end()));
        setenv("VEXAL_MPI_BUS", dir.File("bus").c_str(), 1);
    }

    int Run(const std::string& line) {
        const std::string target = GetParam() == Link::kTcp ? "/ip 127.0.0.1 " : "/MPI2 ";
        return testing::RunLine(target + line, dir.Path().string());
    }

    // Stops the simulator and returns its dump.
    std::string Dump() {
        EXPECT_EQ(simulator.Stop(), 0);
        const Bytes bytes = ReadBytes(dir.File("dump.json"));
        return std::string(bytes.begin(), bytes.end());
    }

    static std::string Field(const std::string& dump, const std::string& name) {
        const std::string key = "\"" + name + "\": \"";
        const size_t at = dump.find(key);
        if (at == std::string::npos) return "";
        return dump.substr(at + key.size(), dump.find('"', at + key.size()) - at - key.size());
    }

    // The dump's line of the block ("FC2"), or "" when the controller does not hold it.
    static std::string BlockLine(const std::string& dump, const std::string& name) {
        const size_t at = dump.find("{\"type\": \"" + name.substr(0, 2) +
                                    "\", \"number\": " + name.substr(2) + ",");
        return at == std::string::npos ? "" : dump.substr(at, dump.find('}', at) - at);
    }

    static bool Holds(const std::string& line, const Bytes& image) {
        return line.find(sim::Sha256Hex(image.data(), image.size())) != std::string::npos;
    }

    vexal::testing::TempDir dir;
    const std::string up = dir.File("up.wld");
    vexal::testing::SimProcess simulator;
};

TEST_P(SessionTest, ControlCommandsChangeTheModeAndRepeatsWarnWithOne) {
    Start();
    for (const auto& row : LoadTable(__FILE__, "control_lines.txt"))
        EXPECT_EQ(Run(Narrow(row[1])), std::stoi(Narrow(row[0]))) << Narrow(row[1]);
    const std::string dump = Dump();
    EXPECT_EQ(Field(dump, "mode"), "STOP");
    EXPECT_EQ(BlockLine(dump, "OB1") + BlockLine(dump, "DB1"), "");
}

TEST_P(SessionTest, UploadWritesListedBlocksOnceInStoreOrderAndMissingOnesWarnWithTwo) {
    Start();
    EXPECT_EQ(Run("/Upload DB*, fc2 - 4,OB1,DB1 /upload DB1-1 /fileupload \"{dir}/up.wld\""), 0);
    EXPECT_EQ(ReadBytes(up), Blocks("OB1 FC2 FC3 FC4 DB1 DB2"));
    // Any warning ends the sequence.
    const std::string file = " /fileupload \"{dir}/up.wld\"";
    EXPECT_EQ(Run("/upload SDB*" + file), 2);
    EXPECT_EQ(Run("/upload FC100-200 /upload OB1" + file), 2);
    EXPECT_TRUE(ReadBytes(up).empty());
    EXPECT_EQ(Run("/upload OB1,SDB*,FB1" + file), 2);
    EXPECT_EQ(ReadBytes(up), Blocks("OB1 FB1"));
    EXPECT_EQ(Run("/upload" + file), 0);
    EXPECT_TRUE(ReadBytes(up).empty());
    EXPECT_EQ(Run("/compress /upload OB1" + file), 1);
    EXPECT_TRUE(ReadBytes(up).empty());
}

TEST_P(SessionTest, RefusedPasswordRunsNoCommandAndEmptiesTheUploadFile) {
    Start({"--password", "secret"});
    // Without a login the upload is refused and finds nothing: warnings 1 and 2 together.
    EXPECT_EQ(Run("/upload OB1 /fileupload \"{dir}/up.wld\""), 3);
    EXPECT_TRUE(ReadBytes(up).empty());
    WriteBytes(up, Blocks("OB1"));
    EXPECT_EQ(Run("/pass wrong /upload OB1 /fileupload \"{dir}/up.wld\""), -10);
    EXPECT_TRUE(ReadBytes(up).empty());
    EXPECT_EQ(Run("/pass wrong /stop"), -10);
    EXPECT_EQ(Run("/pass /stop"), -10) << "an empty password is sent and refused";
    // The refused logins left nothing behind that blocks the right one.
    EXPECT_EQ(Run("/pass \"secret\" /upload OB1 /fileupload \"{dir}/up.wld\""), 0);
    EXPECT_EQ(ReadBytes(up), Blocks("OB1"));
    EXPECT_EQ(Field(Dump(), "mode"), "RUN");
}

// The connection drops when the n-th request arrives, for every n up to past the last
// block: the upload file then holds the blocks that arrived whole before, and no other.
TEST_P(SessionTest, DroppedConnectionKeepsExactlyTheBlocksThatArrivedWhole) {
    std::vector<Bytes> files = {{}};  // the file after 0, 1, ... 6 whole blocks
    std::string names;
    for (const char* name : {"FB1", "FC1", "FC2", "FC3", "FC4", "FC5"}) {
        files.push_back(Blocks(names += std::string(" ") + name));
    }
    std::set<size_t> partialCounts;
    for (int n = 1; n <= 22; ++n) {
        Start({"--drop-after", std::to_string(n)});
        const int code = Run("/upload FB1,FC* /fileupload \"{dir}/up.wld\"");
        simulator.Stop();
        const size_t whole = std::find(files.begin(), files.end(), ReadBytes(up)) - files.begin();
        ASSERT_LT(whole, files.size()) << "drop at " << n << ": not whole blocks in order";
        if (code == 0) {
            EXPECT_EQ(whole, 6u) << "drop at " << n;
            continue;
        }
        EXPECT_TRUE(code == -6 || code == -271 || code == -272) << code << " drop at " << n;
        EXPECT_LT(whole, 6u) << "drop at " << n;
        if (code == -272) partialCounts.insert(whole);
    }
    // The drop hit the first block, the blocks in between and the last one.
    EXPECT_TRUE(partialCounts.count(0) && partialCounts.count(1) && partialCounts.count(5));
}

// Every command's failure code, caused by the connection dropping at its request.
TEST_P(SessionTest, EachCommandReportsAFailedRequestWithItsOwnCode) {
    WriteBytes(dir.File("down.wld"), Blocks("DB1"));
    for (const auto& row : LoadTable(__FILE__, "failed_requests.txt")) {
        const std::string line = Narrow(row[1]);
        const int failure = std::stoi(Narrow(row[0]));
        std::set<int> codes;
        for (int n = 1; n <= 3; ++n) {
            Start({"--mode", "stop", "--drop-after", std::to_string(n)});
            codes.insert(Run(line));
            simulator.Stop();
        }
        EXPECT_TRUE(codes.count(failure)) << line;
        for (int code : codes) {
            EXPECT_TRUE(code == failure || code == -6 || code == -272 || code >= 0)
                << line << " gave " << code;
        }
    }
}

// Variables are written as the controller reads them; a download loads the file's blocks
// in the range and warns for the rest.
TEST_P(SessionTest, VariableWritesAndDownloadsReachTheController) {
    WriteBytes(dir.File("down.wld"), Blocks("DB12 FC2 DB3 FC3", 7));
    Start({"--protect", "FC2"});
    EXPECT_EQ(Run("/var MW0=0x1234,MB2=255,M3.1=1,MD4=0xFFFFFFFF"), 0);
    EXPECT_EQ(Run("/var MD8=-2147483648, MW12=0b101 ,MB14=09,MB15=+5,MW16,MD22=-1"), 0);
    EXPECT_EQ(Run("/var MW18=0X1f,DB99.DBW0=1,MW20=0x7"), 1);
    EXPECT_EQ(Run("/filedownload\"{dir}/down.wld\"/download DB1-10"), 0);
    EXPECT_EQ(Run("/download FC* /filedownload \"{dir}/down.wld\""), 1);  // FC2 is protected
    EXPECT_EQ(Run("/download FC2,FB* /filedownload \"{dir}/down.wld\""), 3);
    EXPECT_EQ(Run("/download FB* /download DB* /filedownload \"{dir}/down.wld\""), 2);
    const std::string dump = Dump();
    EXPECT_TRUE(Holds(BlockLine(dump, "DB3"), Blocks("DB3", 7)));
    EXPECT_EQ(BlockLine(dump, "DB12"), "");  // the sequence ended at the FB warning
    EXPECT_TRUE(Holds(BlockLine(dump, "FC2"), Blocks("FC2")));
    EXPECT_TRUE(Holds(BlockLine(dump, "FC3"), Blocks("FC3", 7)));
    const std::string flags = Field(dump, "flags");
    const std::string expected = std::string("1234") + "ff" + "02" + "ffffffff" + "80000000" +
                                 "0005" + "09" + "05" + "0000" + "001f" + "0007" + "ffffffff";
    EXPECT_EQ(flags.substr(0, expected.size()), expected);
}

// A peer that uploads another block for OB1 fails the upload step; nothing is stored. (Each
// way an upload can go wrong is a library test: LinkGolden.AnUploadThatIsNot...)
TEST(MisbehavingPeerSession, AWrongUploadFailsTheStepAndStoresNothing) {
    const Bytes fb7 = vexal::testing::MakeBlockImage(BLOCK_TYPE_FB, 7, 300);
    vexal::testing::TempDir dir;
    unsetenv("VEXAL_MPI_BUS");
    vexal::testing::ScriptedPeer peer(vexal::testing::ListAndUploadSession(1, fb7, 300, false));
    setenv("VEXAL_S7_PORT", std::to_string(peer.Port()).c_str(), 1);
    WriteBytes(dir.File("up.wld"), Blocks("FC1"));
    EXPECT_EQ(testing::RunLine("/ip 127.0.0.1 /upload OB1 /fileupload \"{dir}/up.wld\"",
                               dir.Path().string()),
              -272);
    EXPECT_TRUE(ReadBytes(dir.File("up.wld")).empty());
}

std::string LinkName(const ::testing::TestParamInfo<Link>& link) {
    return link.param == Link::kTcp ? "Tcp" : "Mpi";
}

INSTANTIATE_TEST_SUITE_P(OverTcpAndMpi, SessionTest, ::testing::Values(Link::kTcp, Link::kMpi),
                         LinkName);

}  // namespace
}  // namespace vexal::cmd
