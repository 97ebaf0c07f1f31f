// Draws the aerial map of the map demonstration (realestate.jpg) with its houses where the
// data put them, and writes the setup script that makes those houses (zal-makespatial.xmp).
#include "spatial_data.h"

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <fstream>
#include <string>

using namespace spatial;

namespace {

constexpr int picture_px = 1600; // a block is 160 pixels

// A fixed sequence for the picture's own details (trees, roofs, texture).
class Random {
public:
    explicit Random(uint32_t seed) : state_(seed) {}
    uint32_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    int between(int lo, int hi) { return lo + static_cast<int>(next() % static_cast<uint32_t>(hi - lo + 1)); }

private:
    uint32_t state_;
};

const QColor asphalt(88, 90, 92), sidewalk(196, 194, 186), line_paint(222, 206, 120), lawn(104, 140, 70),
    lawn_dark(78, 112, 52), drive(178, 176, 168), water(52, 104, 140), sand(196, 184, 140), pool(70, 170, 210);

void tree(QPainter &g, Random &r, double x, double y, double radius) {
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(30, 44, 24, 120)); // shadow to the south-east
    g.drawEllipse(QPointF(x + radius * 0.35, y + radius * 0.35), radius, radius);
    g.setBrush(QColor(38 + r.between(0, 16), 74 + r.between(0, 20), 30 + r.between(0, 10)));
    g.drawEllipse(QPointF(x, y), radius, radius);
    g.setBrush(QColor(70, 110, 46, 150));
    g.drawEllipse(QPointF(x - radius * 0.3, y - radius * 0.3), radius * 0.5, radius * 0.5);
}

void house(QPainter &g, Random &r, const House &h, bool townhouse) {
    static const QColor roofs[] = {QColor(150, 78, 56), QColor(110, 90, 76), QColor(84, 86, 92),
                                   QColor(128, 120, 110), QColor(160, 112, 80), QColor(70, 72, 80)};
    const bool faces_north = h.x % 2 == 1; // odd numbers stand south of their street
    const double width = townhouse ? h.lot_width - 2 : std::min(h.lot_width - 12, 84);
    const double depth = townhouse ? 70 : 60 + r.between(0, 12);
    const QRectF roof(h.x - width / 2, h.y - depth / 2, width, depth);

    // The drive runs from the front of the house to the street.
    const double street_edge = faces_north ? h.y - setback_twips + street_twips / 2.0 : h.y + setback_twips - street_twips / 2.0;
    if (!townhouse) {
        const double dx = h.x + width / 4;
        const double front = faces_north ? roof.top() : roof.bottom();
        g.fillRect(QRectF(dx - 7, std::min(front, street_edge), 14, std::abs(front - street_edge)), drive);
        if (r.between(0, 5) == 0) { // a pool behind
            const double back = faces_north ? roof.bottom() + 10 : roof.top() - 26;
            g.setPen(QPen(QColor(230, 230, 222), 2));
            g.setBrush(pool);
            g.drawRoundedRect(QRectF(h.x - 14, back, 28, 16), 4, 4);
        }
    }
    const QColor c = roofs[r.next() % 6];
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(20, 24, 18, 110));
    g.drawRect(roof.translated(5, 6)); // shadow
    // Two slopes of a gable roof, lit from the north-west, and the ridge between them.
    g.setBrush(c.lighter(115));
    g.drawRect(QRectF(roof.left(), roof.top(), roof.width(), roof.height() / 2));
    g.setBrush(c.darker(115));
    g.drawRect(QRectF(roof.left(), roof.center().y(), roof.width(), roof.height() / 2));
    g.setPen(QPen(c.darker(150), 1.5));
    g.drawLine(QPointF(roof.left(), roof.center().y()), QPointF(roof.right(), roof.center().y()));
}

void block_ground(QPainter &g, Random &r, int bx, int by) {
    const QRectF b(bx * block_twips, by * block_twips, block_twips, block_twips);
    const QRectF inside = b.adjusted(street_twips / 2.0, street_twips / 2.0, -street_twips / 2.0, -street_twips / 2.0);
    switch (ground(bx, by)) {
    case Ground::houses:
    case Ground::townhouses:
        g.fillRect(inside, lawn);
        // Trees in the back gardens, along the middle of the block.
        for (int k = 0; k < 7; ++k)
            tree(g, r, inside.left() + r.between(10, static_cast<int>(inside.width()) - 10),
                 b.center().y() + r.between(-40, 40), r.between(10, 20));
        break;
    case Ground::park: {
        g.fillRect(inside, lawn_dark);
        QPainterPath path;
        path.moveTo(inside.left(), inside.center().y() + 40);
        path.cubicTo(inside.center().x() - 60, inside.top(), inside.center().x() + 60, inside.bottom(), inside.right(),
                     inside.center().y() - 40);
        g.setPen(QPen(sand, 12));
        g.setBrush(Qt::NoBrush);
        g.drawPath(path);
        for (int k = 0; k < 40; ++k)
            tree(g, r, inside.left() + r.between(12, static_cast<int>(inside.width()) - 12),
                 inside.top() + r.between(12, static_cast<int>(inside.height()) - 12), r.between(12, 24));
        break;
    }
    case Ground::lake: {
        g.fillRect(inside, lawn_dark);
        g.setPen(QPen(sand, 10));
        g.setBrush(water);
        g.drawEllipse(inside.adjusted(22, 30, -18, -26));
        g.setPen(Qt::NoPen);
        g.setBrush(water.lighter(118));
        g.drawEllipse(inside.adjusted(90, 90, -140, -120));
        for (int k = 0; k < 10; ++k)
            tree(g, r, inside.left() + r.between(8, 40), inside.top() + r.between(10, 390), r.between(9, 14));
        break;
    }
    case Ground::school: {
        g.fillRect(inside, QColor(150, 150, 146));
        g.setPen(Qt::NoPen);
        g.setBrush(QColor(20, 24, 18, 110));
        g.drawRect(QRectF(inside.left() + 36, inside.top() + 36, 230, 120));
        g.setBrush(QColor(196, 196, 200));
        g.drawRect(QRectF(inside.left() + 30, inside.top() + 30, 230, 120));
        const QRectF field(inside.left() + 30, inside.top() + 190, inside.width() - 60, 180);
        g.fillRect(field, QColor(96, 150, 72));
        g.setPen(QPen(QColor(235, 235, 235), 2));
        g.setBrush(Qt::NoBrush);
        g.drawRect(field.adjusted(10, 10, -10, -10));
        g.drawLine(QPointF(field.center().x(), field.top() + 10), QPointF(field.center().x(), field.bottom() - 10));
        g.drawEllipse(field.center(), 30, 30);
        break;
    }
    }
}

void streets(QPainter &g) {
    const double half = street_twips / 2.0;
    for (int i = 0; i <= blocks; ++i) {
        const double at = i * block_twips;
        g.fillRect(QRectF(at - half, 0, street_twips, map_twips), asphalt);
        g.fillRect(QRectF(0, at - half, map_twips, street_twips), asphalt);
    }
    g.setPen(QPen(sidewalk, 6));
    g.setBrush(Qt::NoBrush);
    for (int by = 0; by < blocks; ++by)
        for (int bx = 0; bx < blocks; ++bx)
            g.drawRect(QRectF(bx * block_twips + half, by * block_twips + half, block_twips - street_twips,
                              block_twips - street_twips));
    QPen dashes(line_paint, 3);
    dashes.setDashPattern({6, 6});
    g.setPen(dashes);
    for (int i = 1; i < blocks; ++i) {
        const double at = i * block_twips;
        for (int k = 0; k < blocks; ++k) {
            const double from = k * block_twips + half + 4, to = (k + 1) * block_twips - half - 4;
            g.drawLine(QPointF(at, from), QPointF(at, to));
            g.drawLine(QPointF(from, at), QPointF(to, at));
        }
    }
}

// A grain over everything, as in a photograph.
void grain(QImage &img, Random &r) {
    for (int y = 0; y < img.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const int d = r.between(-9, 9);
            const QRgb c = line[x];
            line[x] = qRgb(std::clamp(qRed(c) + d, 0, 255), std::clamp(qGreen(c) + d, 0, 255),
                           std::clamp(qBlue(c) + d, 0, 255));
        }
    }
}

QImage draw_map(const std::vector<House> &houses) {
    QImage img(picture_px, picture_px, QImage::Format_RGB32);
    img.fill(lawn);
    Random r(2004);
    {
        QPainter g(&img);
        g.setRenderHint(QPainter::Antialiasing);
        g.scale(double(picture_px) / map_twips, double(picture_px) / map_twips); // draw in twips
        for (int by = 0; by < blocks; ++by)
            for (int bx = 0; bx < blocks; ++bx)
                block_ground(g, r, bx, by);
        streets(g);
        for (const House &h : houses)
            house(g, r, h, ground(h.x / block_twips, h.y / block_twips) == Ground::townhouses);
    }
    grain(img, r);
    return img;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_spatial <output directory>\n");
        return 2;
    }
    const std::string out = argv[1];
    const std::vector<House> houses = demo_houses();
    const std::string picture = out + "/realestate.jpg";
    if (!draw_map(houses).save(QString::fromStdString(picture), "JPG", 88)) {
        std::fprintf(stderr, "make_spatial: cannot write %s\n", picture.c_str());
        return 1;
    }
    const std::string script = out + "/zal-makespatial.xmp";
    std::ofstream f(script, std::ios::binary);
    f << setup_script(houses);
    if (!f.flush()) {
        std::fprintf(stderr, "make_spatial: cannot write %s\n", script.c_str());
        return 1;
    }
    return 0;
}
