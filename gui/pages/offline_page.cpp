#include "offline_page.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>

#include "block_list_ctrl.h"
#include "block_page_parts.h"
#include "main_app.h"
#include "project_policies.h"
#include "sheet_images.h"

namespace vexal {
namespace {

const QString kProjectSuffix = QStringLiteral("wld");
const QString kProjectFilter = QStringLiteral("WinLC files (*.wld);;All files (*)");
const QString kProceedDeleting = QStringLiteral("Proceed deleting blocks?");

}  // namespace

COfflinePage::COfflinePage(const PageContext& context, int templateId)
    : CSheetPage(context, templateId) {
    setObjectName(QStringLiteral("offlinePage"));
    BuildControls();
}

void COfflinePage::BuildControls() {
    const bool large = IsLargeLayout();
    blockList = new CBlockListCtrl(kBlockImage, this);
    SetUpBlockList(blockList, "offlineBlockList", QStringLiteral("Project blocks"));
    selectAllButton = MakePageButton(this, "offlineSelectAll", large ? "Select All" : "All");
    clearAllButton = MakePageButton(this, "offlineClearAll", large ? "Clear All" : "None");
    invertButton = MakePageButton(this, "offlineInvert", QStringLiteral("Invert"));
    loadButton = MakePageButton(this, "offlineLoad", QStringLiteral("Load"));
    saveButton = MakePageButton(this, "offlineSave", QStringLiteral("Save"));
    delButton = MakePageButton(this, "offlineDel", QStringLiteral("Del"));
    downloadButton = MakePageButton(this, "offlineDownload", QStringLiteral("Download"));
    countLabel = new QLabel(BlockCountText(0), this);
    countLabel->setObjectName(QStringLiteral("offlineBlockCount"));
    LayOutBlockPage(this, large, blockList,
                    {{selectAllButton, clearAllButton, invertButton},
                     {loadButton, saveButton, delButton},
                     {downloadButton}},
                    countLabel);

    connect(blockList, &QListWidget::itemSelectionChanged, this,
            &COfflinePage::UpdateSelectionButtons);
    connect(selectAllButton, &QPushButton::clicked, this, [this] { SelectAllItems(*blockList); });
    connect(clearAllButton, &QPushButton::clicked, this, [this] { ClearAllItems(*blockList); });
    connect(invertButton, &QPushButton::clicked, this, [this] { InvertAllItems(*blockList); });
    connect(loadButton, &QPushButton::clicked, this, &COfflinePage::OnLoad);
    connect(saveButton, &QPushButton::clicked, this, &COfflinePage::OnSave);
    connect(delButton, &QPushButton::clicked, this, &COfflinePage::OnDel);
    connect(downloadButton, &QPushButton::clicked, this, &COfflinePage::OnDownload);
    PressOnDeleteKey(blockList, delButton);
}

// The buttons show what can be done from the start, not only after the first change.
void COfflinePage::OnInitDialog() {
    blockList->AttachImages(&Images());
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
            blockList->InsertBlock(BlockRef_Type(a), BlockRef_Number(a));
            UpdateSelectionButtons();
            UpdateListButtons();
            break;
        case kPageProjectBlockRemoved:
            blockList->RemoveBlock(BlockRef_Type(a), BlockRef_Number(a));
            UpdateSelectionButtons();
            UpdateListButtons();
            break;
        default:
            break;
    }
}

void COfflinePage::UpdateSelectionButtons() {
    const bool selected = SelectedItemCount(*blockList) > 0;
    delButton->setEnabled(selected);
    saveButton->setEnabled(selected);
    downloadButton->setEnabled(selected && connected == 1);
}

void COfflinePage::UpdateListButtons() {
    const bool filled = blockList->count() > 0;
    selectAllButton->setEnabled(filled);
    clearAllButton->setEnabled(filled);
    invertButton->setEnabled(filled);
    loadButton->setEnabled(true);
    countLabel->setText(BlockCountText(blockList->count()));
}

int COfflinePage::CollectSelection() {
    int stored = 0;
    for (int index = 0; index < blockList->count() && stored < kStoreMaxBlocks; ++index) {
        if (blockList->item(index)->isSelected()) {
            selectedRefs[static_cast<size_t>(stored++)] = blockList->ItemData(index);
        }
    }
    return stored;
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
    const QString path = Prompts().ChooseFileToOpen(kProjectSuffix, kProjectFilter);
    if (path.isEmpty()) return;
    int result = kReadOk;
    {
        CWaitCursor wait(Prompts());
        result =
            LoadProjectFile(QFile::encodeName(path).constData(), Project(), &BlockStored, this);
    }
    if (result != kReadOk) Prompts().ShowMessage(QString::fromLatin1(kErrorReadingProjectFile));
}

void COfflinePage::OnSave() {
    const QString path = Prompts().ChooseFileToSave(kProjectSuffix, kProjectFilter);
    if (path.isEmpty()) return;
    const int count = CollectSelection();
    const int result = SaveProjectSelection(QFile::encodeName(path).constData(), Project(),
                                            selectedRefs.data(), static_cast<size_t>(count));
    if (result != kWriteOk) Prompts().ShowMessage(QString::fromLatin1(kErrorWritingProjectFile));
}

void COfflinePage::OnDel() {
    if (!Prompts().AskYesNo(kProceedDeleting)) return;
    const int count = CollectSelection();
    if (!DeleteProjectBlocks(Project(), selectedRefs.data(), static_cast<size_t>(count),
                             &BlockRemoved, this)) {
        Prompts().ShowMessage(QString::fromLatin1(kErrorDeletingBlocks));
    }
}

void COfflinePage::OnDownload() {
    TransferSelectedBlocks(
        this, Prompts(), QStringLiteral("Downloading"), *blockList,
        [this](int type, uint16_t number) { return App().DownloadBlock(type, number); });
}

}  // namespace vexal
