#include "link_fixture.h"
#include "sim_clock.h"

namespace vexal::testing {
namespace {

class LinkControl : public LinkTest {
protected:
    void SetUp() override { StartAndOpen(options); }

    // The event ids of the diagnostic buffer as the controller reports them, newest first.
    std::vector<uint16_t> DiagnosticEvents() {
        std::vector<uint8_t> buffer(2000);
        uint16_t length = 0, count = 0;
        EXPECT_EQ(cpuLink_ReadSsl(&record, 0xA0, 0, &length, &count, buffer.data(), 2000),
                  CPULINK_OK);
        std::vector<uint16_t> events;
        for (uint16_t i = 0; i < count; ++i)
            events.push_back(buffer[i * length] << 8 | buffer[i * length + 1]);
        return events;
    }

    sim::SimOptions options;
};

TEST_F(LinkControl, StopAndWarmRestartChangeTheModeAndRefuseARepeat) {
    EXPECT_EQ(cpuLink_Stop(&record), CPULINK_OK);
    EXPECT_EQ(Controller().Mode(), sim::OperatingMode::kStop);
    EXPECT_EQ(cpuLink_Stop(&record), CPULINK_WRONG_MODE);
    EXPECT_EQ(cpuLink_WarmRestart(&record), CPULINK_OK);
    EXPECT_EQ(Controller().Mode(), sim::OperatingMode::kRun);
    EXPECT_EQ(cpuLink_WarmRestart(&record), CPULINK_WRONG_MODE);
}

TEST_F(LinkControl, ModeChangesAreRecordedNewestFirst) {
    ASSERT_EQ(cpuLink_Stop(&record), CPULINK_OK);
    ASSERT_EQ(cpuLink_WarmRestart(&record), CPULINK_OK);
    const auto events = DiagnosticEvents();
    ASSERT_GE(events.size(), 4u);
    EXPECT_EQ(std::vector<uint16_t>(events.begin(), events.begin() + 4),
              (std::vector<uint16_t>{0x4302, 0x4301, 0x1381, 0x4304}));
}

TEST_F(LinkControl, MemoryJobsRunOnlyInStop) {
    EXPECT_EQ(cpuLink_CompressMemory(&record, 30000), CPULINK_WRONG_MODE);
    EXPECT_EQ(cpuLink_CopyRamToRom(&record, 120000), CPULINK_WRONG_MODE);
    EXPECT_EQ(cpuLink_Clear(&record), CPULINK_WRONG_MODE);
    ASSERT_EQ(cpuLink_Stop(&record), CPULINK_OK);
    EXPECT_EQ(cpuLink_CompressMemory(&record, 30000), CPULINK_OK);
    EXPECT_EQ(cpuLink_CopyRamToRom(&record, 120000), CPULINK_OK);
    EXPECT_EQ(cpuLink_Clear(&record), CPULINK_OK);
    EXPECT_EQ(Controller().Blocks().BlockCount(), 0);
    const auto events = DiagnosticEvents();
    EXPECT_EQ(std::vector<uint16_t>(events.begin(), events.begin() + 4),
              (std::vector<uint16_t>{0x430E, 0x4307, 0x5381, 0x5380}));
}

TEST_F(LinkControl, DiagnosticBufferKeepsTheNewestHundredEntries) {
    for (int i = 0; i < 30; ++i) {
        ASSERT_EQ(cpuLink_Stop(&record), CPULINK_OK);
        ASSERT_EQ(cpuLink_WarmRestart(&record), CPULINK_OK);
    }
    const auto events = DiagnosticEvents();
    EXPECT_EQ(events.size(), 100u);
    EXPECT_EQ(events.front(), 0x4302);
}

TEST_F(LinkControl, ClockIsSetAndKeepsRunning) {
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
}

TEST_F(LinkControl, ClockValuesThatAreNoDateAreNotSent) {
    const CpuClock bad[] = {{{0x14, 0x13, 0x20, 0x11, 0x59, 0x43, 0x91, 0x24}},
                            {{0x14, 0x08, 0x20, 0x24, 0x00, 0x00, 0x00, 0x01}},
                            {{0x1A, 0x08, 0x20, 0x11, 0x59, 0x43, 0x91, 0x24}}};
    for (const CpuClock& clock : bad)
        EXPECT_EQ(cpuLink_SetClock(&record, &clock), CPULINK_INVALID_ARGUMENT);
    const CpuClock april31 = {{0x14, 0x04, 0x31, 0x00, 0x00, 0x00, 0x00, 0x01}};
    EXPECT_EQ(cpuLink_SetClock(&record, &april31), CPULINK_NEGATIVE_ANSWER)
        << "the controller judges the calendar";
    EXPECT_EQ(cpuLink_SetClock(&record, nullptr), CPULINK_INVALID_ARGUMENT);
    EXPECT_EQ(cpuLink_GetClock(&record, nullptr), CPULINK_INVALID_ARGUMENT);
}

class LinkSelectorAtStop : public LinkControl {
protected:
    void SetUp() override {
        options.keyswitch = sim::Keyswitch::kStop;
        LinkControl::SetUp();
    }
};

TEST_F(LinkSelectorAtStop, RefusesAWarmRestart) {
    EXPECT_EQ(Controller().Mode(), sim::OperatingMode::kStop);
    EXPECT_EQ(cpuLink_WarmRestart(&record), CPULINK_WRONG_MODE);
}

}  // namespace
}  // namespace vexal::testing
