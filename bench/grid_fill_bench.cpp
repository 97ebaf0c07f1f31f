// The program's statement path filling a result grid against the raw engine stepping the same
// statement and keeping each row as text: 100 000 rows of five columns. Both turn numbers into
// text with the interface's own conversion, and the grid is checked to hold the raw values.
#include "bench_program.h"
#include "bench_support.h"
#include "grid.h"
#include "instance.h"
#include "sql_exec.h"
#include "types.h"
#include "zal_output.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int table_rows = 100000;
constexpr int columns = bench::bench_columns;
constexpr int rounds = 5;
constexpr double target = 1.3;
constexpr const char *query = bench::bench_query;

// What the grid keeps, from the engine itself: each row as its values joined by TAB.
std::vector<std::string> raw_fill(sqlite3 *db) {
    sqlite3_stmt *s = nullptr;
    if (sqlite3_prepare_v2(db, query, -1, &s, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "grid_fill_bench: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
    const std::vector<zal::ColumnType> types = bench::declared_types(s);
    std::vector<std::string> rows;
    std::string row;
    while (sqlite3_step(s) == SQLITE_ROW) {
        row.clear();
        bench::append_row(s, types, "", row);
        rows.push_back(row);
    }
    sqlite3_finalize(s);
    return rows;
}

// The grid's cells against the raw rows, every one of them.
bool same_values(const kestle::Grid &grid, const std::vector<std::string> &raw) {
    if (grid.rows() != static_cast<int>(raw.size()) + 1)
        return false;
    for (size_t r = 0; r < raw.size(); ++r) {
        std::string row;
        for (int c = 0; c < columns; ++c)
            row += (c ? "\t" : "") + grid.text_matrix(static_cast<int>(r) + 1, c);
        if (row != raw[r]) {
            std::fprintf(stderr, "grid_fill_bench: row %zu: grid \"%s\", raw \"%s\"\n", r + 1, row.c_str(),
                         raw[r].c_str());
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char **argv) {
    bench::ProgramBench bench(argc, argv, "grid_fill_bench", table_rows);
    kestle::Program &program = bench.program();
    auto fill = [&program] {
        if (kestle::ZAL_sql(program, query, true) != 0) {
            std::fprintf(stderr, "grid_fill_bench: the statement failed\n");
            std::exit(1);
        }
    };
    fill();
    auto *out = dynamic_cast<kestle::ZALOutput *>(kestle::form_at(program, kestle::find_form(program, 2, 1)));
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(zal::database_path("SAMPLE").c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "grid_fill_bench: cannot open the database file\n");
        return 1;
    }
    if (!out || !same_values(*out->DataValues, raw_fill(db))) {
        std::fprintf(stderr, "grid_fill_bench: the grid and the engine hold different values\n");
        return 1;
    }
    const double grid_s = bench::best_seconds(rounds, fill);
    const double raw_s = bench::best_seconds(rounds, [db] { raw_fill(db); });
    sqlite3_close(db);

    std::printf("%d rows of %d columns: grid %.4f s, raw engine %.4f s\n", table_rows, columns, grid_s, raw_s);
    bench::report("grid fill", grid_s / raw_s, target);
    return 0;
}
