// The result charts: PLOT draws the grid of the current output window as a line, bar or pie
// chart in the result chart window.
#pragma once

namespace kestle {

class Program;

void cmd_plot(Program &p);

} // namespace kestle
