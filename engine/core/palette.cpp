// The 90-colour palette and the colour map stored with each picture.

#include "palette.h"

#include "text.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace kestle {

namespace {

// A subset of a colour cube: red and green in steps of 36, blue in steps of 85; four whites last.
constexpr std::array<Rgb, palette_cells> cells = {{
    {0, 0, 0},       {0, 0, 85},      {0, 36, 0},      {0, 36, 85},     {0, 72, 85},     {0, 72, 170},
    {36, 0, 0},      {36, 0, 85},     {36, 36, 0},     {36, 36, 85},    {36, 72, 0},     {36, 72, 85},
    {36, 72, 170},   {36, 108, 85},   {36, 108, 170},  {72, 0, 0},      {72, 0, 85},     {72, 36, 0},
    {72, 36, 85},    {72, 72, 0},     {72, 72, 85},    {72, 72, 170},   {72, 108, 0},    {72, 108, 85},
    {72, 108, 170},  {72, 144, 85},   {72, 144, 170},  {108, 0, 0},     {108, 36, 0},    {108, 36, 85},
    {108, 72, 0},    {108, 72, 85},   {108, 72, 170},  {108, 108, 0},   {108, 108, 85},  {108, 108, 170},
    {108, 144, 0},   {108, 144, 85},  {108, 144, 170}, {144, 36, 0},    {144, 36, 85},   {144, 72, 0},
    {144, 72, 85},   {144, 108, 0},   {144, 108, 85},  {144, 108, 170}, {144, 144, 0},   {144, 144, 85},
    {144, 144, 170}, {144, 180, 85},  {144, 180, 170}, {144, 180, 255}, {180, 72, 0},    {180, 72, 85},
    {180, 108, 0},   {180, 108, 85},  {180, 108, 170}, {180, 144, 0},   {180, 144, 85},  {180, 144, 170},
    {180, 180, 0},   {180, 180, 85},  {180, 180, 170}, {180, 180, 255}, {180, 216, 85},  {180, 216, 170},
    {180, 216, 255}, {216, 72, 85},   {216, 108, 85},  {216, 144, 0},   {216, 144, 85},  {216, 144, 170},
    {216, 180, 0},   {216, 180, 85},  {216, 180, 170}, {216, 180, 255}, {216, 216, 85},  {216, 216, 170},
    {216, 216, 255}, {252, 108, 85},  {252, 144, 85},  {252, 180, 85},  {252, 180, 170}, {252, 216, 85},
    {252, 216, 170}, {252, 216, 255}, {255, 255, 255}, {255, 255, 255}, {255, 255, 255}, {255, 255, 255},
}};

constexpr std::array<int, 18> hidden = {26, 27, 39, 40, 51, 52, 56, 64, 67, 79, 80, 81, 83, 85, 86, 87, 88, 89};

} // namespace

const std::string &palette_tag(int cell) {
    static const std::array<std::string, palette_cells> tags = [] {
        std::array<std::string, palette_cells> t;
        for (int i = 0; i < palette_cells; ++i) {
            char b[16];
            std::snprintf(b, sizeof b, "%3d %3d %3d", cells[i].red, cells[i].green, cells[i].blue);
            t[i] = b;
        }
        return t;
    }();
    static const std::string none;
    return cell >= 0 && cell < palette_cells ? tags[static_cast<std::size_t>(cell)] : none;
}

Rgb tag_colour(const std::string &tag) {
    auto field = [&](std::size_t from) {
        const std::string_view t(tag);
        return from < t.size() ? static_cast<int>(lenient_integer(t.substr(from, 3), -999, 999)) : 0;
    };
    return {field(0), field(4), field(8)};
}

bool palette_visible(int cell) {
    return cell >= 0 && cell < palette_cells && std::find(hidden.begin(), hidden.end(), cell) == hidden.end();
}

std::vector<unsigned char> colour_map(std::span<const Rgb> colours) {
    std::vector<unsigned char> map;
    map.reserve(4 * colours.size() + 4);
    for (const Rgb &c : colours)
        map.insert(map.end(), {static_cast<unsigned char>(c.red), static_cast<unsigned char>(c.green),
                               static_cast<unsigned char>(c.blue), 0});
    map.insert(map.end(), {255, 0, 0, 0});
    return map;
}

} // namespace kestle
