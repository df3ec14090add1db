#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QTabWidget>
#include <algorithm>
#include <memory>

#include "gui_test_support.h"
#include "main_sheet.h"
#include "page_events.h"
#include "sheet_images.h"
#include "vexal_types.h"

namespace vexal {
namespace {

using testing::CRecordingPage;
using Journal = std::vector<std::string>;

class SheetTest : public ::testing::Test {
protected:
    CRecordingPage* AddPage(const std::string& name) {
        auto* page = new CRecordingPage(&journal, name);
        sheet.AddSheetPage(page);
        return page;
    }
    QTabWidget* Tabs() { return sheet.findChild<QTabWidget*>(QStringLiteral("sheetTabs")); }

    Journal journal;
    CMainSheet sheet{QStringLiteral("Vexal"), nullptr, 0};
};

TEST_F(SheetTest, BroadcastReachesThePagesInTheOrderTheyWereAdded) {
    AddPage("a");
    AddPage("b");
    AddPage("c");
    sheet.BroadcastPageEvent(kPageProjectBlockAdded, static_cast<int32_t>(BlockRef_Pack(2, 7)), 0);
    EXPECT_EQ(journal, (Journal{"a:3:131079", "b:3:131079", "c:3:131079"}));
}

TEST_F(SheetTest, AnEleventhPageIsIgnored) {
    for (int index = 0; index < 10; ++index) AddPage("p" + std::to_string(index));
    auto extra = std::make_unique<CRecordingPage>(&journal, "extra");
    sheet.AddSheetPage(extra.get());
    EXPECT_EQ(sheet.PageCount(), 10);
    EXPECT_EQ(Tabs()->count(), 10);
    EXPECT_EQ(extra->Sheet(), nullptr);
    sheet.BroadcastPageEvent(kPageTick, 0, 0);
    EXPECT_EQ(journal.size(), 10u);
    EXPECT_EQ(journal.back(), "p9:0");
}

TEST_F(SheetTest, EveryPageStartsDisconnectedOnceTheSheetIsShown) {
    CRecordingPage* first = AddPage("a");
    CRecordingPage* never = AddPage("b");
    sheet.BroadcastPageEvent(kPageConnected, 0, 0);
    ASSERT_TRUE(never->IsConnected());
    journal.clear();

    sheet.show();

    EXPECT_EQ(journal, (Journal{"a:2", "b:2", "a:active"}));
    EXPECT_FALSE(first->IsConnected());
    EXPECT_FALSE(never->IsConnected());
    EXPECT_EQ(never->Sheet(), &sheet);
}

TEST_F(SheetTest, ConnectedFollowsTheConnectAndDisconnectEvents) {
    CRecordingPage* page = AddPage("a");
    sheet.show();
    const struct {
        int32_t code;
        bool connected;
    } steps[] = {
        {kPageConnected, true},     {kPageTick, true},  {kPageControllerRefreshStart, true},
        {kPageDisconnected, false}, {kPageTick, false}, {kPageConnected, true}};
    for (const auto& step : steps) {
        sheet.BroadcastPageEvent(step.code, 0, 0);
        EXPECT_EQ(page->IsConnected(), step.connected) << step.code;
    }
}

TEST_F(SheetTest, AnEventRaisedDuringABroadcastReachesAllPagesBeforeTheRestOfIt) {
    AddPage("a");
    CRecordingPage* raiser = AddPage("b");
    AddPage("c");
    raiser->onEvent = [this](int32_t code) {
        if (code == kPageTick) sheet.BroadcastPageEvent(kPageDisconnected, 0, 0);
    };
    sheet.OnTimer(CMainSheet::kTickTimerId);
    EXPECT_EQ(journal, (Journal{"a:0", "b:0", "a:2", "b:2", "c:2", "c:0"}));
}

TEST_F(SheetTest, OnlyTheTickTimerTicks) {
    AddPage("a");
    sheet.OnTimer(CMainSheet::kTickTimerId + 1);
    EXPECT_TRUE(journal.empty());
    sheet.OnTimer(CMainSheet::kTickTimerId);
    EXPECT_EQ(journal, (Journal{"a:0"}));
}

TEST_F(SheetTest, TheTimerTicksEveryPageWhileTheSheetIsShown) {
    AddPage("a");
    AddPage("b");
    sheet.show();
    QElapsedTimer patience;
    patience.start();
    while (std::count(journal.begin(), journal.end(), "b:0") < 2 && patience.elapsed() < 20000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    EXPECT_GE(std::count(journal.begin(), journal.end(), "a:0"), 2);
    EXPECT_GE(std::count(journal.begin(), journal.end(), "b:0"), 2);
}

TEST_F(SheetTest, ChangingTheTabTellsTheLeavingAndTheEnteringPage) {
    AddPage("a");
    CRecordingPage* second = AddPage("b");
    AddPage("c");
    sheet.show();
    journal.clear();

    Tabs()->setCurrentIndex(1);
    EXPECT_EQ(journal, (Journal{"a:leave", "b:active"}));
    EXPECT_EQ(sheet.ActivePage(), second);

    journal.clear();
    second->mayLeave = false;
    Tabs()->setCurrentIndex(2);
    EXPECT_EQ(journal, (Journal{"b:leave"}));
    EXPECT_EQ(Tabs()->currentIndex(), 1);
}

TEST_F(SheetTest, APageDeletedWhileShownLeavesTheSheet) {
    AddPage("a");
    CRecordingPage* second = AddPage("b");
    AddPage("c");
    sheet.show();
    Tabs()->setCurrentIndex(1);
    journal.clear();

    delete second;
    sheet.BroadcastPageEvent(kPageTick, 0, 0);

    EXPECT_EQ(sheet.PageCount(), 2);
    EXPECT_EQ(Tabs()->count(), 2);
    EXPECT_EQ(std::count_if(journal.begin(), journal.end(),
                            [](const std::string& entry) { return entry[0] == 'b'; }),
              0);
    ASSERT_GE(journal.size(), 2u);
    EXPECT_EQ(Journal(journal.end() - 2, journal.end()), (Journal{"a:0", "c:0"}));
}

TEST_F(SheetTest, TheSheetOpensOnItsFirstPage) {
    CMainSheet onSecond(QStringLiteral("Vexal"), nullptr, 1);
    onSecond.AddSheetPage(new CRecordingPage(&journal, "a"));
    onSecond.AddSheetPage(new CRecordingPage(&journal, "b"));
    onSecond.show();
    EXPECT_EQ(journal, (Journal{"a:2", "b:2", "b:active"}));
}

TEST_F(SheetTest, TabChangesBeforeTheSheetIsShownAreNotReported) {
    AddPage("a");
    AddPage("b");
    Tabs()->setCurrentIndex(1);
    EXPECT_TRUE(journal.empty());
}

TEST_F(SheetTest, TheSharedImagesAreAStationAndABlockWithTransparentBackground) {
    AddPage("a");
    sheet.show();
    ASSERT_TRUE(sheet.IsInitialised());
    ASSERT_EQ(sheet.SheetImages().Count(), 2);
    for (int index : {kStationImage, kBlockImage}) {
        const QImage image = sheet.SheetImages().Icon(index).pixmap(16, 16).toImage();
        ASSERT_EQ(image.size(), QSize(16, 16));
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << index;
        EXPECT_EQ(qAlpha(image.pixel(4, 6)), 255) << index;
    }
}

TEST(SheetImages, AStripThatCannotBeReadAddsNothing) {
    CSheetImages images;
    EXPECT_FALSE(images.AddStrip(QStringLiteral(":/res/no-such-bitmap.png")));
    EXPECT_EQ(images.Count(), 0);
    EXPECT_TRUE(images.Icon(0).isNull());
}

}  // namespace
}  // namespace vexal
