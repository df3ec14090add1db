// The simulator's fault options: dropped connections, slow answers, a password, a
// protected block and a refused list.
#include <functional>

#include "block_images.h"
#include "demo_project.h"
#include "link_fixture.h"
#include "tcp_socket.h"

namespace vexal::testing {
namespace {

using LinkFaults = LinkTest;

// A link dropped at any request of an operation spanning several is lost and stays closed.
TEST_F(LinkFaults, AConnectionDroppedAtAnyRequestIsLostAndStaysClosed) {
    const auto image = MakeDemoBlock(BLOCK_TYPE_FC, 900, 300);
    uint16_t numbers[100];
    int count = 0;
    const std::pair<const char*, std::function<CpuStatus()>> operations[] = {
        {"list",
         [&] { return cpuLink_GetBlockList(&record, BLOCK_TYPE_FC, 0, &count, numbers, 100); }},
        {"upload", [&] { return UploadStatus(BLOCK_TYPE_OB, 80); }},
        {"download", [&] { return cpuLink_DownloadBlock(&record, image.data()); }},
    };
    sim::SimOptions options;
    options.maxPdu = 128;
    for (const auto& [name, call] : operations) {
        SCOPED_TRACE(name);
        options.dropAfter = 0;
        StartAndOpen(options);
        const uint64_t before = Requests();
        ASSERT_EQ(call(), CPULINK_OK);
        const uint64_t requests = Requests() - before;
        ASSERT_GE(requests, 2u);
        for (uint32_t position = 1; position <= requests; ++position) {
            options.dropAfter = position + 1;  // the set-up is request 1
            StartAndOpen(options);
            EXPECT_EQ(call(), CPULINK_CONNECTION_LOST) << "request " << position;
            EXPECT_EQ(call(), CPULINK_NOT_CONNECTED) << "request " << position;
        }
    }
}

TEST_F(LinkFaults, SlowAnswersTimeOutWithinTheTimeOutButLongJobsGetTheTimeTheCallerAllows) {
    sim::SimOptions options;
    options.delayMs = 600;
    options.mode = sim::OperatingMode::kStop;
    StartSimulator(options);
    const int timeoutMs = 300;
    SetLinkSettings(simulator->Port(), timeoutMs, 5000);
    ASSERT_EQ(Open(), CPULINK_OK);
    EXPECT_EQ(cpuLink_CompressMemory(&record, 5000), CPULINK_OK);
    EXPECT_EQ(cpuLink_CopyRamToRom(&record, 5000), CPULINK_OK);
    CpuClock clock{};
    const int64_t start = platform::MonotonicMs();
    EXPECT_EQ(cpuLink_GetClock(&record, &clock), CPULINK_TIMEOUT);
    const int64_t elapsed = platform::MonotonicMs() - start;
    EXPECT_GE(elapsed, timeoutMs - 10);
    EXPECT_LE(elapsed, timeoutMs + timeoutMs / 2);
    EXPECT_EQ(cpuLink_GetClock(&record, &clock), CPULINK_NOT_CONNECTED) << "the link is closed";
}

TEST_F(LinkFaults, APasswordGuardsJobsAndAWrongOneDropsTheLink) {
    sim::SimOptions options;
    options.password = "ABC";
    StartAndOpen(options);
    const auto image = MakeDemoBlock(BLOCK_TYPE_FC, 900, 300);
    std::vector<Variable> flag = {Variable(kFlags, kByte, 0)};
    EXPECT_EQ(cpuLink_Stop(&record), CPULINK_ACCESS_DENIED);
    EXPECT_EQ(cpuLink_DeleteBlock(&record, BLOCK_TYPE_FC, 1), CPULINK_ACCESS_DENIED);
    EXPECT_EQ(cpuLink_DownloadBlock(&record, image.data()), CPULINK_ACCESS_DENIED);
    EXPECT_EQ(UploadStatus(BLOCK_TYPE_FC, 1), CPULINK_ACCESS_DENIED);
    EXPECT_EQ(Write(flag), CPULINK_ACCESS_DENIED);
    EXPECT_EQ(Read(flag), CPULINK_OK) << "reading stays allowed";

    CpuClock clock{};
    for (const wchar_t* wrong : {L"abc", L""}) {
        EXPECT_EQ(cpuLink_LogInW(&record, wrong), CPULINK_PASSWORD_REFUSED);
        EXPECT_EQ(cpuLink_GetClock(&record, &clock), CPULINK_NOT_CONNECTED);
        ASSERT_EQ(Open(), CPULINK_OK);
    }
    EXPECT_EQ(cpuLink_LogInW(&record, L"ABC"), CPULINK_OK);
    EXPECT_EQ(UploadStatus(BLOCK_TYPE_FC, 1), CPULINK_OK);
    EXPECT_EQ(cpuLink_DownloadBlock(&record, image.data()), CPULINK_OK);
    EXPECT_EQ(Write(flag), CPULINK_OK);
    EXPECT_EQ(cpuLink_Stop(&record), CPULINK_OK);
    EXPECT_EQ(cpuLink_LogInW(&record, L"ABC"), CPULINK_OK) << "logging in twice is harmless";
}

TEST_F(LinkFaults, AProtectedBlockRefusesDeleteAndOverwriteButNotUploadARefusedListIsNotFound) {
    sim::SimOptions options;
    options.protectedBlocks.insert(BlockRef_Pack(BLOCK_TYPE_FC, 2));
    options.refusedLists.insert(0x001B);
    StartAndOpen(options);
    EXPECT_EQ(cpuLink_DeleteBlock(&record, BLOCK_TYPE_FC, 2), CPULINK_BLOCK_PROTECTED);
    const auto image = MakeDemoBlock(BLOCK_TYPE_FC, 2, 300);
    EXPECT_EQ(cpuLink_DownloadBlock(&record, image.data()), CPULINK_BLOCK_PROTECTED);
    EXPECT_EQ(Upload(BLOCK_TYPE_FC, 2), Controller().CurrentImage(BLOCK_TYPE_FC, 2));
    EXPECT_EQ(cpuLink_DeleteBlock(&record, BLOCK_TYPE_FC, 4), CPULINK_OK) << "others stay free";
    EXPECT_EQ(ReadList(0x001B).status, CPULINK_NOT_FOUND);
    EXPECT_EQ(ReadList(0x0013).status, CPULINK_OK);
}

}  // namespace
}  // namespace vexal::testing
