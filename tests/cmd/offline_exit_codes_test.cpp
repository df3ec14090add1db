// Every exit code a command line earns before the program talks to a controller.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "block_images.h"
#include "busport.h"
#include "cpulink.h"
#include "run_line.h"
#include "temp_dir.h"

namespace vexal::cmd {
namespace {

using vexal::testing::Append;
using vexal::testing::MakeBlockImage;
using vexal::testing::ReadBytes;
using vexal::testing::TempDir;
using vexal::testing::WriteBytes;
using namespace vexal::cmd::testing;

// Without a bus file no MPI adapter opens, so every line that passes the offline checks
// and wants the default transport ends here, before any controller is reached.
constexpr int kAccepted = -1;

struct LineCase {
    std::string line;
    int code;
};

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

class OfflineExitCodeTest : public ::testing::Test {
protected:
    void SetUp() override { unsetenv("VEXAL_MPI_BUS"); }

    RunOutcome Run(const std::string& line) { return RunLine(InFolder(line, dir.Path().string())); }

    void ExpectCodes(const LineCase* cases, size_t count) {
        for (size_t i = 0; i < count; ++i) {
            const RunOutcome outcome = Run(cases[i].line);
            EXPECT_EQ(outcome.code, cases[i].code) << cases[i].line;
            EXPECT_EQ(outcome.output, ExpectedOutput(cases[i].code)) << cases[i].line;
        }
    }

    void WriteProject(const std::string& name, std::initializer_list<std::vector<uint8_t>> images) {
        std::vector<uint8_t> bytes;
        for (const auto& image : images) Append(bytes, image);
        WriteBytes(dir.File(name), bytes);
    }

    TempDir dir;
};

TEST_F(OfflineExitCodeTest, TokeniserFaultsAreReportedFiftyBelowTheirCode) {
    const LineCase cases[] = {
        {"", 0},
        {"   ", -52},
        {"stop", -52},
        {Repeat("/stop ", 21), -51},
        {Repeat("/ramtorom ", 20), kAccepted},
        {"/pass " + Repeat("x", 508), -53},
        {"/", -54},
        {"/frobnicate", -54},
        {"/abcdefghijklmnopqrstu", -55},
        {"/fileupload \"{dir}/up.wld\"x /upload OB1", -56},
        {"/compress " + Repeat("x", 257), -57},
        {"/frobnicate 1", -58},
        {"/ 1", -58},
    };
    ExpectCodes(cases, std::size(cases));
}

TEST_F(OfflineExitCodeTest, OptionValuesAreChecked) {
    // "/upload OB1" without an upload file ends with -180 before connecting, so it shows
    // that everything in front of it was accepted.
    const LineCase cases[] = {
        {"/mpi 2 /stop", kAccepted},
        {"/stop", kAccepted},
        {"/MPI 5", kAccepted},
        {"/mpi5", kAccepted},
        {"/mpi x", kAccepted},
        {"/mpi 0", kAccepted},
        {"/mpi 126", kAccepted},
        {"/mpi 127", -111},
        {"/mpi -1", -111},
        {"/mpi 99999999999999999999", -111},
        {"/ip 10.0.0.1 /mpi 2", -110},
        {"/mpi 2 /ip 10.0.0.1", -115},
        {"/ip 127.0.0.1 /ip 127.0.0.2 /upload OB1", -180},
        {"/ip 127.0.0.255trailing /upload OB1", -180},
        {"/ip 127.0.0", -116},
        {"/ip 127.0.0.256", -116},
        {"/ip 127.0.0.-1", -116},
        {"/ip -1.0.0.1", -116},
        {"/ip 127 .0.0.1", -116},
        {"/ip a.b.c.d", -116},
        {"/ip", -116},
        {"/ip 99999999999.0.0.1", -116},
        {"/pass 123456789", -120},
        {"/pass 12345678 /upload OB1", -180},
        {"/pass /upload OB1", -180},
        // A value ends at 256 characters, so a file name never reaches its own limit of
        // 260 (-130, -140).
        {"/fileupload " + Repeat("u", 257), -57},
        {"/fileupload " + Repeat("u", 256) + " /upload OB1 /mpi 127", -111},
        {"/filedownload " + Repeat("d", 257), -57},
        {"/filedownload " + Repeat("d", 256) + " /mpi 127", -111},
    };
    ExpectCodes(cases, std::size(cases));
}

TEST_F(OfflineExitCodeTest, CommandsCombineOnlyWithinTheirGroup) {
    const LineCase cases[] = {
        {"/stop /run", -101},
        {"/run /stop", -101},
        {"/stop /stop", -101},
        {"/compress /clear", -101},
        {"/clear /compress", -101},
        {"/ramtorom /clear", -101},
        {"/clear /ramtorom", -101},
        {"/compress /stop", -101},
        {"/stop /var XYZ=0z1", -101},
        {"/clear /upload XY1", -101},
        {"/ramtorom /ramtorom", kAccepted},
        {"/clear /clear", kAccepted},
        {"/run", kAccepted},
        {"/compress /compress /upload OB1 /download DB1 /fileupload \"{dir}/up.wld\""
         " /filedownload \"{dir}/none.wld\"",
         -191},
    };
    ExpectCodes(cases, std::size(cases));
}

TEST_F(OfflineExitCodeTest, BlockListsAreCheckedBeforeConnecting) {
    const LineCase cases[] = {
        {"/upload FC5-3", -163},
        {"/upload XY1", -162},
        {"/upload OB1-70000", -163},
        {"/upload OB1,,FB1", -162},
        {"/upload OB1,DB123456789012345678901", -161},
        {"/upload OB1,", -180},
        {"/upload", -180},
        {"/upload OB*,FB*,FC*,DB*,SDB*", -180},
        {"/download FC5-3", -173},
        {"/download XY1", -172},
        {"/download DB123456789012345678901", -171},
        {"/download DB1", -190},
        {"/upload XY /fileupload \"{dir}/up.wld\"", -162},
    };
    ExpectCodes(cases, std::size(cases));
}

TEST_F(OfflineExitCodeTest, UploadFileMustBeNamedAndCreatable) {
    const LineCase cases[] = {
        {"/upload OB1", -180},
        {"/fileupload /upload OB1", -180},
        {"/fileupload \"{dir}/missing/up.wld\" /upload OB1", -181},
        {"/fileupload \"{dir}\" /upload OB1", -181},
        {"/fileupload \"{dir}/up.wld\" /upload OB1", kAccepted},
    };
    ExpectCodes(cases, std::size(cases));
}

TEST_F(OfflineExitCodeTest, UploadFileIsCreatedEmptyBeforeAnyConnection) {
    WriteBytes(dir.File("up.wld"), MakeBlockImage(BLOCK_TYPE_OB, 1, 64));
    EXPECT_EQ(Run("/upload OB1 /fileupload \"{dir}/up.wld\"").code, kAccepted);
    ASSERT_TRUE(std::filesystem::exists(dir.File("up.wld")));
    EXPECT_TRUE(ReadBytes(dir.File("up.wld")).empty());

    // The upload file is prepared first, so it is emptied even when the download file
    // then fails.
    WriteBytes(dir.File("up.wld"), MakeBlockImage(BLOCK_TYPE_OB, 1, 64));
    EXPECT_EQ(Run("/upload OB1 /download DB1 /fileupload \"{dir}/up.wld\"").code, -190);
    EXPECT_TRUE(ReadBytes(dir.File("up.wld")).empty());
}

TEST_F(OfflineExitCodeTest, FileOptionsWithoutTheirCommandTouchNoFile) {
    const auto kept = MakeBlockImage(BLOCK_TYPE_OB, 1, 64);
    WriteBytes(dir.File("up.wld"), kept);
    EXPECT_EQ(Run("/fileupload \"{dir}/up.wld\" /filedownload \"{dir}/none.wld\" /stop").code,
              kAccepted);
    EXPECT_EQ(ReadBytes(dir.File("up.wld")), kept);
}

TEST_F(OfflineExitCodeTest, DownloadFileLoaderCodesAreReportedBelowMinus190) {
    auto bad = MakeBlockImage(BLOCK_TYPE_DB, 1, 64);
    WriteProject("good.wld", {MakeBlockImage(BLOCK_TYPE_DB, 3, 64)});
    bad[0] = 0x71;
    WriteProject("magic.wld", {MakeBlockImage(BLOCK_TYPE_DB, 3, 64), bad});
    bad = MakeBlockImage(BLOCK_TYPE_DB, 1, 64);
    bad[5] = 0x00;
    WriteProject("type.wld", {bad});
    WriteProject("long.wld", {MakeBlockImage(BLOCK_TYPE_DB, 1, 133121)});
    auto cut = MakeBlockImage(BLOCK_TYPE_DB, 1, 200);
    cut.resize(100);
    WriteProject("cut.wld", {cut});
    std::vector<uint8_t> full;
    for (int n = 0; n <= 4096; ++n) Append(full, MakeBlockImage(BLOCK_TYPE_DB, uint16_t(n), 40));
    WriteBytes(dir.File("full.wld"), full);

    const std::string download = "/download DB1 /filedownload \"{dir}/";
    const LineCase cases[] = {
        {download + "good.wld\"", kAccepted},
        {download + "none.wld\"", -191},
        {download + "\"", -191},
        {download + "magic.wld\"", -192},
        {download + "type.wld\"", -193},
        {download + "long.wld\"", -194},
        {download + "cut.wld\"", -195},
        {download + "full.wld\"", -196},
    };
    ExpectCodes(cases, std::size(cases));
}

// These need the adapter library to read bus files.
bool AdapterReadsBusFiles(const std::string& path) {
    WriteBytes(path, {'o', 'w', 'n', ' ', '0', '\n'});
    setenv("VEXAL_MPI_BUS", path.c_str(), 1);
    const int handle = Busport_Open();
    Busport_Close(handle);
    unsetenv("VEXAL_MPI_BUS");
    return handle != BUSPORT_INVALID_HANDLE;
}

TEST_F(OfflineExitCodeTest, AdapterFaultsEndTheRunBeforeAnyController) {
    const std::string bus = dir.File("bus");
    if (!AdapterReadsBusFiles(bus)) GTEST_SKIP() << "the adapter library reads no bus file yet";
    const std::string text = "own 3\nhighest 31\nstation 2 127.0.0.1:1\n";
    WriteBytes(bus, std::vector<uint8_t>(text.begin(), text.end()));
    setenv("VEXAL_MPI_BUS", bus.c_str(), 1);
    EXPECT_EQ(Run("/mpi 3 /stop").code, -4);
    EXPECT_EQ(Run("/mpi3").code, -4);

    const std::string garbage = "own 3\nthis is no bus\n";
    WriteBytes(bus, std::vector<uint8_t>(garbage.begin(), garbage.end()));
    EXPECT_EQ(Run("/stop").code, -2);

    setenv("VEXAL_MPI_BUS", dir.File("absent").c_str(), 1);
    EXPECT_EQ(Run("/stop").code, -1);
}

// The variable checks need the library's address parser.
bool AddressParserAvailable() {
    VariableDescriptor descriptor{};
    return cpuLink_ParseVariableW(&descriptor, L"MW0") != 0;
}

TEST_F(OfflineExitCodeTest, VariableListsAreCheckedBeforeConnecting) {
    if (!AddressParserAvailable()) GTEST_SKIP() << "the library parses no variable address yet";
    const LineCase cases[] = {
        {"/var MW0=1", kAccepted},
        {"/var MW0", kAccepted},
        {"/var MW0=1,", kAccepted},
        {"/var  MW0 = 0x1F , MB1=0b101, MD2=31, MW4=09", kAccepted},
        {"/var M0.0=1,MB1=255,MW2=65535,C1=999", kAccepted},
        {"/var MD0=0xFFFFFFFF,MD4=-2147483648,MD8=4294967295", kAccepted},
        {"/var MW0=1," + Repeat("M", 41), -151},
        {"/var " + Repeat("M", 21) + "=1", -152},
        {"/var MW0=" + Repeat("1", 21), -153},
        {"/var MW0=0z1", -154},
        {"/var MW0=12a", -154},
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
        {"/upload OB1 /download DB1 /compress /var MW0=1 /fileupload \"{dir}/up.wld\""
         " /filedownload \"{dir}/up.wld\"",
         kAccepted},
    };
    ExpectCodes(cases, std::size(cases));
}

}  // namespace
}  // namespace vexal::cmd
