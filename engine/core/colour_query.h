// The query of the picture search: one rgb condition on the stored colour map for each colour
// marked, in stored form ("~" marks its line breaks), and the line that reports what it found.
#pragma once

#include <span>
#include <string>

namespace kestle {

struct ColourQuery {
    std::string sql;
    int colours = 0; // conditions appended; none means there is nothing to run
};

// The colours are colour strings ("  0  72 170"), in cell order; use_and joins the conditions
// with " and ", else with " or ".
ColourQuery colour_query(std::span<const std::string> colours, bool use_and);

// "1 picture found", "0 pictures found", "12 pictures found".
std::string pictures_found_text(int n);

// The highest first picture of the scroll bar: the last four pictures fill the upper row.
inline int scroll_max(int pics_found) { return pics_found > 4 ? pics_found - 4 : 0; }

} // namespace kestle
