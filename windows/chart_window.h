// What the two chart windows share: a chart that fills the window, and a click on it that
// closes the window.
#pragma once

#include "form.h"

namespace kestle {

class DataChart;
class Program;

class ChartWindow : public Form {
    Q_OBJECT
public:
    ChartWindow(Program &p, const QString &caption);

    DataChart *Chart;

    // The window closes for good; its chart goes with it.
    void Chart_Click();

protected:
    Program &p_;
};

} // namespace kestle
