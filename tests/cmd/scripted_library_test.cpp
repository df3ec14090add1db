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
    int handle = 7;
    int online = 1;
    int parameters = 1;
    uint8_t ownAddress = 0;
    CpuStatus init = CPULINK_OK;
    CpuStatus open = CPULINK_OK;
    CpuStatus login = CPULINK_OK;
    CpuStatus listStatus = CPULINK_OK;
    int listedBlocks = 0;
    std::vector<std::string> calls;
};

Script script;

void Called(const char* name) {
    script.calls.emplace_back(name);
}

}  // namespace

extern "C" {

int Busport_Open(void) {
    Called("Busport_Open");
    return script.handle;
}
int Busport_GoOnlineDefault(int) {
    Called("Busport_GoOnlineDefault");
    return script.online;
}
int Busport_GetCurNetPrm(int, BusParameters* parameters) {
    Called("Busport_GetCurNetPrm");
    std::memset(parameters->bytes, 0, sizeof parameters->bytes);
    parameters->bytes[BUSPORT_HIGHEST_ADDRESS_BYTE] = 31;
    parameters->bytes[BUSPORT_OWN_ADDRESS_BYTE] = script.ownAddress;
    return script.parameters;
}
void Busport_GoOffline(int) {
    Called("Busport_GoOffline");
}
void Busport_Close(int) {
    Called("Busport_Close");
}

CpuStatus cpuBus_InitConnection(CpuConnection*, int) {
    Called("cpuBus_InitConnection");
    return script.init;
}
CpuStatus cpuNet_InitConnection(CpuConnection*) {
    Called("cpuNet_InitConnection");
    return script.init;
}
CpuStatus cpuBus_OpenConnection(CpuConnection*, int) {
    Called("cpuBus_OpenConnection");
    return script.open;
}
CpuStatus cpuNet_OpenConnection(CpuConnection*, uint32_t) {
    Called("cpuNet_OpenConnection");
    return script.open;
}
CpuStatus cpuLink_LogInW(CpuConnection*, const wchar_t*) {
    Called("cpuLink_LogInW");
    return script.login;
}
void cpuLink_CloseConnection(CpuConnection*) {
    Called("cpuLink_CloseConnection");
}
void cpuLink_DestroyConnection(CpuConnection*) {
    Called("cpuLink_DestroyConnection");
}
CpuStatus cpuLink_Stop(CpuConnection*) {
    Called("cpuLink_Stop");
    return CPULINK_OK;
}
CpuStatus cpuLink_GetBlockList(CpuConnection*, int, int, int* count, uint16_t* numbers,
                               int capacity) {
    Called("cpuLink_GetBlockList");
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

using namespace vexal::cmd::testing;

class ScriptedLibraryTest : public ::testing::Test {
protected:
    void SetUp() override { script = Script{}; }

    int Run(const std::string& line) { return RunLine(InFolder(line, dir.Path().string())).code; }

    vexal::testing::TempDir dir;
};

TEST_F(ScriptedLibraryTest, AMpiRunCallsTheLibrariesInTheirContractOrder) {
    EXPECT_EQ(Run("/pass pw /stop"), 0);
    const std::vector<std::string> expected = {"Busport_Open",
                                               "Busport_GoOnlineDefault",
                                               "Busport_GetCurNetPrm",
                                               "cpuBus_InitConnection",
                                               "cpuBus_OpenConnection",
                                               "cpuLink_LogInW",
                                               "cpuLink_Stop",
                                               "cpuLink_CloseConnection",
                                               "cpuLink_DestroyConnection",
                                               "Busport_GoOffline",
                                               "Busport_Close"};
    EXPECT_EQ(script.calls, expected);
}

TEST_F(ScriptedLibraryTest, AdapterThatGoesNowhereIsClosedWithoutGoingOffline) {
    script.online = 0;
    EXPECT_EQ(Run("/stop"), -2);
    EXPECT_EQ(script.calls, (std::vector<std::string>{"Busport_Open", "Busport_GoOnlineDefault",
                                                      "Busport_Close"}));
}

TEST_F(ScriptedLibraryTest, ConnectFailuresReleaseTheTransportAndRunNothing) {
    script.parameters = 0;
    EXPECT_EQ(Run("/stop"), -3);
    EXPECT_EQ(script.calls.back(), "Busport_Close");
    script = Script{};
    script.init = CPULINK_ADAPTER_OFFLINE;
    EXPECT_EQ(Run("/stop"), -5);
    script.init = CPULINK_NOT_CONNECTED;
    EXPECT_EQ(Run("/ip 10.0.0.1 /stop"), -5);
    script = Script{};
    script.open = CPULINK_CANNOT_CONNECT;
    EXPECT_EQ(Run("/ip 10.0.0.1 /stop"), -6);
    for (const std::string& call : script.calls) EXPECT_NE(call, "cpuLink_Stop");
}

TEST_F(ScriptedLibraryTest, LoginConditionThatIsNoErrorLetsTheCommandsRun) {
    script.login = CPULINK_INVALID_ARGUMENT;
    EXPECT_EQ(Run("/pass /stop"), 0);
    script.login = CPULINK_PASSWORD_REFUSED;
    EXPECT_EQ(Run("/pass x /stop"), -10);
}

TEST_F(ScriptedLibraryTest, AFullUploadStoreEndsTheUploadAndKeepsWhatItHolds) {
    script.listedBlocks = 4097;
    EXPECT_EQ(Run("/upload DB* /fileupload \"{dir}/up.wld\""), -273);
    EXPECT_EQ(vexal::testing::ReadBytes(dir.File("up.wld")).size(), 4096u * 40u);
}

TEST_F(ScriptedLibraryTest, OnlyTheFirstPartOfALongBlockListIsUploaded) {
    script.listedBlocks = 3;
    script.listStatus = CPULINK_MORE_ENTRIES;
    EXPECT_EQ(Run("/upload FC* /fileupload \"{dir}/up.wld\""), 0);
    EXPECT_EQ(vexal::testing::ReadBytes(dir.File("up.wld")).size(), 3u * 40u);
}

}  // namespace
}  // namespace vexal::cmd
