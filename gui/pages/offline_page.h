// The "Offline" page: the blocks of the project, its files, download to the controller.
// The list is never rebuilt from the project: it follows the project through the events
// of blocks added and removed, whoever adds or removes them.
#pragma once

#include <array>

#include "sheet_page.h"
#include "vexal_types.h"

class QLabel;
class QPushButton;

namespace vexal {

class CBlockListCtrl;

class COfflinePage : public CSheetPage {
    Q_OBJECT

public:
    COfflinePage(const PageContext& context, int templateId);

    // Blocks that no file holds as they are listed: uploaded, added to a project that had
    // blocks, or removed since the last load or save of the whole project.
    bool HasUnsavedWork() const;
    // Writes every block to a file the user chooses; false when cancelled or failed.
    bool SaveWork();

protected:
    void OnPageEvent(PageEvent code, uint32_t a, uint32_t b) override;
    void OnInitDialog() override;

private:
    void BuildControls();
    void OnLoad();
    void OnSave();
    void OnDel();
    void OnDownload();
    void UpdateSelectionButtons();
    void UpdateListButtons();
    // The selected blocks in list order into selectedRefs; their number.
    int CollectSelection();
    int CollectAll();
    bool SaveBlocks(int count);
    static void BlockStored(void* page, int type, uint16_t number);
    static void BlockRemoved(void* page, int type, uint16_t number);

    CBlockListCtrl* blockList_ = nullptr;
    std::array<BlockRef, 4096> selectedRefs_{};
    QPushButton* selectAllButton_ = nullptr;
    QPushButton* clearAllButton_ = nullptr;
    QPushButton* invertButton_ = nullptr;
    QPushButton* loadButton_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QPushButton* delButton_ = nullptr;
    QPushButton* downloadButton_ = nullptr;
    QLabel* countLabel_ = nullptr;
    bool unsaved_ = false;
};

}  // namespace vexal
