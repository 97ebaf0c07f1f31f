// The houses of the map demonstration and the statements that make them: the table, the six
// position functions, the spatial index over the positions, the setup script.
#pragma once

#include "spatial_query.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace spatial {

// The map: 10 by 10 blocks of 480 twips. Streets run along every block edge; the houses of a
// block stand in two rows, each facing the street along its side.
inline constexpr int map_twips = kestle::map_size;
inline constexpr int block_twips = kestle::block_size;
inline constexpr int blocks = kestle::blocks_across;
inline constexpr int street_twips = 72;     // the width of a street, centred on the block edge
inline constexpr int setback_twips = 110;   // from a street's middle to the houses facing it
inline constexpr int most_in_a_block = 31;

struct House {
    int32_t id = 0;
    std::string address; // "1417 3rd Street": the number is the position east, in twips
    int32_t area = 0;
    int32_t price = 0;
    int32_t bedrooms = 0;
    int32_t bathrooms = 0;
    int x = 0; // position on the map, twips from its top-left corner
    int y = 0;
    int lot_width = 0; // twips of street front
};

// What a block of the map holds.
enum class Ground { houses, townhouses, park, lake, school };
Ground ground(int bx, int by);

// The houses of the demonstration, block by block (numbered in that order).
std::vector<House> demo_houses();

// count houses spread evenly over the whole map with values of every band, for measuring;
// numbered along the streets.
std::vector<House> generated_houses(int count);

// The address of a house at x facing the street at street_row (0 = the top edge); the side of
// the street follows from it: odd numbers stand south of it, even numbers north.
std::string address(int x, int street_row);

// REAL_ESTATE, the six position functions, the spatial index and its view REAL_ESTATE_INDEX,
// each made only when it is missing.
std::vector<std::string> schema_statements();
// The position functions alone.
std::vector<std::string> function_statements();
// The index filled afresh from the houses' addresses.
std::vector<std::string> index_statements();
// One INSERT of the houses into table.
std::string insert_statement(std::span<const House> houses, const std::string &table = "REAL_ESTATE");

// The setup script: every statement, "$" before each, so that it runs whatever the runner's
// delimiter; no statement inserts a house twice.
std::string setup_script(std::span<const House> houses);

} // namespace spatial
