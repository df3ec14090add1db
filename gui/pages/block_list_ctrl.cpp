#include "block_list_ctrl.h"

#include <algorithm>

#include "sheet_images.h"

namespace vexal {
namespace {

bool IsListType(int type) {
    return type >= 0 && type < BLOCK_TYPE_COUNT;
}

int DataType(uint32_t data) {
    return static_cast<int>((data & ~kStaleMark) >> 16);
}

uint16_t DataNumber(uint32_t data) {
    return static_cast<uint16_t>(data);
}

}  // namespace

QString BlockListText(int type, uint16_t number) {
    static const char* const kFormats[BLOCK_TYPE_COUNT] = {"OB%1", "FB%1", "FC%1", "DB%1", "SDB%1"};
    static const int kWidths[BLOCK_TYPE_COUNT] = {4, 5, 5, 5, 5};
    if (!IsListType(type)) return {};
    return QString::fromLatin1(kFormats[type]).arg(number, kWidths[type]);
}

CBlockListCtrl::CBlockListCtrl(int itemImage, QWidget* parent)
    : QListWidget(parent), itemImage_(itemImage) {
    setSelectionMode(QAbstractItemView::ExtendedSelection);
}

void CBlockListCtrl::SetMinimumCell(QSize cell) {
    minimumCell_ = cell;
    FitWholeColumns();
}

void CBlockListCtrl::resizeEvent(QResizeEvent* event) {
    QListWidget::resizeEvent(event);
    FitWholeColumns();
}

// Scrolling moves by whole columns, so that with cells sharing the width evenly every
// column in view is whole.
void CBlockListCtrl::FitWholeColumns() {
    if (minimumCell_.isEmpty()) return;
    const int width = viewport()->width();
    const int columns = std::max(1, width / minimumCell_.width());
    const QSize cell(std::max(minimumCell_.width(), width / columns), minimumCell_.height());
    if (cell != gridSize()) setGridSize(cell);
}

void CBlockListCtrl::AttachImages(const CSheetImages* images) {
    images_ = images;
    const QIcon icon = ItemIcon();
    for (int index = 0; index < count(); ++index) item(index)->setIcon(icon);
}

void CBlockListCtrl::ClearBlocks() {
    clear();
    typeCount_.fill(0);
}

int CBlockListCtrl::InsertBlock(int type, uint16_t number) {
    if (!IsListType(type)) return -1;
    // The type's items are ordered by number: find the first one not below `number`.
    int low = TypeStart(type);
    int high = low + typeCount_[static_cast<size_t>(type)];
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (DataNumber(ItemData(middle)) < number) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    const BlockRef ref = BlockRef_Pack(type, number);
    const int rangeEnd = TypeStart(type) + typeCount_[static_cast<size_t>(type)];
    if (low < rangeEnd && DataNumber(ItemData(low)) == number) {
        SetItemData(item(low), ref);
        return -1;
    }
    auto* added = new QListWidgetItem(ItemIcon(), BlockListText(type, number));
    SetItemData(added, ref);
    insertItem(low, added);
    ++typeCount_[static_cast<size_t>(type)];
    return low;
}

int CBlockListCtrl::RemoveBlock(int type, uint16_t number) {
    if (!IsListType(type)) return 0;
    const int start = TypeStart(type);
    for (int index = start; index < start + typeCount_[static_cast<size_t>(type)]; ++index) {
        if (DataNumber(ItemData(index)) != number) continue;
        delete takeItem(index);
        --typeCount_[static_cast<size_t>(type)];
        return 1;
    }
    return 0;
}

void CBlockListCtrl::MarkAllStale() {
    for (int index = 0; index < count(); ++index) {
        SetItemData(item(index), ItemData(index) | kStaleMark);
    }
}

void CBlockListCtrl::RemoveStale() {
    for (int index = count() - 1; index >= 0; --index) {
        const uint32_t itemData = ItemData(index);
        if ((itemData & kStaleMark) == 0) continue;
        delete takeItem(index);
        --typeCount_[static_cast<size_t>(DataType(itemData))];
    }
}

int CBlockListCtrl::TypeCount(int type) const {
    return IsListType(type) ? typeCount_[static_cast<size_t>(type)] : 0;
}

uint32_t CBlockListCtrl::ItemData(int index) const {
    const QListWidgetItem* entry = item(index);
    return entry != nullptr ? entry->data(Qt::UserRole).toUInt() : 0;
}

int CBlockListCtrl::TypeStart(int type) const {
    int start = 0;
    for (int below = 0; below < type; ++below) start += typeCount_[static_cast<size_t>(below)];
    return start;
}

void CBlockListCtrl::SetItemData(QListWidgetItem* item, uint32_t itemData) {
    item->setData(Qt::UserRole, static_cast<uint>(itemData));
}

QIcon CBlockListCtrl::ItemIcon() const {
    return images_ != nullptr ? images_->Icon(itemImage_) : QIcon();
}

}  // namespace vexal
