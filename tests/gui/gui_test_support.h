// What the GUI tests share: a profile folder of their own, scripted prompts, a page that
// writes down the events it receives, and the session fixture: the application in either
// layout with its sheet on screen, and the steps a user takes on it (show a page, find a
// control by its object name, click, let the tick run, answer a dialog, take a screenshot).
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QSettings>
#include <QTabWidget>
#include <QTimer>
#include <QtTest/QTest>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "describe.h"
#include "fake_plc_library.h"
#include "main_app.h"
#include "main_sheet.h"
#include "network_adapters.h"
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
        // Only the tests of the backup make one.
        Store(QStringLiteral("BackupBeforeOverwrite"), false);
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
    // Cancel when no answer is left.
    SaveAnswer AskSaveDiscardCancel(const QString& text) override {
        messages_->append(text);
        if (saveAnswers.empty()) return SaveAnswer::kCancel;
        const SaveAnswer answer = saveAnswers.front();
        saveAnswers.pop_front();
        return answer;
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
    std::deque<SaveAnswer> saveAnswers;
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

class GuiSession : public ::testing::Test {
protected:
    void TearDown() override {
        if (app && app->StartedUp()) app->ShutDown();
        app.reset();
        unsetenv("VEXAL_SCREEN_WIDTH");
        if (described.empty()) return;
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(test->test_suite_name()) + "." + test->name();
        std::replace(name.begin(), name.end(), '/', '_');
        ExpectGolden(name, described);
    }

    // Adds the visible page, or `control`, under `heading` to the test's description, which
    // is compared with the test's golden file when it ends.
    void Snap(const std::string& heading, const QWidget* control = nullptr,
              const QRegularExpression& varying = {}) {
        described += "== " + heading + layoutTag + "\n" +
                     Describe(control != nullptr ? control : Tabs()->currentWidget(), varying);
    }

    // The application in the large (800x480) or small (240x320) layout, not yet started.
    CMainApp& MakeApp(bool large = true,
                      std::unique_ptr<CNetworkStart> network = std::make_unique<CNetworkStart>()) {
        setenv("VEXAL_SCREEN_WIDTH", large ? "800" : "240", 1);
        layoutTag = large ? " (800x480)" : " (240x320)";
        auto scripted = std::make_unique<CScriptedPrompts>(&messages);
        prompts = scripted.get();
        app = std::make_unique<CMainApp>(std::move(scripted), MakeLibrary(), std::move(network));
        return *app;
    }
    virtual std::unique_ptr<CPlcLibrary> MakeLibrary() { return MakePlcLibrary(); }

    // Started, with its sheet shown, so that every page is initialised.
    void StartApp(bool large = true) {
        ASSERT_TRUE(MakeApp(large).StartUp());
        app->Sheet()->show();
        QCoreApplication::processEvents();
    }

    QTabWidget* Tabs() const {
        return app->Sheet()->findChild<QTabWidget*>(QStringLiteral("sheetTabs"));
    }

    void ShowPage(const char* pageName) {
        ShowPageNow(pageName);
        QCoreApplication::processEvents();
    }

    // Without running the event loop, so that the sheet's own 100 ms timer cannot add a
    // tick in between: for tests that count ticks exactly.
    void ShowPageNow(const char* pageName) {
        QWidget* page = app->Sheet()->findChild<QWidget*>(QString::fromLatin1(pageName));
        ASSERT_NE(page, nullptr) << pageName;
        Tabs()->setCurrentWidget(page);
    }
    void TickNow(int count = 1) {
        for (int index = 0; index < count; ++index) app->Sheet()->OnTimer(CMainSheet::kTickTimerId);
    }
    void Tick(int count = 1) {
        for (int index = 0; index < count; ++index) {
            TickNow();
            QCoreApplication::processEvents();
        }
    }

    // The control with this object name on the visible page, else anywhere in the sheet
    // (pages may use the same names); fails the test without one.
    template <typename Control>
    Control* Find(const char* name) const {
        const QString objectName = QString::fromLatin1(name);
        QWidget* page = Tabs()->currentWidget();
        Control* control = page != nullptr ? page->findChild<Control*>(objectName) : nullptr;
        if (control == nullptr) control = app->Sheet()->findChild<Control*>(objectName);
        EXPECT_NE(control, nullptr) << "no control " << name;
        return control;
    }
    // What the four LEDs show by their accessible descriptions: RUN, STOP, ERR, FRCE.
    std::string Leds() const {
        std::string shown;
        for (const char* led : {"runLed", "stopLed", "errLed", "frceLed"})
            shown += Find<QLabel>(led)->accessibleDescription() == "on" ? '*' : '.';
        return shown;
    }
    // The LEDs after each of `ticks` ticks, one flash cycle of nine ticks to a line.
    std::string LedsTicking(int ticks) {
        std::string shown;
        for (int tick = 1; tick <= ticks; ++tick)
            shown += (TickNow(), Leds()) + (tick % 9 != 0 ? " " : "\n");
        return shown;
    }

    void Click(const char* buttonName) {
        QAbstractButton* button = Find<QAbstractButton>(buttonName);
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(button->isEnabled()) << buttonName << " is disabled";
        QTest::mouseClick(button, Qt::LeftButton);
    }

    // Runs `answer` on the next modal dialog as soon as it is shown (a dialog opened by
    // the next user action); the dialog must be closed by it. Polling stops once `done`
    // is set, so a dialog that never came leaves no poll behind. Only the pending timer
    // holds the poll, so it is freed once the dialog was answered.
    static void WhenDialogShows(std::function<void(QDialog*)> answer,
                                std::shared_ptr<bool> done = std::make_shared<bool>(false)) {
        auto poll = std::make_shared<std::function<void()>>();
        // The queued copies hold the poll itself only weakly: the last one to run frees it.
        *poll = [answer = std::move(answer), done, weak = std::weak_ptr(poll)] {
            const auto self = weak.lock();
            if (*done) return;
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr || !dialog->isVisible()) {
                QTimer::singleShot(10, [self] { (*self)(); });
                return;
            }
            answer(dialog);
        };
        QTimer::singleShot(0, [poll] { (*poll)(); });
    }

    // The sheet as the user sees it, saved as a PNG in the test's build folder.
    void Screenshot(const QString& file) {
        QCoreApplication::processEvents();
        EXPECT_TRUE(app->Sheet()->grab().save(file)) << file.toStdString();
    }

    std::string described;
    std::string layoutTag;  // of the latest application made
    ProfileDir profile;
    QStringList messages;
    CScriptedPrompts* prompts = nullptr;
    std::unique_ptr<CMainApp> app;
};

// The session on the scripted library calls: an adapter at handle 5 on a bus up to address
// 31, and the Ethernet adapters DM9CE1 and eth7.
class ScriptedSession : public GuiSession {
protected:
    ScriptedSession() {
        plc.adapterHandle = 5;
        plc.busParameters.bytes[BUSPORT_HIGHEST_ADDRESS_BYTE] = 31;
        ScriptAdapters({"DM9CE1", "eth7"});
    }
    // Ethernet adapters with these names on one subnet.
    static void ScriptAdapters(const std::vector<const char*>& names) {
        std::vector<platform::NetworkAdapter> adapters(names.size());
        for (size_t index = 0; index < adapters.size(); ++index) {
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
    std::unique_ptr<CPlcLibrary> MakeLibrary() override {
        return std::make_unique<CFakePlcLibrary>(plc);
    }
    void TearDown() override {
        GuiSession::TearDown();
        platform::UseSystemNetworkAdapters();
    }

    FakePlcScript plc;
};

}  // namespace vexal::testing
