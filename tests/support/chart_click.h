// Charts under test: a click as the presenter makes it, and the values a series holds.
#pragma once

#include "data_chart.h"

#include <QApplication>
#include <QChartView>
#include <QMouseEvent>

#include <vector>

namespace kestle_test {

inline void click_chart(kestle::DataChart &chart) {
    QWidget *viewport = chart.view()->viewport();
    const QPointF at(10, 10);
    QMouseEvent press(QEvent::MouseButtonPress, at, viewport->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, viewport->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(viewport, &press);
    QApplication::sendEvent(viewport, &release);
}

inline std::vector<double> values(const kestle::DataChart::Series &s) {
    std::vector<double> v;
    for (const kestle::DataChart::Point &p : s.points)
        v.push_back(p.value);
    return v;
}

} // namespace kestle_test
