// PLOT and its three drawing routines: the current output window's grid into ZALGraph.
#include "charts.h"

#include "commands.h"
#include "data_chart.h"
#include "grid.h"
#include "program.h"
#include "zal_graph.h"
#include "zal_output.h"

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestle {

namespace {

// The chart kinds of PLOT. The routines take grid columns (from 0) and the data rows
// first_row to last_row of the grid.
enum class PlotKind { Line, Line2D, Bar, Bar2D, Pie, Menu };

constexpr const char *no_output = "No output currently defined";
constexpr const char *default_title = "Data Plot";

struct KindEntry {
    const char *keyword;
    PlotKind kind;
    int chart_type;
};

constexpr KindEntry kinds[] = {
    {"LINE", PlotKind::Line, DataChart::line_3d}, {"2DLINE", PlotKind::Line2D, DataChart::line_2d},
    {"BAR", PlotKind::Bar, DataChart::bar_3d},    {"2DBAR", PlotKind::Bar2D, DataChart::bar_2d},
    {"PIE", PlotKind::Pie, DataChart::pie_2d},    {"MENU", PlotKind::Menu, 0},
};

int chart_type(PlotKind kind) {
    for (const KindEntry &k : kinds)
        if (k.kind == kind)
            return k.chart_type;
    return DataChart::line_2d;
}

// A column number: the value rounded down; one that is not a number or does not fit 16 bits
// leaves the setting as it was.
void read_column(const std::string &value, int &setting) {
    const std::optional<double> v = strict_number(value);
    if (!v)
        return;
    const double whole = std::floor(*v);
    if (whole >= INT16_MIN && whole <= INT16_MAX)
        setting = static_cast<int>(whole);
}

// The value of a cell: the number at the head of its text, 0 when there is none.
double cell_value(const Grid &grid, int row, int col) { return lenient_number(grid.text_matrix(row, col)); }

DataChart &start_chart(Program &p, const std::string &title, PlotKind kind) {
    DataChart &chart = *p.graph().Chart;
    chart.set_title(title);
    chart.set_chart_type(chart_type(kind));
    return chart;
}

void show_graph(Program &p) { p.graph().show_form(); }

void plot_line(Program &p, const Grid &grid, PlotKind kind, int first_row, int last_row, int group_col,
               int labels_col, int data_col, const std::string &title) {
    DataChart &chart = start_chart(p, title, kind);
    chart.set_column_count(1);
    chart.set_row_count(0);
    std::string group = first_row <= last_row ? grid.text_matrix(first_row, group_col) : std::string();
    chart.set_column(1);
    chart.set_column_label(group);
    chart.set_show_legend(false);
    // Each run of equal group values is one series; the k-th row of a run lands on chart row k.
    int series = 1, position = 0;
    for (int r = first_row; r <= last_row; ++r) {
        const std::string g = grid.text_matrix(r, group_col);
        if (g != group) {
            group = g;
            ++series;
            chart.set_column_count(series);
            chart.set_column(series);
            chart.set_column_label(group);
            position = 0;
        }
        ++position;
        if (position > chart.row_count()) {
            chart.set_row_count(position);
            chart.set_row(position);
            chart.set_row_label(grid.text_matrix(r, labels_col));
        }
        chart.set_column(series);
        chart.set_row(position);
        chart.set_data(cell_value(grid, r, data_col));
    }
    show_graph(p);
}

void plot_bar(Program &p, const Grid &grid, PlotKind kind, int first_row, int last_row, int labels_col, int data_col,
              const std::string &title) {
    DataChart &chart = start_chart(p, title, kind);
    chart.set_column_count(1);
    chart.set_row_count(last_row - first_row + 1);
    chart.set_column(1);
    chart.set_column_label("");
    chart.set_show_legend(false);
    for (int r = first_row, at = 1; r <= last_row; ++r, ++at) {
        chart.set_row(at);
        chart.set_row_label(grid.text_matrix(r, labels_col));
        chart.set_data(cell_value(grid, r, data_col));
    }
    show_graph(p);
}

void plot_pie(Program &p, const Grid &grid, int first_row, int last_row, int labels_col, int data_col,
              const std::string &title) {
    DataChart &chart = start_chart(p, title, PlotKind::Pie);
    chart.set_column_count(last_row - first_row + 1);
    chart.set_row_count(1);
    chart.set_row(1);
    chart.set_row_label("");
    chart.set_column(1);
    chart.set_show_legend(true);
    for (int r = first_row, at = 1; r <= last_row; ++r, ++at) {
        chart.set_column(at);
        chart.set_column_label(grid.text_matrix(r, labels_col));
        chart.set_data(cell_value(grid, r, data_col));
    }
    show_graph(p);
}

} // namespace

void cmd_plot(Program &p) {
    const auto *out =
        dynamic_cast<ZALOutput *>(form_at(p, find_form(p, window_output, p.forms.cur_sql_slot)));
    if (!out) {
        p.run.cmd_error = true;
        p.message_box(no_output);
        return;
    }
    if (!has_arguments(p, "cmd_plot"))
        return;
    PlotKind kind = PlotKind::Line;
    int group = 0, labels = 0, data = 0;
    std::string title = default_title;
    std::vector<Option> options = {
        {"GROUP", [&](const std::string &value) { read_column(value, group); }},
        {"LABELS", [&](const std::string &value) { read_column(value, labels); }},
        {"DATA", [&](const std::string &value) { read_column(value, data); }},
        {"TITLE", title},
    };
    for (const KindEntry &k : kinds)
        options.emplace_back(k.keyword, [&kind, &k](const std::string &) { kind = k.kind; });
    if (!read_options(p, "cmd_plot", options))
        return;

    // A column must be one of the result's: a number past its columns is as invalid as 0. The
    // refusal marks the run, so that "Command completed" does not replace it.
    const Grid &grid = *out->DataValues;
    auto valid = [&grid](int col) { return col >= 1 && col <= grid.cols(); };
    auto refuse = [&p](int msgno) {
        p.show_failure(show_entry, popup_yes, msgno, "", "cmd_plot");
    };
    const int first_row = 1, last_row = grid.rows() - 1;
    switch (kind) {
    case PlotKind::Line:
    case PlotKind::Line2D:
        if (!valid(group) || !valid(labels) || !valid(data)) {
            refuse(msg_plot_line);
            return;
        }
        plot_line(p, grid, kind, first_row, last_row, group - 1, labels - 1, data - 1, title);
        break;
    case PlotKind::Bar:
    case PlotKind::Bar2D:
        if (!valid(labels) || !valid(data)) {
            refuse(msg_plot_bar);
            return;
        }
        plot_bar(p, grid, kind, first_row, last_row, labels - 1, data - 1, title);
        break;
    case PlotKind::Pie:
        if (!valid(labels) || !valid(data)) {
            refuse(msg_plot_pie);
            return;
        }
        plot_pie(p, grid, first_row, last_row, labels - 1, data - 1, title);
        break;
    case PlotKind::Menu:
        show_graph(p);
        break;
    }
    p.show_msg(show_entry, popup_no, msg_command_executed, "", "cmd_plot");
    p.graph().frame()->raise();
}

} // namespace kestle
