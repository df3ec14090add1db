// The execution steps of the eight commands on an open connection. Each returns a
// negative failure code, 0, or warning bits: 1 = the controller answered with a
// condition that is not an error, 2 = a block range matched no block.
#pragma once

#include <cstdint>

#include "block_store.h"
#include "cpulink.h"

namespace vexal::cmd {

inline constexpr int kBlockNumberCapacity = 16384;
inline constexpr int kWarningCondition = 1;
inline constexpr int kWarningNoBlock = 2;

struct CommandContext {
    CpuConnection* connection;
    BlockStore* uploads;
    BlockStore* downloads;
    uint16_t* numbers;     // kBlockNumberCapacity entries
    uint8_t* blockBuffer;  // kMaxBlockImage bytes
};

// Runs one command (a command keyword) with its value text.
int RunCommandStep(int keyword, const wchar_t* value, CommandContext& context);

// How a command's failure code becomes the exit code: code minus this offset.
int CommandFailureOffset(int keyword);

}  // namespace vexal::cmd
