// The call-level interface against the raw engine on the same database file: fetching 100 000
// rows of five columns into bound buffers, and 100 000 trivial statements. Both sides turn
// numbers into text with the interface's own conversion, keep the same pages in memory and give
// the same values. Each is timed in five runs on a busy machine; a run times both sides.
#include "bench_support.h"
#include "connection.h"
#include "dialect.h"
#include "instance.h"
#include "types.h"

#include <zalapp.h>
#include <zalcli.h>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using bench::fail;
using bench::hdbc;

constexpr int table_rows = 100000;
constexpr int statements = 100000;
constexpr int runs = 5;
constexpr double fetch_target = 1.15;
constexpr double statement_target = 1.15;
constexpr int columns = bench::bench_columns;
constexpr const char *query = bench::bench_query;
// what the interface hands the engine for its VALUES 1
const std::string raw_trivial = zal::translate("VALUES 1").sql;

// Keeps the compiler from dropping the copies that neither loop otherwise uses.
volatile long sink = 0;

using Values = std::vector<std::string>;

// With values, every value fetched is kept there too, NULL as "<null>".
long cli_fetch(Values *values = nullptr) {
    SQLHSTMT h = 0;
    SQLAllocStmt(hdbc, &h);
    if (SQLPrepare(h, (SQLCHAR *)query, SQL_NTS) != SQL_SUCCESS || SQLExecute(h) != SQL_SUCCESS)
        fail(query, h);
    char buffers[columns][64];
    SQLINTEGER lengths[columns];
    for (SQLUSMALLINT c = 0; c < columns; ++c)
        SQLBindCol(h, c + 1, SQL_C_CHAR, buffers[c], sizeof buffers[c], &lengths[c]);
    long rows = 0, bytes = 0;
    SQLRETURN rc;
    while ((rc = SQLFetch(h)) == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) {
        ++rows;
        for (int c = 0; c < columns; ++c) {
            bytes += lengths[c] + buffers[c][0];
            if (values)
                values->push_back(lengths[c] == SQL_NULL_DATA ? "<null>" : std::string(buffers[c]));
        }
    }
    if (rc != SQL_NO_DATA_FOUND)
        fail("fetch", h);
    SQLFreeStmt(h, SQL_DROP);
    SQLEndTran(SQL_HANDLE_DBC, hdbc, SQL_COMMIT);
    sink = bytes;
    return rows;
}

// The same work on the engine: each value as text into its own buffer, numbers turned into
// text as the interface turns them.
long raw_fetch(sqlite3 *db, Values *values = nullptr) {
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(db, query, -1, &s, nullptr);
    const std::vector<zal::ColumnType> types = bench::declared_types(s);
    char buffers[columns][64];
    int lengths[columns];
    std::string number;
    long rows = 0, bytes = 0;
    while (sqlite3_step(s) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            const int storage = sqlite3_column_type(s, c);
            std::string_view text;
            bool null = false;
            if (storage == SQLITE_TEXT) {
                text = std::string_view(reinterpret_cast<const char *>(sqlite3_column_text(s, c)),
                                        static_cast<size_t>(sqlite3_column_bytes(s, c)));
            } else {
                number.clear();
                null = !zal::append_value_text(s, c, storage, types[static_cast<size_t>(c)], number);
                text = number;
            }
            const size_t n = zal::copy_text(text, buffers[c], sizeof buffers[c]);
            lengths[c] = null ? -1 : static_cast<int>(n);
            bytes += lengths[c] + buffers[c][0];
            if (values)
                values->push_back(null ? "<null>" : std::string(buffers[c]));
        }
        ++rows;
    }
    sqlite3_finalize(s);
    sink = bytes;
    return rows;
}

void cli_statements() {
    for (int i = 0; i < statements; ++i) {
        SQLHSTMT h = 0;
        SQLAllocStmt(hdbc, &h);
        if (SQLPrepare(h, (SQLCHAR *)"VALUES 1", SQL_NTS) != SQL_SUCCESS || SQLExecute(h) != SQL_SUCCESS)
            fail("VALUES 1", h);
        SQLFreeStmt(h, SQL_DROP);
    }
}

void raw_statements(sqlite3 *db) {
    for (int i = 0; i < statements; ++i) {
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(db, raw_trivial.c_str(), -1, &s, nullptr);
        sqlite3_step(s);
        sqlite3_finalize(s);
    }
}

// The one value of a trivial statement on each side, once, to show that both give the same.
std::string cli_statement_value() {
    SQLHSTMT h = 0;
    SQLAllocStmt(hdbc, &h);
    char value[16] = {};
    SQLINTEGER length = 0;
    if (SQLExecDirect(h, (SQLCHAR *)"VALUES 1", SQL_NTS) != SQL_SUCCESS || SQLFetch(h) != SQL_SUCCESS ||
        SQLGetData(h, 1, SQL_C_CHAR, value, sizeof value, &length) != SQL_SUCCESS)
        fail("VALUES 1", h);
    SQLFreeStmt(h, SQL_DROP);
    return value;
}

std::string raw_statement_value(sqlite3 *db) {
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(db, raw_trivial.c_str(), -1, &s, nullptr);
    std::string value;
    if (sqlite3_step(s) == SQLITE_ROW)
        zal::append_value_text(s, 0, zal::ColumnType{}, value);
    sqlite3_finalize(s);
    return value;
}

} // namespace

int main() {
    bench::Instance instance("cli_fetch_bench");
    bench::create_bench_table(table_rows);

    sqlite3 *db = nullptr;
    const std::string cache = "PRAGMA cache_size=-" + std::to_string(zal::page_cache_kib);
    if (sqlite3_open_v2(zal::database_path("SAMPLE").c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
        sqlite3_exec(db, cache.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "cli_fetch_bench: cannot open the database file\n");
        return 1;
    }
    Values by_cli, by_raw;
    if (cli_fetch(&by_cli) != table_rows || raw_fetch(db, &by_raw) != table_rows || by_cli != by_raw) {
        std::fprintf(stderr, "cli_fetch_bench: the two paths fetched different values\n");
        return 1;
    }
    if (cli_statement_value() != "1" || raw_statement_value(db) != "1") {
        std::fprintf(stderr, "cli_fetch_bench: the trivial statements gave different values\n");
        return 1;
    }
    bench::Pairs fetch, statement;
    int spinning = 0;
    {
        const bench::Spinners busy(bench::busy_spinners);
        spinning = busy.count();
        fetch = bench::measure_pairs(
            runs, [] { return bench::thread_seconds_of([] { cli_fetch(); }); },
            [db] { return bench::thread_seconds_of([db] { raw_fetch(db); }); });
        statement = bench::measure_pairs(
            runs, [] { return bench::thread_seconds_of(cli_statements); },
            [db] { return bench::thread_seconds_of([db] { raw_statements(db); }); });
    }

    std::printf("fetch %d rows of %d columns, processor time, median: cli %.4f s, raw %.4f s\n", table_rows, columns,
                fetch.first.median, fetch.second.median);
    std::printf("%d trivial statements, processor time, median: cli %.4f s, raw %.4f s\n", statements,
                statement.first.median, statement.second.median);
    bench::report_median("fetch", fetch.ratio, fetch_target, spinning);
    bench::report_median("statement", statement.ratio, statement_target, spinning);

    sqlite3_close(db);
    return 0;
}
