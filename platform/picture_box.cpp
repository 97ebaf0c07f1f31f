// The picture box: fill, picture, border and click.

#include "picture_box.h"

#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>

namespace kestle {

QPixmap read_picture(const std::string &file) {
    QImageReader reader(QString::fromStdString(file));
    return QPixmap::fromImage(reader.read());
}

PictureBox::PictureBox(QWidget *parent) : QWidget(parent), back_(palette().window().color()) {}

void PictureBox::set_border_style(int style) {
    border_style_ = style;
    update();
}

void PictureBox::set_back_colour(const QColor &colour) {
    back_ = colour;
    update();
}

void PictureBox::set_picture(const QPixmap &picture) {
    picture_ = picture;
    if (auto_size_ && !picture_.isNull())
        resize(picture_.size());
    scale_picture();
    update();
}

void PictureBox::scale_picture() {
    scaled_ = stretch_ && !picture_.isNull() ? picture_.scaled(size()) : QPixmap();
}

void PictureBox::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    scale_picture();
}

bool PictureBox::load_picture(const std::string &file) {
    const QPixmap loaded = read_picture(file);
    if (loaded.isNull())
        return false;
    set_picture(loaded);
    return true;
}

void PictureBox::set_stretch(bool stretch) {
    stretch_ = stretch;
    scale_picture();
    update();
}

void PictureBox::set_auto_size(bool auto_size) {
    auto_size_ = auto_size;
    if (auto_size_ && !picture_.isNull())
        resize(picture_.size());
}

void PictureBox::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.fillRect(rect(), back_);
    if (!picture_.isNull()) {
        if (stretch_)
            p.drawPixmap(0, 0, scaled_);
        else
            p.drawPixmap(0, 0, picture_);
    }
    if (border_style_ == 1) {
        // Black with a white line inside, so that the border shows on dark colours and light.
        p.setPen(QPen(Qt::black, 1));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        p.setPen(QPen(Qt::white, 1));
        p.drawRect(rect().adjusted(1, 1, -2, -2));
    }
}

void PictureBox::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

} // namespace kestle
