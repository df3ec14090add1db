// The backup that Download and Delete make before they replace or remove blocks in the
// controller, and what the user is told about it.
#pragma once

#include <QString>
#include <vector>

#include "vexal_types.h"

namespace vexal {

class CBlockListCtrl;
class CMainApp;
class CUserPrompts;

// The selected blocks of a list, in list order.
std::vector<BlockRef> SelectedBlocks(const CBlockListCtrl& list);

// Backs up `blocks` when the setting asks for it. False when the backup failed and the user
// chose not to go on; *where receives the backup file, empty when none was written.
bool BackUpBeforeOverwrite(CMainApp& app, CUserPrompts& prompts,
                           const std::vector<BlockRef>& blocks, QString* where);

// Says where the backup went, when one was written.
void TellWhereTheBackupWent(CUserPrompts& prompts, const QString& where);

}  // namespace vexal
