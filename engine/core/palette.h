// The 90-colour palette of the picture search and the picture viewer, and the colour map that
// is stored with each picture for the rgb routine.
#pragma once

#include <span>
#include <string>
#include <vector>

namespace kestle {

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const Rgb &) const = default;
};

constexpr int palette_cells = 90;

// Cell i's colour as its Tag holds it: red, green and blue right-aligned in three characters,
// one blank between them ("  0  72 170"). Cells outside 0 to 89 give "".
const std::string &palette_tag(int cell);

// Red, green and blue of a colour string: the numbers in characters 1-3, 5-7 and 9-11.
Rgb tag_colour(const std::string &tag);

// Whether the picture search shows the cell; 18 cells, the last four whites among them, are
// never shown there.
bool palette_visible(int cell);

// A picture's colour map: an entry {red, green, blue, 0} for each colour, then the end entry
// (red 255). Its reader stops at 65 entries, so a map is meant to hold fewer.
std::vector<unsigned char> colour_map(std::span<const Rgb> colours);

} // namespace kestle
