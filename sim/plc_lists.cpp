#include "plc_lists.h"

#include <vector>

#include "sim_clock.h"

namespace vexal::sim {
namespace {

constexpr char kOrderNumber[] = "6ES7 315-2AH14-0AB0 ";
constexpr char kModuleName[] = "CPU 315-2 DP";

struct Records {
    uint16_t length = 0;
    std::vector<Bytes> items;
};

enum LedId : uint8_t {
    kLedSf = 0x01,
    kLedRun = 0x04,
    kLedStop = 0x05,
    kLedForce = 0x06,
    kLedBus1 = 0x0B,
    kLedBus2 = 0x0C,
    kLedMaintenance = 0x15
};
enum ModeCode : uint8_t { kModeStop = 0x04, kModeRun = 0x08 };

// Lists and the header-only extracts of them that a request may name.
constexpr uint16_t kSupportedLists[] = {
    0x0000, 0x0F00, 0x0011, 0x0111, 0x0F11, 0x0013, 0x0F13, 0x0015, 0x0F15, 0x0019, 0x0F19,
    0x001B, 0x0F1B, 0x001C, 0x011C, 0x0F1C, 0x0074, 0x0174, 0x0F74, 0x0124, 0x0131, 0x0132,
    0x0232, 0x0222, 0x0424, 0x0591, 0x0D91, 0x0F91, 0x00A0, 0x01A0, 0x0FA0};

// Records a CPU 315-2 PN/DP gives, for the lists whose contents the simulator does not
// model: byte strings in hex, zeros to the record length left out.
Bytes FromHex(const char* hex) {
    Bytes bytes;
    for (; hex[0] != 0 && hex[1] != 0; hex += 2) {
        const auto digit = [](char c) { return c <= '9' ? c - '0' : c - 'a' + 10; };
        bytes.push_back(static_cast<uint8_t>(digit(hex[0]) << 4 | digit(hex[1])));
    }
    return bytes;
}

Records FixedRecords(uint16_t length, std::initializer_list<const char*> records) {
    Records fixed{length, {}};
    for (const char* record : records) {
        fixed.items.push_back(FromHex(record));
        fixed.items.back().resize(length);
    }
    return fixed;
}

// The one record of a list with the given index; none when the list has no such record.
Records OnlyIndex(Records records, uint16_t index) {
    std::erase_if(records.items,
                  [index](const Bytes& record) { return Big16(record.data()) != index; });
    return records;
}

// Block types with their most numbers and longest images.
Records BlockTypeLimits() {
    return FixedRecords(10, {"0800001603d10000fffe", "0a003e8103d10000fffe", "0b00042203d10000fffe",
                             "0c001f4003d10000fffe", "0e001f4003d10000fffe"});
}

// Communication capabilities by index: 1 general (with the PDU size), 2 programmer
// functions, 3 operator functions, 4 object management, 16 messages (as an S7-400 gives it).
Records CommunicationLimits(uint16_t index, uint16_t maxPdu) {
    Records limits = FixedRecords(
        40, {"000100f0001000b71b000002dc6c05f5e1",
             "0002befd4f0000000000080000003c01080000007d000005030f00000800000c000a00000001",
             "00037ffc830100f00010000102090000", "0004fe01624163001e0010101004020000020002",
             "00103f000f003f007f0000403f"});
    limits.items[0][2] = static_cast<uint8_t>(maxPdu >> 8);
    limits.items[0][3] = static_cast<uint8_t>(maxPdu);
    return OnlyIndex(std::move(limits), index);
}

// The interfaces of the CPU (list 0x0591) or the CPU's own module status (list 0x0D91).
Records ModuleStatus(uint16_t listId) {
    if (listId == 0x0D91) return FixedRecords(16, {"000002007fff00c000c00000b4020011"});
    return FixedRecords(16,
                        {"0000020107ffc4c0c4c00000b4020011", "0000020207fea7c4a7c40000b4020011",
                         "0000020307fd97c597c50000b4020011", "0000020407fc97c597c50000b4020011"});
}

// OB1's cycle times in milliseconds as a CPU 315-2 running a small program reports them:
// the last one varies with the controller's clock between the shortest and the longest.
constexpr uint16_t kShortestCycleMs = 1;
constexpr uint16_t kLongestCycleMs = 3;

// The start information of an organisation block as it last ran, for OB numbers up to 255:
// OB1's carries the last, shortest and longest cycle and the time it last started.
Records StartInformation(const PlcController& controller, uint16_t index) {
    if (index > 0xFF) return {};
    ByteWriter record;
    record.U8(0x11).U8(0x01).U8(0x01).U8(static_cast<uint8_t>(index)).U16(0);
    const int64_t now = controller.ClockMs();
    if (index == 1) {
        const auto last = static_cast<uint16_t>(kShortestCycleMs + now % 2);
        record.U16(last).U16(kShortestCycleMs).U16(kLongestCycleMs);
    }
    Bytes bytes = record.Take();
    bytes.resize(12);
    uint8_t time[8];
    EncodeDateAndTime(now, time);
    bytes.insert(bytes.end(), time, time + 8);
    bytes.resize(28);
    return {28, {bytes}};
}

Bytes Identification(uint16_t index, const char* orderNumber, uint8_t v1, uint8_t v2, uint8_t v3) {
    ByteWriter record;
    record.U16(index).Field(orderNumber, 20, ' ').U16(0x00C0);
    if (index == 0x0007 || index == 0x0081)
        record.U8(index == 0x0007 ? 'V' : 'A').U8(v1).U8(v2).U8(v3);
    else
        record.U16(v1).U16(v2);
    return record.Take();
}

Records ModuleIdentification() {
    return {28,
            {Identification(0x0001, kOrderNumber, 1, 1, 0),
             Identification(0x0006, kOrderNumber, 1, 1, 0), Identification(0x0007, "", 2, 6, 7),
             Identification(0x0081, "Boot Loader", 0x41, 0x20, 0x09)}};
}

Bytes MemoryArea(uint16_t index, uint16_t code, uint32_t size, uint16_t mode, uint32_t used) {
    ByteWriter record;
    record.U16(index).U16(code).U32(size).U16(mode).U16(0);
    record.U32(size).U32(used).U32(size - used).U32(0).U32(0).U32(0);
    return record.Take();
}

// Work memory, integrated load memory and backup memory, all volatile.
Records MemoryAreas(const PlcController& controller) {
    return {36,
            {MemoryArea(1, 1, kWorkMemorySize, 0x0011, controller.WorkMemoryUsed()),
             MemoryArea(2, 1, kLoadMemorySize, 0x0001, controller.LoadMemoryUsed()),
             MemoryArea(5, 1, 65536, 0x0001, 0)}};
}

Bytes MemoryFigure(uint8_t area, uint16_t kind, uint32_t value) {
    ByteWriter record;
    record.U8(area).U8(0).U16(kind).U16(0).U16(0).U32(0).U32(value).U32(0);
    return record.Take();
}

// Used and free bytes of load memory (area 0) and of an undivided work memory (area 18).
Records MemoryUsage(const PlcController& controller) {
    const uint32_t loadUsed = controller.LoadMemoryUsed();
    const uint32_t workUsed = controller.WorkMemoryUsed();
    return {20,
            {MemoryFigure(0, 0x00, loadUsed), MemoryFigure(0, 0x70, kLoadMemorySize - loadUsed),
             MemoryFigure(18, 0x10, workUsed), MemoryFigure(18, 0x70, kWorkMemorySize - workUsed)}};
}

Bytes Led(uint8_t id, bool on, uint8_t blink) {
    return {0x00, id, on ? uint8_t{1} : uint8_t{0}, blink};
}

Records ModuleLeds(const PlcController& controller) {
    const bool running = controller.Mode() == OperatingMode::kRun;
    // A selector at MRES asks for a memory reset: the STOP LED flashes slowly.
    const uint8_t stopBlink = controller.Selector() == Keyswitch::kMres ? 2 : 0;
    return {4,
            {Led(kLedSf, false, 0), Led(kLedRun, running, 0), Led(kLedStop, !running, stopBlink),
             Led(kLedForce, false, 0), Led(kLedBus1, false, 0), Led(kLedBus2, false, 0),
             Led(kLedMaintenance, false, 0)}};
}

Bytes ComponentName(uint16_t index, const char* text, size_t width) {
    ByteWriter record;
    record.U16(index).Field(text, width).Field("", 32 - width);
    return record.Take();
}

Records ComponentIdentification() {
    return {34,
            {
                ComponentName(0x0001, "VEXAL PLCSIM", 24),
                ComponentName(0x0002, kModuleName, 24),
                ComponentName(0x0003, "", 32),
                ComponentName(0x0004, "Vexal controller simulator", 26),
                ComponentName(0x0005, "S VX-SIM000000001", 24),
                ComponentName(0x0007, kModuleName, 32),
                ComponentName(0x0008, "MMC VXSIM0001", 32),
                ComponentName(0x0009, "", 32),
                ComponentName(0x000A, "", 32),
                ComponentName(0x000B, "", 32),
            }};
}

uint16_t ProtectionInForce(const PlcController& controller, bool legitimated) {
    return controller.HasPassword() && !legitimated ? 3 : 1;
}

Records ProtectionAndSelector(const PlcController& controller, bool legitimated, uint16_t index) {
    // Index 2: the programmer's time limits; index 6: the operator's, as a CPU 315 gives them.
    if (index == 0x0002) return FixedRecords(40, {"0002000000000000000e00000000060108"});
    if (index == 0x0006) return FixedRecords(40, {"0006000080010000000000003c003b"});
    if (index != 0x0004) return {};
    const uint16_t bySelector = controller.Selector() == Keyswitch::kRun ? 2 : 1;
    ByteWriter record;
    record.U16(0x0004).U16(bySelector).U16(controller.HasPassword() ? 3 : 0);
    record.U16(std::max(bySelector, ProtectionInForce(controller, legitimated)));
    record.U16(static_cast<uint16_t>(controller.Selector())).U16(2);  // warm restart switch
    record.Field("", 28);
    return {40, {record.Take()}};
}

Records OperatingModeRecord(const PlcController& controller) {
    ByteWriter record;
    const uint8_t mode = controller.Mode() == OperatingMode::kRun ? kModeRun : kModeStop;
    record.U16(controller.LastTransitionEvent()).U8(0xFF).U8(mode).U32(0);
    record.U8(0).U8(controller.Mode() == OperatingMode::kRun ? 0x0C : 0x00).U8(0x0C).U8(0x0C);
    uint8_t time[8];
    EncodeDateAndTime(controller.LastTransitionMs(), time);
    record.Put(time, sizeof time);
    return {20, {record.Take()}};
}

// The diagnostic entry of the latest mode transition.
Records LastModeTransition(const PlcController& controller) {
    for (const DiagnosticEntry& entry : controller.Diagnostics()) {
        if ((entry[0] & 0xF0) == 0x40) return {20, {Bytes(entry.begin(), entry.end())}};
    }
    return OperatingModeRecord(controller);
}

Records DiagnosticBuffer(const PlcController& controller, size_t limit) {
    Records records{20, {}};
    for (const DiagnosticEntry& entry : controller.Diagnostics()) {
        if (records.items.size() == limit) break;
        records.items.emplace_back(entry.begin(), entry.end());
    }
    return records;
}

Records SupportedLists() {
    Records records{2, {}};
    for (uint16_t id : kSupportedLists)
        records.items.push_back({static_cast<uint8_t>(id >> 8), static_cast<uint8_t>(id)});
    return records;
}

bool IsSupported(uint16_t listId) {
    for (uint16_t id : kSupportedLists) {
        if (id == listId) return true;
    }
    return false;
}

// The records of a list (header-only extracts use the full list), or an error.
uint16_t Select(const PlcController& controller, uint16_t listId, uint16_t index, bool legitimated,
                Records* records) {
    switch (listId & 0xF0FF) {
        case 0x0000:
            *records = SupportedLists();
            return kNoError;
        case 0x0011:
            *records = ModuleIdentification();
            break;
        case 0x0013:
            *records = MemoryAreas(controller);
            return kNoError;
        case 0x0019:
            *records = ModuleLeds(controller);
            return kNoError;
        case 0x001B:
            *records = MemoryUsage(controller);
            return kNoError;
        case 0x001C:
            *records = ComponentIdentification();
            break;
        case 0x0015:
            *records = BlockTypeLimits();
            return kNoError;
        case 0x0031:
            *records = CommunicationLimits(index, controller.MaxPdu());
            return records->items.empty() ? kIndexNotAvailable : kNoError;
        case 0x0032:
            *records = ProtectionAndSelector(controller, legitimated, index);
            return records->items.empty() ? kIndexNotAvailable : kNoError;
        case 0x0074:
            *records = ModuleLeds(controller);
            break;
        case 0x0091:
            *records = ModuleStatus(listId);
            return kNoError;
        case 0x0022:
            *records = StartInformation(controller, index);
            return records->items.empty() ? kIndexNotAvailable : kNoError;
        case 0x0024:
            *records =
                listId == 0x0124 ? LastModeTransition(controller) : OperatingModeRecord(controller);
            return kNoError;
        case 0x00A0:
            *records = DiagnosticBuffer(controller, listId == 0x01A0 ? index : kDiagnosticCapacity);
            return kNoError;
        default:
            return kListNotAvailable;
    }
    // Extract 1 of these lists is the one record of the index.
    if ((listId & 0x0F00) != 0x0100) return kNoError;
    *records = OnlyIndex(std::move(*records), index);
    return records->items.empty() ? kIndexNotAvailable : kNoError;
}

}  // namespace

uint16_t BuildSystemList(const PlcController& controller, uint16_t listId, uint16_t index,
                         bool legitimated, Bytes* answer) {
    if (!IsSupported(listId) || controller.IsListRefused(listId)) return kListNotAvailable;
    Records records;
    const uint16_t error = Select(controller, listId, index, legitimated, &records);
    if (error != kNoError) return error;
    const bool headerOnly = (listId & 0x0F00) == 0x0F00;
    ByteWriter out;
    // The header of the diagnostic buffer tells its capacity.
    const size_t count = listId == 0x0FA0 ? kDiagnosticCapacity : records.items.size();
    // The mode list comes back with index 0, whatever index was asked for.
    out.U16(listId).U16((listId & 0xF0FF) == 0x0024 ? 0 : index).U16(records.length).U16(count);
    if (!headerOnly) {
        for (const Bytes& record : records.items) out.Put(record);
    }
    *answer = out.Take();
    return kNoError;
}

}  // namespace vexal::sim
