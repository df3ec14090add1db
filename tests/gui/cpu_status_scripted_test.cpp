// The mode and diagnostics pages on answers no simulator gives on demand: LEDs flashing
// fast and slowly at once, and a diagnostic buffer read that reports more entries.
#include <QCoreApplication>
#include <QLabel>
#include <QTreeWidget>

#include "diag_records.h"
#include "gui_test_support.h"

namespace vexal {
namespace {

using testing::FakeAnswer;
using testing::FakePlc;

class CpuStatusScriptedTest : public testing::AppFixture {
protected:
    void SetUp() override {
        ASSERT_TRUE(MakeApp().StartUp());
        app->Sheet()->show();
        QCoreApplication::processEvents();
        ASSERT_EQ(app->OpenTcp(0x0100007F), 1);
    }
    void TearDown() override { app->ShutDown(); }
    // Without the event loop, so that the sheet's own timer adds no tick.
    void Show(const char* page) {
        Tabs()->setCurrentWidget(app->Sheet()->findChild<QWidget*>(page));
    }
    void Tick() { app->Sheet()->OnTimer(CMainSheet::kTickTimerId); }
    // One poll of the mode page: RUN, selector RUN-P, LEDs RUN flashing fast, STOP slowly,
    // ERR on, FRCE off (the scripted library decodes a LED record to its byte 2).
    static void ScriptPoll() {
        FakePlc().answers.push_back({.data = {0, 0, 0, 1}, .recordLength = 4, .recordCount = 1});
        FakePlc().answers.push_back(
            {.data = {0, 0, 0, 0, 0, 0, 0, 0, 0, 2}, .recordLength = 10, .recordCount = 1});
        FakePlc().answers.push_back({.data = {0, 4, 2, 0, 0, 5, 3, 0, 0, 1, 1, 0, 0, 6, 0, 0},
                                     .recordLength = 4,
                                     .recordCount = 4});
    }
    std::string Leds() const {
        std::string shown;
        for (const char* led : {"runLed", "stopLed", "errLed", "frceLed"}) {
            const auto* label = app->Sheet()->findChild<QLabel*>(led);
            shown += label->accessibleDescription() == "on" ? '*' : '.';
        }
        return shown;
    }
};

TEST_F(CpuStatusScriptedTest, FastAndSlowFlashesFollowTheirRhythm) {
    for (int poll = 0; poll < 5; ++poll) ScriptPoll();
    Show("opModePage");
    for (int tick = 0; tick < 9; ++tick) Tick();  // the first read shows from the next cycle
    const char* const expected[] = {"***.", "***.", ".**.", ".**.", "*.*.", "*.*.",
                                    "..*.", "..*.", "..*.", "***.", "***.", ".**.",
                                    ".**.", "*.*.", "*.*.", "..*.", "..*.", "..*."};
    for (int tick = 0; tick < 18; ++tick) {
        Tick();
        EXPECT_EQ(Leds(), expected[tick]) << "tick " << tick;
    }
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
}

// 120 entries reported with "more entries": the buffer holds the first 100, all shown.
TEST_F(CpuStatusScriptedTest, ABufferReadWithMoreEntriesIsShownLikeAComplete) {
    std::vector<uint8_t> entries(120 * kDiagRecordSize);
    for (size_t entry = 0; entry < 120; ++entry)
        entries[entry * kDiagRecordSize + 1] = entry & 0xFF;
    FakePlc().answers.push_back(
        {.status = CPULINK_MORE_ENTRIES, .data = entries, .recordLength = 20, .recordCount = 120});
    Show("diagnosticsPage");
    auto* list = app->Sheet()->findChild<QTreeWidget*>("diagList");
    ASSERT_EQ(list->topLevelItemCount(), 100);
    EXPECT_EQ(list->topLevelItem(99)->text(2), "Event 0063");
}

}  // namespace
}  // namespace vexal
