// GRAPH and COMPARE, and the runs they time through the silent statement path.
#include "timing_runs.h"

#include "commands.h"
#include "data_chart.h"
#include "program.h"
#include "run_support.h"
#include "sql_exec.h"
#include "window_support.h"
#include "zal_perf_plot.h"

#include <QPointer>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

namespace kestle {

namespace {

constexpr const char *default_title = "SQL Performance";
constexpr const char *average_text = "Average Response Time: ";
constexpr const QColor base_fill(0, 255, 255);

// A whole count that keeps to the 16 bits of the routines' repeat.
int to_repeat(double v) { return static_cast<int>(std::clamp(v, double(INT16_MIN), double(INT16_MAX))); }

// GRAPH's REPEAT: the number at the head of the text, rounded; 0 means 20 and at most 50 runs
// are recorded. A negative number stays, and nothing runs.
int graph_repeat(const std::string &value) {
    const double n = std::nearbyint(lenient_number(value));
    if (n == 0)
        return 20;
    return to_repeat(std::min(n, 50.0));
}

std::string average_footnote(int32_t total, int repeat) {
    // No runs recorded for a repeat below 1: the average is 0.
    const double average = repeat > 0 ? double(total) / repeat : 0.0;
    char b[64];
    std::snprintf(b, sizeof b, "%s%.2fms", average_text, average + 0.0);
    return b;
}

// The run ends on the message, not on a completion that did not happen.
bool no_sql(Program &p, const char *routine) {
    p.show_failure(show_entry, popup_yes, msg_no_sql, "", routine);
    return false;
}

// A timed statement that fails closes the chart window, and its message stays to the end of the
// run; a statement of blanks failed for want of SQL.
bool run_failed(Program &p, const char *routine) {
    if (p.forms.perf_plot)
        p.forms.perf_plot->unload();
    if (p.exec.silent_error.empty())
        return no_sql(p, routine);
    p.show_failure(show_text, popup_yes, msg_none, p.exec.silent_error, routine);
    return false;
}

// The average of `repeat` runs of sql in milliseconds, or none when a run failed.
std::optional<double> average_of(Program &p, const std::string &sql, int repeat) {
    int64_t total = 0;
    for (int i = 1; i <= repeat; ++i) {
        if (ZAL_sql(p, sql, false) != 0)
            return std::nullopt;
        total += static_cast<int64_t>(std::nearbyint(p.exec.sql_time * 1000));
    }
    return repeat > 0 ? double(total) / repeat : 0.0;
}

// The options of GRAPH and COMPARE: none is message 20, and TITLE is taken for both.
bool timing_options(Program &p, const char *routine, std::string &title, std::initializer_list<Option> own) {
    std::vector<Option> options(own);
    options.emplace_back("TITLE", title);
    return has_arguments(p, routine) && read_options(p, routine, options);
}

void finish_command(Program &p, const char *routine) {
    p.show_msg(show_entry, popup_no, msg_command_executed, "", routine);
    if (p.forms.perf_plot)
        p.forms.perf_plot->frame()->raise();
}

} // namespace

int16_t run_ms(double seconds) {
    const double ms = std::nearbyint(seconds * 1000);
    if (std::isnan(ms))
        return 0;
    return static_cast<int16_t>(std::clamp(ms, double(INT16_MIN), double(INT16_MAX)));
}

void cmd_gph(Program &p) {
    int color = pen_blue, repeat = 10;
    std::string title = default_title, sql;
    const bool ok = timing_options(
        p, "cmd_gph", title,
        {{"SQL", sql},
         {"REPEAT", [&](const std::string &value) { repeat = graph_repeat(value); }},
         {"COLOR", [&](const std::string &value) {
              color = upper(value) == "BLUE" ? pen_blue : upper(value) == "RED" ? pen_red : pen_green;
          }}});
    if (!ok)
        return;
    if (runlots(p, color, repeat, title, sql))
        finish_command(p, "cmd_gph");
}

void cmd_compare(Program &p) {
    int repeat = 1;
    std::string title = default_title, sql1, sql2, label1 = "SQL#1", label2 = "SQL#2";
    const bool ok = timing_options(p, "cmd_compare", title,
                                   {{"SQL1", sql1},
                                    {"SQL2", sql2},
                                    {"LABEL1", label1},
                                    {"LABEL2", label2},
                                    {"REPEAT", [&](const std::string &value) {
                                         if (const std::optional<double> n = strict_number(value))
                                             repeat = to_repeat(std::floor(*n));
                                     }}});
    if (!ok)
        return;
    if (runpair(p, title, sql1, label1, sql2, label2, repeat))
        finish_command(p, "cmd_compare");
}

bool runlots(Program &p, int color, int repeat, const std::string &title, const std::string &sql) {
    const std::string s = trim(sql);
    if (s.empty())
        return no_sql(p, "runlots");
    // The window may be closed while the run yields: it is looked at only through this.
    QPointer<ZALPerfPlot> window = &p.perf_plot();
    DataChart &chart = *window->Chart;
    chart.set_title_size(12);
    chart.set_title(title);
    chart.set_footnote_size(10);
    chart.set_footnote_location(DataChart::bottom_left);
    chart.set_footnote(" ");
    chart.set_column_count(1);
    chart.set_row_count(0);
    chart.set_chart_type(DataChart::line_3d);
    chart.set_show_legend(false);
    chart.set_column(1);
    chart.set_base_fill(base_fill);
    chart.set_series_pen(1, QColor(color == pen_red ? 255 : 0, color == pen_green ? 255 : 0,
                                   color == pen_blue ? 255 : 0));

    p.perf_plotting = true;
    show_in_front(*window);

    int32_t total = 0;
    for (int i = 1; i <= repeat + 1; ++i) {
        if (ZAL_sql(p, s, false) != 0)
            return run_failed(p, "runlots");
        if (i == 1)
            continue; // the warm-up run: caches filled, nothing recorded
        const int16_t ms = run_ms(p.exec.sql_time);
        total += ms;
        if (window) {
            DataChart &c = *window->Chart;
            c.set_row_count(i - 1);
            c.set_row(i - 1);
            c.set_row_label("");
            c.set_data(ms);
        }
        yield_events();
        if (!p.perf_plotting)
            break;
    }
    if (window)
        window->Chart->set_footnote(average_footnote(total, repeat));
    return true;
}

bool runpair(Program &p, const std::string &title, const std::string &sql1, const std::string &label1,
             const std::string &sql2, const std::string &label2, int repeat) {
    if (sql1.empty())
        return no_sql(p, "runpair");
    ZALPerfPlot &window = p.perf_plot();
    DataChart &chart = *window.Chart;
    chart.set_title(title);
    chart.set_column_count(1);
    chart.set_row_count(2);
    chart.set_chart_type(DataChart::bar_3d);
    chart.set_show_legend(false);
    chart.set_base_fill(base_fill);
    p.perf_plotting = true;
    window.show_form();

    // Nothing yields here, so the window stays as long as the runs go on.
    const std::optional<double> first = average_of(p, sql1, repeat);
    if (!first)
        return run_failed(p, "runpair");
    chart.set_series_pen(1, QColor(255, 0, 0));
    chart.set_column(1);
    chart.set_row(1);
    chart.set_row_label(label1);
    chart.set_data(*first);
    if (sql2.empty()) {
        chart.set_row_count(1);
        return true;
    }
    const std::optional<double> second = average_of(p, sql2, repeat);
    if (!second)
        return run_failed(p, "runpair");
    chart.set_column(1);
    chart.set_row(2);
    chart.set_row_label(label2);
    chart.set_data(*second);
    return true;
}

} // namespace kestle
