// The small images that the pages' list views share: strips of 16-pixel-wide images whose
// pure red pixels are transparent. Image 0 is a station, image 1 a block.
#pragma once

#include <QIcon>
#include <QString>
#include <vector>

namespace vexal {

inline constexpr int kStationImage = 0;
inline constexpr int kBlockImage = 1;

class CSheetImages {
public:
    static constexpr int kImageWidth = 16;

    // Cuts the strip in `path` into images and appends them; false (nothing appended) when
    // the file cannot be read or is narrower than one image.
    bool AddStrip(const QString& path);
    void Clear() { images_.clear(); }

    int Count() const { return static_cast<int>(images_.size()); }
    // An empty icon for an index that holds no image.
    QIcon Icon(int index) const;

private:
    std::vector<QIcon> images_;
};

// The sheet's images: bitmap 250 and then bitmap 251, compiled into the program.
QString SheetBitmapPath(int bitmapId);

}  // namespace vexal
