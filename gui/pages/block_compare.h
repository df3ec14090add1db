// Comparing the controller's blocks with the project, for the "Online" page: by block info
// against the project image's header and trailer, and where that cannot decide by the bytes
// of that one block uploaded. Marks and the text report of the result.
#pragma once

#include <QString>
#include <vector>

#include "block_facts.h"
#include "vexal_types.h"

namespace vexal {

class BlockStore;
class CMainApp;

struct BlockCompareResult {
    std::vector<BlockComparison> entries;  // one per block of either side
    bool complete = true;                  // false when a fatal status ended the reads
};

BlockCompareResult CompareWithProject(CMainApp& app, const BlockStore& project,
                                      const std::vector<BlockRef>& controllerBlocks);

// A short mark for the block list: "=", "≠", "+" (only in the controller), "-" (only in
// the project), "?".
QString MatchMark(BlockMatch match);
// "same as project", "differs from project", "only in controller", "not in controller",
// "undecided".
QString MatchText(BlockMatch match);
// "FC 12, differs from project": what a screen reader says for a marked item.
QString MarkedBlockText(int type, uint16_t number, BlockMatch match);
// One line per block, "FC 12: differs from project".
QString CompareReport(const std::vector<BlockComparison>& entries);

}  // namespace vexal
