#include "offline_page.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "block_list_ctrl.h"
#include "block_page_parts.h"
#include "main_app.h"
#include "overwrite_backup.h"
#include "project_policies.h"
#include "sheet_images.h"

namespace vexal {
namespace {

const QString kProjectSuffix = QStringLiteral("wld");
constexpr const char* kProjectFilter =
    QT_TRANSLATE_NOOP("vexal::COfflinePage", "WinLC files (*.wld);;All files (*)");
// The project library's messages, named here for the translation file.
[[maybe_unused]] constexpr const char* kProjectMessages[] = {
    QT_TRANSLATE_NOOP("vexal::COfflinePage", "error reading project file"),
    QT_TRANSLATE_NOOP("vexal::COfflinePage", "error writing project file"),
    QT_TRANSLATE_NOOP("vexal::COfflinePage", "error deleting blocks")};
constexpr const char* kProceedDeleting =
    QT_TRANSLATE_NOOP("vexal::COfflinePage", "Proceed deleting blocks?");

}  // namespace

COfflinePage::COfflinePage(const PageContext& context, int templateId)
    : CSheetPage(context, templateId) {
    setObjectName(QStringLiteral("offlinePage"));
    BuildControls();
}

void COfflinePage::BuildControls() {
    const bool large = IsLargeLayout();
    blockList_ = new CBlockListCtrl(kBlockImage, this);
    SetUpBlockList(blockList_, "offlineBlockList", tr("Project blocks"));
    selectAllButton_ =
        MakePageButton(this, "offlineSelectAll", large ? tr("Select All") : tr("All"));
    clearAllButton_ = MakePageButton(this, "offlineClearAll", large ? tr("Clear All") : tr("None"));
    invertButton_ = MakePageButton(this, "offlineInvert", tr("Invert"));
    loadButton_ = MakePageButton(this, "offlineLoad", tr("Load"));
    saveButton_ = MakePageButton(this, "offlineSave", tr("Save"));
    delButton_ = MakePageButton(this, "offlineDel", tr("Del"));
    downloadButton_ = MakePageButton(this, "offlineDownload", tr("Download"));
    countLabel_ = new QLabel(BlockCountText(0), this);
    countLabel_->setObjectName(QStringLiteral("offlineBlockCount"));
    LayOutBlockPage(this, large, blockList_,
                    {{selectAllButton_, clearAllButton_, invertButton_},
                     {loadButton_, saveButton_, delButton_},
                     {downloadButton_}},
                    countLabel_);

    connect(blockList_, &QListWidget::itemSelectionChanged, this,
            &COfflinePage::UpdateSelectionButtons);
    connect(selectAllButton_, &QPushButton::clicked, this, [this] { SelectAllItems(*blockList_); });
    connect(clearAllButton_, &QPushButton::clicked, this, [this] { ClearAllItems(*blockList_); });
    connect(invertButton_, &QPushButton::clicked, this, [this] { InvertAllItems(*blockList_); });
    connect(loadButton_, &QPushButton::clicked, this, &COfflinePage::OnLoad);
    connect(saveButton_, &QPushButton::clicked, this, &COfflinePage::OnSave);
    connect(delButton_, &QPushButton::clicked, this, &COfflinePage::OnDel);
    connect(downloadButton_, &QPushButton::clicked, this, &COfflinePage::OnDownload);
    PressOnDeleteKey(blockList_, delButton_);
}

// The buttons show what can be done from the start, not only after the first change.
void COfflinePage::OnInitDialog() {
    blockList_->AttachImages(&Images());
    OnPageEvent(kPageDisconnected, 0, 0);
    UpdateListButtons();
}

void COfflinePage::OnPageEvent(PageEvent code, uint32_t a, uint32_t) {
    switch (code) {
        case kPageConnected:
        case kPageDisconnected:
            UpdateSelectionButtons();
            break;
        case kPageProjectBlockAdded:
            unsaved_ = true;
            blockList_->InsertBlock(BlockRef_Type(a), BlockRef_Number(a));
            UpdateSelectionButtons();
            UpdateListButtons();
            break;
        case kPageProjectBlockRemoved:
            unsaved_ = true;
            blockList_->RemoveBlock(BlockRef_Type(a), BlockRef_Number(a));
            UpdateSelectionButtons();
            UpdateListButtons();
            break;
        default:
            break;
    }
}

void COfflinePage::UpdateSelectionButtons() {
    const bool selected = SelectedItemCount(*blockList_) > 0;
    delButton_->setEnabled(selected);
    saveButton_->setEnabled(selected);
    downloadButton_->setEnabled(selected && connected);
}

void COfflinePage::UpdateListButtons() {
    const bool filled = blockList_->count() > 0;
    selectAllButton_->setEnabled(filled);
    clearAllButton_->setEnabled(filled);
    invertButton_->setEnabled(filled);
    loadButton_->setEnabled(true);
    countLabel_->setText(BlockCountText(blockList_->count()));
}

int COfflinePage::CollectSelection() {
    int stored = 0;
    for (int index = 0; index < blockList_->count() && stored < kStoreMaxBlocks; ++index) {
        if (blockList_->item(index)->isSelected()) {
            selectedRefs_[static_cast<size_t>(stored++)] = blockList_->ItemData(index);
        }
    }
    return stored;
}

int COfflinePage::CollectAll() {
    const int count = std::min(blockList_->count(), kStoreMaxBlocks);
    for (int index = 0; index < count; ++index) {
        selectedRefs_[static_cast<size_t>(index)] = blockList_->ItemData(index);
    }
    return count;
}

bool COfflinePage::HasUnsavedWork() const {
    return unsaved_ && blockList_->count() > 0;
}

bool COfflinePage::SaveWork() {
    return SaveBlocks(CollectAll());
}

void COfflinePage::BlockStored(void* page, int type, uint16_t number) {
    static_cast<COfflinePage*>(page)->App().BroadcastPageEvent(kPageProjectBlockAdded,
                                                               BlockRef_Pack(type, number));
}

void COfflinePage::BlockRemoved(void* page, int type, uint16_t number) {
    static_cast<COfflinePage*>(page)->App().BroadcastPageEvent(kPageProjectBlockRemoved,
                                                               BlockRef_Pack(type, number));
}

// A file that cannot be read whole changes nothing in the project.
void COfflinePage::OnLoad() {
    const QString path = Prompts().ChooseFileToOpen(kProjectSuffix, tr(kProjectFilter));
    if (path.isEmpty()) return;
    const bool wasEmpty = blockList_->count() == 0;
    const bool wasUnsaved = unsaved_;
    int result = kReadOk;
    {
        CWaitCursor wait(Prompts());
        result =
            LoadProjectFile(QFile::encodeName(path).constData(), Project(), &BlockStored, this);
    }
    if (result != kReadOk) {
        unsaved_ = wasUnsaved;
        Prompts().ShowMessage(tr(kErrorReadingProjectFile));
    } else if (wasEmpty) {
        unsaved_ = false;
    }
}

void COfflinePage::OnSave() {
    SaveBlocks(CollectSelection());
}

// Saves the first `count` collected blocks; a save of every block leaves nothing unsaved.
bool COfflinePage::SaveBlocks(int count) {
    const QString path = Prompts().ChooseFileToSave(kProjectSuffix, tr(kProjectFilter));
    if (path.isEmpty()) return false;
    const int result = SaveProjectSelection(QFile::encodeName(path).constData(), Project(),
                                            selectedRefs_.data(), static_cast<size_t>(count));
    if (result != kWriteOk) {
        Prompts().ShowMessage(tr(kErrorWritingProjectFile));
        return false;
    }
    if (count == blockList_->count()) unsaved_ = false;
    return true;
}

void COfflinePage::OnDel() {
    if (!Prompts().AskYesNo(tr(kProceedDeleting))) return;
    const int count = CollectSelection();
    if (!DeleteProjectBlocks(Project(), selectedRefs_.data(), static_cast<size_t>(count),
                             &BlockRemoved, this)) {
        Prompts().ShowMessage(tr(kErrorDeletingBlocks));
    }
}

void COfflinePage::OnDownload() {
    QString backup;
    if (!BackUpBeforeOverwrite(App(), Prompts(), SelectedBlocks(*blockList_), &backup)) return;
    TransferSelectedBlocks(
        this, Prompts(), tr("Downloading"), *blockList_,
        [this](int type, uint16_t number, const std::function<bool()>& cancelled) {
            return App().DownloadBlock(type, number, cancelled);
        });
    TellWhereTheBackupWent(Prompts(), backup);
}

}  // namespace vexal
