// A plant of simulators backed up by vexal-backup against a shell loop of VexalCmdCE
// uploads over the same stations, in the same run, and vexal-backup's cost per station as
// the plant grows. Three programs of different sizes are spread over the stations and
// every fourth station answers 2 ms late.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "child_process.h"
#include "demo_project.h"
#include "loopback_simulator.h"
#include "temp_dir.h"

namespace {

using vexal::bench::BuildProgram;
using vexal::bench::RunProgram;
using Bytes = std::vector<uint8_t>;

constexpr int kPlantSizes[] = {8, 16, 32, 48};
constexpr int kCompared = 32;
constexpr int kJobs[] = {4, 8};
constexpr uint32_t kLateAnswerMs = 2;

void WriteProgram(const std::string& path, int blocks, uint32_t seed) {
    const int types[] = {BLOCK_TYPE_OB, BLOCK_TYPE_FB, BLOCK_TYPE_FC, BLOCK_TYPE_DB};
    Bytes bytes;
    for (int i = 0; i < blocks; ++i) {
        const uint32_t code = 100 + (static_cast<uint32_t>(i) * 7919 + seed) % 3000;
        const Bytes block =
            vexal::MakeDemoBlock(types[i % 4], static_cast<uint16_t>(i / 4 + 1), code, seed + i);
        bytes.insert(bytes.end(), block.begin(), block.end());
    }
    vexal::testing::WriteBytes(path, bytes);
}

std::string Address(int station) {
    return "127.0.1." + std::to_string(station + 1);
}

class Plant {
public:
    explicit Plant(const vexal::testing::TempDir& dir) : dir_(dir) {
        WriteProgram(dir.File("small.wld"), 24, 1);
        WriteProgram(dir.File("large.wld"), 160, 2);
    }

    bool Start(int stations) {
        const char* programs[] = {"", "small.wld", "large.wld"};
        for (int i = 0; i < stations; ++i) {
            vexal::sim::SimOptions options;
            options.listen = {{Address(i), port_}};
            if (i % 3 != 0) options.programFile = dir_.File(programs[i % 3]);
            if (i % 4 == 3) options.delayMs = kLateAnswerMs;
            auto simulator = std::make_unique<vexal::sim::Simulator>(options);
            std::string error;
            if (!simulator->Start(&error)) {
                std::fprintf(stderr, "station %d: %s\n", i, error.c_str());
                return false;
            }
            if (port_ == 0) port_ = simulator->Port();
            simulators_.push_back(std::move(simulator));
        }
        setenv("VEXAL_S7_PORT", std::to_string(port_).c_str(), 1);
        return true;
    }

    // The plant file of the first `stations` stations.
    std::string PlantFile(int stations) const {
        const std::string path = dir_.File("plant" + std::to_string(stations));
        std::string text;
        for (int i = 0; i < stations; ++i)
            text += "s" + std::to_string(i) + " ip " + Address(i) + "\n";
        vexal::testing::WriteBytes(path, Bytes(text.begin(), text.end()));
        return path;
    }

private:
    const vexal::testing::TempDir& dir_;
    uint16_t port_ = 0;
    std::vector<std::unique_ptr<vexal::sim::Simulator>> simulators_;
};

double Shell(const std::string& script) {
    const vexal::bench::RunCost cost = RunProgram({"/bin/sh", "-c", script});
    if (cost.exitCode < 0 || cost.exitCode > 1)
        std::fprintf(stderr, "exit %d: %s\n", cost.exitCode, script.c_str());
    return cost.wallSeconds;
}

double BackUp(const std::string& plant, const std::string& archive, int jobs) {
    return Shell("rm -rf " + archive + " && " + BuildProgram("vexal-backup") + " " + plant + " " +
                 archive + " --jobs " + std::to_string(jobs) + " > /dev/null 2>&1");
}

double UploadLoop(int stations, const std::string& folder) {
    std::string script = "for i in $(seq 0 " + std::to_string(stations - 1) + "); do " +
                         BuildProgram("VexalCmdCE") +
                         " /ip 127.0.1.$((i + 1)) /upload 'OB*,FB*,FC*,DB*,SDB*' /fileupload " +
                         folder + "/$i.wld > /dev/null; done; true";
    return Shell(script);
}

}  // namespace

int main() {
    vexal::testing::TempDir dir;
    Plant plant(dir);
    if (!plant.Start(kPlantSizes[std::size(kPlantSizes) - 1])) return 1;
    const std::string archive = dir.File("archive");

    const std::string compared = plant.PlantFile(kCompared);
    const double loop = UploadLoop(kCompared, dir.Path().string());
    std::printf("%d stations | shell loop of VexalCmdCE uploads %.2f s\n", kCompared, loop);
    for (int jobs : kJobs) {
        const double backup = BackUp(compared, archive, jobs);
        std::printf("%d stations | vexal-backup --jobs %d %.2f s | %.2fx the loop's wall time\n",
                    kCompared, jobs, backup, backup / loop);
    }
    double first = 0;
    for (int stations : kPlantSizes) {
        const double perStation = BackUp(plant.PlantFile(stations), archive, 4) / stations;
        if (first == 0) first = perStation;
        std::printf(
            "%2d stations | vexal-backup --jobs 4 %.1f ms per station | %.2fx the cost "
            "per station of %d\n",
            stations, perStation * 1e3, perStation / first, kPlantSizes[0]);
    }
    return 0;
}
