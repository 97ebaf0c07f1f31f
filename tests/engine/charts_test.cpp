#include "app_fixture.h"
#include "chart_click.h"

#include "charts.h"
#include "data_chart.h"
#include "zal_graph.h"

#include <QCoreApplication>

using namespace kestle;
using namespace kestle_test;

namespace {

using Drawing = DataChart::Drawing;
using Kind = DataChart::Kind;

class ChartsTest : public AppTest {
protected:
    ChartsTest() {
        Result r = query("CREATE TABLE PLOTDATA (LABEL VARCHAR(10), GRP VARCHAR(5), AMOUNT VARCHAR(12))");
        EXPECT_TRUE(r.ok()) << r.message;
        r = query("INSERT INTO PLOTDATA VALUES ('a', 'A', '1'), ('b', 'A', '2.5'), ('c', 'B', ' 12.5 kg'),"
                  " ('d', 'A', 'abc'), ('e', 'C', '7')");
        EXPECT_TRUE(r.ok()) << r.message;
    }
    // A result in the output window of the current SQL window.
    void result(const std::string &where = "") {
        command("SELECT LABEL, GRP, AMOUNT FROM PLOTDATA " + where + " ORDER BY LABEL");
    }
    Drawing drawing() { return program().graph().Chart->drawn(); }
    static std::vector<std::string> names(const Drawing &d) {
        std::vector<std::string> n;
        for (const DataChart::Series &s : d.series)
            n.push_back(s.name);
        return n;
    }
    static std::vector<std::string> labels(const DataChart::Series &s) {
        std::vector<std::string> l;
        for (const DataChart::Point &p : s.points)
            l.push_back(p.label);
        return l;
    }
};

TEST_F(ChartsTest, BarsAndSlicesOneForEachRowNeverTheHeader) {
    open_sql();
    result();
    struct Case {
        const char *command;
        Kind kind;
        int chart_type;
        bool depth;
        bool legend;
    } cases[] = {
        {"%PLOT BAR LABELS=1 DATA=3", Kind::Bar, 0, true, false},
        {"%plot 2dbar labels=1 data=3", Kind::Bar, 1, false, false},
        {"%PLOT PIE BAR LABELS=1 DATA=3", Kind::Bar, 0, true, false}, // the last kind wins
        {"%PLOT BAR GROUP=9 LABELS=1.9 DATA=3", Kind::Bar, 0, true, false}, // GROUP ignored, 1.9 is 1
        {"%PLOT PIE LABELS=1 DATA=3", Kind::Pie, 14, false, true},
    };
    const std::vector<double> amounts = {1, 2.5, 12.5, 0, 7};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.command);
        command(c.command);
        EXPECT_EQ(status(), "Command executed");
        ZALGraph &g = program().graph();
        EXPECT_TRUE(g.isVisible());
        EXPECT_EQ(bytes(g.windowTitle()), "Query Result");
        EXPECT_EQ(g.Chart->chart_type(), c.chart_type);
        const Drawing d = drawing();
        EXPECT_EQ(d.kind, c.kind);
        EXPECT_EQ(d.depth, c.depth);
        EXPECT_EQ(d.legend, c.legend);
        EXPECT_EQ(d.title, "Data Plot");
        ASSERT_EQ(d.series.size(), 1u);
        const std::vector<std::string> rows = {"a", "b", "c", "d", "e"};
        EXPECT_EQ(labels(d.series[0]), rows);
        EXPECT_EQ(values(d.series[0]), amounts);
        if (c.kind == Kind::Bar) {
            EXPECT_EQ(d.categories, rows);
        }
    }
}

TEST_F(ChartsTest, EqualLabelsStillGiveOneBarEach) {
    open_sql();
    result();
    command("%PLOT 2DBAR LABELS=2 DATA=3");
    const Drawing d = drawing();
    EXPECT_EQ(d.categories, (std::vector<std::string>{"A", "A", "B", "A", "C"}));
    ASSERT_EQ(d.series.size(), 1u);
    EXPECT_EQ(values(d.series[0]), (std::vector<double>{1, 2.5, 12.5, 0, 7}));
}

TEST_F(ChartsTest, EachRunOfAGroupIsASeries) {
    open_sql();
    result("WHERE LABEL < 'e'"); // groups A, A, B, A
    command("%PLOT LINE GROUP=2 LABELS=1 DATA=3 TITLE='Amounts by group'");
    EXPECT_EQ(status(), "Command executed");
    Drawing d = drawing();
    EXPECT_EQ(d.kind, Kind::Line);
    EXPECT_TRUE(d.depth);
    EXPECT_FALSE(d.legend);
    EXPECT_EQ(d.title, "Amounts by group");
    EXPECT_EQ(names(d), (std::vector<std::string>{"A", "B", "A"}));
    EXPECT_EQ(d.categories, (std::vector<std::string>{"a", "b"})); // from the first run to reach each row
    ASSERT_EQ(d.series.size(), 3u);
    EXPECT_EQ(values(d.series[0]), (std::vector<double>{1, 2.5}));
    EXPECT_EQ(labels(d.series[1]), (std::vector<std::string>{"a"}));
    EXPECT_EQ(values(d.series[1]), (std::vector<double>{12.5}));
    EXPECT_EQ(values(d.series[2]), (std::vector<double>{0}));
    DataChart &chart = *program().graph().Chart;
    EXPECT_EQ(chart.row_count(), 2);
    EXPECT_EQ(chart.column_count(), 3);
    EXPECT_FALSE(chart.data(2, 2)); // B has one row: its second cell stays blank

    result(); // groups A, A, B, A, C
    command("%PLOT 2DLINE GROUP=2 LABELS=1 DATA=3 TITLE=");
    d = drawing();
    EXPECT_FALSE(d.depth);
    EXPECT_EQ(d.title, "");
    EXPECT_EQ(names(d), (std::vector<std::string>{"A", "B", "A", "C"}));
}

TEST_F(ChartsTest, RefusedCommandsDrawNothing) {
    struct Case {
        const char *command;
        const char *status;
    } cases[] = {
        {"%PLOT", "No arguments supplied"},
        {"%PLOT BAR LABELS=1 DATA=2 COLOR=RED", "Invalid keyword=COLOR"},
        {"%PLOT LABELS=1 DATA=3", "Plot: Invalid Group, Labels or Data value supplied for LINE chart"},
        {"%PLOT BAR LABELS=x DATA=3", "Plot: Invalid Labels or Data value supplied for BAR chart"},
        {"%PLOT PIE LABELS=0 DATA=3", "Plot: Invalid Labels or Data value supplied for PIE chart"},
        {"%PLOT BAR LABELS=1 DATA=99999", "Plot: Invalid Labels or Data value supplied for BAR chart"},
        // a column past the result's columns is refused as a column below 1 is
        {"%PLOT BAR LABELS=1 DATA=4", "Plot: Invalid Labels or Data value supplied for BAR chart"},
        {"%PLOT LINE GROUP=4 LABELS=1 DATA=3", "Plot: Invalid Group, Labels or Data value supplied for LINE chart"},
    };
    // Without an output window every PLOT is the one message box.
    command("%PLOT");
    command("%PLOT BAR LABELS=1 DATA=2");
    runit(program(), true, "%PLOT BAR LABELS=1 DATA=2"); // and no "Command completed" box after it
    EXPECT_EQ(dialogs().messages(), (std::vector<std::string>{"No output currently defined",
                                                              "No output currently defined",
                                                              "No output currently defined"}));
    open_sql();
    result();
    command("%PLOT BAR LABELS=1 DATA=3");
    const Drawing before = drawing();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.command);
        command(c.command);
        EXPECT_EQ(status(), c.status);
        const Drawing now = drawing();
        EXPECT_EQ(now.kind, before.kind);
        EXPECT_EQ(values(now.series.at(0)), values(before.series.at(0)));
    }
    EXPECT_EQ(dialogs().messages().size(), 3u);
    // In a run the refusal stays on the status line: the run does not end as completed.
    for (const char *c : {"%PLOT BAR LABELS=0 DATA=3", "%PLOT BAR LABELS=1 DATA=3 COLOR=RED"}) {
        runit(program(), true, c);
        EXPECT_NE(status(), "Command completed") << c;
    }
}

TEST_F(ChartsTest, NoRowsDrawNoPointAndMenuShowsTheChartAsItWas) {
    open_sql();
    result();
    command("%PLOT 2DBAR LABELS=1 DATA=3");
    program().graph().frame()->hide();
    command("%PLOT MENU");
    EXPECT_EQ(status(), "Command executed");
    EXPECT_TRUE(program().graph().isVisible());
    EXPECT_EQ(values(drawing().series.at(0)).size(), 5u);

    result("WHERE LABEL = 'none'");
    for (const char *c : {"%PLOT BAR LABELS=1 DATA=3", "%PLOT PIE LABELS=1 DATA=3", "%PLOT LINE GROUP=2 LABELS=1 DATA=3"}) {
        SCOPED_TRACE(c);
        command(c);
        EXPECT_EQ(status(), "Command executed");
        EXPECT_TRUE(program().graph().isVisible());
        for (const DataChart::Series &s : drawing().series)
            EXPECT_TRUE(s.points.empty());
    }
}

TEST_F(ChartsTest, AClickOnTheChartClosesTheWindowAndTheNextPlotMakesItAgain) {
    open_sql();
    result();
    command("%PLOT PIE LABELS=1 DATA=3");
    QPointer<ZALGraph> first = &program().graph();
    click_chart(*first->Chart);
    EXPECT_EQ(program().forms.graph, nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    command("%PLOT MENU"); // a new window with the chart as designed
    ASSERT_NE(program().forms.graph, nullptr);
    EXPECT_TRUE(drawing().series.empty() || drawing().series[0].points.empty());
}

} // namespace
