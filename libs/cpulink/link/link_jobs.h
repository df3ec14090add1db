// Pieces shared by the controller calls: block names as the controller spells them and
// the PI services (program invocation) that run control jobs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "link_engine.h"

namespace vexal::cpulink {

// The ASCII character after '0' that names a block type index 0 to 6, or 0 for others.
char BlockTypeLetter(int type);

// "0A00001" for DB1: type letters and five decimal digits.
std::string BlockId(int type, uint16_t number);

// The nine-character file name of a block: '_' + id + state ('A' active, 'P' passive,
// 'B' both).
std::string BlockFileName(int type, uint16_t number, char state);

// Runs a PI service (function 0x28) with its parameter block and waits timeoutMs for
// the answer (0: the answer time-out).
CpuStatus RunPiService(LinkEngine& engine, const std::vector<uint8_t>& parameterBlock,
                       std::string_view service, int timeoutMs = 0);

// The status of an ack or ack-data answer to a job of this function: the controller's
// refusal mapped, or a protocol error when the answer is of another function.
CpuStatus StatusOfJobAnswer(LinkEngine& engine, const S7Message& answer, uint8_t function);

// Decimal digits, zero padded to `width`.
std::string DecimalDigits(uint32_t value, int width);

}  // namespace vexal::cpulink
