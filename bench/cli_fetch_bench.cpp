// The call-level interface against the raw engine on the same database file: fetching 100 000
// rows of five columns into bound buffers, and 100 000 trivial statements.
#include "bench_support.h"
#include "instance.h"

#include <zalapp.h>
#include <zalcli.h>

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

namespace {

using bench::fail;
using bench::hdbc;

constexpr int table_rows = 100000;
constexpr int statements = 100000;
constexpr int rounds = 5;
constexpr double target = 1.3;
constexpr int columns = bench::bench_columns;
constexpr const char *query = bench::bench_query;

// Keeps the compiler from dropping the copies that neither loop otherwise uses.
volatile long sink = 0;

long cli_fetch() {
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
        for (int c = 0; c < columns; ++c)
            bytes += lengths[c] + buffers[c][0];
    }
    if (rc != SQL_NO_DATA_FOUND)
        fail("fetch", h);
    SQLFreeStmt(h, SQL_DROP);
    SQLEndTran(SQL_HANDLE_DBC, hdbc, SQL_COMMIT);
    sink = bytes;
    return rows;
}

// The same work a client of the engine does: each value as text into its own buffer.
long raw_fetch(sqlite3 *db) {
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(db, query, -1, &s, nullptr);
    char buffers[columns][64];
    int lengths[columns];
    long rows = 0, bytes = 0;
    while (sqlite3_step(s) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            const unsigned char *text = sqlite3_column_text(s, c);
            const int n = std::min<int>(sqlite3_column_bytes(s, c), sizeof buffers[c] - 1);
            if (text)
                std::memcpy(buffers[c], text, static_cast<size_t>(n));
            buffers[c][text ? n : 0] = '\0';
            lengths[c] = text ? n : -1;
            bytes += lengths[c] + buffers[c][0];
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
        sqlite3_prepare_v2(db, "SELECT 1", -1, &s, nullptr);
        sqlite3_step(s);
        sqlite3_finalize(s);
    }
}

} // namespace

int main() {
    bench::Instance instance("cli_fetch_bench");
    bench::create_bench_table(table_rows);

    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(zal::database_path("SAMPLE").c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "cli_fetch_bench: cannot open the database file\n");
        return 1;
    }
    if (cli_fetch() != table_rows || raw_fetch(db) != table_rows) {
        std::fprintf(stderr, "cli_fetch_bench: the two paths fetched different rows\n");
        return 1;
    }
    const double cli_fetch_s = bench::best_seconds(rounds, [] { cli_fetch(); });
    const double raw_fetch_s = bench::best_seconds(rounds, [db] { raw_fetch(db); });
    const double cli_stmt_s = bench::best_seconds(rounds, cli_statements);
    const double raw_stmt_s = bench::best_seconds(rounds, [db] { raw_statements(db); });

    std::printf("fetch %d rows of %d columns: cli %.4f s, raw %.4f s\n", table_rows, columns, cli_fetch_s, raw_fetch_s);
    std::printf("%d trivial statements: cli %.4f s, raw %.4f s\n", statements, cli_stmt_s, raw_stmt_s);
    std::printf("fetch ratio: %.2f\n", cli_fetch_s / raw_fetch_s);
    std::printf("statement ratio: %.2f\n", cli_stmt_s / raw_stmt_s);
    std::printf("target: at most %.1f\n", target);

    sqlite3_close(db);
    return 0;
}
