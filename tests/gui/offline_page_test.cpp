// The "Offline" page as a user works it: project files loaded, saved and deleted from, and
// blocks downloaded into a controller simulated over real sockets.
#include <filesystem>

#include "block_page_session.h"
#include "project_policies.h"

namespace vexal {
namespace {

using testing::Blocks;
using testing::Bytes;
using testing::Program;
using testing::operator+;

class OfflinePageTest : public testing::BlockPageSession {
protected:
    void SetUp() override {
        StartSimulator();
        StartApp();
    }
};

// Both block pages carry the same controls in both layouts; some captions differ.
TEST_F(OfflinePageTest, BothBlockPagesCaptionTheirControlsForTheLayout) {
    const struct {
        const char* name;
        const char* small;
        const char* large;
    } buttons[] = {
        {"offlineSelectAll", "All", "Select All"},   {"offlineClearAll", "None", "Clear All"},
        {"offlineDownload", "Download", "Download"}, {"onlineSelectAll", "All", "Select All"},
        {"onlineClearAll", "None", "Clear All"},     {"onlineDelete", "Del", "Delete"},
    };
    for (const bool large : {true, false}) {
        if (!large) {
            app->ShutDown();
            StartApp(false);
        }
        for (const auto& button : buttons) {
            const auto* control = Find<QAbstractButton>(button.name);
            ASSERT_NE(control, nullptr);
            EXPECT_EQ(control->text(), large ? button.large : button.small) << button.name;
        }
        EXPECT_EQ(Find<QWidget>("offlineBlockList")->accessibleName(), "Project blocks");
        EXPECT_EQ(Find<QWidget>("onlineBlockList")->accessibleName(), "Controller blocks");
    }
}

TEST_F(OfflinePageTest, LoadingListsTheBlocksInOrderOnceAndSkipsSystemBlocks) {
    const Program demo = MakeDemoProgram();
    const Program file = demo + Program{MakeDemoBlock(5, 1, 60), MakeDemoBlock(6, 2, 60)};
    const std::string path = WriteProject("demo.wld", file);
    EXPECT_FALSE(Enabled("offlineSelectAll"));
    EXPECT_FALSE(Enabled("offlineSave"));
    Click("offlineLoad");  // cancelled: nothing happens
    Load(path);
    Load(path);
    EXPECT_EQ(Texts("offlineBlockList"), testing::ListTexts(demo));
    EXPECT_EQ(app->Project().BlockCount(), Texts("offlineBlockList").size());
    EXPECT_EQ(Label("offlineBlockCount"),
              QStringLiteral("%1 blocks").arg(app->Project().BlockCount()));
    EXPECT_EQ(prompts->filters.first(), QStringLiteral("WinLC files (*.wld);;All files (*)"));
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
    EXPECT_TRUE(Enabled("offlineSelectAll"));
    EXPECT_FALSE(Enabled("offlineDownload")) << "not connected";
}

// A technician's unsaved upload survives an attempt to open a damaged or missing file.
TEST_F(OfflinePageTest, AFileThatCannotBeReadLeavesTheProjectAsItWas) {
    const Program project = Blocks(BLOCK_TYPE_FC, 3);
    Load(WriteProject("good.wld", project));
    Bytes damaged = testing::Concatenated(Blocks(BLOCK_TYPE_DB, 2));
    damaged.resize(damaged.size() + 50, 0x70);
    testing::WriteBytes(files.File("damaged.wld"), damaged);
    for (const std::string& bad : {files.File("damaged.wld"), files.File("absent.wld")}) {
        messages.clear();
        Load(bad);
        EXPECT_EQ(messages, QStringList{"error reading project file"}) << bad;
        EXPECT_EQ(Texts("offlineBlockList"), testing::ListTexts(project)) << bad;
        EXPECT_EQ(app->Project().BlockCount(), 3) << bad;
    }
}

TEST_F(OfflinePageTest, SavingWritesTheSelectionInListOrder) {
    const Program blocks = Blocks(BLOCK_TYPE_DB, 2) + Blocks(BLOCK_TYPE_OB, 3);
    Load(WriteProject("mixed.wld", blocks));
    Select("offlineBlockList", {"DB    2", "OB   3", "OB   1"});
    prompts->files.push_back(QString::fromStdString(files.File("saved.wld")));
    Click("offlineSave");
    EXPECT_EQ(testing::ReadBytes(files.File("saved.wld")),
              testing::Concatenated({blocks[2], blocks[4], blocks[1]}));
    std::filesystem::create_directory(files.File("folder"));
    prompts->files.push_back(QString::fromStdString(files.File("folder")));
    Click("offlineSave");
    EXPECT_EQ(messages, QStringList{"error writing project file"});
}

// By the button and by the Delete key in the list.
TEST_F(OfflinePageTest, DeletingAsksAndRemovesTheSelectionOnYes) {
    Load(WriteProject("fcs.wld", Blocks(BLOCK_TYPE_FC, 4)));
    Click("offlineSelectAll");
    Click("offlineInvert");
    EXPECT_FALSE(Enabled("offlineDel")) << "nothing selected";
    Click("offlineSelectAll");
    for (const bool yes : {false, true}) {
        prompts->answers.push_back(yes);
        if (yes) {
            QTest::keyClick(Find<QListWidget>("offlineBlockList"), Qt::Key_Delete);
        } else {
            Click("offlineDel");
        }
        EXPECT_EQ(app->Project().BlockCount(), yes ? 0 : 4);
        EXPECT_EQ(Texts("offlineBlockList").size(), yes ? 0 : 4);
    }
    EXPECT_EQ(messages, QStringList(2, "Proceed deleting blocks?"));
    EXPECT_EQ(Label("offlineBlockCount"), "0 blocks");
    for (const char* button :
         {"offlineSelectAll", "offlineClearAll", "offlineInvert", "offlineSave"})
        EXPECT_FALSE(Enabled(button)) << button;
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
    EXPECT_EQ(Texts("onlineBlockList").size(), 5);
    EXPECT_EQ(prompts->waitCursorDepth, 0);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
}

}  // namespace
}  // namespace vexal
