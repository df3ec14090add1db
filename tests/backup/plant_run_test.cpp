// Whole runs of the program against a plant of in-process simulators on loopback: TCP,
// MPI behind a gateway, a password, one that drops mid-upload and one that never answers.
#include <git2.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <arpa/inet.h>

#include "cpulink.h"
#include "loopback_simulator.h"
#include "program.h"
#include "table_file.h"
#include "temp_dir.h"

namespace vexal::backup {
namespace {

using vexal::testing::TempDir;

std::string Golden(const char* name) {
    std::ifstream in = vexal::testing::OpenBeside(__FILE__, name);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A TCP listener that never accepts: connections complete and then nothing answers.
int SilentListener(const char* ip, uint16_t port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{AF_INET, htons(port), {inet_addr(ip)}, {}};
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(fd, 4);
    return fd;
}

class PlantRun : public ::testing::Test {
protected:
    void SetUp() override {
        press_ = vexal::testing::StartLoopbackSimulator();
        ASSERT_NE(press_, nullptr);
        const uint16_t port = press_->Port();
        kiln_ = Start("127.0.0.2", port, [](sim::SimOptions& o) { o.password = "secret"; });
        dropper_ = Start("127.0.0.3", port, [](sim::SimOptions& o) { o.dropAfter = 40; });
        line_ = Start("127.0.0.4", port, [](sim::SimOptions& o) { o.mpiStations = {5}; });
        silent_ = SilentListener("127.0.0.5", port);
        setenv("VEXAL_S7_CONNECT_MS", "1000", 1);
        setenv("VEXAL_S7_TIMEOUT_MS", "3000", 1);
        setenv("VEXAL_MPI_BUS", folder_.File("bus").c_str(), 1);
        std::ofstream(folder_.File("bus"))
            << "own 0\nhighest 31\ngateway 127.0.0.4:" << port << "\n";
        std::ofstream(folder_.File("kiln.pw")) << "secret\n";
        std::ofstream(folder_.File("plant"))
            << "press ip 127.0.0.1\nkiln ip 127.0.0.2 password kiln.pw\n"
               "dropper ip 127.0.0.3\nline mpi 5\nsilent ip 127.0.0.5\n";
    }
    void TearDown() override { close(silent_); }

    template <typename Adjust>
    std::unique_ptr<sim::Simulator> Start(const char* ip, uint16_t port, Adjust adjust) {
        sim::SimOptions options;
        options.listen = {{ip, port}};
        adjust(options);
        auto simulator = std::make_unique<sim::Simulator>(options);
        std::string error;
        EXPECT_TRUE(simulator->Start(&error)) << error;
        return simulator;
    }

    int Run(std::vector<std::string> extra = {}) {
        std::vector<std::string> arguments = {folder_.File("plant"), Archive()};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        char* text = nullptr;
        size_t size = 0;
        std::FILE* out = open_memstream(&text, &size);
        std::FILE* err = std::tmpfile();
        const int status = RunBackupProgram(arguments, out, err, stop_);
        std::fclose(out);
        std::fclose(err);
        report_.assign(text, size);
        std::free(text);
        return status;
    }

    std::string Archive() const { return folder_.File("archive"); }

    // Downloads FC1 with one body byte changed and writes a new value into DB1.
    void ChangePress() {
        CpuConnection record{};
        cpuNet_InitConnection(&record);
        ASSERT_EQ(cpuNet_OpenConnection(&record, StationKey_FromOctets(127, 0, 0, 1)), CPULINK_OK);
        std::vector<uint8_t> image(kMaxBlockImage);
        ASSERT_EQ(cpuLink_UploadBlock(&record, BLOCK_TYPE_FC, 1, image.data(), kMaxBlockImage), 0);
        image[kBlockHeaderSize + 2] ^= 0x01;
        EXPECT_EQ(cpuLink_DownloadBlock(&record, image.data()), CPULINK_OK);
        VariableDescriptor variable{};
        uint32_t value = 0;
        variable.value = &value;
        ASSERT_TRUE(cpuLink_ParseVariableW(&variable, L"DB1.DBB0"));
        ASSERT_TRUE(cpuLink_SetVariableValueFromStringW(&variable, L"16#5A"));
        VariableDescriptor* const variables[] = {&variable};
        EXPECT_EQ(cpuLink_WriteVariables(&record, variables, 1), CPULINK_OK);
        cpuLink_DestroyConnection(&record);
    }

    std::string HeadMessage() {
        git_libgit2_init();
        git_repository* repository = nullptr;
        git_object* head = nullptr;
        std::string message;
        if (git_repository_open(&repository, Archive().c_str()) == 0 &&
            git_revparse_single(&head, repository, "HEAD~1") == 0) {
            git_object_free(head);
            git_revparse_single(&head, repository, "HEAD");
            message = git_commit_message(reinterpret_cast<git_commit*>(head));
        }
        git_object_free(head);
        git_repository_free(repository);
        git_libgit2_shutdown();
        return message;
    }

    TempDir folder_;
    std::unique_ptr<sim::Simulator> press_, kiln_, dropper_, line_;
    int silent_ = -1;
    std::atomic<bool> stop_{false};
    std::string report_;
};

TEST_F(PlantRun, SecondRunReportsExactlyTheChangesAndFailedStationsKeepTheirBackup) {
    EXPECT_EQ(Run({"--station", "kiln"}), 1);
    EXPECT_EQ(report_, "kiln: backed up (97 blocks)\n");
    EXPECT_EQ(Run(), 2);
    EXPECT_EQ(report_, Golden("first_run.txt"));
    const std::string kilnBlocks = FileText(Archive() + "/kiln/blocks.txt");
    const std::string kilnProgram = FileText(Archive() + "/kiln/program.wld");
    EXPECT_FALSE(std::filesystem::exists(Archive() + "/dropper"));

    ChangePress();
    std::ofstream(folder_.File("kiln.pw")) << "wrong\n";
    EXPECT_EQ(Run({"--json", folder_.File("report.json"), "--jobs", "2"}), 2);
    EXPECT_EQ(report_, Golden("second_run.txt"));
    EXPECT_EQ(FileText(Archive() + "/kiln/blocks.txt"), kilnBlocks);
    EXPECT_EQ(FileText(Archive() + "/kiln/program.wld"), kilnProgram);
    EXPECT_NE(FileText(folder_.File("report.json")).find(Golden("second_run.json")),
              std::string::npos);
    EXPECT_EQ(HeadMessage(), "Backup of 5 stations: 1 changed, 3 failed\n\n" + report_);

    EXPECT_EQ(Run({"--station", "press", "--station", "line"}), 0);
    EXPECT_EQ(report_, "press: unchanged (97 blocks)\nline: unchanged (97 blocks)\n");

    stop_ = true;
    EXPECT_EQ(Run({"--station", "press"}), 2);
    EXPECT_EQ(report_, "press: failed: stopped before the backup was complete\n");
    EXPECT_TRUE(std::filesystem::exists(Archive() + "/press/program.wld"));
}

TEST_F(PlantRun, BadUsageOrPlantFileRunsNothing) {
    const std::vector<std::vector<std::string>> bad = {
        {"--jobs", "0"}, {"--jobs", "x"}, {"--station", "nowhere"}, {"--colour"}, {"extra"}};
    for (const auto& extra : bad) EXPECT_EQ(Run(extra), 3) << extra[0];
    std::ofstream(folder_.File("plant"), std::ios::app) << "broken ip 1.2.3\n";
    EXPECT_EQ(Run(), 3);
    EXPECT_FALSE(std::filesystem::exists(Archive()));
}

}  // namespace
}  // namespace vexal::backup
