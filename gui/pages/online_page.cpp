#include "online_page.h"

#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <map>

#include "block_compare.h"
#include "block_list_ctrl.h"
#include "block_page_parts.h"
#include "cpulink.h"
#include "main_app.h"
#include "overwrite_backup.h"
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
    compareButton_ = MakePageButton(this, "onlineCompare", tr("Compare"));
    reportButton_ = MakePageButton(this, "onlineReport", large ? tr("Save Report") : tr("Report"));
    unmarkedGrid_ = blockList_->gridSize();
    countLabel_ = new QLabel(BlockCountText(0), this);
    countLabel_->setObjectName(QStringLiteral("onlineBlockCount"));
    LayOutBlockPage(this, large, blockList_,
                    {{refreshButton_},
                     {selectAllButton_, clearAllButton_, invertButton_},
                     {uploadButton_, deleteButton_},
                     {compareButton_, reportButton_}},
                    countLabel_);

    connect(blockList_, &QListWidget::itemSelectionChanged, this, &COnlinePage::UpdateButtons);
    connect(refreshButton_, &QPushButton::clicked, this, &COnlinePage::OnRefresh);
    connect(selectAllButton_, &QPushButton::clicked, this, [this] { SelectAllItems(*blockList_); });
    connect(clearAllButton_, &QPushButton::clicked, this, [this] { ClearAllItems(*blockList_); });
    connect(invertButton_, &QPushButton::clicked, this, [this] { InvertAllItems(*blockList_); });
    connect(uploadButton_, &QPushButton::clicked, this, &COnlinePage::OnUpload);
    connect(deleteButton_, &QPushButton::clicked, this, &COnlinePage::OnDelete);
    connect(compareButton_, &QPushButton::clicked, this, &COnlinePage::OnCompare);
    connect(reportButton_, &QPushButton::clicked, this, &COnlinePage::OnSaveReport);
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
            ClearMarks();
            blockList_->ClearBlocks();
            blockList_->setEnabled(false);
            UpdateButtons();
            break;
        case kPageControllerBlockFound:
            if (blockList_->InsertBlock(BlockRef_Type(a), BlockRef_Number(a)) >= 0) ClearMarks();
            UpdateButtons();
            break;
        case kPageControllerBlockDeleted:
            if (blockList_->RemoveBlock(BlockRef_Type(a), BlockRef_Number(a)) == 1) ClearMarks();
            UpdateButtons();
            break;
        case kPageProjectBlockAdded:
        case kPageProjectBlockRemoved:
            ClearMarks();
            UpdateButtons();
            break;
        case kPageControllerRefreshStart:
            countBeforeRefresh_ = blockList_->count();
            blockList_->MarkAllStale();
            break;
        case kPageControllerRefreshEnd:
            blockList_->RemoveStale();
            if (blockList_->count() != countBeforeRefresh_) ClearMarks();
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
    compareButton_->setEnabled(connected && filled);
    reportButton_->setEnabled(!comparison_.empty());
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
        [this](int type, uint16_t number, const std::function<bool()>& cancelled) {
            return App().UploadBlock(type, number, cancelled);
        });
}

void COnlinePage::OnDelete() {
    if (!Prompts().AskYesNo(tr(kProceedDeleting))) return;
    const CBusy busy(busy_);
    QString backup;
    if (!BackUpBeforeOverwrite(App(), Prompts(), SelectedBlocks(*blockList_), &backup)) return;
    DeleteSelected();
    TellWhereTheBackupWent(Prompts(), backup);
}

// A deleted block leaves the list at once (its event), so the same index then holds the
// next item. The bound stays the count noted at the start.
void COnlinePage::DeleteSelected() {
    const int items = blockList_->count();
    CBlockRefusals refusals;
    {
        CBlockProgress progress(this, Prompts(), tr("Deleting"), SelectedItemCount(*blockList_));
        int index = 0;
        while (index >= 0 && index < items && index < blockList_->count() && connected) {
            if (!blockList_->item(index)->isSelected()) {
                ++index;
                continue;
            }
            const BlockRef ref = blockList_->ItemData(index);
            if (!progress.Next(BlockListText(BlockRef_Type(ref), BlockRef_Number(ref)))) break;
            index = DeleteItem(index, refusals);
        }
    }
    refusals.Tell(Prompts());
}

int COnlinePage::DeleteItem(int index, CBlockRefusals& refusals) {
    const BlockRef ref = blockList_->ItemData(index);
    const int type = static_cast<int16_t>(ref >> 16);
    const uint16_t number = BlockRef_Number(ref);
    if (type < BLOCK_TYPE_OB || type > kLastDeletableType) {
        refusals.Add(type, number, tr(kCantDelete), true);
        return index + 1;
    }
    const CpuStatus status = App().DeleteBlock(type, number);
    if (CpuStatus_IsFatal(status)) return -1;
    if (status == CPULINK_BLOCK_PROTECTED) {
        refusals.Add(type, number, tr(kProtected));
    } else if (status != CPULINK_OK) {
        refusals.AddStatus(type, number, status);
    }
    // A deleted block is gone from the list; should it still stand there, step over it.
    const bool stillListed = index < blockList_->count() && blockList_->ItemData(index) == ref;
    return status == CPULINK_OK && !stillListed ? index : index + 1;
}

// Marks every listed block; project blocks missing in the controller are named in a message
// and in the report.
void COnlinePage::OnCompare() {
    if (!connected || busy_) return;
    const CBusy busy(busy_);
    std::vector<BlockRef> listed;
    for (int index = 0; index < blockList_->count(); ++index)
        listed.push_back(blockList_->ItemData(index) & ~kStaleMark);
    BlockCompareResult result;
    {
        CWaitCursor wait(Prompts());
        result = CompareWithProject(App(), Project(), listed);
    }
    if (!result.complete) return;
    comparison_ = std::move(result.entries);
    ShowMarks();
    UpdateButtons();
    QStringList missing;
    for (const BlockComparison& entry : comparison_) {
        if (entry.match == BlockMatch::kOnlyInProject)
            missing << BlockListText(entry.type, entry.number).simplified();
    }
    if (!missing.isEmpty())
        Prompts().ShowMessage(
            tr("Not in the controller: %1").arg(missing.join(QStringLiteral(", "))));
}

// Marked texts are longer: the cells widen by a mark and each item takes its own width.
void COnlinePage::FitCellsToMarks(bool marked) {
    const QFontMetrics metrics(blockList_->font());
    const int markWidth = metrics.horizontalAdvance(QStringLiteral(" \u2260"));
    blockList_->setUniformItemSizes(!marked);
    blockList_->setGridSize(unmarkedGrid_ + QSize(marked ? markWidth : 0, 0));
}

void COnlinePage::ShowMarks() {
    FitCellsToMarks(true);
    std::map<BlockRef, BlockMatch> marks;
    for (const BlockComparison& entry : comparison_)
        marks[BlockRef_Pack(entry.type, entry.number)] = entry.match;
    for (int index = 0; index < blockList_->count(); ++index) {
        const BlockRef ref = blockList_->ItemData(index) & ~kStaleMark;
        const auto mark = marks.find(ref);
        if (mark == marks.end()) continue;
        const int type = BlockRef_Type(ref);
        const uint16_t number = BlockRef_Number(ref);
        QListWidgetItem* item = blockList_->item(index);
        item->setText(BlockListText(type, number) + QLatin1Char(' ') + MatchMark(mark->second));
        const QString spoken = MarkedBlockText(type, number, mark->second);
        item->setData(Qt::AccessibleTextRole, spoken);
        item->setToolTip(spoken);
    }
}

void COnlinePage::ClearMarks() {
    if (comparison_.empty()) return;
    comparison_.clear();
    FitCellsToMarks(false);
    for (int index = 0; index < blockList_->count(); ++index) {
        QListWidgetItem* item = blockList_->item(index);
        const BlockRef ref = blockList_->ItemData(index) & ~kStaleMark;
        item->setText(BlockListText(BlockRef_Type(ref), BlockRef_Number(ref)));
        item->setData(Qt::AccessibleTextRole, QVariant());
        item->setToolTip(QString());
    }
}

void COnlinePage::OnSaveReport() {
    const QString path =
        Prompts().ChooseFileToSave(QStringLiteral("txt"), tr("Text files (*.txt);;All files (*)"));
    if (path.isEmpty()) return;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text) ||
        file.write(CompareReport(comparison_).toUtf8()) < 0) {
        Prompts().ShowMessage(tr("Can't write %1").arg(path));
    }
}

}  // namespace vexal
