// Start-up, settings, shutdown, network switching and station scans of the application
// object on the scripted library calls, and its sheet in both layouts, saved as screenshots.
#include <QPixmap>

#include "gui_test_support.h"
#include "library_text.h"

namespace vexal {
namespace {

constexpr int kNoAdapter = BUSPORT_INVALID_HANDLE;

// A network start whose discovery engine can be made to fail.
class CScriptedNetworkStart : public CNetworkStart {
public:
    explicit CScriptedNetworkStart(bool discovery) : discovery_(discovery) {}
    bool StartDiscovery(CEthDiscovery& engine) override {
        return discovery_ && CNetworkStart::StartDiscovery(engine);
    }

private:
    bool discovery_;
};

// The four network flags: MPI available and on, Ethernet available and on.
std::string Flags(const NetworkState& state) {
    std::string flags;
    for (bool flag :
         {state.mpiAvailable, state.mpiEnabled, state.ethernetAvailable, state.ethernetEnabled})
        flags += flag ? '1' : '0';
    return flags;
}

class StartUpTest : public testing::ScriptedSession {
protected:
    CMainApp& NewApp(bool discovery = true) {
        return MakeApp(true, std::make_unique<CScriptedNetworkStart>(discovery));
    }
    // The adapter and record calls so far, with the record ("tcp", "mpi") or adapter handle.
    testing::Events Calls() const {
        testing::Events calls;
        for (const testing::FakeCall& call : plc.journal) {
            const bool tcp = call.record == app->TcpRecord(), mpi = call.record == app->MpiRecord();
            calls.push_back(call.name + " " +
                            (tcp   ? "tcp"
                             : mpi ? "mpi"
                                   : std::to_string(call.handle)));
        }
        return calls;
    }
};

// Every case starts, shows all eight pages, shuts down in order (the connection records
// before the adapter, which is released whatever its handle) and stores what came up.
TEST_F(StartUpTest, EachNetworkComesUpOnlyWhereItCanAndTheSettingsRecordIt) {
    const struct {
        const char* what;
        int handle, goOnline, parameters;
        bool discovery;
        int storedMpi, storedEthernet;  // -1: nothing stored
        const char* storedIface;
        const char* flags;  // as Flags() writes them
        const char* iface;
        bool defaultMissing = false;  // the system has eth7 only
    } cases[] = {
        {"defaults", 5, 1, 1, true, -1, -1, nullptr, "1111", "DM9CE1"},
        {"no adapter", kNoAdapter, 1, 1, true, -1, -1, nullptr, "0011", "DM9CE1"},
        {"adapter not online", 5, 0, 1, true, -1, -1, nullptr, "1011", "DM9CE1"},
        {"no bus parameters", 5, 1, 0, true, -1, -1, nullptr, "1011", "DM9CE1"},
        {"no discovery", 5, 1, 1, false, -1, -1, nullptr, "1100", "DM9CE1"},
        {"switched off", 5, 1, 1, true, 0, 0, nullptr, "1010", "DM9CE1"},
        {"stored adapter", 5, 1, 1, true, -1, -1, "eth7", "1111", "eth7"},
        {"unknown adapter", 5, 1, 1, true, -1, -1, "eth9", "1110", "eth9"},
        {"no default adapter", 5, 1, 1, true, -1, -1, nullptr, "1111", "eth7", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testing::ProfileDir caseProfile;
        if (c.storedMpi >= 0) caseProfile.Store("Mpi", c.storedMpi);
        if (c.storedEthernet >= 0) caseProfile.Store("Ethernet", c.storedEthernet);
        if (c.storedIface != nullptr) caseProfile.Store("EthernetIface", c.storedIface);
        ScriptAdapters(c.defaultMissing ? std::vector<const char*>{"eth7"}
                                        : std::vector<const char*>{"DM9CE1", "eth7"});
        plc = {};
        plc.adapterHandle = c.handle;
        plc.goOnlineResult = c.goOnline;
        plc.netParametersResult = c.parameters;
        // A record of an unavailable network must not be initialised at all.
        plc.mpiInitStatus = c.flags[0] == '1' ? CPULINK_OK : CPULINK_ADAPTER_OFFLINE;
        plc.tcpInitStatus = c.flags[2] == '1' ? CPULINK_OK : CPULINK_CANNOT_CONNECT;
        CMainApp& mainApp = NewApp(c.discovery);

        ASSERT_TRUE(mainApp.StartUp());
        EXPECT_EQ(Flags(mainApp.Networks().State()), c.flags);
        EXPECT_EQ(mainApp.CurrentConnection(), nullptr);
        EXPECT_EQ(Tabs()->count(), 9);
        mainApp.ShutDown();

        EXPECT_EQ(caseProfile.Stored("Mpi").toString(), QString(c.flags[1]));
        EXPECT_EQ(caseProfile.Stored("Ethernet").toString(), QString(c.flags[3]));
        EXPECT_EQ(caseProfile.Stored("EthernetIface").toString(), c.iface);
        EXPECT_TRUE(messages.isEmpty());
        const std::string handle = " " + std::to_string(c.handle);
        testing::Events calls = {"DestroyConnection tcp", "DestroyConnection mpi",
                                 "GoOffline" + handle, "CloseAdapter" + handle};
        if (c.handle != kNoAdapter && c.storedMpi != 0)
            calls.insert(calls.begin(), "GoOnlineDefault" + handle);
        EXPECT_EQ(Calls(), calls);
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
        testing::Events calls = {"GoOnlineDefault 5", "CloseAdapter 5"};
        if (c.mpiRecordDestroyed) calls.insert(calls.begin() + 1, "DestroyConnection mpi");
        EXPECT_EQ(Calls(), calls) << fatal;
        EXPECT_FALSE(profile.Stored("Mpi").isValid());
    }
}

// Each choice of the network dialog, in turn, starting with both networks on: what comes
// up, and whether the stations need listing again. An adapter name must match exactly and
// counts only while Ethernet is on or being switched on.
TEST_F(StartUpTest, ApplyingANetworkChoiceSwitchesOnlyWhatChanged) {
    ASSERT_TRUE(NewApp().StartUp());
    CNetworks& networks = app->Networks();
    const struct {
        NetworkChoice choice;
        bool relist;
        const char* flags;  // as Flags() writes them
        const char* iface;
        testing::Events adapterCalls;
    } steps[] = {
        {{true, true, "DM9CE1"}, false, "1111", "DM9CE1", {}},
        {{false, true, "DM9CE1"}, true, "1011", "DM9CE1", {"GoOffline 5"}},
        {{true, true, "DM9CE1"}, true, "1111", "DM9CE1", {"GoOnlineDefault 5"}},
        {{true, true, "eth7"}, true, "1111", "eth7", {}},
        {{true, true, "ETH7"}, true, "1110", "eth7", {}},
        {{true, false, "DM9CE1"}, false, "1110", "eth7", {}},
        {{true, true, "DM9CE1"}, true, "1111", "DM9CE1", {}},
        {{true, false, "DM9CE1"}, true, "1110", "DM9CE1", {}},
    };
    for (const auto& step : steps) {
        plc.journal.clear();
        const NetworkChoice& choice = step.choice;
        SCOPED_TRACE(::testing::Message()
                     << choice.mpiOn << choice.tcpOn << " " << choice.chosenAdapter.toStdString());
        EXPECT_EQ(networks.Apply(choice), step.relist);
        EXPECT_EQ(Flags(networks.State()), step.flags);
        EXPECT_EQ(networks.State().ethernetIface, step.iface);
        EXPECT_EQ(Calls(), step.adapterCalls);
    }
    EthernetStations found{};
    found.count = 3;
    EXPECT_FALSE(networks.ScanEthernetStations(&found));
    EXPECT_EQ(found.count, 0);
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
        EXPECT_EQ(app->Networks().ScanMpiStations(&found), c.result);
        EXPECT_EQ(std::vector<int>(found.addresses, found.addresses + found.count), c.expected)
            << int{c.highest} << " " << int{c.own} << " " << c.online;
        app->ShutDown();
    }
}

using ScreensTest = StartUpTest;

// The layout is large from a screen width of 600; the sheet fills the screen of its layout
// and every page fits the small one. The golden file holds the tab titles of each.
TEST_F(ScreensTest, TheSheetFillsTheScreenOfEachLayout) {
    const struct {
        const char* width;
        QSize size;
    } layouts[] = {{"599", {240, 320}}, {"600", {800, 480}}};
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.width);
        NewApp();
        setenv("VEXAL_SCREEN_WIDTH", layout.width, 1);
        ASSERT_TRUE(app->StartUp());
        described += std::string("tabs at width ") + layout.width + ":";
        for (int index = 0; index < Tabs()->count(); ++index)
            described += " | " + Tabs()->tabText(index).toStdString();
        described += "\n";
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
