// Charts as an audience reads them, at the chart windows' size in a main window of 1024 x 768:
// labels whole, every legend entry on show, colours told apart, no point cut off.
#include "app_fixture.h"
#include "chart_reading.h"

#include "data_chart.h"
#include "presentation.h"
#include "zal_graph.h"
#include "zal_perf_plot.h"

#include <QChart>
#include <QChartView>
#include <QLegend>
#include <QLegendMarker>

using namespace kestle;
using namespace kestle_test;

namespace {

using Kind = DataChart::Kind;

// Colours at least this far apart are told apart at a glance; so many series or slices have
// each their own, and past that neighbours still differ.
constexpr double distinct = 20;
constexpr std::size_t own_colours = 20;

void expect_told_apart(const std::vector<QColor> &colours, bool round) {
    const std::size_t n = colours.size();
    EXPECT_GE(least_difference({colours.begin(), colours.begin() + std::min(n, own_colours)}), distinct);
    const std::size_t neighbours = n < 2 ? 0 : round ? n : n - 1; // round: the last meets the first
    for (std::size_t i = 0; i < neighbours; ++i)
        EXPECT_GE(colour_difference(colours[i], colours[(i + 1) % n]), distinct) << "after " << i;
}

class ChartLegibilityTest : public AppTest {
protected:
    ChartLegibilityTest() { program().master().resize(1024, 768); }

    DataChart &graph() { return *program().graph().Chart; }

    // What every chart owes its audience.
    static void expect_readable(DataChart &chart) {
        const DataChart::Drawing d = chart.drawn();
        const std::vector<ShownText> texts = shown_texts(chart);
        for (const std::string &c : d.categories)
            EXPECT_NE(shown_whole(texts, c, false), nullptr) << "category " << c;
        if (!d.title.empty()) {
            EXPECT_NE(shown_whole(texts, d.title, false), nullptr) << "title " << d.title;
        }
        EXPECT_EQ(points_outside_plot(chart), std::vector<double>());
        for (const ShownText &t : texts) {
            EXPECT_FALSE(t.text.size() > 1 && t.text[0] == '-' && t.text.find_first_not_of("0.", 1) == std::string::npos)
                << "a zero that reads " << t.text;
        }
        std::vector<QColor> colours;
        const bool pie = d.kind == Kind::Pie;
        if (pie) {
            ASSERT_EQ(d.series.size(), 1u);
            const std::vector<DataChart::Point> &slices = d.series[0].points;
            const QList<QLegendMarker *> markers = chart.chart()->legend()->markers();
            ASSERT_EQ(markers.size(), static_cast<qsizetype>(slices.size()));
            QChartView *view = chart.view();
            const QRectF legend = view->mapFromScene(chart.chart()->legend()->sceneBoundingRect()).boundingRect();
            const QRectF plot = view->mapFromScene(chart.chart()->mapToScene(chart.chart()->plotArea())).boundingRect();
            for (std::size_t i = 0; i < slices.size(); ++i) {
                const ShownText *entry = shown_whole(texts, slices[i].label, true);
                EXPECT_TRUE(entry && legend.contains(entry->rect) && !plot.intersects(entry->rect))
                    << "legend entry " << slices[i].label;
                EXPECT_EQ(markers[static_cast<qsizetype>(i)]->brush().color(), slices[i].color) << slices[i].label;
                colours.push_back(slices[i].color);
            }
        } else {
            for (const DataChart::Series &s : d.series)
                colours.push_back(s.color);
        }
        expect_told_apart(colours, pie);
    }
};

// The presentation's own charts, node by node as the presenter clicks them.
TEST_F(ChartLegibilityTest, TheDemonstrationsChartsReadWhole) {
    std::filesystem::copy_file(source_dir() / "demo" / "kestle-charts.sql", fx.dir / "kestle-charts.sql");
    ASSERT_GT(readops(program(), "kestle-charts.sql"), 0);
    open_sql();
    int charts = 0;
    for (int n = 1; n <= program().control.stmt_count; ++n) {
        if (program().control.record(n).kind != kind_sql)
            continue;
        SCOPED_TRACE(program().control.record(n).title);
        click_record(n);
        for (ChartWindow *w : {static_cast<ChartWindow *>(program().forms.graph.data()),
                               static_cast<ChartWindow *>(program().forms.perf_plot.data())})
            if (w && w->isVisible()) {
                expect_readable(*w->Chart);
                ++charts;
            }
    }
    EXPECT_GE(charts, 5);
}

TEST_F(ChartLegibilityTest, EverySliceHasItsEntryAndItsOwnColour) {
    open_sql();
    for (const char *limit : {"15", "21"}) {
        SCOPED_TRACE(limit);
        // Names of departments, and longer ones that take two columns at a smaller font.
        command(std::string("SELECT NAME, 1 FROM (SELECT DEPT_NAME AS NAME FROM DEPARTMENT UNION ALL"
                            " SELECT DEPT_NAME || ' in ' || LOCATION FROM DEPARTMENT) ORDER BY NAME FETCH FIRST ") +
                limit + " ROWS ONLY");
        command("%PLOT PIE LABELS=1 DATA=2");
        ASSERT_EQ(graph().drawn().series.at(0).points.size(), std::stoul(limit));
        expect_readable(graph());
    }
}

TEST_F(ChartLegibilityTest, CategoryLabelsAreWrappedOrTurnedAndAlwaysHaveTheirTip) {
    open_sql();
    const std::string too_long = "A label far too long to stand whole under the plot, even turned";
    struct Case {
        std::string result;
        bool turned;
    } cases[] = {
        {"VALUES ('Southern Europe', 3), ('R&D <lab>', 2), ('a<b>c</b>', 4)", false},
        {"SELECT SUBSTR(DEPT_NAME, 1, 18), 1 FROM DEPARTMENT UNION ALL VALUES ('" + too_long + "', 2)", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.result);
        command(c.result);
        command("%PLOT 2DBAR LABELS=1 DATA=2");
        const std::vector<std::string> labels = graph().drawn().categories;
        if (!c.turned) {
            expect_readable(graph()); // as written, also where a label looks like markup
        } else {
            // Too many to stand side by side: they run upwards, and the one too long is cut.
            const std::vector<ShownText> texts = shown_texts(graph());
            for (const std::string &l : labels) {
                const ShownText *t = shown_whole(texts, l, false);
                EXPECT_EQ(t == nullptr, l == too_long) << l;
                EXPECT_TRUE(!t || t->rect.height() > t->rect.width()) << l;
            }
        }
        for (std::size_t i = 0; i < labels.size(); ++i)
            EXPECT_EQ(category_tip(graph(), static_cast<int>(i)), labels[i]);
    }
}

TEST_F(ChartLegibilityTest, TheHighestAndLowestPointsAreDrawnWhole) {
    open_sql();
    // Ends at round numbers, where the axis would otherwise end too.
    command("VALUES ('a', 'x', 0), ('b', 'x', 100), ('c', 'x', 50), ('a', 'y', 20), ('b', 'y', 40), ('c', 'y', -60)");
    for (const char *plot : {"%PLOT LINE GROUP=2 LABELS=1 DATA=3", "%PLOT 2DLINE GROUP=2 LABELS=1 DATA=3",
                             "%PLOT BAR LABELS=1 DATA=3"}) {
        SCOPED_TRACE(plot);
        command(plot);
        expect_readable(graph());
    }
}

// The Part's red pen colours the bars of a comparison; nothing else in the chart is red.
TEST_F(ChartLegibilityTest, TheTimingChartShowsNoStrayRed) {
    open_sql();
    command("%COMPARE SQL1='WITH RECURSIVE N(I) AS (VALUES 1 UNION ALL SELECT I + 1 FROM N WHERE I < 200000)"
            " SELECT COUNT(*) FROM N' SQL2='VALUES 1' REPEAT=2");
    DataChart &chart = *program().perf_plot().Chart;
    expect_readable(chart);
    const QImage image = drawn_image(chart);
    std::vector<QRectF> bars;
    for (const DrawnBar &b : drawn_bars(chart)) {
        bars.push_back(b.rect.adjusted(-1, -1, 1, 1)); // the bar's edge, smoothed
        const QRect inside = b.rect.adjusted(2, 2, -2, -2).toRect();
        if (inside.isEmpty())
            continue; // a bar of no height, or too low to look into
        const int area = inside.width() * inside.height();
        EXPECT_EQ(red_pixels(image.copy(inside)), area) << "a bar of " << b.value << " is red throughout";
    }
    EXPECT_EQ(bars.size(), 2u);
    EXPECT_EQ(red_pixels(image, bars), 0);

    command("%GRAPH SQL='VALUES 1' REPEAT=5 COLOR=BLUE");
    expect_readable(chart);
    EXPECT_EQ(red_pixels(drawn_image(chart)), 0);
}

} // namespace
