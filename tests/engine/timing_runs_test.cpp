#include "app_fixture.h"
#include "chart_click.h"

#include "data_chart.h"
#include "keyed_toolbar.h"
#include "presentation.h"
#include "timing_runs.h"
#include "zal_perf_plot.h"

#include <QTimer>

#include <regex>

using namespace kestle;
using namespace kestle_test;

namespace {

using Drawing = DataChart::Drawing;

// Every timed statement adds a row to RUNS, so the rows tell how often it ran.
constexpr const char *counted = "INSERT INTO RUNS VALUES (1)";
constexpr const char *counted_too = "INSERT INTO RUNS VALUES (2)";

class TimingRunsTest : public AppTest {
protected:
    TimingRunsTest() { EXPECT_TRUE(query("CREATE TABLE RUNS (N INTEGER)").ok()); }
    int runs(const std::string &n = "") {
        const std::string where = n.empty() ? "" : " WHERE N = " + n;
        Client c("SAMPLE");
        return std::stoi(c.value("SELECT COUNT(*) FROM RUNS" + where));
    }
    void reset() { query("DELETE FROM RUNS"); }
    DataChart &chart() { return *program().perf_plot().Chart; }
    ZALPerfPlot *window() { return program().forms.perf_plot; }
    Drawing drawing() { return chart().drawn(); }
    static bool is_average(const std::string &footnote) {
        return std::regex_match(footnote, std::regex("Average Response Time: [0-9]+\\.[0-9]{2}ms"));
    }
};

TEST_F(TimingRunsTest, GraphRunsOnceMoreThanItDraws) {
    open_sql();
    struct Case {
        const char *repeat;
        int runs;
    } cases[] = {
        {"", 11}, {" REPEAT=0", 21}, {" REPEAT=100", 51}, {" REPEAT=2.5", 3},
        {" REPEAT=3.5", 5}, {" REPEAT=abc", 21}, {" REPEAT=-1", 0}, {" REPEAT=-40000", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.repeat);
        reset();
        command(std::string("%GRAPH SQL=\"") + counted + "\"" + c.repeat);
        EXPECT_EQ(status(), "Command executed");
        EXPECT_EQ(runs(), c.runs);
        const int points = std::max(c.runs - 1, 0);
        EXPECT_EQ(chart().row_count(), points);
        const Drawing d = drawing();
        ASSERT_EQ(d.series.size(), points ? 1u : 0u);
        if (points) {
            EXPECT_EQ(d.series[0].points.size(), static_cast<std::size_t>(points));
            EXPECT_EQ(d.series[0].points[0].label, "");
        }
        EXPECT_TRUE(is_average(chart().footnote())) << chart().footnote();
        EXPECT_TRUE(program().perf_plotting); // until the window closes or the tree is clicked
        EXPECT_TRUE(window()->isVisible());
    }
    EXPECT_EQ(chart().footnote(), "Average Response Time: 0.00ms"); // nothing ran
}

TEST_F(TimingRunsTest, GraphSetsUpItsChartAndPen) {
    open_sql();
    struct Case {
        const char *color;
        QColor pen;
    } cases[] = {
        {"", QColor(0, 0, 255)},
        {" COLOR=red", QColor(255, 0, 0)},
        {" color=Blue", QColor(0, 0, 255)},
        {" COLOR=pink", QColor(0, 255, 0)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.color);
        command(std::string("%GRAPH REPEAT=2 SQL='VALUES 1'") + c.color);
        DataChart &ch = chart();
        EXPECT_EQ(ch.series_pen(1), c.pen);
        EXPECT_EQ(ch.base_fill(), QColor(0, 255, 255));
        EXPECT_EQ(ch.chart_type(), DataChart::line_3d);
        EXPECT_EQ(ch.title(), "SQL Performance");
        EXPECT_EQ(ch.title_size(), 12);
        EXPECT_EQ(ch.footnote_size(), 10);
        EXPECT_EQ(ch.footnote_location(), DataChart::bottom_left);
        const Drawing d = drawing();
        EXPECT_FALSE(d.legend);
        EXPECT_TRUE(d.depth);
        EXPECT_EQ(d.plot_fill, QColor(0, 255, 255));
        ASSERT_EQ(d.series.size(), 1u);
        EXPECT_EQ(d.series[0].color, c.pen);
        EXPECT_EQ(d.series[0].points.size(), 2u);
    }
    EXPECT_EQ(bytes(window()->windowTitle()), "Performance Plot");
    command("%GRAPH SQL='VALUES 1' REPEAT=1 TITLE='One more'");
    EXPECT_EQ(chart().title(), "One more");
}

TEST_F(TimingRunsTest, GraphThatCannotRun) {
    // Without an SQL window the messages that ask for a box show in one.
    command("%GRAPH");
    command("%GRAPH COLOR=red");
    EXPECT_EQ(dialogs().messages(), (std::vector<std::string>{"No arguments supplied", "No SQL supplied"}));
    EXPECT_EQ(program().forms.perf_plot, nullptr);

    open_sql();
    command(std::string("%GRAPH SQL=\"") + counted + "\" FOO=1");
    EXPECT_EQ(status(), "Invalid keyword=FOO");
    EXPECT_EQ(runs(), 0);
    runit(program(), true, "%GRAPH SQL='VALUES 1' FOO=1");
    EXPECT_EQ(status(), "Invalid keyword=FOO"); // not replaced by "Command completed"
    // What kept the graph from running stays on the status line to the end of the run.
    runit(program(), true, "%GRAPH SQL='   '");
    EXPECT_EQ(status(), "No SQL supplied");
    EXPECT_EQ(program().forms.perf_plot, nullptr);

    // A statement that fails on its first run closes the window before any point is drawn.
    command("%GRAPH SQL='VALUES 1' REPEAT=3");
    ASSERT_NE(window(), nullptr);
    runit(program(), true, "%GRAPH SQL='SELECT * FROM NOSUCH'");
    EXPECT_NE(status().find("NOSUCH"), std::string::npos) << status();
    EXPECT_EQ(program().forms.perf_plot, nullptr);
    EXPECT_FALSE(program().perf_plotting);
}

TEST_F(TimingRunsTest, ClosingTheWindowStopsGraphAtItsNextYield) {
    open_sql();
    // Each way of closing, handled at the first yield, after the first recorded run.
    std::function<void(ZALPerfPlot &)> closers[] = {
        [](ZALPerfPlot &w) { w.frame()->close(); }, // its close box
        [](ZALPerfPlot &w) { click_chart(*w.Chart); },
    };
    for (auto &close : closers) {
        reset();
        command("%GRAPH REPEAT=1 SQL='VALUES 1'"); // the window exists before the run
        QPointer<ZALPerfPlot> w = window();
        QTimer::singleShot(0, w, [&close, w] { close(*w); });
        command(std::string("%GRAPH REPEAT=20 SQL=\"") + counted + "\"");
        EXPECT_EQ(runs(), 2); // the warm-up and one recorded run
        EXPECT_EQ(program().forms.perf_plot, nullptr);
        EXPECT_FALSE(program().perf_plotting);
        EXPECT_EQ(status(), "Command executed");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(w, nullptr);
    }
}

TEST_F(TimingRunsTest, ATreeClickStopsGraphAndHidesItsWindow) {
    write_text(fx.dir / "talk.sql", ":sql Another statement\nVALUES 2\n");
    ASSERT_EQ(readops(program(), "talk.sql"), 1);
    open_sql();
    ZALMaster &m = program().master();
    QTimer::singleShot(0, &m, [&m] { click_node(*m.TV, m.TV->topLevelItem(0)); });
    command(std::string("%GRAPH REPEAT=20 SQL=\"") + counted + "\"");
    EXPECT_EQ(runs(), 2);
    EXPECT_FALSE(program().perf_plotting);
    ASSERT_NE(window(), nullptr); // hidden, with its chart
    EXPECT_FALSE(window()->frame()->isVisible());
    EXPECT_EQ(chart().row_count(), 1);
    EXPECT_TRUE(is_average(chart().footnote())); // the average of 20, as the run was asked for
    EXPECT_EQ(program().forms.cur_sql_form->command_text(), "VALUES 2");
}

TEST_F(TimingRunsTest, CompareDrawsTheAverageOfEachStatement) {
    open_sql();
    command(std::string("%COMPARE SQL1=\"") + counted + "\" SQL2=\"" + counted_too + "\" REPEAT=3");
    EXPECT_EQ(status(), "Command executed");
    EXPECT_EQ(runs("1"), 3); // no warm-up
    EXPECT_EQ(runs("2"), 3);
    DataChart &ch = chart();
    EXPECT_EQ(ch.chart_type(), DataChart::bar_3d);
    EXPECT_EQ(ch.title(), "SQL Performance");
    EXPECT_EQ(ch.base_fill(), QColor(0, 255, 255));
    EXPECT_EQ(ch.series_pen(1), QColor(255, 0, 0));
    Drawing d = drawing();
    EXPECT_EQ(d.kind, DataChart::Kind::Bar);
    EXPECT_EQ(d.categories, (std::vector<std::string>{"SQL#1", "SQL#2"}));
    ASSERT_EQ(d.series.size(), 1u);
    EXPECT_EQ(d.series[0].points.size(), 2u);
    EXPECT_EQ(d.series[0].color, QColor(255, 0, 0));
    for (const DataChart::Point &pt : d.series[0].points)
        EXPECT_GE(pt.value, 0);

    reset();
    command("%COMPARE SQL1='VALUES 1' LABEL1=one LABEL2=two TITLE=Alone REPEAT=abc");
    EXPECT_EQ(chart().row_count(), 1);
    d = drawing();
    EXPECT_EQ(d.categories, (std::vector<std::string>{"one"}));
    EXPECT_EQ(d.title, "Alone");

    // No runs for a REPEAT below 1: the bars stand at 0.
    command(std::string("%COMPARE SQL1=\"") + counted + "\" SQL2=\"" + counted_too + "\" REPEAT=0");
    EXPECT_EQ(runs(), 0);
    EXPECT_EQ(values(drawing().series.at(0)), (std::vector<double>{0, 0}));
    command(std::string("%COMPARE SQL1=\"") + counted + "\" REPEAT=-2.5");
    EXPECT_EQ(runs(), 0);
    EXPECT_EQ(values(drawing().series.at(0)), (std::vector<double>{0}));
}

TEST_F(TimingRunsTest, CompareThatCannotRun) {
    open_sql();
    command("%COMPARE");
    EXPECT_EQ(status(), "No arguments supplied");
    command("%COMPARE SQL1='VALUES 1' SQL3=x");
    EXPECT_EQ(status(), "Invalid keyword=SQL3");
    EXPECT_EQ(program().forms.perf_plot, nullptr);
    runit(program(), true, "%COMPARE SQL2='VALUES 1'");
    EXPECT_EQ(status(), "No SQL supplied");
    EXPECT_EQ(program().forms.perf_plot, nullptr);
    // A first statement of blanks is run, and its failure closes the window.
    command("%COMPARE SQL1='  '");
    EXPECT_EQ(status(), "No SQL supplied");
    EXPECT_EQ(program().forms.perf_plot, nullptr);
    EXPECT_FALSE(program().perf_plotting);
    // A failing second statement, after the first one's bar.
    runit(program(), true, std::string("%COMPARE SQL1=\"") + counted + "\" SQL2='SELECT * FROM NOSUCH' REPEAT=2");
    EXPECT_EQ(runs(), 2);
    EXPECT_NE(status().find("NOSUCH"), std::string::npos) << status();
    EXPECT_EQ(program().forms.perf_plot, nullptr);
}

TEST_F(TimingRunsTest, PlotperfKeyDrawsTwentyRedPoints) {
    ZALSQL &w = open_sql();
    w.set_command_text("");
    w.TB->click("plotperf");
    EXPECT_EQ(program().forms.perf_plot, nullptr);
    w.set_command_text(counted);
    w.TB->click("plotperf");
    EXPECT_EQ(runs(), 21);
    EXPECT_EQ(chart().title(), "Plotting SQL Performance");
    EXPECT_EQ(chart().series_pen(1), QColor(255, 0, 0));
    EXPECT_EQ(drawing().series.at(0).points.size(), 20u);
    EXPECT_EQ(queries().topLevelItemCount(), 0); // silent runs log nothing
}

TEST(RunMilliseconds, RoundHalfToEvenAndSaturate) {
    struct Case {
        double seconds;
        int ms;
    } cases[] = {{0.0124, 12}, {0.0125, 12}, {0.0135, 14}, {0.0005, 0}, {32.767, 32767}, {40.0, 32767}, {1e12, 32767}};
    for (const Case &c : cases)
        EXPECT_EQ(run_ms(c.seconds), c.ms) << c.seconds;
}

} // namespace
