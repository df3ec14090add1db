// The mode and diagnostics pages on answers no simulator gives on demand: LEDs flashing
// fast and slowly at once, and diagnostic buffer reads that report more entries or fail.
#include <QTreeWidget>

#include "diag_records.h"
#include "gui_test_support.h"
#include "library_text.h"

namespace vexal {
namespace {

class CpuStatusScriptedTest : public testing::ScriptedSession {
protected:
    void SetUp() override {
        StartApp();
        ASSERT_EQ(app->OpenTcp(0x0100007F), 1);
    }
    // One poll of the mode page: RUN, selector RUN-P, LEDs RUN flashing fast, STOP slowly,
    // ERR on, FRCE off (LED records: id, on, flashing 1 fast or 2 slowly).
    void ScriptPoll() {
        plc.answers.push_back({.data = {0, 0, 0, 8}, .recordLength = 4, .recordCount = 1});
        plc.answers.push_back(
            {.data = {0, 0, 0, 0, 0, 0, 0, 0, 0, 2}, .recordLength = 10, .recordCount = 1});
        plc.answers.push_back({.data = {0, 4, 1, 1, 0, 5, 1, 2, 0, 1, 1, 0, 0, 6, 0, 0},
                               .recordLength = 4,
                               .recordCount = 4});
    }
};

TEST_F(CpuStatusScriptedTest, FastAndSlowFlashesFollowTheirRhythm) {
    for (int poll = 0; poll < 5; ++poll) ScriptPoll();
    ShowPageNow("opModePage");
    TickNow(9);  // the first read shows from the next cycle
    described = "== LEDs over two flash cycles\n" + LedsTicking(18);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
}

// The link is lost in the middle of a poll: one message, also for the calls that still
// come on the lost link, until a new connection is open.
TEST_F(CpuStatusScriptedTest, ALostLinkIsReportedOnceUntilTheNextConnection) {
    plc.answers = {{.status = CPULINK_TIMEOUT}, {.status = CPULINK_NOT_CONNECTED}};
    ShowPageNow("opModePage");
    TickNow();
    EXPECT_EQ(app->ReadKeySwitch(), -1);
    EXPECT_EQ(messages, QStringList{*LibraryErrorText(CPULINK_TIMEOUT, 256)});
    EXPECT_EQ(Find<QLabel>("connectionLine")->text(), "Not connected");
    ASSERT_EQ(app->OpenMpi(2), 1);
    EXPECT_EQ(Find<QLabel>("connectionLine")->text(), "Connected: MPI = 2");
    plc.answers = {{.status = CPULINK_CONNECTION_LOST}};
    EXPECT_EQ(app->ReadKeySwitch(), -1);
    EXPECT_EQ(messages.size(), 2);
}

// 120 entries reported with "more entries": the buffer holds the first 100, all shown. A
// read that fails afterwards leaves the rows and the entries they were made from.
TEST_F(CpuStatusScriptedTest, ABufferReadWithMoreEntriesIsShownLikeACompleteAndAFailedOneKept) {
    std::vector<uint8_t> entries(120 * kDiagRecordSize);
    for (size_t entry = 0; entry < 120; ++entry)
        entries[entry * kDiagRecordSize + 1] = entry & 0xFF;
    plc.answers.push_back(
        {.status = CPULINK_MORE_ENTRIES, .data = entries, .recordLength = 20, .recordCount = 120});
    ShowPageNow("diagnosticsPage");
    auto* list = Find<QTreeWidget>("diagList");
    ASSERT_EQ(list->topLevelItemCount(), 100);
    EXPECT_EQ(list->topLevelItem(99)->text(2), "Event 0063");

    plc.answers.push_back({.status = CPULINK_NOT_FOUND,
                           .data = std::vector<uint8_t>(2000),
                           .recordLength = 20,
                           .recordCount = 3});
    Click("updateButton");
    ASSERT_EQ(list->topLevelItemCount(), 100);
    list->setCurrentItem(list->topLevelItem(99));
    EXPECT_EQ(Find<QLabel>("detailLine1")->text(), "ID: 0063, OB:   0, PK: 00");
}

}  // namespace
}  // namespace vexal
