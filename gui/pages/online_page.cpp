#include "online_page.h"

#include <QLabel>
#include <QPushButton>

#include "block_list_ctrl.h"
#include "block_page_parts.h"
#include "cpulink.h"
#include "main_app.h"
#include "sheet_images.h"

namespace vexal {
namespace {

constexpr const char* kProceedDeleting =
    QT_TRANSLATE_NOOP("vexal::COnlinePage", "Proceed deleting blocks?");
constexpr const char* kProtected = QT_TRANSLATE_NOOP("vexal::COnlinePage", "Protected");
constexpr const char* kCantDelete = QT_TRANSLATE_NOOP("vexal::COnlinePage", "Can't delete ");
// Block numbers asked for per block list request.
constexpr int kListChunk = 60;
// Blocks of these types can be deleted; SDBs belong to the controller's configuration.
constexpr int kLastDeletableType = BLOCK_TYPE_DB;

// Sets `busy` for as long as it lives.
class CBusy {
public:
    explicit CBusy(bool& busy) : busy_(busy) { busy_ = true; }
    ~CBusy() { busy_ = false; }
    CBusy(const CBusy&) = delete;
    CBusy& operator=(const CBusy&) = delete;

private:
    bool& busy_;
};

}  // namespace

COnlinePage::COnlinePage(const PageContext& context, int templateId)
    : CSheetPage(context, templateId), refresh_(CTickPace::kOnce, CTickPace::kWait) {
    setObjectName(QStringLiteral("onlinePage"));
    BuildControls();
}

void COnlinePage::BuildControls() {
    const bool large = IsLargeLayout();
    blockList_ = new CBlockListCtrl(kBlockImage, this);
    SetUpBlockList(blockList_, "onlineBlockList", tr("Controller blocks"));
    refreshButton_ = MakePageButton(this, "onlineRefresh", tr("Refresh"));
    selectAllButton_ =
        MakePageButton(this, "onlineSelectAll", large ? tr("Select All") : tr("All"));
    clearAllButton_ = MakePageButton(this, "onlineClearAll", large ? tr("Clear All") : tr("None"));
    invertButton_ = MakePageButton(this, "onlineInvert", tr("Invert"));
    uploadButton_ = MakePageButton(this, "onlineUpload", tr("Upload"));
    deleteButton_ = MakePageButton(this, "onlineDelete", large ? tr("Delete") : tr("Del"));
    countLabel_ = new QLabel(BlockCountText(0), this);
    countLabel_->setObjectName(QStringLiteral("onlineBlockCount"));
    LayOutBlockPage(this, large, blockList_,
                    {{refreshButton_},
                     {selectAllButton_, clearAllButton_, invertButton_},
                     {uploadButton_, deleteButton_}},
                    countLabel_);

    connect(blockList_, &QListWidget::itemSelectionChanged, this, &COnlinePage::UpdateButtons);
    connect(refreshButton_, &QPushButton::clicked, this, &COnlinePage::OnRefresh);
    connect(selectAllButton_, &QPushButton::clicked, this, [this] { SelectAllItems(*blockList_); });
    connect(clearAllButton_, &QPushButton::clicked, this, [this] { ClearAllItems(*blockList_); });
    connect(invertButton_, &QPushButton::clicked, this, [this] { InvertAllItems(*blockList_); });
    connect(uploadButton_, &QPushButton::clicked, this, &COnlinePage::OnUpload);
    connect(deleteButton_, &QPushButton::clicked, this, &COnlinePage::OnDelete);
    PressOnDeleteKey(blockList_, deleteButton_);
}

void COnlinePage::OnInitDialog() {
    blockList_->AttachImages(&Images());
    refresh_.Stop();
    OnPageEvent(kPageDisconnected, 0, 0);
}

bool COnlinePage::OnSetActive() {
    refresh_.RunOnNextTick();
    return true;
}

void COnlinePage::OnPageEvent(PageEvent code, uint32_t a, uint32_t) {
    switch (code) {
        case kPageTick:
            if (refresh_.Tick(connected && !busy_)) OnRefresh();
            break;
        case kPageConnected:
            refreshButton_->setEnabled(true);
            break;
        case kPageDisconnected:
            refreshButton_->setEnabled(false);
            blockList_->ClearBlocks();
            blockList_->setEnabled(false);
            UpdateButtons();
            break;
        case kPageControllerBlockFound:
            blockList_->InsertBlock(BlockRef_Type(a), BlockRef_Number(a));
            UpdateButtons();
            break;
        case kPageControllerBlockDeleted:
            blockList_->RemoveBlock(BlockRef_Type(a), BlockRef_Number(a));
            UpdateButtons();
            break;
        case kPageControllerRefreshStart:
            blockList_->MarkAllStale();
            break;
        case kPageControllerRefreshEnd:
            blockList_->RemoveStale();
            break;
        default:
            break;
    }
}

void COnlinePage::UpdateSelectionButtons() {
    const bool selected = SelectedItemCount(*blockList_) > 0;
    uploadButton_->setEnabled(selected);
    deleteButton_->setEnabled(selected);
}

void COnlinePage::UpdateListButtons() {
    const bool filled = blockList_->count() > 0;
    selectAllButton_->setEnabled(filled);
    clearAllButton_->setEnabled(filled);
    invertButton_->setEnabled(filled);
    countLabel_->setText(BlockCountText(blockList_->count()));
}

void COnlinePage::UpdateButtons() {
    UpdateSelectionButtons();
    UpdateListButtons();
}

// Items not listed again by the controller are dropped at the end, also after a failed
// refresh; items listed again keep their selection.
void COnlinePage::OnRefresh() {
    if (!connected || busy_) return;
    const CBusy busy(busy_);
    refresh_.Stop();
    App().BroadcastPageEvent(kPageControllerRefreshStart);
    bool complete = false;
    {
        CWaitCursor wait(Prompts());
        complete = ListControllerBlocks();
    }
    App().BroadcastPageEvent(kPageControllerRefreshEnd);
    blockList_->setEnabled(complete && blockList_->count() > 0);
    UpdateButtons();
}

// A controller that reports more entries without giving any is not asked again.
bool COnlinePage::ListControllerBlocks() {
    uint16_t numbers[kListChunk];
    for (int type = BLOCK_TYPE_OB; type < BLOCK_TYPE_COUNT; ++type) {
        int start = 0;
        int moreEntries = 0;
        int count = 0;
        do {
            count = App().GetBlockList(type, start, &moreEntries, numbers, kListChunk);
            if (count < 0) return false;
            start += count;
            for (int index = 0; index < count; ++index) {
                App().BroadcastPageEvent(kPageControllerBlockFound,
                                         BlockRef_Pack(type, numbers[index]));
            }
        } while (moreEntries == 1 && count > 0);
    }
    return true;
}

void COnlinePage::OnUpload() {
    const CBusy busy(busy_);
    TransferSelectedBlocks(
        this, Prompts(), tr("Uploading"), *blockList_,
        [this](int type, uint16_t number) { return App().UploadBlock(type, number); });
}

// A deleted block leaves the list at once (its event), so the same index then holds the
// next item. The bound stays the count noted at the start.
void COnlinePage::OnDelete() {
    if (!Prompts().AskYesNo(tr(kProceedDeleting))) return;
    const CBusy busy(busy_);
    const int items = blockList_->count();
    CBlockProgress progress(this, Prompts(), tr("Deleting"), SelectedItemCount(*blockList_));
    int index = 0;
    while (index >= 0 && index < items && index < blockList_->count() && connected) {
        if (!blockList_->item(index)->isSelected()) {
            ++index;
            continue;
        }
        const BlockRef ref = blockList_->ItemData(index);
        if (!progress.Next(BlockListText(BlockRef_Type(ref), BlockRef_Number(ref)))) break;
        index = DeleteItem(index);
    }
}

int COnlinePage::DeleteItem(int index) {
    const BlockRef ref = blockList_->ItemData(index);
    const int type = static_cast<int16_t>(ref >> 16);
    const uint16_t number = BlockRef_Number(ref);
    if (type < BLOCK_TYPE_OB || type > kLastDeletableType) {
        Prompts().ShowMessage(tr(kCantDelete) + BlockListText(type, number));
        return index + 1;
    }
    const CpuStatus status = App().DeleteBlock(type, number);
    if (CpuStatus_IsFatal(status)) return -1;
    if (status == CPULINK_BLOCK_PROTECTED) Prompts().ShowMessage(tr(kProtected));
    // A deleted block is gone from the list; should it still stand there, step over it.
    const bool stillListed = index < blockList_->count() && blockList_->ItemData(index) == ref;
    return status == CPULINK_OK && !stillListed ? index : index + 1;
}

}  // namespace vexal
