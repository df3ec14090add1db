// The fixtures of the page tests: the session with a simulator on a loopback port reached
// over TCP; with the station side scripted at the system's edge; and with project files
// and simulator programs made of generated blocks.
#pragma once

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "bus_file.h"
#include "cpulink.h"
#include "demo_project.h"
#include "gui_test_support.h"
#include "loopback_simulator.h"
#include "scripted_net.h"
#include "simulator.h"

namespace vexal::testing {

inline const StationKey kLoopbackKey = StationKey_FromOctets(127, 0, 0, 1);

class PageSession : public GuiSession {
protected:
    void TearDown() override {
        GuiSession::TearDown();
        if (simulator) simulator->Stop();
        unsetenv("VEXAL_S7_PORT");
        unsetenv("VEXAL_MPI_BUS");
    }

    // Starts the simulator on a free loopback port; the library is pointed at it.
    void StartSimulator(sim::SimOptions options = {}) {
        simulator = std::make_unique<sim::Simulator>(LoopbackOptions(std::move(options)));
        ASSERT_TRUE(StartOnLoopback(*simulator));
    }
    void Connect() {
        ASSERT_EQ(app->OpenTcp(kLoopbackKey), 1) << messages.join(" | ").toStdString();
    }
    // A simulator, the application and a connection, in one step; over MPI the simulator
    // is station 2 of the bus file.
    void StartConnected(sim::SimOptions options = {}, bool large = true, bool mpi = false) {
        StartSimulator(std::move(options));
        const std::string bus = profile.Path() + "/bus";
        const std::string text =
            "own 0\nhighest 31\nstation 2 127.0.0.1:" + std::to_string(simulator->Port()) + "\n";
        WriteBytes(bus, std::vector<uint8_t>(text.begin(), text.end()));
        setenv("VEXAL_MPI_BUS", bus.c_str(), 1);
        StartApp(large);
        if (!mpi) return Connect();
        ASSERT_EQ(app->OpenMpi(2), 1) << messages.join(" | ").toStdString();
    }

    std::unique_ptr<sim::Simulator> simulator;
};

// An Ethernet segment behind the frame device whose stations answer discovery, on an
// adapter "scr0" whose subnet takes every address.
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
    }

    void SetStations(const std::vector<Quad>& ips) {
        net->stations.clear();
        for (const Quad& ip : ips)
            net->stations.push_back(Station(static_cast<int>(net->stations.size()) + 1, ip, {}));
    }

    // Keys as a user presses them on the focused control: '\t' Tab, '\u2190' Backtab,
    // '\u2193' Down, '\n' Enter, '\b' Backspace, '\x1b' Escape.
    static void Type(QWidget* window, const QString& keys) {
        static const std::map<char16_t, Qt::Key> named = {
            {u'\t', Qt::Key_Tab},    {u'\u2190', Qt::Key_Backtab}, {u'\u2193', Qt::Key_Down},
            {u'\n', Qt::Key_Return}, {u'\b', Qt::Key_Backspace},   {u'\x1b', Qt::Key_Escape}};
        if (!window->isActiveWindow()) {
            window->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(window));
            QCoreApplication::processEvents();
        }
        for (const QChar key : keys) {
            QWidget* focused = window->focusWidget() ? window->focusWidget() : window;
            const auto found = named.find(key.unicode());
            if (found == named.end()) {
                QTest::keyClicks(focused, QString(key));
            } else {
                QTest::keyClick(focused, found->second);
            }
        }
    }

    std::shared_ptr<ScriptedNet> net;
};

// Fills the edit variable dialog as a user does: the address (null leaves it), "Check"
// when asked, the format picked by keyboard (null leaves it), the modify value (null
// leaves it), a screenshot when named, then OK.
inline void FillVariableDialog(QDialog* dialog, const char* address, bool check, const char* format,
                               const char* modify, const QString& screenshot = {}) {
    const auto type = [](QLineEdit* edit, const char* text) {
        if (text == nullptr) return;
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, QString::fromLatin1(text));
    };
    type(dialog->findChild<QLineEdit*>("addressEdit"), address);
    if (check) QTest::mouseClick(dialog->findChild<QPushButton*>("checkButton"), Qt::LeftButton);
    auto* combo = dialog->findChild<QComboBox*>("formatCombo");
    if (format != nullptr) QTest::keyClick(combo, Qt::Key_Home);
    for (int step = 0; format != nullptr && step < 10 && combo->currentText() != format; ++step)
        QTest::keyClick(combo, Qt::Key_Down);
    type(dialog->findChild<QLineEdit*>("modifyEdit"), modify);
    if (!screenshot.isEmpty()) {
        EXPECT_TRUE(dialog->grab().save(screenshot));
    }
    QTest::mouseClick(
        dialog->findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Ok),
        Qt::LeftButton);
}

using Program = std::vector<Bytes>;

// `count` small blocks of one type, numbered from `first`.
inline Program Blocks(int type, int count, uint16_t first = 1) {
    Program blocks;
    for (int index = 0; index < count; ++index) {
        blocks.push_back(MakeDemoBlock(type, static_cast<uint16_t>(first + index), 40,
                                       static_cast<uint32_t>(type * 1000 + index)));
    }
    return blocks;
}

inline Program operator+(Program left, const Program& right) {
    left.insert(left.end(), right.begin(), right.end());
    return left;
}

inline Bytes Concatenated(const Program& blocks) {
    Bytes bytes;
    for (const Bytes& block : blocks) bytes.insert(bytes.end(), block.begin(), block.end());
    return bytes;
}

class BlockPageSession : public PageSession {
protected:
    std::string WriteProject(const std::string& name, const Program& blocks) const {
        const std::string path = files.File(name);
        WriteBytes(path, Concatenated(blocks));
        return path;
    }

    // A connected application whose simulator holds `program`.
    void StartWithProgram(const Program& program, sim::SimOptions options = {}, bool large = true,
                          bool mpi = false) {
        options.programFile = WriteProject("controller.wld", program);
        StartConnected(std::move(options), large, mpi);
    }

    // Opens the Online page and lets the tick run its refresh.
    void ShowControllerBlocks() {
        ShowPage("onlinePage");
        Tick();
    }

    void Load(const std::string& path) {
        prompts->files.push_back(QString::fromStdString(path));
        Click("offlineLoad");
    }

    // Ctrl-clicks each listed item, as a user adds items to the selection.
    void Select(const char* listName, const QStringList& texts) {
        auto* list = Find<QListWidget>(listName);
        ASSERT_NE(list, nullptr);
        for (const QString& text : texts) {
            const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1) << text.toStdString();
            list->scrollToItem(found.first());
            QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                              list->visualItemRect(found.first()).center());
        }
    }

    // A copy of the block's image in the simulator or in `store`; empty when absent.
    Bytes ControllerImage(int type, uint16_t number) {
        std::lock_guard<std::mutex> lock(simulator->Controller().Lock());
        return ImageIn(simulator->Controller().Blocks(), type, number);
    }
    static Bytes ImageIn(const BlockStore& store, int type, uint16_t number) {
        const uint8_t* image = store.Find(type, number);
        return image != nullptr ? Bytes(image, image + BlockImageLength(image)) : Bytes();
    }

    TempDir files;
};

}  // namespace vexal::testing

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
