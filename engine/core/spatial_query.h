// The map search's statements: the search built from four criteria and the drawn rectangle,
// the statement of one map block, and the price bands its markers are coloured by.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace kestle {

// Map measures, in twips: the picture is 10 by 10 blocks of 480.
inline constexpr int map_size = 4800;
inline constexpr int block_size = 480;
inline constexpr int blocks_across = 10;

// The criteria, in the order the search statement takes them.
enum class Criterion { price, area, bedrooms, bathrooms };

// One choice of a criterion: its option caption, its summary caption, its condition text
// (none for "Any").
struct Choice {
    const char *option;
    const char *summary;
    const char *condition;
};

// The choices of a criterion; value v is element v - 1, and value 1 is "Any".
std::span<const Choice> choices(Criterion c);
// The condition text of a value; empty for "Any", 0 and every value outside the choices.
std::string condition_text(Criterion c, int value);

// The criteria of a search and what the last search built from them.
struct MapQuery {
    int16_t price_sel = 0; // 0 and 1 add no condition
    int16_t area_sel = 0;
    int16_t beds_sel = 0;
    int16_t baths_sel = 0;
    std::string with_clause; // the HOUSEID expression of the last search; empty without a rectangle
    std::string where_conds; // the conditions of the last search, joined
    std::string query_sql;   // the last search statement, with its marks

    int16_t &selection(Criterion c);
};

// The drawn rectangle and the picture it lies on, in twips of the window.
struct SelectBox {
    double left, top, width, height;
    double picture_left, picture_top;
};

// The search statement, with marks; keeps with_clause and where_conds for the block
// statements that follow. Without a box the search covers the whole map.
std::string Gen_SQL(MapQuery &q, const std::optional<SelectBox> &select_area);

// The statement of block column bx, row by, with the conditions of the last search.
std::string block_sql(const MapQuery &q, int16_t bx, int16_t by);

// A number rounded to a Long, a half to the even neighbour; limited to the Long range.
int32_t round_long(double v);

// A number as the platform's conversion writes it: a blank before a non-negative one.
std::string signed_text(long n);

// Marker colours: red + 256 x green + 65536 x blue, by price band (0 = 450000 and more).
inline constexpr std::array<int32_t, 7> band_colors = {
    0 + 256 * 255 + 65536 * 255, // 0 cyan
    255 + 0 + 65536 * 255,       // 1 magenta
    0 + 0 + 65536 * 255,         // 2 blue
    0 + 256 * 255 + 0,           // 3 green
    255 + 256 * 255 + 0,         // 4 yellow
    255 + 256 * 128 + 0,         // 5 orange
    255 + 0 + 0,                 // 6 red
};

// The band of a price: 1 below 200000, then one band for each 50000 up to 6, else 0.
int price_band(int32_t price);

} // namespace kestle
