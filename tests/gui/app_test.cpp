// Start-up, settings, shutdown and station scans of the application object on the
// scripted libraries, and its sheet in both layouts, saved as screenshots.
#include <QPixmap>

#include "gui_test_support.h"
#include "library_text.h"

namespace vexal {
namespace {

using Titles = std::vector<std::string>;

const Titles kLargeTabs = {"Offline",        "List",   "Online", "Variables",
                           "Operation Mode", "Memory", "Time",   "Diagnostics"};
const Titles kSmallTabs = {"Offline", "List",   "Online", "Variables",
                           "Op Mode", "Memory", "Time",   "Diag"};
constexpr int kNoAdapter = BUSPORT_INVALID_HANDLE;

// A network start whose parts can be made to fail.
class CScriptedNetworkStart : public CNetworkStart {
public:
    CScriptedNetworkStart(bool sockets, bool discovery)
        : sockets_(sockets), discovery_(discovery) {}
    bool StartSockets() override { return sockets_; }
    bool StartDiscovery(CEthDiscovery& engine) override {
        return discovery_ && CNetworkStart::StartDiscovery(engine);
    }

private:
    bool sockets_;
    bool discovery_;
};

class StartUpTest : public testing::ScriptedSession {
protected:
    CMainApp& NewApp(bool sockets = true, bool discovery = true) {
        return MakeApp(true, std::make_unique<CScriptedNetworkStart>(sockets, discovery));
    }
    Titles TabTitles() const {
        Titles titles;
        for (int index = 0; index < Tabs()->count(); ++index)
            titles.push_back(Tabs()->tabText(index).toStdString());
        return titles;
    }
};

// Every case starts, shows all eight pages, shuts down in order (the connection records
// before the adapter, which is released whatever its handle) and stores what came up.
TEST_F(StartUpTest, EachNetworkComesUpOnlyWhereItCanAndTheSettingsRecordIt) {
    const struct {
        const char* what;
        int handle, goOnline, parameters;
        bool sockets, discovery;
        int storedMpi, storedEthernet;  // -1: nothing stored
        const char* storedIface;
        bool ifaceClearedBeforeExit;
        int mpiAvailable, mpiEnabled, ethernetAvailable, ethernetEnabled;
        const char* iface;
    } cases[] = {
        {"defaults", 5, 1, 1, true, true, -1, -1, nullptr, false, 1, 1, 1, 1, "DM9CE1"},
        {"no adapter", kNoAdapter, 1, 1, true, true, -1, -1, nullptr, false, 0, 0, 1, 1, "DM9CE1"},
        {"adapter not online", 5, 0, 1, true, true, -1, -1, nullptr, false, 1, 0, 1, 1, "DM9CE1"},
        {"no bus parameters", 5, 1, 0, true, true, -1, -1, nullptr, false, 1, 0, 1, 1, "DM9CE1"},
        {"no sockets", 5, 1, 1, false, true, -1, -1, nullptr, false, 1, 1, 0, 0, "DM9CE1"},
        {"no discovery", 5, 1, 1, true, false, -1, -1, nullptr, false, 1, 1, 0, 0, "DM9CE1"},
        {"switched off", 5, 1, 1, true, true, 0, 0, nullptr, false, 1, 0, 1, 0, "DM9CE1"},
        {"stored adapter", 5, 1, 1, true, true, -1, -1, "eth7", false, 1, 1, 1, 1, "eth7"},
        {"unknown adapter", 5, 1, 1, true, true, -1, -1, "eth9", false, 1, 1, 1, 0, "eth9"},
        {"name cleared", 5, 1, 1, true, true, -1, -1, "eth7", true, 1, 1, 1, 1, "eth7"},
    };
    UseAdapters({"DM9CE1", "eth7"});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testing::ProfileDir caseProfile;
        if (c.storedMpi >= 0) caseProfile.Store("Mpi", c.storedMpi);
        if (c.storedEthernet >= 0) caseProfile.Store("Ethernet", c.storedEthernet);
        if (c.storedIface != nullptr) caseProfile.Store("EthernetIface", c.storedIface);
        plc = {};
        plc.adapterHandle = c.handle;
        plc.goOnlineResult = c.goOnline;
        plc.netParametersResult = c.parameters;
        // A record of an unavailable network must not be initialised at all.
        plc.mpiInitStatus = c.mpiAvailable ? CPULINK_OK : CPULINK_ADAPTER_OFFLINE;
        plc.tcpInitStatus = c.ethernetAvailable ? CPULINK_OK : CPULINK_CANNOT_CONNECT;
        CMainApp& mainApp = NewApp(c.sockets, c.discovery);

        ASSERT_TRUE(mainApp.StartUp());
        EXPECT_EQ(mainApp.mpiAvailable, c.mpiAvailable);
        EXPECT_EQ(mainApp.mpiEnabled, c.mpiEnabled);
        EXPECT_EQ(mainApp.ethernetAvailable, c.ethernetAvailable);
        EXPECT_EQ(mainApp.ethernetEnabled, c.ethernetEnabled);
        EXPECT_EQ(plc.JournalIndex("GoOnlineDefault") != -1,
                  c.handle != kNoAdapter && c.storedMpi != 0);
        EXPECT_EQ(mainApp.CurrentConnection(), nullptr);
        EXPECT_EQ(TabTitles(), kLargeTabs);
        if (c.ifaceClearedBeforeExit) mainApp.ethernetIface.clear();
        mainApp.ShutDown();

        EXPECT_EQ(caseProfile.Stored("Mpi").toInt(), c.mpiEnabled);
        EXPECT_EQ(caseProfile.Stored("Ethernet").toInt(), c.ethernetEnabled);
        EXPECT_EQ(caseProfile.Stored("EthernetIface").toString(), c.iface);
        EXPECT_TRUE(messages.isEmpty());
        const int order[] = {plc.JournalIndex("DestroyConnection", mainApp.TcpRecord()),
                             plc.JournalIndex("DestroyConnection", mainApp.MpiRecord()),
                             plc.JournalIndex("GoOffline"), plc.JournalIndex("CloseAdapter")};
        for (size_t step = 1; step < 4; ++step) {
            EXPECT_NE(order[step - 1], -1) << step;
            EXPECT_LT(order[step - 1], order[step]) << step;
        }
        for (int step : {order[2], order[3]}) {
            ASSERT_NE(step, -1);
            EXPECT_EQ(plc.journal[static_cast<size_t>(step)].handle, c.handle);
        }
        EXPECT_EQ(mainApp.Sheet(), nullptr);
        EXPECT_FALSE((mainApp.PlcMutex() != nullptr));
    }
}

// A fatal status ends start-up with the library's text before the settings are touched;
// any other status is ignored.
TEST_F(StartUpTest, OnlyAFatalInitialisationStatusEndsStartUp) {
    const struct {
        CpuStatus mpi, tcp;
        bool started, mpiRecordDestroyed;
    } cases[] = {{CPULINK_ADAPTER_OFFLINE, CPULINK_OK, false, false},
                 {CPULINK_OK, CPULINK_CANNOT_CONNECT, false, true},
                 {CPULINK_INVALID_ARGUMENT, CPULINK_NEGATIVE_ANSWER, true, false}};
    for (const auto& c : cases) {
        plc = {};
        plc.adapterHandle = 5;
        plc.mpiInitStatus = c.mpi;
        plc.tcpInitStatus = c.tcp;
        messages.clear();
        CMainApp& mainApp = NewApp();

        EXPECT_EQ(mainApp.StartUp(), c.started) << c.mpi << " " << c.tcp;
        if (c.started) {
            EXPECT_TRUE(messages.isEmpty());
            mainApp.ShutDown();
            continue;
        }
        const CpuStatus fatal = c.mpi != CPULINK_OK ? c.mpi : c.tcp;
        EXPECT_EQ(messages, QStringList{*LibraryErrorText(fatal, 128)});
        EXPECT_EQ(mainApp.Sheet(), nullptr);
        const int destroyed = plc.JournalIndex("DestroyConnection", mainApp.MpiRecord());
        const int closed = plc.JournalIndex("CloseAdapter");
        EXPECT_EQ(destroyed != -1, c.mpiRecordDestroyed) << fatal;
        EXPECT_LT(destroyed, closed);
        ASSERT_NE(closed, -1);
        EXPECT_EQ(plc.journal[static_cast<size_t>(closed)].handle, 5);
        EXPECT_FALSE(profile.Stored("Mpi").isValid());
    }
}

// The name must match exactly; a failed selection turns Ethernet off, so scans fail at once.
TEST_F(StartUpTest, SelectingAnAdapterTakesOnlyAnExistingName) {
    UseAdapters({"DM9CE1", "eth7"});
    CMainApp& mainApp = NewApp();
    ASSERT_TRUE(mainApp.StartUp());
    EXPECT_EQ(mainApp.SelectEthernetAdapter("eth7"), 1);
    EXPECT_EQ(mainApp.ethernetIface, "eth7");
    EXPECT_EQ(mainApp.SelectEthernetAdapter("ETH7"), 0);
    EXPECT_EQ(mainApp.ethernetEnabled, 0);
    EXPECT_EQ(mainApp.ethernetIface, "eth7");
    EthernetStations found{};
    found.count = 3;
    EXPECT_FALSE(mainApp.ScanEthernetStations(&found));
    EXPECT_EQ(found.count, 0);
    mainApp.ethernetAvailable = 0;
    EXPECT_EQ(mainApp.SelectEthernetAdapter("DM9CE1"), 0);
    EXPECT_EQ(mainApp.ethernetIface, "eth7");
    mainApp.ShutDown();
}

TEST_F(StartUpTest, TheMpiScanProbesBelowTheHighestAddressAndSkipsItsOwn) {
    const struct {
        uint8_t highest, own;
        int online;
        bool result;
        std::vector<int> expected;
    } cases[] = {
        {31, 0, 1, true, {2, 30}}, {31, 2, 1, true, {0, 30}}, {200, 0, 1, true, {2, 30, 31, 125}},
        {0, 0, 1, true, {}},       {31, 0, 0, false, {}},
    };
    for (const auto& c : cases) {
        plc.onlineStations = {0, 2, 30, 31, 125, 126};
        plc.goOnlineResult = c.online;
        plc.busParameters.bytes[BUSPORT_HIGHEST_ADDRESS_BYTE] = c.highest;
        plc.busParameters.bytes[BUSPORT_OWN_ADDRESS_BYTE] = c.own;
        ASSERT_TRUE(NewApp().StartUp());
        MpiStations found{};
        found.count = 9;
        EXPECT_EQ(app->ScanMpiStations(&found), c.result);
        EXPECT_EQ(std::vector<int>(found.addresses, found.addresses + found.count), c.expected)
            << int{c.highest} << " " << int{c.own} << " " << c.online;
        app->ShutDown();
    }
}

using ScreensTest = StartUpTest;

// The layout is large from a screen width of 600; the sheet fills the screen of its layout
// and every page fits the small one.
TEST_F(ScreensTest, TheSheetFillsTheScreenOfEachLayout) {
    const struct {
        const char* width;
        const Titles* tabs;
        QSize size;
    } layouts[] = {{"599", &kSmallTabs, {240, 320}}, {"600", &kLargeTabs, {800, 480}}};
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.width);
        NewApp();
        setenv("VEXAL_SCREEN_WIDTH", layout.width, 1);
        ASSERT_TRUE(app->StartUp());
        EXPECT_EQ(TabTitles(), *layout.tabs);
        app->Sheet()->show();
        QCoreApplication::processEvents();
        for (const CSheetPage* page : app->Sheet()->findChildren<CSheetPage*>()) {
            EXPECT_LE(page->minimumSizeHint().width(), layout.size.width())
                << page->objectName().toStdString();
        }
        const QPixmap shot = app->Sheet()->grab();
        EXPECT_EQ(shot.size(), layout.size);
        EXPECT_TRUE(shot.save(QStringLiteral("VexalCE-%1x%2.png")
                                  .arg(layout.size.width())
                                  .arg(layout.size.height())));
        app->ShutDown();
    }
}

}  // namespace
}  // namespace vexal
