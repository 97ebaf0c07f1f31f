#include "zal_graph.h"

#include "program.h"

namespace kestle {

ZALGraph::ZALGraph(Program &p) : ChartWindow(p, "Query Result") { move_twips(300, 300); }

void ZALGraph::form_unload() {
    // The next use creates the window again, with the chart as designed.
    if (p_.forms.graph == this)
        p_.forms.graph = nullptr;
}

} // namespace kestle
