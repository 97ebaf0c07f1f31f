#include "zal_perf_plot.h"

#include "program.h"

namespace kestle {

ZALPerfPlot::ZALPerfPlot(Program &p) : ChartWindow(p, "Performance Plot") { move_twips(600, 600); }

void ZALPerfPlot::form_unload() {
    p_.perf_plotting = false;
    if (p_.forms.perf_plot == this)
        p_.forms.perf_plot = nullptr;
}

} // namespace kestle
