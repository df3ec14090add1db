// The paths that a real adapter and controller cannot take on this machine (bus
// parameters that cannot be read, a record that does not initialise, an upload store
// that fills up), through a scripted stand-in for the two libraries. The program's calls
// resolve to these definitions instead of the shared libraries'.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "block_images.h"
#include "busport.h"
#include "cpulink.h"
#include "run_line.h"
#include "temp_dir.h"

namespace {

struct Script {
    int online = 1;
    int parameters = 1;
    CpuStatus init = CPULINK_OK;
    CpuStatus open = CPULINK_OK;
    int listedBlocks = 0;
    CpuStatus listStatus = CPULINK_OK;
};

Script script;
std::vector<std::string> calls;

int Count(const std::string& name) {
    return static_cast<int>(std::count(calls.begin(), calls.end(), name));
}

}  // namespace

// The stand-ins, one a line; each notes its call.
// clang-format off
extern "C" {
int Busport_Open(void) { calls.emplace_back(__func__); return 7; }
int Busport_GoOnlineDefault(int) { calls.emplace_back(__func__); return script.online; }
void Busport_GoOffline(int) { calls.emplace_back(__func__); }
void Busport_Close(int) { calls.emplace_back(__func__); }
CpuStatus cpuBus_InitConnection(CpuConnection*, int) { calls.emplace_back(__func__); return script.init; }
CpuStatus cpuNet_InitConnection(CpuConnection*) { calls.emplace_back(__func__); return script.init; }
CpuStatus cpuBus_OpenConnection(CpuConnection*, int) { calls.emplace_back(__func__); return script.open; }
CpuStatus cpuNet_OpenConnection(CpuConnection*, uint32_t) { calls.emplace_back(__func__); return script.open; }
CpuStatus cpuLink_LogInW(CpuConnection*, const wchar_t*) { calls.emplace_back(__func__); return CPULINK_OK; }
void cpuLink_CloseConnection(CpuConnection*) { calls.emplace_back(__func__); }
void cpuLink_DestroyConnection(CpuConnection*) { calls.emplace_back(__func__); }
CpuStatus cpuLink_Stop(CpuConnection*) { calls.emplace_back(__func__); return CPULINK_OK; }
// clang-format on
int Busport_GetCurNetPrm(int, BusParameters* parameters) {
    calls.emplace_back(__func__);
    std::memset(parameters->bytes, 0, sizeof parameters->bytes);
    parameters->bytes[BUSPORT_HIGHEST_ADDRESS_BYTE] = 31;
    return script.parameters;
}
CpuStatus cpuLink_GetBlockList(CpuConnection*, int, int, int* count, uint16_t* numbers,
                               int capacity) {
    *count = std::min(script.listedBlocks, capacity);
    for (int i = 0; i < *count; ++i) numbers[i] = static_cast<uint16_t>(i);
    return script.listStatus;
}
CpuStatus cpuLink_UploadBlock(CpuConnection*, int type, uint16_t number, uint8_t* buffer,
                              uint32_t size) {
    const auto image = vexal::testing::MakeBlockImage(type, number, 40);
    if (image.size() > size) return CPULINK_BUFFER_TOO_SMALL;
    std::memcpy(buffer, image.data(), image.size());
    return CPULINK_OK;
}
}  // extern "C"

namespace vexal::cmd {
namespace {

// Whatever the run met, it releases all it acquired, and no command runs after a failure.
TEST(ScriptedLibraryTest, ConnectFailuresReleaseTheTransportAndRunNothing) {
    const struct {
        Script script;
        const char* line;
        int code;
    } cases[] = {
        {{}, "/ip 10.0.0.1 /stop", 0},
        {{.online = 0}, "/stop", -2},
        {{.parameters = 0}, "/stop", -3},
        {{.init = CPULINK_ADAPTER_OFFLINE}, "/stop", -5},
        {{.init = CPULINK_NOT_CONNECTED}, "/ip 10.0.0.1 /stop", -5},
        {{.open = CPULINK_CANNOT_CONNECT}, "/stop", -6},
        {{.open = CPULINK_CANNOT_CONNECT}, "/ip 10.0.0.1 /stop", -6},
    };
    for (const auto& c : cases) {
        script = c.script;
        calls.clear();
        EXPECT_EQ(testing::RunLine(c.line), c.code) << c.line;
        EXPECT_EQ(Count("cpuLink_Stop"), c.code == 0 ? 1 : 0) << c.line;
        EXPECT_EQ(Count("Busport_Close"), Count("Busport_Open")) << c.line;
        EXPECT_EQ(Count("Busport_GoOffline"), c.script.online ? Count("Busport_Open") : 0)
            << c.line;
        EXPECT_EQ(Count("cpuLink_DestroyConnection"),
                  Count("cpuBus_InitConnection") + Count("cpuNet_InitConnection"))
            << c.line;
    }
    // The order the libraries require, for a whole run over MPI.
    script = {};
    calls.clear();
    EXPECT_EQ(testing::RunLine("/pass pw /stop"), 0);
    EXPECT_EQ(calls, (std::vector<std::string>{
                         "Busport_Open", "Busport_GoOnlineDefault", "Busport_GetCurNetPrm",
                         "cpuBus_InitConnection", "cpuBus_OpenConnection", "cpuLink_LogInW",
                         "cpuLink_Stop", "cpuLink_CloseConnection", "cpuLink_DestroyConnection",
                         "Busport_GoOffline", "Busport_Close"}));
}

// A full store ends the upload with -273 and keeps the 4096 blocks it holds; a block
// list longer than the reply uploads its first part.
TEST(ScriptedLibraryTest, UploadKeepsWhatTheStoreAndTheBlockListHold) {
    vexal::testing::TempDir dir;
    script = {.listedBlocks = 4097};
    EXPECT_EQ(testing::RunLine("/upload DB* /fileupload \"{dir}/up.wld\"", dir.Path()), -273);
    EXPECT_EQ(vexal::testing::ReadBytes(dir.File("up.wld")).size(), 4096u * 40u);
    script = {.listedBlocks = 3, .listStatus = CPULINK_MORE_ENTRIES};
    EXPECT_EQ(testing::RunLine("/upload FC* /fileupload \"{dir}/up.wld\"", dir.Path()), 0);
    EXPECT_EQ(vexal::testing::ReadBytes(dir.File("up.wld")).size(), 3u * 40u);
}

}  // namespace
}  // namespace vexal::cmd
