// The application object: the hub that lives for the whole run. It owns the library calls,
// the networks (the MPI adapter, the Ethernet discovery engine and the three settings), the
// two connection records and the pointer to the open one, the PLC mutex, the project store
// and the upload buffer; it builds and runs the main sheet and releases everything when the
// sheet closes.
//
// Every call on the open connection goes through one of the serialised operations below:
// wait for the PLC mutex, one library call, release, then page events and messages.
//
// Concurrency rule: all controller work runs on the GUI thread, from page handlers and the
// sheet's 100 ms tick. The PLC mutex guards against re-entrance from nested event handling
// and message boxes (a handler that runs while another operation waits for the user), not
// against other threads; the only other thread, the discovery engine's worker, never calls
// the communication library. Work that takes long (scans, transfers, compression) shows the
// wait cursor while it runs.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "block_facts.h"
#include "block_store.h"
#include "cpu_identity.h"
#include "cpulink.h"
#include "networks.h"
#include "page_context.h"
#include "page_events.h"
#include "plc_library.h"
#include "sheet_pages.h"
#include "status_records.h"
#include "user_prompts.h"

namespace vexal {

class CMainSheet;

// Statuses of the serialised operations besides the library's own.
inline constexpr CpuStatus kStatusMutexNotObtained = 0xC001;
inline constexpr CpuStatus kStatusUnusableAnswer = 0x4010;

inline constexpr uint32_t kUploadBufferSize = 135168;

// A backup before an overwrite: failed, or the file written (empty when the controller held
// none of the blocks).
struct BlockBackup {
    bool failed = false;
    QString path;
};

class CMainApp {
public:
    explicit CMainApp(
        std::unique_ptr<CUserPrompts> prompts,
        std::unique_ptr<CPlcLibrary> library = MakePlcLibrary(),
        std::unique_ptr<CNetworkStart> networkStart = std::make_unique<CNetworkStart>());
    ~CMainApp();
    CMainApp(const CMainApp&) = delete;
    CMainApp& operator=(const CMainApp&) = delete;

    // The whole run: start-up, the modal sheet, shutdown. Returns false always, so that
    // the program ends; StartedUp() tells whether start-up failed.
    bool InitInstance();
    // The three parts of the run, for a caller that drives the sheet itself.
    bool StartUp();
    void RunSheet();
    void ShutDown();
    bool StartedUp() const { return startedUp_; }

    // The networks, their settings and the station scans.
    CNetworks& Networks() { return networks_; }

    // Serialised operations on the connection (plc_operations.cpp).
    int OpenTcp(uint32_t ipv4Address);
    int OpenMpi(int mpiAddress);
    void CloseConnection();
    int LogIn(const QString& password);
    int GetClock(BrokenDownTime* time);
    int SetClock(const BrokenDownTime& time);
    int GetBlockList(int type, int start, int* moreEntries, uint16_t* numbers, int capacity);
    CpuStatus DeleteBlock(int type, uint16_t number);
    // `cancelled` is asked between the exchanges of the transfer (and may let events in);
    // true stops an upload there with 0x400A, a download at the end of its block.
    CpuStatus UploadBlock(int type, uint16_t number, const std::function<bool()>& cancelled = {});
    CpuStatus DownloadBlock(int type, uint16_t number, const std::function<bool()>& cancelled = {});
    // For comparing with the project (plc_compare.cpp): the facts of the controller's block
    // info, and its image uploaded without adding it to the project.
    CpuStatus GetBlockFacts(int type, uint16_t number, BlockFacts* facts);
    CpuStatus UploadImage(int type, uint16_t number, std::vector<uint8_t>* image);
    // The backup before Download or Delete replaces blocks (block_backup.cpp): the
    // controller's images of these blocks into <data folder>/backups/<station>_<yyyyMMdd-
    // HHmmss>.wld, when the setting BackupBeforeOverwrite (on by default) asks for it.
    bool BackupEnabled() const;
    static QString BackupFolder();
    BlockBackup BackUpBlocks(const std::vector<BlockRef>& blocks);
    CpuStatus CompressMemory();
    int WarmRestart();
    int StopCpu();
    CpuStatus ReadVariables(VariableDescriptor* const* variables, int count);
    CpuStatus WriteVariables(VariableDescriptor* const* variables, int count);

    // Serialised reads of system status lists (plc_status_lists.cpp).
    CpuStatus ReadDiagBuffer(uint8_t* buffer, int* recordCount, uint32_t size);
    int ReadLeds(LedStates* leds);
    int ReadKeySwitch();
    int ReadOperationMode();
    CpuStatus ReadMemoryAreas(int* rowCount, MemoryRow rows[2]);
    CpuStatus ReadMemoryUsage(int* rowCount, MemoryRow rows[3]);
    // The identity lists 0x0011, 0x001C, 0x0132 index 4 and 0x0222 index 1, one read each;
    // a list the controller refuses leaves its fields empty. A fatal status ends the reads
    // and is returned; otherwise CPULINK_OK.
    CpuStatus ReadCpuIdentity(CpuIdentity* identity);

    // Sends a page event to every page of the running sheet; nothing without a sheet.
    void BroadcastPageEvent(PageEvent code, uint32_t a = 0);

    // What the pages are built with; valid while the sheet exists.
    PageContext MakePageContext();
    CUserPrompts& Prompts() { return *prompts_; }
    BlockStore& Project() { return *project_; }
    const CSheetPages& Pages() const { return pages_; }
    CMainSheet* Sheet() const { return sheet_.get(); }
    // The record the last successful open used; null before it and after a close.
    const CpuConnection* CurrentConnection() const { return currentConnection_; }
    // For checks from outside: the two records, and the PLC mutex (none outside the run).
    const CpuConnection* MpiRecord() const { return &mpiRecord_; }
    const CpuConnection* TcpRecord() const { return &tcpRecord_; }
    std::timed_mutex* PlcMutex() { return plcMutex_ ? &*plcMutex_ : nullptr; }

private:
    bool InitConnectionRecords();
    void AbandonStartUp(CpuStatus status, bool destroyMpiRecord);
    void BuildSheet();
    // Asked when the user closes the sheet: true when nothing unsaved is lost.
    bool MayCloseSheet();

    // Steps shared by the operations (plc_operations.cpp).
    static constexpr int kWaitWithoutLimit = -1;
    bool WaitPlcMutex(int timeoutMs);
    void ReleasePlcMutex();
    // The one library call of an operation, under the mutex; none when the mutex was not
    // obtained.
    std::optional<CpuStatus> UnderPlcMutex(int timeoutMs, const std::function<CpuStatus()>& call);
    // The same, waiting without limit, with a fatal status reported; 0xC001 without the mutex.
    CpuStatus CallReportingFatal(const std::function<CpuStatus()>& call);
    // A block transfer's call with the record's cancel check set to `cancelled`.
    CpuStatus TransferCall(const std::function<bool()>& cancelled,
                           const std::function<CpuStatus()>& call);
    int FinishOpen(CpuStatus status, CpuConnection* record);
    int DoneOrReported(CpuStatus status);
    void ConnectionLost(CpuStatus status);
    void ReportPlcError(CpuStatus status);
    void ReportIfFatal(CpuStatus status);
    // System status lists (plc_status_lists.cpp).
    CpuStatus ReadStatusList(uint16_t listId, uint16_t index, std::span<uint8_t> buffer,
                             StatusAnswer* answer);

    std::optional<std::timed_mutex> plcMutex_;
    CpuConnection mpiRecord_{};
    CpuConnection tcpRecord_{};
    CpuConnection* currentConnection_ = nullptr;
    // A fatal status was reported on the current link; the next open or close clears it.
    bool linkLost_ = false;
    // A library call runs: an operation asked from events handled inside it is not made.
    bool inPlcCall_ = false;
    // The station the last open asked for, as the station list names it.
    QString openedStation_;
    // The station of the open connection as backups name it: "192.168.0.10" or "MPI2".
    QString station_;
    std::unique_ptr<BlockStore> project_;
    std::vector<uint8_t> uploadBuffer_;

    std::unique_ptr<CUserPrompts> prompts_;
    std::unique_ptr<CPlcLibrary> library_;
    CNetworks networks_;
    // The sheet exists from start-up to shutdown; page events go nowhere without it.
    std::unique_ptr<CMainSheet> sheet_;
    CSheetPages pages_;
    bool startedUp_ = false;
};

}  // namespace vexal
