#include "sheet_images.h"

#include <QBitmap>
#include <QPixmap>

namespace vexal {

bool CSheetImages::AddStrip(const QString& path) {
    QPixmap strip;
    if (!strip.load(path) || strip.width() < kImageWidth) return false;
    strip.setMask(strip.createMaskFromColor(QColor(255, 0, 0), Qt::MaskInColor));
    for (int left = 0; left + kImageWidth <= strip.width(); left += kImageWidth) {
        images_.emplace_back(strip.copy(left, 0, kImageWidth, strip.height()));
    }
    return true;
}

QIcon CSheetImages::Icon(int index) const {
    if (index < 0 || index >= Count()) return {};
    return images_[static_cast<size_t>(index)];
}

QString SheetBitmapPath(int bitmapId) {
    return QStringLiteral(":/res/bitmap%1.png").arg(bitmapId);
}

}  // namespace vexal
