// The timing chart window, into which GRAPH and COMPARE draw. Closing it stops a GRAPH run.
#pragma once

#include "chart_window.h"

namespace kestle {

class ZALPerfPlot : public ChartWindow {
    Q_OBJECT
public:
    explicit ZALPerfPlot(Program &p);

protected:
    void form_unload() override;
};

} // namespace kestle
