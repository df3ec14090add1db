// Uploading a 500-block program with "/upload OB*,FB*,FC*,DB*" from the simulator, per
// block, against the library uploading the same blocks on one open connection in the same
// run. The difference is what the program adds: its connection set-up, its upload store
// and the upload file.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "block_store.h"
#include "cpulink.h"
#include "demo_project.h"
#include "run.h"
#include "loopback_simulator.h"
#include "simulator.h"
#include "stopwatch.h"
#include "temp_dir.h"

namespace {

using vexal::testing::Seconds;
using Bytes = std::vector<uint8_t>;

constexpr int kBlocks = 500;
constexpr int kRuns = 9;

// OBs, FBs, FCs and DBs of 200 bytes to 20 KiB, about 1.5 MB in all.
std::vector<Bytes> MakeProgram() {
    std::vector<Bytes> blocks;
    const int types[] = {BLOCK_TYPE_OB, BLOCK_TYPE_FB, BLOCK_TYPE_FC, BLOCK_TYPE_DB};
    for (int i = 0; i < kBlocks; ++i) {
        // Mostly small blocks, every tenth a large one, as in real programs.
        const uint32_t spread = i % 10 == 0 ? 20300 : 4000;
        const uint32_t code = 110 + static_cast<uint32_t>(i * 7919) % spread;
        blocks.push_back(vexal::MakeDemoBlock(types[i % 4], static_cast<uint16_t>(i / 4 + 1), code,
                                              static_cast<uint32_t>(i)));
    }
    return blocks;
}

void WriteProgram(const std::string& path, const std::vector<Bytes>& blocks) {
    Bytes bytes;
    for (const Bytes& block : blocks) bytes.insert(bytes.end(), block.begin(), block.end());
    vexal::testing::WriteBytes(path, bytes);
}

void UploadThroughTheLibrary() {
    static CpuConnection connection;
    static uint16_t numbers[16384];
    static uint8_t buffer[vexal::kMaxBlockImage];
    if (cpuNet_InitConnection(&connection) != CPULINK_OK) std::abort();
    if (cpuNet_OpenConnection(&connection, StationKey_FromOctets(127, 0, 0, 1)) != CPULINK_OK) {
        std::abort();
    }
    int uploaded = 0;
    for (int type = BLOCK_TYPE_OB; type <= BLOCK_TYPE_DB; ++type) {
        int count = 0;
        if (cpuLink_GetBlockList(&connection, type, 0, &count, numbers, 16384) != CPULINK_OK) {
            std::abort();
        }
        for (int i = 0; i < count; ++i) {
            if (cpuLink_UploadBlock(&connection, type, numbers[i], buffer, sizeof buffer) != 0) {
                std::abort();
            }
            ++uploaded;
        }
    }
    if (uploaded != kBlocks) std::abort();
    cpuLink_CloseConnection(&connection);
    cpuLink_DestroyConnection(&connection);
}

}  // namespace

int main() {
    vexal::testing::TempDir dir;
    WriteProgram(dir.File("program.wld"), MakeProgram());
    vexal::sim::SimOptions options = vexal::testing::LoopbackOptions();
    options.programFile = dir.File("program.wld");
    vexal::sim::Simulator simulator(options);
    if (!vexal::testing::StartOnLoopback(simulator)) return 1;
    const std::string upload = dir.File("up.wld");
    const std::wstring line = L"/ip 127.0.0.1 /upload OB*,FB*,FC*,DB* /fileupload \"" +
                              std::wstring(upload.begin(), upload.end()) + L"\"";
    // Interleaved, fastest of each: on a shared machine the slower runs measure the
    // neighbours, and interleaving spreads their load over both sides.
    double library = 1e9;
    double program = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        library = std::min(library, Seconds(UploadThroughTheLibrary));
        program = std::min(program, Seconds([&] {
                               if (vexal::cmd::RunCommandLine(line.c_str(), stderr) != 0) {
                                   std::abort();
                               }
                           }));
    }
    std::printf(
        "upload of %d blocks | VexalCmdCE %.1f us per block | library %.1f us per block | "
        "ratio %.2fx the library's exchange time\n",
        kBlocks, program * 1e6 / kBlocks, library * 1e6 / kBlocks, program / library);
    return 0;
}
