// The colour search through to its thumbnails, against the raw engine reading the same 100
// pictures into files and Qt loading them: 120 stored pictures of 320 x 240, 100 of which hold
// the colour asked for.
#include "bench_program.h"
#include "bench_support.h"
#include "bitmap8.h"
#include "colour_query.h"
#include "connection.h"
#include "instance.h"
#include "palette.h"
#include "picture_box.h"
#include "pictures.h"
#include "session.h"
#include "zal_findpics.h"

#include <sqlite3.h>
#include <unistd.h>

#include <QImage>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int stored = 120;
constexpr int wanted = 100;
constexpr int width = 320;
constexpr int height = 240;
constexpr int rounds = 9;
constexpr double target = 1.3;
constexpr int asked_cell = 5;

// Picture n: bands of shown cells that differ from picture to picture; the asked cell is one
// of them for the first 100.
std::vector<unsigned char> picture(int n, const std::array<kestle::Rgb, 256> &table) {
    std::vector<int> cells;
    for (int i = 0; i < kestle::palette_cells; ++i)
        if (kestle::palette_visible(i) && i != asked_cell)
            cells.push_back(i);
    std::vector<unsigned char> pixels(width * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int band = (x / 16 + y / 12 + n) % 12;
            const int cell = band == 0 && n <= wanted ? asked_cell : cells[static_cast<std::size_t>((band * 5 + n) % cells.size())];
            pixels[static_cast<std::size_t>(y * width + x)] = static_cast<unsigned char>(cell);
        }
    return kestle::bitmap8(width, height, table, pixels);
}

std::vector<unsigned char> map_of(const std::vector<unsigned char> &bmp, const std::array<kestle::Rgb, 256> &table) {
    std::array<bool, 256> used{};
    for (std::size_t i = kestle::bitmap8_pixel_offset; i < bmp.size(); ++i)
        used[bmp[i]] = true;
    std::vector<kestle::Rgb> colours;
    for (int i = 0; i < 256; ++i)
        if (used[static_cast<std::size_t>(i)])
            colours.push_back(table[static_cast<std::size_t>(i)]);
    return kestle::colour_map(colours);
}

void store_pictures(sqlite3 *db) {
    bench::exec("CREATE FUNCTION RGB (BLOB(1M), INTEGER, INTEGER, INTEGER) RETURNS INTEGER EXTERNAL NAME "
                "'kestle!rgb' LANGUAGE C PARAMETER STYLE ZAL DETERMINISTIC NO SQL RETURNS NULL ON NULL INPUT");
    bench::exec("CREATE TABLE PICTURES (PIC_NO INTEGER NOT NULL, PICTURE BLOB(1M), MAP BLOB(1K))");
    std::array<kestle::Rgb, 256> table;
    table.fill(kestle::highlight_colour);
    for (int i = 0; i < kestle::palette_cells; ++i)
        table[static_cast<std::size_t>(i)] = kestle::tag_colour(kestle::palette_tag(i));
    sqlite3_stmt *s = nullptr;
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO PICTURES VALUES (?, ?, ?)", -1, &s, nullptr);
    for (int n = 1; n <= stored; ++n) {
        const std::vector<unsigned char> bmp = picture(n, table);
        const std::vector<unsigned char> map = map_of(bmp, table);
        sqlite3_bind_int(s, 1, n);
        sqlite3_bind_blob(s, 2, bmp.data(), static_cast<int>(bmp.size()), SQLITE_TRANSIENT);
        sqlite3_bind_blob(s, 3, map.data(), static_cast<int>(map.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(s) != SQLITE_DONE) {
            std::fprintf(stderr, "picture_search_bench: %s\n", sqlite3_errmsg(db));
            std::exit(1);
        }
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
}

// What a client of the engine does at the least: each picture by its number into a file, and
// the file into a picture of a store, as the search keeps its own.
void raw_pictures(sqlite3 *db, const std::vector<std::string> &numbers, std::vector<QPixmap> &store) {
    store.resize(numbers.size());
    auto picture = store.begin();
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(db, "SELECT PICTURE FROM PICTURES WHERE PIC_NO = ?", -1, &s, nullptr);
    for (const std::string &n : numbers) {
        sqlite3_bind_int(s, 1, std::atoi(n.c_str()));
        if (sqlite3_step(s) == SQLITE_ROW) {
            std::ofstream f("raw.bmp", std::ios::binary | std::ios::trunc);
            f.write(static_cast<const char *>(sqlite3_column_blob(s, 0)), sqlite3_column_bytes(s, 0));
            f.close();
            *picture++ = kestle::read_picture("raw.bmp");
        }
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
}

// The current directory of both paths, for their work files: in memory when the machine has a
// place there, so that the latency of a disk shared with other work does not decide the ratio.
class WorkDir {
public:
    WorkDir() {
        const std::filesystem::path shm = "/dev/shm";
        std::error_code ec;
        const std::filesystem::path base = std::filesystem::is_directory(shm, ec) ? shm : std::filesystem::temp_directory_path();
        path_ = base / ("picture_search_bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(path_);
        std::filesystem::current_path(path_);
    }
    ~WorkDir() {
        std::error_code ec;
        std::filesystem::current_path(std::filesystem::temp_directory_path(), ec);
        std::filesystem::remove_all(path_, ec);
    }
    WorkDir(const WorkDir &) = delete;
    WorkDir &operator=(const WorkDir &) = delete;
    std::string string() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

} // namespace

int main(int argc, char **argv) {
    bench::ProgramBench bench(argc, argv, "picture_search_bench", 0);
    kestle::Program &program = bench.program();
    WorkDir work;

    // The raw engine with the page cache the product gives its connections.
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(zal::database_path("SAMPLE").c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "picture_search_bench: cannot open the database file\n");
        return 1;
    }
    sqlite3_exec(db, ("PRAGMA cache_size=-" + std::to_string(zal::page_cache_kib)).c_str(), nullptr, nullptr, nullptr);
    store_pictures(db);
    // The program's connection learns of rgb when it connects.
    kestle::ZAL_disconnect(program);
    if (kestle::ZAL_connect(program, "SAMPLE", "", "") != 0) {
        std::fprintf(stderr, "picture_search_bench: the program did not connect\n");
        return 1;
    }
    kestle::ZALFindpics &search = program.findpics();
    search.show_form();
    const std::vector<std::string> asked = {kestle::palette_tag(asked_cell)};
    const std::string query = kestle::colour_query(asked, false).sql;
    int found = 0;
    auto find = [&] { found = kestle::ZAL_HUESCAN(program, query); };

    // Both paths give the same pictures, and the thumbnails show the first eight.
    find();
    if (found != wanted) {
        std::fprintf(stderr, "picture_search_bench: the search found %d pictures, not %d\n", found, wanted);
        return 1;
    }
    std::vector<std::string> numbers;
    for (int k = 0; k < wanted; ++k)
        numbers.push_back(search.TImage[static_cast<std::size_t>(k)].tag);
    std::vector<QPixmap> raw;
    raw_pictures(db, numbers, raw);
    bool same = raw.size() == static_cast<std::size_t>(wanted) && numbers.front() == "1" && numbers.back() == "100";
    for (int k = 0; same && k < wanted; ++k)
        same = raw[static_cast<std::size_t>(k)].toImage() == search.TImage[static_cast<std::size_t>(k)].picture.toImage();
    for (int k = 0; same && k < 8; ++k)
        same = search.HUESCAN[static_cast<std::size_t>(k)]->tag == numbers[static_cast<std::size_t>(k)] &&
               search.HUESCAN[static_cast<std::size_t>(k)]->picture().toImage() == raw[static_cast<std::size_t>(k)].toImage();
    if (!same) {
        std::fprintf(stderr, "picture_search_bench: the two paths gave different pictures\n");
        return 1;
    }

    // Rounds alternate between the two, so that a passing load on the machine falls on both alike.
    double search_s = 1e9, raw_s = 1e9;
    for (int r = 0; r < rounds; ++r) {
        search_s = std::min(search_s, bench::best_seconds(1, find));
        raw_s = std::min(raw_s, bench::best_seconds(1, [&] { raw_pictures(db, numbers, raw); }));
    }
    if (found != wanted)
        return 1;
    std::printf("%d of %d pictures of %d x %d: colour search %.4f s, raw reads %.4f s\n", wanted, stored, width,
                height, search_s, raw_s);
    bench::report("picture search", search_s / raw_s, target);
    sqlite3_close(db);
    return 0;
}
