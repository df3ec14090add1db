// What tells two images of a block apart without comparing their bytes: the lengths, time
// stamps and checksum of the header and trailer. The same facts come from a project image
// or from a controller's block info, so a controller's program can be compared with a
// project without an upload.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vexal {

// Time stamps hold their six header bytes as one big-endian number. A load length of 0
// means the facts are not known.
struct BlockFacts {
    int type = -1;
    uint16_t number = 0;
    uint32_t loadLength = 0;
    uint32_t codeLength = 0;
    uint64_t codeTime = 0;
    uint64_t interfaceTime = 0;
    uint16_t checksum = 0;
};

// Reads the facts from an image's header and trailer; false, leaving *facts unchanged,
// for an image that is no block or whose length field is shorter than header and trailer
// or longer than `size`.
bool ReadBlockFacts(const uint8_t* image, size_t size, BlockFacts* facts);

enum class BlockMatch { kSame, kDiffers, kOnlyInController, kOnlyInProject, kUndecided };

// Two images of the same block: they differ when a length, a time stamp or a checksum both
// carry differs. They are the same only when everything agrees and a time stamp or the
// checksum is set; without either, or with facts not known, the facts cannot decide.
BlockMatch CompareBlockFacts(const BlockFacts& controller, const BlockFacts& project);

struct BlockComparison {
    int type = -1;
    uint16_t number = 0;
    BlockMatch match = BlockMatch::kUndecided;
};

// One entry per block of either side, ordered by type and number.
std::vector<BlockComparison> CompareBlockLists(const std::vector<BlockFacts>& controller,
                                               const std::vector<BlockFacts>& project);

}  // namespace vexal
