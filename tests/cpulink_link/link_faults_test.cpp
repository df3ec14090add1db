#include <functional>

#include "demo_project.h"
#include "link_fixture.h"
#include "tcp_socket.h"

namespace vexal::testing {
namespace {

using Operation = std::function<CpuStatus(CpuConnection*)>;

struct FaultCase {
    const char* name;
    uint16_t pdu;
    Operation operation;
};

CpuStatus ListFunctions(CpuConnection* record) {
    uint16_t numbers[100];
    int count = 0;
    return cpuLink_GetBlockList(record, BLOCK_TYPE_FC, 0, &count, numbers, 100);
}

CpuStatus UploadOrganisationBlock(CpuConnection* record) {
    std::vector<uint8_t> buffer(135168);
    return cpuLink_UploadBlock(record, BLOCK_TYPE_OB, 80, buffer.data(), 135168);
}

CpuStatus DownloadFunction(CpuConnection* record) {
    const auto image = MakeDemoBlock(BLOCK_TYPE_FC, 900, 300);
    return cpuLink_DownloadBlock(record, image.data());
}

void PrintTo(const FaultCase& fault, std::ostream* out) {
    *out << fault.name;
}

const FaultCase kFaultCases[] = {
    {"list", 128, ListFunctions},
    {"upload", 128, UploadOrganisationBlock},
    {"download", 128, DownloadFunction},
};

class LinkDrop : public LinkTest, public ::testing::WithParamInterface<FaultCase> {
protected:
    // The requests an operation sends, the set-up not counted.
    uint64_t RequestsOf(const FaultCase& fault) {
        sim::SimOptions options;
        options.maxPdu = fault.pdu;
        StartAndOpen(options);
        const uint64_t before = simulator->RequestCount();
        EXPECT_EQ(fault.operation(&record), CPULINK_OK);
        const uint64_t requests = simulator->RequestCount() - before;
        cpuLink_CloseConnection(&record);
        simulator->Stop();
        return requests;
    }
};

TEST_P(LinkDrop, AConnectionDroppedAtAnyRequestIsLostAndStaysClosed) {
    const FaultCase& fault = GetParam();
    const uint64_t requests = RequestsOf(fault);
    ASSERT_GE(requests, 2u) << "each operation spans several requests";
    for (uint64_t position = 1; position <= requests; ++position) {
        sim::SimOptions options;
        options.maxPdu = fault.pdu;
        options.dropAfter = static_cast<uint32_t>(position + 1);  // the set-up is request 1
        StartAndOpen(options);
        EXPECT_EQ(fault.operation(&record), CPULINK_CONNECTION_LOST) << "request " << position;
        EXPECT_EQ(fault.operation(&record), CPULINK_NOT_CONNECTED) << "request " << position;
        simulator->Stop();
    }
}

INSTANTIATE_TEST_SUITE_P(Operations, LinkDrop, ::testing::ValuesIn(kFaultCases),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(LinkTest, ADropDuringTheSetUpMeansNoConnection) {
    sim::SimOptions options;
    options.dropAfter = 1;
    StartSimulator(options);
    EXPECT_EQ(Open(), CPULINK_CANNOT_CONNECT);
}

TEST_F(LinkTest, AnAnswerLaterThanTheTimeOutEndsTheLinkWithinTheTimeOut) {
    sim::SimOptions options;
    options.delayMs = 1500;
    StartSimulator(options);
    const int timeoutMs = 400;
    SetLinkSettings(simulator->Port(), timeoutMs, 5000);
    ASSERT_EQ(Open(), CPULINK_OK);
    CpuClock clock{};
    const int64_t start = platform::MonotonicMs();
    EXPECT_EQ(cpuLink_GetClock(&record, &clock), CPULINK_TIMEOUT);
    EXPECT_LE(platform::MonotonicMs() - start, timeoutMs * 11 / 10);
    EXPECT_EQ(cpuLink_GetClock(&record, &clock), CPULINK_NOT_CONNECTED);
}

TEST_F(LinkTest, ASetUpAnswerLaterThanTheConnectTimeOutIsATimeOut) {
    sim::SimOptions options;
    options.delayMs = 1500;
    StartSimulator(options);
    SetLinkSettings(simulator->Port(), 3000, 300);
    EXPECT_EQ(Open(), CPULINK_TIMEOUT);
}

TEST_F(LinkTest, SlowControllerJobsGetTheTimeTheCallerAllows) {
    sim::SimOptions options;
    options.delayMs = 700;
    options.mode = sim::OperatingMode::kStop;
    StartSimulator(options);
    SetLinkSettings(simulator->Port(), 300, 5000);
    ASSERT_EQ(Open(), CPULINK_OK);
    EXPECT_EQ(cpuLink_CompressMemory(&record, 5000), CPULINK_OK);
    EXPECT_EQ(cpuLink_CopyRamToRom(&record, 5000), CPULINK_OK);
    EXPECT_EQ(cpuLink_CompressMemory(&record, 200), CPULINK_TIMEOUT);
}

}  // namespace
}  // namespace vexal::testing
