// The operation mode page against the simulator: mode, buttons, mode selector and LEDs as
// the user sees them, and stop and restart reaching the controller.
#include "mode_icon_ctrl.h"
#include "page_session.h"

namespace vexal {
namespace {

class OpModePageTest : public testing::PageSession {
protected:
    void Open(sim::SimOptions options = {}, bool large = true) {
        if (app) app->ShutDown();
        StartConnected(std::move(options), large);
        ShowPageNow("opModePage");
        TickNow();
    }
    sim::OperatingMode SimMode() {
        const std::lock_guard lock(simulator->Controller().Lock());
        return simulator->Controller().Mode();
    }
    void ExpectMode(const char* text, bool stop, bool restart) const {
        EXPECT_EQ(Label("modeText"), text);
        EXPECT_EQ(Find<CModeIconCtrl>("modeIcon")->accessibleName(), *text ? text : "Unknown");
        EXPECT_EQ(Enabled("stopButton"), stop);
        EXPECT_EQ(Enabled("restartButton"), restart);
    }
};

TEST_F(OpModePageTest, StopAsksFirstAndStopAndRestartAreFollowedAtTheNextPoll) {
    for (const bool large : {true, false}) {
        Open({}, large);
        messages.clear();
        ExpectMode("RUN", true, false);

        prompts->answers = {false};
        Click("stopButton");
        EXPECT_EQ(messages, QStringList{"Sure to stop the CPU?"});
        EXPECT_EQ(SimMode(), sim::OperatingMode::kRun);

        prompts->answers = {true};
        Click("stopButton");
        EXPECT_EQ(SimMode(), sim::OperatingMode::kStop);
        Tick();
        ExpectMode("STOP", false, true);

        Click("restartButton");
        EXPECT_EQ(SimMode(), sim::OperatingMode::kRun);
        Tick();
        ExpectMode("RUN", true, false);
        TickNow(9);  // the RUN LED lit
        Screenshot(large ? "VexalCE-OpMode-800x480.png" : "VexalCE-OpMode-240x320.png");

        app->CloseConnection();
        ExpectMode("", false, false);
        EXPECT_EQ(Label("keyswitchText"), "<Unknown>");
        Tick();
        EXPECT_EQ(Leds(), "....");
        EXPECT_EQ(messages.size(), 2);
    }
}

TEST_F(OpModePageTest, ShowsTheModeSelectorPosition) {
    const std::pair<sim::Keyswitch, const char*> cases[] = {{sim::Keyswitch::kRun, "RUN"},
                                                            {sim::Keyswitch::kRunP, "RUN-P"},
                                                            {sim::Keyswitch::kStop, "STOP"},
                                                            {sim::Keyswitch::kMres, "MRES"}};
    for (const auto& [position, text] : cases) {
        sim::SimOptions options;
        options.keyswitch = position;
        Open(options);
        EXPECT_EQ(Label("keyswitchText"), text);
    }
}

// Read states show from the first tick after a read that ends a flash cycle: a slow flash
// is four ticks on, four off, and held for the ninth.
TEST_F(OpModePageTest, LedsCopyTheControllerOnceEveryNineTicks) {
    sim::SimOptions options;
    options.keyswitch = sim::Keyswitch::kMres;  // asks for a memory reset: STOP flashes
    options.mode = sim::OperatingMode::kStop;
    Open(options);
    EXPECT_EQ(Leds(), "....");  // the states read before the connection
    TickNow(8);
    const char* const expected[] = {".*..", ".*..", ".*..", ".*..", "....", "....",
                                    "....", "....", "....", ".*..", ".*..", ".*..",
                                    ".*..", "....", "....", "....", "....", "...."};
    for (int tick = 0; tick < 18; ++tick) {
        TickNow(1);
        EXPECT_EQ(Leds(), expected[tick]) << "tick " << tick;
    }
    ShowPageNow("memoryPage");
    TickNow(18);
    EXPECT_EQ(Leds(), "....");  // not read while hidden
}

}  // namespace
}  // namespace vexal
