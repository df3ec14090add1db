// The memory page against the simulator: the figures from the detailed list or, for a
// controller that refuses it, from the memory-area list, and the refresh after compressing.
#include <QPushButton>
#include <QTreeWidget>

#include "page_session.h"

namespace vexal {
namespace {

QStringList Rows(const QTreeWidget* list) {
    QStringList rows;
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = list->topLevelItem(row);
        QStringList cells;
        for (int column = 0; column < item->columnCount(); ++column) cells << item->text(column);
        rows << cells.join(' ');
    }
    return rows;
}

class MemoryPageTest : public testing::PageSession {
protected:
    // The rows the page must show for the controller as it is now.
    QStringList Expected() {
        const std::lock_guard lock(simulator->Controller().Lock());
        const sim::PlcController& plc = simulator->Controller();
        const auto row = [](const char* name, uint32_t used, uint32_t size) {
            return QStringLiteral("%1 %2 %3 %4").arg(name).arg(used).arg(size - used).arg(size);
        };
        return {row("Load Memory", plc.LoadMemoryUsed(), sim::kLoadMemorySize),
                row("Work Memory", plc.WorkMemoryUsed(), sim::kWorkMemorySize)};
    }
    QTreeWidget* List() const { return Find<QTreeWidget>("memoryList"); }
};

TEST_F(MemoryPageTest, ShowsLoadAndWorkMemoryWithOrWithoutTheDetailedList) {
    for (const bool refused : {false, true}) {
        sim::SimOptions options;
        if (refused) options.refusedLists = {0x001B};
        if (app) app->ShutDown();
        StartConnected(options, !refused);
        ShowPage("memoryPage");
        EXPECT_EQ(Rows(List()), Expected());
        EXPECT_TRUE(Find<QPushButton>("compressButton")->isEnabled());
        Screenshot(refused ? "VexalCE-Memory-240x320.png" : "VexalCE-Memory-800x480.png");
        app->CloseConnection();
        EXPECT_EQ(List()->topLevelItemCount(), 0);
        EXPECT_FALSE(List()->isEnabled());
        EXPECT_FALSE(Find<QPushButton>("compressButton")->isEnabled());
    }
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
}

// The figures change under the page (a block is deleted); compressing shows the new ones,
// whether the controller compressed (in STOP) or refused (in RUN).
TEST_F(MemoryPageTest, CompressRefreshesTheFiguresWhateverItsResult) {
    StartConnected();
    ShowPage("memoryPage");
    for (const bool stopped : {true, false}) {
        if (stopped) {
            ASSERT_EQ(app->StopCpu(), 1);
        }
        const QStringList before = Rows(List());
        ASSERT_EQ(app->DeleteBlock(2, stopped ? 1 : 2), 0);  // FC1, then FC2
        EXPECT_EQ(Rows(List()), before);
        Click("compressButton");
        EXPECT_EQ(Rows(List()), Expected());
        EXPECT_NE(Rows(List()), before);
        EXPECT_EQ(prompts->waitCursorDepth, 0);
        if (stopped) {
            ASSERT_EQ(app->WarmRestart(), 1);
        }
    }
    ShowPage("timePage");
    ASSERT_EQ(app->DeleteBlock(3, 1), 0);
    ShowPage("memoryPage");
    EXPECT_EQ(Rows(List()), Expected());
}

}  // namespace
}  // namespace vexal
