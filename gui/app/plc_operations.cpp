// The serialised operations on the open connection: wait for the PLC mutex, make one
// library call, release the mutex at once, and only then raise page events and show
// messages, so that a page reacting to an event may call further operations.
#include <QCoreApplication>
#include <chrono>

#include "library_text.h"
#include "main_app.h"
#include "main_sheet.h"
#include "page_controls.h"
#include "page_events.h"

namespace vexal {
namespace {

// Opens wait this long for the mutex; every other operation waits without limit.
constexpr int kOpenMutexWaitMs = 1000;

constexpr uint32_t kCompressTimeoutMs = 30000;

constexpr const char* kDateTimeError = QT_TRANSLATE_NOOP("Vexal", "Date/Time error");

}  // namespace

// ---- Steps shared by the operations -------------------------------------------------

bool CMainApp::WaitPlcMutex(int timeoutMs) {
    if (!plcMutex_) return false;
    if (timeoutMs == kWaitWithoutLimit) {
        plcMutex_->lock();
        return true;
    }
    return plcMutex_->try_lock_for(std::chrono::milliseconds(timeoutMs));
}

void CMainApp::ReleasePlcMutex() {
    plcMutex_->unlock();
}

std::optional<CpuStatus> CMainApp::UnderPlcMutex(int timeoutMs,
                                                 const std::function<CpuStatus()>& call) {
    if (inPlcCall_ || !WaitPlcMutex(timeoutMs)) return std::nullopt;
    inPlcCall_ = true;
    const CpuStatus status = call();
    inPlcCall_ = false;
    ReleasePlcMutex();
    return status;
}

CpuStatus CMainApp::CallReportingFatal(const std::function<CpuStatus()>& call) {
    const std::optional<CpuStatus> status = UnderPlcMutex(kWaitWithoutLimit, call);
    if (!status) return kStatusMutexNotObtained;
    ReportIfFatal(*status);
    return *status;
}

// A failed open is reported but never counts as a lost link.
int CMainApp::FinishOpen(CpuStatus status, CpuConnection* record) {
    if (status != CPULINK_OK) {
        ReportPlcError(status);
        return 0;
    }
    currentConnection_ = record;
    linkLost_ = false;
    BroadcastPageEvent(kPageConnected);
    return 1;
}

int CMainApp::DoneOrReported(CpuStatus status) {
    if (status == CPULINK_OK) return 1;
    if (CpuStatus_IsFatal(status)) {
        ConnectionLost(status);
    } else {
        ReportPlcError(status);
    }
    return 0;
}

// Only tells the pages and the user, once per lost link: the calls that still come on it
// (the rest of a poll, of a block loop) fail without another message. Closing the link
// and clearing the current connection is left to the station list.
void CMainApp::ConnectionLost(CpuStatus status) {
    if (linkLost_) return;
    linkLost_ = true;
    BroadcastPageEvent(kPageDisconnected);
    ReportPlcError(status);
}

void CMainApp::ReportPlcError(CpuStatus status) {
    if (const std::optional<QString> text = LibraryErrorText(status, CPULINK_ERROR_TEXT_CAPACITY)) {
        prompts_->ShowMessage(*text);
    }
}

void CMainApp::ReportIfFatal(CpuStatus status) {
    if (CpuStatus_IsFatal(status)) ConnectionLost(status);
}

// ---- Connection ---------------------------------------------------------------------

int CMainApp::OpenTcp(uint32_t ipv4Address) {
    openedStation_ = StationText(ipv4Address);
    const std::optional<CpuStatus> status = UnderPlcMutex(
        kOpenMutexWaitMs, [&] { return library_->OpenTcpConnection(&tcpRecord_, ipv4Address); });
    station_ = QStringLiteral("%1.%2.%3.%4")
                   .arg(ipv4Address & 0xFF)
                   .arg(ipv4Address >> 8 & 0xFF)
                   .arg(ipv4Address >> 16 & 0xFF)
                   .arg(ipv4Address >> 24);
    return status ? FinishOpen(*status, &tcpRecord_) : 0;
}

int CMainApp::OpenMpi(int mpiAddress) {
    openedStation_ = StationText(static_cast<StationKey>(mpiAddress));
    const std::optional<CpuStatus> status = UnderPlcMutex(
        kOpenMutexWaitMs, [&] { return library_->OpenMpiConnection(&mpiRecord_, mpiAddress); });
    station_ = QStringLiteral("MPI%1").arg(mpiAddress);
    return status ? FinishOpen(*status, &mpiRecord_) : 0;
}

void CMainApp::CloseConnection() {
    const std::optional<CpuStatus> closed = UnderPlcMutex(kWaitWithoutLimit, [&] {
        library_->CloseConnection(currentConnection_);
        currentConnection_ = nullptr;
        linkLost_ = false;
        return CpuStatus{CPULINK_OK};
    });
    if (closed) BroadcastPageEvent(kPageDisconnected);
}

int CMainApp::LogIn(const QString& password) {
    const std::wstring text = password.toStdWString();
    const std::optional<CpuStatus> status = UnderPlcMutex(
        kWaitWithoutLimit, [&] { return library_->LogInW(currentConnection_, text.c_str()); });
    return status ? DoneOrReported(*status) : 0;
}

// ---- Clock --------------------------------------------------------------------------

// Any failure to read the clock counts as a lost link.
int CMainApp::GetClock(BrokenDownTime* time) {
    CpuClock clock{};
    const std::optional<CpuStatus> status = UnderPlcMutex(
        kWaitWithoutLimit, [&] { return library_->GetClock(currentConnection_, &clock); });
    if (!status) return 0;
    if (*status != CPULINK_OK) {
        ConnectionLost(*status);
        return 0;
    }
    if (cpuLink_S7TimeToTM(time, &clock) != 0) return 1;
    prompts_->ShowMessage(QCoreApplication::translate("Vexal", kDateTimeError));
    return 0;
}

int CMainApp::SetClock(const BrokenDownTime& time) {
    CpuClock clock{};
    if (cpuLink_TMToS7Time(&clock, &time) == 0) {
        prompts_->ShowMessage(QCoreApplication::translate("Vexal", kDateTimeError));
        return 0;
    }
    const std::optional<CpuStatus> status = UnderPlcMutex(
        kWaitWithoutLimit, [&] { return library_->SetClock(currentConnection_, &clock); });
    if (!status) return 0;
    if (*status == CPULINK_OK) return 1;
    ConnectionLost(*status);
    return 0;
}

// ---- Blocks -------------------------------------------------------------------------

int CMainApp::GetBlockList(int type, int start, int* moreEntries, uint16_t* numbers, int capacity) {
    int count = 0;
    const CpuStatus status = CallReportingFatal([&] {
        return library_->GetBlockList(currentConnection_, type, start, &count, numbers, capacity);
    });
    if (CpuStatus_IsFatal(status)) return -1;
    *moreEntries = status == CPULINK_MORE_ENTRIES ? 1 : 0;
    return count;
}

CpuStatus CMainApp::DeleteBlock(int type, uint16_t number) {
    const CpuStatus status =
        CallReportingFatal([&] { return library_->DeleteBlock(currentConnection_, type, number); });
    if (status == CPULINK_OK) {
        BroadcastPageEvent(kPageControllerBlockDeleted, BlockRef_Pack(type, number));
    }
    return status;
}

CpuStatus CMainApp::TransferCall(const std::function<bool()>& cancelled,
                                 const std::function<CpuStatus()>& call) {
    const CpuCancelCheck check = [](void* context) {
        return (*static_cast<const std::function<bool()>*>(context))() ? 1 : 0;
    };
    return CallReportingFatal([&] {
        if (cancelled)
            library_->SetCancelCheck(currentConnection_, check,
                                     const_cast<void*>(static_cast<const void*>(&cancelled)));
        const CpuStatus status = call();
        if (cancelled) library_->SetCancelCheck(currentConnection_, nullptr, nullptr);
        return status;
    });
}

// The block lands in the project; a store that refuses it costs the event, not the status.
CpuStatus CMainApp::UploadBlock(int type, uint16_t number, const std::function<bool()>& cancelled) {
    const CpuStatus status = TransferCall(cancelled, [&] {
        return library_->UploadBlock(currentConnection_, type, number, uploadBuffer_.data(),
                                     kUploadBufferSize);
    });
    if (status == CPULINK_OK && project_->Add(uploadBuffer_.data(), uploadBuffer_.size())) {
        BroadcastPageEvent(kPageProjectBlockAdded, BlockRef_Pack(type, number));
    }
    return status;
}

CpuStatus CMainApp::DownloadBlock(int type, uint16_t number,
                                  const std::function<bool()>& cancelled) {
    const uint8_t* image = project_->Find(type, number);
    if (image == nullptr) return CPULINK_OK;
    const CpuStatus status =
        TransferCall(cancelled, [&] { return library_->DownloadBlock(currentConnection_, image); });
    if (status == CPULINK_OK) {
        BroadcastPageEvent(kPageControllerBlockFound, BlockRef_Pack(type, number));
    }
    return status;
}

// ---- Controller control -------------------------------------------------------------

CpuStatus CMainApp::CompressMemory() {
    return CallReportingFatal(
        [&] { return library_->CompressMemory(currentConnection_, kCompressTimeoutMs); });
}

int CMainApp::WarmRestart() {
    const std::optional<CpuStatus> status =
        UnderPlcMutex(kWaitWithoutLimit, [&] { return library_->WarmRestart(currentConnection_); });
    return status ? DoneOrReported(*status) : -1;
}

int CMainApp::StopCpu() {
    const std::optional<CpuStatus> status =
        UnderPlcMutex(kWaitWithoutLimit, [&] { return library_->Stop(currentConnection_); });
    return status ? DoneOrReported(*status) : 0;
}

// ---- Variables ----------------------------------------------------------------------

CpuStatus CMainApp::ReadVariables(VariableDescriptor* const* variables, int count) {
    return CallReportingFatal(
        [&] { return library_->ReadVariables(currentConnection_, variables, count); });
}

CpuStatus CMainApp::WriteVariables(VariableDescriptor* const* variables, int count) {
    return CallReportingFatal(
        [&] { return library_->WriteVariables(currentConnection_, variables, count); });
}

}  // namespace vexal
