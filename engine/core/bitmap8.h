// 8-bit bitmaps with a full colour table, the layout the picture highlight works on: the check
// that a file has it, the highlight pass over its pixels, and writing such a file.
#pragma once

#include "palette.h"

#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace kestle {

constexpr std::size_t bitmap8_table_offset = 54;   // 256 entries of blue, green, red, reserved
constexpr std::size_t bitmap8_pixel_offset = 1078; // one palette index a pixel, rows padded to 4
constexpr Rgb highlight_colour{255, 252, 0};
// A highlighted picture is never shorter than this: a smaller one is padded with zero bytes.
constexpr std::size_t highlight_file_size = 100000;

// A Windows bitmap of 8 bits a pixel, uncompressed, with a 40-byte information header and a
// full 256-entry colour table, so that its pixels start at byte 1078.
bool is_bitmap8(std::span<const unsigned char> file);

// Colour-table entry i of such a file.
Rgb bitmap8_entry(std::span<const unsigned char> file, int i);

// Sets every pixel byte (row padding included) that holds the last colour-table entry of the
// colour to the last entry that holds the highlight colour (entry 255 when none does); returns
// how many bytes changed. The file must pass is_bitmap8.
long highlight_pixels(std::span<unsigned char> file, Rgb colour);

// Writes `out` anew as the picture in `in` with the colour highlighted, padded with zero bytes
// to highlight_file_size, and returns the pixels recoloured. A file that cannot be read or
// lacks the layout gives 0 and an `out` of zero bytes only, which holds no picture. When `out`
// cannot be written whole there is no `out` afterwards, not a part of one.
long highlight_file(const std::string &in, const std::string &out, Rgb colour);

// The bytes of such a bitmap: `pixels` holds width x height palette indices, top row first.
std::vector<unsigned char> bitmap8(int width, int height, std::span<const Rgb, 256> table,
                                   std::span<const unsigned char> pixels);

} // namespace kestle
