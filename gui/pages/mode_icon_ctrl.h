// The operation mode icon: a label that shows one of its four 32-pixel icons, 0 for an
// unknown mode (icon 202), 1 STOP (200), 2 RUN (201), 3 HALT (203). What it shows is also
// its accessible name, so that a screen reader tells the mode.
#pragma once

#include <QLabel>
#include <QPixmap>
#include <array>

namespace vexal {

class CModeIconCtrl : public QLabel {
    Q_OBJECT

public:
    static constexpr int kIconSize = 32;
    static constexpr int kImageCount = 4;

    explicit CModeIconCtrl(QWidget* parent = nullptr);

    // Shows image `index` (0 to 3) and names it `modeName` for assistive technology.
    void ShowImage(int index, const QString& modeName);
    int ImageIndex() const { return imageIndex_; }

private:
    std::array<QPixmap, kImageCount> images_;
    int imageIndex_ = 0;
};

}  // namespace vexal
