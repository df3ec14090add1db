// The list of blocks that both block pages show. Items are kept grouped by type, OB first,
// and within a type by ascending number; each item's data is its BlockRef. During a
// controller refresh bit 31 of the data marks an item as stale until it is listed again.
#pragma once

#include <QListWidget>
#include <array>
#include <cstdint>

#include "vexal_types.h"

namespace vexal {

class CSheetImages;

inline constexpr uint32_t kStaleMark = 0x80000000u;

// "OB%4d", "FB%5d", "FC%5d", "DB%5d" or "SDB%5d"; empty for another type.
QString BlockListText(int type, uint16_t number);

class CBlockListCtrl : public QListWidget {
    Q_OBJECT

public:
    explicit CBlockListCtrl(int itemImage, QWidget* parent = nullptr);

    // Shows the image `itemImage` of this list at every item, now and from now on.
    void AttachImages(const CSheetImages* images);

    void ClearBlocks();
    // Inserts the block at its ordered place and returns its index; -1 when the type is no
    // store type or the block is listed already (then its stale mark is cleared).
    int InsertBlock(int type, uint16_t number);
    // 1 when the block was listed and is removed, else 0.
    int RemoveBlock(int type, uint16_t number);
    void MarkAllStale();
    void RemoveStale();

    int TypeCount(int type) const;
    uint32_t ItemData(int index) const;

    // The smallest cell that holds a whole item; the cells widen so that the columns
    // shown fill the list and no item is cut at its right edge.
    void SetMinimumCell(QSize cell);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void FitWholeColumns();
    int TypeStart(int type) const;
    void SetItemData(QListWidgetItem* item, uint32_t itemData);
    QIcon ItemIcon() const;

    int itemImage_;
    std::array<int, BLOCK_TYPE_COUNT> typeCount_{};
    const CSheetImages* images_ = nullptr;
    QSize minimumCell_;
};

}  // namespace vexal
