// Control jobs (stop, warm restart, compress, copy RAM to ROM, memory reset) and the
// controller clock.
#include <algorithm>
#include <cstring>

#include "connection_record.h"
#include "link_jobs.h"
#include "wire_bytes.h"

namespace vexal::cpulink {
namespace {

constexpr uint8_t kFunctionStop = 0x29;
constexpr char kProgramService[] = "P_PROGRAM";
constexpr char kCompressService[] = "_GARB";
constexpr char kCopyRamToRomService[] = "_MODU";
// No public capture shows how a PG asks for a memory reset. This PI service name is our
// choice, and the controller simulator answers the same name.
constexpr char kMemoryResetService[] = "_MSRST";

constexpr uint8_t kSubfunctionReadClock = 0x01;
constexpr uint8_t kSubfunctionSetClock = 0x02;
constexpr size_t kClockTimestampSize = 10;

CpuStatus StopCpu(LinkEngine& engine) {
    WireWriter params;
    params.U8(kFunctionStop);
    params.U32(0);
    params.U8(0);
    params.U8(sizeof kProgramService - 1);
    params.Text(kProgramService);
    S7Message answer;
    const CpuStatus status = engine.Exchange(kS7Job, params.Get(), {}, &answer);
    if (status != CPULINK_OK) return status;
    return StatusOfJobAnswer(engine, answer, kFunctionStop);
}

// A zero time limit means the answer time-out of the settings.
int LongJobTimeout(uint32_t timeoutMs) {
    return static_cast<int>(std::min<uint32_t>(timeoutMs, 24u * 3600u * 1000u));
}

bool IsBcd(uint8_t value, int highest) {
    if ((value >> 4) > 9 || (value & 0x0F) > 9) return false;
    return (value >> 4) * 10 + (value & 0x0F) <= highest;
}

// Checks the DATE_AND_TIME digits before they go to the controller.
bool IsValidClock(const CpuClock& clock) {
    const uint8_t* b = clock.bytes;
    const bool dateOk =
        IsBcd(b[0], 99) && IsBcd(b[1], 12) && b[1] != 0 && IsBcd(b[2], 31) && b[2] != 0;
    const bool timeOk = IsBcd(b[3], 23) && IsBcd(b[4], 59) && IsBcd(b[5], 59) && IsBcd(b[6], 99);
    return dateOk && timeOk && (b[7] >> 4) <= 9 && (b[7] & 0x0F) <= 7;
}

CpuStatus GetClock(LinkEngine& engine, CpuClock* clock) {
    std::vector<uint8_t> payload;
    uint16_t error = 0;
    const CpuStatus status = engine.ReadUserdata(kGroupTime, kSubfunctionReadClock, {},
                                                 kClockTimestampSize, &payload, &error);
    if (status != CPULINK_OK) return status;
    if (error != 0) return StatusOfControllerError(error);
    if (payload.size() != kClockTimestampSize) return engine.ProtocolError();
    // Bytes 0 and 1 are a reserved byte and a century that CPUs do not keep up to date.
    std::memcpy(clock->bytes, payload.data() + 2, CPULINK_CLOCK_SIZE);
    return CPULINK_OK;
}

CpuStatus SetClock(LinkEngine& engine, const CpuClock& clock) {
    WireWriter timestamp;
    timestamp.U8(0x00);
    timestamp.U8(0x19);  // what real tools send and real CPUs report, whatever the year
    for (uint8_t digit : clock.bytes) timestamp.U8(digit);
    std::vector<uint8_t> payload;
    uint16_t error = 0;
    const CpuStatus status = engine.ReadUserdata(kGroupTime, kSubfunctionSetClock, timestamp.Get(),
                                                 kClockTimestampSize, &payload, &error);
    if (status != CPULINK_OK) return status;
    return StatusOfControllerError(error);
}

}  // namespace
}  // namespace vexal::cpulink

using namespace vexal::cpulink;

extern "C" {

CpuStatus cpuLink_CompressMemory(CpuConnection* record, uint32_t timeoutMs) {
    return WithLink(record, [&](LinkEngine& engine) -> CpuStatus {
        return RunPiService(engine, {}, kCompressService, LongJobTimeout(timeoutMs));
    });
}

CpuStatus cpuLink_CopyRamToRom(CpuConnection* record, uint32_t timeoutMs) {
    return WithLink(record, [&](LinkEngine& engine) -> CpuStatus {
        return RunPiService(engine, {'E', 'P'}, kCopyRamToRomService, LongJobTimeout(timeoutMs));
    });
}

CpuStatus cpuLink_Clear(CpuConnection* record) {
    return WithLink(record, [](LinkEngine& engine) -> CpuStatus {
        return RunPiService(engine, {}, kMemoryResetService);
    });
}

CpuStatus cpuLink_Stop(CpuConnection* record) {
    return WithLink(record, StopCpu);
}

CpuStatus cpuLink_WarmRestart(CpuConnection* record) {
    return WithLink(record, [](LinkEngine& engine) -> CpuStatus {
        return RunPiService(engine, {}, kProgramService);
    });
}

CpuStatus cpuLink_GetClock(CpuConnection* record, CpuClock* clock) {
    return WithLink(record, [&](LinkEngine& engine) -> CpuStatus {
        if (clock == nullptr) return CPULINK_INVALID_ARGUMENT;
        return GetClock(engine, clock);
    });
}

CpuStatus cpuLink_SetClock(CpuConnection* record, const CpuClock* clock) {
    return WithLink(record, [&](LinkEngine& engine) -> CpuStatus {
        if (clock == nullptr || !IsValidClock(*clock)) return CPULINK_INVALID_ARGUMENT;
        return SetClock(engine, *clock);
    });
}

}  // extern "C"
