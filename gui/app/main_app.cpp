#include "main_app.h"

#include <QSettings>
#include <QSize>

#include "library_text.h"
#include "main_sheet.h"
#include "page_templates.h"

namespace vexal {
namespace {

// The application profile: company key "Norrik", the values directly in the program's key.
const QString kProfileCompany = QStringLiteral("Norrik");
const QString kProfileApplication = QStringLiteral("VexalCE");
const QString kMpiValue = QStringLiteral("Mpi");
const QString kEthernetValue = QStringLiteral("Ethernet");
const QString kEthernetIfaceValue = QStringLiteral("EthernetIface");
const QString kDefaultEthernetIface = QStringLiteral("DM9CE1");

// The start-up failure message takes at most this many characters of the library's text.
constexpr int kStartUpErrorTextCapacity = 128;

// The sheet fills the screens the two layouts are made for.
constexpr QSize kSmallSheetSize(240, 320);
constexpr QSize kLargeSheetSize(800, 480);

}  // namespace

CMainApp::CMainApp(std::unique_ptr<CUserPrompts> prompts, std::unique_ptr<CPlcLibrary> library,
                   std::unique_ptr<CNetworkStart> network)
    : project_(std::make_unique<BlockStore>()),
      uploadBuffer(kUploadBufferSize),
      prompts_(std::move(prompts)),
      library_(std::move(library)),
      network_(std::move(network)) {}

CMainApp::~CMainApp() = default;

bool CMainApp::InitInstance() {
    if (!StartUp()) return false;
    RunSheet();
    ShutDown();
    return false;
}

bool CMainApp::StartUp() {
    sheet_ = std::make_unique<CMainSheet>(QStringLiteral("Vexal"), nullptr, 0);
    mpiAvailable = 0;
    ethernetAvailable = 0;
    ReadSettings();
    StartNetworks();
    adapterHandle = library_->OpenAdapter();
    if (adapterHandle != BUSPORT_INVALID_HANDLE) mpiAvailable = 1;
    if (ethernetEnabled) SelectEthernetAdapter(ethernetIface);
    if (mpiEnabled) GoMpiOnline();
    plcMutex.emplace();
    currentConnection = nullptr;
    if (!InitConnectionRecords()) return false;
    sheet = sheet_.get();
    BuildSheet();
    startedUp_ = true;
    return true;
}

void CMainApp::RunSheet() {
    sheet_->exec();
}

void CMainApp::ShutDown() {
    sheet = nullptr;
    pages_ = {};
    sheet_.reset();
    library_->DestroyConnection(&tcpRecord);
    library_->DestroyConnection(&mpiRecord);
    library_->GoOffline(adapterHandle);
    library_->CloseAdapter(adapterHandle);
    plcMutex.reset();
    ReleaseNetworks();
    WriteSettings();
}

void CMainApp::GoMpiOnline() {
    if (!mpiAvailable || !library_->GoOnlineDefault(adapterHandle)) {
        mpiEnabled = 0;
        return;
    }
    mpiEnabled = library_->GetCurNetPrm(adapterHandle, &busParams) != 0 ? 1 : 0;
}

int CMainApp::SelectEthernetAdapter(const QString& adapterName) {
    if (!ethernetAvailable) {
        ethernetEnabled = 0;
        return 0;
    }
    const std::wstring name = adapterName.toStdWString();
    ethernetEnabled = CEthDiscovery::FindAdapter(name.c_str(), nullptr) ? 1 : 0;
    if (ethernetEnabled) ethernetIface = adapterName;
    return ethernetEnabled;
}

void CMainApp::ReadSettings() {
    const QSettings profile(kProfileCompany, kProfileApplication);
    mpiEnabled = profile.value(kMpiValue, 1).toInt();
    ethernetEnabled = profile.value(kEthernetValue, 1).toInt();
    ethernetIface = profile.value(kEthernetIfaceValue, kDefaultEthernetIface).toString();
}

void CMainApp::WriteSettings() const {
    QSettings profile(kProfileCompany, kProfileApplication);
    profile.setValue(kMpiValue, mpiEnabled);
    profile.setValue(kEthernetValue, ethernetEnabled);
    if (!ethernetIface.isEmpty()) profile.setValue(kEthernetIfaceValue, ethernetIface);
    profile.sync();
}

// Ethernet is available only when both the socket layer and the discovery engine start.
void CMainApp::StartNetworks() {
    socketsStarted_ = network_->StartSockets();
    if (socketsStarted_ && network_->StartDiscovery(discovery)) ethernetAvailable = 1;
}

void CMainApp::ReleaseNetworks() {
    if (socketsStarted_) network_->EndSockets();
    socketsStarted_ = false;
}

bool CMainApp::InitConnectionRecords() {
    if (mpiAvailable) {
        const CpuStatus status = library_->InitMpiConnection(&mpiRecord, adapterHandle);
        if (CpuStatus_IsFatal(status)) {
            AbandonStartUp(status, false);
            return false;
        }
    }
    if (ethernetAvailable) {
        const CpuStatus status = library_->InitTcpConnection(&tcpRecord);
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
    if (destroyMpiRecord) library_->DestroyConnection(&mpiRecord);
    library_->CloseAdapter(adapterHandle);
    if (text) prompts_->ShowMessage(*text);
    sheet_.reset();
    plcMutex.reset();
    ReleaseNetworks();
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
    if (sheet != nullptr) sheet->BroadcastPageEvent(code, a, 0);
}

}  // namespace vexal
