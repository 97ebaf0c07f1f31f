// The picture control that stretches its picture to its own size.
#pragma once

#include <QImage>
#include <QWidget>

#include <string>

namespace kestle {

class ImageBox : public QWidget {
    Q_OBJECT
public:
    explicit ImageBox(QWidget *parent = nullptr);
    // Loads a picture file (PNG, JPEG, BMP, SVG, ...; a relative name from the current
    // directory). False when the file is missing or holds no picture; the box then keeps
    // what it showed.
    bool load(const std::string &file);
    // The picture as drawn: at the box's size when it was loaded.
    const QImage &picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QImage picture_;
};

} // namespace kestle
