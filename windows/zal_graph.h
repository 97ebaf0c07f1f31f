// The result chart window, into which PLOT draws.
#pragma once

#include "chart_window.h"

namespace kestle {

class ZALGraph : public ChartWindow {
    Q_OBJECT
public:
    explicit ZALGraph(Program &p);

protected:
    void form_unload() override;
};

} // namespace kestle
