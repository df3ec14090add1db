#include "link_fixture.h"

namespace vexal::testing {
namespace {

class LinkSsl : public LinkTest {
protected:
    void SetUp() override { StartAndOpen(options); }

    struct List {
        CpuStatus status = 0;
        uint16_t length = 0;
        uint16_t count = 0;
        std::vector<uint8_t> records;
    };

    List Read(uint16_t id, uint16_t index, uint32_t size = 4000) {
        List list;
        list.records.resize(size);
        list.status = cpuLink_ReadSsl(&record, id, index, &list.length, &list.count,
                                      list.records.data(), size);
        return list;
    }

    static uint32_t Big32(const uint8_t* at) {
        return uint32_t(at[0]) << 24 | at[1] << 16 | at[2] << 8 | at[3];
    }

    sim::SimOptions options;
};

TEST_F(LinkSsl, ListsHaveTheRecordLengthsTheControllerPagesRead) {
    const struct {
        uint16_t id;
        uint16_t index;
        uint16_t length;
    } lists[] = {{0x0000, 0, 2},  {0x0011, 0, 28}, {0x0013, 0, 36}, {0x0019, 0, 4}, {0x001B, 0, 20},
                 {0x001C, 0, 34}, {0x0132, 4, 40}, {0x0424, 0, 20}, {0x00A0, 0, 20}};
    for (const auto& l : lists) {
        const List list = Read(l.id, l.index);
        EXPECT_EQ(list.status, CPULINK_OK) << std::hex << l.id;
        EXPECT_EQ(list.length, l.length) << std::hex << l.id;
        EXPECT_GT(list.count, 0) << std::hex << l.id;
    }
}

TEST_F(LinkSsl, ModeSelectorAndLedsFollowTheController) {
    List selector = Read(0x0132, 4);
    EXPECT_EQ(selector.records[8] << 8 | selector.records[9], 2) << "RUN-P";
    List mode = Read(0x0424, 0);
    EXPECT_EQ(mode.records[3], 0x08) << "RUN";
    ASSERT_EQ(cpuLink_Stop(&record), CPULINK_OK);
    mode = Read(0x0424, 0);
    EXPECT_EQ(mode.records[3], 0x04) << "STOP";
    EXPECT_EQ(mode.records[0] << 8 | mode.records[1], 0x4304);
    const List leds = Read(0x0019, 0);
    for (uint16_t i = 0; i < leds.count; ++i) {
        const uint8_t* led = &leds.records[i * 4];
        if (led[1] == 0x04) {
            EXPECT_EQ(led[2], 0) << "RUN off in STOP";
        }
        if (led[1] == 0x05) {
            EXPECT_EQ(led[2], 1) << "STOP on in STOP";
        }
    }
}

TEST_F(LinkSsl, MemoryFiguresFollowTheStoredBlocks) {
    const List areas = Read(0x0013, 0);
    const uint32_t loadUsed = Controller().LoadMemoryUsed();
    bool sawLoad = false;
    for (uint16_t i = 0; i < areas.count; ++i) {
        const uint8_t* r = &areas.records[i * 36];
        if ((r[0] << 8 | r[1]) != 2) continue;
        sawLoad = true;
        EXPECT_EQ(Big32(r + 16) + Big32(r + 28), loadUsed);
        EXPECT_EQ(Big32(r + 12) + Big32(r + 24), sim::kLoadMemorySize);
    }
    EXPECT_TRUE(sawLoad);
    ASSERT_EQ(cpuLink_DeleteBlock(&record, BLOCK_TYPE_FB, 1), CPULINK_OK);
    const List usage = Read(0x001B, 0);
    for (uint16_t i = 0; i < usage.count; ++i) {
        const uint8_t* r = &usage.records[i * 20];
        const int kind = r[2] << 8 | r[3];
        if (r[0] == 0 && kind == 0) {
            EXPECT_LT(Big32(r + 12), loadUsed);
        }
        if (r[0] == 18 && kind == 0x10) {
            EXPECT_EQ(Big32(r + 12), Controller().WorkMemoryUsed());
        }
    }
}

TEST_F(LinkSsl, ASmallBufferGetsTheWholeRecordsThatFit) {
    const List all = Read(0x0011, 0);
    const List some = Read(0x0011, 0, 60);
    EXPECT_EQ(some.status, CPULINK_MORE_ENTRIES);
    EXPECT_EQ(some.count, 2);
    EXPECT_TRUE(std::equal(some.records.begin(), some.records.begin() + 56, all.records.begin()));
}

TEST_F(LinkSsl, AnAnswerInManyFragmentsIsReassembled) {
    for (int i = 0; i < 50; ++i) {
        ASSERT_EQ(cpuLink_Stop(&record), CPULINK_OK);
        ASSERT_EQ(cpuLink_WarmRestart(&record), CPULINK_OK);
    }
    const List diagnostics = Read(0x00A0, 0);
    ASSERT_EQ(diagnostics.status, CPULINK_OK);
    ASSERT_EQ(diagnostics.count, 100);
    const auto& entries = Controller().Diagnostics();
    for (size_t i = 0; i < entries.size(); ++i) {
        ASSERT_TRUE(std::equal(entries[i].begin(), entries[i].end(), &diagnostics.records[i * 20]))
            << i;
    }
}

TEST_F(LinkSsl, AnUnknownListIsNotFound) {
    EXPECT_EQ(Read(0x0077, 0).status, CPULINK_NOT_FOUND);
    EXPECT_EQ(Read(0x0132, 9).status, CPULINK_NOT_FOUND);
}

TEST_F(LinkSsl, HeaderOnlyExtractsCountWithoutRecords) {
    const List header = Read(0x0F11, 0);
    EXPECT_EQ(header.status, CPULINK_OK);
    EXPECT_EQ(header.length, 28);
    EXPECT_EQ(header.count, 3);
}

class LinkRefusedList : public LinkSsl {
protected:
    void SetUp() override {
        options.refusedLists.insert(0x001B);
        LinkSsl::SetUp();
    }
};

TEST_F(LinkRefusedList, AnswersTheRefusedListAsNotAvailableAndOthersAsUsual) {
    EXPECT_EQ(Read(0x001B, 0).status, CPULINK_NOT_FOUND);
    EXPECT_EQ(Read(0x0013, 0).status, CPULINK_OK);
}

}  // namespace
}  // namespace vexal::testing
