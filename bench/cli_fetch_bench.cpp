// The call-level interface against the raw engine on the same database file: fetching 100 000
// rows of five columns into bound buffers, and 100 000 trivial statements.
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

constexpr int table_rows = 100000;
constexpr int statements = 100000;
constexpr int rounds = 5;
constexpr double target = 1.3;
constexpr int columns = 5;
constexpr const char *query = "SELECT ID, NAME, AMOUNT, DAY, RATIO FROM BENCH";

SQLHENV henv = 0;
SQLHDBC hdbc = 0;
// Keeps the compiler from dropping the copies that neither loop otherwise uses.
volatile long sink = 0;

[[noreturn]] void fail(const char *what, SQLHSTMT hstmt) {
    SQLCHAR state[SQL_SQLSTATE_SIZE + 1] = {}, message[SQL_MAX_MESSAGE_LENGTH + 1] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    SQLError(henv, hdbc, hstmt, state, &native, message, sizeof message, &length);
    std::fprintf(stderr, "cli_fetch_bench: %s: %s\n", what, message);
    std::exit(1);
}

void exec(const char *sql) {
    SQLHSTMT h = 0;
    SQLAllocStmt(hdbc, &h);
    if (SQLExecDirect(h, (SQLCHAR *)sql, SQL_NTS) != SQL_SUCCESS)
        fail(sql, h);
    SQLFreeStmt(h, SQL_DROP);
    SQLEndTran(SQL_HANDLE_DBC, hdbc, SQL_COMMIT);
}

double best_seconds(const std::function<void()> &work) {
    double best = 1e9;
    for (int i = 0; i < rounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

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
    char pattern[] = "/tmp/cli-fetch-bench-XXXXXX";
    if (!mkdtemp(pattern)) {
        std::perror("cli_fetch_bench: mkdtemp");
        return 1;
    }
    const std::filesystem::path home = pattern;
    setenv("ZAL_HOME", pattern, 1);
    zal_sqlca ca{};
    if (zalStartManager(nullptr, &ca) != 0) {
        std::fprintf(stderr, "cli_fetch_bench: the manager did not start: %.70s\n", ca.sqlerrmc);
        return 1;
    }
    SQLAllocEnv(&henv);
    SQLAllocConnect(henv, &hdbc);
    if (SQLConnect(hdbc, (SQLCHAR *)"SAMPLE", SQL_NTS, (SQLCHAR *)"", SQL_NTS, (SQLCHAR *)"", SQL_NTS) != SQL_SUCCESS)
        fail("connect", 0);
    exec("CREATE TABLE BENCH (ID INTEGER NOT NULL, NAME VARCHAR(30), AMOUNT DECIMAL(9,2), DAY DATE, RATIO DOUBLE)");
    const std::string fill =
        "INSERT INTO BENCH WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < " +
        std::to_string(table_rows) +
        ") SELECT I, 'name of row ' || I, (I % 100000) / 100.0, date('2000-01-01', '+' || (I % 9000) || ' days'),"
        " I / 7.0 FROM N";
    exec(fill.c_str());

    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(zal::database_path("SAMPLE").c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "cli_fetch_bench: cannot open the database file\n");
        return 1;
    }
    if (cli_fetch() != table_rows || raw_fetch(db) != table_rows) {
        std::fprintf(stderr, "cli_fetch_bench: the two paths fetched different rows\n");
        return 1;
    }
    const double cli_fetch_s = best_seconds([] { cli_fetch(); });
    const double raw_fetch_s = best_seconds([db] { raw_fetch(db); });
    const double cli_stmt_s = best_seconds(cli_statements);
    const double raw_stmt_s = best_seconds([db] { raw_statements(db); });

    std::printf("fetch %d rows of %d columns: cli %.4f s, raw %.4f s\n", table_rows, columns, cli_fetch_s, raw_fetch_s);
    std::printf("%d trivial statements: cli %.4f s, raw %.4f s\n", statements, cli_stmt_s, raw_stmt_s);
    std::printf("fetch ratio: %.2f\n", cli_fetch_s / raw_fetch_s);
    std::printf("statement ratio: %.2f\n", cli_stmt_s / raw_stmt_s);
    std::printf("target: at most %.1f\n", target);

    sqlite3_close(db);
    SQLDisconnect(hdbc);
    SQLFreeConnect(hdbc);
    SQLFreeEnv(henv);
    std::error_code ec;
    std::filesystem::remove_all(home, ec);
    return 0;
}
