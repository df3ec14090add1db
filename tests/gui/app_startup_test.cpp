#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>

#include "app_test_support.h"

namespace vexal {
namespace {

using testing::AppFixture;
using testing::FakePlc;
using testing::JournalIndex;
using Titles = std::vector<std::string>;

const Titles kLargeTabs = {"Offline",        "List",   "Online", "Variables",
                           "Operation Mode", "Memory", "Time",   "Diagnostics"};
const Titles kSmallTabs = {"Offline", "List",   "Online", "Variables",
                           "Op Mode", "Memory", "Time",   "Diag"};

using StartUpTest = AppFixture;

TEST_F(StartUpTest, WithoutStoredSettingsBothNetworksComeUpOnAdapterDM9CE1) {
    CMainApp& mainApp = MakeApp();
    ASSERT_TRUE(mainApp.StartUp());
    EXPECT_EQ(mainApp.mpiAvailable, 1);
    EXPECT_EQ(mainApp.mpiEnabled, 1);
    EXPECT_EQ(mainApp.busParams.bytes[BUSPORT_HIGHEST_ADDRESS_BYTE], 31);
    EXPECT_EQ(mainApp.ethernetAvailable, 1);
    EXPECT_EQ(mainApp.ethernetEnabled, 1);
    EXPECT_EQ(mainApp.ethernetIface, QStringLiteral("DM9CE1"));
    EXPECT_EQ(mainApp.currentConnection, nullptr);
    EXPECT_EQ(TabTitles(), kLargeTabs);
    mainApp.ShutDown();
    EXPECT_EQ(profile.Stored("Mpi").toInt(), 1);
    EXPECT_EQ(profile.Stored("Ethernet").toInt(), 1);
    EXPECT_EQ(profile.Stored("EthernetIface").toString(), QStringLiteral("DM9CE1"));
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(StartUpTest, TheLayoutFollowsTheScreenWidth) {
    const struct {
        const char* width;
        const Titles* tabs;
    } cases[] = {
        {"600", &kLargeTabs}, {"599", &kSmallTabs}, {"240", &kSmallTabs}, {"1024", &kLargeTabs}};
    for (const auto& c : cases) {
        setenv("VEXAL_SCREEN_WIDTH", c.width, 1);
        CMainApp& mainApp = MakeApp();
        ASSERT_TRUE(mainApp.StartUp());
        EXPECT_EQ(TabTitles(), *c.tabs) << c.width;
        mainApp.ShutDown();
    }
}

TEST_F(StartUpTest, WithNothingToConnectToAllEightPagesAreStillShown) {
    FakePlc().adapterHandle = BUSPORT_INVALID_HANDLE;
    FakePlc().mpiInitStatus = CPULINK_ADAPTER_OFFLINE;
    FakePlc().tcpInitStatus = CPULINK_CANNOT_CONNECT;
    CMainApp& mainApp = MakeApp(false, true);
    ASSERT_TRUE(mainApp.StartUp());
    EXPECT_EQ(mainApp.mpiAvailable, 0);
    EXPECT_EQ(mainApp.ethernetAvailable, 0);
    mainApp.sheet->show();
    EXPECT_EQ(TabTitles(), kLargeTabs);
    for (int index = 0; index < mainApp.sheet->PageCount(); ++index) {
        EXPECT_FALSE(mainApp.sheet->Page(index)->IsConnected()) << index;
    }
    mainApp.ShutDown();
    EXPECT_EQ(profile.Stored("Mpi").toInt(), 0);
    EXPECT_EQ(profile.Stored("Ethernet").toInt(), 0);
    EXPECT_TRUE(prompts.messages.isEmpty());
    const int offline = JournalIndex("Busport_GoOffline");
    ASSERT_NE(offline, -1) << "the adapter is released whatever its handle";
    EXPECT_EQ(FakePlc().journal[static_cast<size_t>(offline)].handle, BUSPORT_INVALID_HANDLE);
    EXPECT_NE(JournalIndex("Busport_Close"), -1);
}

TEST_F(StartUpTest, AFailingDiscoveryEngineLeavesEthernetUnavailable) {
    FakePlc().tcpInitStatus = CPULINK_CANNOT_CONNECT;
    CMainApp& mainApp = MakeApp(true, false);
    ASSERT_TRUE(mainApp.StartUp());
    EXPECT_EQ(mainApp.ethernetAvailable, 0);
    EXPECT_EQ(mainApp.ethernetEnabled, 0);
    EXPECT_EQ(mainApp.mpiEnabled, 1);
    mainApp.ShutDown();
    EXPECT_EQ(profile.Stored("Ethernet").toInt(), 0);
    EXPECT_EQ(profile.Stored("EthernetIface").toString(), QStringLiteral("DM9CE1"));
}

TEST_F(StartUpTest, AnAdapterThatCannotGoOnlineIsStoredAsMpiOff) {
    const struct {
        int goOnline;
        int parameters;
        int enabled;
    } cases[] = {{0, 1, 0}, {1, 0, 0}, {1, 1, 1}};
    for (const auto& c : cases) {
        FakePlc().goOnlineResult = c.goOnline;
        FakePlc().netParametersResult = c.parameters;
        profile.Store("Mpi", 1);
        CMainApp& mainApp = MakeApp();
        ASSERT_TRUE(mainApp.StartUp());
        EXPECT_EQ(mainApp.mpiEnabled, c.enabled) << c.goOnline << c.parameters;
        mainApp.ShutDown();
        EXPECT_EQ(profile.Stored("Mpi").toInt(), c.enabled) << c.goOnline << c.parameters;
    }
}

TEST_F(StartUpTest, NetworksSwitchedOffInTheSettingsAreNotTried) {
    profile.Store("Mpi", 0);
    profile.Store("Ethernet", 0);
    profile.Store("EthernetIface", "DM9CE1");
    CMainApp& mainApp = MakeApp();
    ASSERT_TRUE(mainApp.StartUp());
    EXPECT_EQ(mainApp.mpiAvailable, 1);
    EXPECT_EQ(mainApp.mpiEnabled, 0);
    EXPECT_EQ(mainApp.ethernetAvailable, 1);
    EXPECT_EQ(mainApp.ethernetEnabled, 0);
    EXPECT_EQ(JournalIndex("Busport_GoOnlineDefault"), -1);
    mainApp.ShutDown();
}

TEST_F(StartUpTest, AnUnknownStoredAdapterTurnsEthernetOffAndKeepsItsName) {
    profile.Store("EthernetIface", "eth7");
    CMainApp& mainApp = MakeApp();
    ASSERT_TRUE(mainApp.StartUp());
    EXPECT_EQ(mainApp.ethernetEnabled, 0);
    mainApp.ShutDown();
    EXPECT_EQ(profile.Stored("Ethernet").toInt(), 0);
    EXPECT_EQ(profile.Stored("EthernetIface").toString(), QStringLiteral("eth7"));
}

TEST_F(StartUpTest, AnEmptyAdapterNameAtExitLeavesTheStoredOneUntouched) {
    UseAdapters({"DM9CE1", "eth7"});
    profile.Store("EthernetIface", "eth7");
    CMainApp& mainApp = MakeApp();
    ASSERT_TRUE(mainApp.StartUp());
    EXPECT_EQ(mainApp.ethernetIface, QStringLiteral("eth7"));
    mainApp.ethernetIface.clear();
    mainApp.ShutDown();
    EXPECT_EQ(profile.Stored("EthernetIface").toString(), QStringLiteral("eth7"));
}

TEST_F(StartUpTest, SelectingAnAdapterStoresItsNameOnlyWhenItIsFound) {
    UseAdapters({"DM9CE1", "eth7"});
    CMainApp& mainApp = MakeApp();
    ASSERT_TRUE(mainApp.StartUp());
    EXPECT_EQ(mainApp.SelectEthernetAdapter(QStringLiteral("eth7")), 1);
    EXPECT_EQ(mainApp.ethernetIface, QStringLiteral("eth7"));
    EXPECT_EQ(mainApp.SelectEthernetAdapter(QStringLiteral("ETH7")), 0);
    EXPECT_EQ(mainApp.ethernetEnabled, 0);
    EXPECT_EQ(mainApp.ethernetIface, QStringLiteral("eth7"));
    mainApp.ethernetAvailable = 0;
    EXPECT_EQ(mainApp.SelectEthernetAdapter(QStringLiteral("DM9CE1")), 0);
    EXPECT_EQ(mainApp.ethernetIface, QStringLiteral("eth7"));
    mainApp.ShutDown();
}

TEST_F(StartUpTest, AFatalInitialisationEndsStartUpWithTheLibraryText) {
    const struct {
        CpuStatus mpi;
        CpuStatus tcp;
        bool mpiRecordDestroyed;
    } cases[] = {{CPULINK_ADAPTER_OFFLINE, CPULINK_OK, false},
                 {CPULINK_OK, CPULINK_CANNOT_CONNECT, true}};
    for (const auto& c : cases) {
        testing::ResetFakePlc();
        FakePlc().adapterHandle = 5;
        FakePlc().mpiInitStatus = c.mpi;
        FakePlc().tcpInitStatus = c.tcp;
        prompts.messages.clear();
        CMainApp& mainApp = MakeApp();

        EXPECT_FALSE(mainApp.StartUp());

        const CpuStatus fatal = c.mpi != CPULINK_OK ? c.mpi : c.tcp;
        EXPECT_EQ(prompts.messages,
                  QStringList{QString::fromStdWString(testing::FakeErrorText(fatal))});
        EXPECT_EQ(mainApp.sheet, nullptr);
        const int destroyed = JournalIndex("cpuLink_DestroyConnection", &mainApp.mpiRecord);
        const int closed = JournalIndex("Busport_Close");
        EXPECT_EQ(destroyed != -1, c.mpiRecordDestroyed);
        EXPECT_LT(destroyed, closed);
        EXPECT_EQ(FakePlc().journal[static_cast<size_t>(closed)].handle, 5);
        EXPECT_FALSE(profile.Stored("Mpi").isValid());
    }
}

TEST_F(StartUpTest, ANonFatalInitialisationStatusIsIgnored) {
    FakePlc().mpiInitStatus = CPULINK_INVALID_ARGUMENT;
    FakePlc().tcpInitStatus = CPULINK_NEGATIVE_ANSWER;
    CMainApp& mainApp = MakeApp();
    EXPECT_TRUE(mainApp.StartUp());
    EXPECT_TRUE(prompts.messages.isEmpty());
    mainApp.ShutDown();
}

TEST_F(StartUpTest, ShutdownDestroysTheRecordsBeforeTheAdapterGoesOfflineAndCloses) {
    CMainApp& mainApp = MakeApp();
    ASSERT_TRUE(mainApp.StartUp());
    mainApp.ShutDown();
    const std::vector<int> order = {JournalIndex("cpuLink_DestroyConnection", &mainApp.tcpRecord),
                                    JournalIndex("cpuLink_DestroyConnection", &mainApp.mpiRecord),
                                    JournalIndex("Busport_GoOffline"),
                                    JournalIndex("Busport_Close")};
    for (size_t step = 1; step < order.size(); ++step) {
        EXPECT_NE(order[step - 1], -1) << step;
        EXPECT_LT(order[step - 1], order[step]) << step;
    }
    EXPECT_EQ(FakePlc().journal.back().handle, 5);
    EXPECT_EQ(mainApp.sheet, nullptr);
    EXPECT_FALSE(mainApp.plcMutex.has_value());
}

TEST_F(StartUpTest, TheRunShowsTheSheetModallyAndEndsWhenItCloses) {
    CMainApp& mainApp = MakeApp();
    int tabsWhileRunning = -1;
    bool firstTabWasOffline = false;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) return;
        tabsWhileRunning = Tabs()->count();
        firstTabWasOffline = Tabs()->currentIndex() == 0 && Tabs()->tabText(0) == "Offline";
        modal->close();
    });
    EXPECT_FALSE(mainApp.InitInstance());
    EXPECT_TRUE(mainApp.StartedUp());
    EXPECT_EQ(tabsWhileRunning, 8);
    EXPECT_TRUE(firstTabWasOffline);
    EXPECT_EQ(mainApp.sheet, nullptr);
    EXPECT_EQ(profile.Stored("Mpi").toInt(), 1);
}

using StationScanTest = AppFixture;

TEST_F(StationScanTest, TheMpiScanProbesBelowTheHighestAddressAndSkipsItsOwn) {
    const struct {
        uint8_t highest;
        uint8_t own;
        std::vector<int> expected;
    } cases[] = {
        {31, 0, {2, 30}},
        {31, 2, {0, 30}},
        {200, 0, {2, 30, 31, 125}},
        {0, 0, {}},
    };
    for (const auto& c : cases) {
        FakePlc().onlineStations = {0, 2, 30, 31, 125, 126};
        FakePlc().busParameters.bytes[BUSPORT_HIGHEST_ADDRESS_BYTE] = c.highest;
        FakePlc().busParameters.bytes[BUSPORT_OWN_ADDRESS_BYTE] = c.own;
        CMainApp& mainApp = MakeApp();
        ASSERT_TRUE(mainApp.StartUp());
        MpiStations found{};
        EXPECT_TRUE(mainApp.ScanMpiStations(&found));
        EXPECT_EQ(std::vector<int>(found.addresses, found.addresses + found.count), c.expected)
            << int{c.highest} << " " << int{c.own};
        mainApp.ShutDown();
    }
}

TEST_F(StationScanTest, TheMpiScanNeedsTheAdapterOnline) {
    FakePlc().onlineStations = {2};
    FakePlc().goOnlineResult = 0;
    CMainApp& mainApp = MakeApp();
    ASSERT_TRUE(mainApp.StartUp());
    MpiStations found{};
    found.count = 9;
    EXPECT_FALSE(mainApp.ScanMpiStations(&found));
    EXPECT_EQ(found.count, 0);
    mainApp.ShutDown();
}

TEST_F(StationScanTest, TheEthernetScanFailsAtOnceWhileEthernetIsOff) {
    UseAdapters({});
    CMainApp& mainApp = MakeApp();
    ASSERT_TRUE(mainApp.StartUp());
    ASSERT_EQ(mainApp.ethernetEnabled, 0);
    EthernetStations found{};
    found.count = 3;
    EXPECT_FALSE(mainApp.ScanEthernetStations(&found));
    EXPECT_EQ(found.count, 0);
    mainApp.ShutDown();
}

}  // namespace
}  // namespace vexal
