// The fixture of the page tests: a simulator on a loopback port, the application started
// in the chosen layout with its sheet on screen, a connection over TCP, and the steps a
// user takes: show a page, find a control by its object name, let the tick run, answer a
// dialog, take a screenshot.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QTabWidget>
#include <QTimer>
#include <QtTest/QTest>
#include <functional>
#include <memory>
#include <string>

#include "gui_test_support.h"
#include "simulator.h"

namespace vexal::testing {

inline const StationKey kLoopbackKey = StationKey_FromOctets(127, 0, 0, 1);

class PageSession : public ::testing::Test {
protected:
    void TearDown() override {
        if (app && app->StartedUp()) app->ShutDown();
        app.reset();
        if (simulator) simulator->Stop();
        unsetenv("VEXAL_S7_PORT");
        unsetenv("VEXAL_SCREEN_WIDTH");
    }

    // Starts the simulator on a free loopback port; the library is pointed at it.
    void StartSimulator(sim::SimOptions options = {}) {
        options.listen = {{"127.0.0.1", 0}};
        simulator = std::make_unique<sim::Simulator>(options);
        std::string error;
        ASSERT_TRUE(simulator->Start(&error)) << error;
        setenv("VEXAL_S7_PORT", std::to_string(simulator->Port()).c_str(), 1);
    }

    // Starts the application in the large (800x480) or small (240x320) layout and shows
    // its sheet, so that every page is initialised.
    void StartApp(bool large = true) {
        setenv("VEXAL_SCREEN_WIDTH", large ? "800" : "240", 1);
        auto scripted = std::make_unique<CScriptedPrompts>(&messages);
        prompts = scripted.get();
        app = std::make_unique<CMainApp>(std::move(scripted));
        ASSERT_TRUE(app->StartUp());
        app->Sheet()->show();
        QCoreApplication::processEvents();
    }

    void Connect() {
        ASSERT_EQ(app->OpenTcp(kLoopbackKey), 1) << messages.join(" | ").toStdString();
    }

    // A simulator, the application and a connection, in one step.
    void StartConnected(sim::SimOptions options = {}, bool large = true) {
        StartSimulator(std::move(options));
        StartApp(large);
        Connect();
    }

    // Makes the page with this object name the visible page.
    void ShowPage(const char* pageName) {
        auto* tabs = app->Sheet()->findChild<QTabWidget*>(QStringLiteral("sheetTabs"));
        QWidget* page = app->Sheet()->findChild<QWidget*>(QString::fromLatin1(pageName));
        ASSERT_NE(page, nullptr) << pageName;
        tabs->setCurrentWidget(page);
        QCoreApplication::processEvents();
    }

    // The same two steps without running the event loop, so that the sheet's own 100 ms
    // timer cannot add a tick in between: for tests that count ticks exactly.
    void ShowPageNow(const char* pageName) {
        auto* tabs = app->Sheet()->findChild<QTabWidget*>(QStringLiteral("sheetTabs"));
        tabs->setCurrentWidget(app->Sheet()->findChild<QWidget*>(QString::fromLatin1(pageName)));
    }
    void TickNow(int count = 1) {
        for (int index = 0; index < count; ++index) app->Sheet()->OnTimer(CMainSheet::kTickTimerId);
    }

    // The control with this object name on the visible page, else anywhere in the sheet
    // (pages may use the same names); fails the test without one.
    template <typename Control>
    Control* Find(const char* name) const {
        const QString objectName = QString::fromLatin1(name);
        auto* tabs = app->Sheet()->findChild<QTabWidget*>(QStringLiteral("sheetTabs"));
        Control* control = tabs->currentWidget() != nullptr
                               ? tabs->currentWidget()->findChild<Control*>(objectName)
                               : nullptr;
        if (control == nullptr) control = app->Sheet()->findChild<Control*>(objectName);
        EXPECT_NE(control, nullptr) << "no control " << name;
        return control;
    }

    void Click(const char* buttonName) {
        QAbstractButton* button = Find<QAbstractButton>(buttonName);
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(button->isEnabled()) << buttonName << " is disabled";
        QTest::mouseClick(button, Qt::LeftButton);
    }

    // The sheet's 100 ms tick, `count` times, without waiting for the timer.
    void Tick(int count = 1) {
        for (int index = 0; index < count; ++index) {
            app->Sheet()->OnTimer(CMainSheet::kTickTimerId);
            QCoreApplication::processEvents();
        }
    }

    // Runs `answer` on the next modal dialog as soon as it is shown (a dialog opened by
    // the next user action); the dialog must be closed by it. Only the pending timer holds
    // the poll, so it is freed once the dialog was answered.
    static void WhenDialogShows(std::function<void(QDialog*)> answer) {
        auto poll = std::make_shared<std::function<void()>>();
        // The queued copies hold the poll itself only weakly: the last one to run frees it.
        *poll = [answer = std::move(answer), weak = std::weak_ptr(poll)] {
            const auto self = weak.lock();
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

    ProfileDir profile;
    QStringList messages;
    CScriptedPrompts* prompts = nullptr;
    std::unique_ptr<sim::Simulator> simulator;
    std::unique_ptr<CMainApp> app;
};

}  // namespace vexal::testing
