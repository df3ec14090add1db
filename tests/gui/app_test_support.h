// An application object on the scripted libraries, with a profile folder and network
// adapters of its own.
#pragma once

#include <QTabWidget>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fake_plc_link.h"
#include "gui_test_support.h"
#include "main_app.h"
#include "main_sheet.h"
#include "network_adapters.h"
#include "page_events.h"

namespace vexal::testing {

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

inline platform::NetworkAdapter EthernetAdapter(const char* name) {
    platform::NetworkAdapter adapter{};
    std::strncpy(adapter.name, name, sizeof adapter.name - 1);
    adapter.type = platform::kAdapterTypeEthernet;
    adapter.hardwareAddressLength = 6;
    const uint8_t mac[] = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01};
    std::memcpy(adapter.hardwareAddress, mac, sizeof mac);
    std::strcpy(adapter.ipAddress, "192.168.0.2");
    std::strcpy(adapter.ipMask, "255.255.255.0");
    return adapter;
}

class AppFixture : public ::testing::Test {
protected:
    AppFixture() {
        ResetFakePlc();
        FakePlc().adapterHandle = 5;
        FakePlc().busParameters.bytes[BUSPORT_HIGHEST_ADDRESS_BYTE] = 31;
        UseAdapters({"DM9CE1"});
        setenv("VEXAL_SCREEN_WIDTH", "800", 1);
    }
    ~AppFixture() override {
        app.reset();
        platform::UseSystemNetworkAdapters();
        unsetenv("VEXAL_SCREEN_WIDTH");
    }

    void UseAdapters(const std::vector<const char*>& names) {
        std::vector<platform::NetworkAdapter> adapters;
        for (const char* name : names) adapters.push_back(EthernetAdapter(name));
        platform::ScriptNetworkAdapters(adapters.data(), static_cast<int>(adapters.size()));
    }

    CMainApp& MakeApp(bool sockets = true, bool discovery = true) {
        app =
            std::make_unique<CMainApp>(std::make_unique<CScriptedPrompts>(&prompts),
                                       std::make_unique<CScriptedNetworkStart>(sockets, discovery));
        return *app;
    }

    QTabWidget* Tabs() const {
        return app->sheet->findChild<QTabWidget*>(QStringLiteral("sheetTabs"));
    }

    std::vector<std::string> TabTitles() const {
        std::vector<std::string> titles;
        for (int index = 0; index < Tabs()->count(); ++index) {
            titles.push_back(Tabs()->tabText(index).toStdString());
        }
        return titles;
    }

    ProfileDir profile;
    CScriptedPrompts::Record prompts;
    std::unique_ptr<CMainApp> app;
};

}  // namespace vexal::testing

namespace vexal::testing {

// A started application whose sheet carries one more page that writes down every event.
class OperationsFixture : public AppFixture {
protected:
    void SetUp() override {
        ASSERT_TRUE(MakeApp().StartUp());
        recorder = new CRecordingPage(&events, "rec");
        app->sheet->AddSheetPage(recorder);
    }
    void TearDown() override {
        if (app->StartedUp()) app->ShutDown();
    }

    static QString Text(CpuStatus status) { return QString::fromStdWString(FakeErrorText(status)); }
    static void Answer(CpuStatus status) { FakePlc().answers.push_back(FakeAnswer{status}); }
    static void Answer(FakeAnswer answer) { FakePlc().answers.push_back(std::move(answer)); }

    std::vector<std::string> events;
    CRecordingPage* recorder = nullptr;
};

}  // namespace vexal::testing
