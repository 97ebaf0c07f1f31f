#include "picture_clip.h"

namespace kestle {

QPixmap PictureClip::cell(int index) const {
    if (picture_.isNull() || rows_ <= 0 || cols_ <= 0 || index < 0 || index >= rows_ * cols_)
        return {};
    // Whole pixels a cell: what a width that does not divide leaves over is in no cell.
    const int w = picture_.width() / cols_;
    const int h = picture_.height() / rows_;
    return picture_.copy((index % cols_) * w, (index / cols_) * h, w, h);
}

} // namespace kestle
