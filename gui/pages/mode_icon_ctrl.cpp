#include "mode_icon_ctrl.h"

namespace vexal {
namespace {

constexpr std::array<int, CModeIconCtrl::kImageCount> kIconResources = {202, 200, 201, 203};

}  // namespace

CModeIconCtrl::CModeIconCtrl(QWidget* parent) : QLabel(parent) {
    for (size_t index = 0; index < images_.size(); ++index) {
        images_[index] = QPixmap(QStringLiteral(":/res/icon%1.png").arg(kIconResources[index]));
    }
    setFixedSize(kIconSize, kIconSize);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ShowImage(0, {});
}

void CModeIconCtrl::ShowImage(int index, const QString& modeName) {
    if (index < 0 || index >= kImageCount) return;
    imageIndex_ = index;
    setPixmap(images_[static_cast<size_t>(index)]);
    setAccessibleName(modeName.isEmpty() ? tr("Unknown") : modeName);
}

}  // namespace vexal
