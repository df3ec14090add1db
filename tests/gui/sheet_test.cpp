// The main sheet, its pages and page events, the shared images and the block list control.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <algorithm>

#include "block_list_ctrl.h"
#include "gui_test_support.h"
#include "sheet_images.h"
#include "vexal_types.h"

namespace vexal {
namespace {

using testing::CRecordingPage;
using testing::Events;

class SheetTest : public ::testing::Test {
protected:
    CRecordingPage* NewPage(const CMainSheet& owner, const std::string& name) {
        return new CRecordingPage(
            PageContext{app, app.Project(), app.Prompts(), owner.SheetImages()}, &journal, name);
    }
    CRecordingPage* AddPage(const std::string& name) {
        CRecordingPage* page = NewPage(sheet, name);
        sheet.AddSheetPage(page);
        return page;
    }
    QTabWidget* Tabs() { return sheet.findChild<QTabWidget*>("sheetTabs"); }

    QStringList messages;
    CMainApp app{std::make_unique<testing::CScriptedPrompts>(&messages)};
    Events journal;
    CMainSheet sheet{QStringLiteral("Vexal"), nullptr, 0};
};

// Pages are initialised when the sheet is shown, whatever they heard before, and the
// sheet's start page becomes active; from then on they follow the connection events, and
// the sheet's timer ticks every page.
TEST_F(SheetTest, EveryPageStartsDisconnectedOnceTheSheetIsShownAndIsTicked) {
    CMainSheet onSecond(QStringLiteral("Vexal"), nullptr, 1);
    CRecordingPage* first = NewPage(onSecond, "a");
    CRecordingPage* second = NewPage(onSecond, "b");
    onSecond.AddSheetPage(first);
    onSecond.AddSheetPage(second);
    onSecond.BroadcastPageEvent(kPageConnected, 0, 0);
    ASSERT_TRUE(second->IsConnected());
    journal.clear();

    onSecond.show();

    EXPECT_EQ(journal, (Events{"a:2", "b:2", "b:active"}));
    EXPECT_FALSE(first->IsConnected());
    EXPECT_FALSE(second->IsConnected());
    const struct {
        PageEvent code;
        bool connected;
    } steps[] = {
        {kPageConnected, true},     {kPageTick, true},  {kPageControllerRefreshStart, true},
        {kPageDisconnected, false}, {kPageTick, false}, {kPageConnected, true}};
    for (const auto& step : steps) {
        onSecond.BroadcastPageEvent(step.code, 0, 0);
        EXPECT_EQ(first->IsConnected(), step.connected) << step.code;
    }
    journal.clear();
    QElapsedTimer patience;
    patience.start();
    while (std::count(journal.begin(), journal.end(), "b:0") < 2 && patience.elapsed() < 20000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    EXPECT_GE(std::count(journal.begin(), journal.end(), "a:0"), 2);
    EXPECT_GE(std::count(journal.begin(), journal.end(), "b:0"), 2);
}

// Broadcasts reach the ten pages in the order added, an eleventh is ignored. Changing the tab
// tells the leaving and the entering page, not before the sheet is shown; a page that refuses
// to be left keeps its tab.
TEST_F(SheetTest, BroadcastsReachTheTenPagesInOrderAndChangingTheTabTellsBothPages) {
    for (int index = 0; index < 10; ++index) AddPage("p" + std::to_string(index));
    sheet.AddSheetPage(NewPage(sheet, "extra"));
    EXPECT_EQ(sheet.PageCount(), 10);
    EXPECT_EQ(Tabs()->count(), 10);
    sheet.BroadcastPageEvent(kPageProjectBlockAdded, BlockRef_Pack(2, 7), 0);
    Events expected;
    for (int index = 0; index < 10; ++index)
        expected.push_back("p" + std::to_string(index) + ":3:131079");
    EXPECT_EQ(journal, expected);
    journal.clear();

    auto* second = static_cast<CRecordingPage*>(sheet.Page(1));
    Tabs()->setCurrentIndex(1);
    Tabs()->setCurrentIndex(0);
    EXPECT_TRUE(journal.empty());
    sheet.show();
    journal.clear();

    Tabs()->setCurrentIndex(1);
    EXPECT_EQ(journal, (Events{"p0:leave", "p1:active"}));
    EXPECT_EQ(sheet.ActivePage(), second);
    EXPECT_FALSE(sheet.Page(0)->IsActive());

    journal.clear();
    second->mayLeave = false;
    Tabs()->setCurrentIndex(2);
    EXPECT_EQ(journal, (Events{"p1:leave"}));
    EXPECT_EQ(Tabs()->currentIndex(), 1);
    EXPECT_TRUE(second->IsActive());
    EXPECT_FALSE(sheet.Page(2)->IsActive());
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
    CSheetImages unreadable;
    EXPECT_FALSE(unreadable.AddStrip(QStringLiteral(":/res/no-such-bitmap.png")));
    EXPECT_EQ(unreadable.Count(), 0);
    EXPECT_TRUE(unreadable.Icon(0).isNull());
}

// Ticks: '+' finds the page ready, '-' not; 'r' asks for the next tick, 's' stops. `due`
// has one character per tick, 'x' where the work runs.
TEST(TickPace, RunsEveryPeriodOnceWhenAskedAndWhatANotReadyTickLeavesFollowsItsKind) {
    const struct {
        int period;
        CTickPace::WhenNotReady whenNotReady;
        const char* script;
        const char* due;
    } cases[] = {
        {6, CTickPace::kNextPeriod, "+r+++++++++++++", ".x.....x.....x"},
        {3, CTickPace::kNextPeriod, "r-+++-+++", "...x..x."},
        {6, CTickPace::kNextPeriod, "r+++r++", "x..x."},
        {5, CTickPace::kStop, "r+++++-+++++r+", "x..........x"},
        {5, CTickPace::kStop, "r+s+++++++r+", "x.......x"},
        {CTickPace::kOnce, CTickPace::kWait, "+r--+++r+", "...x..x"},
        {CTickPace::kOnce, CTickPace::kWait, "rs+", "."},
    };
    for (const auto& c : cases) {
        CTickPace pace(c.period, c.whenNotReady);
        std::string due;
        for (const char step : std::string(c.script)) {
            if (step == 'r') {
                pace.RunOnNextTick();
            } else if (step == 's') {
                pace.Stop();
            } else {
                due += pace.Tick(step == '+') ? 'x' : '.';
            }
        }
        EXPECT_EQ(due, c.due) << c.script;
    }
}

// ---- Block list control ------------------------------------------------------------

std::vector<int> Counts(const CBlockListCtrl& list) {
    std::vector<int> counts;
    for (int type = 0; type < BLOCK_TYPE_COUNT; ++type) counts.push_back(list.TypeCount(type));
    return counts;
}

// Blocks stay grouped by type and ordered by number; types outside the store and unlisted
// blocks change nothing; a refresh keeps exactly the blocks listed again, which lose their
// stale mark instead of being added twice; a cleared list starts over. The golden file
// holds the list after the inserts, after the refresh and after one more insert and remove.
TEST(BlockListCtrl, KeepsBlocksInOrderAndARefreshKeepsOnlyThoseListedAgain) {
    CBlockListCtrl list(1);
    std::string shown;
    const struct {
        int type;
        uint16_t number;
        int index;
    } inserts[] = {
        {BLOCK_TYPE_DB, 10, 0},    {BLOCK_TYPE_OB, 100, 0}, {BLOCK_TYPE_DB, 2, 1},
        {BLOCK_TYPE_FC, 5, 1},     {BLOCK_TYPE_OB, 1, 0},   {BLOCK_TYPE_SDB, 0, 5},
        {BLOCK_TYPE_FC, 65535, 3}, {BLOCK_TYPE_FB, 3, 2},   {BLOCK_TYPE_DB, 5, 6},
    };
    for (const auto& insert : inserts) {
        EXPECT_EQ(list.InsertBlock(insert.type, insert.number), insert.index)
            << insert.type << " " << insert.number;
    }
    for (int type : {-1, int{BLOCK_TYPE_SFB}, int{BLOCK_TYPE_SFC}, 0x7FFF}) {
        EXPECT_EQ(list.InsertBlock(type, 1), -1) << type;
        EXPECT_EQ(list.RemoveBlock(type, 1), 0) << type;
    }
    EXPECT_EQ(list.RemoveBlock(BLOCK_TYPE_OB, 2), 0);
    shown += testing::Describe(&list);
    EXPECT_EQ(Counts(list), (std::vector<int>{2, 1, 2, 3, 1}));
    EXPECT_EQ(list.ItemData(3), BlockRef_Pack(BLOCK_TYPE_FC, 5));

    list.MarkAllStale();
    EXPECT_EQ(list.InsertBlock(BLOCK_TYPE_DB, 10), -1);
    EXPECT_EQ(list.ItemData(0), BlockRef_Pack(BLOCK_TYPE_OB, 1) | kStaleMark);
    EXPECT_EQ(list.ItemData(7), BlockRef_Pack(BLOCK_TYPE_DB, 10));
    list.InsertBlock(BLOCK_TYPE_OB, 1);
    list.RemoveStale();
    shown += testing::Describe(&list);
    EXPECT_EQ(Counts(list), (std::vector<int>{1, 0, 0, 1, 0}));
    EXPECT_EQ(list.InsertBlock(BLOCK_TYPE_FB, 2), 1);
    EXPECT_EQ(list.InsertBlock(BLOCK_TYPE_SDB, 0), 3);
    EXPECT_EQ(list.RemoveBlock(BLOCK_TYPE_FB, 2), 1);
    shown += testing::Describe(&list);
    testing::ExpectGolden("BlockListCtrl.KeepsBlocksInOrderAndARefreshKeepsOnlyThoseListedAgain",
                          shown);

    list.ClearBlocks();
    EXPECT_EQ(Counts(list), (std::vector<int>{0, 0, 0, 0, 0}));
    EXPECT_EQ(list.InsertBlock(BLOCK_TYPE_SDB, 1), 0);
}

}  // namespace
}  // namespace vexal
