// The "Online" page as a user works it against a controller simulated over real sockets:
// the listing, uploads into the project, deletes, and a connection that drops.
#include <QProgressDialog>

#include "library_text.h"
#include "page_session.h"

namespace vexal {
namespace {

using testing::Blocks;
using testing::Bytes;
using testing::Program;
using testing::operator+;

class OnlinePageTest : public testing::BlockPageSession {
protected:
    // Seventy FCs need two block list requests of 60 numbers.
    const Program program =
        Blocks(BLOCK_TYPE_OB, 2) + Blocks(BLOCK_TYPE_FC, 70) + Blocks(BLOCK_TYPE_SDB, 1, 0);
};

TEST_F(OnlinePageTest, OpeningThePageListsEveryBlockAgainEachTimeAndUploadsTakeTheirPlace) {
    StartWithProgram(program);
    ShowControllerBlocks();
    Select("onlineBlockList", {"FC    1", "FC   70"});
    Snap("listed and two selected");
    {
        std::lock_guard<std::mutex> lock(simulator->Controller().Lock());
        simulator->Controller().DeleteBlock(BLOCK_TYPE_FC, 1);
    }
    ShowPage("offlinePage");
    ShowControllerBlocks();
    Snap("listed again without FC 1");

    Load(WriteProject("project.wld", Blocks(BLOCK_TYPE_OB, 1) + Blocks(BLOCK_TYPE_DB, 1)));
    ShowControllerBlocks();
    Click("onlineClearAll");
    Select("onlineBlockList", {"OB   1", "FC   12", "SDB    0"});
    Click("onlineUpload");
    Click("onlineUpload");
    Snap("project after two uploads", Find<QWidget>("offlineBlockList"));
    EXPECT_EQ(ImageIn(app->Project(), BLOCK_TYPE_OB, 1), ControllerImage(BLOCK_TYPE_OB, 1));
    EXPECT_EQ(prompts->waitCursorDepth, 0);
    app->CloseConnection();
    Snap("disconnected");
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
}

// Over more than a few blocks a progress dialog names the block in hand; its Cancel stops
// the upload between two exchanges, in the block in hand.
TEST_F(OnlinePageTest, ALongUploadShowsItsProgressAndCanBeCancelled) {
    StartWithProgram(program);
    ShowControllerBlocks();
    Click("onlineSelectAll");
    QString shown;
    WhenDialogShows([&](QDialog* dialog) {
        shown = dialog->findChild<QLabel*>()->text();
        QTimer::singleShot(0, dialog,
                           [dialog] { qobject_cast<QProgressDialog*>(dialog)->cancel(); });
    });
    Click("onlineUpload");
    EXPECT_EQ(shown, "Uploading block 1 of 73\nOB 1");
    EXPECT_EQ(app->Project().BlockCount(), 0) << "the cancel stops the first block";
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
    EXPECT_EQ(Find<QListWidget>("offlineBlockList")->count(), app->Project().BlockCount());
    EXPECT_EQ(app->Sheet()->findChild<QProgressDialog*>(), nullptr);
}

// After the whole loop one message names every block left alone, with the reason.
TEST_F(OnlinePageTest, DeletingTellsOfProtectedBlocksAndSystemDataBlocks) {
    const QString denied = *LibraryErrorText(CPULINK_ACCESS_DENIED, 256);
    const struct {
        const char* button;
        std::string password;
        QStringList messages;
    } cases[] = {
        {"onlineDelete", "", {"Proceed deleting blocks?", "FC 2: Protected\nCan't delete SDB 0"}},
        {"onlineUpload", "secret", {"FC 1, FC 2, FC 3, SDB 0: " + denied}},
    };
    for (const auto& c : cases) {
        sim::SimOptions options;
        options.protectedBlocks = {BlockRef_Pack(BLOCK_TYPE_FC, 2)};
        options.password = c.password;
        StartWithProgram(program, options);
        ShowControllerBlocks();
        Select("onlineBlockList", {"FC    1", "FC    2", "FC    3", "SDB    0"});
        prompts->answers = {true};
        messages.clear();
        Click(c.button);
        EXPECT_EQ(messages, c.messages) << c.button;
        Snap(std::string(c.button) + ": refused blocks left selected",
             Find<QWidget>("onlineBlockList"));
        for (const uint16_t number : {1, 2, 3, 4}) {
            EXPECT_EQ(ControllerImage(BLOCK_TYPE_FC, number).empty(),
                      c.password.empty() && number % 2 == 1)
                << number;
        }
        app->ShutDown();
    }
}

// The connection drops at a request counted from a run without the drop: in a refresh, or
// in the middle of the third of five uploads.
TEST_F(OnlinePageTest, ADroppedConnectionLeavesAnEmptyPageAndTheBlocksThatArrivedWhole) {
    const QStringList uploads = {"FC    1", "FC    2", "FC    3", "FC    4", "FC    5"};
    StartWithProgram(program);
    const uint64_t connecting = simulator->RequestCount();
    ShowControllerBlocks();
    Select("onlineBlockList", uploads);
    const uint64_t listed = simulator->RequestCount();
    Click("onlineUpload");
    const uint64_t perUpload = (simulator->RequestCount() - listed) / 5;
    app->ShutDown();
    const struct {
        uint32_t dropAfter;
        int arrived;
    } cases[] = {{static_cast<uint32_t>(connecting + 2), 0},
                 {static_cast<uint32_t>(listed + 2 * perUpload + perUpload / 2 + 1), 2}};
    for (const auto& c : cases) {
        sim::SimOptions options;
        options.dropAfter = c.dropAfter;
        StartWithProgram(program, options);
        ShowControllerBlocks();
        if (c.arrived > 0) {
            Select("onlineBlockList", uploads);
            Click("onlineUpload");
        }
        Snap("dropped with " + std::to_string(c.arrived) + " uploads");
        EXPECT_EQ(app->CurrentConnection(), app->TcpRecord()) << "closing is left to the list";
        EXPECT_EQ(messages.size(), 1) << messages.join(" | ").toStdString();
        ASSERT_EQ(app->Project().BlockCount(), c.arrived);
        for (uint16_t number = 1; number <= c.arrived; ++number)
            EXPECT_EQ(ImageIn(app->Project(), BLOCK_TYPE_FC, number), program[1 + number]);
        app->ShutDown();
        messages.clear();
    }
}

// Both block pages carry the same controls in both layouts; some captions differ.
TEST_F(OnlinePageTest, ScreenshotsOfBothBlockPagesFilledAndConnected) {
    for (const bool large : {true, false}) {
        StartWithProgram(MakeDemoProgram(), {}, large);
        const QString size = large ? "800x480" : "240x320";
        Load(WriteProject("demo.wld", Blocks(BLOCK_TYPE_FB, 5) + Blocks(BLOCK_TYPE_DB, 12)));
        Select("offlineBlockList", {"FB    2", "DB    3"});
        Snap("project", Find<QWidget>("offlinePage"));
        Screenshot("VexalCE-Offline-" + size + ".png");
        ShowControllerBlocks();
        Select("onlineBlockList", {"OB   1", "FC    1"});
        Snap("controller");
        Screenshot("VexalCE-Online-" + size + ".png");
        app->ShutDown();
    }
}

// A block without time stamps and checksum: only its bytes can tell.
Bytes Unstamped(int type, uint16_t number, uint8_t codeByte) {
    Bytes image = MakeDemoBlock(type, number, 40);
    std::fill(image.begin() + 16, image.begin() + 28, 0);
    image[image.size() - 10] = image[image.size() - 9] = 0;
    image[40] = codeByte;
    return image;
}

// "Compare" marks each controller block, names the project's blocks the controller lacks,
// says the marks to screen readers and saves them as a report; the marks stay when the page
// is shown again and go when a list changes.
TEST_F(OnlinePageTest, CompareMarksEveryBlockAgainstTheProjectInBothLayouts) {
    const Program controller =
        Blocks(BLOCK_TYPE_OB, 1) + Blocks(BLOCK_TYPE_FC, 3) +
        Program{Unstamped(BLOCK_TYPE_DB, 5, 1), Unstamped(BLOCK_TYPE_DB, 6, 1)};
    const Program project = {
        controller[0], MakeDemoBlock(BLOCK_TYPE_FC, 1, 60), controller[2],
        controller[4], Unstamped(BLOCK_TYPE_DB, 6, 2),      MakeDemoBlock(BLOCK_TYPE_DB, 9, 40)};
    for (const auto& [large, mpi] : {std::pair{true, false}, std::pair{false, false},
                                    std::pair{true, true}, std::pair{false, true}}) {
        if (app) app->ShutDown();
        StartWithProgram(controller, {}, large, mpi);
        Load(WriteProject("project.wld", project));
        ShowControllerBlocks();
        Click("onlineCompare");
        auto* list = Find<QListWidget>("onlineBlockList");
        QStringList marks;
        for (int row = 0; row < list->count(); ++row) marks << list->item(row)->text();
        EXPECT_EQ(marks.join("|"),
                  "OB   1 =|FC    1 \u2260|FC    2 =|FC    3 +|DB    5 =|DB    6 \u2260");
        EXPECT_EQ(list->item(1)->data(Qt::AccessibleTextRole), "FC 1, differs from project");
        EXPECT_EQ(messages.join(" | "), "Not in the controller: DB 9");
        messages.clear();
        Screenshot(QString("VexalCE-Online-Compare-%1%2.png")
                       .arg(mpi ? "MPI-" : "", large ? "800x480" : "240x320"));
        const std::string report = files.File("report.txt");
        prompts->files.push_back(QString::fromStdString(report));
        Click("onlineReport");
        const Bytes written = testing::ReadBytes(report);
        EXPECT_EQ(std::string(written.begin(), written.end()),
                  "OB 1: same as project\nFC 1: differs from project\nFC 2: same as project\n"
                  "FC 3: only in controller\nDB 5: same as project\nDB 6: differs from project\n"
                  "DB 9: not in controller\n");
        ShowPage("offlinePage");
        ShowControllerBlocks();
        EXPECT_EQ(list->item(0)->text(), "OB   1 =") << "the lists did not change";
        ASSERT_EQ(app->DeleteBlock(BLOCK_TYPE_FC, 3), 0);
        EXPECT_EQ(list->item(0)->text(), "OB   1");
        EXPECT_FALSE(Find<QPushButton>("onlineReport")->isEnabled());
    }
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
}

}  // namespace
}  // namespace vexal
