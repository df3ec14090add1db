// English texts for status words and for the event ids of the diagnostic buffer.
#include "cpulink.h"
#include "local_text.h"

namespace vexal::cpulink::local {
namespace {

struct Text {
    uint16_t id;
    const char* text;
};

// Status words of the library, and the two that the GUI's serialised operations add.
constexpr Text kStatusTexts[] = {
    {0x0000, "The operation completed successfully."},
    {0x4001,
     "The object does not exist in the controller (block, system status list or data "
     "block)."},
    {0x4002, "More entries remain in the controller's list."},
    {0x4003, "Access denied by the controller's protection level."},
    {0x4004, "Not possible in the controller's current operating mode."},
    {0x4005, "The address is out of the controller's range."},
    {0x4006, "The controller does not support this data type or transport size."},
    {0x4007, "The block is protected."},
    {0x4008, "The controller's answer does not fit the buffer provided for it."},
    {0x4009, "Invalid argument: nothing was sent to the controller."},
    {0x400A, "The transfer was cancelled."},
    {0x400F, "The controller refused the request."},
    {0x4010, "The controller's system status list answer could not be used."},
    {0xC001,
     "The controller is busy with another operation of this program: access was not "
     "obtained."},
    {0xC002, "Cannot connect to the controller: refused, unreachable or no answer in time."},
    {0xC003, "The connection to the controller was lost."},
    {0xC004, "The controller did not answer in time; the connection was closed."},
    {0xC005,
     "Protocol error: the controller's answer could not be understood; the connection "
     "was closed."},
    {0xC006, "There is no open connection to the controller."},
    {0xC007, "The MPI adapter is not available or not online."},
    {0xC008, "The controller refused the password; the connection was closed."},
};

// Diagnostic buffer events, own wording. Events of module diagnostics (class 8) follow
// below; they are looked up without the bits that vary with the module and the state.
constexpr Text kEventTexts[] = {
    {0x1381, "Warm restart requested manually (mode selector or programming device)"},
    {0x1382, "Warm restart requested automatically (after power-on)"},
    {0x1383, "Hot restart requested manually"},
    {0x1384, "Hot restart requested automatically"},
    {0x1385, "Cold restart requested manually"},
    {0x1386, "Cold restart requested automatically"},
    {0x2521, "BCD conversion error in the program"},
    {0x2522, "Area length error while reading"},
    {0x2523, "Area length error while writing"},
    {0x2524, "Read from an area that does not exist"},
    {0x2525, "Write to an area that does not exist"},
    {0x2526, "Timer number not available"},
    {0x2527, "Counter number not available"},
    {0x2528, "Misaligned read access"},
    {0x2529, "Misaligned write access"},
    {0x2530, "Write attempt to a write-protected data block"},
    {0x2532, "Data block opened with an invalid number"},
    {0x2534, "FC called with an invalid number"},
    {0x2535, "FB called with an invalid number"},
    {0x253A, "Data block referenced but not loaded"},
    {0x253C, "FC called but not loaded"},
    {0x253E, "FB called but not loaded"},
    {0x2942, "I/O access error while reading"},
    {0x2943, "I/O access error while writing"},
    {0x3501, "Scan cycle time exceeded"},
    {0x3502, "OB request error: OB requested again while still active"},
    {0x3503, "A priority class was delayed too long"},
    {0x3505, "Time-of-day interrupts skipped because the clock was set forward"},
    {0x3507, "Too many OB request errors: internal buffer overflow"},
    {0x3509, "Interrupts lost because of interrupt overload"},
    {0x35A1, "Error OB needed by the system is not loaded"},
    {0x35A2, "OB started by configuration or system function is not loaded"},
    {0x3821, "Backup battery fault on the central rack cleared"},
    {0x3822, "Backup voltage on the central rack back"},
    {0x3823, "24 V supply on the central rack back"},
    {0x3842, "Module OK again"},
    {0x3861, "Module inserted and of the right type"},
    {0x3863, "Module inserted but of the wrong type"},
    {0x38B3, "I/O access error while updating the input process image cleared"},
    {0x38B4, "I/O access error while writing the output process image cleared"},
    {0x38C1, "Expansion rack back in operation"},
    {0x38C4, "Distributed I/O: DP station back"},
    {0x38C5, "Distributed I/O: DP station fault cleared"},
    {0x38CB, "PROFINET IO device back"},
    {0x3921, "Backup battery fault on the central rack"},
    {0x3922, "Backup voltage missing on the central rack"},
    {0x3923, "24 V supply failure on the central rack"},
    {0x3942, "Module fault"},
    {0x3961, "Module removed or not addressable"},
    {0x39B3, "I/O access error while updating the input process image"},
    {0x39B4, "I/O access error while writing the output process image"},
    {0x39C1, "Expansion rack failure"},
    {0x39C3, "Distributed I/O: DP master system failure"},
    {0x39C4, "Distributed I/O: DP station failure"},
    {0x39C5, "Distributed I/O: DP station fault"},
    {0x39CA, "PROFINET IO system failure"},
    {0x39CB, "PROFINET IO device failure"},
    {0x4300, "Power-on with battery backup"},
    {0x4301, "Mode change STOP to STARTUP"},
    {0x4302, "Mode change STARTUP to RUN"},
    {0x4303, "STOP: mode selector set to STOP"},
    {0x4304, "STOP requested by a programming device or a function block"},
    {0x4305, "HOLD: breakpoint reached"},
    {0x4306, "HOLD: breakpoint left"},
    {0x4307, "Memory reset started from a programming device"},
    {0x4308, "Memory reset started with the mode selector"},
    {0x4309, "Automatic memory reset (power-on without backup)"},
    {0x430A, "HOLD left, CPU goes to STOP"},
    {0x430D, "STOP caused by another CPU (multicomputing)"},
    {0x430E, "Memory reset carried out"},
    {0x4357, "Module watchdog started"},
    {0x4358, "All modules ready for operation"},
    {0x4520, "DEFECT: STOP mode cannot be reached"},
    {0x4521, "DEFECT: instruction-processing processor failed"},
    {0x4522, "DEFECT: clock chip failed"},
    {0x4523, "DEFECT: clock pulse generator failed"},
    {0x4524, "DEFECT: timer update function failed"},
    {0x4527, "DEFECT: I/O access monitoring failed"},
    {0x4528, "DEFECT: scan-time monitoring failed"},
    {0x4530, "DEFECT: memory test error in internal memory"},
    {0x4540, "STOP: work-memory expansion incomplete or with gaps"},
    {0x4541, "STOP caused by the priority-class system"},
    {0x4542, "STOP caused by the object management system"},
    {0x4543, "STOP caused by test functions"},
    {0x4544, "STOP caused by the diagnostics system"},
    {0x4545, "STOP caused by the communication system"},
    {0x4546, "STOP caused by CPU memory management"},
    {0x4547, "STOP caused by process-image management"},
    {0x4548, "STOP caused by I/O management"},
    {0x4550, "DEFECT: internal system error"},
    {0x4555, "Restart impossible: monitoring time expired"},
    {0x4556, "STOP: memory reset requested"},
    {0x4562, "STOP: programming error and OB 121 not loaded"},
    {0x4563, "STOP: I/O access error and OB 122 not loaded"},
    {0x4567, "STOP caused by an H event"},
    {0x4568, "STOP: time error and OB 80 not loaded"},
    {0x456A, "STOP: diagnostic interrupt and OB 82 not loaded"},
    {0x456B, "STOP: module removed or inserted and OB 83 not loaded"},
    {0x456C, "STOP: CPU hardware error and OB 84 not loaded"},
    {0x456D, "STOP: program sequence error and OB 85 not loaded"},
    {0x456E, "STOP: communication error and OB 87 not loaded"},
    {0x456F, "STOP: rack failure and OB 86 not loaded"},
    {0x4570, "STOP: hardware interrupt and its OB not loaded"},
    {0x4571, "STOP: nesting stack error"},
    {0x4572, "STOP: master control relay stack error"},
    {0x4573, "STOP: synchronous errors nested too deeply"},
    {0x4574, "STOP: interrupt stack nested too deeply"},
    {0x4575, "STOP: block stack nested too deeply"},
    {0x4576, "STOP: local data could not be allocated"},
    {0x4578, "STOP: unknown operation code"},
    {0x457A, "STOP: code length error"},
    {0x457F, "STOP: STOP instruction executed in the program"},
    {0x4580, "STOP: backup memory contents inconsistent"},
    {0x4926, "DEFECT: watchdog for I/O access failed"},
    {0x4931, "STOP or DEFECT: memory test error in the memory card"},
    {0x4933, "Checksum error"},
    {0x4934, "DEFECT: memory not available"},
    {0x4935, "DEFECT: aborted by watchdog or processor exception"},
    {0x4949, "STOP: continuous hardware interrupt"},
    {0x494D, "STOP caused by an I/O error"},
    {0x494E, "STOP caused by a power failure"},
    {0x494F, "STOP caused by a configuration error"},
    {0x4959, "One or more modules not ready for operation"},
    {0x49A0, "STOP: parameter error or configuration mismatch, startup blocked"},
    {0x49A1, "STOP: parameter error, memory reset requested"},
    {0x530D, "New startup information while in STOP"},
    {0x5311, "Startup although modules reported not ready"},
    {0x5380, "Memory compressed"},
    {0x5381, "RAM contents copied to ROM"},
    {0x5382, "Block loaded into the controller"},
    {0x5961, "Parameter assignment error"},
    {0x6316, "Interface error while the controller was starting"},
    {0x6390, "Formatting of the memory card completed"},
    {0x6500, "Connection id used twice on the module"},
    {0x6501, "Not enough connection resources"},
    {0x6502, "Faulty connection description"},
    {0x6521, "No memory card and no internal memory available"},
    {0x6522, "Memory card not permitted: replace it and reset memory"},
    {0x6523, "Memory reset requested: error accessing the memory card"},
    {0x6526, "Memory reset requested because the memory was replaced"},
    {0x6805, "Resource problem with configured connections cleared"},
    {0x6905, "Resource problem with configured connections"},
};

// Module diagnostics, class 8: bits 11-8 of the id vary (external, internal, in the
// buffer, coming), so these are looked up with id & 0xF0FF.
constexpr uint16_t kModuleClassMask = 0xF0FF;
constexpr Text kModuleTexts[] = {
    {0x8000, "module fault"},
    {0x8001, "internal error"},
    {0x8002, "external error"},
    {0x8003, "channel error"},
    {0x8004, "no external auxiliary voltage"},
    {0x8005, "front connector missing"},
    {0x8006, "module not parameterised"},
    {0x8007, "wrong parameters"},
    {0x8031, "communication fault"},
    {0x8032, "module in STOP"},
    {0x8033, "module watchdog"},
    {0x8034, "internal power failure"},
    {0x8035, "battery exhausted"},
    {0x8036, "complete backup failed"},
    {0x8040, "expansion rack failed"},
    {0x8041, "processor failure"},
    {0x8042, "EPROM error"},
    {0x8043, "RAM error"},
    {0x8044, "ADC/DAC error"},
    {0x8045, "fuse blown"},
    {0x8046, "hardware interrupt lost"},
    {0x8050, "analog input: parameter error"},
    {0x8051, "analog input: common-mode error"},
    {0x8052, "analog input: short to phase"},
    {0x8053, "analog input: short to ground"},
    {0x8054, "analog input: wire break"},
    {0x8055, "analog input: reference channel error"},
    {0x8056, "analog input: below measuring range"},
    {0x8057, "analog input: above measuring range"},
    {0x8060, "analog output: parameter error"},
    {0x8061, "analog output: common-mode error"},
    {0x8062, "analog output: short to phase"},
    {0x8063, "analog output: short to ground"},
    {0x8064, "analog output: wire break"},
    {0x8066, "analog output: no load voltage"},
    {0x8070, "digital input: parameter error"},
    {0x8071, "digital input: ground fault"},
    {0x8072, "digital input: sensor short to phase"},
    {0x8073, "digital input: sensor short to ground"},
    {0x8074, "digital input: wire break"},
    {0x8075, "digital input: no sensor supply"},
    {0x8080, "digital output: parameter error"},
    {0x8081, "digital output: ground fault"},
    {0x8082, "digital output: short to phase"},
    {0x8083, "digital output: short to ground"},
    {0x8084, "digital output: wire break"},
    {0x8085, "digital output: fuse tripped"},
    {0x8086, "digital output: no load voltage"},
    {0x8087, "digital output: excess temperature"},
};

// Bit 8 of an event id: the event is coming (set) or going (clear).
constexpr uint16_t kComingBit = 0x0100;

template <size_t N>
const char* Find(const Text (&table)[N], uint16_t id) {
    for (const Text& entry : table) {
        if (entry.id == id) return entry.text;
    }
    return nullptr;
}

}  // namespace
}  // namespace vexal::cpulink::local

namespace local = vexal::cpulink::local;

extern "C" int cpuLink_ErrorString(CpuStatus status, wchar_t* buffer, int capacity) {
    if (buffer == nullptr || capacity < 1) return 0;
    local::TextBuilder text;
    if (const char* known = local::Find(local::kStatusTexts, status)) {
        text.Append(known);
    } else {
        text.Append("Unknown status 0x");
        text.AppendHex(status, 4);
        text.Append(CpuStatus_IsFatal(status) ? " of the communication library; the connection "
                                                "counts as lost."
                                              : " of the communication library.");
    }
    return local::WriteTruncated(text, buffer, capacity);
}

extern "C" int cpuLink_DiagnoseString(uint16_t eventId, wchar_t* buffer, int capacity) {
    if (buffer == nullptr || capacity < 1) return 0;
    buffer[0] = L'\0';
    local::TextBuilder text;
    if (const char* known = local::Find(local::kEventTexts, eventId)) {
        text.Append(known);
    } else if ((eventId & 0xF000) == 0x8000) {
        const char* module = local::Find(local::kModuleTexts, eventId & local::kModuleClassMask);
        if (module == nullptr) return 0;
        text.Append("Module diagnostics: ");
        text.Append(module);
        text.Append((eventId & local::kComingBit) != 0 ? " (coming)" : " (going)");
    } else {
        return 0;
    }
    return local::WriteTruncated(text, buffer, capacity);
}
