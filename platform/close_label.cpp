#include "close_label.h"

#include <QMouseEvent>
#include <QPainter>

namespace kestle {

CloseLabel::CloseLabel(QWidget *parent) : QWidget(parent) {
    setCursor(Qt::PointingHandCursor);
    setToolTip("Close");
    resize(sizeHint());
}

void CloseLabel::set_caption(const QString &caption) {
    caption_ = caption;
    update();
}

void CloseLabel::paintEvent(QPaintEvent *) {
    if (caption_ != "x")
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QRectF box = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    p.setPen(QPen(palette().windowText().color(), 1.2));
    p.drawRect(box);
    QRectF cross = box.adjusted(3, 3, -3, -3);
    p.drawLine(cross.topLeft(), cross.bottomRight());
    p.drawLine(cross.topRight(), cross.bottomLeft());
}

void CloseLabel::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

} // namespace kestle
