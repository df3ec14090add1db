// What VexalCmdCE costs as a whole process: an error exit before any connection
// ("/bogus") against /bin/true, and the peak memory of uploading a full 4 MiB store from
// vexal-plcsim, all measured in this one run with the programs interleaved.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "child_process.h"
#include "cpulink.h"
#include "demo_project.h"
#include "temp_dir.h"

namespace {

using vexal::bench::RunCost;
using vexal::bench::RunProgram;

constexpr int kStartRuns = 200;
constexpr int kUploadRuns = 3;
// 31 DBs of the largest size a project holds: 4126720 bytes of a 4194304-byte store.
constexpr int kFullStoreBlocks = 31;
constexpr uint32_t kLargestCode = 133120 - 92;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Sample {
    std::vector<double> wall, peak;
    void Add(const std::vector<std::string>& words, const RunCost& cost) {
        wall.push_back(cost.wallSeconds);
        peak.push_back(vexal::bench::PeakResidentMiB(words));
    }
};

std::string WriteFullProgram(const vexal::testing::TempDir& dir) {
    std::vector<uint8_t> bytes;
    for (int i = 1; i <= kFullStoreBlocks; ++i) {
        const auto block =
            vexal::MakeDemoBlock(BLOCK_TYPE_DB, static_cast<uint16_t>(i), kLargestCode, i);
        bytes.insert(bytes.end(), block.begin(), block.end());
    }
    const std::string path = dir.File("program.wld");
    vexal::testing::WriteBytes(path, bytes);
    return path;
}

}  // namespace

int main() {
    const std::string program = vexal::bench::BuildProgram("VexalCmdCE");
    Sample baseline, errorExit;
    const std::vector<std::string> truth = {"/bin/true"}, bogus = {program, "/bogus"};
    for (int run = 0; run < kStartRuns; ++run) {
        baseline.Add(truth, RunProgram(truth));
        const RunCost cost = RunProgram(bogus);
        if (cost.exitCode >= 0) {
            std::fprintf(stderr, "VexalCmdCE /bogus gave %d\n", cost.exitCode);
            return 1;
        }
        errorExit.Add(bogus, cost);
    }
    vexal::testing::TempDir dir;
    vexal::bench::PlcSimProcess simulator;
    if (!simulator.Start({"--program", WriteFullProgram(dir)})) {
        std::fprintf(stderr, "vexal-plcsim did not start\n");
        return 1;
    }
    setenv("VEXAL_S7_PORT", std::to_string(simulator.Port()).c_str(), 1);
    Sample uploadBaseline, upload;
    const std::vector<std::string> fullUpload = {
        program, "/ip", "127.0.0.1", "/upload", "DB*", "/fileupload", dir.File("up.wld")};
    for (int run = 0; run < kUploadRuns; ++run) {
        uploadBaseline.Add(truth, RunProgram(truth));
        const RunCost cost = RunProgram(fullUpload);
        if (cost.exitCode != 0) {
            std::fprintf(stderr, "the full upload gave %d\n", cost.exitCode);
            return 1;
        }
        upload.Add(fullUpload, cost);
    }
    const double trueWall = Median(baseline.wall), truePeak = Median(baseline.peak);
    std::printf("VexalCmdCE /bogus against /bin/true (median of %d, interleaved): wall %.2fx, "
                "peak resident %.2fx (baseline %.2f ms, %.2f MiB)\n",
                kStartRuns, Median(errorExit.wall) / trueWall, Median(errorExit.peak) / truePeak,
                trueWall * 1e3, truePeak);
    const double uploadPeak = *std::max_element(upload.peak.begin(), upload.peak.end());
    std::printf("upload of a full store (%d blocks, 4.1 MB): peak resident %.2fx /bin/true "
                "(%.2f MiB)\n",
                kFullStoreBlocks, uploadPeak / Median(uploadBaseline.peak), uploadPeak);
    return 0;
}
