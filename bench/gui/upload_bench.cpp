// Uploading 300 blocks into the project by selecting them on the "Online" page and pressing
// "Upload", against the library uploading the same blocks on an open connection, in one
// run, interleaved in pairs. The difference is what the program adds per block: the serialised
// operation, the project store, the page events with both block lists, and the progress.
#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "block_store.h"
#include "cpulink.h"
#include "demo_project.h"
#include "main_app.h"
#include "main_sheet.h"
#include "simulator.h"
#include "temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<uint8_t>;

constexpr int kBlocks = 300;
constexpr int kRuns = 15;

double Seconds(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "benchmark set-up failed: %s\n", what);
    std::exit(1);
}

// OBs, FBs, FCs and DBs, mostly small, every tenth a large one, as in real programs.
void WriteProgram(const std::string& path) {
    const int types[] = {BLOCK_TYPE_OB, BLOCK_TYPE_FB, BLOCK_TYPE_FC, BLOCK_TYPE_DB};
    Bytes bytes;
    for (int i = 0; i < kBlocks; ++i) {
        const uint32_t spread = i % 10 == 0 ? 20300 : 4000;
        const uint32_t code = 110 + static_cast<uint32_t>(i * 7919) % spread;
        const Bytes block = vexal::MakeDemoBlock(types[i % 4], static_cast<uint16_t>(i / 4 + 1),
                                                 code, static_cast<uint32_t>(i));
        bytes.insert(bytes.end(), block.begin(), block.end());
    }
    vexal::testing::WriteBytes(path, bytes);
}

// Answers every question with Yes and shows nothing.
class CSilentPrompts : public vexal::CUserPrompts {
public:
    void ShowMessage(const QString& text) override {
        std::fprintf(stderr, "message: %s\n", text.toUtf8().constData());
    }
    bool AskYesNo(const QString&) override { return true; }
    vexal::SaveAnswer AskSaveDiscardCancel(const QString&) override {
        return vexal::SaveAnswer::kDiscard;
    }
    QString ChooseFileToOpen(const QString&, const QString&) override { return {}; }
    QString ChooseFileToSave(const QString&, const QString&) override { return {}; }
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
};

class LibraryUpload {
public:
    LibraryUpload() {
        Require(cpuNet_InitConnection(&connection_) == CPULINK_OK, "library connection record");
        Require(
            cpuNet_OpenConnection(&connection_, StationKey_FromOctets(127, 0, 0, 1)) == CPULINK_OK,
            "library connection");
        for (int type = BLOCK_TYPE_OB; type <= BLOCK_TYPE_DB; ++type) {
            int count = 0;
            cpuLink_GetBlockList(&connection_, type, 0, &count, numbers_, 16384);
            for (int i = 0; i < count; ++i) blocks_.push_back(BlockRef_Pack(type, numbers_[i]));
        }
        Require(blocks_.size() == kBlocks, "library block list");
    }
    ~LibraryUpload() {
        cpuLink_CloseConnection(&connection_);
        cpuLink_DestroyConnection(&connection_);
    }
    void Run() {
        static uint8_t buffer[vexal::kUploadBufferSize];
        for (const BlockRef block : blocks_) {
            Require(cpuLink_UploadBlock(&connection_, BlockRef_Type(block), BlockRef_Number(block),
                                        buffer, sizeof buffer) == CPULINK_OK,
                    "library upload");
        }
    }

private:
    CpuConnection connection_{};
    uint16_t numbers_[16384]{};
    std::vector<BlockRef> blocks_;
};

// The application with its sheet on screen, connected, the Online page listing every block
// of the controller with all of them selected.
class PageUpload {
public:
    PageUpload() : app_(std::make_unique<CSilentPrompts>()) {
        Require(app_.StartUp(), "application start-up");
        app_.Sheet()->show();
        QCoreApplication::processEvents();
        Require(app_.OpenTcp(StationKey_FromOctets(127, 0, 0, 1)) == 1, "page connection");
        auto* tabs = Control<QTabWidget>("sheetTabs");
        tabs->setCurrentWidget(Control<QWidget>("onlinePage"));
        app_.Sheet()->OnTimer(vexal::CMainSheet::kTickTimerId);
        auto* list = Control<QListWidget>("onlineBlockList");
        Require(list->count() == kBlocks, "page block list");
        list->selectAll();
    }
    ~PageUpload() { app_.ShutDown(); }

    void Run() {
        Control<QPushButton>("onlineUpload")->click();
        Require(app_.Project().BlockCount() == kBlocks, "page upload");
    }
    // Empties the project through the "Offline" page, so the next run adds every block.
    void EmptyProject() {
        Control<QPushButton>("offlineSelectAll")->click();
        Control<QPushButton>("offlineDel")->click();
        Require(app_.Project().BlockCount() == 0, "emptied project");
    }

private:
    template <typename T>
    T* Control(const char* name) {
        T* control = app_.Sheet()->findChild<T*>(QString::fromLatin1(name));
        Require(control != nullptr, name);
        return control;
    }

    vexal::CMainApp app_;
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qt(argc, argv);
    vexal::testing::TempDir dir;
    WriteProgram(dir.File("program.wld"));
    vexal::sim::SimOptions options;
    options.listen = {{"127.0.0.1", 0}};
    options.programFile = dir.File("program.wld");
    vexal::sim::Simulator simulator(options);
    std::string error;
    Require(simulator.Start(&error), error.c_str());
    setenv("VEXAL_S7_PORT", std::to_string(simulator.Port()).c_str(), 1);
    setenv("VEXAL_SCREEN_WIDTH", "800", 1);

    LibraryUpload library;
    PageUpload page;
    // Interleaved in pairs: on a shared machine the neighbours' load changes from second to
    // second, and both halves of a pair see the same load. The median pair tells the ratio;
    // the fastest run of each side tells the time per block.
    std::vector<double> ratios;
    double librarySeconds = 1e9;
    double pageSeconds = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        const double libraryRun = Seconds([&] { library.Run(); });
        const double pageRun = Seconds([&] { page.Run(); });
        page.EmptyProject();
        ratios.push_back(pageRun / libraryRun);
        librarySeconds = std::min(librarySeconds, libraryRun);
        pageSeconds = std::min(pageSeconds, pageRun);
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf(
        "upload of %d blocks | Online page %.1f us per block | library %.1f us per block | "
        "ratio %.2fx the library's time (median of %d pairs)\n",
        kBlocks, pageSeconds * 1e6 / kBlocks, librarySeconds * 1e6 / kBlocks,
        ratios[ratios.size() / 2], kRuns);
    return 0;
}
