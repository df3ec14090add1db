// The backup before Download and Delete, against the simulator: a project file holding the
// controller's images of exactly the blocks replaced, and a question when none can be made.
#include "page_session.h"
#include "temp_dir.h"

namespace vexal {
namespace {

using testing::Blocks;
using testing::Bytes;
using testing::operator+;

// Over TCP (false) and over MPI (true).
class BackupTest : public testing::BlockPageSession, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        profile.Store(QStringLiteral("BackupBeforeOverwrite"), true);
        setenv("XDG_DATA_HOME", files.File("data").c_str(), 1);
    }
    void TearDown() override {
        unsetenv("XDG_DATA_HOME");
        BlockPageSession::TearDown();
    }
    // The backup file the last message names, read.
    Bytes Backup() {
        const QString path = messages.value(messages.size() - 1).section(" saved in ", 1);
        messages.clear();
        EXPECT_TRUE(path.startsWith(CMainApp::BackupFolder() +
                                    (GetParam() ? "/MPI2_" : "/127.0.0.1_")))
            << path.toStdString();
        return path.isEmpty() ? Bytes() : testing::ReadBytes(path.toStdString());
    }
};

TEST_P(BackupTest, DownloadAndDeleteSaveWhatTheyReplaceAndAFailedBackupAsks) {
    const testing::Program controller = Blocks(BLOCK_TYPE_FC, 3);
    StartWithProgram(controller, {}, true, GetParam());
    Load(WriteProject("project.wld", Blocks(BLOCK_TYPE_FC, 1, 2) + Blocks(BLOCK_TYPE_DB, 1)));
    Click("offlineSelectAll");
    Click("offlineDownload");
    EXPECT_EQ(Backup(), controller[1]) << "FC 2 as it was; DB 1 was not there";
    EXPECT_EQ(ControllerImage(BLOCK_TYPE_DB, 1), Blocks(BLOCK_TYPE_DB, 1)[0]);

    ShowControllerBlocks();
    Select("onlineBlockList", {"FC    1", "FC    3"});
    prompts->answers = {true};
    Click("onlineDelete");
    EXPECT_EQ(Backup(), testing::Concatenated({controller[0], controller[2]}));

    {
        std::lock_guard<std::mutex> lock(simulator->Controller().Lock());
        simulator->Controller().DeleteBlock(BLOCK_TYPE_DB, 1);
    }
    QDir(CMainApp::BackupFolder()).removeRecursively();
    testing::WriteBytes(CMainApp::BackupFolder().toStdString(), {1});
    ShowPage("offlinePage");
    Click("offlineSelectAll");
    prompts->answers = {false};
    Click("offlineDownload");
    EXPECT_EQ(prompts->answers.size(), 0u) << "asked whether to go on";
    EXPECT_EQ(messages.join(" | "),
              "The backup of the controller's blocks failed. Go on without it?");
    EXPECT_TRUE(ControllerImage(BLOCK_TYPE_DB, 1).empty()) << "nothing downloaded";
}

INSTANTIATE_TEST_SUITE_P(Links, BackupTest, ::testing::Bool());

}  // namespace
}  // namespace vexal
