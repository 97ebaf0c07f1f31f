#include "chart_window.h"

#include "data_chart.h"
#include "program.h"
#include "window_support.h"

#include <QVBoxLayout>

namespace kestle {

ChartWindow::ChartWindow(Program &p, const QString &caption) : Form(p.forms.windows, caption, true), p_(p) {
    Chart = new DataChart(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Chart);
    connect(Chart, &DataChart::clicked, this, [this] { guarded("Chart_Click", [&] { Chart_Click(); }); });
    resize_twips(10200, 7800);
}

void ChartWindow::Chart_Click() { unload(); }

} // namespace kestle
