// Every exit code a command line earns before the program talks to a controller, and
// the transport faults that end a run before any command.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

#include "block_images.h"
#include "cpulink.h"
#include "run_line.h"
#include "table_file.h"
#include "temp_dir.h"

namespace vexal::cmd {
namespace {

using testing::RunLine;
using vexal::testing::Append;
using vexal::testing::MakeBlockImage;
using vexal::testing::ReadBytes;
using vexal::testing::WriteBytes;
using Bytes = std::vector<uint8_t>;

// Without a bus file no MPI adapter opens, so every line that passes the offline checks
// and wants the default transport ends here, before any controller is reached.
constexpr int kAccepted = -1;

// "{x*256}" stands for 256 times "x".
std::string ExpandRepeats(std::string line) {
    static const std::regex kRepeat(R"(\{([^{}*]+)\*(\d+)\})");
    for (std::smatch m; std::regex_search(line, m, kRepeat);) {
        std::string text;
        for (int i = 0; i < std::stoi(m[2]); ++i) text += m[1].str();
        line.replace(m.position(0), m.length(0), text);
    }
    return line;
}

void WriteText(const std::string& path, const std::string& text) {
    WriteBytes(path, Bytes(text.begin(), text.end()));
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

class OfflineExitCodeTest : public ::testing::Test {
protected:
    void SetUp() override { unsetenv("VEXAL_MPI_BUS"); }
    int Run(const std::string& line) { return RunLine(line, dir.Path().string()); }

    vexal::testing::TempDir dir;
    const std::string up = dir.File("up.wld");
};

TEST_F(OfflineExitCodeTest, EveryOfflineFaultEndsWithItsCode) {
    // Download files for the loader's codes, which are reported below -190.
    WriteBytes(dir.File("good.wld"), MakeBlockImage(BLOCK_TYPE_DB, 3, 64));
    Bytes bytes = MakeBlockImage(BLOCK_TYPE_DB, 3, 64);
    Append(bytes, MakeBlockImage(BLOCK_TYPE_DB, 1, 64));
    bytes[64] = 0x71;
    WriteBytes(dir.File("magic.wld"), bytes);
    bytes = MakeBlockImage(BLOCK_TYPE_DB, 1, 64);
    bytes[5] = 0x00;
    WriteBytes(dir.File("type.wld"), bytes);
    WriteBytes(dir.File("long.wld"), MakeBlockImage(BLOCK_TYPE_DB, 1, 133121));
    bytes = MakeBlockImage(BLOCK_TYPE_DB, 1, 200);
    bytes.resize(100);
    WriteBytes(dir.File("cut.wld"), bytes);
    bytes.clear();
    for (int n = 0; n <= 4096; ++n) Append(bytes, MakeBlockImage(BLOCK_TYPE_DB, uint16_t(n), 40));
    WriteBytes(dir.File("full.wld"), bytes);
    std::ifstream rows = vexal::testing::OpenBeside(__FILE__, "offline_exit_codes.txt");
    int count = 0;
    for (std::string row; std::getline(rows, row);) {
        const size_t first = row.find('|'), last = row.rfind('|');
        if (row.empty() || row[0] == '#' || first == last) continue;
        const std::string line = ExpandRepeats(row.substr(first + 1, last - first - 1));
        EXPECT_EQ(Run(line), std::stoi(row)) << row;
        ++count;
    }
    EXPECT_GT(count, 90);
}

// The upload file is emptied before any connection (and before the download file is
// read); the file options without their command touch no file.
TEST_F(OfflineExitCodeTest, UploadFileIsEmptiedOnlyByAnUploadRun) {
    const Bytes kept = MakeBlockImage(BLOCK_TYPE_OB, 1, 64);
    WriteBytes(up, kept);
    EXPECT_EQ(Run("/fileupload \"{dir}/up.wld\" /filedownload \"{dir}/none.wld\" /stop"),
              kAccepted);
    EXPECT_EQ(ReadBytes(up), kept);
    EXPECT_EQ(Run("/upload OB1 /fileupload \"{dir}/up.wld\""), kAccepted);
    ASSERT_TRUE(std::filesystem::exists(up));
    EXPECT_TRUE(ReadBytes(up).empty());
    WriteBytes(up, kept);
    EXPECT_EQ(Run("/upload OB1 /download DB1 /fileupload \"{dir}/up.wld\""), -190);
    EXPECT_TRUE(ReadBytes(up).empty());
}

TEST_F(OfflineExitCodeTest, TransportFaultsEndTheRunBeforeAnyCommand) {
    const std::string bus = dir.File("bus");
    setenv("VEXAL_MPI_BUS", bus.c_str(), 1);
    WriteText(bus, "own 3\nhighest 31\nstation 7 127.0.0.1:" + std::to_string(ClosedPort()) + "\n");
    EXPECT_EQ(Run("/mpi 3 /stop"), -4);
    EXPECT_EQ(Run("/mpi5 /stop"), -6);   // no such station
    EXPECT_EQ(Run("/mpi 7 /stop"), -6);  // nothing answers
    WriteText(bus, "own 3\nthis is no bus\n");
    EXPECT_EQ(Run("/stop"), -2);
    setenv("VEXAL_MPI_BUS", dir.File("absent").c_str(), 1);
    EXPECT_EQ(Run("/stop"), -1);

    setenv("VEXAL_S7_PORT", std::to_string(ClosedPort()).c_str(), 1);
    WriteBytes(up, MakeBlockImage(BLOCK_TYPE_OB, 1, 64));
    EXPECT_EQ(Run("/ip 127.0.0.1 /upload OB1 /fileupload \"{dir}/up.wld\""), -6);
    EXPECT_TRUE(ReadBytes(up).empty());
}

}  // namespace
}  // namespace vexal::cmd
