// The page session with the station side scripted at the system's edge: an Ethernet
// segment behind the frame device whose stations answer discovery, on an adapter "scr0"
// whose subnet takes every address; VEXAL_MPI_BUS is cleared afterwards.
#pragma once

#include <QtTest/QTest>
#include <cstdlib>
#include <map>
#include <vector>

#include "bus_file.h"
#include "page_session.h"
#include "scripted_net.h"

namespace vexal::testing {

class StationSession : public PageSession {
protected:
    void SetUp() override {
        net = ScriptedNet::Install();
        ScriptedNet::ScriptAdapters({ScriptedNet::ScanAdapter(kScanAdapter, "0.0.0.1", "0.0.0.0"),
                                     ScriptedNet::ScanAdapter("scr1")});
        profile.Store(QStringLiteral("EthernetIface"), QString::fromLatin1(kScanAdapter));
    }

    void TearDown() override {
        PageSession::TearDown();
        platform::RegisterFrameDevice(platform::kFrameDeviceName, {});
        platform::UseSystemNetworkAdapters();
        unsetenv("VEXAL_MPI_BUS");
    }

    // Stations on the segment, each on the scanner's subnet.
    void SetStations(const std::vector<Quad>& ips) {
        net->stations.clear();
        for (const Quad& ip : ips) {
            net->stations.push_back(Station(static_cast<int>(net->stations.size()) + 1, ip, {}));
        }
    }

    // Keys as a user presses them on the focused control: '\t' Tab, '\u2190' Backtab,
    // '\u2193' Down, '\n' Enter, '\b' Backspace, '\x1b' Escape.
    static void Type(QWidget* window, const QString& keys) {
        if (!window->isActiveWindow()) {
            window->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(window));
            QCoreApplication::processEvents();
        }
        for (const QChar key : keys) {
            QWidget* focused = window->focusWidget() ? window->focusWidget() : window;
            const auto named = kNamedKeys.find(key.unicode());
            if (named == kNamedKeys.end()) {
                QTest::keyClicks(focused, QString(key));
            } else {
                QTest::keyClick(focused, named->second);
            }
        }
    }

    static inline const std::map<char16_t, Qt::Key> kNamedKeys = {
        {u'\t', Qt::Key_Tab},    {u'\u2190', Qt::Key_Backtab}, {u'\u2193', Qt::Key_Down},
        {u'\n', Qt::Key_Return}, {u'\b', Qt::Key_Backspace},   {u'\x1b', Qt::Key_Escape}};

    std::shared_ptr<ScriptedNet> net;
};

}  // namespace vexal::testing

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
