// The map's statements over 100 000 houses through the interface, where the house positions
// come from SQL functions nested as the demonstration defines them (YCOORD calls XCOORD, the
// block functions call those), against the raw engine running the same statements with the
// functions' bodies written out in them by hand. Both sides prepare the statement and fetch
// every row as text; their rows are checked to be the same.
#include "bench_support.h"
#include "connection.h"
#include "dialect.h"
#include "instance.h"
#include "marks.h"
#include "spatial_houses.h"
#include "spatial_query.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int houses = 100000;
constexpr int rounds = 9;
constexpr double target = 1.2;

// A statement with every call of a position function replaced by the function's body, in
// parentheses, as one would write it by hand.
std::string by_hand(std::string sql) {
    struct Body {
        std::string call, body;
    };
    std::vector<Body> bodies;
    for (const std::string &f : spatial::function_statements()) {
        const std::string head = "CREATE FUNCTION ";
        const std::string name = f.substr(head.size(), f.find(' ', head.size()) - head.size());
        bodies.push_back({name + "(ADDRESS)", "(" + f.substr(f.find("RETURN ") + 7) + ")"});
    }
    for (bool again = true; again;) {
        again = false;
        for (const Body &b : bodies)
            for (size_t at; (at = sql.find(b.call)) != std::string::npos; again = true)
                sql.replace(at, b.call.size(), b.body);
    }
    return sql;
}

bench::Rows raw_rows(sqlite3 *db, const std::string &sql) {
    sqlite3_stmt *s = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "spatial_functions_bench: %s: %s\n", sql.c_str(), sqlite3_errmsg(db));
        std::exit(1);
    }
    const std::vector<zal::ColumnType> types = bench::declared_types(s);
    bench::Rows rows;
    while (sqlite3_step(s) == SQLITE_ROW) {
        std::string row;
        bench::append_row(s, types, "null", row);
        rows.push_back(std::move(row));
    }
    sqlite3_finalize(s);
    return rows;
}

struct Case {
    const char *what;
    std::string sql; // with the functions called, as the map window runs it
};

} // namespace

int main() {
    bench::Instance instance("spatial_functions_bench");
    bench::load_houses(spatial::generated_houses(houses), spatial::schema_statements());
    for (const std::string &s : spatial::index_statements())
        bench::exec(s);
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(zal::database_path("SAMPLE").c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "spatial_functions_bench: cannot open the database file\n");
        return 1;
    }
    // the page cache the interface gives its connections
    sqlite3_exec(db, ("PRAGMA cache_size=-" + std::to_string(zal::page_cache_kib)).c_str(), nullptr, nullptr, nullptr);

    // The map window's statements: a search with the worked example's rectangle and criteria,
    // one with a rectangle over the whole map, "run" without a rectangle, and the press on a
    // block after that run.
    kestle::MapQuery worked;
    worked.price_sel = 2;
    worked.beds_sel = 3;
    const std::string worked_search =
        kestle::Gen_SQL(worked, kestle::SelectBox{1320 + 960, 600 + 480, 960, 960, 1320, 600});
    kestle::MapQuery whole;
    const std::string whole_map = kestle::Gen_SQL(whole, kestle::SelectBox{1320, 600, 4800, 4800, 1320, 600});
    kestle::MapQuery run;
    const std::string run_search = kestle::Gen_SQL(run, std::nullopt);
    const Case cases[] = {
        {"the block functions", "SELECT COUNT(*), SUM(XMINORINT(ADDRESS) + YMINORINT(ADDRESS)) FROM REAL_ESTATE "
                                "WHERE XMAJORINT(ADDRESS) = 3 AND YMAJORINT(ADDRESS) BETWEEN 2 AND 6"},
        {"worked example", kestle::expand_marks(worked_search, true)},
        {"the whole map", kestle::expand_marks(whole_map, true)},
        {"run without a rectangle", kestle::expand_marks(run_search, true)},
        {"block statement", kestle::expand_marks(kestle::block_sql(run, 3, 4), true)},
    };

    for (const Case &c : cases) {
        const std::string raw = by_hand(zal::translate(c.sql).sql);
        const bench::Rows product = bench::fetch_rows(bench::hdbc, c.sql);
        if (product != raw_rows(db, raw) || product.empty()) {
            std::fprintf(stderr, "spatial_functions_bench: %s: the two sides gave different rows\n", c.what);
            return 1;
        }
        const auto [t_product, t_raw] = bench::best_seconds_in_turn(
            rounds, [&] { bench::fetch_rows(bench::hdbc, c.sql); }, [&] { raw_rows(db, raw); });
        std::printf("%s (%zu rows): through the interface %.2f ms, raw with the bodies written out %.2f ms\n", c.what,
                    product.size(), t_product * 1e3, t_raw * 1e3);
        bench::report(c.what, t_product / t_raw, target);
    }
    sqlite3_close(db);
    return 0;
}
