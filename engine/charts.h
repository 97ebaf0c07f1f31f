// The result charts: PLOT draws the grid of the current output window as a line, bar or pie
// chart in the result chart window.
#pragma once

#include <string>

namespace kestle {

class Grid;
class Program;

void cmd_plot(Program &p);

// The chart kinds of PLOT. The routines take grid columns (from 0) and the data rows
// first_row to last_row of the grid.
enum class PlotKind { Line, Line2D, Bar, Bar2D, Pie, Menu };

void plot_line(Program &p, const Grid &grid, PlotKind kind, int first_row, int last_row, int group_col,
               int labels_col, int data_col, const std::string &title);
void plot_bar(Program &p, const Grid &grid, PlotKind kind, int first_row, int last_row, int labels_col, int data_col,
              const std::string &title);
void plot_pie(Program &p, const Grid &grid, int first_row, int last_row, int labels_col, int data_col,
              const std::string &title);

} // namespace kestle
