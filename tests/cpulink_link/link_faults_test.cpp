// The simulator's fault options: dropped connections, slow answers, a password, a
// protected block and a refused list.
#include "block_images.h"
#include "demo_project.h"
#include "link_fixture.h"
#include "misbehaving_peer.h"
#include "tcp_socket.h"

namespace vexal::testing {
namespace {

CpuStatus ListFunctions(CpuConnection* record) {
    uint16_t numbers[100];
    int count = 0;
    return cpuLink_GetBlockList(record, BLOCK_TYPE_FC, 0, &count, numbers, 100);
}

CpuStatus UploadOrganisationBlock(CpuConnection* record) {
    std::vector<uint8_t> buffer(kUploadBuffer);
    return cpuLink_UploadBlock(record, BLOCK_TYPE_OB, 80, buffer.data(), kUploadBuffer);
}

CpuStatus DownloadFunction(CpuConnection* record) {
    const auto image = MakeDemoBlock(BLOCK_TYPE_FC, 900, 300);
    return cpuLink_DownloadBlock(record, image.data());
}

struct Operation {
    const char* name;
    CpuStatus (*call)(CpuConnection*);
};

void PrintTo(const Operation& operation, std::ostream* out) {
    *out << operation.name;
}

class LinkDrop : public LinkTest, public ::testing::WithParamInterface<Operation> {
protected:
    void StartDroppingAt(uint32_t request) {
        sim::SimOptions options;
        options.maxPdu = 128;
        options.dropAfter = request;
        StartAndOpen(options);
    }
};

TEST_P(LinkDrop, AConnectionDroppedAtAnyRequestIsLostAndStaysClosed) {
    const auto call = GetParam().call;
    StartDroppingAt(0);
    const uint64_t before = Requests();
    ASSERT_EQ(call(&record), CPULINK_OK);
    const uint64_t requests = Requests() - before;
    ASSERT_GE(requests, 2u) << "each operation spans several requests";
    for (uint32_t position = 1; position <= requests; ++position) {
        StartDroppingAt(position + 1);  // the set-up is request 1
        EXPECT_EQ(call(&record), CPULINK_CONNECTION_LOST) << "request " << position;
        EXPECT_EQ(call(&record), CPULINK_NOT_CONNECTED) << "request " << position;
    }
}

INSTANTIATE_TEST_SUITE_P(Operations, LinkDrop,
                         ::testing::Values(Operation{"list", ListFunctions},
                                           Operation{"upload", UploadOrganisationBlock},
                                           Operation{"download", DownloadFunction}),
                         [](const auto& test) { return std::string(test.param.name); });

using LinkFaults = LinkTest;

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
    CpuStatus upload = 0;
    EXPECT_EQ(cpuLink_Stop(&record), CPULINK_ACCESS_DENIED);
    EXPECT_EQ(cpuLink_DeleteBlock(&record, BLOCK_TYPE_FC, 1), CPULINK_ACCESS_DENIED);
    EXPECT_EQ(cpuLink_DownloadBlock(&record, image.data()), CPULINK_ACCESS_DENIED);
    Upload(BLOCK_TYPE_FC, 1, &upload);
    EXPECT_EQ(upload, CPULINK_ACCESS_DENIED);
    EXPECT_EQ(Write(flag), CPULINK_ACCESS_DENIED);
    EXPECT_EQ(Read(flag), CPULINK_OK) << "reading stays allowed";

    CpuClock clock{};
    for (const wchar_t* wrong : {L"abc", L""}) {
        EXPECT_EQ(cpuLink_LogInW(&record, wrong), CPULINK_PASSWORD_REFUSED);
        EXPECT_EQ(cpuLink_GetClock(&record, &clock), CPULINK_NOT_CONNECTED);
        ASSERT_EQ(Open(), CPULINK_OK);
    }
    EXPECT_EQ(cpuLink_LogInW(&record, L"ABC"), CPULINK_OK);
    Upload(BLOCK_TYPE_FC, 1, &upload);
    EXPECT_EQ(upload, CPULINK_OK);
    EXPECT_EQ(cpuLink_DownloadBlock(&record, image.data()), CPULINK_OK);
    EXPECT_EQ(Write(flag), CPULINK_OK);
    EXPECT_EQ(cpuLink_Stop(&record), CPULINK_OK);
    EXPECT_EQ(cpuLink_LogInW(&record, L"ABC"), CPULINK_OK) << "logging in twice is harmless";
}

TEST_F(LinkFaults, AProtectedBlockRefusesDeleteAndOverwriteButNotUpload) {
    sim::SimOptions options;
    options.protectedBlocks.insert(BlockRef_Pack(BLOCK_TYPE_FC, 2));
    StartAndOpen(options);
    EXPECT_EQ(cpuLink_DeleteBlock(&record, BLOCK_TYPE_FC, 2), CPULINK_BLOCK_PROTECTED);
    const auto image = MakeDemoBlock(BLOCK_TYPE_FC, 2, 300);
    EXPECT_EQ(cpuLink_DownloadBlock(&record, image.data()), CPULINK_BLOCK_PROTECTED);
    EXPECT_EQ(Upload(BLOCK_TYPE_FC, 2), Controller().CurrentImage(BLOCK_TYPE_FC, 2));
    EXPECT_EQ(cpuLink_DeleteBlock(&record, BLOCK_TYPE_FC, 4), CPULINK_OK) << "others stay free";
}

TEST_F(LinkFaults, ARefusedListIsNotFoundAndOthersAnswerAsUsual) {
    sim::SimOptions options;
    options.refusedLists.insert(0x001B);
    StartAndOpen(options);
    EXPECT_EQ(ReadList(0x001B).status, CPULINK_NOT_FOUND);
    EXPECT_EQ(ReadList(0x0013).status, CPULINK_OK);
}

Bytes WithByte(Bytes image, size_t at, uint8_t value) {
    image[at] = value;
    return image;
}

// Every upload of OB1 from a peer that serves something else is a protocol error; the
// peer's chunks stop being asked for once the block cannot be that long.
TEST_F(LinkFaults, AnUploadThatIsNotTheBlockAskedForIsAProtocolError) {
    const Bytes ob1 = MakeBlockImage(BLOCK_TYPE_OB, 1, 300);
    const struct {
        const char* name;
        UploadFault fault;
        CpuStatus status;
        int maxUploadRequests;
    } cases[] = {
        {"the block itself", {ob1, 300}, CPULINK_OK, 2},
        {"without announced length", {ob1}, CPULINK_OK, 2},
        {"another block", {MakeBlockImage(BLOCK_TYPE_FB, 7, 300), 300}, CPULINK_PROTOCOL_ERROR, 2},
        {"another number", {WithByte(ob1, 7, 2), 300}, CPULINK_PROTOCOL_ERROR, 2},
        {"no block marker", {WithByte(ob1, 1, 0x71), 300}, CPULINK_PROTOCOL_ERROR, 2},
        {"length field short", {WithByte(ob1, 10, 0), 300}, CPULINK_PROTOCOL_ERROR, 2},
        {"length field long", {WithByte(ob1, 10, 2)}, CPULINK_PROTOCOL_ERROR, 2},
        {"announced longer", {ob1, 301}, CPULINK_PROTOCOL_ERROR, 2},
        {"announced shorter", {ob1, 299}, CPULINK_PROTOCOL_ERROR, 2},
        {"endless more data", {ob1, 300, true}, CPULINK_PROTOCOL_ERROR, 3},
        {"endless, nothing announced", {ob1, 0, true}, CPULINK_PROTOCOL_ERROR, 3},
        // 65836 bytes in chunks of 200 and 100.
        {"endless, long length field", {WithByte(ob1, 9, 1), 0, true}, CPULINK_PROTOCOL_ERROR,
         440},
    };
    for (const auto& c : cases) {
        MisbehavingPeer peer(1, c.fault);
        SetLinkSettings(peer.Port(), 1000);
        ASSERT_EQ(Open(), CPULINK_OK) << c.name;
        CpuStatus status = 0;
        const Bytes image = Upload(BLOCK_TYPE_OB, 1, &status);
        EXPECT_EQ(status, c.status) << c.name;
        if (status == CPULINK_OK) {
            EXPECT_EQ(image, ob1) << c.name;
        }
        EXPECT_LE(peer.UploadRequests(), c.maxUploadRequests) << c.name;
        cpuLink_CloseConnection(&record);
    }
}

}  // namespace
}  // namespace vexal::testing
