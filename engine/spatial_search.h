// The map search's own query runner: it runs one statement on the program's connection and
// keeps its rows as whole numbers, and it turns a block's rows into houses.
#pragma once

#include "spatial_query.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kestle {

class Program;

// One house of a block: its place in the block (0 to 99 each way) and its values.
struct home_rec {
    int32_t x = 0;
    int32_t y = 0;
    int32_t area = 0;
    int32_t price = 0;
    int32_t baths = 0;
    int32_t beds = 0;
};

// What the map search keeps while its window is closed: the criteria and the statements of
// the last search, the rows of the last statement, the houses of the last block, and the
// window's own variables.
struct SpatialSearch {
    static constexpr int max_rows = 1100;   // rows of results stored; more are counted
    static constexpr int max_columns = 10;  // columns of results stored
    static constexpr int max_homes = 32;    // houses of homes stored; more are counted

    MapQuery query;
    // results[r][j]: column j of fetched row r, both from 1.
    std::vector<std::array<int32_t, max_columns + 1>> results =
        std::vector<std::array<int32_t, max_columns + 1>>(max_rows + 1);
    int32_t row_count = 0;
    std::array<home_rec, max_homes + 1> homes{}; // 1 to home_count
    int32_t home_count = 0;

    // The window's variables.
    std::array<int32_t, 11> band_color{};
    int16_t house_count = 0; // -1 error, 0 none, else the markers 1 to house_count
    bool mouse_down = false;
    bool dragging = false;
    int16_t anchor_x = 0; // the last press on the map, twips from its top-left corner
    int16_t anchor_y = 0;
};

// Runs sql (with marks) and keeps its rows in results: -1 on an error or nothing to run, 0 for
// no rows, else the number of rows (all counted; the first 1100 kept).
int SQLresults(Program &p, const std::string &sql);
// The database's message in a message box, then the statement dropped and committed.
void FormatError(Program &p);
// The houses of a block statement into homes: their number, -1 on an error.
int32_t get_homes(Program &p, const std::string &sql);

} // namespace kestle
