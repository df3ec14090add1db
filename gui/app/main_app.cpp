#include "main_app.h"

#include <QSize>

#include "library_text.h"
#include "main_sheet.h"
#include "page_templates.h"

namespace vexal {
namespace {

// The start-up failure message takes at most this many characters of the library's text.
constexpr int kStartUpErrorTextCapacity = 128;

// The sheet fills the screens the two layouts are made for.
constexpr QSize kSmallSheetSize(240, 320);
constexpr QSize kLargeSheetSize(800, 480);

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
}

PageContext CMainApp::MakePageContext() {
    return PageContext{*this, *project_, *prompts_, sheet_->SheetImages()};
}

void CMainApp::BroadcastPageEvent(PageEvent code, uint32_t a) {
    if (sheet_) sheet_->BroadcastPageEvent(code, a, 0);
}

}  // namespace vexal
