// The memory page against the simulator: the figures from the detailed list or, for a
// controller that refuses it, from the memory-area list, and the refresh after compressing.
#include <QTreeWidget>

#include "library_text.h"
#include "page_session.h"

namespace vexal {
namespace {

class MemoryPageTest : public testing::PageSession {
protected:
    QStringList Rows() const {
        QStringList rows;
        const auto* list = Find<QTreeWidget>("memoryList");
        for (int row = 0; row < list->topLevelItemCount(); ++row)
            rows << testing::Cells(list->topLevelItem(row), list->columnCount());
        return rows;
    }
    // The rows the page must show for the controller as it is now.
    QStringList Expected() {
        const std::lock_guard lock(simulator->Controller().Lock());
        const sim::PlcController& plc = simulator->Controller();
        const auto row = [](const char* name, uint32_t used, uint32_t size) {
            return QString("%1 | %2 | %3 | %4").arg(name).arg(used).arg(size - used).arg(size);
        };
        return {row("Load Memory", plc.LoadMemoryUsed(), sim::kLoadMemorySize),
                row("Work Memory", plc.WorkMemoryUsed(), sim::kWorkMemorySize)};
    }
};

// The figures change under the page (a block is deleted); compressing shows the new ones,
// whether the controller compressed (in STOP) or refused (in RUN), which the user is told,
// and so does showing the page again.
TEST_F(MemoryPageTest, ShowsLoadAndWorkMemoryAndRefreshesThemAfterCompressing) {
    for (const bool refused : {false, true}) {
        sim::SimOptions options;
        if (refused) options.refusedLists = {0x001B};
        if (app) app->ShutDown();
        StartConnected(options, !refused);
        ShowPage("memoryPage");
        EXPECT_EQ(Rows(), Expected());
        Screenshot(refused ? "VexalCE-Memory-240x320.png" : "VexalCE-Memory-800x480.png");
        if (!refused) {
            ASSERT_EQ(app->StopCpu(), 1);
        }
        const QStringList before = Rows();
        ASSERT_EQ(app->DeleteBlock(BLOCK_TYPE_FC, 1), 0);
        EXPECT_EQ(Rows(), before);
        Click("compressButton");
        EXPECT_EQ(messages.join(""), refused ? *LibraryErrorText(CPULINK_WRONG_MODE, 256)
                                             : "The memory was compressed.");
        messages.clear();
        EXPECT_EQ(Rows(), Expected());
        EXPECT_NE(Rows(), before);
        EXPECT_EQ(prompts->waitCursorDepth, 0);
        ShowPage("timePage");
        ASSERT_EQ(app->DeleteBlock(BLOCK_TYPE_DB, 1), 0);
        ShowPage("memoryPage");
        EXPECT_EQ(Rows(), Expected());

        app->CloseConnection();
        Snap("closed");
    }
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
}

}  // namespace
}  // namespace vexal
