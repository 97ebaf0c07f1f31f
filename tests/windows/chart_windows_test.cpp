#include "app_fixture.h"

#include "zal_graph.h"
#include "zal_perf_plot.h"

#include <QMdiArea>

using namespace kestle;
using namespace kestle_test;

namespace {

class ChartWindowsTest : public AppTest {};

TEST_F(ChartWindowsTest, BothOpenWhollyInsideTheClientAreaAt1024By768) {
    ZALMaster &m = program().master();
    m.resize(1024, 768);
    open_sql();
    command("VALUES ('a', 1), ('b', 2)");
    command("%PLOT BAR LABELS=1 DATA=2");
    command("%GRAPH SQL='VALUES 1' REPEAT=1");
    const QRect area = m.mdi->viewport()->rect();
    for (Form *w : {static_cast<Form *>(program().forms.graph.data()), static_cast<Form *>(program().forms.perf_plot.data())}) {
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(area.contains(w->frame()->geometry())) << bytes(w->windowTitle());
    }
}

} // namespace
