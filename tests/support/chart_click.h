// A click on a chart as the presenter makes it: a press and a release over its plot.
#pragma once

#include "data_chart.h"

#include <QApplication>
#include <QChartView>
#include <QMouseEvent>

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

} // namespace kestle_test
