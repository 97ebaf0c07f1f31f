#include "app_fixture.h"

#include "data_chart.h"
#include "presentation.h"
#include "zal_graph.h"
#include "zal_perf_plot.h"

using namespace kestle;
using namespace kestle_test;

namespace {

class DemoChartsTest : public AppTest {};

// The presentation's chart and timing sections, clicked node by node as the presenter does.
TEST_F(DemoChartsTest, EverySectionRunsAndDraws) {
    std::filesystem::copy_file(source_dir() / "demo" / "kestle-charts.sql", fx.dir / "kestle-charts.sql");
    ASSERT_GT(readops(program(), "kestle-charts.sql"), 0);
    open_sql();
    ZALMaster &m = program().master();
    std::vector<QTreeWidgetItem *> nodes;
    for (QTreeWidgetItemIterator it(m.TV); *it; ++it)
        nodes.push_back(*it);
    int ran = 0;
    for (QTreeWidgetItem *node : nodes) {
        const int n = static_cast<int>(lenient_integer(node_tag(node), 0, program().control.stmt_count));
        if (program().control.record(n).kind != kind_sql)
            continue;
        SCOPED_TRACE(node_text(node));
        click_node(*m.TV, node);
        ++ran;
        EXPECT_EQ(status(), "Command completed");
        if (node_text(node) == "Monthly sales of each region as lines") {
            const DataChart::Drawing d = program().graph().Chart->drawn();
            EXPECT_EQ(d.kind, DataChart::Kind::Line);
            EXPECT_GT(d.series.size(), 1u);
        }
    }
    EXPECT_EQ(ran, 6);
    EXPECT_TRUE(dialogs().messages().empty());
    ASSERT_NE(program().forms.perf_plot, nullptr);
    const DataChart::Drawing bars = program().perf_plot().Chart->drawn();
    EXPECT_EQ(bars.categories, (std::vector<std::string>{"No index", "Index on SENSOR_NO"}));
    EXPECT_EQ(query("SELECT COUNT(*) FROM SENSOR_READING_IX").rows.at(0).at(0), "100000");
}

} // namespace
