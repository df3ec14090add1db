#include "overwrite_backup.h"

#include <QCoreApplication>

#include "block_list_ctrl.h"
#include "main_app.h"

namespace vexal {

std::vector<BlockRef> SelectedBlocks(const CBlockListCtrl& list) {
    std::vector<BlockRef> blocks;
    for (int index = 0; index < list.count(); ++index) {
        if (list.item(index)->isSelected()) blocks.push_back(list.ItemData(index) & ~kStaleMark);
    }
    return blocks;
}

bool BackUpBeforeOverwrite(CMainApp& app, CUserPrompts& prompts,
                           const std::vector<BlockRef>& blocks, QString* where) {
    where->clear();
    if (!app.BackupEnabled() || blocks.empty()) return true;
    BlockBackup backup;
    {
        CWaitCursor wait(prompts);
        backup = app.BackUpBlocks(blocks);
    }
    if (!backup.failed) {
        *where = backup.path;
        return true;
    }
    return app.CurrentConnection() != nullptr &&
           prompts.AskYesNo(QCoreApplication::translate(
               "Vexal", "The backup of the controller's blocks failed. Go on without it?"));
}

void TellWhereTheBackupWent(CUserPrompts& prompts, const QString& where) {
    if (where.isEmpty()) return;
    prompts.ShowMessage(
        QCoreApplication::translate("Vexal", "The controller's blocks as they were are saved in %1")
            .arg(where));
}

}  // namespace vexal
