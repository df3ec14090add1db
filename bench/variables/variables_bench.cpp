// The Variables page watching 16 variables of the simulator: how many exchanges one refresh
// costs, and what share of the sheet's 100 ms tick the refresh takes, against the library
// reading the same 16 variables on a connection of its own in the same run.
#include <QApplication>
#include <QPushButton>
#include <QTabWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

#include "loopback_simulator.h"
#include "main_app.h"
#include "main_sheet.h"
#include "simulator.h"
#include "stopwatch.h"
#include "temp_dir.h"
#include "variable_list_file.h"

namespace {

using vexal::testing::Seconds;
constexpr int kVariables = 16;
constexpr int kRefreshes = 400;

// Answers every file dialog with the list file and shows nothing.
class ListFilePrompts : public vexal::CUserPrompts {
public:
    explicit ListFilePrompts(QString file) : file_(std::move(file)) {}
    void ShowMessage(const QString& text) override {
        std::fprintf(stderr, "message: %s\n", text.toUtf8().constData());
    }
    bool AskYesNo(const QString&) override { return false; }
    vexal::SaveAnswer AskSaveDiscardCancel(const QString&) override {
        return vexal::SaveAnswer::kDiscard;
    }
    QString ChooseFileToOpen(const QString&, const QString&) override { return file_; }
    QString ChooseFileToSave(const QString&, const QString&) override { return {}; }
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}

private:
    QString file_;
};

// Words, double words, bits and bytes in the flags and in a data block.
std::string ListFile() {
    std::string text;
    for (int index = 0; index < kVariables; ++index) {
        static const char* const kForms[] = {"MW%d,DEC,", "MD%d,FLOAT,", "M%d.3,DEC,",
                                             "DB1.DBW%d,HEX,"};
        char line[40];
        std::snprintf(line, sizeof line, kForms[index % 4], 8 * index);
        text += std::string(line) + "\n";
    }
    return text;
}

double LibraryReadSeconds(const std::vector<std::wstring>& lines) {
    static CpuConnection connection;
    if (cpuNet_InitConnection(&connection) != CPULINK_OK ||
        cpuNet_OpenConnection(&connection, StationKey_FromOctets(127, 0, 0, 1)) != CPULINK_OK) {
        std::abort();
    }
    std::vector<vexal::ListedVariable> listed(lines.size());
    std::vector<uint32_t> words(lines.size());
    std::vector<VariableDescriptor*> pointers;
    for (size_t index = 0; index < lines.size(); ++index) {
        if (!vexal::ParseVariableListLine(lines[index], &listed[index])) std::abort();
        listed[index].descriptor.value = &words[index];
        pointers.push_back(&listed[index].descriptor);
    }
    const double seconds = Seconds([&] {
        for (int run = 0; run < kRefreshes; ++run) {
            if (cpuLink_ReadVariables(&connection, pointers.data(), kVariables) != CPULINK_OK) {
                std::abort();
            }
        }
    });
    cpuLink_DestroyConnection(&connection);
    return seconds / kRefreshes;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    setenv("VEXAL_SCREEN_WIDTH", "800", 1);
    QApplication application(argc, argv);
    vexal::sim::Simulator simulator(vexal::testing::LoopbackOptions());
    if (!vexal::testing::StartOnLoopback(simulator)) return 1;
    vexal::testing::TempDir dir;
    const std::string listPath = dir.File("watch.csv");
    std::ofstream(listPath) << ListFile();
    std::vector<std::wstring> lines;
    vexal::ReadVariableListFile(listPath.c_str(), &lines);

    vexal::CMainApp app(std::make_unique<ListFilePrompts>(QString::fromStdString(listPath)));
    if (!app.StartUp()) return 1;
    vexal::CMainSheet& sheet = *app.Sheet();
    sheet.show();
    QCoreApplication::processEvents();
    if (app.OpenTcp(StationKey_FromOctets(127, 0, 0, 1)) != 1) return 1;
    auto* page = sheet.findChild<QWidget*>("variablesPage");
    sheet.findChild<QTabWidget*>("sheetTabs")->setCurrentWidget(page);
    sheet.findChild<QPushButton*>("loadButton")->click();
    auto tick = [&] {
        sheet.OnTimer(vexal::CMainSheet::kTickTimerId);
        QCoreApplication::processEvents();
    };
    // Hidden, the sheet's own timer stops: only the ticks counted here read.
    sheet.hide();
    for (int warm = 0; warm < 10; ++warm) tick();

    const uint64_t requestsBefore = simulator.RequestCount();
    const double pageSeconds = Seconds([&] {
                                   for (int refresh = 0; refresh < kRefreshes; ++refresh) {
                                       for (int index = 0; index < 5; ++index) tick();
                                   }
                               }) /
                               kRefreshes;
    const double exchanges =
        static_cast<double>(simulator.RequestCount() - requestsBefore) / kRefreshes;
    const double librarySeconds = LibraryReadSeconds(lines);
    // The same ticks with the page in the background, where it reads nothing.
    sheet.show();
    sheet.findChild<QTabWidget*>("sheetTabs")->setCurrentIndex(0);
    sheet.hide();
    const double idleSeconds = Seconds([&] {
                                   for (int refresh = 0; refresh < kRefreshes; ++refresh) {
                                       for (int index = 0; index < 5; ++index) tick();
                                   }
                               }) /
                               kRefreshes;
    std::printf("%d watched variables, %d refreshes of 5 ticks each\n", kVariables, kRefreshes);
    std::printf("exchanges per refresh:                     %.2f\n", exchanges);
    std::printf("page refresh (5 ticks, one read):          %.3f ms\n", pageSeconds * 1e3);
    std::printf("the same 5 ticks, page in the background:  %.3f ms\n", idleSeconds * 1e3);
    std::printf("library read of the same 16 variables:     %.3f ms\n", librarySeconds * 1e3);
    std::printf("page refresh / library read:               %.2f\n", pageSeconds / librarySeconds);
    std::printf("page refresh / one 100 ms tick:            %.4f (%.2f%%)\n", pageSeconds / 0.1,
                pageSeconds / 0.1 * 100);
    app.ShutDown();
    simulator.Stop();
    return 0;
}
