// Reading, highlighting and writing 8-bit bitmaps with a full colour table.

#include "bitmap8.h"

#include "work_file.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace kestle {

namespace {

uint32_t u32(std::span<const unsigned char> b, std::size_t at) {
    return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
           static_cast<uint32_t>(b[at + 2]) << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

uint16_t u16(std::span<const unsigned char> b, std::size_t at) {
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

void put32(std::vector<unsigned char> &b, std::size_t at, uint32_t v) {
    for (int k = 0; k < 4; ++k)
        b[at + static_cast<std::size_t>(k)] = static_cast<unsigned char>(v >> (8 * k));
}

void put16(std::vector<unsigned char> &b, std::size_t at, uint16_t v) {
    b[at] = static_cast<unsigned char>(v);
    b[at + 1] = static_cast<unsigned char>(v >> 8);
}

std::vector<unsigned char> read_bytes(const std::string &file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return {};
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

bool is_bitmap8(std::span<const unsigned char> file) {
    if (file.size() < bitmap8_pixel_offset || file[0] != 'B' || file[1] != 'M')
        return false;
    const uint32_t colours_used = u32(file, 46);
    return u32(file, 10) == bitmap8_pixel_offset && u32(file, 14) == 40 && u16(file, 28) == 8 &&
           u32(file, 30) == 0 && (colours_used == 0 || colours_used == 256);
}

Rgb bitmap8_entry(std::span<const unsigned char> file, int i) {
    const std::size_t at = bitmap8_table_offset + 4 * static_cast<std::size_t>(i);
    return {file[at + 2], file[at + 1], file[at]};
}

long highlight_pixels(std::span<unsigned char> file, Rgb colour) {
    int match = -1;
    int highlight = -1;
    for (int i = 0; i < 256; ++i) {
        const Rgb e = bitmap8_entry(file, i);
        if (e == colour)
            match = i;
        if (e == highlight_colour)
            highlight = i;
    }
    if (highlight == -1)
        highlight = 255;
    if (match == -1)
        return 0;
    long count = 0;
    for (auto it = file.begin() + bitmap8_pixel_offset; it != file.end(); ++it) {
        if (*it == match) {
            *it = static_cast<unsigned char>(highlight);
            ++count;
        }
    }
    return count;
}

long highlight_file(const std::string &in, const std::string &out, Rgb colour) {
    std::vector<unsigned char> picture = read_bytes(in);
    long count = 0;
    if (is_bitmap8(picture))
        count = highlight_pixels(picture, colour);
    else
        picture.clear();
    // A picture longer than the padded size is written whole.
    picture.resize(std::max(picture.size(), highlight_file_size), 0);
    // The earlier picture goes first: when the new one cannot be written there is none to load.
    std::error_code ec;
    std::filesystem::remove(out, ec);
    write_work_file(out, std::string_view(reinterpret_cast<const char *>(picture.data()), picture.size()));
    return count;
}

std::vector<unsigned char> bitmap8(int width, int height, std::span<const Rgb, 256> table,
                                   std::span<const unsigned char> pixels) {
    const std::size_t w = static_cast<std::size_t>(std::max(width, 0));
    const std::size_t h = static_cast<std::size_t>(std::max(height, 0));
    const std::size_t stride = (w + 3) / 4 * 4;
    std::vector<unsigned char> b(bitmap8_pixel_offset + stride * h, 0);
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, static_cast<uint32_t>(b.size()));
    put32(b, 10, bitmap8_pixel_offset);
    put32(b, 14, 40);
    put32(b, 18, static_cast<uint32_t>(w));
    put32(b, 22, static_cast<uint32_t>(h)); // positive: the bottom row comes first
    put16(b, 26, 1);
    put16(b, 28, 8);
    put32(b, 34, static_cast<uint32_t>(stride * h));
    put32(b, 38, 3780); // 96 dots an inch
    put32(b, 42, 3780);
    put32(b, 46, 256);
    for (std::size_t i = 0; i < 256; ++i) {
        unsigned char *e = &b[bitmap8_table_offset + 4 * i];
        e[0] = static_cast<unsigned char>(table[i].blue);
        e[1] = static_cast<unsigned char>(table[i].green);
        e[2] = static_cast<unsigned char>(table[i].red);
    }
    for (std::size_t y = 0; y < h; ++y) {
        const std::size_t row = bitmap8_pixel_offset + (h - 1 - y) * stride;
        for (std::size_t x = 0; x < w && y * w + x < pixels.size(); ++x)
            b[row + x] = pixels[y * w + x];
    }
    return b;
}

} // namespace kestle
