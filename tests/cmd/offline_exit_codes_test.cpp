// Every exit code a command line earns before the program talks to a controller, and
// the transport faults that end a run before any command.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "block_images.h"
#include "cpulink.h"
#include "run_line.h"
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

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
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
    const std::string download = "/download DB1 /filedownload \"{dir}/";

    const struct {
        std::string line;
        int code;
    } cases[] = {
        // The tokeniser's faults, reported 50 below their own code.
        {"", 0},
        {"   ", -52},
        {"  /ramtorom/ramtorom", kAccepted},
        {Repeat("/ramtorom ", 20), kAccepted},
        {Repeat("/stop ", 21), -51},
        {"/", -54},
        {"/abcdefghijklmnopqrst", -54},
        {"/abcdefghijklmnopqrstu", -55},
        {"/frobnicate 1", -58},
        {"/pass \"abc", -56},
        {"/fileupload \"{dir}/up.wld\"x /upload OB1", -56},
        // A quoted "/" stays in the value of a known keyword only, and only when closed.
        {"/frob \"a/b\"", -56},
        {"/fileupload \"/tmp\"/x 1", -58},
        {"/compress " + Repeat("x", 256), kAccepted},
        {"/compress \"" + Repeat("x", 256) + "\"", kAccepted},
        {"/compress " + Repeat("x", 257), -57},
        {"/stop" + Repeat(" ", 508), kAccepted},
        {"/stop" + Repeat(" ", 509), -53},
        // Options. "/upload OB1" without an upload file ends with -180 before
        // connecting, so it shows that everything in front of it was accepted.
        {"/mpi x", kAccepted},
        {"/mpi 126", kAccepted},
        {"/mpi 127", -111},
        {"/mpi -1", -111},
        {"/mpi 99999999999999999999", -111},
        {"/ip 10.0.0.1 /mpi 2", -110},
        {"/mpi 2 /ip 10.0.0.1", -115},
        {"/ip 127.0.0.255trailing /upload OB1", -180},
        {"/ip 127.0.0", -116},
        {"/ip 127.0.0.256", -116},
        {"/ip 127.0.0.-1", -116},
        {"/ip 127 .0.0.1", -116},
        {"/ip 99999999999.0.0.1", -116},
        {"/pass 123456789", -120},
        {"/pass 12345678 /upload OB1", -180},
        // A value ends at 256 characters (-57), so a file name never reaches its own limit
        // of 260 (-130, -140).
        {"/fileupload " + Repeat("u", 256) + " /upload OB1 /mpi 127", -111},
        {"/filedownload " + Repeat("d", 256) + " /mpi 127", -111},
        // Commands share a line only within their group.
        {"/stop /run", -101},
        {"/stop/stop", -101},
        {"/compress /ramtorom", -101},
        {"/compress /stop", -101},
        {"/stop /var XYZ=0z1", -101},
        {"/clear /upload XY1", -101},
        {"/clear /clear", kAccepted},
        {"/compress /compress /upload OB1 /download DB1 /var MW0=1 /fileupload \"{dir}/up.wld\""
         " /filedownload \"{dir}/good.wld\"",
         kAccepted},
        // Block lists, before any file.
        {"/upload OB1,FC" + Repeat("0", 18) + "1", -161},
        {"/upload OB1,FC" + Repeat("0", 17) + "1", -180},
        {"/upload XY1", -162},
        {"/upload OB1,,FB1", -162},
        {"/upload FC5-3", -163},
        {"/download DB123456789012345678901", -171},
        {"/download XY1", -172},
        {"/download FC5-3", -173},
        {"/upload OB1,", -180},
        {"/upload", -180},
        // Files.
        {"/fileupload /upload OB1", -180},
        {"/fileupload \"{dir}/missing/up.wld\" /upload OB1", -181},
        {"/fileupload \"{dir}\" /upload OB1", -181},
        {"/download DB1", -190},
        {download + "good.wld\"", kAccepted},
        {download + "none.wld\"", -191},
        {download + "magic.wld\"", -192},
        {download + "type.wld\"", -193},
        {download + "long.wld\"", -194},
        {download + "cut.wld\"", -195},
        {download + "full.wld\"", -196},
        // Variable lists; a double word takes -2147483648 to 4294967295.
        {"/var MW0=1,", kAccepted},
        {"/var  MW0 = 0x1F , MB1=0b101, MD2=31, MW4=09", kAccepted},
        {"/var M0.0=1,MB1=255,MW2=65535,C1=999", kAccepted},
        {"/var MD0=0xFFFFFFFF,MD4=-2147483648,MD8=4294967295", kAccepted},
        {"/var MW0=1," + Repeat("M", 41), -151},
        {"/var " + Repeat("M", 21) + "=1", -152},
        {"/var MW0=" + Repeat("1", 21), -153},
        {"/var MW0=0X1f,MW0=0B0,MB0=+5,MD0=-5,MW0=", kAccepted},
        {"/var MW0=12a", -154},
        {"/var MW0=0x", -154},
        {"/var MW0=0b102", -154},
        {"/var MW0=-", -154},
        {"/var MW0=1 2", -154},
        {"/var MW0=-0x5", -154},
        {"/var XYZ=1", -155},
        {"/var MW0=1,,MW2=1", -155},
        {"/var M0.0=2", -156},
        {"/var C1=1000", -156},
        {"/var T1=1", -156},
        {"/var MB0=256", -156},
        {"/var MW0=65536", -156},
        {"/var MW0=-1", -156},
        {"/var MD0=4294967296", -156},
        {"/var MD0=-2147483649", -156},
        {"/var MD0=99999999999999999999", -156},
        {"/var P#M0.0 BYTE 1=1", kAccepted},
        {"/var P#M0.0 BYTE 2=1", -156},
    };
    for (const auto& c : cases) EXPECT_EQ(Run(c.line), c.code) << c.line;
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
