#include "link_jobs.h"

#include <cstdio>

#include "wire_bytes.h"

namespace vexal::cpulink {
namespace {

constexpr uint8_t kFunctionPiService = 0x28;
// Bytes 1 to 7 of every PI service job; their meaning is not known, a CPU expects them.
constexpr uint8_t kPiServicePrefix[] = {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFD};

}  // namespace

char BlockTypeLetter(int type) {
    static const char letters[] = {'8', 'E', 'C', 'A', 'B', 'F', 'D'};
    return type >= 0 && type < 7 ? letters[type] : 0;
}

std::string DecimalDigits(uint32_t value, int width) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*u", width, value);
    return text;
}

std::string BlockId(int type, uint16_t number) {
    return std::string("0") + BlockTypeLetter(type) + DecimalDigits(number, 5);
}

std::string BlockFileName(int type, uint16_t number, char state) {
    return "_" + BlockId(type, number) + state;
}

CpuStatus StatusOfJobAnswer(LinkEngine& engine, const S7Message& answer, uint8_t function) {
    if (answer.error != 0) return StatusOfControllerError(answer.error);
    if (answer.paramLength >= 1 && answer.Params()[0] != function) return engine.ProtocolError();
    return CPULINK_OK;
}

CpuStatus RunPiService(LinkEngine& engine, const std::vector<uint8_t>& parameterBlock,
                       std::string_view service, int timeoutMs) {
    WireWriter params;
    params.U8(kFunctionPiService);
    params.Bytes(kPiServicePrefix, sizeof kPiServicePrefix);
    params.U16(parameterBlock.size());
    params.Bytes(parameterBlock.data(), parameterBlock.size());
    params.U8(service.size());
    params.Text(service);
    S7Message answer;
    const CpuStatus status = engine.Exchange(kS7Job, params.Get(), {}, &answer, timeoutMs);
    if (status != CPULINK_OK) return status;
    return StatusOfJobAnswer(engine, answer, kFunctionPiService);
}

}  // namespace vexal::cpulink
