#include "zal_intro.h"

#include "messages.h"
#include "text_codec.h"
#include "twips.h"

#include <QLinearGradient>
#include <QPainter>

namespace kestle {

ZALIntro::ZALIntro() : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setAttribute(Qt::WA_DeleteOnClose);
    resize(twips_to_px(6600), twips_to_px(3900));
}

void ZALIntro::paintEvent(QPaintEvent *) {
    QPainter g(this);
    g.setRenderHint(QPainter::Antialiasing);
    const QRectF r = rect();
    QLinearGradient sky(r.topLeft(), r.bottomRight());
    sky.setColorAt(0, QColor(16, 40, 96));
    sky.setColorAt(1, QColor(0, 128, 160));
    g.fillRect(r, sky);

    // A stack of database disks at the left.
    const double w = r.width() * 0.22, h = r.height() * 0.12, x = r.width() * 0.08;
    for (int i = 2; i >= 0; --i) {
        const double y = r.height() * 0.25 + i * h * 1.3;
        QRectF body(x, y + h / 2, w, h * 1.3);
        g.setPen(QPen(QColor(220, 230, 255), 1.5));
        g.setBrush(QColor(60, 110, 200));
        g.drawRect(body.adjusted(0, 0, 0, -h / 2));
        g.drawEllipse(QRectF(x, y + h * 1.3, w, h));
        g.setBrush(QColor(110, 160, 240));
        g.drawEllipse(QRectF(x, y, w, h));
    }

    QFont f = font();
    f.setPointSizeF(18);
    f.setBold(true);
    g.setFont(f);
    g.setPen(Qt::white);
    g.drawText(QRectF(r.width() * 0.36, 0, r.width() * 0.6, r.height()), Qt::AlignVCenter | Qt::TextWordWrap,
               qt(app_title));
    g.setPen(QPen(QColor(255, 255, 255, 160), 2));
    g.drawRect(r.adjusted(1, 1, -1, -1));
}

} // namespace kestle
