// The Variables page against the simulator: variables added through the dialog follow the
// controller, "Set" forces them in one request, rows keep their own values when others go,
// list files load and save, and the trend follows the selected variable.
#include <QTreeWidget>
#include <cstring>
#include <fstream>

#include "file_size_limit.h"
#include "page_session.h"
#include "variable_trend.h"
#include "variables_page.h"

namespace vexal {
namespace {

using testing::Bytes;
constexpr uint8_t kFlags = 0x83;
constexpr uint8_t kDataBlock = 0x84;

class VariablesPageTest : public testing::PageSession {
protected:
    void Open(bool large = true) {
        StartConnected({}, large);
        ShowPage("variablesPage");
        page = Find<CVariablesPage>("variablesPage");
        list = Find<QTreeWidget>("variableList");
        // Hidden, the sheet's own 100 ms timer stops: only the test's ticks read.
        app->Sheet()->hide();
    }

    void DoubleTap(int row) {
        const QPoint point = row >= 0 ? list->visualItemRect(list->topLevelItem(row)).center()
                                      : QPoint(20, list->viewport()->height() - 4);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, point);
    }

    void Edit(int row, const char* address, const char* format = nullptr, const char* modify = "") {
        WhenDialogShows([=](QDialog* dialog) {
            testing::FillVariableDialog(dialog, address, true, format, modify);
        });
        DoubleTap(row);
    }
    void Add(const char* address, const char* format = nullptr, const char* modify = "") {
        Edit(-1, address, format, modify);
    }

    // Whether the action opens the edit dialog; a dialog that opens is cancelled.
    static bool OpensDialog(const std::function<void()>& action) {
        bool opened = false;
        const auto done = std::make_shared<bool>(false);
        WhenDialogShows(
            [&opened](QDialog* dialog) {
                opened = true;
                dialog->reject();
            },
            done);
        action();
        *done = true;
        return opened;
    }

    void Select(int row) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->topLevelItem(row)).center());
    }

    // The simulator's memory, changed and seen from outside the connection.
    void Put(uint8_t area, uint16_t db, size_t offset, const Bytes& bytes) {
        std::lock_guard lock(simulator->Controller().Lock());
        std::memcpy(simulator->Controller().Area(area, db, true).data + offset, bytes.data(),
                    bytes.size());
    }
    Bytes Flags(size_t offset, size_t size) {
        std::lock_guard lock(simulator->Controller().Lock());
        const uint8_t* flags = simulator->Controller().Flags() + offset;
        return Bytes(flags, flags + size);
    }
    void ReadOnce() { Tick(CVariablesPage::kReadPeriodTicks); }

    QString WriteFile(const std::string& content) {
        const std::string path = dir.File("list" + std::to_string(++files) + ".csv");
        std::ofstream(path, std::ios::binary) << content;
        return QString::fromStdString(path);
    }
    std::string FileText(const QString& path) const {
        const Bytes bytes = testing::ReadBytes(path.toStdString());
        return std::string(bytes.begin(), bytes.end());
    }
    // Clicks "Load" or "Save" and chooses `path` in the file dialog.
    void UseFile(const char* button, const QString& path) {
        prompts->files.push_back(path);
        Click(button);
    }

    testing::TempDir dir;
    int files = 0;
    CVariablesPage* page = nullptr;
    QTreeWidget* list = nullptr;
};

TEST_F(VariablesPageTest, WatchedVariablesFollowTheControllerInBothLayouts) {
    for (const bool large : {true, false}) {
        Open(large);
        ReadOnce();  // an empty table reads too, and keeps reading
        Put(kFlags, 0, 0, {0x02, 0, 0, 0, 0x3F, 0xC0, 0, 0, 0, 0, 0x01, 0x2C});
        Put(kDataBlock, 1, 2, {0xFF, 0xFE});
        Add("mw10", "DEC");
        WhenDialogShows([large](QDialog* dialog) {
            testing::FillVariableDialog(
                dialog, "db1.dbw2", true, nullptr, "255",
                large ? "VexalCE-EditVariable-800x480.png" : "VexalCE-EditVariable-240x320.png");
        });
        DoubleTap(-1);
        Add("M0.1");
        Add("md4", "FLOAT");
        Add("DB99.DBW0");
        ASSERT_EQ(messages, QStringList{});
        ReadOnce();
        Snap("added and read", list);
        Select(0);
        const int series[] = {301, -5, 1200, 42, 640, 980, 150, 700, 420, 1000, 250};
        for (const int value : series) {
            Put(kFlags, 0, 10, {static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)});
            ReadOnce();
            Snap("MW10 changed to " + std::to_string(value), list);
        }
        if (large) {
            const auto* trend = Find<CVariableTrend>("variableTrend");
            EXPECT_EQ(trend->Samples(), std::deque<double>(std::begin(series), std::end(series)));
        }
        Snap("after the series");
        app->Sheet()->resize(large ? QSize(800, 480) : QSize(240, 320));
        Screenshot(large ? "VexalCE-Variables-800x480.png" : "VexalCE-Variables-240x320.png");
        ReadOnce();
        Snap("a value stands out for one read only", list);
        if (large) {  // a counter shows no trend; another row starts over; a disconnect clears it
            const auto* trend = Find<CVariableTrend>("variableTrend");
            Edit(0, "MW10", "COUNTER");
            EXPECT_TRUE(trend->Samples().empty());
            ReadOnce();
            EXPECT_TRUE(trend->Samples().empty());
            Select(1);
            ReadOnce();
            EXPECT_EQ(trend->Samples().size(), 1u);
            app->CloseConnection();
            EXPECT_TRUE(trend->Samples().empty());
        }
        app->ShutDown();
    }
}

TEST_F(VariablesPageTest, SetForcesEveryRowsOwnValueInOneRequestAlsoAfterADelete) {
    Open();
    Add("MW10", "DEC", "11");
    Add("MW12", "DEC", "22");
    Add("MW14", "DEC", "33");
    Add("MW16", "DEC");
    ReadOnce();
    const uint64_t before = simulator->RequestCount();
    Click("setButton");
    EXPECT_EQ(simulator->RequestCount() - before, 1u);
    EXPECT_EQ(Flags(10, 8), (Bytes{0, 11, 0, 22, 0, 33, 0, 0}));
    Tick();
    Snap("set and read back", list);

    Put(kFlags, 0, 10, Bytes(8, 0));
    Select(1);
    Click("deleteButton");
    Snap("MW12 deleted", list);
    Click("setButton");
    EXPECT_EQ(Flags(10, 8), (Bytes{0, 11, 0, 0, 0, 33, 0, 0}));

    Put(kFlags, 0, 10, Bytes(8, 0));
    Edit(0, "MW10", "DEC", "");
    Edit(1, "");
    Snap("modify value cleared and MW14 edited away", list);
    Click("setButton");
    EXPECT_EQ(Flags(10, 8), Bytes(8, 0));
    EXPECT_EQ(messages, QStringList{});
}

TEST_F(VariablesPageTest, NewVariablePathsDoNothingOnAFullTable) {
    Open();
    std::string lines;
    for (int index = 0; index < 20; ++index) lines += "MW" + std::to_string(2 * index) + ",DEC,\n";
    const std::function<void()> paths[] = {
        [&] { DoubleTap(-1); },
        [&] { Click("addButton"); },
        [&] { Find<QAction>("addVariableAction")->trigger(); },
        [&] { QTest::keyClick(list, Qt::Key_Insert); },
    };
    list->setFocus();
    UseFile("loadButton", WriteFile(lines.substr(0, lines.find("MW30"))));
    ASSERT_EQ(page->VariableCount(), 15);
    for (const auto& path : paths) EXPECT_TRUE(OpensDialog(path));
    UseFile("loadButton", WriteFile(lines));
    EXPECT_EQ(page->VariableCount(), 16);
    EXPECT_EQ(list->topLevelItem(15)->text(0), "MW0") << "loading appends";
    for (const auto& path : paths) EXPECT_FALSE(OpensDialog(path));
    EXPECT_TRUE(OpensDialog([&] { DoubleTap(3); })) << "rows stay editable";
    EXPECT_EQ(messages, QStringList{});
}

TEST_F(VariablesPageTest, ListFilesSaveLoadAndReportWhatFails) {
    Open(false);
    Add("mw10", "DEC", "5");
    Add("DB1.DBD4", "FLOAT");
    const QString saved = WriteFile("");
    UseFile("saveButton", saved);
    EXPECT_EQ(FileText(saved), "MW10,DEC,5\nDB1.DBD4,FLOAT,\n");
    EXPECT_EQ(prompts->filters.last(), "Text files (*.csv);;All files (*)");

    UseFile("loadButton", WriteFile(" mb1 , hex ,16#0A\r\nMW10\r\nI0.1,dec,\r\n\r\nMW20,DEC,\r\n"));
    EXPECT_EQ(messages, QStringList{"error in: MW10"});
    Snap("loaded up to the wrong line", list);

    messages.clear();
    {
        testing::FileSizeLimit limit(16);
        UseFile("saveButton", saved);
    }
    EXPECT_EQ(messages, QStringList{"error writing variable table"});
    EXPECT_EQ(FileText(saved), "MW10,DEC,5\nDB1.DBD4,FLOAT,\n");

    messages.clear();
    UseFile("loadButton", QString::fromStdString(dir.File("missing.csv")));
    EXPECT_EQ(messages, QStringList{"no file found"});
    EXPECT_EQ(page->VariableCount(), 4);
}

}  // namespace
}  // namespace vexal
