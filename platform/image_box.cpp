#include "image_box.h"

#include "text_codec.h"

#include <QImageReader>
#include <QPainter>

namespace kestle {

ImageBox::ImageBox(QWidget *parent) : QWidget(parent) {}

bool ImageBox::load(const std::string &file) {
    if (file.empty())
        return false;
    QImageReader reader(qt(file));
    // Read at the box's own size: a drawing (SVG) is rendered sharp, a photograph scaled once.
    if (!size().isEmpty())
        reader.setScaledSize(size());
    QImage image = reader.read();
    if (image.isNull())
        return false;
    picture_ = std::move(image);
    update();
    return true;
}

void ImageBox::paintEvent(QPaintEvent *) {
    if (picture_.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), picture_);
}

} // namespace kestle
