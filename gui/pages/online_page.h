// The "Online" page: the blocks in the controller, refresh, upload and delete, and the
// comparison with the project. The list follows the controller through page events: a
// refresh (start, each block listed, end), a download (block present), a delete (block
// deleted), and the connection's events. The marks of a comparison stay until either list
// changes.
#pragma once

#include <QSize>
#include <vector>

#include "block_facts.h"
#include "sheet_page.h"
#include "vexal_types.h"

class QLabel;
class QPushButton;

namespace vexal {

class CBlockListCtrl;
class CBlockRefusals;

class COnlinePage : public CSheetPage {
    Q_OBJECT

public:
    COnlinePage(const PageContext& context, int templateId);

    bool OnSetActive() override;

protected:
    void OnPageEvent(PageEvent code, uint32_t a, uint32_t b) override;
    void OnInitDialog() override;

private:
    void BuildControls();
    void OnRefresh();
    void OnUpload();
    void OnDelete();
    void DeleteSelected();
    // Asks for every type's block list; false when a request failed.
    bool ListControllerBlocks();
    // Deletes the selected item at `index` (or tells why not); the index of the next item
    // to look at, or -1 when the loop has to stop.
    int DeleteItem(int index, CBlockRefusals& refusals);
    void UpdateSelectionButtons();
    void UpdateListButtons();
    void UpdateButtons();
    void OnCompare();
    void OnSaveReport();
    void ShowMarks();
    void ClearMarks();
    void FitCellsToMarks(bool marked);

    CBlockListCtrl* blockList_ = nullptr;
    // Once after each activation, as soon as the page is connected and idle.
    CTickPace refresh_;
    // A transfer or refresh is running; the tick leaves a pending refresh for later.
    bool busy_ = false;
    QPushButton* refreshButton_ = nullptr;
    QPushButton* selectAllButton_ = nullptr;
    QPushButton* clearAllButton_ = nullptr;
    QPushButton* invertButton_ = nullptr;
    QPushButton* uploadButton_ = nullptr;
    QPushButton* deleteButton_ = nullptr;
    QPushButton* compareButton_ = nullptr;
    QPushButton* reportButton_ = nullptr;
    // The latest comparison, empty when there is none or the lists changed since.
    std::vector<BlockComparison> comparison_;
    int countBeforeRefresh_ = 0;
    QSize unmarkedGrid_;
    QLabel* countLabel_ = nullptr;
};

}  // namespace vexal
