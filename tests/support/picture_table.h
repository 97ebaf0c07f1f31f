// A table PICTURES of small known pictures with their colour maps, and rgb registered, for the
// tests of the colour search; picture files read and written whole.
#pragma once

#include "bitmap8.h"
#include "palette.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace kestle_test {

inline std::vector<unsigned char> read_bytes(const std::filesystem::path &file) {
    std::ifstream in(file, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The colours of the cells the picture search shows, in cell order.
inline std::vector<kestle::Rgb> visible_colours() {
    std::vector<kestle::Rgb> v;
    for (int i = 0; i < kestle::palette_cells; ++i)
        if (kestle::palette_visible(i))
            v.push_back(kestle::tag_colour(kestle::palette_tag(i)));
    return v;
}

inline void write_bytes(const std::filesystem::path &file, const std::vector<unsigned char> &bytes) {
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline constexpr const char *create_rgb =
    "CREATE FUNCTION RGB (BLOB(1M), INTEGER, INTEGER, INTEGER) RETURNS INTEGER EXTERNAL NAME 'kestle!rgb' "
    "LANGUAGE C PARAMETER STYLE ZAL DETERMINISTIC NO SQL RETURNS NULL ON NULL INPUT";

// Palette cell i at colour-table entry i; the other entries hold the highlight colour.
inline std::array<kestle::Rgb, 256> palette_table() {
    std::array<kestle::Rgb, 256> t;
    t.fill(kestle::highlight_colour);
    for (int i = 0; i < kestle::palette_cells; ++i)
        t[static_cast<std::size_t>(i)] = kestle::tag_colour(kestle::palette_tag(i));
    return t;
}

inline std::string hex(const std::vector<unsigned char> &bytes) {
    std::string h = "X'";
    char b[3];
    for (unsigned char c : bytes) {
        std::snprintf(b, sizeof b, "%02X", c);
        h += b;
    }
    return h + "'";
}

// Picture n is (4 + n) x 3 pixels: its first row in cell 5 ("  0  72 170"), the rest in cell 1
// ("  0   0  85") when n is even, else in cell 0; its map lists exactly those cells.
inline std::vector<unsigned char> known_picture(int n) {
    const int width = 4 + n;
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width * 3), n % 2 == 0 ? 1 : 0);
    std::fill(pixels.begin(), pixels.begin() + width, 5);
    return kestle::bitmap8(width, 3, palette_table(), pixels);
}

inline void create_picture_table(Client &c, int count) {
    ASSERT_TRUE(c.run(create_rgb).ok()) << c.last.message;
    ASSERT_TRUE(c.run("CREATE TABLE PICTURES (PIC_NO INTEGER NOT NULL, PICTURE BLOB(1M), MAP BLOB(1K))").ok());
    std::string rows;
    for (int n = 1; n <= count; ++n) {
        const std::vector<kestle::Rgb> colours = {kestle::tag_colour(kestle::palette_tag(n % 2 == 0 ? 1 : 0)),
                                                  kestle::tag_colour(kestle::palette_tag(5))};
        rows += (n > 1 ? ", (" : "(") + std::to_string(n) + ", " + hex(known_picture(n)) + ", " +
                hex(kestle::colour_map(colours)) + ")";
    }
    if (count > 0) {
        const Result r = c.run("INSERT INTO PICTURES VALUES " + rows);
        ASSERT_TRUE(r.ok()) << r.message;
    }
}

} // namespace kestle_test
