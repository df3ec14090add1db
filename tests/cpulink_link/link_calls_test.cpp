// Every link call against the simulated controller, with the statuses it can cause.
#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <thread>
#include <tuple>

#include "block_facts.h"
#include "block_images.h"
#include "demo_project.h"
#include "link_fixture.h"
#include "sim_bytes.h"
#include "sim_clock.h"
#include "table_file.h"

namespace vexal::testing {
namespace {

std::vector<uint16_t> ControllerNumbers(const sim::PlcController& controller, int type) {
    std::vector<uint16_t> numbers;
    const BlockStore& blocks = controller.Blocks();
    for (int p = 0; p < blocks.BlockCount(); ++p) {
        if (blocks.EntryAt(p).type == type) numbers.push_back(blocks.EntryAt(p).number);
    }
    return numbers;
}

// Each test starts with a link to a controller at its defaults.
class LinkCalls : public LinkTest {
protected:
    void SetUp() override { StartAndOpen(); }
};

TEST_F(LinkCalls, OpenReplaceCloseReopenAndDestroyWithEightLinksAtOnce) {
    ASSERT_EQ(Open(), CPULINK_OK) << "opening an open record replaces its link";
    CpuConnection others[7] = {};
    for (CpuConnection& r : others) {
        cpuNet_InitConnection(&r);
        EXPECT_EQ(cpuNet_OpenConnection(&r, kLoopback), CPULINK_OK);
    }
    CpuClock clock{};
    for (CpuConnection& r : others) EXPECT_EQ(cpuLink_GetClock(&r, &clock), CPULINK_OK);
    for (CpuConnection& r : others) cpuLink_DestroyConnection(&r);
    EXPECT_EQ(cpuLink_GetClock(&record, &clock), CPULINK_OK);
    EXPECT_EQ(cpuLink_LogInW(&record, L"any"), CPULINK_OK) << "no password configured";
    cpuLink_CloseConnection(&record);
    EXPECT_EQ(cpuLink_GetClock(&record, &clock), CPULINK_NOT_CONNECTED);
    ASSERT_EQ(Open(), CPULINK_OK) << "a closed record opens again";
    cpuLink_DestroyConnection(&record);
    for (unsigned char byte : record.bytes) ASSERT_EQ(byte, 0);
    cpuLink_DestroyConnection(&record);
    EXPECT_EQ(cpuLink_Stop(&record), CPULINK_NOT_CONNECTED);
}

// A record never opened, or one whose connection cannot be set up, has no link.
TEST_F(LinkCalls, EveryControllerCallWithoutAnOpenLinkReportsNotConnected) {
    uint8_t buffer[64] = {};
    uint16_t length = 0, count16 = 0;
    int count = 0;
    CpuClock clock{};
    Variable flag(kFlags, kByte, 2);
    VariableDescriptor* variables[] = {&flag.descriptor};
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
    const struct {
        const char* what;
        uint32_t dropAfter, delayMs;
        int connectMs;
        bool listening;
        CpuStatus status;
    } cases[] = {{"only initialised", 0, 0, 3000, true, CPULINK_OK},
                 {"nothing listening", 0, 0, 3000, false, CPULINK_CANNOT_CONNECT},
                 {"dropped in the set-up", 1, 0, 3000, true, CPULINK_CANNOT_CONNECT},
                 {"set-up answered too late", 0, 1000, 300, true, CPULINK_TIMEOUT}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sim::SimOptions options;
        options.dropAfter = c.dropAfter;
        options.delayMs = c.delayMs;
        StartSimulator(options);
        const uint16_t port = simulator->Port();
        if (!c.listening) simulator->Stop();
        SetLinkSettings(port, 3000, c.connectMs);
        cpuLink_DestroyConnection(&record);
        cpuNet_InitConnection(&record);
        if (c.status != CPULINK_OK) {
            EXPECT_EQ(cpuNet_OpenConnection(&record, kLoopback), c.status);
        }
        for (size_t i = 0; i < calls.size(); ++i) EXPECT_EQ(calls[i](), CPULINK_NOT_CONNECTED) << i;
    }
}

TEST_F(LinkCalls, ArgumentsThatCannotBeSentAreRefusedWithoutAnExchange) {
    const auto good = MakeDemoBlock(BLOCK_TYPE_FC, 7, 100);
    auto noMagic = good, shortLength = good, codeBeyondImage = good;
    noMagic[1] = 0x71;
    shortLength[8] = shortLength[9] = shortLength[10] = 0;
    shortLength[11] = 20;
    codeBeyondImage[34] = 0x7F;
    const auto systemBlock = MakeBlockImage(BLOCK_TYPE_SFC, 7, 200);
    const CpuClock month13 = {{0x14, 0x13, 0x20, 0x11, 0x59, 0x43, 0x91, 0x24}};
    int count = 0;
    uint16_t numbers[4];
    uint8_t buffer[100];
    const std::vector<std::function<CpuStatus()>> invalid = {
        [&] { return cpuLink_DownloadBlock(&record, noMagic.data()); },
        [&] { return cpuLink_DownloadBlock(&record, shortLength.data()); },
        [&] { return cpuLink_DownloadBlock(&record, codeBeyondImage.data()); },
        [&] { return cpuLink_DownloadBlock(&record, systemBlock.data()); },
        [&] { return cpuLink_DownloadBlock(&record, nullptr); },
        [&] { return cpuLink_GetBlockList(&record, 7, 0, &count, numbers, 4); },
        [&] { return cpuLink_GetBlockList(&record, 0, -1, &count, numbers, 4); },
        [&] { return cpuLink_UploadBlock(&record, -1, 1, buffer, 100); },
        [&] { return cpuLink_DeleteBlock(&record, 9, 1); },
        [&] { return cpuLink_SetClock(&record, &month13); },
        [&] { return cpuLink_SetClock(&record, nullptr); },
        [&] { return cpuLink_GetClock(&record, nullptr); },
        [&] { return cpuLink_ReadVariables(&record, nullptr, 1); },
        [&] { return cpuLink_LogInW(&record, L"NINECHARS"); },
        [&] { return cpuLink_LogInW(&record, L"\u00e4bc"); },
        [&] { return cpuLink_LogInW(&record, nullptr); },
    };
    const uint64_t before = Requests();
    for (size_t i = 0; i < invalid.size(); ++i)
        EXPECT_EQ(invalid[i](), CPULINK_INVALID_ARGUMENT) << i;
    std::vector<Variable> twoBits = {Variable(kFlags, kBit, 0)},
                          tooLong = {Variable(kFlags, kDword, 0)},
                          noValue = {Variable(kFlags, kByte, 0)},
                          unknownSize = {Variable(kFlags, 0x42, 0)};
    twoBits[0].descriptor.elementCount = tooLong[0].descriptor.elementCount = 2;
    noValue[0].descriptor.value = nullptr;
    for (auto* variables : {&twoBits, &tooLong, &noValue}) {
        EXPECT_EQ(Read(*variables), CPULINK_INVALID_ARGUMENT);
        EXPECT_EQ(Write(*variables), CPULINK_INVALID_ARGUMENT);
    }
    EXPECT_EQ(Read(unknownSize), CPULINK_TYPE_NOT_SUPPORTED);
    VariableDescriptor* none[1] = {};
    EXPECT_EQ(cpuLink_ReadVariables(&record, none, 0), CPULINK_OK);
    EXPECT_EQ(Requests(), before);
    CpuClock clock{};
    EXPECT_EQ(cpuLink_GetClock(&record, &clock), CPULINK_OK) << "the link stays open";
}

// Block transfers at the default PDU size and at the smallest, where lists, uploads and
// downloads need many PDUs.
class LinkBlocks : public LinkTest, public ::testing::WithParamInterface<uint16_t> {
protected:
    void SetUp() override {
        sim::SimOptions options;
        options.maxPdu = GetParam();
        StartAndOpen(options);
    }
};

INSTANTIATE_TEST_SUITE_P(PduSizes, LinkBlocks, ::testing::Values(240, 128));

TEST_P(LinkBlocks, ListsEveryTypeInAscendingPagesWithMoreEntriesBetween) {
    ASSERT_GT(ControllerNumbers(Controller(), BLOCK_TYPE_FC).size(), 30u);
    for (int type = BLOCK_TYPE_OB; type <= BLOCK_TYPE_SDB; ++type) {
        const auto all = ControllerNumbers(Controller(), type);
        std::vector<uint16_t> collected;
        for (int start = 0, count = 16; count == 16; start += count) {
            uint16_t page[16];
            const CpuStatus status = cpuLink_GetBlockList(&record, type, start, &count, page, 16);
            ASSERT_EQ(status, start + count < static_cast<int>(all.size()) ? CPULINK_MORE_ENTRIES
                                                                           : CPULINK_OK)
                << type << " from " << start;
            collected.insert(collected.end(), page, page + count);
        }
        EXPECT_EQ(collected, all) << type;
    }
}

TEST_P(LinkBlocks, UploadsEveryBlockExactlyAsTheControllerHoldsIt) {
    for (const auto& image : MakeDemoProgram()) {
        const int type = cpuLink_GetBlockType(image.data());
        const uint16_t number = BlockImageNumber(image.data());
        CpuStatus status = 0;
        EXPECT_EQ(Upload(type, number, &status), Controller().CurrentImage(type, number));
        ASSERT_EQ(status, CPULINK_OK) << type << "/" << number;
    }
}

TEST_P(LinkBlocks, DownloadedBlocksAreActiveAndUploadIdentical) {
    const struct {
        int type;
        uint16_t number;
        uint32_t length;
    } cases[] = {{BLOCK_TYPE_FC, 500, 92}, {BLOCK_TYPE_DB, 77, 5000}, {BLOCK_TYPE_OB, 1, 20000}};
    for (const auto& c : cases) {
        const auto image = MakeDemoBlock(c.type, c.number, c.length - 92, 9);
        ASSERT_EQ(cpuLink_DownloadBlock(&record, image.data()), CPULINK_OK) << c.number;
        EXPECT_EQ(Upload(c.type, c.number), image);
        CpuBlockInfo info{};
        BlockFacts facts;
        ASSERT_EQ(cpuLink_GetBlockInfo(&record, c.type, c.number, &info), CPULINK_OK);
        ASSERT_TRUE(ReadBlockFacts(image.data(), image.size(), &facts));
        EXPECT_EQ(std::tie(info.loadLength, info.codeLength, info.codeTime, info.interfaceTime,
                           info.checksum),
                  std::tie(facts.loadLength, facts.codeLength, facts.codeTime, facts.interfaceTime,
                           facts.checksum));
        const auto numbers = ControllerNumbers(Controller(), c.type);
        EXPECT_NE(std::find(numbers.begin(), numbers.end(), c.number), numbers.end());
    }
    std::vector<Variable> word = {Variable(kDb, kWord, 2, 77)};
    ASSERT_EQ(Read(word), CPULINK_OK);
    const auto db = MakeDemoBlock(BLOCK_TYPE_DB, 77, 5000 - 92, 9);
    EXPECT_EQ(word[0].Bytes(2), std::vector<uint8_t>(db.begin() + 38, db.begin() + 40))
        << "a downloaded data block serves its body as data";
}

TEST_F(LinkCalls, UploadIntoATooSmallBufferWritesNothingPastItAndDeleteRemovesTheBlock) {
    const auto image = Controller().CurrentImage(BLOCK_TYPE_OB, 1);
    std::vector<uint8_t> buffer(image.size() + 16, 0xA5);
    const uint32_t size = static_cast<uint32_t>(image.size() - 1);
    EXPECT_EQ(cpuLink_UploadBlock(&record, BLOCK_TYPE_OB, 1, buffer.data(), size),
              CPULINK_BUFFER_TOO_SMALL);
    for (size_t i = size; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0xA5) << i;
    EXPECT_EQ(Upload(BLOCK_TYPE_OB, 1), image) << "the link is still usable";
    ASSERT_EQ(cpuLink_DeleteBlock(&record, BLOCK_TYPE_FB, 1), CPULINK_OK);
    EXPECT_FALSE(Controller().HasBlock(BLOCK_TYPE_FB, 1));
    EXPECT_EQ(cpuLink_DeleteBlock(&record, BLOCK_TYPE_FB, 1), CPULINK_NOT_FOUND);
    EXPECT_EQ(UploadStatus(BLOCK_TYPE_FB, 1), CPULINK_NOT_FOUND);
}

// A cancel asked before the third exchange of a transfer at 50 ms per answer: a download
// refuses the controller's next request for a part, so the controller ends it without the
// block; an upload ends with the controller at once. The link stays usable after both.
TEST_F(LinkCalls, ACancelCheckStopsADownloadOrAnUploadAtItsNextExchange) {
    StartAndOpen({.delayMs = 50});
    const std::vector<uint8_t> block = MakeDemoBlock(BLOCK_TYPE_FC, 909, 2000, 9);
    int asked = 0;
    const CpuCancelCheck third = [](void* count) {
        return ++*static_cast<int*>(count) == 3 ? 1 : 0;
    };
    cpuLink_SetCancelCheck(&record, third, &asked);
    uint64_t before = Requests();
    EXPECT_EQ(cpuLink_DownloadBlock(&record, block.data()), CPULINK_CANCELLED);
    // The call returns once it has sent its last acknowledgement; the simulator counts it
    // a moment later.
    for (int i = 0; i < 200 && Requests() - before < 5; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(Requests() - before, 5u) << "request, two parts, the refusal, end";
    EXPECT_FALSE(Controller().HasBlock(BLOCK_TYPE_FC, 909));
    cpuLink_SetCancelCheck(&record, nullptr, nullptr);
    ASSERT_EQ(cpuLink_DownloadBlock(&record, block.data()), CPULINK_OK);
    asked = 0;
    cpuLink_SetCancelCheck(&record, third, &asked);
    before = Requests();
    EXPECT_EQ(UploadStatus(BLOCK_TYPE_FC, 909), CPULINK_CANCELLED);
    EXPECT_EQ(Requests() - before, 4u) << "start, two chunks, end";
    cpuLink_SetCancelCheck(&record, nullptr, nullptr);
    EXPECT_EQ(Upload(BLOCK_TYPE_FC, 909), block);
}

// The event ids of the first n records of a diagnostic buffer.
std::vector<uint16_t> EventIds(const StatusList& list, size_t n) {
    std::vector<uint16_t> events;
    for (size_t i = 0; i < list.count && i < n; ++i)
        events.push_back(sim::Big16(&list.records[i * 20]));
    return events;
}

// Compress and clear run only in STOP, copy RAM to ROM in any mode, every mode change is refused
// where it is one already, and each lands in the diagnostic buffer; a mode selector at STOP refuses
// a warm restart.
TEST_F(LinkCalls, ModeChangesAndMemoryJobsAreRefusedInTheWrongModeAndRecorded) {
    EXPECT_EQ(cpuLink_CompressMemory(&record, 30000), CPULINK_WRONG_MODE);
    EXPECT_EQ(cpuLink_CopyRamToRom(&record, 120000), CPULINK_OK);
    EXPECT_EQ(cpuLink_Clear(&record), CPULINK_WRONG_MODE);
    EXPECT_EQ(cpuLink_Stop(&record), CPULINK_OK);
    EXPECT_EQ(cpuLink_Stop(&record), CPULINK_WRONG_MODE);
    EXPECT_EQ(ReadList(0x0424).records[3], 0x04) << "STOP";
    EXPECT_EQ(cpuLink_CompressMemory(&record, 30000), CPULINK_OK);
    EXPECT_EQ(cpuLink_CopyRamToRom(&record, 120000), CPULINK_OK);
    EXPECT_EQ(cpuLink_Clear(&record), CPULINK_OK);
    EXPECT_EQ(EventIds(ReadList(0x00A0), 4),
              (std::vector<uint16_t>{0x430E, 0x4307, 0x5381, 0x5380}));
    int count = -1;
    uint16_t numbers[4];
    EXPECT_EQ(cpuLink_GetBlockList(&record, BLOCK_TYPE_OB, 0, &count, numbers, 4), CPULINK_OK);
    EXPECT_EQ(count, 0) << "a type without blocks lists nothing";
    EXPECT_EQ(cpuLink_WarmRestart(&record), CPULINK_OK);
    EXPECT_EQ(Controller().Mode(), sim::OperatingMode::kRun);
    EXPECT_EQ(cpuLink_WarmRestart(&record), CPULINK_WRONG_MODE);
    for (int i = 0; i < 49; ++i) {
        ASSERT_EQ(cpuLink_Stop(&record), CPULINK_OK);
        ASSERT_EQ(cpuLink_WarmRestart(&record), CPULINK_OK);
    }
    // A hundred entries of 20 bytes need several fragments.
    const StatusList diagnostics = ReadList(0x00A0);
    ASSERT_EQ(diagnostics.count, 100) << "the newest hundred";
    EXPECT_EQ(EventIds(diagnostics, 4), (std::vector<uint16_t>{0x4302, 0x4301, 0x1381, 0x4304}));
    const auto& entries = Controller().Diagnostics();
    for (size_t i = 0; i < entries.size(); ++i) {
        ASSERT_TRUE(std::equal(entries[i].begin(), entries[i].end(), &diagnostics.records[i * 20]))
            << i;
    }
    sim::SimOptions options;
    options.keyswitch = sim::Keyswitch::kStop;
    StartAndOpen(options);
    EXPECT_EQ(Controller().Mode(), sim::OperatingMode::kStop);
    EXPECT_EQ(cpuLink_WarmRestart(&record), CPULINK_WRONG_MODE);
}

TEST_F(LinkCalls, ClockIsSetKeepsRunningAndTheControllerJudgesTheCalendar) {
    const CpuClock set = {{0x14, 0x08, 0x20, 0x11, 0x59, 0x43, 0x91, 0x24}};
    ASSERT_EQ(cpuLink_SetClock(&record, &set), CPULINK_OK);
    CpuClock read{};
    ASSERT_EQ(cpuLink_GetClock(&record, &read), CPULINK_OK);
    int64_t setMs = 0, readMs = 0;
    ASSERT_TRUE(sim::DecodeDateAndTime(set.bytes, &setMs));
    ASSERT_TRUE(sim::DecodeDateAndTime(read.bytes, &readMs));
    EXPECT_GE(readMs, setMs);
    EXPECT_LT(readMs - setMs, 60000);
    EXPECT_EQ(read.bytes[7] & 0x0F, 4) << "2014-08-20 was a Wednesday";
    const CpuClock april31 = {{0x14, 0x04, 0x31, 0x00, 0x00, 0x00, 0x00, 0x01}};
    EXPECT_EQ(cpuLink_SetClock(&record, &april31), CPULINK_NEGATIVE_ANSWER);
}

TEST_F(LinkCalls, ListsHaveTheirRecordLengthsUnknownOnesAreNotFoundSmallBuffersGetWholeRecords) {
    for (const TableRow& row : LoadTable(__FILE__, "status_lists.txt")) {
        const StatusList list =
            ReadList(static_cast<uint16_t>(Hex(row[0])), static_cast<uint16_t>(Hex(row[1])));
        const std::string id = Narrow(row[0]);
        EXPECT_EQ(list.status, row[2] == L"0" ? CPULINK_OK : CPULINK_NOT_FOUND) << id;
        if (row[2] != L"0") continue;
        EXPECT_EQ(list.length, std::stoi(row[3])) << id;
        EXPECT_TRUE(row[4] == L"0" ? list.count > 0 : list.count == std::stoi(row[4])) << id;
    }
    const StatusList all = ReadList(0x0011), some = ReadList(0x0011, 0, 60);
    EXPECT_EQ(some.status, CPULINK_MORE_ENTRIES)
        << "a small buffer gets the whole records that fit";
    EXPECT_EQ(some.count, 2);
    EXPECT_TRUE(std::equal(some.records.begin(), some.records.begin() + 56, all.records.begin()));
}

TEST_F(LinkCalls, WrittenValuesReadBackInControllerByteOrder) {
    std::vector<Variable> written, read;
    std::vector<std::vector<uint8_t>> values;
    for (const TableRow& row : LoadTable(__FILE__, "written_values.txt")) {
        read.emplace_back(static_cast<uint8_t>(Hex(row[0])), static_cast<uint8_t>(Hex(row[1])),
                          std::stoul(row[2]), static_cast<uint16_t>(std::stoul(row[3])),
                          static_cast<uint8_t>(std::stoul(row[4])));
        auto& bytes = values.emplace_back();
        for (size_t i = 5; i < row.size(); ++i) bytes.push_back(static_cast<uint8_t>(Hex(row[i])));
        written.push_back(read.back());
        written.back().SetBytes(bytes);
    }
    ASSERT_EQ(Write(written), CPULINK_OK);
    ASSERT_EQ(Read(read), CPULINK_OK);
    for (size_t i = 0; i < read.size(); ++i) {
        EXPECT_NE(read[i].descriptor.valuePresent, 0u) << i;
        EXPECT_EQ(read[i].Bytes(values[i].size()), values[i]) << i;
    }
    EXPECT_EQ(Controller().Flags()[10], 0x08) << "M10.3 alone was set";
}

TEST_F(LinkCalls, VariablesTakeAsFewExchangesAsTheGrantedPduAllows) {
    const struct {
        uint16_t pdu;
        uint32_t count;
        uint64_t exchanges;
    } cases[] = {{240, 16, 1}, {128, 16, 2}, {240, 45, 3}, {480, 40, 2}};
    for (const auto& c : cases) {
        sim::SimOptions options;
        options.maxPdu = c.pdu;
        StartAndOpen(options);
        std::vector<Variable> variables;
        for (uint32_t i = 0; i < c.count; ++i) {
            variables.emplace_back(kFlags, kWord, i * 2);
            variables.back().SetBytes({0, static_cast<uint8_t>(i)});
        }
        ASSERT_EQ(Write(variables), CPULINK_OK);
        for (Variable& v : variables) v.value = 0;
        const uint64_t before = Requests();
        ASSERT_EQ(Read(variables), CPULINK_OK);
        EXPECT_EQ(Requests() - before, c.exchanges) << c.pdu << "/" << c.count;
        for (uint32_t i = 0; i < c.count; ++i) EXPECT_EQ(variables[i].Bytes(2)[1], i);
    }
}

TEST_F(LinkCalls, ARefusedItemHasNoValueAndNeverStopsTheOthers) {
    std::vector<Variable> variables = {Variable(kFlags, kByte, 1), Variable(kDb, kWord, 0, 999),
                                       Variable(kFlags, kWord, 60000), Variable(kFlags, kByte, 2)};
    for (Variable& v : variables) v.descriptor.valuePresent = 7;
    ASSERT_EQ(Read(variables), CPULINK_OK);
    const bool present[] = {true, false, false, true};
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(variables[i].descriptor.valuePresent != 0, present[i]);
    std::vector<Variable> missingDb = {Variable(kFlags, kByte, 1), Variable(kDb, kWord, 0, 999)};
    EXPECT_EQ(Write(missingDb), CPULINK_NOT_FOUND);
    std::vector<Variable> beyond = {Variable(kFlags, kDword, 4000)};
    EXPECT_EQ(Write(beyond), CPULINK_ADDRESS_OUT_OF_RANGE);
    std::vector<Variable> fine = {Variable(kFlags, kByte, 1)};
    EXPECT_EQ(Write(fine), CPULINK_OK) << "the link stays open";
}

}  // namespace
}  // namespace vexal::testing
