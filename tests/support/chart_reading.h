// What an audience sees of a chart, read back from the QtCharts objects and the scene they
// draw: the texts on show, the legend's entries, how far apart colours are, and the pixels.
#pragma once

#include "data_chart.h"

#include <QColor>
#include <QImage>
#include <QRectF>

#include <string>
#include <vector>

namespace kestle_test {

// Lets the chart lay itself out: its posted layouts and the items it has let go of.
void settle(kestle::DataChart &chart);

struct ShownText {
    std::string text; // as the eye reads it: the lines of a wrapped label joined by a blank
    QRectF rect;      // in the view's viewport
    bool in_legend = false;
};
// Every text that the chart's view shows wholly inside its viewport.
std::vector<ShownText> shown_texts(kestle::DataChart &chart);
// The text shown for a label, whole, or null.
const ShownText *shown_whole(const std::vector<ShownText> &texts, const std::string &label, bool in_legend);

// The colour difference an eye sees (CIE76 in CIELAB); about 2 is the least noticed.
double colour_difference(const QColor &a, const QColor &b);
// The least difference between any two of the colours.
double least_difference(const std::vector<QColor> &colours);

// The points that are drawn, each with its marker, reaching outside the plot area.
std::vector<double> points_outside_plot(kestle::DataChart &chart);

// The tip shown while the pointer rests on the label of category i (from 0).
std::string category_tip(kestle::DataChart &chart, int i);

// The chart as drawn, in its view's viewport.
QImage drawn_image(kestle::DataChart &chart);
// The bars of a bar chart in the viewport, with their values.
struct DrawnBar {
    QRectF rect;
    double value = 0;
};
std::vector<DrawnBar> drawn_bars(kestle::DataChart &chart);
// The pixels of a red hue, light or dark, outside the given rectangles.
int red_pixels(const QImage &image, const std::vector<QRectF> &except = {});

} // namespace kestle_test
