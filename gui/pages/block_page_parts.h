// What the two block pages share besides their list control: the buttons that act on the
// selection of every item, the block count, the arrangement of both layouts and the
// progress of a transfer over many blocks.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "cpulink.h"

class QLabel;
class QListWidget;
class QProgressDialog;
class QPushButton;
class QWidget;

namespace vexal {

class CBlockListCtrl;
class CUserPrompts;

void SelectAllItems(QListWidget& list);
void ClearAllItems(QListWidget& list);
void InvertAllItems(QListWidget& list);
int SelectedItemCount(const QListWidget& list);

// "1 block", "12 blocks".
QString BlockCountText(int count);

// List mode: items flow down and on into further columns, several may be selected.
void SetUpBlockList(CBlockListCtrl* list, const char* objectName, const QString& accessibleName);

QPushButton* MakePageButton(QWidget* page, const char* objectName, const QString& caption);

// The Delete key in the list presses `button` while it is enabled.
void PressOnDeleteKey(QListWidget* list, QPushButton* button);

// Arranges a block page. Large layout: the list with a column of the button groups on its
// right and the count at the bottom. Small layout: the list above one row per group, the
// count in the first row that has room beside its buttons.
void LayOutBlockPage(QWidget* page, bool large, QListWidget* list,
                     const std::vector<std::vector<QWidget*>>& groups, QLabel* count);

// The wait cursor for the whole transfer, and over more than a few blocks a progress
// dialog naming the block in hand. The transfer may be cancelled: Next returns false once
// the user asked to stop, and so does Cancelled, asked between the exchanges of a block.
// The dialog goes as soon as its "Cancel" is tapped.
class CBlockProgress {
public:
    static constexpr int kFewBlocks = 3;

    CBlockProgress(QWidget* page, CUserPrompts& prompts, const QString& verb, int total);
    ~CBlockProgress();
    CBlockProgress(const CBlockProgress&) = delete;
    CBlockProgress& operator=(const CBlockProgress&) = delete;

    // Announces the next block; false when the user cancelled.
    bool Next(const QString& blockText);
    // Lets the user's taps in now and then; true once the user cancelled.
    bool Cancelled();

private:
    void Show(const QString& blockText);

    CUserPrompts& prompts_;
    QString verb_;
    int total_;
    int started_ = 0;
    QPointer<QProgressDialog> dialog_;
    QElapsedTimer sinceShown_;
    QElapsedTimer sincePolled_;
};

// The blocks a transfer or a delete left alone and why, told in one message after the loop:
// one line per reason, "OB 1, FC 2: <reason>", or "<reason>OB 1" for a reason that leads.
class CBlockRefusals {
public:
    void Add(int type, uint16_t number, const QString& reason, bool reasonFirst = false);
    // The library's words for a status that refused the block.
    void AddStatus(int type, uint16_t number, CpuStatus status);
    // Nothing when no block was refused.
    void Tell(CUserPrompts& prompts) const;

private:
    struct Group {
        QString reason;
        bool reasonFirst;
        QStringList blocks;
    };
    std::vector<Group> groups_;
};

// Runs `transfer` on every selected block in list order, with the wait cursor and the
// progress. Stops at the first fatal status (reported by the operation, which has also
// disconnected the pages) or when the user cancels; then names the refused blocks.
using BlockTransfer =
    std::function<CpuStatus(int type, uint16_t number, const std::function<bool()>& cancelled)>;
void TransferSelectedBlocks(QWidget* page, CUserPrompts& prompts, const QString& verb,
                            CBlockListCtrl& list, const BlockTransfer& transfer);

}  // namespace vexal
