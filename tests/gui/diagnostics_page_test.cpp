// The diagnostics page against the simulator: the controller's entries in its order with
// their stamps and texts, the details of the current row, and the export.
#include <QDateTime>
#include <QTreeWidget>
#include <array>

#include "diag_records.h"
#include "page_session.h"

namespace vexal {
namespace {

class DiagnosticsPageTest : public testing::PageSession {
protected:
    QTreeWidget* List() const { return Find<QTreeWidget>("diagList"); }
    QStringList Row(int row) const {
        const QTreeWidgetItem* item = List()->topLevelItem(row);
        return {item->text(0), item->text(1), item->text(2)};
    }
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
        EXPECT_TRUE(saved[4].endsWith(",5380,Event 5380,0,FF,00 00,0000 0000 0000"));
        for (int row = 0; row < List()->topLevelItemCount(); ++row)
            EXPECT_TRUE(saved[row + 1].startsWith(Row(row)[0] + ',' + Row(row)[1] + ',')) << row;
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

// Time stamps in BCD down to the millisecond, 9s in every digit included; OB numbers
// padded to three places; a description with quotes and commas is quoted.
TEST(DiagRecordsTest, EntryFieldsBecomeTheTextsShownAndExported) {
    const struct {
        std::array<uint8_t, kDiagRecordSize> bytes;
        const char* date;
        const char* time;
        const char* ident;
        const char* info;
        const char* description;
        const char* csv;
    } cases[] = {
        {{0x43, 0x04, 0xFF, 0x01, 0x0A, 0xB2, 0x12, 0x34, 0xDE, 0xAD,
          0xBE, 0xEF, 0x26, 0x12, 0x05, 0x23, 0x13, 0x32, 0x12, 0x37},
         "05.12.26",
         "23:13:32.123",
         "ID: 4304, OB:   1, PK: FF",
         "Dat ID: 0A B2, Info: 1234 DEAD BEEF",
         "a \"b\", c",
         "05.12.26,23:13:32.123,4304,\"a \"\"b\"\", c\",1,FF,0A B2,1234 DEAD BEEF"},
        {{0x00, 0x0A, 0x01, 0xFF, 0,    0,    0,    0,    0,    0,
          0,    1,    0x99, 0x01, 0x31, 0x00, 0x00, 0x00, 0x99, 0x94},
         "31.01.99",
         "00:00:00.999",
         "ID: 000A, OB: 255, PK: 01",
         "Dat ID: 00 00, Info: 0000 0000 0001",
         "plain",
         "31.01.99,00:00:00.999,000A,plain,255,01,00 00,0000 0000 0001"},
    };
    for (const auto& c : cases) {
        const DiagRecord record = DecodeDiagRecord(c.bytes.data());
        EXPECT_EQ(DiagDateText(record), c.date);
        EXPECT_EQ(DiagTimeText(record), c.time);
        EXPECT_EQ(DiagIdentLine(record), c.ident);
        EXPECT_EQ(DiagInfoLine(record), c.info);
        EXPECT_EQ(DiagCsvLine(record, c.description), c.csv);
    }
}

}  // namespace
}  // namespace vexal
