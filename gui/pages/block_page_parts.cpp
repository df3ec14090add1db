#include "block_page_parts.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QItemSelection>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "block_list_ctrl.h"
#include "library_text.h"
#include "user_prompts.h"

namespace vexal {
namespace {

// The small layout's rows share six columns: three buttons take two each, two take three.
constexpr int kSmallColumns = 6;
constexpr int kSmallRowButtons = 3;
// A transfer redraws its progress five times a second: often enough for the eye, rarely
// enough to cost nothing beside the transfer.
constexpr int kProgressRedrawMs = 200;
// Between the exchanges of a block the user's taps are let in this often.
constexpr int kCancelPollMs = 20;

QItemSelection AllItems(const QListWidget& list) {
    const QAbstractItemModel* model = list.model();
    return {model->index(0, 0), model->index(model->rowCount() - 1, 0)};
}

void LayOutLarge(QWidget* page, QListWidget* list, const std::vector<std::vector<QWidget*>>& groups,
                 QLabel* count) {
    auto* column = new QVBoxLayout;
    for (size_t group = 0; group < groups.size(); ++group) {
        if (group > 0) column->addSpacing(4);
        for (QWidget* button : groups[group]) column->addWidget(button);
    }
    column->addStretch(1);
    column->addWidget(count);
    auto* row = new QHBoxLayout(page);
    row->addWidget(list, 1);
    row->addLayout(column);
}

// Three buttons share a 240-pixel row: each may shrink down to its own caption.
void ShrinkToCaption(QWidget* widget) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setMinimumWidth(button->fontMetrics().horizontalAdvance(button->text()) + 10);
    }
}

void LayOutSmall(QWidget* page, QListWidget* list, const std::vector<std::vector<QWidget*>>& groups,
                 QLabel* count) {
    auto* rows = new QVBoxLayout(page);
    rows->setContentsMargins(4, 4, 4, 4);
    rows->setSpacing(4);
    rows->addWidget(list, 1);
    auto* grid = new QGridLayout;
    grid->setSpacing(4);
    for (int column = 0; column < kSmallColumns; ++column) grid->setColumnStretch(column, 1);
    bool countPlaced = false;
    for (int row = 0; row < static_cast<int>(groups.size()); ++row) {
        const auto& buttons = groups[static_cast<size_t>(row)];
        const int size = static_cast<int>(buttons.size());
        int column = 0;
        int span = kSmallColumns / std::max(size, 1);
        if (!countPlaced && size < kSmallRowButtons) {
            span = kSmallColumns / kSmallRowButtons;
            column = kSmallColumns - size * span;
            grid->addWidget(count, row, 0, 1, column);
            countPlaced = true;
        }
        for (QWidget* button : buttons) {
            ShrinkToCaption(button);
            grid->addWidget(button, row, column, 1, span);
            column += span;
        }
    }
    if (!countPlaced) rows->addWidget(count);
    rows->addLayout(grid);
}

class CDeleteKeyFilter : public QObject {
public:
    CDeleteKeyFilter(QObject* list, QPushButton* button) : QObject(list), button_(button) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress ||
            static_cast<QKeyEvent*>(event)->key() != Qt::Key_Delete) {
            return QObject::eventFilter(watched, event);
        }
        if (button_->isEnabled()) button_->click();
        return true;
    }

private:
    QPushButton* button_;
};

}  // namespace

void PressOnDeleteKey(QListWidget* list, QPushButton* button) {
    list->installEventFilter(new CDeleteKeyFilter(list, button));
}

void SelectAllItems(QListWidget& list) {
    if (list.count() > 0)
        list.selectionModel()->select(AllItems(list), QItemSelectionModel::Select);
}

void ClearAllItems(QListWidget& list) {
    list.selectionModel()->clearSelection();
}

void InvertAllItems(QListWidget& list) {
    if (list.count() > 0)
        list.selectionModel()->select(AllItems(list), QItemSelectionModel::Toggle);
}

int SelectedItemCount(const QListWidget& list) {
    return static_cast<int>(list.selectionModel()->selectedIndexes().size());
}

QString BlockCountText(int count) {
    return count == 1 ? QCoreApplication::translate("Vexal", "1 block")
                      : QCoreApplication::translate("Vexal", "%1 blocks").arg(count);
}

void SetUpBlockList(CBlockListCtrl* list, const char* objectName, const QString& accessibleName) {
    list->setObjectName(QString::fromLatin1(objectName));
    list->setAccessibleName(accessibleName);
    list->setFlow(QListView::TopToBottom);
    list->setWrapping(true);
    list->setResizeMode(QListView::Adjust);
    // The texts pad their numbers to a width: in a fixed-pitch font the numbers line up,
    // and every item fits a cell as wide as the longest text, "SDB65535", and its image.
    list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    const QFontMetrics metrics(list->font());
    const int imageWidth = 16;
    list->SetMinimumCell(QSize(metrics.horizontalAdvance(QStringLiteral("SDB65535")) + imageWidth + 16,
                               std::max(metrics.height(), imageWidth) + 4));
    list->setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    list->setUniformItemSizes(true);
}

QPushButton* MakePageButton(QWidget* page, const char* objectName, const QString& caption) {
    auto* button = new QPushButton(caption, page);
    button->setObjectName(QString::fromLatin1(objectName));
    return button;
}

void LayOutBlockPage(QWidget* page, bool large, QListWidget* list,
                     const std::vector<std::vector<QWidget*>>& groups, QLabel* count) {
    if (large) {
        LayOutLarge(page, list, groups, count);
    } else {
        LayOutSmall(page, list, groups, count);
    }
}

CBlockProgress::CBlockProgress(QWidget* page, CUserPrompts& prompts, const QString& verb, int total)
    : prompts_(prompts), verb_(verb), total_(total) {
    prompts_.BeginWaitCursor();
    if (total_ <= kFewBlocks) return;
    dialog_ = new QProgressDialog(page);
    dialog_->setObjectName(QStringLiteral("blockProgress"));
    dialog_->setWindowTitle(verb_);
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setMinimumDuration(0);
    dialog_->setRange(0, total_);
}

CBlockProgress::~CBlockProgress() {
    delete dialog_;
    prompts_.EndWaitCursor();
}

bool CBlockProgress::Next(const QString& blockText) {
    if (dialog_ == nullptr) return true;
    if (dialog_->wasCanceled()) return false;
    ++started_;
    if (started_ == 1 || started_ == total_ || sinceShown_.elapsed() >= kProgressRedrawMs) {
        Show(blockText);
    }
    return dialog_ != nullptr && !dialog_->wasCanceled();
}

bool CBlockProgress::Cancelled() {
    if (dialog_ == nullptr) return false;
    if (sincePolled_.isValid() && sincePolled_.elapsed() < kCancelPollMs) {
        return dialog_->wasCanceled();
    }
    sincePolled_.restart();
    QCoreApplication::processEvents();
    return dialog_ != nullptr && dialog_->wasCanceled();
}

// Pending events are handled here, so that the dialog is drawn and the user's cancel
// arrives; the dialog being modal, nothing else can be touched meanwhile.
void CBlockProgress::Show(const QString& blockText) {
    dialog_->setLabelText(QCoreApplication::translate("Vexal", "%1 block %2 of %3\n%4")
                              .arg(verb_)
                              .arg(started_)
                              .arg(total_)
                              .arg(blockText.simplified()));
    if (!dialog_->isVisible()) dialog_->show();
    dialog_->setValue(started_ - 1);
    QCoreApplication::processEvents();
    sinceShown_.restart();
}

void CBlockRefusals::Add(int type, uint16_t number, const QString& reason, bool reasonFirst) {
    const QString block = BlockListText(type, number).simplified();
    for (Group& group : groups_) {
        if (group.reason == reason && group.reasonFirst == reasonFirst) {
            group.blocks.append(block);
            return;
        }
    }
    groups_.push_back({reason, reasonFirst, {block}});
}

void CBlockRefusals::AddStatus(int type, uint16_t number, CpuStatus status) {
    Add(type, number,
        LibraryErrorText(status, CPULINK_ERROR_TEXT_CAPACITY)
            .value_or(QStringLiteral("0x%1").arg(status, 4, 16, QLatin1Char('0'))));
}

void CBlockRefusals::Tell(CUserPrompts& prompts) const {
    if (groups_.empty()) return;
    QStringList lines;
    for (const Group& group : groups_) {
        const QString blocks = group.blocks.join(QStringLiteral(", "));
        lines.append(group.reasonFirst ? group.reason + blocks : blocks + ": " + group.reason);
    }
    prompts.ShowMessage(lines.join(QLatin1Char('\n')));
}

void TransferSelectedBlocks(QWidget* page, CUserPrompts& prompts, const QString& verb,
                            CBlockListCtrl& list, const BlockTransfer& transfer) {
    const int items = list.count();
    CBlockRefusals refusals;
    {
        CBlockProgress progress(page, prompts, verb, SelectedItemCount(list));
        // A lost connection may empty the list under the loop.
        for (int index = 0; index < items && index < list.count(); ++index) {
            if (!list.item(index)->isSelected()) continue;
            const BlockRef ref = list.ItemData(index);
            const int type = BlockRef_Type(ref);
            const uint16_t number = BlockRef_Number(ref);
            if (!progress.Next(BlockListText(type, number))) break;
            const CpuStatus status =
                transfer(type, number, [&progress] { return progress.Cancelled(); });
            if (CpuStatus_IsFatal(status) || status == CPULINK_CANCELLED) break;
            if (status != CPULINK_OK) refusals.AddStatus(type, number, status);
        }
    }
    refusals.Tell(prompts);
}

}  // namespace vexal
