// The diagnostics page against the simulator: the controller's entries in its order with
// their stamps and texts, the details of the current row, and the export.
#include <QDateTime>
#include <QTreeWidget>

#include "page_session.h"

namespace vexal {
namespace {

class DiagnosticsPageTest : public testing::PageSession {
protected:
    QTreeWidget* List() const { return Find<QTreeWidget>("diagList"); }
    // The page with its stamps masked: those of 23:13:3x on 5 December 2026 in their last
    // digits, the simulator's own from its start whole.
    void SnapPage(const std::string& heading) {
        Snap(heading, nullptr,
             QRegularExpression(
                 R"((?<=05\.12\.26 \| 23:13:3)\d\.\d{3}|)"
                 R"((?!05\.12\.26 \| 23:13:3)\d\d\.\d\d\.\d\d \| \d\d:\d\d:\d\d\.\d{3})"));
    }
    size_t SimEntries() {
        const std::lock_guard lock(simulator->Controller().Lock());
        return simulator->Controller().Diagnostics().size();
    }
    // Stops the controller at 23:13:32 on 5 December 2026, compresses and restarts it.
    void StopCompressRestart() {
        {
            const std::lock_guard lock(simulator->Controller().Lock());
            const QDateTime stamp(QDate(2026, 12, 5), QTime(23, 13, 32), Qt::UTC);
            simulator->Controller().SetClockMs(stamp.toMSecsSinceEpoch());
        }
        ASSERT_EQ(app->StopCpu(), 1);
        app->CompressMemory();
        ASSERT_EQ(app->WarmRestart(), 1);
    }
    // The rows as shown go to a CSV file, which an export that fails leaves alone.
    void ExpectSavedAsShown() {
        const std::string path = files.File("buffer.csv");
        testing::WriteBytes(path, {'o', 'l', 'd'});
        prompts->files = {QString::fromStdString(path), QString::fromStdString(path + "/none.csv")};
        Click("saveButton");
        const auto lines = [&path] {
            const testing::Bytes bytes = testing::ReadBytes(path);
            return QString::fromUtf8(reinterpret_cast<const char*>(bytes.data()), bytes.size())
                .split("\r\n");
        };
        const QStringList saved = lines();
        ASSERT_EQ(saved.size(), List()->topLevelItemCount() + 2);  // and the empty end
        EXPECT_EQ(saved[0], "Date,Time,Event ID,Description,OB,PK,Dat ID,Info");
        EXPECT_TRUE(saved[4].endsWith(",5380,Memory compressed,0,FF,00 00,0000 0000 0000"));
        for (int row = 0; row < List()->topLevelItemCount(); ++row) {
            const QTreeWidgetItem* item = List()->topLevelItem(row);
            EXPECT_TRUE(saved[row + 1].startsWith(item->text(0) + ',' + item->text(1) + ','))
                << row;
        }
        Click("saveButton");
        EXPECT_EQ(messages, QStringList{"error writing diagnostic buffer"});
        EXPECT_EQ(lines(), saved);
        messages.clear();
    }
    testing::TempDir files;
};

TEST_F(DiagnosticsPageTest, ShowsTheControllersEntriesNewestFirstWithTheirDetailsAndSavesThem) {
    for (const bool large : {true, false}) {
        if (app) app->ShutDown();
        StartConnected({}, large);
        StopCompressRestart();
        ShowPage("diagnosticsPage");
        ASSERT_EQ(List()->topLevelItemCount(), static_cast<int>(SimEntries()));
        SnapPage("stopped, compressed and restarted");
        List()->setFocus();
        for (int step = 0; step < 4; ++step) QTest::keyClick(List(), Qt::Key_Down);
        Snap("the fifth row's details", Find<QWidget>("detailLine1"));
        Screenshot(large ? "VexalCE-Diagnostics-800x480.png" : "VexalCE-Diagnostics-240x320.png");
        if (large) ExpectSavedAsShown();

        ASSERT_EQ(app->StopCpu(), 1);  // nothing read until the user asks
        ShowPage("memoryPage");
        ShowPage("diagnosticsPage");
        EXPECT_EQ(List()->topLevelItemCount(), static_cast<int>(SimEntries()) - 1);
        Click("updateButton");
        SnapPage("updated after one more stop");
        EXPECT_EQ(prompts->waitCursorDepth, 0);

        app->CloseConnection();
        Snap("closed");
    }
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
}

}  // namespace
}  // namespace vexal
