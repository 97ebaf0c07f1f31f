#include "chart_reading.h"

#include "text_codec.h"

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QHelpEvent>
#include <QLegend>
#include <QLineSeries>
#include <QToolTip>

#include <algorithm>
#include <array>
#include <cmath>

namespace kestle_test {

using kestle::DataChart;

void settle(DataChart &chart) {
    chart.drawn(); // a pending drawing is drawn now
    // Each layout may ask for another (wrapped labels, the legend's room): a few rounds.
    for (int round = 0; round < 8; ++round) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

namespace {

bool under(const QGraphicsItem *item, const QGraphicsItem *ancestor) {
    for (; item; item = item->parentItem())
        if (item == ancestor)
            return true;
    return false;
}

std::string as_read(QString s) {
    s.replace(QChar::LineSeparator, ' ').replace(QChar::ParagraphSeparator, ' ').replace('\n', ' ');
    return kestle::bytes(s.simplified());
}

} // namespace

std::vector<ShownText> shown_texts(DataChart &chart) {
    settle(chart);
    QChartView *view = chart.view();
    const QRectF viewport = view->viewport()->rect();
    std::vector<ShownText> out;
    for (QGraphicsItem *item : view->scene()->items()) {
        auto *text = qgraphicsitem_cast<QGraphicsTextItem *>(item);
        if (!text || !text->isVisible() || text->toPlainText().isEmpty())
            continue;
        const QRectF rect = view->mapFromScene(text->sceneBoundingRect()).boundingRect();
        if (viewport.contains(rect))
            out.push_back({as_read(text->toPlainText()), rect, under(text, chart.chart()->legend())});
    }
    return out;
}

const ShownText *shown_whole(const std::vector<ShownText> &texts, const std::string &label, bool in_legend) {
    const std::string wanted = as_read(kestle::qt(label));
    for (const ShownText &t : texts)
        if (t.in_legend == in_legend && t.text == wanted)
            return &t;
    return nullptr;
}

namespace {

std::array<double, 3> lab(const QColor &c) {
    auto linear = [](double u) { return u > 0.04045 ? std::pow((u + 0.055) / 1.055, 2.4) : u / 12.92; };
    const double r = linear(c.redF()), g = linear(c.greenF()), b = linear(c.blueF());
    const double x = (0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.95047;
    const double y = 0.2126 * r + 0.7152 * g + 0.0722 * b;
    const double z = (0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.08883;
    auto f = [](double t) { return t > 0.008856 ? std::cbrt(t) : 7.787 * t + 16.0 / 116; };
    return {116 * f(y) - 16, 500 * (f(x) - f(y)), 200 * (f(y) - f(z))};
}

} // namespace

double colour_difference(const QColor &a, const QColor &b) {
    const std::array<double, 3> p = lab(a), q = lab(b);
    return std::hypot(p[0] - q[0], p[1] - q[1], p[2] - q[2]);
}

double least_difference(const std::vector<QColor> &colours) {
    double least = 1000;
    for (std::size_t i = 0; i < colours.size(); ++i)
        for (std::size_t j = i + 1; j < colours.size(); ++j)
            least = std::min(least, colour_difference(colours[i], colours[j]));
    return least;
}

std::vector<double> points_outside_plot(DataChart &chart) {
    settle(chart);
    QChart *c = chart.chart();
    const QRectF plot = c->plotArea();
    std::vector<double> out;
    for (QAbstractSeries *s : c->series()) {
        if (auto *line = qobject_cast<QLineSeries *>(s)) {
            const double reach = (line->pointsVisible() ? line->markerSize() / 2 : 0) + line->pen().widthF() / 2;
            for (const QPointF &p : line->points()) {
                const double y = c->mapToPosition(p, line).y();
                if (y - reach < plot.top() || y + reach > plot.bottom())
                    out.push_back(p.y());
            }
        } else if (auto *bars = qobject_cast<QBarSeries *>(s)) {
            for (QBarSet *set : bars->barSets())
                for (qsizetype i = 0; i < set->count(); ++i)
                    if (const double y = c->mapToPosition(QPointF(double(i), set->at(i)), bars).y();
                        y < plot.top() || y > plot.bottom())
                        out.push_back(set->at(i));
        }
    }
    return out;
}

std::string category_tip(DataChart &chart, int i) {
    settle(chart);
    QChart *c = chart.chart();
    const auto axes = c->axes(Qt::Horizontal);
    auto *categories = axes.isEmpty() ? nullptr : qobject_cast<QBarCategoryAxis *>(axes.first());
    if (!categories || categories->count() == 0)
        return {};
    const QRectF plot = c->plotArea();
    const QPointF at(plot.left() + (i + 0.5) * plot.width() / categories->count(), plot.bottom() + 10);
    QWidget *viewport = chart.view()->viewport();
    const QPoint pos = chart.view()->mapFromScene(c->mapToScene(at));
    QToolTip::hideText();
    QHelpEvent help(QEvent::ToolTip, pos, viewport->mapToGlobal(pos));
    QApplication::sendEvent(viewport, &help);
    return kestle::bytes(QToolTip::text());
}

QImage drawn_image(DataChart &chart) {
    settle(chart);
    return chart.view()->viewport()->grab().toImage();
}

std::vector<DrawnBar> drawn_bars(DataChart &chart) {
    settle(chart);
    QChart *c = chart.chart();
    std::vector<DrawnBar> out;
    for (QAbstractSeries *s : c->series())
        if (auto *bars = qobject_cast<QBarSeries *>(s))
            for (QBarSet *set : bars->barSets())
                for (qsizetype i = 0; i < set->count(); ++i) {
                    // A bar takes its share of the category's width about the category's middle.
                    const double half = bars->barWidth() / bars->count() / 2;
                    const QPointF top_left = c->mapToPosition(QPointF(i - half, set->at(i)), bars);
                    const QPointF bottom_right = c->mapToPosition(QPointF(i + half, 0), bars);
                    const QRectF in_chart = QRectF(top_left, bottom_right).normalized();
                    out.push_back({chart.view()->mapFromScene(c->mapToScene(in_chart)).boundingRect(), set->at(i)});
                }
    return out;
}

int red_pixels(const QImage &image, const std::vector<QRectF> &except) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor p = image.pixelColor(x, y);
            const QPointF at(x + 0.5, y + 0.5);
            const int hue = p.hsvHue();
            n += (hue <= 15 || hue >= 345) && p.hsvSaturation() >= 100 && p.value() >= 100 &&
                 std::none_of(except.begin(), except.end(), [&](const QRectF &r) { return r.contains(at); });
        }
    return n;
}

} // namespace kestle_test
