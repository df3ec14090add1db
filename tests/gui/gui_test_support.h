// What the GUI tests share: a profile folder of their own, scripted prompts and network
// start, a page that writes down the events it receives, and application fixtures on the
// scripted libraries.
#pragma once

#include <gtest/gtest.h>

#include <QSettings>
#include <QStringList>
#include <QTabWidget>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fake_plc_link.h"
#include "main_app.h"
#include "main_sheet.h"
#include "network_adapters.h"
#include "page_events.h"
#include "sheet_page.h"
#include "temp_dir.h"
#include "user_prompts.h"

namespace vexal::testing {

using Events = std::vector<std::string>;

// Points the application profile at a fresh folder for as long as it lives.
class ProfileDir {
public:
    ProfileDir() {
        const QString path = QString::fromStdString(dir_.Path().string());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, path);
    }
    std::string Path() const { return dir_.Path().string(); }
    void Store(const QString& name, const QVariant& value) const {
        QSettings(QStringLiteral("Norrik"), QStringLiteral("VexalCE")).setValue(name, value);
    }
    QVariant Stored(const QString& name) const {
        return QSettings(QStringLiteral("Norrik"), QStringLiteral("VexalCE")).value(name);
    }

private:
    TempDir dir_;
};

// Records every text shown and every file filter offered. Questions take the next of
// `answers` (No when none is left), file dialogs the next of `files` (cancelled when none
// is left); `waitCursorDepth` follows the wait cursor.
class CScriptedPrompts : public CUserPrompts {
public:
    explicit CScriptedPrompts(QStringList* messages) : messages_(messages) {}
    void ShowMessage(const QString& text) override { messages_->append(text); }
    bool AskYesNo(const QString& text) override {
        messages_->append(text);
        if (answers.empty()) return false;
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    }
    QString ChooseFileToOpen(const QString&, const QString& filter) override {
        return NextFile(filter);
    }
    QString ChooseFileToSave(const QString&, const QString& filter) override {
        return NextFile(filter);
    }
    void BeginWaitCursor() override { ++waitCursorDepth; }
    void EndWaitCursor() override { --waitCursorDepth; }

    std::deque<bool> answers;
    std::deque<QString> files;
    QStringList filters;
    int waitCursorDepth = 0;

private:
    QString NextFile(const QString& filter) {
        filters.append(filter);
        if (files.empty()) return {};
        QString file = files.front();
        files.pop_front();
        return file;
    }

    QStringList* messages_;
};

// A page that writes "name:code" (and ":a" when a is set) for every event it receives.
class CRecordingPage : public CSheetPage {
public:
    CRecordingPage(const PageContext& context, Events* journal, std::string name)
        : CSheetPage(context, 120), journal_(journal), name_(std::move(name)) {}
    void OnPageEvent(PageEvent code, uint32_t a, uint32_t) override {
        journal_->push_back(name_ + ":" + std::to_string(code) +
                            (a != 0 ? ":" + std::to_string(a) : ""));
        if (onEvent) onEvent(code);
    }
    bool OnSetActive() override {
        journal_->push_back(name_ + ":active");
        return true;
    }
    bool OnKillActive() override {
        journal_->push_back(name_ + ":leave");
        return mayLeave;
    }

    std::function<void(int32_t code)> onEvent;
    bool mayLeave = true;

private:
    Events* journal_;
    std::string name_;
};

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

// An application object on the scripted libraries, with an adapter at handle 5 on a bus
// up to address 31, the Ethernet adapters named, and the large layout.
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

    static void UseAdapters(const std::vector<const char*>& names) {
        std::vector<platform::NetworkAdapter> adapters(names.size());
        for (size_t index = 0; index < names.size(); ++index) {
            platform::NetworkAdapter& adapter = adapters[index];
            std::strncpy(adapter.name, names[index], sizeof adapter.name - 1);
            adapter.type = platform::kAdapterTypeEthernet;
            adapter.hardwareAddressLength = 6;
            adapter.hardwareAddress[0] = 0x02;
            std::strcpy(adapter.ipAddress, "192.168.0.2");
            std::strcpy(adapter.ipMask, "255.255.255.0");
        }
        platform::ScriptNetworkAdapters(adapters.data(), static_cast<int>(adapters.size()));
    }

    CMainApp& MakeApp(bool sockets = true, bool discovery = true) {
        app =
            std::make_unique<CMainApp>(std::make_unique<CScriptedPrompts>(&messages),
                                       std::make_unique<CScriptedNetworkStart>(sockets, discovery));
        return *app;
    }

    QTabWidget* Tabs() const { return app->Sheet()->findChild<QTabWidget*>("sheetTabs"); }
    std::vector<std::string> TabTitles() const {
        std::vector<std::string> titles;
        for (int index = 0; index < Tabs()->count(); ++index)
            titles.push_back(Tabs()->tabText(index).toStdString());
        return titles;
    }

    ProfileDir profile;
    QStringList messages;
    std::unique_ptr<CMainApp> app;
};

// A started application whose sheet carries one more page that writes down every event.
class OperationsFixture : public AppFixture {
protected:
    void SetUp() override {
        ASSERT_TRUE(MakeApp().StartUp());
        recorder = new CRecordingPage(app->MakePageContext(), &events, "rec");
        app->Sheet()->AddSheetPage(recorder);
    }
    void TearDown() override {
        if (app->StartedUp()) app->ShutDown();
    }
    // Forgets what the pages and the user were told, and scripts the next call's answer.
    void Script(FakeAnswer answer) {
        events.clear();
        messages.clear();
        FakePlc().answers.push_back(std::move(answer));
    }
    static QString Text(CpuStatus status) { return QString::fromStdWString(FakeErrorText(status)); }
    // Either the pages heard of a lost connection and the status's text was shown, or neither.
    void ExpectLost(bool lost, CpuStatus status) {
        EXPECT_EQ(events, lost ? Events{"rec:2"} : Events{});
        EXPECT_EQ(messages, lost ? QStringList{Text(status)} : QStringList{});
    }

    Events events;
    CRecordingPage* recorder = nullptr;
};

}  // namespace vexal::testing
