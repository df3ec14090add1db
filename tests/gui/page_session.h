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

    // The control with this object name anywhere in the sheet; fails the test without one.
    template <typename Control>
    Control* Find(const char* name) const {
        auto* control = app->Sheet()->findChild<Control*>(QString::fromLatin1(name));
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
    // the next user action); the dialog must be closed by it.
    // The pending timer owns the poll; the poll knows itself only weakly, so it is freed
    // once it has answered.
    static void WhenDialogShows(std::function<void(QDialog*)> answer) {
        auto poll = std::make_shared<std::function<void()>>();
        *poll = [answer = std::move(answer), self = std::weak_ptr(poll)] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr || !dialog->isVisible()) {
                QTimer::singleShot(10, [again = self.lock()] { (*again)(); });
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
