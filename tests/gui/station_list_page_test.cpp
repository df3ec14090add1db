// The "List" page as a user drives it: the stations found on the MPI bus and the Ethernet
// segment, connecting to them and to a typed address, the password login, the networks.
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "library_text.h"
#include "page_session.h"
#include "station_list_page.h"

namespace vexal {
namespace {

using testing::Quad;

class StationListTest : public testing::StationSession {
protected:
    void ShowList(bool large = true) {
        StartApp(large);
        ShowPage("stationListPage");
        Tick();
    }

    int RowCount() const { return Find<QListWidget>("stationList")->count(); }

    void ClickRow(int row) {
        auto* list = Find<QListWidget>("stationList");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(row)).center());
    }

    // Every page knows the connected state, and the list shows it with uncut captions.
    void ExpectConnected(bool expected, const std::string& heading) {
        for (int index = 0; index < app->Sheet()->PageCount(); ++index) {
            EXPECT_EQ(app->Sheet()->Page(index)->IsConnected(), expected) << index;
        }
        Snap(heading);
        for (auto* button : Find<QWidget>("stationListPage")->findChildren<QPushButton*>()) {
            EXPECT_GT(button->width(), button->fontMetrics().horizontalAdvance(button->text()))
                << button->text().toStdString() << " is cut";
        }
    }

    // Clicks `button` and types `keys` into the dialog it opens.
    void ClickAnswering(const char* button, const QString& keys) {
        WhenDialogShows([keys](QDialog* dialog) {
            Type(dialog, keys);
            if (dialog->isVisible()) dialog->reject();
        });
        Click(button);
    }
};

class StationListLayoutTest : public StationListTest, public ::testing::WithParamInterface<bool> {};

// The large layout reaches its MPI station through the station's own endpoint, the small
// one through a gateway that holds stations 2 and 5.
TEST_P(StationListLayoutTest, ListedStationsConnectOverMpiAndOverTcp) {
    sim::SimOptions options;
    if (!GetParam()) options.mpiStations = {2, 5};
    StartSimulator(options);
    const std::string bus = profile.Path() + "/bus";
    const std::string text = std::string("own 0\nhighest 31\n") +
                             (GetParam() ? "station 2 " : "gateway ") +
                             "127.0.0.1:" + std::to_string(simulator->Port()) + "\n";
    testing::WriteBytes(bus, std::vector<uint8_t>(text.begin(), text.end()));
    setenv("VEXAL_MPI_BUS", bus.c_str(), 1);
    SetStations({{127, 0, 0, 1}});
    int waitCursorDuringScan = -1;
    net->onWrite = [&](const testing::Bytes&, int, testing::ScriptedNet&) {
        waitCursorDuringScan = prompts->waitCursorDepth;
    };
    ShowList(GetParam());
    Snap("scanned");
    const int rows = RowCount();  // the small layout's bus has a gateway station too
    EXPECT_EQ(waitCursorDuringScan, 1);
    EXPECT_EQ(prompts->waitCursorDepth, 0);
    const QString layout = GetParam() ? "800x480" : "240x320";
    Screenshot("VexalCE-List-" + layout + ".png");

    for (int row = 0; row < rows; ++row) {
        ClickRow(row);
        Click("connectButton");
        const bool mpi = row + 1 < rows;
        EXPECT_EQ(app->CurrentConnection(), mpi ? app->MpiRecord() : app->TcpRecord()) << row;
        ExpectConnected(true, "connected to row " + std::to_string(row));
        if (row == 0) Screenshot("VexalCE-List-connected-" + layout + ".png");
        Click("connectButton");
        ExpectConnected(false, "disconnected from row " + std::to_string(row));
    }
    const std::string joined = text + "station 7 127.0.0.1:" + std::to_string(simulator->Port());
    testing::WriteBytes(bus, std::vector<uint8_t>(joined.begin(), joined.end()));
    Click("refreshButton");  // a station that joined the bus since start-up is found
    EXPECT_EQ(Find<QListWidget>("stationList")->findItems("MPI = 7", Qt::MatchExactly).size(), 1);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
}

INSTANTIATE_TEST_SUITE_P(Layouts, StationListLayoutTest, ::testing::Bool());

TEST_F(StationListTest, TypedAddressOpensOverTcpWithoutJoiningTheList) {
    StartSimulator();
    ShowList();
    ClickAnswering("connectButton", "1270\t0\t1\n");  // the first octet moves on by itself
    EXPECT_EQ(app->CurrentConnection(), app->TcpRecord());
    ExpectConnected(true, "connected");
    Click("connectButton");

    QStringList shown;
    WhenDialogShows([&](QDialog* dialog) {
        for (auto* edit : dialog->findChildren<QLineEdit*>()) shown << edit->text();
        Type(dialog, "\x1b");
    });
    QTest::mouseDClick(Find<QListWidget>("stationList")->viewport(), Qt::LeftButton);
    EXPECT_EQ(shown, (QStringList{"127", "0", "0", "1"}));
    ExpectConnected(false, "disconnected");
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
}

// A refused password drops the link; the password outlives the "Opt" button going up.
TEST_F(StationListTest, PasswordIsSentAfterASuccessfulConnectWhileOptIsDown) {
    sim::SimOptions options;
    options.password = "secret";
    StartSimulator(options);
    SetStations({{127, 0, 0, 1}});
    ShowList();
    ClickRow(0);
    const QString refused =
        *LibraryErrorText(CPULINK_PASSWORD_REFUSED, CPULINK_ERROR_TEXT_CAPACITY);
    struct Attempt {
        QString optKeys;  // typed into the password dialog when "Opt" goes down
        bool optDown;
        bool connected;
        QStringList messages;
    };
    const Attempt attempts[] = {
        {"wrong\n", true, false, {refused}},
        {"secret\n", true, true, {}},  // typed over the kept "wrong", which is selected
        {"x\x1b", false, true, {}},    // no login at all
    };
    for (const Attempt& attempt : attempts) {
        if (Find<QAbstractButton>("optionsButton")->isChecked()) Click("optionsButton");
        ClickAnswering("optionsButton", attempt.optKeys);
        EXPECT_EQ(Find<QAbstractButton>("optionsButton")->isChecked(), attempt.optDown);
        Click("connectButton");
        ExpectConnected(attempt.connected, "after " + attempt.optKeys.toStdString());
        EXPECT_EQ(messages, attempt.messages) << attempt.optKeys.toStdString();
        if (attempt.connected) Click("connectButton");
        messages.clear();
    }

    // A failed open is reported once and no login follows.
    ClickAnswering("optionsButton", "\n");
    simulator->Stop();
    Click("connectButton");
    EXPECT_EQ(messages.size(), 1) << messages.join(" | ").toStdString();
    ExpectConnected(false, "failed open");
    EXPECT_EQ(app->CurrentConnection(), nullptr);
}

TEST_F(StationListTest, EthernetRowsFollowTheScanAndTheNetworkChoice) {
    SetStations({{192, 168, 2, 10},
                 {192, 168, 1, 20},
                 {10, 0, 0, 5},
                 {9, 0, 0, 6},
                 {126, 0, 0, 0},
                 {127, 0, 0, 0}});
    ShowList();
    Snap("ordered by the last octet first");
    ClickRow(3);
    net->stations.pop_back();
    Click("refreshButton");
    Snap("one gone, the selected one kept");

    // A real segment spreads the answers out: the engine hands on at most 63 at a time.
    net->stations.clear();
    for (int n = 0; n < 300; ++n) {
        const Quad ip = {10, 0, static_cast<uint8_t>(n / 200), static_cast<uint8_t>(n % 200 + 1)};
        net->stations.push_back(testing::Station(n + 1, ip, {}, n));
    }
    Click("refreshButton");
    EXPECT_EQ(RowCount(), CStationListPage::kMaxEthernetRows);

    ClickAnswering("netsButton", " \n");  // TCP off
    Snap("TCP off");
    const int scans = net->opens;
    ClickAnswering("netsButton", QStringLiteral(" \t\u2193\u2190 \n"));  // other adapter, TCP off
    EXPECT_EQ(net->opens, scans);
    EXPECT_EQ(app->Networks().State().ethernetIface, "scr0");

    ClickAnswering("netsButton", " \n");  // TCP on again
    EXPECT_EQ(RowCount(), CStationListPage::kMaxEthernetRows);
    EXPECT_TRUE(messages.isEmpty());
}

}  // namespace
}  // namespace vexal
