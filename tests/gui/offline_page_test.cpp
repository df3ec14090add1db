// The "Offline" page as a user works it: project files loaded, saved and deleted from, and
// blocks downloaded into a controller simulated over real sockets.
#include <QCloseEvent>
#include <QtTest/qtestspontaneevent.h>
#include <filesystem>

#include "page_session.h"

namespace vexal {
namespace {

using testing::Blocks;
using testing::Bytes;
using testing::Program;
using testing::operator+;
using vexal::SaveAnswer;

class OfflinePageTest : public testing::BlockPageSession {
protected:
    void SetUp() override {
        StartSimulator();
        StartApp();
    }
};

// Loading twice lists each block once, system blocks left out. A technician's unsaved
// upload survives an attempt to open a damaged or missing file.
TEST_F(OfflinePageTest, LoadingListsTheBlocksOnceAndAFileThatCannotBeReadChangesNothing) {
    const Program demo = MakeDemoProgram();
    const std::string path =
        WriteProject("demo.wld", demo + Program{MakeDemoBlock(5, 1, 60), MakeDemoBlock(6, 2, 60)});
    Snap("empty");
    Click("offlineLoad");  // cancelled: nothing happens
    Load(path);
    Load(path);
    Snap("loaded twice, not connected");
    const int listed = Find<QListWidget>("offlineBlockList")->count();
    EXPECT_EQ(app->Project().BlockCount(), listed);
    EXPECT_EQ(prompts->filters.first(), QStringLiteral("WinLC files (*.wld);;All files (*)"));
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();

    Bytes damaged = testing::Concatenated(Blocks(BLOCK_TYPE_DB, 2));
    damaged.resize(damaged.size() + 50, 0x70);
    testing::WriteBytes(files.File("damaged.wld"), damaged);
    for (const std::string& bad : {files.File("damaged.wld"), files.File("absent.wld")}) {
        messages.clear();
        Load(bad);
        EXPECT_EQ(messages, QStringList{"error reading project file"}) << bad;
        EXPECT_EQ(app->Project().BlockCount(), listed) << bad;
    }
    Snap("unreadable files loaded");
}

// The selection is saved in list order; deleting asks first, by the button and by the
// Delete key, and removes the selection on Yes.
TEST_F(OfflinePageTest, SavingWritesTheSelectionInListOrderAndDeletingAsksFirst) {
    const Program blocks = Blocks(BLOCK_TYPE_DB, 2) + Blocks(BLOCK_TYPE_OB, 3);
    Load(WriteProject("mixed.wld", blocks));
    Select("offlineBlockList", {"DB    2", "OB   3", "OB   1"});
    prompts->files = {QString::fromStdString(files.File("saved.wld")),
                      QString::fromStdString(files.File("folder"))};
    Click("offlineSave");
    EXPECT_EQ(testing::ReadBytes(files.File("saved.wld")),
              testing::Concatenated({blocks[2], blocks[4], blocks[1]}));
    std::filesystem::create_directory(files.File("folder"));
    Click("offlineSave");
    EXPECT_EQ(messages, QStringList{"error writing project file"});

    messages.clear();
    Click("offlineSelectAll");
    Click("offlineInvert");
    Snap("nothing selected");
    Click("offlineSelectAll");
    for (const bool yes : {false, true}) {
        prompts->answers.push_back(yes);
        if (yes) {
            QTest::keyClick(Find<QListWidget>("offlineBlockList"), Qt::Key_Delete);
        } else {
            Click("offlineDel");
        }
        EXPECT_EQ(app->Project().BlockCount(), yes ? 0 : 5);
        Snap(yes ? "deleted" : "kept");
    }
    EXPECT_EQ(messages, QStringList(2, "Proceed deleting blocks?"));
}

// The simulator only takes blocks while stopped; the Online page hears of each one.
TEST_F(OfflinePageTest, DownloadingPutsTheSelectedBlocksIntoTheController) {
    app->ShutDown();
    sim::SimOptions stopped;
    stopped.mode = sim::OperatingMode::kStop;
    StartWithProgram(Blocks(BLOCK_TYPE_OB, 1), stopped);
    const Program project = Blocks(BLOCK_TYPE_FC, 6, 100);
    Load(WriteProject("fcs.wld", project));
    Click("offlineSelectAll");
    Select("offlineBlockList", {"FC  102"});  // five of six stay selected
    Click("offlineDownload");
    for (const Bytes& block : project) {
        const uint16_t number = BlockImageNumber(block.data());
        EXPECT_EQ(ControllerImage(BLOCK_TYPE_FC, number), number == 102 ? Bytes() : block)
            << number;
    }
    Snap("the controller's list", Find<QWidget>("onlineBlockList"));
    EXPECT_EQ(prompts->waitCursorDepth, 0);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
}

// Escape and the close box ask before unsaved blocks or variables go; the program's own
// close (on SIGTERM) does not. A project loaded whole from one file counts as saved.
TEST_F(OfflinePageTest, ClosingAsksBeforeUnsavedBlocksOrVariablesAreLost) {
    const Program first = Blocks(BLOCK_TYPE_OB, 2), second = Blocks(BLOCK_TYPE_FC, 1);
    const std::string list = files.File("vars.csv");
    testing::WriteBytes(list, {'M', 'W', '2', ',', 'D', 'E', 'C', ',', '\n'});
    const QString saved = QString::fromStdString(files.File("saved.wld"));
    const QString project = "The project holds blocks that were not saved.";
    const QString both = "The project and the variable table hold changes that were not saved.";
    const auto escape = [this] { QTest::keyClick(app->Sheet(), Qt::Key_Escape); };
    const auto closeBox = [this] {  // as the window system sends it
        QCloseEvent box;
        QSpontaneKeyEvent::setSpontaneous(&box);
        qApp->notify(app->Sheet(), &box);  // sendEvent would make it the program's own
    };
    const auto loadList = [&] {
        ShowPage("variablesPage");
        prompts->files = {QString::fromStdString(list)};
        Click("loadButton");
    };
    const auto loadA = [&] { Load(WriteProject("a.wld", first)); };
    const auto loadB = [&] { Load(WriteProject("b.wld", second)); };
    const auto none = [] {};
    using enum SaveAnswer;
    const struct {
        const char* what;
        std::function<void()> change, close;
        std::deque<SaveAnswer> answers;
        std::deque<QString> files;
        QStringList asked;
        bool closed;
    } steps[] = {
        {"one file loaded", loadA, escape, {}, {}, {}, true},
        {"a second file added", loadB, escape, {kCancel}, {}, {project}, false},
        {"discarded at the close box", none, closeBox, {kDiscard}, {}, {project}, true},
        {"save cancelled", loadList, escape, {kSave}, {}, {project}, false},
        {"saved", loadList, escape, {kSave}, {saved}, {both}, false},
        {"closed by the program", none, [] { QApplication::closeAllWindows(); }, {}, {}, {}, true},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        app->Sheet()->show();
        ShowPage("offlinePage");
        step.change();
        messages.clear();
        prompts->saveAnswers = step.answers;
        prompts->files = step.files;
        step.close();
        EXPECT_EQ(messages, step.asked);
        EXPECT_EQ(!app->Sheet()->isVisible(), step.closed);
    }
    EXPECT_EQ(testing::ReadBytes(files.File("saved.wld")), testing::Concatenated(first + second));
}

}  // namespace
}  // namespace vexal
