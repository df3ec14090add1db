// The operation mode page against the simulator: mode, buttons, mode selector and LEDs as
// the user sees them, and stop and restart reaching the controller.
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
};

// While connected the LEDs' flash phase depends on the sheet's own ticks too: it is masked.
TEST_F(OpModePageTest, StopAsksFirstAndStopAndRestartAreFollowedAtTheNextPoll) {
    const QRegularExpression ledState(R"((?<=: )(on|off)(?=\]))");
    for (const bool large : {true, false}) {
        Open({}, large);
        messages.clear();
        Snap("running", nullptr, ledState);

        prompts->answers = {false};
        Click("stopButton");
        EXPECT_EQ(messages, QStringList{"Sure to stop the CPU?"});
        EXPECT_EQ(SimMode(), sim::OperatingMode::kRun);

        prompts->answers = {true};
        Click("stopButton");
        EXPECT_EQ(SimMode(), sim::OperatingMode::kStop);
        Tick();
        Snap("stopped", nullptr, ledState);

        Click("restartButton");
        EXPECT_EQ(SimMode(), sim::OperatingMode::kRun);
        TickNow(9);  // the RUN LED lit for the screenshot
        Snap("restarted", nullptr, ledState);
        Screenshot(large ? "VexalCE-OpMode-800x480.png" : "VexalCE-OpMode-240x320.png");

        app->CloseConnection();
        Tick();
        Snap("closed");
        EXPECT_EQ(messages.size(), 2);
    }
}

// Each mode selector position is shown. Read LED states show from the first tick after a
// read that ends a flash cycle: a slow flash is four ticks on, four off, and held for the
// ninth. In MRES, the last position, a stopped controller asks for a memory reset and
// flashes STOP.
TEST_F(OpModePageTest, ShowsTheModeSelectorPositionAndLedsCopyTheControllerOnceEveryNineTicks) {
    sim::SimOptions options;
    options.mode = sim::OperatingMode::kStop;
    for (const auto position : {sim::Keyswitch::kRun, sim::Keyswitch::kRunP, sim::Keyswitch::kStop,
                                sim::Keyswitch::kMres}) {
        options.keyswitch = position;
        Open(options);
        Snap("position " + std::to_string(static_cast<int>(position)),
             Find<QWidget>("keyswitchText"));
    }
    EXPECT_EQ(Leds(), "....");  // the states read before the connection
    TickNow(8);
    const uint64_t before = simulator->RequestCount();
    described += "== LEDs over two flash cycles in MRES\n" + LedsTicking(18);
    EXPECT_EQ(simulator->RequestCount() - before, 9u) << "three reads every 6 ticks";
    ShowPageNow("memoryPage");
    TickNow(18);
    EXPECT_EQ(Leds(), "....");  // not read while hidden
}

}  // namespace
}  // namespace vexal
