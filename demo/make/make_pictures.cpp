// Draws the pictures of the colour-search demonstration: skies, seas, fields, sunsets, flowers,
// buildings, mountains and night scenes, each an 8-bit bitmap in the colours of the search
// palette, with the colour map that lists exactly the colours its pixels use. A fixed seed
// makes every build draw the same pictures.
//
// make_pictures <directory> <count>: writes picNN.bmp and picNN.map for NN = 01 to count.
#include "bitmap8.h"
#include "palette.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

using kestle::Rgb;
using Cell = unsigned char; // a palette cell; the colour table holds cell i at entry i

// The palette's shown colours by what they paint.
constexpr Cell black = 0, navy = 1, pine = 2, deep_sea = 3, ocean = 5, indigo = 7, soil = 8, night = 9,
               forest = 10, royal = 12, leaf = 13, sea_blue = 14, wine = 15, plum = 16, bark = 17, aubergine = 18,
               asphalt = 20, dusk = 21, grass_dark = 22, moss = 23, steel = 24, meadow = 25, rust = 28,
               mulberry = 29, brown = 30, brick_dark = 31, violet = 32, stone_dark = 34, mountain = 35, grass = 36,
               sage = 37, haze = 38, ochre = 43, sand_dark = 44, lilac = 45, stone = 47, grey_blue = 48, lime = 49,
               mist = 50, brick = 53, amber = 54, terracotta = 55, mustard = 57, sand = 58, mauve = 59,
               wheat_dark = 60, concrete = 62, sky = 66, salmon = 68, orange = 69,
               apricot = 70, pink = 71, gold = 72, wheat = 73, blush = 74, lavender = 75, lemon = 76, cream = 77,
               cloud = 78, rose = 82, ivory = 84;

constexpr int width = 320;
constexpr int height = 240;

class Random {
public:
    explicit Random(unsigned seed) : engine_(seed) {}
    // The engine's own output is fixed by the language; its distributions are not.
    int between(int lo, int hi) { return lo + static_cast<int>(engine_() % static_cast<unsigned>(hi - lo + 1)); }
    template <class T>
    T pick(std::initializer_list<T> choices) {
        return *(choices.begin() + between(0, static_cast<int>(choices.size()) - 1));
    }

private:
    std::mt19937 engine_;
};

class Canvas {
public:
    std::vector<unsigned char> pixels = std::vector<unsigned char>(width * height, black);

    void set(int x, int y, Cell c) {
        if (x >= 0 && x < width && y >= 0 && y < height)
            pixels[static_cast<std::size_t>(y * width + x)] = c;
    }
    void rect(int x0, int y0, int x1, int y1, Cell c) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                set(x, y, c);
    }
    void ellipse(int cx, int cy, int rx, int ry, Cell c) {
        for (int y = cy - ry; y <= cy + ry; ++y)
            for (int x = cx - rx; x <= cx + rx; ++x) {
                const double dx = double(x - cx) / std::max(rx, 1), dy = double(y - cy) / std::max(ry, 1);
                if (dx * dx + dy * dy <= 1.0)
                    set(x, y, c);
            }
    }
    void triangle(int x0, int y0, int x1, int y1, int x2, int y2, Cell c) {
        auto edge = [](int ax, int ay, int bx, int by, int px, int py) {
            return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
        };
        for (int y = std::min({y0, y1, y2}); y <= std::max({y0, y1, y2}); ++y)
            for (int x = std::min({x0, x1, x2}); x <= std::max({x0, x1, x2}); ++x) {
                const int a = edge(x0, y0, x1, y1, x, y), b = edge(x1, y1, x2, y2, x, y), d = edge(x2, y2, x0, y0, x, y);
                if ((a >= 0 && b >= 0 && d >= 0) || (a <= 0 && b <= 0 && d <= 0))
                    set(x, y, c);
            }
    }
    // Rows y0 to y1 fade through the colours, neighbours mixed by an ordered dither.
    void gradient(int y0, int y1, std::initializer_list<Cell> colours) {
        static constexpr int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
        const std::vector<Cell> c(colours);
        const int stops = static_cast<int>(c.size()) - 1;
        for (int y = y0; y < y1; ++y) {
            const double f = stops * double(y - y0) / std::max(y1 - y0 - 1, 1);
            const int k = std::min(static_cast<int>(f), std::max(stops - 1, 0));
            const double frac = f - k;
            for (int x = 0; x < width; ++x) {
                const bool next = stops > 0 && frac * 16 > bayer[y & 3][x & 3];
                set(x, y, c[static_cast<std::size_t>(next ? k + 1 : k)]);
            }
        }
    }
    // Everything from a wavy line down to y1 in one colour.
    void hill(int base, int amplitude, double wavelength, double phase, int y1, Cell c) {
        for (int x = 0; x < width; ++x) {
            const int top = base - static_cast<int>(amplitude * std::sin(x / wavelength + phase));
            for (int y = top; y < y1; ++y)
                set(x, y, c);
        }
    }
};

void cloud_bank(Canvas &c, Random &r, int cx, int cy) {
    const int puffs = r.between(3, 6);
    for (int i = 0; i < puffs; ++i) {
        const int x = cx + r.between(-30, 30), y = cy + r.between(-6, 6), rx = r.between(12, 24), ry = r.between(7, 12);
        c.ellipse(x, y + 4, rx, ry, lavender);
        c.ellipse(x, y, rx, ry, cloud);
    }
}

void sky_scene(Canvas &c, Random &r) {
    c.gradient(0, height, {ocean, royal, sea_blue, steel, sky});
    const int sx = r.between(40, 280), sy = r.between(25, 70);
    c.ellipse(sx, sy, 22, 22, lemon);
    c.ellipse(sx, sy, 16, 16, ivory);
    for (int i = r.between(3, 5); i > 0; --i)
        cloud_bank(c, r, r.between(20, 300), r.between(30, 150));
    c.hill(205, 8, r.between(30, 60), r.between(0, 6), height, meadow);
    c.hill(222, 6, r.between(20, 40), r.between(0, 6), height, sage);
}

void sea_scene(Canvas &c, Random &r) {
    const int horizon = r.between(95, 125);
    c.gradient(0, horizon, {sea_blue, steel, sky, cloud});
    if (r.between(0, 1))
        cloud_bank(c, r, r.between(40, 280), r.between(20, horizon - 30));
    c.gradient(horizon, height, {sea_blue, ocean, deep_sea});
    for (int i = 0; i < 160; ++i) {
        const int y = r.between(horizon + 3, height - 1);
        const int len = 2 + (y - horizon) / 8;
        const int x = r.between(0, width - 1);
        c.rect(x, y, x + len, y + 1, r.pick({mist, sky}));
    }
    if (r.between(0, 1)) // an island on the horizon
        c.ellipse(r.between(30, 290), horizon, r.between(30, 60), r.between(8, 14), forest);
    const int bx = r.between(70, 250), by = horizon + r.between(30, 70);
    c.triangle(bx - 30, by, bx + 30, by, bx + 22, by + 10, brown);
    c.rect(bx - 22, by + 8, bx + 22, by + 10, rust);
    c.rect(bx - 1, by - 50, bx + 1, by, bark);
    c.triangle(bx + 3, by - 48, bx + 3, by - 4, bx + 30, by - 4, cream);
    c.triangle(bx - 3, by - 40, bx - 3, by - 4, bx - 24, by - 4, ivory);
}

void field_scene(Canvas &c, Random &r) {
    const int horizon = r.between(80, 110);
    c.gradient(0, horizon + 10, {sea_blue, steel, sky});
    cloud_bank(c, r, r.between(40, 280), r.between(20, 50));
    struct Crop {
        Cell ground, furrow;
    };
    const Crop crops[] = {{grass, grass_dark}, {gold, mustard}, {lime, sage}, {wheat, ochre}, {wheat_dark, stone}};
    int top = horizon;
    int band = r.between(0, 4);
    while (top < height) {
        const Crop crop = crops[band % 5];
        const int depth = 14 + (top - horizon) / 2 + r.between(0, 10);
        c.hill(top, r.between(2, 6), r.between(25, 70), r.between(0, 6), height, crop.ground);
        for (int y = top + 3; y < height; y += 3 + (y - horizon) / 20)
            for (int x = (y * 7) % 5; x < width; x += 9)
                c.rect(x, y, x + 5, y + 1, crop.furrow);
        top += depth;
        band += 1 + r.between(0, 1);
    }
    const int tx = r.between(30, 290), ty = horizon + r.between(10, 30);
    c.rect(tx - 3, ty - 10, tx + 3, ty + 25, bark);
    c.ellipse(tx, ty - 22, 22, 18, forest);
    c.ellipse(tx - 6, ty - 27, 10, 8, leaf);
    if (r.between(0, 1)) { // a barn
        const int x = tx > 160 ? r.between(30, 110) : r.between(190, 260), y = horizon + r.between(5, 20);
        c.rect(x, y, x + 46, y + 28, brick);
        c.triangle(x - 4, y, x + 50, y, x + 23, y - 18, wine);
        c.rect(x + 17, y + 10, x + 29, y + 28, asphalt);
    }
}

void sunset_scene(Canvas &c, Random &r) {
    const int horizon = r.between(130, 160);
    c.gradient(0, horizon, {plum, mulberry, brick, salmon, orange, gold, lemon});
    const int sx = r.between(80, 240);
    c.ellipse(sx, horizon, 34, 34, lemon);
    c.ellipse(sx, horizon, 26, 26, ivory);
    c.gradient(horizon, height, {aubergine, indigo, navy});
    for (int y = horizon + 2; y < height; y += 3) {
        const int half = std::max(4, 40 - (y - horizon) / 3 + r.between(-6, 6));
        c.rect(sx - half, y, sx + half, y + 1, r.pick({orange, gold}));
    }
    // a dark headland with a palm
    const bool left = r.between(0, 1);
    const int hx = left ? 0 : width;
    c.ellipse(hx, horizon + 5, r.between(60, 100), r.between(25, 45), black);
    const int px = left ? r.between(20, 50) : width - r.between(20, 50);
    for (int k = 0; k < 80; ++k)
        c.rect(px + k / 10 * (left ? 1 : -1), horizon + 5 - k, px + 3 + k / 10 * (left ? 1 : -1), horizon + 6 - k, black);
    const int crown_x = px + 7 * (left ? 1 : -1), crown_y = horizon - 75;
    for (int a = 0; a < 6; ++a) {
        const double angle = 3.1416 * (0.1 + 0.16 * a);
        c.triangle(crown_x, crown_y, crown_x + int(40 * std::cos(angle)), crown_y + int(18 * std::sin(angle)) - 2,
                   crown_x + int(40 * std::cos(angle)), crown_y + int(18 * std::sin(angle)) + 4, black);
    }
}

void flower_scene(Canvas &c, Random &r) {
    c.gradient(0, height, {forest, grass_dark, grass, moss});
    for (int i = 0; i < 500; ++i) {
        const int x = r.between(0, width - 1), y = r.between(0, height - 1);
        c.rect(x, y, x + 1, y + r.between(3, 8), r.pick({sage, meadow}));
    }
    const Cell petals[] = {pink, rose, blush, lilac, violet, salmon, ivory, gold, brick, mauve};
    const int first = r.between(0, 9);
    const Cell mine[3] = {petals[first], petals[(first + 3) % 10], petals[(first + 7) % 10]};
    for (int i = r.between(25, 40); i > 0; --i) {
        const int x = r.between(10, 310), y = r.between(10, 230), size = r.between(5, 10);
        const Cell petal = mine[r.between(0, 2)];
        c.rect(x, y, x + 2, std::min(height, y + 30), grass_dark);
        for (int p = 0; p < 6; ++p) {
            const double angle = p * 3.1416 / 3;
            c.ellipse(x + int(size * std::cos(angle)), y + int(size * std::sin(angle)), size * 2 / 3, size * 2 / 3,
                      petal);
        }
        c.ellipse(x, y, size / 2, size / 2, petal == gold ? amber : r.pick({gold, mustard}));
    }
}

void building_scene(Canvas &c, Random &r) {
    const bool dusk_sky = r.between(0, 1);
    if (dusk_sky)
        c.gradient(0, 205, {dusk, violet, mauve, apricot});
    else
        c.gradient(0, 205, {steel, haze, sky});
    const Cell walls[] = {asphalt, stone_dark, stone, grey_blue, concrete, brick_dark, sand_dark, terracotta, sand};
    for (int layer = 0; layer < 2; ++layer) {
        for (int x = r.between(-20, 0); x < width;) {
            const int w = r.between(28, 60), h = layer == 0 ? r.between(90, 170) : r.between(50, 110);
            const int top = 205 - h;
            const Cell wall = walls[r.between(0, 8)];
            c.rect(x, top, x + w, 205, wall);
            if (r.between(0, 3) == 0)
                c.triangle(x - 2, top, x + w + 2, top, x + w / 2, top - r.between(10, 25), wine);
            for (int wy = top + 6; wy < 195; wy += 12)
                for (int wx = x + 5; wx + 6 < x + w; wx += 10)
                    c.rect(wx, wy, wx + 5, wy + 7, r.between(0, 2) == 0 ? lemon : (dusk_sky ? night : dusk));
            x += w + r.between(layer == 0 ? 10 : 2, layer == 0 ? 40 : 12);
        }
    }
    c.rect(0, 205, width, height, asphalt);
    for (int x = 8; x < width; x += 40)
        c.rect(x, 221, x + 20, 224, lemon);
}

void mountain_scene(Canvas &c, Random &r) {
    const int shore = r.between(150, 175);
    c.gradient(0, shore, {royal, steel, sky});
    for (int i = r.between(2, 4); i > 0; --i) { // far peaks with snow
        const int x = r.between(0, 320), peak = r.between(30, 80), half = r.between(60, 110);
        c.triangle(x - half, shore, x + half, shore, x, peak, grey_blue);
        const int snow = peak + (shore - peak) / 4;
        const int snow_half = half * (snow - peak) / (shore - peak);
        c.triangle(x - snow_half, snow, x + snow_half, snow, x, peak, cloud);
    }
    for (int i = r.between(2, 3); i > 0; --i) { // nearer ridges
        const int x = r.between(0, 320), peak = r.between(80, 120), half = r.between(70, 120);
        c.triangle(x - half, shore, x + half, shore, x, peak, mountain);
        const int snow = peak + (shore - peak) / 5;
        const int snow_half = half * (snow - peak) / (shore - peak);
        c.triangle(x - snow_half, snow, x + snow_half, snow, x, peak, cream);
    }
    c.gradient(shore, height, {sea_blue, steel, ocean});
    for (int i = 0; i < 60; ++i) {
        const int x = r.between(0, width), y = r.between(shore + 4, height);
        c.rect(x, y, x + r.between(4, 12), y + 1, mist);
    }
    for (int x = r.between(0, 10); x < width; x += r.between(8, 22)) { // pines on the shore
        const int h = r.between(18, 36);
        c.triangle(x - h / 4, shore + 2, x + h / 4, shore + 2, x, shore - h, r.pick({pine, forest}));
    }
}

void night_scene(Canvas &c, Random &r) {
    c.gradient(0, height, {navy, indigo, night, dusk});
    for (int i = 0; i < 140; ++i) {
        const int x = r.between(0, width - 1), y = r.between(0, 180), s = r.between(0, 6) == 0 ? 2 : 1;
        c.rect(x, y, x + s, y + s, r.pick({cream, lemon, cloud}));
    }
    const int mx = r.between(40, 280), my = r.between(30, 70);
    c.ellipse(mx, my, 24, 24, ivory);
    c.ellipse(mx - 7, my - 5, 5, 4, cream);
    c.ellipse(mx + 8, my + 6, 4, 3, cream);
    c.hill(185, 12, r.between(30, 60), r.between(0, 6), height, soil);
    c.hill(205, 8, r.between(20, 40), r.between(0, 6), height, black);
    for (int i = r.between(2, 5); i > 0; --i) { // cottages with lit windows
        const int x = r.between(10, 280), y = r.between(200, 215);
        c.rect(x, y, x + 30, y + 18, soil);
        c.triangle(x - 3, y, x + 33, y, x + 15, y - 12, black);
        c.rect(x + 5, y + 5, x + 11, y + 11, lemon);
        c.rect(x + 19, y + 5, x + 25, y + 11, gold);
    }
}

using Scene = void (*)(Canvas &, Random &);
constexpr Scene scenes[] = {sky_scene,    sea_scene,      field_scene,    sunset_scene,
                            flower_scene, building_scene, mountain_scene, night_scene};

bool write_file(const std::filesystem::path &file, const std::vector<unsigned char> &bytes) {
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_pictures <directory> <count>\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    const int count = std::atoi(argv[2]);
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);

    // Cell i at entry i; the rest hold the highlight colour, which is no palette colour.
    std::array<Rgb, 256> table;
    table.fill(kestle::highlight_colour);
    for (int i = 0; i < kestle::palette_cells; ++i)
        table[static_cast<std::size_t>(i)] = kestle::tag_colour(kestle::palette_tag(i));

    for (int n = 1; n <= count; ++n) {
        Canvas canvas;
        Random random(20040615u + static_cast<unsigned>(n));
        scenes[(n - 1) % std::size(scenes)](canvas, random);

        const std::set<Cell> used(canvas.pixels.begin(), canvas.pixels.end());
        std::vector<Rgb> colours;
        for (Cell c : used) {
            if (!kestle::palette_visible(c)) {
                std::fprintf(stderr, "make_pictures: picture %d uses cell %d, which the search does not show\n", n, c);
                return 1;
            }
            colours.push_back(table[c]);
        }
        if (colours.size() < 3 || colours.size() > 40) {
            std::fprintf(stderr, "make_pictures: picture %d uses %zu colours\n", n, colours.size());
            return 1;
        }
        char name[16];
        std::snprintf(name, sizeof name, "pic%02d", n);
        if (!write_file(dir / (std::string(name) + ".bmp"), kestle::bitmap8(width, height, table, canvas.pixels)) ||
            !write_file(dir / (std::string(name) + ".map"), kestle::colour_map(colours))) {
            std::fprintf(stderr, "make_pictures: cannot write %s in %s\n", name, dir.c_str());
            return 1;
        }
    }
    return 0;
}
