// Whole command lines against vexal-plcsim over TCP on 127.0.0.1 and over an MPI bus
// file: each command, warnings, the end of the sequence at the first non-zero result,
// a refused password, a connection dropped mid-upload, downloads and variable writes.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "block_store.h"
#include "cpulink.h"
#include "demo_project.h"
#include "plc_simulator.h"
#include "project_file.h"
#include "run_line.h"
#include "sha256.h"
#include "temp_dir.h"

namespace vexal::cmd {
namespace {

using namespace vexal::cmd::testing;
using vexal::testing::ReadBytes;
using vexal::testing::TempDir;
using vexal::testing::WriteBytes;
using Bytes = std::vector<uint8_t>;

struct Block {
    int type;
    uint16_t number;
};

// Small blocks, so that every block travels in one upload request.
Bytes SmallBlock(int type, uint16_t number, uint32_t seed = 1) {
    return MakeDemoBlock(type, number, 40 + number * 4, seed);
}

void WriteProject(const std::string& path, const std::vector<Bytes>& images) {
    Bytes bytes;
    for (const Bytes& image : images) bytes.insert(bytes.end(), image.begin(), image.end());
    WriteBytes(path, bytes);
}

// The images of a project file, in file order.
std::vector<Bytes> ImagesIn(const std::string& path) {
    const Bytes bytes = ReadBytes(path);
    std::vector<Bytes> images;
    for (size_t at = 0; at + kBlockHeaderSize <= bytes.size();) {
        const uint32_t length = BlockImageLength(bytes.data() + at);
        if (length < kBlockHeaderSize || at + length > bytes.size()) break;
        images.emplace_back(bytes.begin() + at, bytes.begin() + at + length);
        at += length;
    }
    return images;
}

// A port that nothing listens on: bound once, then released.
int ClosedPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

bool AddressParserAvailable() {
    VariableDescriptor descriptor{};
    return cpuLink_ParseVariableW(&descriptor, L"MW0") != 0;
}

class SimulatorSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!SimulatorAvailable()) GTEST_SKIP() << "vexal-plcsim is not built";
        unsetenv("VEXAL_MPI_BUS");
        const Block blocks[] = {{BLOCK_TYPE_OB, 1}, {BLOCK_TYPE_FB, 1}, {BLOCK_TYPE_FC, 1},
                                {BLOCK_TYPE_FC, 2}, {BLOCK_TYPE_FC, 3}, {BLOCK_TYPE_FC, 4},
                                {BLOCK_TYPE_FC, 5}, {BLOCK_TYPE_DB, 1}, {BLOCK_TYPE_DB, 2}};
        for (const Block& block : blocks) program.push_back(SmallBlock(block.type, block.number));
        WriteProject(dir.File("program.wld"), program);
    }

    void StartSimulator(std::vector<std::string> options = {}) {
        options.insert(options.end(),
                       {"--program", dir.File("program.wld"), "--dump", dir.File("dump.json")});
        ASSERT_TRUE(simulator.Start(options));
        simulator.UseForTcp();
    }

    RunOutcome Run(const std::string& line) {
        const RunOutcome outcome = RunLine(InFolder(line, dir.Path().string()));
        EXPECT_EQ(outcome.output, ExpectedOutput(outcome.code)) << line;
        return outcome;
    }

    // Stops the simulator and returns its dump.
    std::string Dump() {
        EXPECT_TRUE(simulator.Stop());
        const Bytes bytes = ReadBytes(dir.File("dump.json"));
        return std::string(bytes.begin(), bytes.end());
    }

    static std::string Field(const std::string& dump, const std::string& name) {
        const std::string key = "\"" + name + "\": \"";
        const size_t at = dump.find(key);
        if (at == std::string::npos) return {};
        const size_t begin = at + key.size();
        return dump.substr(begin, dump.find('"', begin) - begin);
    }

    // The dump's line of a block, or "" when the controller does not hold it.
    static std::string BlockLine(const std::string& dump, const std::string& type, int number) {
        const std::string key =
            "{\"type\": \"" + type + "\", \"number\": " + std::to_string(number) + ",";
        const size_t at = dump.find(key);
        return at == std::string::npos ? std::string() : dump.substr(at, dump.find('}', at) - at);
    }

    static std::string Fingerprint(const Bytes& image) {
        return sim::Sha256Hex(image.data(), image.size());
    }

    const Bytes& ProgramBlock(int type, uint16_t number) const {
        for (const Bytes& image : program) {
            if (cpuLink_GetBlockType(image.data()) == type &&
                BlockImageNumber(image.data()) == number)
                return image;
        }
        throw std::logic_error("no such block in the program");
    }

    std::vector<Bytes> ProgramBlocks(std::initializer_list<Block> blocks) const {
        std::vector<Bytes> images;
        for (const Block& block : blocks) images.push_back(ProgramBlock(block.type, block.number));
        return images;
    }

    TempDir dir;
    std::vector<Bytes> program;
    PlcSimulator simulator;
};

TEST_F(SimulatorSessionTest, ControlCommandsChangeTheModeAndRepeatsAreWarnings) {
    StartSimulator();
    EXPECT_EQ(Run("/ip 127.0.0.1").code, 0);
    EXPECT_EQ(Run("/ip 127.0.0.1 /compress").code, 1);  // only in STOP
    EXPECT_EQ(Run("/ip 127.0.0.1 /stop").code, 0);
    EXPECT_EQ(Run("/ip 127.0.0.1 /stopnow").code, 1);  // already in STOP
    EXPECT_EQ(Run("/ip 127.0.0.1 /compress /compress").code, 0);
    EXPECT_EQ(Run("/ip 127.0.0.1 /ramtorom /ramtorom").code, 0);
    EXPECT_EQ(Run("/ip 127.0.0.1 /run").code, 0);
    EXPECT_EQ(Run("/ip 127.0.0.1 /run").code, 1);
    EXPECT_EQ(Run("/ip 127.0.0.1 /clear").code, 1);  // only in STOP
    const std::string dump = Dump();
    EXPECT_EQ(Field(dump, "mode"), "RUN");
    EXPECT_NE(BlockLine(dump, "OB", 1), "");
}

TEST_F(SimulatorSessionTest, ClearInStopResetsTheMemory) {
    StartSimulator({"--mode", "stop"});
    EXPECT_EQ(Run("/ip 127.0.0.1 /clear /clear").code, 0);
    const std::string dump = Dump();
    EXPECT_EQ(Field(dump, "mode"), "STOP");
    EXPECT_EQ(BlockLine(dump, "OB", 1), "");
    EXPECT_EQ(BlockLine(dump, "DB", 1), "");
}

TEST_F(SimulatorSessionTest, UploadWritesExactlyTheListedBlocksInStoreOrder) {
    StartSimulator();
    EXPECT_EQ(Run("/ip 127.0.0.1 /upload DB*, fc2 - 4,OB1 /fileupload \"{dir}/up.wld\"").code, 0);
    EXPECT_EQ(ImagesIn(dir.File("up.wld")), ProgramBlocks({{BLOCK_TYPE_OB, 1},
                                                           {BLOCK_TYPE_FC, 2},
                                                           {BLOCK_TYPE_FC, 3},
                                                           {BLOCK_TYPE_FC, 4},
                                                           {BLOCK_TYPE_DB, 1},
                                                           {BLOCK_TYPE_DB, 2}}));
}

TEST_F(SimulatorSessionTest, ABlockUploadedTwiceIsWrittenOnce) {
    StartSimulator();
    EXPECT_EQ(Run("/ip 127.0.0.1 /upload DB1,DB1 /upload DB1-1 /fileupload \"{dir}/up.wld\"").code,
              0);
    EXPECT_EQ(ImagesIn(dir.File("up.wld")), ProgramBlocks({{BLOCK_TYPE_DB, 1}}));
}

TEST_F(SimulatorSessionTest, RangesWithoutBlocksWarnAndEndTheSequence) {
    StartSimulator();
    const std::string up = " /fileupload \"{dir}/up.wld\"";
    EXPECT_EQ(Run("/ip 127.0.0.1 /upload SDB*" + up).code, 2);
    EXPECT_EQ(Run("/ip 127.0.0.1 /upload FC100-200 /upload OB1" + up).code, 2);
    EXPECT_TRUE(ImagesIn(dir.File("up.wld")).empty());
    EXPECT_EQ(Run("/ip 127.0.0.1 /upload OB1,SDB*,FB1" + up).code, 2);
    EXPECT_EQ(ImagesIn(dir.File("up.wld")),
              ProgramBlocks({{BLOCK_TYPE_OB, 1}, {BLOCK_TYPE_FB, 1}}));
    EXPECT_EQ(Run("/ip 127.0.0.1 /upload" + up).code, 0);
    EXPECT_TRUE(ImagesIn(dir.File("up.wld")).empty());
    // A warning of an earlier command stops the commands behind it.
    EXPECT_EQ(Run("/ip 127.0.0.1 /compress /upload OB1" + up).code, 1);
    EXPECT_TRUE(ImagesIn(dir.File("up.wld")).empty());
}

TEST_F(SimulatorSessionTest, RefusedRequestsAndMissingBlocksTogetherWarnWithThree) {
    StartSimulator({"--password", "secret"});
    EXPECT_EQ(Run("/ip 127.0.0.1 /upload OB1 /fileupload \"{dir}/up.wld\"").code, 3);
    EXPECT_TRUE(ImagesIn(dir.File("up.wld")).empty());
}

TEST_F(SimulatorSessionTest, RefusedPasswordRunsNoCommandAndEmptiesTheUploadFile) {
    StartSimulator({"--password", "secret"});
    WriteProject(dir.File("up.wld"), program);
    EXPECT_EQ(Run("/ip 127.0.0.1 /pass wrong /upload OB1 /fileupload \"{dir}/up.wld\"").code, -10);
    EXPECT_TRUE(ImagesIn(dir.File("up.wld")).empty());
    EXPECT_EQ(Run("/ip 127.0.0.1 /pass wrong /stop").code, -10);
    // An empty password is sent as well; the library refuses it without an error status,
    // so the stop runs and meets the protection.
    EXPECT_EQ(Run("/ip 127.0.0.1 /pass /stop").code, 1);
    // The refused logins left nothing behind that blocks the right one.
    EXPECT_EQ(Run("/ip 127.0.0.1 /pass secret /upload OB1 /fileupload \"{dir}/up.wld\"").code, 0);
    EXPECT_EQ(ImagesIn(dir.File("up.wld")), ProgramBlocks({{BLOCK_TYPE_OB, 1}}));
    EXPECT_EQ(Field(Dump(), "mode"), "RUN");
}

// The connection drops when the n-th request arrives, for every n up to past the last
// block: the upload file then holds the blocks that arrived whole before, and no other.
TEST_F(SimulatorSessionTest, DroppedConnectionKeepsExactlyTheBlocksThatArrivedWhole) {
    const auto expected = ProgramBlocks({{BLOCK_TYPE_FB, 1},
                                         {BLOCK_TYPE_FC, 1},
                                         {BLOCK_TYPE_FC, 2},
                                         {BLOCK_TYPE_FC, 3},
                                         {BLOCK_TYPE_FC, 4},
                                         {BLOCK_TYPE_FC, 5}});
    std::set<size_t> partialCounts;
    for (int n = 1; n <= 22; ++n) {
        StartSimulator({"--drop-after", std::to_string(n)});
        const int code = Run("/ip 127.0.0.1 /upload FB1,FC* /fileupload \"{dir}/up.wld\"").code;
        simulator.Stop();
        const auto images = ImagesIn(dir.File("up.wld"));
        ASSERT_LE(images.size(), expected.size()) << "drop at " << n;
        EXPECT_EQ(images, std::vector<Bytes>(expected.begin(), expected.begin() + images.size()))
            << "drop at " << n;
        if (code == 0) {
            EXPECT_EQ(images.size(), expected.size()) << "drop at " << n;
            continue;
        }
        EXPECT_TRUE(code == -6 || code == -271 || code == -272) << code << " drop at " << n;
        EXPECT_LT(images.size(), expected.size()) << "drop at " << n;
        if (code == -272) partialCounts.insert(images.size());
    }
    // The drop hit the first block, the blocks in between and the last one.
    EXPECT_TRUE(partialCounts.count(0) && partialCounts.count(1) && partialCounts.count(5));
}

// Every command's failure code, caused by the connection dropping at its request.
TEST_F(SimulatorSessionTest, EachCommandReportsAFailedRequestWithItsOwnCode) {
    WriteProject(dir.File("down.wld"), ProgramBlocks({{BLOCK_TYPE_DB, 1}}));
    struct Case {
        std::string line;
        int failure;
    };
    std::vector<Case> cases = {
        {"/compress", -211},
        {"/ramtorom", -221},
        {"/clear", -231},
        {"/run", -241},
        {"/stop", -251},
        {"/upload OB1 /fileupload \"{dir}/up.wld\"", -271},
        {"/download DB1 /filedownload \"{dir}/down.wld\"", -281},
    };
    if (AddressParserAvailable()) cases.push_back({"/var MW0=1", -261});
    for (const Case& c : cases) {
        std::set<int> codes;
        for (int n = 1; n <= 3; ++n) {
            StartSimulator({"--mode", "stop", "--drop-after", std::to_string(n)});
            codes.insert(Run("/ip 127.0.0.1 " + c.line).code);
            simulator.Stop();
        }
        EXPECT_TRUE(codes.count(c.failure)) << c.line;
        for (int code : codes) {
            EXPECT_TRUE(code == c.failure || code == -6 || code == -272 || code >= 0)
                << c.line << " gave " << code;
        }
    }
}

TEST_F(SimulatorSessionTest, DownloadSendsTheFileBlocksInTheRange) {
    const Bytes db3 = SmallBlock(BLOCK_TYPE_DB, 3, 7);
    const Bytes db12 = SmallBlock(BLOCK_TYPE_DB, 12, 7);
    const Bytes fc2 = SmallBlock(BLOCK_TYPE_FC, 2, 9);
    WriteProject(dir.File("down.wld"), {db12, fc2, db3});
    StartSimulator();
    EXPECT_EQ(Run("/ip 127.0.0.1 /download DB1-10 /filedownload \"{dir}/down.wld\"").code, 0);
    EXPECT_EQ(
        Run("/ip 127.0.0.1 /download FB* /download FC* /filedownload \"{dir}/down.wld\"").code, 2);
    const std::string dump = Dump();
    EXPECT_NE(BlockLine(dump, "DB", 3).find(Fingerprint(db3)), std::string::npos);
    EXPECT_EQ(BlockLine(dump, "DB", 12), "");
    // The download stopped at the FB warning, so FC2 is still the program's own.
    EXPECT_NE(BlockLine(dump, "FC", 2).find(Fingerprint(ProgramBlock(BLOCK_TYPE_FC, 2))),
              std::string::npos);
}

TEST_F(SimulatorSessionTest, ProtectedBlocksAreWarningsAndTheOthersStillLoad) {
    const Bytes fc2 = SmallBlock(BLOCK_TYPE_FC, 2, 9);
    const Bytes fc3 = SmallBlock(BLOCK_TYPE_FC, 3, 9);
    WriteProject(dir.File("down.wld"), {fc2, fc3});
    StartSimulator({"--protect", "FC2"});
    EXPECT_EQ(Run("/ip 127.0.0.1 /download FC* /filedownload \"{dir}/down.wld\"").code, 1);
    EXPECT_EQ(Run("/ip 127.0.0.1 /download FC2,FB* /filedownload \"{dir}/down.wld\"").code, 3);
    const std::string dump = Dump();
    EXPECT_NE(BlockLine(dump, "FC", 2).find(Fingerprint(ProgramBlock(BLOCK_TYPE_FC, 2))),
              std::string::npos);
    EXPECT_NE(BlockLine(dump, "FC", 3).find(Fingerprint(fc3)), std::string::npos);
}

TEST_F(SimulatorSessionTest, VariablesAreWrittenAsTheControllerReadsThem) {
    if (!AddressParserAvailable()) GTEST_SKIP() << "the library parses no variable address yet";
    StartSimulator();
    EXPECT_EQ(Run("/ip 127.0.0.1 /var MW0=0x1234,MB2=255,M3.1=1,MD4=0xFFFFFFFF").code, 0);
    EXPECT_EQ(Run("/ip 127.0.0.1 /var MD8=-2147483648, MW12=0b101 ,MB14=09,MW16").code, 0);
    EXPECT_EQ(Run("/ip 127.0.0.1 /var MW18=31,DB99.DBW0=1,MW20=0x7").code, 1);
    const std::string flags = Field(Dump(), "flags");
    const std::string expected = std::string("1234") + "ff" + "02" + "ffffffff" + "80000000" +
                                 "0005" + "09" + "00" + "0000" + "001f" + "0007";
    EXPECT_EQ(flags.substr(0, expected.size()), expected);
}

TEST_F(SimulatorSessionTest, ConnectionFailuresEndBeforeAnyCommand) {
    setenv("VEXAL_S7_PORT", std::to_string(ClosedPort()).c_str(), 1);
    WriteProject(dir.File("up.wld"), program);
    EXPECT_EQ(Run("/ip 127.0.0.1 /upload OB1 /fileupload \"{dir}/up.wld\"").code, -6);
    EXPECT_TRUE(ImagesIn(dir.File("up.wld")).empty());
}

class MpiSessionTest : public SimulatorSessionTest {
protected:
    void UseBus(int ownAddress) {
        const std::string text =
            "own " + std::to_string(ownAddress) +
            "\nhighest 31\nstation 2 127.0.0.1:" + std::to_string(simulator.Port()) +
            "\nstation 7 127.0.0.1:" + std::to_string(ClosedPort()) + "\n";
        WriteBytes(dir.File("bus"), Bytes(text.begin(), text.end()));
        setenv("VEXAL_MPI_BUS", dir.File("bus").c_str(), 1);
    }
};

TEST_F(MpiSessionTest, CommandsReachTheStationThroughTheBusFile) {
    StartSimulator();
    UseBus(0);
    EXPECT_EQ(Run("/mpi 2").code, 0);
    EXPECT_EQ(Run("/upload FC1-2 /fileupload \"{dir}/up.wld\"").code, 0);
    EXPECT_EQ(ImagesIn(dir.File("up.wld")),
              ProgramBlocks({{BLOCK_TYPE_FC, 1}, {BLOCK_TYPE_FC, 2}}));
    EXPECT_EQ(Run("/stop").code, 0);
    EXPECT_EQ(Run("/mpi 2 /run").code, 0);
    EXPECT_EQ(Run("/mpi 5 /stop").code, -6);
    EXPECT_EQ(Run("/mpi 7 /stop").code, -6);
    EXPECT_EQ(Field(Dump(), "mode"), "RUN");
}

TEST_F(MpiSessionTest, TheAdaptersOwnAddressIsNoTarget) {
    StartSimulator();
    UseBus(2);
    EXPECT_EQ(Run("/stop").code, -4);
    EXPECT_EQ(Field(Dump(), "mode"), "RUN");
}

}  // namespace
}  // namespace vexal::cmd
