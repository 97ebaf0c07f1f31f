#include "colour_query.h"

namespace kestle {

ColourQuery colour_query(std::span<const std::string> colours, bool use_and) {
    ColourQuery q{"select pic_no, picture, map from pictures ~  where ", 0};
    std::string join = " ";
    for (const std::string &c : colours) {
        const std::string fields = c.substr(0, 3) + "," + (c.size() > 4 ? c.substr(4, 3) : "") + "," +
                                   (c.size() > 8 ? c.substr(8, 3) : "");
        q.sql += join + "~    rgb(map," + fields + ") >= 1";
        ++q.colours;
        join = use_and ? " and " : " or ";
    }
    return q;
}

std::string pictures_found_text(int n) { return std::to_string(n) + " picture" + (n == 1 ? "" : "s") + " found"; }

} // namespace kestle
