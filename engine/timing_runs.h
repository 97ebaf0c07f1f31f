// The timing runs: GRAPH times one statement run after run as a growing line, COMPARE two
// statements as two bars of their average times, both in the timing chart window.
#pragma once

#include <cstdint>
#include <string>

namespace kestle {

class Program;

void cmd_gph(Program &p);
void cmd_compare(Program &p);

// Pen colour codes of runlots: any other code leaves the pen black.
inline constexpr int pen_red = 1;
inline constexpr int pen_green = 2;
inline constexpr int pen_blue = 3;

// The milliseconds GRAPH records for a run of `seconds`: to the nearest (a half to the even
// neighbour), in 16 bits, so a run longer than 32767 ms is recorded as 32767.
int16_t run_ms(double seconds);

// One warm-up run, then `repeat` recorded ones; it yields after each and stops when
// perf_plotting is cleared meanwhile. False when nothing could run or a run failed (reported).
bool runlots(Program &p, int color, int repeat, const std::string &title, const std::string &sql);
// Each statement `repeat` times, without warm-up or yield; one bar of the average time each.
// False as runlots.
bool runpair(Program &p, const std::string &title, const std::string &sql1, const std::string &label1,
             const std::string &sql2, const std::string &label2, int repeat);

} // namespace kestle
