// The window-free picture work: the palette, the colour query, the bitmap check and the
// highlight pass.
#include "bitmap8.h"
#include "colour_query.h"
#include "palette.h"

#include <picture_table.h>
#include <test_support.h>

#include <gtest/gtest.h>

#include <array>

using namespace kestle;
using kestle_test::read_bytes;
using kestle_test::visible_colours;
using kestle_test::write_bytes;

namespace {

// A colour table of grey (1, 1, 1) with the given entries.
std::array<Rgb, 256> table_with(std::initializer_list<std::pair<int, Rgb>> entries) {
    std::array<Rgb, 256> t;
    t.fill({1, 1, 1});
    for (const auto &[i, c] : entries)
        t[static_cast<std::size_t>(i)] = c;
    return t;
}

constexpr Rgb teal{10, 20, 30};

} // namespace

TEST(Palette, CellsAndTheirColourStrings) {
    EXPECT_EQ(palette_tag(0), "  0   0   0");
    EXPECT_EQ(palette_tag(1), "  0   0  85");
    EXPECT_EQ(palette_tag(5), "  0  72 170");
    EXPECT_EQ(palette_tag(84), "252 216 170");
    EXPECT_EQ(palette_tag(89), "255 255 255");
    EXPECT_EQ(palette_tag(90), "");
    for (int i = 0; i < palette_cells; ++i) {
        ASSERT_EQ(palette_tag(i).size(), 11u) << i;
        const Rgb c = tag_colour(palette_tag(i));
        EXPECT_TRUE(c.red % 36 == 0 || c.red == 255) << i;
        EXPECT_TRUE(c.blue % 85 == 0) << i;
    }
    EXPECT_EQ(tag_colour("  0  72 170"), (Rgb{0, 72, 170}));

    int hidden = 0;
    for (int i = 0; i < palette_cells; ++i)
        hidden += palette_visible(i) ? 0 : 1;
    EXPECT_EQ(hidden, 18);
    for (int i : {26, 27, 39, 40, 51, 52, 56, 64, 67, 79, 80, 81, 83, 85, 86, 87, 88, 89})
        EXPECT_FALSE(palette_visible(i)) << i;
    const std::vector<Rgb> shown = visible_colours();
    ASSERT_EQ(shown.size(), 72u);
    // The shown colours are all different, and none is the highlight colour.
    for (std::size_t i = 0; i < shown.size(); ++i) {
        EXPECT_NE(shown[i], highlight_colour);
        for (std::size_t j = i + 1; j < shown.size(); ++j)
            EXPECT_NE(shown[i], shown[j]) << i << " " << j;
    }

    const std::vector<Rgb> two = {teal, {0, 255, 255}};
    EXPECT_EQ(colour_map(two), (std::vector<unsigned char>{10, 20, 30, 0, 0, 255, 255, 0, 255, 0, 0, 0}));
}

TEST(ColourQuery, TheWorkedExampleAndItsJoins) {
    const std::vector<std::string> cells = {palette_tag(1), palette_tag(5)};
    const ColourQuery any = colour_query(cells, false);
    EXPECT_EQ(any.sql, "select pic_no, picture, map from pictures ~  where  ~    rgb(map,  0,  0, 85) >= 1 or "
                       "~    rgb(map,  0, 72,170) >= 1");
    EXPECT_EQ(any.colours, 2);
    EXPECT_EQ(colour_query(cells, true).sql,
              "select pic_no, picture, map from pictures ~  where  ~    rgb(map,  0,  0, 85) >= 1 and "
              "~    rgb(map,  0, 72,170) >= 1");
    const ColourQuery none = colour_query({}, true);
    EXPECT_EQ(none.sql, "select pic_no, picture, map from pictures ~  where ");
    EXPECT_EQ(none.colours, 0);

    EXPECT_EQ(pictures_found_text(0), "0 pictures found");
    EXPECT_EQ(pictures_found_text(1), "1 picture found");
    EXPECT_EQ(pictures_found_text(100), "100 pictures found");
    for (auto [found, max] : {std::pair{0, 0}, {1, 0}, {4, 0}, {5, 1}, {10, 6}, {100, 96}})
        EXPECT_EQ(scroll_max(found), max) << found;
}

TEST(Bitmap8, OnlyTheLayoutOfTheHighlightIsAccepted) {
    const std::vector<unsigned char> pixels(6, 0);
    const std::vector<unsigned char> good = bitmap8(3, 2, table_with({}), pixels);
    EXPECT_EQ(good.size(), 1078u + 2 * 4);
    EXPECT_TRUE(is_bitmap8(good));
    EXPECT_EQ(bitmap8_entry(good, 255), (Rgb{1, 1, 1}));

    struct Fault {
        const char *what;
        std::size_t at;
        std::vector<unsigned char> bytes;
    };
    const Fault faults[] = {
        {"not a bitmap", 0, {'P', 'K'}},
        {"pixels elsewhere", 10, {0x37, 0x04}}, // 1079
        {"another header", 14, {124}},
        {"24 bits a pixel", 28, {24}},
        {"run-length coded", 30, {1}},
        {"a short colour table", 46, {16}},
    };
    for (const Fault &f : faults) {
        std::vector<unsigned char> bad = good;
        std::copy(f.bytes.begin(), f.bytes.end(), bad.begin() + static_cast<std::ptrdiff_t>(f.at));
        EXPECT_FALSE(is_bitmap8(bad)) << f.what;
    }
    EXPECT_FALSE(is_bitmap8(std::vector<unsigned char>(good.begin(), good.begin() + 1077)));
    EXPECT_FALSE(is_bitmap8({}));
}

TEST(Bitmap8, HighlightCountsTheLaterOfTwoEntriesAndRecoloursToTheLastEntry) {
    // Entries 3 and 7 both hold the colour and no entry holds the highlight colour.
    const std::vector<unsigned char> pixels = {3, 7, 7, 1, 7, 3, 0, 0};
    std::vector<unsigned char> picture = bitmap8(4, 2, table_with({{3, teal}, {7, teal}}), pixels);
    EXPECT_EQ(highlight_pixels(picture, teal), 3);
    const std::vector<unsigned char> rows(picture.begin() + 1078, picture.end());
    // Bottom row first: the second row of pixels, then the first.
    EXPECT_EQ(rows, (std::vector<unsigned char>{255, 3, 0, 0, 3, 255, 255, 1}));

    // The last of two highlight entries is used; a colour no entry holds changes nothing.
    picture = bitmap8(4, 2, table_with({{7, teal}, {9, highlight_colour}, {200, highlight_colour}}), pixels);
    EXPECT_EQ(highlight_pixels(picture, {99, 99, 99}), 0);
    EXPECT_EQ(highlight_pixels(picture, teal), 3);
    EXPECT_EQ(picture[1078 + 5], 200);

    // Row padding that holds the colour's index counts like a pixel.
    picture = bitmap8(3, 2, table_with({{0, teal}}), std::vector<unsigned char>{0, 5, 5, 5, 5, 5});
    EXPECT_EQ(highlight_pixels(picture, teal), 3);
}

TEST(Bitmap8, HighlightedFileIsPaddedOrWholeAndBadFilesGiveNoPicture) {
    kestle_test::TempDir dir;
    const auto in = dir / "in.bmp";
    const auto out = (dir / "changed.bmp").string();

    const std::vector<unsigned char> small = bitmap8(4, 2, table_with({{7, teal}}), std::vector<unsigned char>(8, 7));
    write_bytes(in, small);
    EXPECT_EQ(highlight_file(in.string(), out, teal), 8);
    std::vector<unsigned char> written = read_bytes(out);
    ASSERT_EQ(written.size(), highlight_file_size);
    EXPECT_EQ(written[1078], 255);
    EXPECT_TRUE(std::all_of(written.begin() + static_cast<std::ptrdiff_t>(small.size()), written.end(),
                            [](unsigned char b) { return b == 0; }));

    // A picture past the padded size is worked on and written whole, its last pixel included.
    std::vector<unsigned char> pixels(400 * 300, 1);
    pixels.front() = 7; // the top row comes last in the file
    const std::vector<unsigned char> large = bitmap8(400, 300, table_with({{7, teal}}), pixels);
    ASSERT_GT(large.size(), highlight_file_size);
    write_bytes(in, large);
    EXPECT_EQ(highlight_file(in.string(), out, teal), 1);
    written = read_bytes(out);
    ASSERT_EQ(written.size(), large.size());
    EXPECT_EQ(written[large.size() - 400], 255);

    // A file that cannot be read, or lacks the layout, gives 0 and zero bytes only.
    std::vector<unsigned char> wide = small;
    wide[28] = 24;
    for (const auto &bytes : {std::vector<unsigned char>{}, std::vector<unsigned char>{'B', 'M', 1, 2, 3}, wide}) {
        write_bytes(in, bytes);
        EXPECT_EQ(highlight_file(in.string(), out, teal), 0);
        written = read_bytes(out);
        EXPECT_EQ(written.size(), highlight_file_size);
        EXPECT_TRUE(std::all_of(written.begin(), written.end(), [](unsigned char b) { return b == 0; }));
    }
    EXPECT_EQ(highlight_file((dir / "missing.bmp").string(), out, teal), 0);
    EXPECT_EQ(read_bytes(out).size(), highlight_file_size);
}
