#include <functional>

#include "link_fixture.h"

namespace vexal::testing {
namespace {

using LinkConnection = LinkTest;

TEST_F(LinkConnection, OpensAgainstTheSimulatorAndClosesCleanly) {
    StartAndOpen();
    CpuClock clock{};
    EXPECT_EQ(cpuLink_GetClock(&record, &clock), CPULINK_OK);
    cpuLink_CloseConnection(&record);
    EXPECT_EQ(cpuLink_GetClock(&record, &clock), CPULINK_NOT_CONNECTED);
    EXPECT_EQ(Open(), CPULINK_OK) << "a closed record opens again";
}

TEST_F(LinkConnection, EveryControllerCallWithoutAnOpenLinkReportsNotConnected) {
    cpuNet_InitConnection(&record);
    uint8_t buffer[64] = {};
    uint16_t length = 0, count16 = 0;
    int count = 0;
    CpuClock clock{};
    uint32_t value = 0;
    VariableDescriptor variable{1, 0x83, 0x02, 0, 0, 1, 0, 0, &value};
    VariableDescriptor* variables[] = {&variable};
    const std::vector<std::function<CpuStatus()>> calls = {
        [&] { return cpuLink_LogInW(&record, L"secret"); },
        [&] { return cpuLink_GetClock(&record, &clock); },
        [&] { return cpuLink_SetClock(&record, &clock); },
        [&] { return cpuLink_GetBlockList(&record, 0, 0, &count, nullptr, 0); },
        [&] { return cpuLink_UploadBlock(&record, 0, 1, buffer, sizeof buffer); },
        [&] { return cpuLink_DownloadBlock(&record, buffer); },
        [&] { return cpuLink_DeleteBlock(&record, 0, 1); },
        [&] { return cpuLink_CompressMemory(&record, 30000); },
        [&] { return cpuLink_CopyRamToRom(&record, 120000); },
        [&] { return cpuLink_Clear(&record); },
        [&] { return cpuLink_Stop(&record); },
        [&] { return cpuLink_WarmRestart(&record); },
        [&] { return cpuLink_ReadSsl(&record, 0x19, 0, &length, &count16, buffer, sizeof buffer); },
        [&] { return cpuLink_ReadVariables(&record, variables, 1); },
        [&] { return cpuLink_WriteVariables(&record, variables, 1); },
    };
    for (size_t i = 0; i < calls.size(); ++i) EXPECT_EQ(calls[i](), CPULINK_NOT_CONNECTED) << i;
    CpuConnection never{};
    EXPECT_EQ(cpuLink_Stop(&never), CPULINK_NOT_CONNECTED) << "a record never initialised";
}

TEST_F(LinkConnection, NoListeningControllerCannotBeConnected) {
    StartSimulator();
    const uint16_t port = simulator->Port();
    simulator->Stop();
    SetLinkSettings(port);
    EXPECT_EQ(Open(), CPULINK_CANNOT_CONNECT);
}

TEST_F(LinkConnection, OpeningAnOpenRecordReplacesTheOldLink) {
    StartAndOpen();
    ASSERT_EQ(Open(), CPULINK_OK);
    CpuClock clock{};
    EXPECT_EQ(cpuLink_GetClock(&record, &clock), CPULINK_OK);
}

TEST_F(LinkConnection, NegotiatesThePduSizeTheControllerGrants) {
    sim::SimOptions options;
    options.maxPdu = 480;
    StartAndOpen(options);
    // 40 byte variables need two jobs of 20 items; the granted size changes nothing else.
    std::vector<Variable> variables;
    for (uint32_t i = 0; i < 40; ++i) variables.emplace_back(0x83, 0x02, i);
    auto pointers = Pointers(variables);
    const uint64_t before = simulator->RequestCount();
    EXPECT_EQ(cpuLink_ReadVariables(&record, pointers.data(), 40), CPULINK_OK);
    EXPECT_EQ(simulator->RequestCount() - before, 2u);
}

TEST_F(LinkConnection, DestroyedRecordsAreAllZeroAndSafeToDestroyAgain) {
    StartAndOpen();
    cpuLink_DestroyConnection(&record);
    for (unsigned char byte : record.bytes) ASSERT_EQ(byte, 0);
    cpuLink_DestroyConnection(&record);
    EXPECT_EQ(cpuLink_Stop(&record), CPULINK_NOT_CONNECTED);
}

TEST_F(LinkConnection, EightConnectionsWorkAtOnce) {
    StartSimulator();
    CpuConnection records[8] = {};
    for (CpuConnection& r : records) {
        cpuNet_InitConnection(&r);
        ASSERT_EQ(cpuNet_OpenConnection(&r, kLoopback), CPULINK_OK);
    }
    for (CpuConnection& r : records) {
        CpuClock clock{};
        EXPECT_EQ(cpuLink_GetClock(&r, &clock), CPULINK_OK);
    }
    for (CpuConnection& r : records) cpuLink_DestroyConnection(&r);
}

class LinkPassword : public LinkTest {
protected:
    void SetUp() override {
        sim::SimOptions options;
        options.password = "ABC";
        StartAndOpen(options);
    }
};

TEST_F(LinkPassword, ProtectedJobsAreDeniedUntilTheRightPasswordIsGiven) {
    EXPECT_EQ(cpuLink_Stop(&record), CPULINK_ACCESS_DENIED);
    EXPECT_EQ(cpuLink_DeleteBlock(&record, BLOCK_TYPE_FC, 1), CPULINK_ACCESS_DENIED);
    std::vector<uint8_t> buffer(200000);
    EXPECT_EQ(cpuLink_UploadBlock(&record, BLOCK_TYPE_FC, 1, buffer.data(), 200000),
              CPULINK_ACCESS_DENIED);
    Variable flag(0x83, 0x02, 0);
    VariableDescriptor* one[] = {&flag.descriptor};
    EXPECT_EQ(cpuLink_WriteVariables(&record, one, 1), CPULINK_ACCESS_DENIED);
    EXPECT_EQ(cpuLink_ReadVariables(&record, one, 1), CPULINK_OK) << "reading stays allowed";

    EXPECT_EQ(cpuLink_LogInW(&record, L"ABC"), CPULINK_OK);
    EXPECT_EQ(cpuLink_UploadBlock(&record, BLOCK_TYPE_FC, 1, buffer.data(), 200000), CPULINK_OK);
    EXPECT_EQ(cpuLink_WriteVariables(&record, one, 1), CPULINK_OK);
    EXPECT_EQ(cpuLink_Stop(&record), CPULINK_OK);
    EXPECT_EQ(cpuLink_LogInW(&record, L"ABC"), CPULINK_OK) << "logging in twice is harmless";
}

TEST_F(LinkPassword, AWrongPasswordIsRefusedAndDropsTheLink) {
    EXPECT_EQ(cpuLink_LogInW(&record, L"abc"), CPULINK_PASSWORD_REFUSED);
    CpuClock clock{};
    EXPECT_EQ(cpuLink_GetClock(&record, &clock), CPULINK_NOT_CONNECTED);
}

TEST_F(LinkPassword, PasswordsThatCannotBeSentAreRefusedBeforeSending) {
    for (const wchar_t* bad : {L"", L"NINECHARS", L"\u00e4bc"}) {
        EXPECT_EQ(cpuLink_LogInW(&record, bad), CPULINK_INVALID_ARGUMENT);
    }
    EXPECT_EQ(cpuLink_LogInW(&record, nullptr), CPULINK_INVALID_ARGUMENT);
    CpuClock clock{};
    EXPECT_EQ(cpuLink_GetClock(&record, &clock), CPULINK_OK) << "the link stays open";
}

TEST_F(LinkConnection, LoggingInToAControllerWithoutPasswordSucceeds) {
    StartAndOpen();
    EXPECT_EQ(cpuLink_LogInW(&record, L"any"), CPULINK_OK);
}

}  // namespace
}  // namespace vexal::testing
