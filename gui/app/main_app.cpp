#include "main_app.h"

#include <QCoreApplication>
#include <QSize>

#include "library_text.h"
#include "main_sheet.h"
#include "offline_page.h"
#include "page_templates.h"
#include "variables_page.h"

namespace vexal {
namespace {

// The start-up failure message takes at most this many characters of the library's text.
constexpr int kStartUpErrorTextCapacity = 128;

// The sheet fills the screens the two layouts are made for.
constexpr QSize kSmallSheetSize(240, 320);
constexpr QSize kLargeSheetSize(800, 480);

// The question before closing, by what holds unsaved work: the project, the variable
// table, or both.
QString UnsavedWorkQuestion(bool project, bool variables) {
    if (project && variables) {
        return QCoreApplication::translate(
            "Vexal", "The project and the variable table hold changes that were not saved.");
    }
    return project ? QCoreApplication::translate("Vexal",
                                                 "The project holds blocks that were not saved.")
                   : QCoreApplication::translate(
                         "Vexal", "The variable table holds changes that were not saved.");
}

}  // namespace

CMainApp::CMainApp(std::unique_ptr<CUserPrompts> prompts, std::unique_ptr<CPlcLibrary> library,
                   std::unique_ptr<CNetworkStart> networkStart)
    : project_(std::make_unique<BlockStore>()),
      uploadBuffer_(kUploadBufferSize),
      prompts_(std::move(prompts)),
      library_(std::move(library)),
      networks_(*library_, std::move(networkStart)) {}

CMainApp::~CMainApp() = default;

bool CMainApp::InitInstance() {
    if (!StartUp()) return false;
    RunSheet();
    ShutDown();
    return false;
}

bool CMainApp::StartUp() {
    sheet_ = std::make_unique<CMainSheet>(QStringLiteral("Vexal"), nullptr, 0);
    networks_.StartUp();
    plcMutex_.emplace();
    currentConnection_ = nullptr;
    if (!InitConnectionRecords()) return false;
    BuildSheet();
    startedUp_ = true;
    return true;
}

void CMainApp::RunSheet() {
    sheet_->exec();
}

void CMainApp::ShutDown() {
    pages_ = {};
    sheet_.reset();
    library_->DestroyConnection(&tcpRecord_);
    library_->DestroyConnection(&mpiRecord_);
    networks_.ReleaseAdapter();
    plcMutex_.reset();
    networks_.WriteSettings();
}

bool CMainApp::InitConnectionRecords() {
    const NetworkState networks = networks_.State();
    if (networks.mpiAvailable) {
        const CpuStatus status = library_->InitMpiConnection(&mpiRecord_, networks_.AdapterHandle());
        if (CpuStatus_IsFatal(status)) {
            AbandonStartUp(status, false);
            return false;
        }
    }
    if (networks.ethernetAvailable) {
        const CpuStatus status = library_->InitTcpConnection(&tcpRecord_);
        if (CpuStatus_IsFatal(status)) {
            AbandonStartUp(status, true);
            return false;
        }
    }
    return true;
}

// A record that cannot be initialised ends the program before the sheet is shown; the
// settings stay as they were stored.
void CMainApp::AbandonStartUp(CpuStatus status, bool destroyMpiRecord) {
    const std::optional<QString> text = LibraryErrorText(status, kStartUpErrorTextCapacity);
    if (destroyMpiRecord) library_->DestroyConnection(&mpiRecord_);
    networks_.CloseAdapter();
    if (text) prompts_->ShowMessage(*text);
    sheet_.reset();
    plcMutex_.reset();
}

void CMainApp::BuildSheet() {
    const bool large = UseLargeLayouts(LayoutScreenWidth());
    pages_ = CSheetPages::BuildInto(*sheet_, MakePageContext(), large);
    sheet_->resize(large ? kLargeSheetSize : kSmallSheetSize);
    sheet_->SetCloseGuard([this] { return MayCloseSheet(); });
}

// "Save" saves the project, then the variable table; the sheet closes only when both were
// written.
bool CMainApp::MayCloseSheet() {
    const bool project = pages_.offline != nullptr && pages_.offline->HasUnsavedWork();
    const bool variables = pages_.variables != nullptr && pages_.variables->HasUnsavedWork();
    if (!project && !variables) return true;
    switch (prompts_->AskSaveDiscardCancel(UnsavedWorkQuestion(project, variables))) {
        case SaveAnswer::kDiscard:
            return true;
        case SaveAnswer::kSave:
            return (!project || pages_.offline->SaveWork()) &&
                   (!variables || pages_.variables->SaveWork());
        case SaveAnswer::kCancel:
            break;
    }
    return false;
}

PageContext CMainApp::MakePageContext() {
    return PageContext{*this, *project_, *prompts_, sheet_->SheetImages()};
}

void CMainApp::BroadcastPageEvent(PageEvent code, uint32_t a) {
    if (!sheet_) return;
    if (code == kPageConnected) sheet_->ShowConnection(openedStation_);
    if (code == kPageDisconnected) sheet_->ShowConnection({});
    sheet_->BroadcastPageEvent(code, a, 0);
}

}  // namespace vexal
