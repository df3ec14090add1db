#include "run.h"

#include <charconv>
#include <cstring>
#include <optional>

#include "busport.h"
#include "command_steps.h"
#include "cpulink.h"
#include "exit_codes.h"
#include "job.h"
#include "project_policies.h"
#include "tokeniser.h"
#include "wide_text.h"

namespace vexal::cmd {
namespace {

// Every file name fits: 260 characters of at most four UTF-8 bytes each.
constexpr size_t kNarrowNameCapacity = kMaxFileName * kMaxUtf8PerCharacter + 1;

// The whole state of a run lives here; nothing is allocated while it runs. The stores are
// built by the first run whose commands need them, so that a run without block transfer
// never touches their 4 MiB each.
ArgumentTable arguments;
Job job;
CpuConnection connection;
std::optional<BlockStore> uploadStoreSpace;
std::optional<BlockStore> downloadStoreSpace;
BlockStore* uploadStore = nullptr;
BlockStore* downloadStore = nullptr;
uint16_t blockNumbers[kBlockNumberCapacity];
alignas(8) uint8_t blockBuffer[kMaxBlockImage];
char narrowName[kNarrowNameCapacity];

bool IsError(CpuStatus status) {
    return CpuStatus_IsFatal(status) != 0;
}

BlockStore* BuiltStore(std::optional<BlockStore>& space) {
    if (!space) space.emplace();
    return &*space;
}

const char* NarrowName(const wchar_t* name) {
    WideToUtf8(name, narrowName, sizeof narrowName);
    return narrowName;
}

int PrepareUploadFile() {
    if (!job.upload) return 0;
    if (job.uploadFile[0] == L'\0') return kExitNoUploadFile;
    uploadStore = BuiltStore(uploadStoreSpace);
    const int written = CreateUploadFile(NarrowName(job.uploadFile), *uploadStore);
    return written == kWriteOk ? 0 : kExitUploadFileNotCreated;
}

int PrepareDownloadFile() {
    if (!job.download) return 0;
    if (job.downloadFile[0] == L'\0') return kExitNoDownloadFile;
    downloadStore = BuiltStore(downloadStoreSpace);
    const int loaded = LoadDownloadFile(NarrowName(job.downloadFile), *downloadStore);
    return loaded < 0 ? kDownloadFileOffset + loaded : 0;
}

int RunCommands() {
    CommandContext context{&connection, uploadStore, downloadStore, blockNumbers, blockBuffer};
    for (int i = 0; i < job.commandCount; ++i) {
        const CommandItem& item = job.commands[i];
        const int result =
            RunCommandStep(item.keyword, arguments.items[item.argument].value, context);
        if (result < 0) return result - CommandFailureOffset(item.keyword);
        if (result > 0) return result;
    }
    return 0;
}

// The record goes back to all zeros, as a record that was never used.
void DestroyConnection() {
    cpuLink_DestroyConnection(&connection);
    std::memset(&connection, 0, sizeof connection);
}

// Runs on an open connection and closes it; the upload file is written whatever the
// commands did, but its outcome does not change the result.
int RunSession() {
    int result = 0;
    if (job.login && IsError(cpuLink_LogInW(&connection, job.password))) {
        result = kExitPasswordRefused;
    } else {
        result = RunCommands();
    }
    cpuLink_CloseConnection(&connection);
    DestroyConnection();
    if (job.upload) WriteUploadFile(NarrowName(job.uploadFile), *uploadStore);
    return result;
}

// After a failed initialisation or open the record is still destroyed, so a library
// that holds something in it releases it.
int OpenFailed(int code) {
    DestroyConnection();
    return code;
}

int ConnectOverMpi(int handle) {
    BusParameters parameters{};
    if (Busport_GetCurNetPrm(handle, &parameters) == 0) return kExitNoBusParameters;
    if (parameters.bytes[BUSPORT_OWN_ADDRESS_BYTE] == job.mpiAddress) return kExitOwnStationAddress;
    if (IsError(cpuBus_InitConnection(&connection, handle))) return OpenFailed(kExitNotInitialised);
    if (IsError(cpuBus_OpenConnection(&connection, job.mpiAddress))) {
        return OpenFailed(kExitNotConnected);
    }
    return RunSession();
}

int RunOverMpi() {
    const int handle = Busport_Open();
    if (handle == BUSPORT_INVALID_HANDLE) return kExitAdapterNotOpened;
    if (Busport_GoOnlineDefault(handle) == 0) {
        Busport_Close(handle);
        return kExitAdapterNotOnline;
    }
    const int result = ConnectOverMpi(handle);
    Busport_GoOffline(handle);
    Busport_Close(handle);
    return result;
}

// POSIX sockets need no start-up or clean-up, unlike the Winsock of the original target.
int RunOverTcp() {
    if (IsError(cpuNet_InitConnection(&connection))) return OpenFailed(kExitNotInitialised);
    const uint32_t address =
        StationKey_FromOctets(job.ipv4[0], job.ipv4[1], job.ipv4[2], job.ipv4[3]);
    if (IsError(cpuNet_OpenConnection(&connection, address))) return OpenFailed(kExitNotConnected);
    return RunSession();
}

int Run(const wchar_t* commandLine) {
    const int count = TokeniseCommandLine(commandLine, arguments);
    if (count < 0) return count + kTokeniserExitOffset;
    if (count == 0) return kExitOk;
    int result = BuildJob(arguments, job);
    if (result == 0) result = PrepareUploadFile();
    if (result == 0) result = PrepareDownloadFile();
    if (result != 0) return result;
    return job.transport == Transport::kMpi ? RunOverMpi() : RunOverTcp();
}

}  // namespace

int RunCommandLine(const wchar_t* commandLine, std::FILE* out) {
    const int result = Run(commandLine);
    if (result != kExitOk && out != nullptr) {
        // Formatted by hand: printf's machinery alone would touch over 100 KB of the C
        // library, most of what an error exit costs beyond loading the program.
        char line[24] = "error ";
        const auto end = std::to_chars(line + 6, line + sizeof line - 2, result).ptr;
        end[0] = '\n';
        end[1] = '\0';
        std::fputs(line, out);
        std::fflush(out);
    }
    return result;
}

}  // namespace vexal::cmd
