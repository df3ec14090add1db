// The frame with all eight pages against a simulator: the connection events reach every
// page, whether or not its tab was ever shown.
#include "page_session.h"

namespace vexal {
namespace {

using FramePageTest = testing::PageSession;

TEST_F(FramePageTest, EveryPageFollowsTheConnectionInBothLayouts) {
    StartSimulator();
    for (const bool large : {true, false}) {
        StartApp(large);
        const QList<CSheetPage*> pages = app->Sheet()->findChildren<CSheetPage*>();
        ASSERT_EQ(pages.size(), 8);
        for (const CSheetPage* page : pages) {
            if (!large) {
                EXPECT_LE(page->minimumSizeHint().width(), 240) << page->objectName().toStdString();
            }
        }
        Connect();
        for (const CSheetPage* page : pages)
            EXPECT_TRUE(page->IsConnected()) << page->objectName().toStdString();
        app->CloseConnection();
        for (const CSheetPage* page : pages)
            EXPECT_FALSE(page->IsConnected()) << page->objectName().toStdString();
        app->ShutDown();
    }
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
}

}  // namespace
}  // namespace vexal
