#include "station_capture.h"

#include <cstdlib>
#include <ctime>
#include <mutex>
#include <shared_mutex>

#include "block_image.h"
#include "busport.h"
#include "cpu_identity.h"
#include "cpulink.h"

namespace vexal::backup {
namespace {

constexpr int kListCapacity = 4096;
constexpr uint16_t kModuleIdentificationList = 0x0011;
constexpr uint16_t kComponentIdentificationList = 0x001C;
constexpr uint16_t kOperationModeList = 0x0424;
constexpr uint32_t kListBufferSize = 1024;

// The libraries read their settings from the environment when they open a link or an
// adapter. A station with its own rack and slot sets them while no other link opens; the
// others open side by side.
std::shared_mutex environmentLock;

std::string StatusText(CpuStatus status) {
    wchar_t wide[CPULINK_ERROR_TEXT_CAPACITY];
    cpuLink_ErrorString(status, wide, CPULINK_ERROR_TEXT_CAPACITY);
    std::string text;
    for (const wchar_t* c = wide; *c != L'\0'; ++c) text += *c < 0x80 ? static_cast<char>(*c) : '?';
    return text;
}

bool Failed(CpuStatus status, const std::string& step, std::string* error) {
    if (status == CPULINK_OK) return false;
    *error = step + ": " + StatusText(status);
    return true;
}

class ScopedSetting {
public:
    ScopedSetting(const char* name, int value) : name_(name) {
        const char* old = std::getenv(name);
        hadOld_ = old != nullptr;
        if (hadOld_) old_ = old;
        setenv(name, std::to_string(value).c_str(), 1);
    }
    ~ScopedSetting() {
        if (hadOld_) {
            setenv(name_, old_.c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

private:
    const char* name_;
    bool hadOld_ = false;
    std::string old_;
};

// An open link to a station, closed and released on destruction.
class StationLink {
public:
    explicit StationLink(const Station& station) : station_(station) {}
    ~StationLink() {
        cpuLink_DestroyConnection(&record_);
        if (adapter_ == BUSPORT_INVALID_HANDLE) return;
        Busport_GoOffline(adapter_);
        Busport_Close(adapter_);
    }
    StationLink(const StationLink&) = delete;
    StationLink& operator=(const StationLink&) = delete;

    CpuStatus Open() {
        if (station_.rack < 0) {
            std::shared_lock<std::shared_mutex> shared(environmentLock);
            return station_.transport == Transport::kMpi ? OpenOverMpi() : OpenOverTcp();
        }
        std::unique_lock<std::shared_mutex> exclusive(environmentLock);
        ScopedSetting rack("VEXAL_S7_RACK", station_.rack);
        ScopedSetting slot("VEXAL_S7_SLOT", station_.slot);
        return OpenOverTcp();
    }

    CpuConnection* Record() { return &record_; }

private:
    CpuStatus OpenOverTcp() {
        const CpuStatus initialised = cpuNet_InitConnection(&record_);
        if (initialised != CPULINK_OK) return initialised;
        const uint8_t* ip = station_.ipv4;
        return cpuNet_OpenConnection(&record_, StationKey_FromOctets(ip[0], ip[1], ip[2], ip[3]));
    }

    CpuStatus OpenOverMpi() {
        adapter_ = Busport_Open();
        if (adapter_ == BUSPORT_INVALID_HANDLE || Busport_GoOnlineDefault(adapter_) == 0) {
            return CPULINK_ADAPTER_OFFLINE;
        }
        const CpuStatus initialised = cpuBus_InitConnection(&record_, adapter_);
        if (initialised != CPULINK_OK) return initialised;
        return cpuBus_OpenConnection(&record_, station_.mpiAddress);
    }

    const Station& station_;
    CpuConnection record_{};
    int adapter_ = BUSPORT_INVALID_HANDLE;
};

// A field as one line of a text file: characters outside printable ASCII become '?'.
std::string Printable(std::string text) {
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) c = '?';
    }
    return text;
}

struct ListRecords {
    uint8_t bytes[kListBufferSize];
    uint16_t length = 0;
    uint16_t count = 0;
};

// A list a controller of this family may lack is written as absent, not a failure.
bool ReadList(CpuConnection* record, uint16_t id, ListRecords* list, std::string* error) {
    const CpuStatus status =
        cpuLink_ReadSsl(record, id, 0, &list->length, &list->count, list->bytes, kListBufferSize);
    if (CpuStatus_IsFatal(status)) return !Failed(status, "status list", error);
    if (status != CPULINK_OK && status != CPULINK_MORE_ENTRIES) list->count = 0;
    return true;
}

StatusAnswer AnswerOf(const ListRecords& list) {
    return {{list.bytes, size_t{list.length} * list.count}, list.length, list.count};
}

// The identity's fields that the controller filled, one "label: value" line each.
std::string IdentityLines(const CpuIdentity& identity) {
    const std::pair<const char*, const std::string*> fields[] = {
        {"order-number", &identity.orderNumber},   {"firmware", &identity.firmwareVersion},
        {"system-name", &identity.stationName},    {"module-name", &identity.moduleName},
        {"plant-id", &identity.plantDesignation},  {"copyright", &identity.copyright},
        {"serial-number", &identity.serialNumber}, {"module-type", &identity.moduleType}};
    std::string text;
    for (const auto& [label, value] : fields) {
        if (!value->empty()) text += std::string(label) + ": " + Printable(*value) + "\n";
    }
    return text;
}

std::string ModeLine(const ListRecords& list) {
    static const char* const kModes[] = {"STOP", "RUN", "HALT", "FAULT"};
    const int mode =
        list.count > 0 && list.length >= 20 ? cpuLink_DecodeOperationMode(list.bytes) : -1;
    return std::string("mode: ") + (mode >= 0 ? kModes[mode] : "unknown") + "\n";
}

// The controller's clock against the host's local time, both read as calendar times.
bool ClockLines(CpuConnection* record, std::string* text, std::string* error) {
    CpuClock clock;
    const CpuStatus status = cpuLink_GetClock(record, &clock);
    if (CpuStatus_IsFatal(status)) return !Failed(status, "clock", error);
    BrokenDownTime controller;
    if (status != CPULINK_OK || !cpuLink_S7TimeToTM(&controller, &clock)) {
        *text += "clock: unknown\n";
        return true;
    }
    std::tm calendar{};
    calendar.tm_year = controller.yearsSince1900;
    calendar.tm_mon = controller.month;
    calendar.tm_mday = controller.dayOfMonth;
    calendar.tm_hour = controller.hour;
    calendar.tm_min = controller.minute;
    calendar.tm_sec = controller.second;
    const std::time_t now = std::time(nullptr);
    std::tm host{};
    localtime_r(&now, &host);
    const long long offset = static_cast<long long>(timegm(&calendar)) - timegm(&host);
    char line[96];
    std::strftime(line, sizeof line, "clock: %Y-%m-%d %H:%M:%S\n", &calendar);
    *text += line;
    *text += "clock-offset-seconds: " + std::to_string(offset) + "\n";
    return true;
}

bool ReadIdentity(CpuConnection* record, std::string* text, std::string* error) {
    auto list = std::make_unique<ListRecords>();
    CpuIdentity identity;
    if (!ReadList(record, kModuleIdentificationList, list.get(), error)) return false;
    DecodeModuleIdentification(AnswerOf(*list), &identity);
    if (!ReadList(record, kComponentIdentificationList, list.get(), error)) return false;
    DecodeComponentIdentification(AnswerOf(*list), &identity);
    *text += IdentityLines(identity);
    if (!ReadList(record, kOperationModeList, list.get(), error)) return false;
    *text += ModeLine(*list);
    return ClockLines(record, text, error);
}

using BlockList = std::vector<std::pair<int, uint16_t>>;

bool ListBlocks(CpuConnection* record, BlockList* blocks, std::string* error) {
    std::vector<uint16_t> numbers(kListCapacity);
    for (int type = 0; type < BLOCK_TYPE_COUNT; ++type) {
        CpuStatus status = CPULINK_MORE_ENTRIES;
        for (int start = 0; status == CPULINK_MORE_ENTRIES;) {
            int count = 0;
            status =
                cpuLink_GetBlockList(record, type, start, &count, numbers.data(), kListCapacity);
            if (status == CPULINK_NOT_FOUND) break;
            if (status != CPULINK_OK && status != CPULINK_MORE_ENTRIES) {
                return !Failed(status, std::string("list of ") + BlockTypeName(type), error);
            }
            for (int i = 0; i < count; ++i) blocks->push_back({type, numbers[i]});
            start += count;
        }
    }
    return true;
}

bool UploadBlocks(CpuConnection* record, const BlockList& blocks, const std::atomic<bool>& stop,
                  const BlockProgress& progress, Capture* capture, std::string* error) {
    std::vector<uint8_t> buffer(kMaxBlockImage);
    const int total = static_cast<int>(blocks.size());
    for (int done = 0; done < total; ++done) {
        if (stop) {
            *error = "stopped";
            return false;
        }
        const auto [type, number] = blocks[done];
        const std::string name = BlockName(type, number);
        const CpuStatus status =
            cpuLink_UploadBlock(record, type, number, buffer.data(), kMaxBlockImage);
        if (Failed(status, "upload " + name, error)) return false;
        if (!capture->blocks->Add(buffer.data(), kMaxBlockImage)) {
            *error = "upload " + name + ": the image does not fit the store";
            return false;
        }
        capture->manifest.push_back(
            MakeManifestEntry(buffer.data(), BlockImageLength(buffer.data())));
        progress(done + 1, total);
    }
    return true;
}

}  // namespace

bool CaptureStation(const Station& station, const std::atomic<bool>& stop,
                    const BlockProgress& progress, Capture* capture, std::string* error) {
    StationLink link(station);
    if (Failed(link.Open(), "connect", error)) return false;
    CpuConnection* record = link.Record();
    if (!station.password.empty()) {
        const std::wstring password(station.password.begin(), station.password.end());
        if (Failed(cpuLink_LogInW(record, password.c_str()), "log-in", error)) return false;
    }
    capture->identity.clear();
    if (!ReadIdentity(record, &capture->identity, error)) return false;
    BlockList blocks;
    if (!ListBlocks(record, &blocks, error)) return false;
    progress(0, static_cast<int>(blocks.size()));
    capture->blocks = std::make_unique<BlockStore>();
    capture->manifest.clear();
    return UploadBlocks(record, blocks, stop, progress, capture, error);
}

}  // namespace vexal::backup
