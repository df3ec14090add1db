// Screenshots of every page connected to a simulator, in both layouts, for a look by eye
// (the main job shows them): VexalCE-<page>-<layout>.png in the test's build folder.
#include "page_session.h"

namespace vexal {
namespace {

using ScreensPageTest = testing::PageSession;

TEST_F(ScreensPageTest, EveryPageConnectedInBothLayouts) {
    StartSimulator();
    const char* const pages[] = {"offlinePage", "stationListPage", "onlinePage", "variablesPage",
                                 "opModePage",  "memoryPage",      "timePage",   "diagnosticsPage"};
    for (const bool large : {false, true}) {
        StartApp(large);
        Connect();
        const QString layout = large ? QStringLiteral("800x480") : QStringLiteral("240x320");
        for (const char* page : pages) {
            ShowPage(page);
            Tick(10);
            const QString name = QString::fromLatin1(page).chopped(4);
            Screenshot(QStringLiteral("VexalCE-%1-%2.png").arg(name, layout));
        }
        app->ShutDown();
    }
}

}  // namespace
}  // namespace vexal
