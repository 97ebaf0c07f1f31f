// A picture divided into rows and columns of equal cells, handed out one cell at a time.
#pragma once

#include <QPixmap>

namespace kestle {

class PictureClip {
public:
    PictureClip(int rows, int cols) : rows_(rows), cols_(cols) {}

    void set_picture(const QPixmap &picture) { picture_ = picture; }
    // Cell row x cols + column; a null pixmap without a picture or for an index outside.
    QPixmap cell(int index) const;

private:
    int rows_;
    int cols_;
    QPixmap picture_;
};

} // namespace kestle
